// Any bytes as a text file: reading numbers, strings and lines in any order
// ends at the end of the file without reading past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lib/file_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  if (size == 0) return 0;
  // The first byte picks the order of the reads; the rest is the file.
  const unsigned order = data[0];
  TextReader reader(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  for (unsigned step = 0; !reader.eof(); ++step) {
    switch ((order >> (step % 4 * 2)) & 3) {
      case 0:
        reader.read_real();
        break;
      case 1:
        reader.read_string();
        if (!reader.eoln()) std::abort();
        break;
      case 2:
        reader.eoln();
        reader.read_real();
        break;
      default:
        break;
    }
    reader.readln();
  }
  if (!reader.eoln() || !reader.read_string().empty()) std::abort();
  return 0;
}
