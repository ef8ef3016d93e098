// Dates and times written by the picture syntax of Windows' GetDateFormatW
// and GetTimeFormatW, which description scripts use for file times.
//
// A date picture knows d, dd (day of the month), ddd, dddd (abbreviated and
// full day name), M, MM (month number), MMM, MMMM (abbreviated and full
// month name), y, yy (year of the century), yyyy (the whole year) and g, gg
// (the era). A time picture knows h, hh (12-hour clock), H, HH (24-hour
// clock), m, mm, s, ss and t, tt (first character of the AM/PM marker, or
// all of it). A doubled letter pads its number to two digits; a longer run
// counts as the longest form of its letter (yyyyy as yyyy). Text in single
// quotes is copied as it stands, two single quotes give one, and every
// other character, the other picture's letters included, is copied.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/status.h"

// The names that pictures ask for, in UTF-8.
struct TimeNames {
  std::string abbreviated_days[7];  // Sunday first, as tm_wday counts
  std::string days[7];
  std::string abbreviated_months[12];  // January first, as tm_mon counts
  std::string months[12];
  std::string am;
  std::string pm;
};

// Fills *names from the LC_TIME category of the named locale: "" is the
// user's (from LC_ALL, LC_TIME and LANG), whatever locale the program runs
// in. A locale that is not installed gives the English names of "C". Fails
// only with E_OUTOFMEMORY. On Windows the names come from GetLocaleInfoEx:
// "" is the user's default locale, "C" the invariant one, and a POSIX name
// such as "de_DE.UTF-8" stands for "de-DE".
HRESULT LoadTimeNames(const char* locale_name, TimeNames* names);

// The most characters that a picture may produce.
constexpr size_t kMaxPictureOutput = 127;

// Writes the date or the time of time by picture into *text. A result longer
// than kMaxPictureOutput characters fails with ERROR_INSUFFICIENT_BUFFER and
// leaves *text alone.
// REQUIRES: time is normalized, as gmtime_r leaves it.
HRESULT FormatDatePicture(const std::tm& time, std::string_view picture, const TimeNames& names,
                          std::string* text);
HRESULT FormatTimePicture(const std::tm& time, std::string_view picture, const TimeNames& names,
                          std::string* text);
