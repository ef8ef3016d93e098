// String values that share their text: every holder keeps seeing what it
// was given while others append, short and long texts alike.
#include "script/script_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/script_test_fixture.h"

namespace {

TEST(ScriptValueTest, CopiesKeepTheirTextWhileOthersAppend) {
  for (const size_t length : {0u, 5u, 32u, 33u, 1000u}) {
    const std::string text = std::string(length, 't') + "!";
    ScriptValue original(std::string(length, 't'));
    original.Append("!");  // a long text now ends a buffer with room to spare
    const ScriptValue copy = original;
    const std::string_view copy_view = copy.String();
    original.Append("+a");  // may extend the text the copy shares
    ScriptValue second = copy;
    second.Append("+b");  // must not touch the original's "+a"
    for (size_t i = 0; i < 100; ++i) original.Append(std::string(i, 'x'));
    EXPECT_EQ(text, copy.String()) << length;
    EXPECT_EQ(text, copy_view) << length;
    EXPECT_EQ(text + "+b", second.String()) << length;
    EXPECT_EQ(text + "+a", original.String().substr(0, text.size() + 2)) << length;
    EXPECT_EQ(text.size() + 2 + 4950, original.String().size()) << length;
  }
}

TEST(ScriptValueTest, AppendsItsOwnText) {
  for (const size_t length : {3u, 20u, 40u, 500u}) {
    ScriptValue value(std::string(length, 'a'));
    const ScriptValue before = value;
    value.Append(value.String());
    value.Append(value.String());
    EXPECT_EQ(std::string(4 * length, 'a'), value.String()) << length;
    EXPECT_EQ(std::string(length, 'a'), before.String()) << length;
  }
}

TEST(ScriptValueTest, EqualityComparesTextNotStorage) {
  ScriptValue built(std::string("0123456789"));
  for (int i = 0; i < 5; ++i) built.Append("0123456789");
  std::string text;
  for (int i = 0; i < 6; ++i) text += "0123456789";
  EXPECT_EQ(ScriptValue(text), built);
  EXPECT_FALSE(ScriptValue(text + "x") == built);
  EXPECT_FALSE(ScriptValue(std::string("1")) == ScriptValue(1));
  EXPECT_EQ(ScriptValue(), ScriptValue());
}

using ScriptValueScriptTest = ScriptTest;

// Variables that share one growing text through assignments.
TEST_F(ScriptValueScriptTest, VariablesShareNoChanges) {
  const std::string base(40, 'b');
  ASSERT_EQ(S_OK, Run("var s = \"" + base +
                      "\";\n"
                      "var t = s;\n"
                      "var s = s + \"1\";\n"
                      "var u = t + \"2\";\n"
                      "var s = s + s;\n"
                      "var t = t + \"3\";\n")
                      .result);
  EXPECT_EQ("str:" + base + "1" + base + "1", Variable("s"));
  EXPECT_EQ("str:" + base + "3", Variable("t"));
  EXPECT_EQ("str:" + base + "2", Variable("u"));
}

}  // namespace
