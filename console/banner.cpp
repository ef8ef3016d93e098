// The banner every run opens with.
#include "console/base_console.h"
#include "console/console_version_info.h"

void CBaseConsole::PrintBanner() {
  const CConsoleVersionInfo version;
  std::string line;
  if (version.GetTitle(&line)) {
    PrintVerbatim(line);
    PrintEmptyLine();
  }
  line = GetDescription();
  if (!line.empty()) {
    PrintVerbatim(line);
    PrintEmptyLine();
  }
  if (SUCCEEDED(version.GetStringValue("LegalCopyright", &line))) {
    PrintVerbatim(line);
    PrintEmptyLine();
  }
  PrintEmptyLine();
}
