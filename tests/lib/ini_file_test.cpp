#include "lib/ini_file.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

TEST(IniText, SectionsAndKeysIgnoreCaseAndValuesLoseSpacesAndQuotes) {
  const IniText ini(
      "; saved by the game\r\n[Player]\r\nName = \"Ada Lovelace\" \r\nlevel=3\r\n\r\n"
      "[Options]\nsound= off\n[player]\nname=second\n");
  EXPECT_EQ(ini.value("player", "NAME"), "Ada Lovelace");
  EXPECT_EQ(ini.value(" Player ", "level"), "3");
  EXPECT_EQ(ini.value("OPTIONS", "Sound"), "off");
  EXPECT_EQ(ini.value("Options", "missing"), std::nullopt);
  EXPECT_EQ(ini.value("Missing", "level"), std::nullopt);
  EXPECT_TRUE(ini.section_exists("options"));
  EXPECT_FALSE(ini.section_exists("saved by the game"));
}

TEST(IniText, WritesReplaceOrAddAndDeletesRemoveAndOtherLinesStay) {
  IniText ini("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.set_value("a", "X", "10");
  ini.set_value("A", "z", "3");
  ini.set_value("C", "w", "4");
  EXPECT_EQ(ini.text(), "; keep me\r\n[A]\r\nX=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
  ini.delete_key("A", "x");
  ini.delete_section("b");
  ini.delete_section("nothing");
  EXPECT_EQ(ini.text(), "; keep me\r\n[A]\r\nz=3\r\n\r\n[C]\r\nw=4\r\n");
}

TEST(IniReal, TheReadRuleAndAWrittenFormThatReadsBack) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"1.5E3", 1500}, {"2,5", 2.5},    {"letters", 0}, {" 7", 0}, {"-3.25", -3.25},
      {"1e-2", 0.01},  {"1.2.3", 1.2},  {"4E1E2", 40},  {"+5", 0}, {"5+", 5},
      {"1E-", 1},      {"0E999999", 0}, {"", 0},
  };
  for (const auto& c : cases) EXPECT_NEAR(ini_text_to_real(c.text), c.value, 1e-12) << c.text;
  EXPECT_EQ(ini_real_text(0.1), "0.1");
  EXPECT_EQ(ini_real_text(-2), "-2");
  EXPECT_EQ(ini_real_text(1e20), "1E20");
  for (const double value : {0.1, -2.0, 1e20, 1.5e-7, 123456789.125, 1.0 / 3}) {
    EXPECT_NEAR(ini_text_to_real(ini_real_text(value)), value, std::fabs(value) * 1e-14)
        << ini_real_text(value);
  }
}

}  // namespace
}  // namespace kestrel
