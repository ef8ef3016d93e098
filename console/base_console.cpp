#include "console/base_console.h"

CBaseConsole::CBaseConsole() = default;

void CBaseConsole::Write(const std::string& text, StandardStream stream) {
  if (m_displayLevel < kDisplayNormal) return;
  // Every message is written at once; nothing waits in a buffer. Write
  // errors (a closed pipe) are not the run's concern.
  WriteStandardStream(stream, text, m_outputMode);
  m_lastStream = stream;
  ++m_linesSinceSeparator;
}

void CBaseConsole::Separator() {
  // The blank line closes the block before it, on that block's stream.
  if (m_linesSinceSeparator > 0 && m_displayLevel >= kDisplayNormal) Write("\n", m_lastStream);
  m_linesSinceSeparator = 0;
}
