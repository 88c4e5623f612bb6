#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

// How file_text_write_real writes a number: a space, the sign, the whole
// part, and six decimals when the first six are not all zero.
std::string real_file_text(double x);

// The reading side of a text file: lines end at CR or LF, and character 26
// ends the file.
class TextReader {
 public:
  TextReader() = default;
  explicit TextReader(std::string_view bytes);

  bool eof() const { return position_ >= bytes_.size(); }
  // At a line end or the end of the file.
  bool eoln() const;
  // Up to the line end, which stays unread.
  std::string read_string();
  // A number as file_text_write_real writes it, and whatever comes close
  // (see the rule in the .cpp); the character that ends it is consumed.
  double read_real();
  // Past the next LF, or to the end of the file.
  void readln();

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

}  // namespace kestrel
