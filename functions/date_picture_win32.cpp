#include <windows.h>

#include <string>

#include "functions/date_picture.h"
#include "platform/text_encoding.h"

namespace {

// The locale's name as Windows spells it: "de_DE.UTF-8" is "de-DE", and "C"
// or "POSIX" the invariant locale (""), whose names are English as those of
// C are.
std::wstring WindowsLocaleName(std::string_view posix) {
  if (posix == "C" || posix == "POSIX") return LOCALE_NAME_INVARIANT;
  std::wstring windows = Utf8ToWide(posix.substr(0, posix.find_first_of(".@")));
  for (wchar_t& c : windows) {
    if (c == L'_') c = L'-';
  }
  return windows;
}

// One name of the locale, or nothing when the locale has none.
bool ReadItem(const wchar_t* locale, LCTYPE item, std::string* name) {
  wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 4];
  const int length = GetLocaleInfoEx(locale, item, buffer, static_cast<int>(std::size(buffer)));
  if (length <= 0) return false;
  *name = WideToUtf8(std::wstring_view(buffer, static_cast<size_t>(length - 1)));
  return true;
}

// locale: a name, or LOCALE_NAME_USER_DEFAULT (null) for the user's own.
bool ReadNames(const wchar_t* locale, TimeNames* names) {
  // Windows counts the days from Monday (SDAYNAME1), tm_wday from Sunday.
  for (int i = 0; i < 7; ++i) {
    const LCTYPE day = static_cast<LCTYPE>((i + 6) % 7);
    if (!ReadItem(locale, LOCALE_SABBREVDAYNAME1 + day, &names->abbreviated_days[i]) ||
        !ReadItem(locale, LOCALE_SDAYNAME1 + day, &names->days[i])) {
      return false;
    }
  }
  for (int i = 0; i < 12; ++i) {
    const LCTYPE month = static_cast<LCTYPE>(i);
    if (!ReadItem(locale, LOCALE_SABBREVMONTHNAME1 + month, &names->abbreviated_months[i]) ||
        !ReadItem(locale, LOCALE_SMONTHNAME1 + month, &names->months[i])) {
      return false;
    }
  }
  return ReadItem(locale, LOCALE_S1159, &names->am) && ReadItem(locale, LOCALE_S2359, &names->pm);
}

}  // namespace

HRESULT LoadTimeNames(const char* locale_name, TimeNames* names) {
  const std::wstring name = WindowsLocaleName(locale_name);
  if (ReadNames(*locale_name == 0 ? LOCALE_NAME_USER_DEFAULT : name.c_str(), names)) return S_OK;
  return ReadNames(LOCALE_NAME_INVARIANT, names) ? S_OK : E_OUTOFMEMORY;
}
