#include <langinfo.h>
#include <locale.h>

#include <memory>
#include <type_traits>

#include "functions/date_picture.h"
#include "platform/text_encoding.h"

namespace {

using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, decltype(&freelocale)>;

// The wide form of an LC_TIME item, so that names arrive as code points
// whatever character set the locale uses.
std::string WideItem(locale_t locale, int item) {
  const auto* wide = reinterpret_cast<const wchar_t*>(nl_langinfo_l(item, locale));
  std::string name;
  for (; *wide != 0; ++wide) AppendUtf8(static_cast<char32_t>(*wide), &name);
  return name;
}

}  // namespace

HRESULT LoadTimeNames(const char* locale_name, TimeNames* names) {
  LocaleHandle locale(newlocale(LC_TIME_MASK, locale_name, nullptr), &freelocale);
  if (!locale) locale.reset(newlocale(LC_TIME_MASK, "C", nullptr));
  if (!locale) return E_OUTOFMEMORY;
  for (int i = 0; i < 7; ++i) {
    names->abbreviated_days[i] = WideItem(locale.get(), _NL_WABDAY_1 + i);
    names->days[i] = WideItem(locale.get(), _NL_WDAY_1 + i);
  }
  for (int i = 0; i < 12; ++i) {
    names->abbreviated_months[i] = WideItem(locale.get(), _NL_WABMON_1 + i);
    names->months[i] = WideItem(locale.get(), _NL_WMON_1 + i);
  }
  names->am = WideItem(locale.get(), _NL_WAM_STR);
  names->pm = WideItem(locale.get(), _NL_WPM_STR);
  return S_OK;
}
