#include "app/app_console.h"

#include "platform/file.h"
#include "platform/path.h"
#include "platform/text_encoding.h"
#include "xml/xml_names.h"

namespace {

// Matched in this order, before the base options; new options go after the
// existing rows. The usage below names each of them.
constexpr NamedValue kApplicationOptions[] = {
    {"batch", kOptionBatch},
    {"create", kOptionCreate},
    {"encoding", kOptionEncoding},
    {"indent", kOptionIndent},
    {"nodeclaration", kOptionNoDeclaration},
    {"output", kOptionOutput},
    {"all", kOptionAll},
    {"get", kOptionGet},
    {"ns", kOptionNamespace},
    {"preserve", kOptionPreserve},
    {"version", kOptionVersion},
};

constexpr char kDefaultEncoding[] = "utf-8";

// Stands for standard input as the document or the description file, and
// for standard output as the output path.
constexpr char kStandardStreamArgument[] = "-";

constexpr HRESULT kPathTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

constexpr char kUsage[] =
    "<xmlfile> [[<descfile>] | [<querystring> <value>]] [<args>...]\n"
    "\t[/batch] [/create] [/display [<level> [<mode>]]] [/encoding <value>]\n"
    "\t[/indent] [/nodeclaration] [/output <path>] [/all] [/get]\n"
    "\t[/ns <prefix>=<uri>]... [/preserve] [/version] [/?]\n"
    "\n"
    "Where:\n"
    "\n"
    "  <xmlfile>      Fully or partially qualified path of XML file to update.\n"
    "                  (- reads it from standard input and writes it to standard\n"
    "                  output, and every message goes to standard error.)\n"
    "\n"
    "  <descfile>     Fully or partially qualified path of description file to use.\n"
    "                  (- reads it from standard input.)\n"
    " - or -\n"
    "  <querystring>  Specifies the selection path of the node to modify.\n"
    "                  (Prepend the path with a '?' if it begins with a '/'.)\n"
    "                 If neither a description file nor a query string is specified\n"
    "                 the source document is only reformatted if needed.\n"
    "  <value>        Value to apply to the node selected by <querystring>.\n"
    "\n"
    "  <args>         Any number of user-defined parameters.\n"
    "                  (retrieved with system variables: $3, $4, etc., see /batch)\n"
    "\n"
    "Optional parameters:\n"
    "\n"
    "  /batch         Specifies that the 2nd parameter is the path of a description\n"
    "                 file that holds a list of commands to apply to the XML file.\n"
    "  /create        Creates the specified XML file if it does not exist yet.\n"
    "  /display       Sets the level of information that will be displayed and\n"
    "                  optionally the translation mode.\n"
    "                  <level> is either of the following values:\n"
    "                   none    - no display at all.\n"
    "                   normal  - displays everything (default).\n"
    "                  <mode> is either of the following translation modes:\n"
    "                   text    - default output.\n"
    "                   unicode - UTF-16 output.\n"
    "                   utf8    - UTF-8 output.\n"
    "  /encoding      Specifies the encoding of the output file (default: utf-8).\n"
    "  /indent        Enables indenting of the output file.\n"
    "  /nodeclaration Omits XML declaration in the output file.\n"
    "  /output        Specifies an alternate output path and/or filename.\n"
    "                  (- writes the document to standard output.)\n"
    "  /all           Applies <value> to every node <querystring> selects, not only\n"
    "                  the first (with /get: prints the text of every one).\n"
    "  /get           Prints the text of the node <querystring> selects instead of\n"
    "                  setting it (no <value>); nothing is saved and only errors\n"
    "                  are shown besides the text.\n"
    "  /ns            Binds a namespace prefix for <querystring>: /ns p=urn:x\n"
    "                  (repeatable; like the SelectionNamespaces property).\n"
    "  /preserve      Leaves every byte of the file that no change touches as it is:\n"
    "                 its layout, encoding and declaration stay (not with /indent).\n"
    "  /version       Displays the program's name and version.\n"
    "  /?             Displays this help message.\n";

}  // namespace

CConsole::CConsole() {
  SetDecoration(kDecorationLabels);
  SetAllowedLevels(kDisplayNone | kDisplayNormal);
}

bool CConsole::IsOptionSet(uint32_t id) const {
  if (OptionGroup(id) == kApplicationOptionGroup) return (m_options & OptionBit(id)) != 0;
  return CBaseConsole::IsOptionSet(id);
}

std::string CConsole::GetDescription() const {
  return "Lightweight command-line updater for XML documents.";
}

std::string CConsole::GetUsage() const { return kUsage; }

std::span<const NamedValue> CConsole::GetApplicationOptions() const { return kApplicationOptions; }

int CConsole::OnPositional(int position, const std::string& text) {
  switch (position) {
    case 1:
      m_documentGiven = true;
      if (text == kStandardStreamArgument) {
        m_documentPath = kStandardInputPath;
        return 0;
      }
      // A path that cannot be resolved is refused rather than cut or
      // replaced: the run must never write to another file than meant.
      return AcceptPath(ResolvePath(text, &m_documentPath),
                        "the path of the XML file is too long.");
    case 2:
      m_secondArgument = text;
      m_queryString = DecodeUnmarkedText(text);
      return 0;
    case 3:
      m_value = DecodeUnmarkedText(text);
      m_valueGiven = true;
      return 0;
    default:
      // Later arguments reach scripts as system variables.
      return 0;
  }
}

int CConsole::OnOption(std::string_view name, const std::vector<std::string>& values) {
  const int index = FindOption(name, kApplicationOptions);
  if (index < 0) return CBaseConsole::OnOption(name, values);
  const uint32_t id = kApplicationOptions[index].value;
  // Set before the values are checked, so an option with wrong values is
  // still set.
  m_options |= OptionBit(id);
  switch (id) {
    case kOptionEncoding:
      if (values.size() != 1 || values[0].empty()) return kInvalidValue;
      m_encoding = values[0];
      return 0;
    case kOptionNamespace:
      // "/ns p=uri q=uri2" gives each binding whole; "/ns:p=uri" is split
      // at the "=" by the option syntax.
      if (values.size() == 2 && values[0].find('=') == std::string::npos) {
        return AddNamespace(values[0], values[1]) ? 0 : kInvalidValue;
      }
      if (values.empty()) return kInvalidValue;
      for (const std::string& binding : values) {
        const size_t equals = binding.find('=');
        if (equals == std::string::npos ||
            !AddNamespace(std::string_view(binding).substr(0, equals),
                          std::string_view(binding).substr(equals + 1))) {
          return kInvalidValue;
        }
      }
      return 0;
    case kOptionOutput:
      // An output path that cannot be resolved must not fall back to the
      // document: that would overwrite the file the user meant to keep.
      if (values.size() != 1) return kInvalidValue;
      if (values[0] == kStandardStreamArgument) {
        m_outputPath = kStandardOutputPath;
        return 0;
      }
      return AcceptPath(ResolvePath(values[0], &m_outputPath), "the output path is too long.");
    default:
      return values.empty() ? index : kInvalidValue;
  }
}

int CConsole::AcceptPath(HRESULT resolved, const char* too_long) {
  if (resolved == kPathTooLong) {
    if (m_pathError.empty()) m_pathError = too_long;
    return 0;
  }
  return SUCCEEDED(resolved) ? 0 : kInvalidValue;
}

bool CConsole::AddNamespace(std::string_view prefix, std::string_view uri) {
  if (!IsNcName(prefix) || prefix == "xml" || prefix == "xmlns" || uri.empty()) return false;
  const char quote = uri.find('\'') == std::string_view::npos ? '\'' : '"';
  if (uri.find(quote) != std::string_view::npos) return false;
  if (!m_selectionNamespaces.empty()) m_selectionNamespaces += ' ';
  m_selectionNamespaces += "xmlns:" + std::string(prefix) + "=" + quote + std::string(uri) + quote;
  return true;
}

void CConsole::Write(const std::string& text, StandardStream stream) {
  if (m_messagesToError) stream = StandardStream::Error;
  if (!m_quiet || stream == StandardStream::Error) CBaseConsole::Write(text, stream);
}

bool CConsole::DocumentFromStandardInput() const { return m_documentPath == kStandardInputPath; }

bool CConsole::DocumentToStandardOutput() const {
  return m_outputPath == kStandardOutputPath && !IsOptionSet(kOptionGet);
}

bool CConsole::Validate() {
  if (IsOptionSet(kOptionHelp)) return false;
  // The version needs no document, and prints no matter what else is given.
  if (IsOptionSet(kOptionVersion)) return true;
  if (!m_pathError.empty()) {
    SetValidationError(m_pathError, S_OK);
    return false;
  }
  if (IsOptionSet(kOptionPreserve) && IsOptionSet(kOptionIndent)) {
    SetValidationError("/preserve keeps the document's own layout: it cannot be used with /indent.",
                       S_OK);
    return false;
  }
  if (IsOptionSet(kOptionBatch)) {
    if (m_secondArgument.empty()) {
      SetValidationError("a description file must be specified.", S_OK);
      return false;
    }
    if (m_secondArgument == kStandardStreamArgument) {
      if (DocumentFromStandardInput()) {
        SetValidationError(
            "the document and the description file cannot both be read from standard input.", S_OK);
        return false;
      }
      m_descriptionFilePath = kStandardInputPath;
    }
    const HRESULT resolved = m_descriptionFilePath.empty()
                                 ? ResolvePath(m_secondArgument, &m_descriptionFilePath)
                                 : S_OK;
    if (resolved == kPathTooLong) {
      SetValidationError("the path of the description file is too long.", S_OK);
      return false;
    }
    if (FAILED(resolved)) {
      SetValidationError("the path of the description file cannot be resolved.", resolved);
      return false;
    }
    m_queryString.clear();
    m_value.clear();
  }
  const bool query_only = IsOptionSet(kOptionAll) || IsOptionSet(kOptionGet);
  if (query_only && (IsOptionSet(kOptionBatch) || m_queryString.empty())) {
    SetValidationError("/all and /get need a query string and no description file.", S_OK);
    return false;
  }
  if (IsOptionSet(kOptionGet) && !m_value.empty()) {
    SetValidationError("/get reads the query's text: give no value.", S_OK);
    return false;
  }
  // A forgotten value, or an unquoted shell variable that was empty, would
  // otherwise empty the node; an explicit "" still does.
  if (!m_queryString.empty() && !IsOptionSet(kOptionGet) && !m_valueGiven) {
    SetValidationError("a value must be specified.", S_OK);
    return false;
  }
  // Without a document there is nothing to do: show how to name one.
  if (!m_documentGiven) return false;
  m_quiet = IsOptionSet(kOptionGet) && !HasParameterErrors();
  // A document read from standard input goes back to standard output.
  if (m_outputPath.empty()) {
    m_outputPath = DocumentFromStandardInput() ? kStandardOutputPath : m_documentPath;
  }
  m_messagesToError = DocumentToStandardOutput();
  if (!IsOptionSet(kOptionEncoding)) m_encoding = kDefaultEncoding;
  return true;
}
