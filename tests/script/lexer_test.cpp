#include <gtest/gtest.h>

#include <vector>

#include "case_names.h"
#include "script/Code_Main.h"
#include "script/Code_Phase1.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

struct Scan {
  bool ok;
  std::vector<std::int32_t> kinds;  // without the end token
  std::vector<std::string> texts;
};

Scan scan(std::string_view text) {
  ScriptEngine engine;
  CCode code(text, false);
  std::vector<RToken1> tokens;
  Scan result{tokenize(engine, code, text, tokens), {}, {}};
  for (const RToken1& token : tokens) {
    if (token.kind == kTokEnd) break;
    result.kinds.push_back(token.kind);
    result.texts.push_back(token.text);
  }
  return result;
}

struct TokenCase {
  const char* text;
  std::vector<std::int32_t> kinds;
};

class TokenKinds : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenKinds, ScanAsListed) {
  const Scan result = scan(GetParam().text);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.kinds, GetParam().kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Lexer, TokenKinds,
    ::testing::Values(
        TokenCase{"a=b", {0, 101, 0}}, TokenCase{"a==b", {0, 206, 0}},
        TokenCase{"a:=b", {0, 101, 0}}, TokenCase{"x<>y", {0, 207, 0}},
        TokenCase{"x<-1", {0, 204, 211, 1}}, TokenCase{"Begin begin { end }", {0, 11, 11, 12, 12}},
        TokenCase{"a.b", {0, 112, 0}}, TokenCase{".5", {1}}, TokenCase{"1.2.3", {1}},
        TokenCase{"12abc", {1, 0}}, TokenCase{"1e5", {1, 0}}, TokenCase{"$G", {1, 0}},
        TokenCase{"a and b && c or d || e xor f ^^ g",
                  {0, 201, 0, 201, 0, 202, 0, 202, 0, 216, 0, 216, 0}},
        TokenCase{"! not ~ div mod", {203, 203, 220, 214, 215}},
        TokenCase{"+= -= *= /= |= &= ^=", {102, 103, 104, 105, 114, 115, 116}},
        TokenCase{"<< >> <= >= != | & ^", {221, 222, 205, 208, 207, 217, 218, 219}},
        TokenCase{"( ) ; , [ ] :", {106, 107, 108, 109, 110, 111, 113}},
        TokenCase{"a // comment", {0}}, TokenCase{"a // comment\nb", {0, 0}},
        TokenCase{"a /* x */ b", {0, 0}}, TokenCase{"a /*/ b", {0, 0}},
        TokenCase{"a /* never closed", {0}},
        TokenCase{"if then else while do for until repeat exit break continue with return "
                  "switch case default var globalvar",
                  {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}}),
    case_names::NamedBy<&TokenCase::text>());

TEST(Lexer, StringsKeepOtherQuotesAndLineBreaksAndRunToTheEnd) {
  Scan result = scan("'say \"hi\"' \"it's\" \"a\nb\"");
  ASSERT_EQ(result.kinds, (std::vector<std::int32_t>{2, 2, 2}));
  EXPECT_EQ(result.texts[0], "say \"hi\"");
  EXPECT_EQ(result.texts[1], "it's");
  EXPECT_EQ(result.texts[2], "a\nb");
  result = scan("x = 'open");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.kinds.back(), kTokString);
  EXPECT_EQ(result.texts.back().substr(0, 4), "open");
}

TEST(Lexer, UnrecognisedBytesFailAtTheirPosition) {
  for (const std::string& text :
       {std::string("a = #"), std::string("a = \x80"), std::string("a = \xff")}) {
    ScriptEngine engine;
    CCode code(text, false);
    std::vector<RToken1> tokens;
    EXPECT_FALSE(tokenize(engine, code, text, tokens)) << text;
    EXPECT_EQ(tokens.back().kind, kTokUnknown);
    EXPECT_EQ(tokens.back().position, 5);
    EXPECT_NE(engine.errors.last_text.find("at position 5: Unexpected symbol."), std::string::npos)
        << engine.errors.last_text;
  }
}

TEST(Lexer, PositionsAreOneBased) {
  std::string padded = "  ab + 1   ";
  std::int32_t position = 1;
  EXPECT_EQ(next_token(padded, position).position, 3);
  EXPECT_EQ(next_token(padded, position).position, 6);
  EXPECT_EQ(next_token(padded, position).position, 8);
  EXPECT_EQ(next_token(padded, position).kind, kTokEnd);
}

TEST(Lexer, NumberValues) {
  const std::pair<const char*, double> cases[] = {{"$FF", 255},    {"$ff", 255}, {"$", 0},
                                                  {"1.2.3", 1.23}, {"5.", 5},    {".5", 0.5},
                                                  {"0.1", 0.1},    {"123", 123}, {"$10", 16}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(number_value(text), value) << text;
}

}  // namespace
}  // namespace kestrel
