#include "lib/file_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrel {
namespace {

// The character that old text files end with.
constexpr char kEndOfFile = 26;

bool is_line_end(char c) {
  return c == '\r' || c == '\n';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string real_file_text(double x) {
  const double magnitude = std::fabs(x);
  const double whole = std::floor(magnitude);
  // The fraction times a million can round up to a million itself.
  const double millionths = std::min(std::floor((magnitude - whole) * 1e6), 999999.0);
  char buffer[400];
  int length = std::snprintf(buffer, sizeof buffer, " %s%.0f", x < 0 ? "-" : "", whole);
  std::string text(buffer, length);
  if (millionths > 0) {
    length = std::snprintf(buffer, sizeof buffer, ".%06.0f", millionths);
    text.append(buffer, length);
  }
  return text;
}

TextReader::TextReader(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find(kEndOfFile))) {}

bool TextReader::eoln() const {
  return eof() || is_line_end(bytes_[position_]);
}

std::string TextReader::read_string() {
  const std::size_t start = position_;
  while (!eoln()) ++position_;
  return bytes_.substr(start, position_ - start);
}

// Spaces, tabs and minus signs before the first non-zero digit are taken in;
// a point or comma makes the following digits a fraction, and a second one
// shifts them a further place; any other character ends the number.
double TextReader::read_real() {
  double value = 0;
  double sign = 1;
  double divisor = 1;
  while (!eoln()) {
    const char c = bytes_[position_++];
    if (value == 0 && (c == ' ' || c == '\t')) continue;
    if (value == 0 && c == '-') {
      sign = -sign;
    } else if (is_digit(c)) {
      if (divisor == 1) {
        value = 10 * value + (c - '0');
      } else {
        value += (c - '0') / divisor;
        divisor *= 10;
      }
    } else if (c == '.' || c == ',') {
      divisor *= 10;
    } else {
      break;
    }
  }
  return sign * value;
}

void TextReader::readln() {
  while (!eof() && bytes_[position_] != '\n') ++position_;
  if (!eof()) ++position_;
}

}  // namespace kestrel
