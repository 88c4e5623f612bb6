#include "script/Code_Phase1.h"

#include <array>

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

bool is_letter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_digit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool is_hex_digit(unsigned char c) {
  return is_digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

struct Keyword {
  std::string_view word;
  std::int32_t code;
};

constexpr std::array<Keyword, 26> kKeywords{{
    {"begin", kTokBegin},
    {"end", kTokEndBlock},
    {"if", kTokIf},
    {"then", kTokThen},
    {"else", kTokElse},
    {"while", kTokWhile},
    {"do", kTokDo},
    {"for", kTokFor},
    {"until", kTokUntil},
    {"repeat", kTokRepeat},
    {"exit", kTokExit},
    {"break", kTokBreak},
    {"continue", kTokContinue},
    {"with", kTokWith},
    {"return", kTokReturn},
    {"switch", kTokSwitch},
    {"case", kTokCase},
    {"default", kTokDefault},
    {"var", kTokVar},
    {"globalvar", kTokGlobalVar},
    {"and", kOpAnd},
    {"or", kOpOr},
    {"not", kOpNot},
    {"div", kOpDiv},
    {"mod", kOpMod},
    {"xor", kOpXor},
}};

struct Symbol {
  std::string_view text;
  std::int32_t code;
};

constexpr std::array<Symbol, 18> kPairs{{
    {":=", kTokAssign},
    {"+=", kTokAddAssign},
    {"-=", kTokSubAssign},
    {"*=", kTokMulAssign},
    {"/=", kTokDivAssign},
    {"&&", kOpAnd},
    {"||", kOpOr},
    {"<=", kOpLessEqual},
    {"==", kOpEqual},
    {"!=", kOpNotEqual},
    {"<>", kOpNotEqual},
    {">=", kOpGreaterEqual},
    {"|=", kTokOrAssign},
    {"&=", kTokAndAssign},
    {"^=", kTokXorAssign},
    {"<<", kOpShiftLeft},
    {">>", kOpShiftRight},
    {"^^", kOpXor},
}};

constexpr std::array<Symbol, 22> kSingles{{
    {"{", kTokBegin}, {"}", kTokEndBlock},  {"=", kTokAssign},     {"(", kTokOpen},
    {")", kTokClose}, {"[", kTokOpenIndex}, {"]", kTokCloseIndex}, {";", kTokSemicolon},
    {":", kTokColon}, {",", kTokComma},     {"<", kOpLess},        {">", kOpGreater},
    {"+", kOpAdd},    {"-", kOpSubtract},   {"*", kOpMultiply},    {"/", kOpDivide},
    {"!", kOpNot},    {".", kTokDot},       {"|", kOpBitOr},       {"&", kOpBitAnd},
    {"^", kOpBitXor}, {"~", kOpBitNot},
}};

std::int32_t keyword_code(std::string_view word) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.word == word) return keyword.code;
  }
  return kTokIdentifier;
}

}  // namespace

RToken1 next_token(std::string_view padded, std::int32_t& position) {
  const auto length = static_cast<std::int32_t>(padded.size());
  // Characters by 1-based position; anything beyond the text reads as 0.
  auto at = [&](std::int32_t p) -> unsigned char {
    return p >= 1 && p <= length ? static_cast<unsigned char>(padded[p - 1]) : 0;
  };
  std::int32_t p = position;
  for (;;) {
    while (p <= length && at(p) <= 32) ++p;
    if (p > length) {
      position = p;
      return RToken1{kTokEnd, "", p};
    }
    if (at(p) == '/' && at(p + 1) == '/') {
      while (p <= length && at(p) != '\r' && at(p) != '\n') ++p;
      ++p;
      continue;
    }
    if (at(p) == '/' && at(p + 1) == '*') {
      // The search starts at the opening slash, so "/*/" is a whole comment.
      while (p < length && !(at(p) == '*' && at(p + 1) == '/')) ++p;
      p += 2;
      continue;
    }
    break;
  }
  const std::int32_t start = p;
  const unsigned char c = at(p);
  RToken1 token{kTokUnknown, "", start};
  if (is_letter(c) || c == '_') {
    ++p;
    while (is_letter(at(p)) || is_digit(at(p)) || at(p) == '_') ++p;
    token.text.assign(padded.substr(start - 1, p - start));
    token.kind = keyword_code(token.text);
  } else if (is_digit(c) || c == '$' || (c == '.' && is_digit(at(p + 1)))) {
    ++p;
    if (c == '$') {
      while (is_hex_digit(at(p))) ++p;
    } else {
      while (is_digit(at(p)) || at(p) == '.') ++p;
    }
    token.kind = kTokNumber;
    token.text.assign(padded.substr(start - 1, p - start));
  } else if (c == '\'' || c == '"') {
    ++p;
    const std::int32_t first = p;
    while (p <= length && at(p) != c) ++p;
    token.kind = kTokString;
    token.text.assign(padded.substr(first - 1, p - first));
    ++p;
  } else {
    bool matched = false;
    if (p < length) {
      const std::string_view pair = padded.substr(p - 1, 2);
      for (const Symbol& symbol : kPairs) {
        if (symbol.text == pair) {
          token.kind = symbol.code;
          token.text.assign(pair);
          p += 2;
          matched = true;
          break;
        }
      }
    }
    if (!matched) {
      for (const Symbol& symbol : kSingles) {
        if (static_cast<unsigned char>(symbol.text[0]) == c) {
          token.kind = symbol.code;
          matched = true;
          break;
        }
      }
      token.text.assign(1, static_cast<char>(c));
      ++p;
    }
  }
  position = p;
  return token;
}

bool tokenize(ScriptEngine& engine, const CCode& code, std::string_view text,
              std::vector<RToken1>& tokens) {
  std::string padded(text);
  padded += "   ";
  tokens.clear();
  std::int32_t position = 1;
  for (;;) {
    tokens.push_back(next_token(padded, position));
    const RToken1& token = tokens.back();
    if (token.kind == kTokEnd) return true;
    if (token.kind == kTokUnknown) {
      record_code_error(engine, code, token.position, "Unexpected symbol.");
      return false;
    }
  }
}

double number_value(std::string_view text) {
  double value = 0.0;
  double scale = 1.0;
  bool hexadecimal = false;
  bool fraction = false;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '$') {
      hexadecimal = true;
    } else if (c == '.') {
      fraction = true;
    } else if (hexadecimal) {
      const int digit = is_digit(c) ? c - '0' : (c >= 'a' ? c - 'a' + 10 : c - 'A' + 10);
      value = value * 16.0 + digit;
    } else if (!fraction) {
      value = value * 10.0 + (c - '0');
    } else {
      scale = scale / 10.0;
      value = value + (c - '0') * scale;
    }
  }
  return value;
}

}  // namespace kestrel
