// CConsole is this program's console: its options, positional parameters,
// validation, description and usage, on top of the console framework. After
// ParseCommandLine it holds the run's settings.
#pragma once

#include <cstdint>
#include <string>

#include "console/base_console.h"

// Application option ids (group 2).
constexpr uint32_t kOptionBatch = 0x20000;
constexpr uint32_t kOptionCreate = 0x20001;
constexpr uint32_t kOptionEncoding = 0x20002;
constexpr uint32_t kOptionIndent = 0x20003;
constexpr uint32_t kOptionNoDeclaration = 0x20004;
constexpr uint32_t kOptionOutput = 0x20005;
constexpr uint32_t kOptionAll = 0x20006;
constexpr uint32_t kOptionGet = 0x20007;
constexpr uint32_t kOptionNamespace = 0x20008;
constexpr uint32_t kOptionPreserve = 0x20009;
constexpr uint32_t kOptionVersion = 0x2000A;

class CConsole : public CBaseConsole {
 public:
  CConsole();

  // Whether an application option was given (its group is 2), else the
  // base options' answer.
  bool IsOptionSet(uint32_t id) const override;
  std::string GetDescription() const override;
  std::string GetUsage() const override;

  const std::string& DocumentPath() const { return m_documentPath; }
  const std::string& OutputPath() const { return m_outputPath; }
  const std::string& DescriptionFilePath() const { return m_descriptionFilePath; }
  const std::string& QueryString() const { return m_queryString; }
  const std::string& Value() const { return m_value; }
  const std::string& Encoding() const { return m_encoding; }
  // Whether the document is read from standard input ("-"), and whether it
  // is saved to standard output (a document read from there, or /output -):
  // then every message goes to standard error, and standard output holds
  // the document alone.
  bool DocumentFromStandardInput() const;
  bool DocumentToStandardOutput() const;
  // The /ns bindings as a SelectionNamespaces value; empty for none.
  const std::string& SelectionNamespaces() const { return m_selectionNamespaces; }

 protected:
  std::span<const NamedValue> GetApplicationOptions() const override;
  int OnPositional(int position, const std::string& text) override;
  int OnOption(std::string_view name, const std::vector<std::string>& values) override;
  bool Validate() override;
  void Write(const std::string& text, StandardStream stream) override;

 private:
  // The parameter handler's result for a path resolved with status
  // resolved: a path too long is accepted, and too_long becomes the
  // validation error (the first one stays).
  int AcceptPath(HRESULT resolved, const char* too_long);
  // Adds prefix=uri to the selection namespaces; false when it is no binding.
  bool AddNamespace(std::string_view prefix, std::string_view uri);

  uint32_t m_options = 0;
  bool m_documentGiven = false;
  std::string m_documentPath;         // resolved
  std::string m_outputPath;           // resolved; defaults to the document path
  std::string m_descriptionFilePath;  // resolved, with /batch
  std::string m_secondArgument;       // as typed: a path stays bytes
  std::string m_queryString;          // as typed, decoded to UTF-8
  std::string m_value;                // as typed, decoded to UTF-8
  bool m_valueGiven = false;          // "" is a value; no argument is none
  std::string m_encoding;
  std::string m_pathError;  // the first path that was too long, told by Validate
  std::string m_selectionNamespaces;
  // A query run (/get) writes nothing to standard output but the values it
  // reads; its errors still reach standard error. This is the one place
  // that silences the banner and the progress.
  bool m_quiet = false;
  bool m_messagesToError = false;  // the document goes to standard output
};
