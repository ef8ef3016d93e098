#include <gtest/gtest.h>

#include "console/base_console.h"

namespace {

TEST(CommandLineParserTest, WhichArgumentsAreOptions) {
  static const struct {
    const char* argument;
    bool option;
  } cases[] = {
      {"/indent", true},
      {"/IND", true},
      {"/?", true},
      {"/batchx", true},  // an unknown option
      {"/display:none", true},
      {"/d:/x/y", true},
      {"/", true},
      {"/:", true},
      {"/root", true},  // a one-step query needs "?"
      {"/etc/app/settings.xml", false},
      {"/config.xml", false},
      {"/*", false},
      {"/catalog/book[1]/title", false},
      {"/_:project/_:version", false},
      {"/soap:Envelope/soap:Body", false},  // "soap" is no option
      {"-x", true},
      {"-", false},  // standard input or output
      {"--output=a.xml", true},
      {"--", true},
      {"-5", false},
      {"doc.xml", false},
      {"", false},
  };
  CBaseConsole console;
  for (const auto& c : cases)
    EXPECT_EQ(c.option, console.IsOptionArgument(c.argument)) << c.argument;
}

TEST(CommandLineParserTest, PrefixesSelectTheFirstEntryInTableOrder) {
  static constexpr NamedValue kTable[] = {{"display", 1}, {"dir", 2}, {"help", 3}};
  EXPECT_EQ(0, FindOption("d", kTable));
  EXPECT_EQ(1, FindOption("DIR", kTable));
  EXPECT_EQ(2, FindOption("HeL", kTable));
  EXPECT_EQ(-1, FindOption("helps", kTable));
  EXPECT_EQ(0, FindOption("", kTable));
}

}  // namespace
