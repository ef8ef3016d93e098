// CMessageWriter turns a message (a printf-style format with arguments, a
// kind and modifiers) into one labelled piece of text and hands it to
// Write, which derived classes direct to an output: errors, with every line
// that explains them, to standard error, everything else to standard
// output.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "platform/standard_output.h"
#include "platform/status.h"

// Message kinds; only (flags & 0xFF000) is the kind.
constexpr uint32_t MSG_ERROR = 0x4000;
constexpr uint32_t MSG_INFO = 0x10000;
// Modifiers.
constexpr uint32_t MSG_VERBATIM = 0x100000;  // the text is never a format
constexpr uint32_t MSG_NO_LABEL = 0x200000;
constexpr uint32_t MSG_END_LINE = 0x400000;  // append the line end

// Lines begin with the kind's label ("ERROR: ").
constexpr uint32_t kDecorationLabels = 2;

#define BRINDLE_PRINTF(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))

class CMessageWriter {
 public:
  CMessageWriter() = default;
  virtual ~CMessageWriter() = default;
  CMessageWriter(const CMessageWriter&) = delete;
  CMessageWriter& operator=(const CMessageWriter&) = delete;

  // The one entry of all printing; flags of another kind print nothing. An
  // error whose status is a failure is followed, on an unlabelled line of
  // its own, by the system's text for that status. Returns S_OK.
  virtual HRESULT Print(const char* text, uint32_t flags, HRESULT status, va_list arguments);

  // Print with the text of a string resource as the format; nothing when
  // the table has no such string.
  HRESULT PrintResource(uint32_t id, uint32_t flags, HRESULT status, va_list arguments);

  void PrintInfo(const char* format, ...) BRINDLE_PRINTF(2, 3);
  void PrintText(const char* format, ...) BRINDLE_PRINTF(2, 3);
  void PrintError(const char* format, HRESULT status, ...) BRINDLE_PRINTF(2, 4);
  void PrintErrorText(const char* format, ...) BRINDLE_PRINTF(2, 3);
  void PrintErrorResource(uint32_t id, ...);
  void PrintVerbatim(const std::string& text);
  // An unlabelled line, or verbatim text, that belongs to the error just
  // printed (what to do about it, the listing of a script's error): it goes
  // where the error went.
  void PrintErrorNote(const char* format, ...) BRINDLE_PRINTF(2, 3);
  void PrintErrorVerbatim(const std::string& text);
  void PrintEmptyLine();

 protected:
  // Receives every composed piece of text and the stream its kind goes to;
  // this class discards it.
  virtual void Write(const std::string& text, StandardStream stream);
  virtual const char* GetLineEnd() const { return "\n"; }
  // The label of a kind; false for kinds without one.
  virtual bool GetLabel(uint32_t kind, std::string* label) const;

  void SetDecoration(uint32_t decoration) { m_decoration = decoration; }

 private:
  void PrintWith(uint32_t flags, HRESULT status, const char* format, ...);
  void ComposeAndWrite(const std::string* text, uint32_t kind, uint32_t flags);

  static constexpr uint32_t kKindMask = 0xFF000;

  uint32_t m_decoration = 0;
  bool m_atLineStart = true;
};
