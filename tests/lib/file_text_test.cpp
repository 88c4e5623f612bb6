#include "lib/file_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

TEST(RealFileText, SpaceSignWholePartAndSixDecimalsWhenAny) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {3, " 3"},           {0.25, " 0.250000"},         {-2.5, " -2.500000"},
      {0.0000001, " 0"},   {-0.5, " -0.500000"},        {100, " 100"},
      {0, " 0"},           {1e15, " 1000000000000000"}, {12.3456789, " 12.345678"},
      {-0.0000001, " -0"},
  };
  for (const auto& c : cases) EXPECT_EQ(real_file_text(c.value), c.text) << c.value;
}

TEST(TextReader, ReadRealTakesWhatWriteRealWritesAndTheLooseForms) {
  const struct {
    const char* line;
    double value;
  } cases[] = {
      {"  -12.5x", -12.5}, {"0 0 7", 7}, {"--5", 5}, {"1.2.3", 1.203},    {"", 0},
      {"2,5", 2.5},        {"\t42", 42}, {"7 3", 7}, {" 0.250000", 0.25}, {"abc", 0},
  };
  for (const auto& c : cases) {
    TextReader reader(c.line);
    EXPECT_NEAR(reader.read_real(), c.value, 1e-12) << c.line;
  }
  for (const double value : {3.0, -2.5, 0.125, 1234.567891, -0.000001}) {
    TextReader reader(real_file_text(value));
    EXPECT_NEAR(reader.read_real(), value, 1e-6) << value;
  }
}

TEST(TextReader, TheCharacterEndingTheNumberIsConsumedButNotTheLineEnd) {
  TextReader reader("  -12.5x rest\r\n9\r\n");
  reader.read_real();
  EXPECT_EQ(reader.read_string(), " rest");
  EXPECT_TRUE(reader.eoln());
  EXPECT_EQ(reader.read_real(), 0) << "at the line end nothing is read";
  reader.readln();
  EXPECT_EQ(reader.read_real(), 9);
  EXPECT_TRUE(reader.eoln());
  reader.readln();
  EXPECT_TRUE(reader.eof());
}

TEST(TextReader, LinesEndAtCrOrLfAndCharacter26EndsTheFile) {
  TextReader reader(
      "one\rstill one\ntwo\x1A"
      "hidden");
  EXPECT_EQ(reader.read_string(), "one");
  reader.readln();  // a lone CR does not end the line for readln
  EXPECT_EQ(reader.read_string(), "two");
  EXPECT_TRUE(reader.eof());
  reader.readln();
  EXPECT_EQ(reader.read_string(), "");
}

}  // namespace
}  // namespace kestrel
