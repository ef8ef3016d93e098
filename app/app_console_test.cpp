#include "app/app_console.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

// The options that a part of the usage names: the text captured by pattern.
std::set<std::string> Named(const std::string& usage, const std::regex& pattern) {
  std::set<std::string> names;
  for (std::sregex_iterator it(usage.begin(), usage.end(), pattern), end; it != end; ++it) {
    names.insert((*it)[1]);
  }
  return names;
}

}  // namespace

// The option table is the source: the usage names every option (under one
// of its names, as "/?" stands for help) both in its synopsis and in its
// list, and names no option that is not a row of the table, written out.
TEST(AppConsoleTest, TheUsageNamesEveryOptionOfTheTableAndNoOther) {
  const CConsole console;
  const std::string usage = console.GetUsage();
  const std::set<std::string> synopsis = Named(usage, std::regex(R"(\[/([a-z?]+))"));
  const std::set<std::string> list = Named(usage, std::regex(R"(\n  /([a-z?]+) )"));
  EXPECT_EQ(synopsis, list);

  std::map<uint32_t, std::string> named_by_id;
  for (const NamedValue& option : console.GetOptionTable()) {
    if (list.contains(option.name)) named_by_id[option.value] += std::string("/") + option.name;
  }
  for (const NamedValue& option : console.GetOptionTable()) {
    EXPECT_EQ(1u, named_by_id.count(option.value)) << "the usage does not name /" << option.name;
  }
  for (const auto& [id, names] : named_by_id) {
    EXPECT_EQ(std::string::npos, names.find('/', 1))
        << "the usage names one option twice: " << names;
  }
  std::set<std::string> rows;
  for (const NamedValue& option : console.GetOptionTable()) rows.insert(option.name);
  for (const std::string& name : list) EXPECT_TRUE(rows.contains(name)) << "/" << name;
}
