#include "script/function_table.h"

#include <span>

#include "functions/function_library.h"
#include "platform/ascii_case.h"
#include "platform/name_match.h"

using FunctionHandler = HRESULT (*)(CFunction& function, const CParameterInfo& parameters);

struct FunctionRow {
  std::string_view name;
  FunctionHandler handler;
  std::span<const ParameterDescriptor> parameters;
};

namespace {

constexpr ParameterDescriptor kThreeStrings[] = {kString, kString, kString};
constexpr ParameterDescriptor kSizeParameters[] = {kString, kString, kAny};

// Functions of one text whose result is another text.
template <std::string (*kConvert)(std::string_view)>
HRESULT ConvertText(CFunction& function, const CParameterInfo& parameters) {
  std::string_view text;
  const HRESULT hr = parameters.GetString(0, &text);
  if (SUCCEEDED(hr)) *function.MutableResult() = kConvert(text);
  return hr;
}

// Functions of one path that may fail.
template <HRESULT (*kQuery)(std::string_view, std::string*)>
HRESULT QueryPath(CFunction& function, const CParameterInfo& parameters) {
  std::string_view path;
  HRESULT hr = parameters.GetString(0, &path);
  if (SUCCEEDED(hr)) hr = kQuery(path, function.MutableResult());
  return hr;
}

// Functions of a file and one more text.
template <HRESULT (*kQuery)(std::string_view, std::string_view, std::string*)>
HRESULT QueryFile(CFunction& function, const CParameterInfo& parameters) {
  std::string_view file, detail;
  HRESULT hr = parameters.GetStrings({&file, &detail});
  if (SUCCEEDED(hr)) hr = kQuery(file, detail, function.MutableResult());
  return hr;
}

// The precision is an integer, or an empty string for the unit's default.
// The library checks the integer's range; a non-empty string is refused here
// and reported at the first argument, as the library reports its refusals.
HRESULT Size(CFunction& function, const CParameterInfo& parameters) {
  std::string_view file, unit;
  HRESULT hr = parameters.GetStrings({&file, &unit});
  if (FAILED(hr)) return hr;
  const ScriptValue& precision = parameters.GetValue(2);
  int32_t digits = -1;
  if (precision.IsInteger()) {
    digits = precision.Integer();
  } else if (!precision.IsString() || !precision.String().empty()) {
    function.SetBadParameter(0);
    return E_INVALIDARG;
  }
  return FileSizeText(file, unit, digits, function.MutableResult());
}

template <FileTimeKind kKind>
HRESULT FileTime(CFunction& function, const CParameterInfo& parameters) {
  std::string_view file, date_picture, time_picture;
  HRESULT hr = parameters.GetStrings({&file, &date_picture, &time_picture});
  if (SUCCEEDED(hr)) {
    hr = FileTimeText(file, kKind, date_picture, time_picture, function.MutableResult());
  }
  return hr;
}

// Searched in this order, so an ambiguous prefix means the earlier row.
constexpr FunctionRow kFunctions[] = {
    {"LowerCase", ConvertText<LowerCaseAscii>, kOneString},
    {"UpperCase", ConvertText<UpperCaseAscii>, kOneString},
    {"FileName", ConvertText<FileNameOf>, kOneString},
    {"FullPath", QueryPath<FullPathOf>, kOneString},
    {"Directory", QueryPath<DirectoryOf>, kOneString},
    {"Version", QueryFile<FileVersionText>, kTwoStrings},
    {"VersionInfo", QueryFile<FileVersionInfoText>, kTwoStrings},
    {"Size", Size, kSizeParameters},
    {"LastWriteTime", FileTime<FileTimeKind::LastWrite>, kThreeStrings},
    {"LastAccessTime", FileTime<FileTimeKind::LastAccess>, kThreeStrings},
    {"CreationTime", FileTime<FileTimeKind::Creation>, kThreeStrings},
    {"Hash", QueryFile<FileHashText>, kTwoStrings},
};

}  // namespace

const FunctionRow* FindFunction(std::string_view name) {
  return FindByNamePrefix(std::span<const FunctionRow>(kFunctions), name);
}

HRESULT CFunction::Call(CParameterInfo& parameters) {
  if (!parameters.IsDeclared()) {
    parameters.Declare(m_function->parameters);
    return S_OK;
  }
  return m_function->handler(*this, parameters);
}
