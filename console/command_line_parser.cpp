// The command-line half of CBaseConsole: splitting, option lookup, the
// base options and the report.
#include <cctype>
#include <iterator>

#include "console/base_console.h"
#include "platform/program_path.h"

namespace {

constexpr NamedValue kBaseOptions[] = {
    {"display", kOptionDisplay},
    {"help", kOptionHelp},
    {"?", kOptionHelp},
};

constexpr NamedValue kDisplayLevels[] = {
    {"none", kDisplayNone},
    {"normal", kDisplayNormal},
    {"progress", kDisplayProgress},
    {"verbose", kDisplayVerbose},
};

constexpr NamedValue kOutputModes[] = {
    {"text", static_cast<uint32_t>(OutputMode::Locale)},
    {"unicode", static_cast<uint32_t>(OutputMode::Utf16)},
    {"utf8", static_cast<uint32_t>(OutputMode::Utf8)},
};

constexpr size_t kMaxValues = 32;
constexpr char kValueSeparators[] = ",;=";

bool IsAsciiLetters(std::string_view text) {
  for (char c : text) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

// One option argument taken apart: "--name=a,b" and "/name:a,b" alike.
struct OptionArgument {
  std::string reported;  // the argument as reported: up to its value part
  std::string name;
  bool has_values = false;
  std::string value_text;
};

OptionArgument SplitOption(std::string_view argument) {
  OptionArgument option;
  size_t name_begin = 1;
  size_t separator = argument.find(':');
  if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
    // GNU spelling: "--name=value" reads like "-name:value".
    name_begin = 2;
    separator = argument.find('=');
  }
  option.reported = std::string(argument.substr(0, separator));
  option.name = option.reported.substr(std::min(name_begin, option.reported.size()));
  if (separator != std::string_view::npos) {
    option.has_values = true;
    option.value_text = std::string(argument.substr(separator + 1));
  }
  return option;
}

// Splits a value list: values separated by "," ";" "=", a value that begins
// with a double quote runs to the next one. False for a missing closing
// quote or more than kMaxValues values.
bool SplitValues(const std::string& text, std::vector<std::string>* values) {
  size_t pos = 0;
  for (;;) {
    if (values->size() == kMaxValues) return false;
    size_t separator;
    if (pos < text.size() && text[pos] == '"') {
      const size_t close = text.find('"', pos + 1);
      if (close == std::string::npos) return false;
      values->push_back(text.substr(pos + 1, close - pos - 1));
      // Anything between the closing quote and the separator is dropped.
      separator = text.find_first_of(kValueSeparators, close + 1);
    } else {
      separator = text.find_first_of(kValueSeparators, pos);
      values->push_back(text.substr(pos, separator - pos));
    }
    if (separator == std::string::npos) return true;
    pos = separator + 1;
  }
}

}  // namespace

bool CBaseConsole::IsOptionSet(uint32_t id) const {
  return OptionGroup(id) == kBaseOptionGroup && (m_baseOptions & OptionBit(id)) != 0;
}

bool CBaseConsole::SetOption(uint32_t id) {
  if (OptionGroup(id) != kBaseOptionGroup) return false;
  m_baseOptions |= OptionBit(id);
  return true;
}

std::vector<NamedValue> CBaseConsole::GetOptionTable() const {
  const std::span<const NamedValue> application = GetApplicationOptions();
  std::vector<NamedValue> table(application.begin(), application.end());
  table.insert(table.end(), std::begin(kBaseOptions), std::end(kBaseOptions));
  return table;
}

bool CBaseConsole::IsKnownOption(std::string_view name) const {
  return FindOption(name, GetApplicationOptions()) >= 0 || FindOption(name, kBaseOptions) >= 0;
}

bool CBaseConsole::IsOptionArgument(std::string_view argument) const {
  if (argument.empty()) return false;
  // "-" alone names a standard stream, as in other programs.
  if (argument[0] == '-') {
    return argument.size() > 1 && !std::isdigit(static_cast<unsigned char>(argument[1]));
  }
  if (argument[0] != '/') return false;
  const size_t colon = argument.find(':');
  const std::string_view name =
      argument.substr(1, colon == std::string_view::npos ? colon : colon - 1);
  if (name.empty() || name == "?") return true;
  if (!IsAsciiLetters(name)) return false;
  return colon == std::string_view::npos || IsKnownOption(name);
}

int CBaseConsole::OnPositional(int, const std::string&) { return kUnexpectedParameter; }

int CBaseConsole::OnOption(std::string_view name, const std::vector<std::string>& values) {
  const int index = FindOption(name, kBaseOptions);
  if (index < 0) return kUnknownParameter;
  const uint32_t id = kBaseOptions[index].value;
  // Set before the values are checked: "/help:x" asks for help and is
  // reported as invalid.
  SetOption(id);
  if (id == kOptionDisplay) return HandleDisplay(values);
  return values.empty() ? index : kInvalidValue;
}

int CBaseConsole::HandleDisplay(const std::vector<std::string>& values) {
  if (values.size() > 2) return kInvalidValue;
  if (!values.empty() && !values[0].empty()) {
    const int level = FindOption(values[0], kDisplayLevels);
    const uint32_t value = level < 0 ? 0 : kDisplayLevels[level].value;
    if (level < 0 || (value & m_allowedLevels) != value) {
      SetExpectedValues(kDisplayLevels, m_allowedLevels);
      return kInvalidValue;
    }
    SetDisplayLevel(value);
  }
  if (values.size() == 2 && !values[1].empty()) {
    const int mode = FindOption(values[1], kOutputModes);
    if (mode < 0) {
      SetExpectedValues(kOutputModes, 0);
      return kInvalidValue;
    }
    m_outputMode = static_cast<OutputMode>(kOutputModes[mode].value);
  }
  return 0;
}

void CBaseConsole::SetExpectedValues(std::span<const NamedValue> table, uint32_t mask) {
  m_expectedValues.clear();
  if (mask == 0) mask = 0xFFFFFFFF;
  for (const NamedValue& entry : table) {
    if ((entry.value & mask) != entry.value) continue;
    if (!m_expectedValues.empty()) m_expectedValues += ',';
    m_expectedValues += entry.name;
  }
}

void CBaseConsole::ReportParameter(const std::string& argument, int code) {
  if (code == kInvalidValue) {
    m_invalidValues += "\t" + argument;
    if (!m_expectedValues.empty()) m_invalidValues += " (expected: " + m_expectedValues + ")";
    m_invalidValues += "\n";
    m_expectedValues.clear();
  } else if (code == kUnknownParameter || code == kUnexpectedParameter) {
    m_unknownParameters += "\t" + argument + "\n";
    SetOption(kOptionHelp);
  }
}

void CBaseConsole::FinishOption(const std::string& argument, std::string_view name,
                                const std::vector<std::string>& values) {
  ReportParameter(argument, OnOption(name, values));
}

void CBaseConsole::ParseCommandLine(int count, const char* const* arguments) {
  bool option_seen = false;
  // An option written without values takes the plain arguments after it.
  bool pending = false;
  OptionArgument pending_option;
  std::vector<std::string> pending_values;
  const auto finish_pending = [&] {
    if (!pending) return;
    pending = false;
    if (pending_values.size() > kMaxValues) {
      ReportParameter(pending_option.reported, kInvalidValue);
    } else {
      FinishOption(pending_option.reported, pending_option.name, pending_values);
    }
  };

  for (int i = 1; i < count; ++i) {
    const std::string argument = arguments[i];
    if (!IsOptionArgument(argument)) {
      if (pending) {
        pending_values.push_back(argument);
      } else {
        ReportParameter(argument, option_seen ? kUnexpectedParameter : OnPositional(i, argument));
      }
      continue;
    }
    finish_pending();
    option_seen = true;
    OptionArgument option = SplitOption(argument);
    if (option.name.empty()) {
      ReportParameter(option.reported, kUnknownParameter);
    } else if (!option.has_values) {
      pending = true;
      pending_option = std::move(option);
      pending_values.clear();
    } else {
      std::vector<std::string> values;
      if (SplitValues(option.value_text, &values)) {
        FinishOption(option.reported, option.name, values);
      } else {
        ReportParameter(option.reported, kInvalidValue);
      }
    }
  }
  finish_pending();
  if (!Validate()) SetOption(kOptionHelp);
}

bool CBaseConsole::ReportCommandLine() {
  m_linesSinceSeparator = 0;
  bool stop = false;
  if (IsOptionSet(kOptionHelp)) {
    ShowHelp();
    stop = true;
  }
  Separator();
  if (!m_invalidValues.empty()) {
    PrintErrorVerbatim("Invalid parameter value(s):\n\n" + m_invalidValues);
    stop = true;
  }
  Separator();
  if (!m_unknownParameters.empty()) {
    PrintErrorVerbatim("Unknown parameter(s):\n\n" + m_unknownParameters);
    stop = true;
  }
  Separator();
  if (!m_validationMessage.empty()) {
    PrintError("%s", m_validationStatus, m_validationMessage.c_str());
    stop = true;
  }
  Separator();
  return stop;
}

void CBaseConsole::ShowHelp() {
  const std::string usage = GetUsage();
  if (usage.empty()) {
    PrintInfo("No help is available for this program.");
    return;
  }
  const std::string name = GetProgramName();
  if (name.empty()) return;
  PrintText("Usage:\n\n  ");
  PrintVerbatim(name);
  PrintText(" ");
  PrintVerbatim(usage);
}
