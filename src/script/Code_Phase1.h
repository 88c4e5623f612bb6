#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CCode;
class ScriptEngine;

struct RToken1 {
  std::int32_t kind = 0;  // a TokenCode
  std::string text;
  std::int32_t position = 0;  // 1-based index of the first character
};

// Scans one token of `padded` (the code text with three spaces appended)
// starting at the 1-based `position`, which it advances.
RToken1 next_token(std::string_view padded, std::int32_t& position);

// Turns code text into tokens ending with an end token. On an unrecognised
// character records "Unexpected symbol." and fails; the list then ends with it.
bool tokenize(ScriptEngine& engine, const CCode& code, std::string_view text,
              std::vector<RToken1>& tokens);

// The value of a number token's text: decimal with any number of points, or
// hexadecimal after "$".
double number_value(std::string_view text);

}  // namespace kestrel
