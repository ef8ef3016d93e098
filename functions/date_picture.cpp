#include "functions/date_picture.h"

#include <algorithm>
#include <memory>
#include <span>

#include "platform/text_encoding.h"

namespace {

enum class Field { Day, Month, Year, Era, Hour12, Hour24, Minute, Second, Marker };

struct PictureLetter {
  char letter;
  Field field;
  size_t longest;  // the longest run with a meaning of its own
};

constexpr PictureLetter kDateLetters[] = {
    {'d', Field::Day, 4},
    {'M', Field::Month, 4},
    {'y', Field::Year, 3},
    {'g', Field::Era, 1},
};

constexpr PictureLetter kTimeLetters[] = {
    {'h', Field::Hour12, 2}, {'H', Field::Hour24, 2}, {'m', Field::Minute, 2},
    {'s', Field::Second, 2}, {'t', Field::Marker, 2},
};

// glibc's LC_TIME data has no era for the Gregorian calendar; this is the
// name that English systems give it.
constexpr std::string_view kGregorianEra = "A.D.";

// value in decimal, zero-padded to width digits.
void AppendNumber(long long value, size_t width, std::string* out) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out->append(width - digits.size(), '0');
  *out += digits;
}

void AppendField(Field field, size_t run, const std::tm& time, const TimeNames& names,
                 std::string* out) {
  switch (field) {
    case Field::Day:
      if (run <= 2) return AppendNumber(time.tm_mday, run, out);
      *out += (run == 3 ? names.abbreviated_days : names.days)[time.tm_wday];
      return;
    case Field::Month:
      if (run <= 2) return AppendNumber(time.tm_mon + 1, run, out);
      *out += (run == 3 ? names.abbreviated_months : names.months)[time.tm_mon];
      return;
    case Field::Year: {
      const long long year = 1900LL + time.tm_year;
      if (run <= 2) return AppendNumber((year % 100 + 100) % 100, run, out);
      return AppendNumber(year, 1, out);
    }
    case Field::Era:
      *out += kGregorianEra;
      return;
    case Field::Hour12:
      return AppendNumber(time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12, run, out);
    case Field::Hour24:
      return AppendNumber(time.tm_hour, run, out);
    case Field::Minute:
      return AppendNumber(time.tm_min, run, out);
    case Field::Second:
      return AppendNumber(time.tm_sec, run, out);
    case Field::Marker: {
      const std::string& marker = time.tm_hour < 12 ? names.am : names.pm;
      size_t first = 0;
      if (run == 1 && !marker.empty()) NextCodePoint(marker, &first);
      *out += run == 1 ? marker.substr(0, first) : marker;
      return;
    }
  }
}

HRESULT FormatPicture(const std::tm& time, std::string_view picture,
                      std::span<const PictureLetter> letters, const TimeNames& names,
                      std::string* text) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '\'') {
      // Two quotes in a row stand for one, inside quoted text or out of it.
      if (i + 1 < picture.size() && picture[i + 1] == '\'') {
        out += '\'';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
      continue;
    }
    const auto letter = std::find_if(letters.begin(), letters.end(),
                                     [c](const PictureLetter& l) { return l.letter == c; });
    if (quoted || letter == letters.end()) {
      out += c;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    AppendField(letter->field, std::min(run, letter->longest), time, names, &out);
    i += run;
  }
  if (CountCharacters(out) > kMaxPictureOutput) {
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  }
  *text = std::move(out);
  return S_OK;
}

}  // namespace

HRESULT FormatDatePicture(const std::tm& time, std::string_view picture, const TimeNames& names,
                          std::string* text) {
  return FormatPicture(time, picture, kDateLetters, names, text);
}

HRESULT FormatTimePicture(const std::tm& time, std::string_view picture, const TimeNames& names,
                          std::string* text) {
  return FormatPicture(time, picture, kTimeLetters, names, text);
}
