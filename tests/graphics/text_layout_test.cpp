#include <gtest/gtest.h>

#include "graphics/Graphics_Text.h"

namespace kestrel {
namespace {

// Every character advances 10 pixels.
Advances monospace() {
  Advances advances{};
  advances.fill(10);
  return advances;
}

using Lines = std::vector<std::string>;

TEST(TextLayout, MarksThatBreakLines) {
  struct Case {
    const char* name;
    std::string text;
    Lines expected;
  };
  const Case cases[] = {
      {"hash breaks", "a#b", {"a", "b"}},
      {"escaped hash is kept, backslash dropped", "a\\#b", {"a#b"}},
      {"a lone backslash stays", "a\\b", {"a\\b"}},
      {"line feed", "a\nb", {"a", "b"}},
      {"carriage return with line feed counts once", "a\r\nb", {"a", "b"}},
      {"carriage return alone", "a\rb", {"a", "b"}},
      {"empty text is one empty line", "", {""}},
      {"empty lines survive", "a##b", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text_lines(c.text, -1, monospace()), c.expected);
  }
}

TEST(TextLayout, WrapsBetweenWordsButNeverInsideOne) {
  struct Case {
    const char* name;
    std::string text;
    double width;
    Lines expected;
  };
  const Case cases[] = {
      {"words that fit share a line", "ab cd ef", 60, {"ab cd ", "ef"}},
      {"a hyphen ends a word too", "well-known", 50, {"well-", "known"}},
      {"a long word stands alone unsplit", "a verylongword b", 40, {"a ", "verylongword ", "b"}},
      {"width zero puts each word alone", "ab cd", 0, {"ab ", "cd"}},
      {"no wrapping with a negative width", "ab cd ef", -1, {"ab cd ef"}},
      {"wrapping keeps marked breaks", "ab cd#ef", 30, {"ab ", "cd", "ef"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text_lines(c.text, c.width, monospace()), c.expected);
  }
}

TEST(TextLayout, SizeOfText) {
  const Advances advances = monospace();
  EXPECT_EQ(text_width(text_lines("", -1, advances), advances), 1);
  EXPECT_EQ(text_width(text_lines("ab#abcd", -1, advances), advances), 40);
  EXPECT_EQ(text_height(1, -1, 16), 16);
  EXPECT_EQ(text_height(3, -1, 16), 48);
  EXPECT_EQ(text_height(3, 20, 16), 56);
}

}  // namespace
}  // namespace kestrel
