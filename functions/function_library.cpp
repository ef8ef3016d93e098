#include "functions/function_library.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>
#include <iterator>

#include "functions/date_picture.h"
#include "functions/hash.h"
#include "platform/ascii_case.h"
#include "platform/file_status.h"
#include "platform/path.h"
#include "platform/version_info.h"

namespace {

struct SizeUnit {
  std::string_view name;  // upper case
  int default_precision;
};
// Each unit is 1024 times the one before it.
constexpr SizeUnit kSizeUnits[] = {{"B", 10}, {"KB", 3}, {"MB", 4}, {"GB", 4}, {"TB", 4}};
constexpr int kMinPrecision = -1;  // the unit's default
constexpr int kMaxPrecision = 9;

struct HashName {
  std::string_view name;  // upper case
  HashAlgorithm algorithm;
};
constexpr HashName kHashNames[] = {
    {"MD5", HashAlgorithm::Md5},
    {"SHA1", HashAlgorithm::Sha1},
    {"", HashAlgorithm::Sha1},
};

// The full path of a file argument; one that cannot be resolved fails as a
// file that cannot be found.
HRESULT ResolveFile(std::string_view file, std::string* path) {
  return SUCCEEDED(ResolvePath(file, path)) ? S_OK : E_FILE_NOT_FOUND;
}

HRESULT ReadStatus(std::string_view file, FileStatus* status) {
  std::string path;
  HRESULT hr = ResolveFile(file, &path);
  if (SUCCEEDED(hr)) hr = GetFileStatus(path, status);
  return hr;
}

HRESULT LoadVersion(std::string_view file, CVersionInfo* info) {
  std::string path;
  HRESULT hr = ResolveFile(file, &path);
  if (SUCCEEDED(hr)) hr = info->Load(path);
  return hr;
}

// The UTC calendar of seconds since 1970, as gmtime_r fills it; false
// beyond the calendar's years.
bool ToUtc(int64_t seconds, std::tm* time) {
  using namespace std::chrono;
  // Some 30,000 years either way: std::chrono::year's range.
  constexpr int64_t kLimit = int64_t{11'000'000} * 86400;
  if (seconds > kLimit || seconds < -kLimit) return false;
  const sys_seconds point{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(point);
  const year_month_day date(day);
  if (!date.ok()) return false;
  const hh_mm_ss clock(point - day);
  *time = std::tm{};
  time->tm_year = static_cast<int>(date.year()) - 1900;
  time->tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
  time->tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  time->tm_hour = static_cast<int>(clock.hours().count());
  time->tm_min = static_cast<int>(clock.minutes().count());
  time->tm_sec = static_cast<int>(clock.seconds().count());
  time->tm_wday = static_cast<int>(weekday(day).c_encoding());
  time->tm_yday = static_cast<int>((day - sys_days(date.year() / January / 1)).count());
  return true;
}

// format with each run of '#' replaced by the next number, zero-padded to
// the run's length; runs after the last number vanish.
std::string FormatVersion(std::string_view format, const uint32_t (&numbers)[4]) {
  std::string text;
  size_t next = 0;
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '#') {
      text += format[i++];
      continue;
    }
    const size_t run = std::min(format.find_first_not_of('#', i), format.size()) - i;
    if (next < std::size(numbers)) {
      const std::string digits = std::to_string(numbers[next]);
      if (digits.size() < run) text.append(run - digits.size(), '0');
      text += digits;
    }
    ++next;
    i += run;
  }
  return text;
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(FileNameOffset(path)));
}

HRESULT FullPathOf(std::string_view path, std::string* result) {
  if (FAILED(ResolvePath(path, result))) result->clear();
  return S_OK;
}

HRESULT DirectoryOf(std::string_view path, std::string* result) {
  std::string full;
  if (FAILED(ResolvePath(path, &full))) {
    result->clear();
    return S_OK;
  }
  *result = ParentFolder(full);
  return S_OK;
}

HRESULT FileVersionText(std::string_view file, std::string_view format, std::string* result) {
  CVersionInfo info;
  const HRESULT hr = LoadVersion(file, &info);
  if (FAILED(hr)) return hr;
  const uint32_t numbers[4] = {info.file_version_ms >> 16, info.file_version_ms & 0xFFFF,
                               info.file_version_ls >> 16, info.file_version_ls & 0xFFFF};
  *result = FormatVersion(format, numbers);
  return S_OK;
}

HRESULT FileVersionInfoText(std::string_view file, std::string_view name, std::string* result) {
  CVersionInfo info;
  HRESULT hr = LoadVersion(file, &info);
  if (SUCCEEDED(hr)) hr = info.GetStringValue(name, result);
  return hr;
}

HRESULT FileSizeText(std::string_view file, std::string_view unit, int precision,
                     std::string* result) {
  if (precision < kMinPrecision || precision > kMaxPrecision) return E_INVALIDARG;
  const std::string key = UpperCaseAscii(unit);
  const auto row = std::find_if(std::begin(kSizeUnits), std::end(kSizeUnits),
                                [&key](const SizeUnit& u) { return u.name == key; });
  if (row == std::end(kSizeUnits)) return E_INVALIDARG;
  FileStatus status;
  const HRESULT hr = ReadStatus(file, &status);
  if (FAILED(hr)) return hr;

  double size = static_cast<double>(status.size);
  for (auto smaller = std::begin(kSizeUnits); smaller != row; ++smaller) size /= 1024;
  const int decimals = precision == kMinPrecision ? row->default_precision : precision;
  // to_chars formats as printf's "%.*f" does in the C locale: the decimal
  // point is a full stop whatever LC_NUMERIC says. 64 bytes hold the 20
  // digits of 2^64 and 10 decimals.
  char text[64];
  const char* end =
      std::to_chars(text, std::end(text), size, std::chars_format::fixed, decimals).ptr;
  std::string_view digits(text, static_cast<size_t>(end - text));
  if (decimals > 0) {
    digits.remove_suffix(digits.size() - 1 - digits.find_last_not_of('0'));
    if (digits.back() == '.') digits.remove_suffix(1);
  }
  *result = digits;
  return S_OK;
}

HRESULT FileTimeText(std::string_view file, FileTimeKind kind, std::string_view date_picture,
                     std::string_view time_picture, std::string* result) {
  FileStatus status;
  HRESULT hr = ReadStatus(file, &status);
  if (FAILED(hr)) return hr;
  int64_t seconds = 0;
  switch (kind) {
    case FileTimeKind::LastWrite:
      seconds = status.last_write;
      break;
    case FileTimeKind::LastAccess:
      seconds = status.last_access;
      break;
    case FileTimeKind::Creation:
      // Another time in place of a birth time the file system does not keep
      // would be a plausible wrong answer.
      if (!status.creation) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
      seconds = *status.creation;
      break;
  }
  std::tm time;
  if (!ToUtc(seconds, &time)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

  TimeNames names;
  std::string date;
  std::string clock;
  hr = LoadTimeNames("", &names);
  if (SUCCEEDED(hr)) hr = FormatDatePicture(time, date_picture, names, &date);
  if (SUCCEEDED(hr)) hr = FormatTimePicture(time, time_picture, names, &clock);
  if (FAILED(hr)) return hr;
  if (!date.empty() && !clock.empty()) date += ' ';
  *result = date + clock;
  return S_OK;
}

HRESULT FileHashText(std::string_view file, std::string_view algorithm, std::string* result) {
  const std::string key = UpperCaseAscii(algorithm);
  const auto row = std::find_if(std::begin(kHashNames), std::end(kHashNames),
                                [&key](const HashName& h) { return h.name == key; });
  if (row == std::end(kHashNames)) return E_INVALIDARG;
  std::string path;
  CHashProvider provider;
  CHashObject hash(&provider);
  HRESULT hr = ResolveFile(file, &path);
  if (SUCCEEDED(hr)) hr = hash.HashFileByName(path, row->algorithm);
  if (FAILED(hr)) return hr;
  *result = hash.ToHex();
  return S_OK;
}
