#pragma once

// Names for the cases of table-driven tests, made from each case's own text,
// so that a failing case says which one it is.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

namespace kestrel::case_names {

inline const char* symbol_word(char c) {
  switch (c) {
    case '+':
      return "plus";
    case '-':
      return "minus";
    case '*':
      return "times";
    case '/':
      return "over";
    case '=':
      return "eq";
    case '<':
      return "lt";
    case '>':
      return "gt";
    case '!':
      return "not";
    case '&':
      return "and";
    case '|':
      return "or";
    case '"':
      return "q";
    default:
      return nullptr;
  }
}

// "4_floor_minus_0_5" for the case "floor(-0.5)" at index 4: its place, then
// the words of its text with symbols spelt out, cut to a readable length.
inline std::string case_label(std::string_view text, std::size_t index) {
  static constexpr std::size_t kLongest = 48;
  std::string label = std::to_string(index);
  bool in_word = false;
  for (const char c : text) {
    if (label.size() >= kLongest) break;
    if (std::isalnum(static_cast<unsigned char>(c))) {
      if (!in_word) label += '_';
      label += c;
      in_word = true;
      continue;
    }
    in_word = false;
    if (const char* word = symbol_word(c)) label += std::string("_") + word;
  }
  return label;
}

// The name generator of a suite whose cases hold their text in `Field`.
template <auto Field>
struct NamedBy {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return case_label(info.param.*Field, info.index);
  }
};

}  // namespace kestrel::case_names
