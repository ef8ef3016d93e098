#include "console/base_console.h"

#include <unistd.h>

#include "platform/file.h"
#include "platform/text_encoding.h"

CBaseConsole::CBaseConsole() = default;

void CBaseConsole::Write(const std::string& text) {
  if (m_displayLevel < kDisplayNormal) return;
  // Every message is written at once; nothing waits in a buffer. Write
  // errors (a closed pipe) are not the run's concern.
  switch (m_outputMode) {
    case OutputMode::Utf8:
      (void)WriteAll(STDOUT_FILENO, text.data(), text.size());
      break;
    case OutputMode::Locale: {
      const std::string converted = Utf8ToLocaleCharset(text);
      (void)WriteAll(STDOUT_FILENO, converted.data(), converted.size());
      break;
    }
    case OutputMode::Utf16: {
      const std::string converted = Utf8ToUtf16Le(text);
      (void)WriteAll(STDOUT_FILENO, converted.data(), converted.size());
      break;
    }
  }
  ++m_linesSinceSeparator;
}

void CBaseConsole::Separator() {
  if (m_linesSinceSeparator > 0 && m_displayLevel >= kDisplayNormal) Write("\n");
  m_linesSinceSeparator = 0;
}
