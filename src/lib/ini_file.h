#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The text of an INI file: sections of key=value lines. Section and key
// names ignore case and the first of equal names counts; lines the reader
// does not understand (comments, text before the first section) are kept as
// they are.
class IniText {
 public:
  IniText() = default;
  explicit IniText(std::string_view text);

  // The stored text without the spaces around it and without one pair of
  // quotes around the whole; none when the key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  bool section_exists(std::string_view section) const;
  void set_value(std::string_view section, std::string_view key, std::string_view text);
  void delete_key(std::string_view section, std::string_view key);
  void delete_section(std::string_view section);
  // Lines end with CR LF.
  std::string text() const;

 private:
  // The line of the section's header, or npos.
  std::size_t find_section(std::string_view section) const;
  // The end of the section that starts at the header `header`: the next header or the end.
  std::size_t section_end(std::size_t header) const;
  std::size_t find_key(std::size_t header, std::string_view key) const;

  std::vector<std::string> lines_;
};

// The INI file game code opened: every read and write goes to the file on
// disk, and every change replaces it whole through a temporary file, so a
// crash leaves the old or the new file.
class IniFile {
 public:
  explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}
  const std::filesystem::path& path() const { return path_; }
  // An empty text when the file is missing or cannot be read.
  IniText read() const;
  // False when the file cannot be written.
  bool write(const IniText& text) const;

 private:
  std::filesystem::path path_;
};

// ini_read_real's reading of a text: sign, whole part, fraction after "." or
// ",", exponent after "E"; anything else ends the number.
double ini_text_to_real(std::string_view text);
// The shortest form of x with up to 15 significant digits, in a form that
// ini_text_to_real reads back ("E" with no "+" in the exponent).
std::string ini_real_text(double x);

}  // namespace kestrel
