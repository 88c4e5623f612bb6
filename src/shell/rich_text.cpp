#include "shell/rich_text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <optional>

namespace kestrel {
namespace {

// Bytes 0x80..0x9F of the Windows Western code page; the rest of the upper
// half is Latin-1. Unassigned bytes keep their own value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t from_windows_1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
  return byte;
}

// Sizes beyond this would only make glyph images of absurd size.
constexpr int kLargestHalfPoints = 1000;
// Deeper nesting is not made by any writer; past it groups no longer keep
// their own formatting, so damaged input cannot grow the stack without end.
constexpr std::size_t kDeepestGroup = 256;
// A control word is at most this long; longer runs of letters are cut off.
constexpr std::size_t kLongestWord = 32;

// Groups that hold no visible text: their content is passed over.
constexpr std::string_view kHiddenDestinations[] = {
    "annotation",
    "atnauthor",
    "atnid",
    "author",
    "bkmkend",
    "bkmkstart",
    "colorschememapping",
    "comment",
    "datastore",
    "docvar",
    "doccomm",
    "falt",
    "fldinst",
    "filetbl",
    "footer",
    "footerf",
    "footerl",
    "footerr",
    "footnote",
    "generator",
    "header",
    "headerf",
    "headerl",
    "headerr",
    "info",
    "keywords",
    "latentstyles",
    "listoverridetable",
    "listtable",
    "mmathPr",
    "nonshppict",
    "object",
    "operator",
    "panose",
    "pgdsctbl",
    "pict",
    "pnseclvl",
    "private",
    "revtbl",
    "rsidtbl",
    "stylesheet",
    "subject",
    "tc",
    "template",
    "themedata",
    "title",
    "txe",
    "userprops",
    "xe",
    "xmlnstbl",
};

// Control words that stand for one character.
constexpr std::pair<std::string_view, char32_t> kSymbols[] = {
    {"line", U'\n'},       {"tab", U'\t'},     {"emdash", 0x2014}, {"endash", 0x2013},
    {"bullet", 0x2022},    {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C},
    {"rdblquote", 0x201D}, {"emspace", U' '},  {"enspace", U' '},  {"qmspace", U' '},
};

enum class Destination { Text, FontTable, ColourTable, Hidden };

struct GroupState {
  Destination destination = Destination::Text;
  // Font and colour by their numbers in the tables; fonts not in the table,
  // -1 among them, are the document's font.
  int font = -1;
  int colour = 0;
  int half_points = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  TextAlignment alignment = TextAlignment::Left;
  // How many characters stand in for each \u character, for readers without Unicode.
  int unicode_fallback = 1;
};

class RtfReader {
 public:
  explicit RtfReader(std::string_view source) : in_(source) {}

  RichText read() {
    // The opening brace of the document's group.
    pos_ = in_.find('{') + 1;
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        open_group();
      } else if (c == '}') {
        if (!close_group()) break;
      } else if (c == '\\') {
        control();
      } else if (c != '\r' && c != '\n') {
        character(from_windows_1252(static_cast<unsigned char>(c)));
      }
    }
    if (!paragraph_.runs.empty()) end_paragraph();
    return std::move(out_);
  }

 private:
  void open_group() {
    skip_ = 0;
    if (stack_.size() >= kDeepestGroup) {
      ++too_deep_;
      return;
    }
    stack_.push_back(state_);
  }

  // False once the document's own group has closed.
  bool close_group() {
    skip_ = 0;
    if (too_deep_ > 0) {
      --too_deep_;
      return true;
    }
    // A font entry whose name ends without a semicolon still counts.
    if (state_.destination == Destination::FontTable) end_font_entry();
    if (stack_.empty()) return false;
    state_ = stack_.back();
    stack_.pop_back();
    return true;
  }

  void control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (is_letter(c)) {
      control_word();
      return;
    }
    ++pos_;
    switch (c) {
      case '\'':
        hex_character();
        break;
      case '*':
        // Marks a destination that readers which do not know it must skip;
        // none of them holds visible text.
        state_.destination = Destination::Hidden;
        break;
      case '\\':
      case '{':
      case '}':
        character(static_cast<unsigned char>(c));
        break;
      case '~':
        character(0x00A0);
        break;
      case '_':
        character(U'-');
        break;
      case '\r':
      case '\n':
        end_paragraph_here();
        break;
      default:
        break;
    }
  }

  void control_word() {
    const std::size_t start = pos_;
    while (pos_ < in_.size() && is_letter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(start, std::min(pos_ - start, kLongestWord));
    std::optional<int> parameter;
    const bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && is_digit(in_[pos_ + 1]);
    if (negative) ++pos_;
    if (pos_ < in_.size() && is_digit(in_[pos_])) {
      // Numbers past the range of an int are held at its ends.
      long long value = 0;
      while (pos_ < in_.size() && is_digit(in_[pos_])) {
        value = std::min<long long>(value * 10 + (in_[pos_] - '0'), INT_MAX);
        ++pos_;
      }
      parameter = static_cast<int>(negative ? -value : value);
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    apply(word, parameter);
  }

  void hex_character() {
    int value = 0;
    for (int digit = 0; digit < 2; ++digit) {
      const int nibble = pos_ < in_.size() ? hex_value(in_[pos_]) : -1;
      if (nibble < 0) return;
      value = value * 16 + nibble;
      ++pos_;
    }
    character(from_windows_1252(static_cast<unsigned char>(value)));
  }

  void apply(std::string_view word, std::optional<int> parameter) {
    const int number = parameter.value_or(0);
    const bool on = !parameter || *parameter != 0;
    if (word == "bin") {
      // Raw bytes follow; they must not be read as text or control words.
      pos_ += std::min<std::size_t>(std::max(number, 0), in_.size() - pos_);
      return;
    }
    if (state_.destination == Destination::Hidden) return;
    if (std::find(std::begin(kHiddenDestinations), std::end(kHiddenDestinations), word) !=
        std::end(kHiddenDestinations)) {
      state_.destination = Destination::Hidden;
    } else if (word == "fonttbl") {
      state_.destination = Destination::FontTable;
    } else if (word == "colortbl") {
      state_.destination = Destination::ColourTable;
      colours_.clear();
    } else if (word == "par") {
      end_paragraph_here();
    } else if (word == "u" && parameter) {
      unicode_character(number);
    } else if (word == "uc") {
      state_.unicode_fallback = std::max(number, 0);
    } else if (word == "f") {
      if (state_.destination == Destination::FontTable) {
        end_font_entry();
        font_entry_ = number;
      } else {
        state_.font = number;
      }
    } else if (word == "deff") {
      default_font_ = number;
    } else if (word == "fs") {
      state_.half_points = parameter ? std::clamp(number, 2, kLargestHalfPoints) : 24;
    } else if (word == "cf") {
      state_.colour = number;
    } else if (word == "red" || word == "green" || word == "blue") {
      const int shift = word == "red" ? 16 : word == "green" ? 8 : 0;
      const auto level = static_cast<std::uint32_t>(std::clamp(number, 0, 255));
      next_colour_ = (next_colour_.value_or(0) & ~(0xFFu << shift)) | level << shift;
    } else if (word == "b") {
      state_.bold = on;
    } else if (word == "i") {
      state_.italic = on;
    } else if (word == "ul") {
      state_.underline = on;
    } else if (word == "ulnone") {
      state_.underline = false;
    } else if (word.size() > 2 && word.starts_with("ul") && word != "ulc") {
      // Dotted, double, wavy and the other kinds show as one underline.
      state_.underline = on;
    } else if (word == "plain") {
      const GroupState plain;
      state_.font = plain.font;
      state_.colour = plain.colour;
      state_.half_points = plain.half_points;
      state_.bold = state_.italic = state_.underline = false;
    } else if (word == "pard" || word == "ql") {
      state_.alignment = TextAlignment::Left;
    } else if (word == "qc") {
      state_.alignment = TextAlignment::Centre;
    } else if (word == "qr") {
      state_.alignment = TextAlignment::Right;
    } else if (word == "qj") {
      state_.alignment = TextAlignment::Justified;
    } else {
      for (const auto& [name, symbol] : kSymbols) {
        if (word == name) character(symbol);
      }
    }
  }

  void unicode_character(int number) {
    skip_ = 0;
    // Negative numbers are how 16-bit writers give code units above 32767.
    const auto unit = static_cast<char32_t>(number < 0 ? number + 65536 : number);
    if (unit >= 0xD800 && unit < 0xDC00) {
      high_surrogate_ = unit;
    } else if (unit >= 0xDC00 && unit < 0xE000 && high_surrogate_ != 0) {
      character(0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00));
      high_surrogate_ = 0;
    } else if (unit < 0x110000 && (unit < 0xD800 || unit >= 0xE000)) {
      character(unit);
    } else {
      character(0xFFFD);
    }
    skip_ = state_.unicode_fallback;
  }

  void character(char32_t c) {
    if (skip_ > 0) {
      --skip_;
      return;
    }
    switch (state_.destination) {
      case Destination::Text:
        append(c);
        break;
      case Destination::FontTable:
        if (c == U';')
          end_font_entry();
        else
          font_name_ += c;
        break;
      case Destination::ColourTable:
        if (c == U';') {
          colours_.push_back(next_colour_);
          next_colour_.reset();
        }
        break;
      case Destination::Hidden:
        break;
    }
  }

  void append(char32_t c) {
    TextStyle style = current_style();
    if (paragraph_.runs.empty() || paragraph_.runs.back().style != style) {
      paragraph_.runs.push_back({std::move(style), {}});
    }
    paragraph_.runs.back().text += c;
  }

  TextStyle current_style() const {
    TextStyle style;
    // A font missing from the table is the document's font.
    auto font = fonts_.find(state_.font);
    if (font == fonts_.end()) font = fonts_.find(default_font_);
    if (font != fonts_.end()) style.font = font->second;
    style.half_points = state_.half_points;
    style.bold = state_.bold;
    style.italic = state_.italic;
    style.underline = state_.underline;
    // Colour numbers outside the table, and its automatic entries, are the default.
    if (state_.colour >= 0 && static_cast<std::size_t>(state_.colour) < colours_.size()) {
      style.colour = colours_[static_cast<std::size_t>(state_.colour)].value_or(0);
    }
    return style;
  }

  void end_paragraph_here() {
    if (state_.destination == Destination::Text) end_paragraph();
  }

  void end_paragraph() {
    paragraph_.alignment = state_.alignment;
    paragraph_.mark = current_style();
    out_.paragraphs.push_back(std::move(paragraph_));
    paragraph_ = {};
  }

  void end_font_entry() {
    const auto first = font_name_.find_first_not_of(U' ');
    if (font_entry_ >= 0 && first != std::u32string::npos) {
      const auto last = font_name_.find_last_not_of(U' ');
      std::string name;
      // Font names are looked up by the system in ASCII; others keep the default font.
      for (char32_t c : font_name_.substr(first, last - first + 1)) {
        name += c < 0x80 ? static_cast<char>(c) : '?';
      }
      if (name.find('?') == std::string::npos) fonts_[font_entry_] = name;
    }
    font_name_.clear();
    font_entry_ = -1;
  }

  static bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }
  static int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  GroupState state_;
  std::vector<GroupState> stack_;
  std::size_t too_deep_ = 0;
  // Characters still to pass over after a \u character.
  int skip_ = 0;
  char32_t high_surrogate_ = 0;
  std::map<int, std::string> fonts_;
  int default_font_ = 0;
  int font_entry_ = -1;
  std::u32string font_name_;
  // Unset entries are the automatic colour.
  std::vector<std::optional<std::uint32_t>> colours_;
  std::optional<std::uint32_t> next_colour_;
  TextParagraph paragraph_;
  RichText out_;
};

bool is_rich_text(std::string_view source) {
  const auto start = source.find_first_not_of(" \t\r\n");
  return start != std::string_view::npos && source.substr(start).starts_with("{\\rtf");
}

// Plain text files may be UTF-8 or the Windows code page; whatever is not
// valid UTF-8 is taken as the code page.
std::u32string decode_plain(std::string_view line) {
  std::u32string utf8;
  for (std::size_t i = 0; i < line.size();) {
    const auto lead = static_cast<unsigned char>(line[i]);
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || i + length > line.size()) return {};
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(line[i + k]);
      if ((next & 0xC0) != 0x80) return {};
      c = c << 6 | (next & 0x3F);
    }
    utf8 += c;
    i += length;
  }
  return utf8;
}

RichText read_plain_text(std::string_view source) {
  std::u32string text = decode_plain(source);
  if (text.empty()) {
    for (char c : source) text += from_windows_1252(static_cast<unsigned char>(c));
  }
  RichText out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(U"\r\n", start);
    if (end == std::u32string::npos) end = text.size();
    TextParagraph paragraph;
    if (end > start) paragraph.runs.push_back({TextStyle{}, text.substr(start, end - start)});
    out.paragraphs.push_back(std::move(paragraph));
    start = end;
    if (start < text.size() && text[start] == U'\r') ++start;
    if (start < text.size() && text[start] == U'\n') ++start;
  }
  return out;
}

}  // namespace

RichText read_rich_text(std::string_view source) {
  return is_rich_text(source) ? RtfReader(source).read() : read_plain_text(source);
}

}  // namespace kestrel
