#include "lib/ini_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "data/Support_File.h"
#include "lib/game_names.h"

namespace kestrel {
namespace {

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The name of a section header line; none for other lines.
std::optional<std::string_view> header_name(std::string_view line) {
  const std::string_view text = trim(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const std::size_t close = text.find(']');
  return trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

bool is_key_line(std::string_view line, std::string_view key) {
  const std::size_t equals = line.find('=');
  return equals != std::string_view::npos && same_ignoring_case(trim(line.substr(0, equals)), key);
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Exponents past this are infinite (or zero) anyway; the cap keeps the sum finite.
constexpr int kExponentCap = 10000;

}  // namespace

IniText::IniText(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    start = end + 1;
  }
}

std::size_t IniText::find_section(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = header_name(lines_[i]);
    if (name && same_ignoring_case(*name, trim(section))) return i;
  }
  return std::string::npos;
}

std::size_t IniText::section_end(std::size_t header) const {
  std::size_t end = header + 1;
  while (end < lines_.size() && !header_name(lines_[end])) ++end;
  return end;
}

std::size_t IniText::find_key(std::size_t header, std::string_view key) const {
  if (header == std::string::npos) return std::string::npos;
  const std::size_t end = section_end(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (is_key_line(lines_[i], trim(key))) return i;
  }
  return std::string::npos;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
  const std::size_t line = find_key(find_section(section), key);
  if (line == std::string::npos) return std::nullopt;
  const std::string& text = lines_[line];
  std::string_view value = trim(std::string_view(text).substr(text.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool IniText::section_exists(std::string_view section) const {
  return find_section(section) != std::string::npos;
}

void IniText::set_value(std::string_view section, std::string_view key, std::string_view text) {
  std::string line = std::string(trim(key)) + "=" + std::string(text);
  std::size_t header = find_section(section);
  if (header == std::string::npos) {
    lines_.push_back("[" + std::string(trim(section)) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  const std::size_t found = find_key(header, key);
  if (found != std::string::npos) {
    lines_[found] = std::move(line);
    return;
  }
  // After the section's last non-empty line, so blank lines between sections stay.
  std::size_t at = section_end(header);
  while (at > header + 1 && trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniText::delete_key(std::string_view section, std::string_view key) {
  const std::size_t line = find_key(find_section(section), key);
  if (line != std::string::npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
}

void IniText::delete_section(std::string_view section) {
  const std::size_t header = find_section(section);
  if (header == std::string::npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
               lines_.begin() + static_cast<std::ptrdiff_t>(section_end(header)));
}

std::string IniText::text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

IniText IniFile::read() const {
  std::ifstream file(path_, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return IniText(bytes.str());
}

bool IniFile::write(const IniText& text) const {
  std::string ignored;
  return WriteFileAtomically(path_, text.text(), ignored);
}

double ini_text_to_real(std::string_view text) {
  double value = 0;
  double sign = 1;
  int exponent = 0;
  int exponent_sign = 1;
  int fraction_digits = 0;
  bool in_fraction = false;
  bool in_exponent = false;
  for (const char c : text) {
    if (c == '.' || c == ',') {
      if (in_fraction || in_exponent) break;
      in_fraction = true;
    } else if (c == 'E' || c == 'e') {
      if (in_exponent) break;
      in_exponent = true;
    } else if (c == '-') {
      if (in_exponent) {
        exponent_sign = -exponent_sign;
      } else {
        sign = -sign;
      }
    } else if (is_digit(c)) {
      if (in_exponent) {
        exponent = std::min(10 * exponent + (c - '0'), kExponentCap);
      } else if (in_fraction) {
        value += (c - '0') * std::pow(10.0, -++fraction_digits);
      } else {
        value = 10 * value + (c - '0');
      }
    } else {
      break;
    }
  }
  if (value == 0) return 0;
  return sign * value * std::pow(10.0, exponent_sign * exponent);
}

std::string ini_real_text(double x) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15);
  std::string text(buffer, error == std::errc() ? end : buffer);
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string exponent = text.substr(e + 1);
  const bool negative = exponent.front() == '-';
  exponent.erase(0, exponent.find_first_not_of("+-0"));
  return text.substr(0, e) + "E" + (negative ? "-" : "") + exponent;
}

}  // namespace kestrel
