// CParser is the script engine: it owns the run's document, the argument
// list behind the system variables $0, $1, ... and, as it grows, everything
// a description script needs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "xml/xml_file.h"

class CParser {
 public:
  CParser();
  virtual ~CParser();
  CParser(const CParser&) = delete;
  CParser& operator=(const CParser&) = delete;

  // Fills the argument list: arguments[0] (the program) and every following
  // argument up to, not including, the first one that is_option takes for an
  // option. Arguments are decoded as UTF-8 when valid, else as Latin-1.
  // Returns S_OK, or E_OUTOFMEMORY when the list cannot grow.
  HRESULT SetArguments(int count, const char* const* arguments,
                       const std::function<bool(std::string_view)>& is_option);
  size_t GetArgumentCount() const { return m_arguments.size(); }
  const std::string& GetArgument(size_t index) const { return m_arguments[index]; }

  CXmlFile& GetDocument() { return m_document; }

  // Runs the description file at path. Returns S_OK, S_FALSE after a script
  // error, or a failure status.
  HRESULT RunDescriptionFile(const std::string& path);
  // Selects the node that query names and sets its value.
  HRESULT RunCommandLine(std::string_view query, std::string_view value);
  // Commands executed successfully by the last run.
  uint32_t GetExecutedCount() const { return m_executedCount; }
  // The error text of the last failed run.
  void GetErrorMessage(std::string* text) const;
  // The listing of the description file around the last error: S_OK when
  // the failing line was listed, S_FALSE when there is nothing to list, or
  // a failure status.
  HRESULT GetErrorListing(std::string* text);

 private:
  CXmlFile m_document;
  std::vector<std::string> m_arguments;
  uint32_t m_executedCount = 0;
};
