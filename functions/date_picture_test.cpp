#include "functions/date_picture.h"

#include <gtest/gtest.h>

namespace {

// Thursday, 5 March 2009, 07:04:09.
std::tm Morning() {
  std::tm time{};
  time.tm_year = 109, time.tm_mon = 2, time.tm_mday = 5, time.tm_wday = 4;
  time.tm_hour = 7, time.tm_min = 4, time.tm_sec = 9;
  return time;
}

TimeNames EnglishNames() {
  TimeNames names;
  EXPECT_EQ(S_OK, LoadTimeNames("C", &names));
  return names;
}

TEST(DatePictureTest, DatePictures) {
  static const struct {
    const char* picture;
    const char* expected;
  } cases[] = {
      {"yyyy-MM-dd", "2009-03-05"},
      {"d/M/y", "5/3/9"},
      {"dd.MM.yy", "05.03.09"},
      {"ddd, dddd ddddd", "Thu, Thursday Thursday"},
      {"MMM MMMM MMMMM", "Mar March March"},
      {"yyy yyyy yyyyy", "2009 2009 2009"},
      {"g gg", "A.D. A.D."},
      {"HH:mm:ss tt", "HH:mm:ss tt"},
      {"'d M y' d", "d M y 5"},
      {"'abc''bar'", "abc'bar"},
      {"d''M", "5'3"},
      {"'unclosed d", "unclosed d"},
      {"Über № d", "Über № 5"},
      {"", ""},
  };
  const TimeNames names = EnglishNames();
  for (const auto& c : cases) {
    std::string text;
    EXPECT_EQ(S_OK, FormatDatePicture(Morning(), c.picture, names, &text)) << c.picture;
    EXPECT_EQ(c.expected, text) << c.picture;
  }
}

TEST(DatePictureTest, TimePictures) {
  static const struct {
    int hour;
    const char* picture;
    const char* expected;
  } cases[] = {
      {7, "h:m:s", "7:4:9"},
      {7, "hh:mm:ss hhh", "07:04:09 07"},
      {7, "H HH t tt", "7 07 A AM"},
      {15, "h hh H HH t tt", "3 03 15 15 P PM"},
      {0, "h H tt", "12 0 AM"},
      {12, "h H tt", "12 12 PM"},
      {7, "dd.MM.yyyy g 'h'", "dd.MM.yyyy g h"},
  };
  const TimeNames names = EnglishNames();
  for (const auto& c : cases) {
    std::tm time = Morning();
    time.tm_hour = c.hour;
    std::string text;
    EXPECT_EQ(S_OK, FormatTimePicture(time, c.picture, names, &text)) << c.picture;
    EXPECT_EQ(c.expected, text) << c.picture;
  }
}

TEST(DatePictureTest, NamesComeFromTheLocale) {
  TimeNames names = EnglishNames();
  names.days[4] = "Donnerstag";
  names.months[2] = "März";
  names.abbreviated_months[2] = "Mär";
  names.am = "vorm.";
  std::string text;
  EXPECT_EQ(S_OK, FormatDatePicture(Morning(), "dddd, d. MMMM yyyy (MMM)", names, &text));
  EXPECT_EQ("Donnerstag, 5. März 2009 (Mär)", text);
  EXPECT_EQ(S_OK, FormatTimePicture(Morning(), "t|tt", names, &text));
  EXPECT_EQ("v|vorm.", text);

  // The first and last of each list, and a locale that is not installed.
  TimeNames missing;
  ASSERT_EQ(S_OK, LoadTimeNames("xx_NOWHERE.UTF-8", &missing));
  for (const TimeNames& english : {EnglishNames(), missing}) {
    EXPECT_EQ("Sun Saturday Jan December PM", english.abbreviated_days[0] + " " + english.days[6] +
                                                  " " + english.abbreviated_months[0] + " " +
                                                  english.months[11] + " " + english.pm);
  }
}

TEST(DatePictureTest, ResultsBeyond127CharactersFail) {
  const TimeNames names = EnglishNames();
  const HRESULT too_long = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  std::string days;  // 14 times "Thursday ": 126 characters
  for (int i = 0; i < 14; ++i) days += "dddd ";
  std::string text;
  EXPECT_EQ(S_OK, FormatDatePicture(Morning(), days + "d", names, &text));
  EXPECT_EQ(127u, text.size());
  EXPECT_EQ(too_long, FormatDatePicture(Morning(), days + "dd", names, &text));
  // The limit counts characters, not bytes.
  std::string accented;
  for (int i = 0; i < 127; ++i) accented += "é";
  EXPECT_EQ(S_OK, FormatTimePicture(Morning(), accented, names, &text));
  EXPECT_EQ(accented, text);
  EXPECT_EQ(too_long, FormatTimePicture(Morning(), accented + "s", names, &text));
  EXPECT_EQ(accented, text);
}

}  // namespace
