// Fuzz target: the date and time pictures. The input's first eight bytes
// are a time in seconds since 1970 (little-endian, signed), the ninth picks
// the names (the C locale's, or made-up ones in several scripts whose AM/PM
// markers begin with a multi-byte character or are empty), and the rest is
// the picture, formatted as a date and as a time.
//
// Beyond what the sanitizers catch:
// - a picture formats, or fails with ERROR_INSUFFICIENT_BUFFER and leaves
//   the text alone; a result holds at most kMaxPictureOutput characters and
//   is UTF-8 when the picture is;
// - a picture cut where no run of letters and no quoted text is split
//   formats as its two parts formatted one after the other;
// - with the C locale's names, fixed pictures of every letter give what
//   strftime gives for the same time.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "functions/date_picture.h"
#include "fuzz/fuzz_support.h"
#include "platform/text_encoding.h"

namespace {

using Formatter = HRESULT (*)(const std::tm&, std::string_view, const TimeNames&, std::string*);

constexpr size_t kHeaderSize = 9;

// Pictures and the strftime formats that must agree with them; the 12-hour
// clock and the names take the C locale's forms, which strftime shares.
constexpr struct {
  Formatter format;
  const char* picture;
  const char* strftime_format;
} kAgreements[] = {
    {FormatDatePicture, "yyyy-MM-dd dddd ddd MMMM MMM", "%Y-%m-%d %A %a %B %b"},
    {FormatDatePicture, "d M yy", "%-d %-m %y"},
    {FormatTimePicture, "HH:mm:ss hh tt H h m s", "%H:%M:%S %I %p %-H %-I %-M %-S"},
};

TimeNames MadeUpNames() {
  TimeNames names;
  const char* const days[] = {"Κυριακή", "Δευτέρα",   "Τρίτη",  "Τετάρτη",
                              "Πέμπτη",  "Παρασκευή", "Σάββατο"};
  const char* const months[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                "七月", "八月", "九月", "十月", "十一月", "十二月"};
  for (int i = 0; i < 7; ++i) {
    names.days[i] = days[i];
    names.abbreviated_days[i] = std::string(days[i]).substr(0, 4);  // two Greek letters
  }
  for (int i = 0; i < 12; ++i) {
    names.months[i] = months[i];
    names.abbreviated_months[i] = std::to_string(i + 1) + "月";
  }
  names.am = "午前";
  names.pm = "";
  return names;
}

struct Fixture {
  TimeNames c_names;
  TimeNames made_up = MadeUpNames();

  Fixture() {
    if (LoadTimeNames("C", &c_names) != S_OK || c_names.months[0] != "January" ||
        c_names.pm != "PM") {
      fuzz::Violation("the C locale's names did not load");
    }
  }
};

// Formats, checking what every result must satisfy.
HRESULT Format(Formatter format, const std::tm& time, std::string_view picture,
               const TimeNames& names, std::string* text) {
  const std::string kept = "kept";
  *text = kept;
  const HRESULT hr = format(time, picture, names, text);
  if (hr == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)) {
    if (*text != kept) fuzz::Violation("a picture that failed changed the text");
    return hr;
  }
  if (hr != S_OK) fuzz::Violation("a picture failed", std::to_string(hr));
  if (CountCharacters(*text) > kMaxPictureOutput) {
    fuzz::Violation("a picture gave too long a result", *text);
  }
  if (IsValidUtf8(picture) && !IsValidUtf8(*text)) {
    fuzz::Violation("a UTF-8 picture gave a result that is not UTF-8", *text);
  }
  return hr;
}

// Where a picture may be cut without changing its meaning: outside quoted
// text, between two different characters (a run of one letter, or "''",
// is never split).
bool IsCutPoint(std::string_view picture, size_t at, bool quoted) {
  return !quoted && at > 0 && at < picture.size() && picture[at - 1] != picture[at];
}

void CheckCut(Formatter format, const std::tm& time, std::string_view picture,
              const TimeNames& names) {
  std::string whole;
  if (Format(format, time, picture, names, &whole) != S_OK) return;
  // The quoting state before each character, as the picture is read.
  bool quoted = false;
  for (size_t at = 0; at < picture.size(); ++at) {
    if (IsCutPoint(picture, at, quoted)) {
      std::string head;
      std::string tail;
      if (Format(format, time, picture.substr(0, at), names, &head) == S_OK &&
          Format(format, time, picture.substr(at), names, &tail) == S_OK && head + tail != whole) {
        fuzz::Violation("a picture cut in two formats differently",
                        std::string(picture.substr(0, at)) + " | " +
                            std::string(picture.substr(at)) + ": " + head + " | " + tail +
                            " != " + whole);
      }
    }
    if (picture[at] == '\'') {
      if (at + 1 < picture.size() && picture[at + 1] == '\'') {
        ++at;  // "''" is a quote character and changes nothing
      } else {
        quoted = !quoted;
      }
    }
  }
}

void CheckAgreement(const std::tm& time, const TimeNames& names) {
  for (const auto& agreement : kAgreements) {
    std::string text;
    if (Format(agreement.format, time, agreement.picture, names, &text) != S_OK) {
      fuzz::Violation("a fixed picture failed", agreement.picture);
    }
    char expected[256];
    const size_t length =
        std::strftime(expected, sizeof expected, agreement.strftime_format, &time);
    if (length == 0 || text != std::string_view(expected, length)) {
      fuzz::Violation("a picture disagrees with strftime",
                      std::string(agreement.picture) + ": " + text + " != " + expected);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Fixture fixture;
  if (size < kHeaderSize) return 0;
  int64_t seconds;
  std::memcpy(&seconds, data, sizeof seconds);
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm time;
  // Years beyond what a tm holds are no time a file can have.
  if (gmtime_r(&when, &time) == nullptr) return 0;
  const bool c_locale = data[8] % 2 == 0;
  const TimeNames& names = c_locale ? fixture.c_names : fixture.made_up;
  const std::string_view picture(reinterpret_cast<const char*>(data) + kHeaderSize,
                                 size - kHeaderSize);

  CheckCut(FormatDatePicture, time, picture, names);
  CheckCut(FormatTimePicture, time, picture, names);
  if (c_locale) CheckAgreement(time, names);
  return 0;
}
