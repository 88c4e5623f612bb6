// Any bytes as an INI file: every read, write and delete ends, what is
// written reads back, and the number rule takes any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lib/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first line names the section and key the game asks for.
  const std::size_t line_end = bytes.find('\n');
  const std::string_view name = bytes.substr(0, line_end);
  IniText ini(bytes);
  ini_text_to_real(bytes);
  if (const auto value = ini.value(name, name)) ini_text_to_real(*value);
  ini.section_exists(name);
  ini.set_value("Written", "key", "value");
  if (ini.value("written", "KEY") != "value") std::abort();
  ini.delete_key(name, name);
  ini.delete_section(name);
  // What the writer made reads the same.
  const IniText again(ini.text());
  if (again.text() != ini.text()) std::abort();
  return 0;
}
