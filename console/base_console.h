// CBaseConsole is the framework for this console program: it writes
// messages to standard output, and errors to standard error, at the chosen
// display level and in the chosen
// output mode, splits the command line into positional parameters and
// options, and reports what was wrong with it. The application derives from
// it and supplies its options, positional parameters, validation,
// description and usage text through the virtual operations.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/message_writer.h"
#include "console/option_table.h"
#include "platform/standard_output.h"

// Display levels.
constexpr uint32_t kDisplayNone = 1;
constexpr uint32_t kDisplayProgress = 2;
constexpr uint32_t kDisplayNormal = 4;
constexpr uint32_t kDisplayVerbose = 8;

// Result codes of the parameter handlers: 0 or more accepted.
constexpr int kUnknownParameter = -1;
constexpr int kUnexpectedParameter = -2;
constexpr int kInvalidValue = -3;

// Base option ids.
constexpr uint32_t kOptionDisplay = 0x10000;
constexpr uint32_t kOptionHelp = 0x10001;

class CBaseConsole : public CMessageWriter {
 public:
  CBaseConsole();
  ~CBaseConsole() override = default;

  // Whether a base option (group 1) was given or set.
  virtual bool IsOptionSet(uint32_t id) const;
  virtual std::string GetDescription() const { return {}; }
  // Empty: no help.
  virtual std::string GetUsage() const { return {}; }
  virtual void SetDisplayLevel(uint32_t level) { m_displayLevel = level; }
  uint32_t GetDisplayLevel() const { return m_displayLevel; }
  OutputMode GetOutputMode() const { return m_outputMode; }

  // Whether an argument is an option: "-name" (not "-" alone, nor a
  // negative number), "--name[=value]", and "/name"
  // when the name part (up to ":") is empty, "?", or ASCII letters that,
  // when a ":" follows, select a known option. Everything else (absolute
  // paths, XPath queries) is positional.
  bool IsOptionArgument(std::string_view argument) const;

  // Every option, in the order that a name typed is matched against them:
  // the application's options, then the base options. Options with the
  // same id are one option under two names ("help" and "?").
  std::vector<NamedValue> GetOptionTable() const;

  // Parses arguments[1..count). Every failure is filed for the report.
  void ParseCommandLine(int count, const char* const* arguments);
  // Prints the usage, invalid values, unknown parameters and the validation
  // error, each as a block. Returns true when the program must stop.
  bool ReportCommandLine();
  void ShowHelp();
  // Writes a blank line when anything was written since the last one.
  void Separator();

  // Prints the title line alone: the program's name and version, as the
  // banner's first line.
  void PrintTitle();
  // Prints the banner: the title with the version, the one-line
  // description and the copyright line, each when present, and a blank line.
  void PrintBanner();

 protected:
  // The application's options (group 2 ids), matched before the base
  // options; new ones go after the existing rows, so that every
  // abbreviation keeps its meaning.
  virtual std::span<const NamedValue> GetApplicationOptions() const { return {}; }
  virtual int OnPositional(int position, const std::string& text);
  virtual int OnOption(std::string_view name, const std::vector<std::string>& values);
  virtual bool Validate() { return !IsOptionSet(kOptionHelp); }
  bool SetOption(uint32_t id);

  void SetAllowedLevels(uint32_t levels) { m_allowedLevels = levels; }
  // Whether an option value was invalid or a parameter unknown: what
  // ReportCommandLine reports besides the help and the validation error.
  bool HasParameterErrors() const {
    return !m_invalidValues.empty() || !m_unknownParameters.empty();
  }
  void SetValidationError(std::string message, HRESULT status) {
    m_validationMessage = std::move(message);
    m_validationStatus = status;
  }

  void Write(const std::string& text, StandardStream stream) override;

 private:
  // Whether name selects an option of any table.
  bool IsKnownOption(std::string_view name) const;
  int HandleDisplay(const std::vector<std::string>& values);
  void SetExpectedValues(std::span<const NamedValue> table, uint32_t mask);
  void ReportParameter(const std::string& argument, int code);
  void FinishOption(const std::string& argument, std::string_view name,
                    const std::vector<std::string>& values);

  uint32_t m_baseOptions = 0;
  std::string m_expectedValues;
  std::string m_invalidValues;
  std::string m_unknownParameters;
  std::string m_validationMessage;
  HRESULT m_validationStatus = S_OK;
  uint32_t m_displayLevel = kDisplayNormal;
  uint32_t m_allowedLevels = 0x7FFFFFFF;
  uint32_t m_linesSinceSeparator = 0;
  StandardStream m_lastStream = StandardStream::Output;
  OutputMode m_outputMode = OutputMode::Utf8;
};
