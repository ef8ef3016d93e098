#include "script/parameter_info.h"

#include <gtest/gtest.h>

#include <limits>

#include "script/expressions.h"

namespace {

ScriptValue Int(int32_t value) { return ScriptValue(value); }
ScriptValue Str(const char* text) { return ScriptValue(std::string(text)); }

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_variables.emplace("defined", Str("variable text"));
    m_variables.emplace("number", Int(7));
  }
  VariableTable m_variables;
};

}  // namespace

TEST_F(BindingTest, BareWordsResolveOnlyForValueParameters) {
  static const struct {
    ParameterDescriptor descriptor;
    const char* word;
    bool bare;
    HRESULT status;
    ScriptValue bound;
  } cases[] = {
      {kString, "defined", true, S_OK, Str("variable text")},
      {kString, "defined", false, S_OK, Str("defined")},  // quoted: never looked up
      {kString, "undefined", true, S_OK, Str("undefined")},
      {kString, "number", true, E_INVALIDARG, {}},  // the variable's integer
      {kAny, "number", true, S_OK, Int(7)},
      {kNewName, "defined", true, S_OK, Str("defined")},
      {kNewName, "fresh", true, S_OK, Str("fresh")},
      {kNewName, "fresh", false, E_INVALIDARG, {}},
      {kExistingName, "defined", true, S_OK, Str("defined")},
      {kExistingName, "undefined", true, E_FAIL, {}},
      {kExistingName, "defined", false, E_INVALIDARG, {}},
  };
  for (const auto& c : cases) {
    CParameterInfo parameters(&m_variables);
    parameters.Declare(std::span(&c.descriptor, 1));
    EXPECT_EQ(c.status, parameters.AddValue(Str(c.word), c.bare)) << c.word;
    if (c.status == S_OK) {
      ASSERT_EQ(1u, parameters.GetCount()) << c.word;
      EXPECT_EQ(c.bound, parameters.GetValue(0)) << c.word;
    }
  }
}

TEST_F(BindingTest, TypesAreCheckedOnlyWithinTheDeclaredCount) {
  CParameterInfo parameters(&m_variables);
  const ParameterDescriptor descriptors[] = {kString};
  parameters.Declare(descriptors);
  EXPECT_EQ(E_INVALIDARG, parameters.AddValue(Int(5), false));
  EXPECT_EQ(nullptr, parameters.GetLastDescriptor());
  EXPECT_EQ(S_OK, parameters.AddString("a"));
  EXPECT_EQ(S_OK, parameters.AddValue(Int(5), false));  // a surplus value
  EXPECT_EQ(2u, parameters.GetCount());

  std::string_view text;
  EXPECT_EQ(S_OK, parameters.GetString(0, &text));
  EXPECT_EQ("a", text);
  EXPECT_EQ(E_INVALIDARG, parameters.GetString(1, &text));
  EXPECT_EQ(E_INVALIDARG, parameters.GetString(2, &text));
  EXPECT_EQ("a", text);
}

TEST_F(BindingTest, PendingOperatorFoldsTheValueIntoTheLastParameter) {
  CParameterInfo parameters(&m_variables);
  const ParameterDescriptor descriptors[] = {kNewName, kAny};
  parameters.Declare(descriptors);
  ASSERT_EQ(S_OK, parameters.AddValue(Str("x"), true));
  parameters.SetPendingOperator(Operator::Assign);
  ASSERT_EQ(S_OK, parameters.AddValue(Int(10), false));
  parameters.SetPendingOperator(Operator::Subtract);
  ASSERT_EQ(S_OK, parameters.AddValue(Str("number"), true));  // the variable 7
  parameters.SetPendingOperator(Operator::Multiply);
  ASSERT_EQ(S_OK, parameters.AddValue(Int(4), false));
  ASSERT_EQ(2u, parameters.GetCount());
  EXPECT_EQ(Int(12), parameters.GetValue(1));

  parameters.SetVariable("x", parameters.GetValue(1));
  ASSERT_NE(nullptr, parameters.FindVariable("x"));
  EXPECT_EQ(Int(12), *parameters.FindVariable("x"));
  EXPECT_EQ(nullptr, parameters.FindVariable("X"));
}

TEST(OperatorTest, IntegersWrapAndStringsOnlyConcatenate) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  static const struct {
    ScriptValue left;
    Operator op;
    ScriptValue right;
    HRESULT status;
    ScriptValue result;
  } cases[] = {
      {Int(kMax), Operator::Add, Int(1), S_OK, Int(kMin)},
      {Int(kMin), Operator::Subtract, Int(1), S_OK, Int(kMax)},
      {Int(65536), Operator::Multiply, Int(65536), S_OK, Int(0)},
      {Int(kMin), Operator::Divide, Int(-1), S_OK, Int(kMin)},
      {Int(7), Operator::Divide, Int(2), S_OK, Int(3)},
      {Int(-7), Operator::Divide, Int(2), S_OK, Int(-3)},
      {Int(1), Operator::Divide, Int(0), E_ZERO_DIVIDE, Int(1)},
      {Str("a"), Operator::Add, Str("b"), S_OK, Str("ab")},
      {Str(""), Operator::Add, Str(""), S_OK, Str("")},
      {Str("a"), Operator::Subtract, Str("b"), E_INVALIDARG, Str("a")},
      {Str("5"), Operator::Add, Int(1), E_INVALIDARG, Str("5")},
      {Int(1), Operator::Add, Str("1"), E_INVALIDARG, Int(1)},
      {ScriptValue(), Operator::Add, ScriptValue(), E_INVALIDARG, ScriptValue()},
  };
  for (const auto& c : cases) {
    ScriptValue left = c.left;
    EXPECT_EQ(c.status, ApplyOperator(c.op, &left, c.right)) << static_cast<int>(c.op);
    EXPECT_EQ(c.result, left) << static_cast<int>(c.op);
  }
}
