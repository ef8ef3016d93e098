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

// Every prefix of an option that existed before /version still selects the
// option it selected then.
TEST(AppConsoleTest, EarlierOptionAbbreviationsKeepTheirOption) {
  const std::pair<const char*, uint32_t> earlier[] = {
      {"batch", kOptionBatch},
      {"create", kOptionCreate},
      {"encoding", kOptionEncoding},
      {"indent", kOptionIndent},
      {"nodeclaration", kOptionNoDeclaration},
      {"output", kOptionOutput},
      {"all", kOptionAll},
      {"get", kOptionGet},
      {"ns", kOptionNamespace},
      {"display", kOptionDisplay},
      {"help", kOptionHelp},
  };
  const CConsole console;
  const std::vector<NamedValue> table = console.GetOptionTable();
  for (const auto& [name, id] : earlier) {
    for (size_t length = 1; length <= std::string_view(name).size(); ++length) {
      const std::string prefix(name, length);
      uint32_t expected = 0;
      for (const auto& [other, other_id] : earlier) {
        if (std::string_view(other).starts_with(prefix)) {
          expected = other_id;
          break;
        }
      }
      const int found = FindOption(prefix, table);
      ASSERT_GE(found, 0) << prefix;
      EXPECT_EQ(expected, table[static_cast<size_t>(found)].value) << prefix;
    }
  }
}

TEST(AppConsoleTest, NamespaceBindingsInEitherSpelling) {
  const struct {
    std::vector<const char*> arguments;
    const char* expected;  // SelectionNamespaces, or "refused"
  } cases[] = {
      {{"/ns", "a=urn:x"}, "xmlns:a='urn:x'"},
      {{"/ns:a=urn:x"}, "xmlns:a='urn:x'"},
      {{"/ns", "a=urn:x", "b=urn:y", "/ns:c=it's"},
       "xmlns:a='urn:x' xmlns:b='urn:y' xmlns:c=\"it's\""},
      {{"/ns", "1a=urn:x"}, "refused"},
      {{"/ns", "xml=urn:x"}, "refused"},
      {{"/ns", "a="}, "refused"},
      {{"/ns", "a"}, "refused"},
      {{"/ns"}, "refused"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> arguments = {"brindle", "doc.xml", "?/a", "/get"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    CConsole console;
    console.SetDisplayLevel(kDisplayNone);
    console.ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    const bool refused = console.ReportCommandLine();
    EXPECT_EQ(c.expected, refused ? "refused" : console.SelectionNamespaces()) << c.arguments[0];
  }
}

TEST(AppConsoleTest, AllAndGetNeedAQueryAlone) {
  const std::vector<std::vector<const char*>> refused = {
      {"brindle", "doc.xml", "/get"},
      {"brindle", "doc.xml", "changes.txt", "/batch", "/all"},
      {"brindle", "doc.xml", "?/a", "value", "/get"},
  };
  for (const auto& arguments : refused) {
    CConsole console;
    console.SetDisplayLevel(kDisplayNone);
    console.ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    EXPECT_TRUE(console.ReportCommandLine()) << arguments.back();
  }
  const char* accepted[] = {"brindle", "doc.xml", "?/a", "/g", "/a"};
  CConsole console;
  console.ParseCommandLine(5, accepted);
  EXPECT_TRUE(console.IsOptionSet(kOptionGet));
  EXPECT_TRUE(console.IsOptionSet(kOptionAll));
}
