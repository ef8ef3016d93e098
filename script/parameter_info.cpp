#include "script/parameter_info.h"

#include "script/expressions.h"

namespace {

bool IsArithmetic(Operator op) { return op != Operator::None && op != Operator::Assign; }

}  // namespace

void CParameterInfo::Declare(std::span<const ParameterDescriptor> descriptors) {
  m_descriptors = descriptors;
  m_declared = true;
  m_values.clear();
}

void CParameterInfo::Reset() {
  m_descriptors = {};
  m_lastDescriptor = nullptr;
  m_values.clear();
  m_pending = Operator::None;
  m_declared = false;
}

HRESULT CParameterInfo::GetString(size_t index, std::string_view* text) const {
  if (index >= m_values.size() || !m_values[index].IsString()) return E_INVALIDARG;
  *text = m_values[index].String();
  return S_OK;
}

HRESULT CParameterInfo::GetStrings(std::initializer_list<std::string_view*> texts,
                                   size_t first) const {
  for (std::string_view* text : texts) {
    const HRESULT hr = GetString(first++, text);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void CParameterInfo::SetVariable(std::string_view name, ScriptValue value) {
  const auto found = m_variables->find(name);
  if (found != m_variables->end()) {
    found->second = std::move(value);
  } else {
    m_variables->emplace(std::string(name), std::move(value));
  }
}

const ScriptValue* CParameterInfo::FindVariable(std::string_view name) const {
  const auto found = m_variables->find(name);
  return found == m_variables->end() ? nullptr : &found->second;
}

HRESULT CParameterInfo::AddValue(ScriptValue value, bool bare) {
  // A value that an arithmetic operator will fold into the last one belongs
  // to the last parameter.
  size_t index = m_values.size();
  if (IsArithmetic(m_pending) && index > 0) --index;
  const ParameterDescriptor* descriptor =
      index < m_descriptors.size() ? &m_descriptors[index] : nullptr;

  if (descriptor != nullptr) {
    // A name parameter takes the word itself, whether or not a variable has
    // that name.
    if (bare && value.IsString() && descriptor->kind != ParameterKind::Name) {
      const ScriptValue* variable = FindVariable(value.String());
      if (variable != nullptr && descriptor->kind == ParameterKind::Value) {
        value = *variable;
      } else if (variable == nullptr && descriptor->kind == ParameterKind::ExistingVariable) {
        return E_FAIL;
      }
    }
    if (descriptor->type != ValueType::Any && descriptor->type != value.Type()) {
      return E_INVALIDARG;
    }
    if (!bare && descriptor->kind != ParameterKind::Value) return E_INVALIDARG;
    m_lastDescriptor = descriptor;
  }

  if (IsArithmetic(m_pending) && !m_values.empty()) {
    const HRESULT hr = ApplyOperator(m_pending, &m_values.back(), value);
    if (FAILED(hr)) return hr;
  } else {
    m_values.push_back(std::move(value));
  }
  m_pending = Operator::None;
  return S_OK;
}
