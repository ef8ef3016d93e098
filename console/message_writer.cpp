#include "console/message_writer.h"

#include <cstdio>
#include <vector>

#include "console/string_table.h"
#include "platform/status_text.h"

namespace {

struct Label {
  uint32_t kind;
  const char* text;
};

constexpr Label kLabels[] = {
    {MSG_ERROR, "ERROR:"},
};

std::string FormatArguments(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace

HRESULT CMessageWriter::Print(const char* text, uint32_t flags, HRESULT status, va_list arguments) {
  std::string composed;
  const std::string* message = nullptr;
  if (text != nullptr) {
    composed = (flags & MSG_VERBATIM) != 0 ? std::string(text) : FormatArguments(text, arguments);
    message = &composed;
  }
  const uint32_t kind = flags & kKindMask;
  switch (kind) {
    case MSG_ERROR: {
      ComposeAndWrite(message, kind, flags | MSG_END_LINE);
      std::string system_text;
      if (FAILED(status) && GetSystemText(status, &system_text)) {
        ComposeAndWrite(&system_text, kind, MSG_NO_LABEL | MSG_END_LINE);
      }
      break;
    }
    case MSG_INFO:
      ComposeAndWrite(message, kind, flags);
      break;
    default:
      break;
  }
  return S_OK;
}

HRESULT CMessageWriter::PrintResource(uint32_t id, uint32_t flags, HRESULT status,
                                      va_list arguments) {
  const char* text = LoadStringResource(id);
  return text == nullptr ? S_OK : Print(text, flags, status, arguments);
}

void CMessageWriter::ComposeAndWrite(const std::string* text, uint32_t kind, uint32_t flags) {
  std::string line;
  std::string label;
  if (m_atLineStart && (flags & MSG_NO_LABEL) == 0 && m_decoration == kDecorationLabels &&
      GetLabel(kind, &label)) {
    line = label + " ";
  }
  if (text != nullptr) line += *text;
  if ((flags & MSG_END_LINE) != 0) line += GetLineEnd();
  m_atLineStart = !line.empty() && line.back() == '\n';
  Write(line, kind == MSG_ERROR ? StandardStream::Error : StandardStream::Output);
}

void CMessageWriter::Write(const std::string&, StandardStream) {}

bool CMessageWriter::GetLabel(uint32_t kind, std::string* label) const {
  for (const Label& entry : kLabels) {
    if (entry.kind == kind) {
      *label = entry.text;
      return true;
    }
  }
  return false;
}

// Hands the variable arguments after last_named to Print.
#define BRINDLE_FORWARD(flags, status, format, last_named) \
  do {                                                     \
    va_list arguments;                                     \
    va_start(arguments, last_named);                       \
    Print(format, flags, status, arguments);               \
    va_end(arguments);                                     \
  } while (false)

void CMessageWriter::PrintWith(uint32_t flags, HRESULT status, const char* format, ...) {
  BRINDLE_FORWARD(flags, status, format, format);
}

void CMessageWriter::PrintInfo(const char* format, ...) {
  BRINDLE_FORWARD(MSG_INFO | MSG_END_LINE, S_OK, format, format);
}

void CMessageWriter::PrintText(const char* format, ...) {
  BRINDLE_FORWARD(MSG_INFO, S_OK, format, format);
}

void CMessageWriter::PrintError(const char* format, HRESULT status, ...) {
  BRINDLE_FORWARD(MSG_ERROR, status, format, status);
}

void CMessageWriter::PrintErrorText(const char* format, ...) {
  BRINDLE_FORWARD(MSG_ERROR, S_FALSE, format, format);
}

void CMessageWriter::PrintErrorResource(uint32_t id, ...) {
  va_list arguments;
  va_start(arguments, id);
  PrintResource(id, MSG_ERROR, S_FALSE, arguments);
  va_end(arguments);
}

void CMessageWriter::PrintVerbatim(const std::string& text) {
  // Whole, NUL bytes included: as a C string, a listing of a line that holds
  // one would lose its caret and its closing rule.
  ComposeAndWrite(&text, MSG_INFO, MSG_INFO | MSG_VERBATIM);
}

void CMessageWriter::PrintErrorNote(const char* format, ...) {
  BRINDLE_FORWARD(MSG_ERROR | MSG_NO_LABEL, S_OK, format, format);
}

void CMessageWriter::PrintErrorVerbatim(const std::string& text) {
  ComposeAndWrite(&text, MSG_ERROR, MSG_NO_LABEL | MSG_VERBATIM);
}

void CMessageWriter::PrintEmptyLine() { PrintWith(MSG_INFO | MSG_END_LINE, S_OK, nullptr); }
