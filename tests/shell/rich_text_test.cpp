#include "shell/rich_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

std::string utf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Paragraphs as "alignment:runs", joined by " / "; each run that differs from
// the default style says how in brackets before its text.
std::string describe(const RichText& text) {
  const TextStyle plain;
  std::string out;
  for (const TextParagraph& paragraph : text.paragraphs) {
    if (!out.empty()) out += " / ";
    out += "LCRJ"[static_cast<int>(paragraph.alignment)];
    out += ':';
    for (const TextRun& run : paragraph.runs) {
      std::string how;
      const auto add = [&](const std::string& part) { how += (how.empty() ? "" : " ") + part; };
      if (run.style.bold) add("b");
      if (run.style.italic) add("i");
      if (run.style.underline) add("u");
      if (run.style.font != plain.font) add("f=" + run.style.font);
      if (run.style.half_points != plain.half_points) {
        add("fs=" + std::to_string(run.style.half_points));
      }
      if (run.style.colour != plain.colour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", run.style.colour);
        add(std::string("c=") + hex);
      }
      if (!how.empty()) out += "(" + how + ")";
      out += utf8(run.text);
    }
  }
  return out;
}

struct Case {
  const char* name;
  std::string source;
  std::string expected;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class RichTextReading : public testing::TestWithParam<Case> {};

TEST_P(RichTextReading, GivesTheStyledParagraphs) {
  EXPECT_EQ(describe(read_rich_text(GetParam().source)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RichTextReading,
    testing::Values(
        Case{"Paragraphs", R"({\rtf1 one\par two\line three\tab four\par})",
             "L:one / L:two\nthree\tfour"},
        Case{"EmptyParagraphsKeptTrailingMarkNot", "{\\rtf1 a\\par\\par b\\par\r\n}",
             "L:a / L: / L:b"},
        Case{"BackslashNewlineEndsAParagraph", "{\\rtf1 a\\\nb}", "L:a / L:b"},
        Case{"CharacterFormattingOnAndOff",
             R"({\rtf1 a\b b\b0 c\i d\i0\ul e\ulnone f\uldb g\ul0 h})", "L:a(b)bc(i)d(u)ef(u)gh"},
        Case{"GroupsKeepTheirFormatting", R"({\rtf1 a{\b b{\i c}}d})", "L:a(b)b(b i)cd"},
        Case{"PlainResetsCharacterFormatting", R"({\rtf1\b\i\fs40 a\plain b})", "L:(b i fs=40)ab"},
        Case{"FontsFromTheTableAndTheDefault",
             R"({\rtf1\deff1{\fonttbl{\f0\fswiss Arial;}{\f1\froman{\*\panose 0}Times New Roman;}})"
             R"(a\f0 b\f7 c\fs20 d})",
             "L:(f=Times New Roman)ab(f=Times New Roman)c(f=Times New Roman fs=20)d"},
        Case{"FlatFontTable", R"({\rtf1{\fonttbl\f0 Courier New;\f1 Arial;}\f0 x})",
             "L:(f=Courier New)x"},
        Case{
            "ColoursFromTheTableAutomaticAndOutOfRange",
            R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue300;}\cf1 r\cf2 b\cf0 a\cf9 z})",
            "L:(c=FF0000)r(c=0000FF)baz"},
        Case{"Alignment", R"({\rtf1\qc centred\par\pard left\par\qr right\par\ql\qj just})",
             "C:centred / L:left / R:right / J:just"},
        Case{"CodePageEscapes", R"({\rtf1 caf\'e9 \'80\'96})", "L:caf\u00e9 \u20ac\u2013"},
        Case{"UnicodeWithFallbackSkipping",
             R"({\rtf1 \u8364?x\uc2\u8364\'80\'80y{\uc0\u233 z}\u233?})",
             "L:\u20acx\u20acy\u00e9z\u00e9"},
        Case{"UnicodeSurrogatesAndNegativeNumbers", R"({\rtf1 \u-10179?\u-8704?\u-3?})",
             "L:\U0001F600\ufffd"},
        Case{"SymbolsAndEscapedCharacters",
             R"({\rtf1 \{x\}\\ a\~b\emdash c\bullet\lquote q\rquote\ldblquote d\rdblquote})",
             "L:{x}\\ a\u00a0b\u2014c\u2022\u2018q\u2019\u201cd\u201d"},
        Case{
            "HiddenDestinationsAreLeftOut",
            R"({\rtf1{\*\generator Writer;}{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}})"
            R"({\pict\pngblip 89504e47}shown{\*\unknown hidden}{\field{\*\fldinst HYPERLINK x}{\fldrslt link}}})",
            "L:shownlink"},
        Case{"BinaryDataIsSkipped", R"({\rtf1 a{\pict\bin3 }}}}b})", "L:ab"},
        Case{"TextAfterTheDocumentIsIgnored", R"({\rtf1 a}b\par c)", "L:a"},
        Case{"UnclosedGroups", R"({\rtf1 {\b bold)", "L:(b)bold"},
        Case{"TruncatedHexEscape", R"({\rtf1 a\'4)", "L:a"},
        Case{"InvalidHexEscape", R"({\rtf1 \'zz b})", "L:zz b"},
        Case{"TruncatedControlWord", R"({\rtf1 a\)", "L:a"},
        Case{"TruncatedUnicode", R"({\rtf1 a\u)", "L:a"},
        Case{"HugeNumbers",
             R"({\rtf1\fs99999999999999999999 a\b-99999999999999 b\cf2147483648 c)"
             R"(\uc99999999999\u99999999999 d\f-2147483649 e})",
             "L:(fs=1000)a(b fs=1000)bc\ufffd"},
        Case{"HugeBinaryLength", R"({\rtf1 a\bin999999999999 xyz})", "L:a"},
        Case{"PlainTextLines", "one\r\ntwo\n\nthree\n", "L:one / L:two / L: / L:three"},
        Case{"PlainTextInTheWindowsCodePage", "caf\xe9 \x80", "L:caf\u00e9 \u20ac"},
        Case{"PlainTextInUtf8", "caf\xc3\xa9", "L:caf\u00e9"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(RichTextReading, DeepNestingIsReadWithoutExhaustingTheStack) {
  std::string source = "{\\rtf1 " + std::string(200000, '{') + "\\b x";
  EXPECT_EQ(describe(read_rich_text(source)), "L:(b)x");
  source += std::string(300000, '}') + "y";
  EXPECT_EQ(describe(read_rich_text(source)), "L:(b)x");
}

// Damaged documents made of pieces of real ones: reading ends, and whatever
// comes out is well formed.
TEST(RichTextReading, ScrambledDocumentsEndWithoutFailing) {
  const char* const pieces[] = {"{",          "}",       "\\",   "\\b",   "\\b0 ",     "\\'",
                                "\\'e",       "\\u",     "\\u-", "\\uc",  "5",         "text ",
                                "\\par",      "\\pict ", "\\*",  "\\bin", "\\fonttbl", ";",
                                "\\colortbl", "\\red",   "\\f",  "\\fs",  "-",         "\\rtf1"};
  std::uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string source = "{\\rtf1 ";
    for (int n = 0; n < 40; ++n) {
      seed = seed * 1664525u + 1013904223u;
      source += pieces[(seed >> 16) % std::size(pieces)];
    }
    for (const TextParagraph& paragraph : read_rich_text(source).paragraphs) {
      for (const TextRun& run : paragraph.runs) {
        EXPECT_FALSE(run.text.empty()) << source;
        EXPECT_GE(run.style.half_points, 2) << source;
        EXPECT_LE(run.style.half_points, 1000) << source;
      }
    }
  }
}

}  // namespace
}  // namespace kestrel
