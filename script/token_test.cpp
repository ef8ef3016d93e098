#include "script/token.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// Tokens from a compact text, one per blank-separated item: "(", ")", ",",
// ";", an operator character, "@name" for a function name, else a word.
std::vector<Token> Tokens(std::string_view text) {
  static const struct {
    std::string_view item;
    TokenKind kind;
    Operator op;
  } kSpecial[] = {
      {"(", TokenKind::OpenParenthesis, Operator::None},
      {")", TokenKind::CloseParenthesis, Operator::None},
      {",", TokenKind::Separator, Operator::None},
      {";", TokenKind::EndOfCommand, Operator::None},
      {"+", TokenKind::Operator, Operator::Add},
      {"-", TokenKind::Operator, Operator::Subtract},
      {"=", TokenKind::Operator, Operator::Assign},
  };
  std::vector<Token> tokens;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(pos, end - pos);
    Token token{TokenKind::Word, false, 1, static_cast<uint32_t>(pos),
                ScriptValue(std::string(item))};
    if (item.starts_with('@')) token.kind = TokenKind::FunctionName;
    for (const auto& special : kSpecial) {
      if (special.item == item) {
        token.kind = special.kind;
        token.value = ScriptValue(static_cast<int32_t>(special.op));
      }
    }
    tokens.push_back(token);
    pos = end + 1;
  }
  return tokens;
}

}  // namespace

TEST(LocatorTest, FindParameterTokenSkipsOperandsAndCallArguments) {
  static const struct {
    const char* tokens;
    size_t parameter;
    size_t first;
    size_t expected;  // 1-based; 0: none
  } cases[] = {
      {"a b ;", 0, 0, 1},
      {"a b ;", 1, 0, 2},
      {"a b ;", 2, 0, 0},
      {"a + b c ;", 1, 0, 4},
      {"a + @f ( x , y ) b ;", 1, 0, 9},
      {"@f ( a , b ) c ;", 1, 0, 7},
      {"x = 5 ;", 1, 0, 3},
      {"set attribute a b ;", 1, 2, 4},
      {";", 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindParameterToken(Tokens(c.tokens), c.parameter, c.first))
        << c.tokens << " parameter " << c.parameter;
  }
}

TEST(LocatorTest, FindArgumentTokenStaysInsideItsCall) {
  static const struct {
    const char* tokens;
    size_t argument;
    size_t first;
    size_t expected;  // 1-based; 0: none
  } cases[] = {
      {"@f ( a , b ) ;", 0, 1, 3},     {"@f ( a , b ) ;", 1, 1, 5},
      {"@f ( a , b ) ;", 2, 1, 0},     {"@f ( @g ( x , y ) , z ) ;", 1, 1, 10},
      {"@f ( a + b , c ) ;", 1, 1, 7}, {"@f ( ) + @g ( x ) ;", 0, 1, 0},
      {"x @f ( a , b ) ;", 1, 2, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindArgumentToken(Tokens(c.tokens), c.argument, c.first))
        << c.tokens << " argument " << c.argument;
  }
}
