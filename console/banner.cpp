// The banner every run opens with.
#include "console/base_console.h"
#include "console/console_version_info.h"

void CBaseConsole::PrintTitle() {
  std::string title;
  if (CConsoleVersionInfo().GetTitle(&title)) {
    PrintVerbatim(title);
    PrintEmptyLine();
  }
}

void CBaseConsole::PrintBanner() {
  const CConsoleVersionInfo version;
  PrintTitle();
  std::string line = GetDescription();
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
