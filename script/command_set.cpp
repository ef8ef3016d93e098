#include "script/command_set.h"

#include <span>

#include "platform/file.h"
#include "platform/path.h"
#include "script/expressions.h"
#include "xml/xml_names.h"

struct CommandForm {
  StatementId statement;
  HRESULT (CCommandSet::*handler)(CParameterInfo& parameters);
  std::span<const ParameterDescriptor> parameters;
};

namespace {

constexpr ParameterDescriptor kStringIntoVariable[] = {kString, kNewName};
constexpr ParameterDescriptor kAnyIntoVariable[] = {kAny, kNewName};
constexpr ParameterDescriptor kIntoVariable[] = {kNewName};
constexpr ParameterDescriptor kOneAny[] = {kAny};
constexpr ParameterDescriptor kAnyAndString[] = {kAny, kString};
constexpr ParameterDescriptor kVariableAndValue[] = {kNewName, kAny};
constexpr ParameterDescriptor kExistingVariable[] = {kExistingName};

}  // namespace

const CommandForm* FindCommandForm(StatementId statement) {
  using C = CCommandSet;
  using X = CXmlFile;
  using P = Placement;
  // Every valid statement; any other combination of words is none.
  static constexpr CommandForm kForms[] = {
      {kAdd | kAttribute, &C::RunWithTwoTexts<&X::SetAttribute>, kTwoStrings},
      {kAdd | kCDataSection, &C::RunWithText<&X::AddCDataSection>, kOneString},
      {kAdd | kComment, &C::RunWithText<&X::AddComment>, kOneString},
      {kAdd | kElement, &C::RunWithText<&X::AddElement>, kOneString},
      {kAdd | kNode, &C::AddNode, kTwoStrings},
      {kAdd | kRoot, &C::RunWithText<&X::AddRoot>, kOneString},
      {kAdd | kText, &C::RunWithText<&X::AddText>, kOneString},
      {kAdd | kChild | kCDataSection, &C::RunWithTwoTexts<&X::AddChildCDataSection>, kTwoStrings},
      {kAdd | kChild | kElement, &C::RunWithText<&X::AddChildElement>, kOneString},
      {kAdd | kChild | kText, &C::RunWithTwoTexts<&X::AddChildText>, kTwoStrings},
      {kAdd | kChild | kNode, &C::RunWithTwoTexts<&X::AddChildText>, kTwoStrings},
      {kGet | kAttribute, &C::GetAttribute, kStringIntoVariable},
      {kGet | kChild, &C::GetChild, kAnyIntoVariable},
      {kGet | kNode, &C::GetNode, kIntoVariable},
      {kRemove | kAttribute, &C::RunWithText<&X::RemoveAttribute>, kOneString},
      {kRemove | kChild, &C::RemoveChild, kOneAny},
      {kRemove | kNode, &C::Run<&X::RemoveNode>, {}},
      {kSelect | kChild, &C::SelectChild, kOneAny},
      {kSelect | kDocument, &C::Run<&X::SelectDocument>, {}},
      {kSelect | kNext, &C::Run<&X::SelectNext>, {}},
      {kSelect | kNode, &C::RunWithText<&X::SelectNode>, kOneString},
      {kSelect | kParent, &C::Run<&X::SelectParent>, {}},
      {kSelect | kPrevious, &C::Run<&X::SelectPrevious>, {}},
      {kSelect | kRoot, &C::Run<&X::SelectRoot>, {}},
      {kSet | kAttribute, &C::RunWithTwoTexts<&X::SetAttribute>, kTwoStrings},
      {kSet | kChild, &C::SetChild, kAnyAndString},
      {kSet | kNode, &C::RunWithText<&X::SetText>, kOneString},
      {kSet | kProperty, &C::SetProperty, kTwoStrings},
      {kLoad, &C::Load, kOneString},
      {kClear, &C::Run<&X::Create>, {}},
      {kVar, &C::Var, kVariableAndValue},
      {kIncrement, &C::Step<1>, kExistingVariable},
      {kDecrement, &C::Step<-1>, kExistingVariable},
      {kSet | kNodes, &C::OnMatches<&C::RunWithTwoTexts<&X::SetNodesText>>, kTwoStrings},
      {kRemove | kNodes, &C::OnMatches<&C::RunWithText<&X::RemoveNodes>>, kOneString},
      {kGet | kNodes, &C::OnMatches<&C::GetNodes>, kStringIntoVariable},
      {kAdd | kBefore | kCDataSection, &C::InsertContent<P::Before, NodeKind::CData>, kOneString},
      {kAdd | kBefore | kComment, &C::InsertContent<P::Before, NodeKind::Comment>, kOneString},
      {kAdd | kBefore | kElement, &C::InsertElement<P::Before>, kOneString},
      {kAdd | kBefore | kNode, &C::InsertNode<P::Before>, kTwoStrings},
      {kAdd | kBefore | kText, &C::InsertContent<P::Before, NodeKind::Text>, kOneString},
      {kAdd | kAfter | kCDataSection, &C::InsertContent<P::After, NodeKind::CData>, kOneString},
      {kAdd | kAfter | kComment, &C::InsertContent<P::After, NodeKind::Comment>, kOneString},
      {kAdd | kAfter | kElement, &C::InsertElement<P::After>, kOneString},
      {kAdd | kAfter | kNode, &C::InsertNode<P::After>, kTwoStrings},
      {kAdd | kAfter | kText, &C::InsertContent<P::After, NodeKind::Text>, kOneString},
      {kRename | kNode, &C::RunWithText<&X::Rename>, kOneString},
      {kMove | kNode, &C::OnMatches<&C::Move<P::LastChild>>, kOneString},
      {kMove | kBefore, &C::OnMatches<&C::Move<P::Before>>, kOneString},
      {kMove | kAfter, &C::OnMatches<&C::Move<P::After>>, kOneString},
      {kPrint, &C::Print, kOneAny},
  };
  for (const CommandForm& form : kForms) {
    if (form.statement == statement) return &form;
  }
  return nullptr;
}

HRESULT CCommandSet::Call(CParameterInfo& parameters) {
  if (!parameters.IsDeclared()) {
    parameters.Declare(m_form->parameters);
    return S_OK;
  }
  return (this->*m_form->handler)(parameters);
}

HRESULT CCommandSet::FromDocument(HRESULT hr, size_t first) {
  if (CXmlFile::IsRefusal(hr)) {
    m_badParameter = first + static_cast<size_t>(m_document->BadArgument());
  }
  return hr;
}

template <typename Operation>
HRESULT CCommandSet::AtPositionOrExpression(const CParameterInfo& parameters, Operation operation) {
  const ScriptValue& target = parameters.GetValue(0);
  if (target.IsInteger()) return FromDocument(operation(target.Integer()));
  if (target.IsString()) return FromDocument(operation(std::string_view(target.String())));
  m_badParameter = 0;
  return E_INVALIDARG;
}

HRESULT CCommandSet::StoreText(HRESULT hr, std::string* text, CParameterInfo& parameters) {
  if (hr != S_OK) return hr;
  std::string_view name;
  hr = parameters.GetString(parameters.GetCount() - 1, &name);
  if (SUCCEEDED(hr)) parameters.SetVariable(name, ScriptValue(std::move(*text)));
  return hr;
}

template <HRESULT (CXmlFile::*kOperation)()>
HRESULT CCommandSet::Run(CParameterInfo&) {
  return FromDocument((m_document->*kOperation)());
}

template <HRESULT (CXmlFile::*kOperation)(std::string_view)>
HRESULT CCommandSet::RunWithText(CParameterInfo& parameters) {
  std::string_view text;
  HRESULT hr = parameters.GetString(0, &text);
  if (SUCCEEDED(hr)) hr = FromDocument((m_document->*kOperation)(text));
  return hr;
}

template <HRESULT (CXmlFile::*kOperation)(std::string_view, std::string_view)>
HRESULT CCommandSet::RunWithTwoTexts(CParameterInfo& parameters) {
  std::string_view first, second;
  HRESULT hr = parameters.GetStrings({&first, &second});
  if (SUCCEEDED(hr)) hr = FromDocument((m_document->*kOperation)(first, second));
  return hr;
}

HRESULT CCommandSet::AddNode(CParameterInfo& parameters) {
  std::string_view name, text;
  HRESULT hr = parameters.GetStrings({&name, &text});
  if (FAILED(hr)) return hr;
  // The text is checked before the element is added, so that a refused
  // text leaves the document as it was.
  if (!IsXmlText(text)) {
    m_badParameter = 1;
    return E_INVALIDARG;
  }
  hr = FromDocument(m_document->AddElement(name));
  if (hr == S_OK) hr = FromDocument(m_document->AddText(text), 1);
  return hr;
}

HRESULT CCommandSet::GetAttribute(CParameterInfo& parameters) {
  std::string_view name;
  HRESULT hr = parameters.GetString(0, &name);
  if (FAILED(hr)) return hr;
  std::string text;
  return StoreText(FromDocument(m_document->GetAttribute(name, &text)), &text, parameters);
}

HRESULT CCommandSet::GetChild(CParameterInfo& parameters) {
  std::string text;
  const HRESULT hr = AtPositionOrExpression(
      parameters, [&](auto target) { return m_document->GetChildText(target, &text); });
  return StoreText(hr, &text, parameters);
}

HRESULT CCommandSet::GetNode(CParameterInfo& parameters) {
  std::string text;
  return StoreText(FromDocument(m_document->GetText(&text)), &text, parameters);
}

HRESULT CCommandSet::RemoveChild(CParameterInfo& parameters) {
  return AtPositionOrExpression(parameters,
                                [&](auto target) { return m_document->RemoveChild(target); });
}

HRESULT CCommandSet::SelectChild(CParameterInfo& parameters) {
  return AtPositionOrExpression(parameters,
                                [&](auto target) { return m_document->SelectChild(target); });
}

HRESULT CCommandSet::SetChild(CParameterInfo& parameters) {
  std::string_view text;
  const HRESULT hr = parameters.GetString(1, &text);
  if (FAILED(hr)) return hr;
  return AtPositionOrExpression(
      parameters, [&](auto target) { return m_document->SetChildText(target, text); });
}

HRESULT CCommandSet::SetProperty(CParameterInfo& parameters) {
  std::string_view name, value;
  HRESULT hr = parameters.GetStrings({&name, &value});
  if (FAILED(hr)) return hr;
  hr = m_document->SetProperty(name, value);
  // A value that does not convert to the property's type, or namespace
  // declarations that do not parse, are the value's fault.
  if (hr == DISP_E_TYPEMISMATCH || hr == XML_E_INVALID_SELECTION_NAMESPACES) m_badParameter = 1;
  return FromDocument(hr);
}

HRESULT CCommandSet::Load(CParameterInfo& parameters) {
  std::string_view path;
  const HRESULT hr = parameters.GetString(0, &path);
  if (FAILED(hr)) return hr;
  std::string full_path;
  if (FAILED(ResolvePath(path, &full_path)) || !PathExists(full_path)) {
    m_badParameter = 0;
    return E_FILE_NOT_FOUND;
  }
  return FromDocument(m_document->Load(full_path));
}

HRESULT CCommandSet::Var(CParameterInfo& parameters) {
  std::string_view name;
  const HRESULT hr = parameters.GetString(0, &name);
  if (SUCCEEDED(hr)) parameters.SetVariable(name, parameters.GetValue(1));
  return hr;
}

template <int32_t kStep>
HRESULT CCommandSet::Step(CParameterInfo& parameters) {
  std::string_view name;
  const HRESULT hr = parameters.GetString(0, &name);
  if (FAILED(hr)) return hr;
  const ScriptValue* variable = parameters.FindVariable(name);
  if (variable == nullptr) return E_FAIL;
  if (!variable->IsInteger()) {
    m_badParameter = 0;
    return E_INVALIDARG;
  }
  parameters.SetVariable(name, ScriptValue(WrappingAdd(variable->Integer(), kStep)));
  return S_OK;
}

// The forms that work on what an expression (parameter 0) selects fail
// with their own status when it selects nothing.
template <HRESULT (CCommandSet::*kHandler)(CParameterInfo&)>
HRESULT CCommandSet::OnMatches(CParameterInfo& parameters) {
  const HRESULT hr = (this->*kHandler)(parameters);
  if (hr != S_FALSE) return hr;
  m_badParameter = 0;
  return SCRIPT_E_NOTHING_MATCHED;
}

// One text a line, without a final line end: print adds it.
HRESULT CCommandSet::GetNodes(CParameterInfo& parameters) {
  std::string_view expression;
  HRESULT hr = parameters.GetString(0, &expression);
  if (FAILED(hr)) return hr;
  std::vector<std::string> texts;
  hr = FromDocument(m_document->GetNodesText(expression, &texts));
  std::string joined;
  for (size_t index = 0; index < texts.size(); ++index) {
    if (index > 0) joined += '\n';
    joined += texts[index];
  }
  return StoreText(hr, &joined, parameters);
}

template <Placement kSide>
HRESULT CCommandSet::InsertElement(CParameterInfo& parameters) {
  std::string_view name;
  const HRESULT hr = parameters.GetString(0, &name);
  if (FAILED(hr)) return hr;
  return FromDocument(m_document->InsertElement(kSide, name, {}));
}

template <Placement kSide>
HRESULT CCommandSet::InsertNode(CParameterInfo& parameters) {
  std::string_view name, text;
  const HRESULT hr = parameters.GetStrings({&name, &text});
  if (FAILED(hr)) return hr;
  return FromDocument(m_document->InsertElement(kSide, name, text));
}

template <Placement kSide, NodeKind kKind>
HRESULT CCommandSet::InsertContent(CParameterInfo& parameters) {
  std::string_view text;
  const HRESULT hr = parameters.GetString(0, &text);
  if (FAILED(hr)) return hr;
  return FromDocument(m_document->InsertContent(kSide, kKind, text));
}

template <Placement kPlace>
HRESULT CCommandSet::Move(CParameterInfo& parameters) {
  std::string_view expression;
  const HRESULT hr = parameters.GetString(0, &expression);
  if (FAILED(hr)) return hr;
  return FromDocument(m_document->Move(kPlace, expression));
}

// An integer prints in decimal; the line end is always "\n", as the run's
// output goes to pipes and files.
HRESULT CCommandSet::Print(CParameterInfo& parameters) {
  const ScriptValue& value = parameters.GetValue(0);
  std::string line =
      value.IsInteger() ? std::to_string(value.Integer()) : std::string(value.String());
  line += '\n';
  return *m_output ? (*m_output)(line) : S_OK;
}
