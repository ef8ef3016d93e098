#include "console/base_console.h"

CBaseConsole::CBaseConsole() = default;

void CBaseConsole::Write(const std::string& text) {
  if (m_displayLevel < kDisplayNormal) return;
  // Every message is written at once; nothing waits in a buffer. Write
  // errors (a closed pipe) are not the run's concern.
  WriteStandardOutput(text, m_outputMode);
  ++m_linesSinceSeparator;
}

void CBaseConsole::Separator() {
  if (m_linesSinceSeparator > 0 && m_displayLevel >= kDisplayNormal) Write("\n");
  m_linesSinceSeparator = 0;
}
