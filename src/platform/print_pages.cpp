#include "platform/print_pages.h"

namespace kestrel::platform {

std::vector<std::size_t> page_starts(const std::vector<double>& line_heights, double page_height) {
  std::vector<std::size_t> starts{0};
  double filled = 0;
  for (std::size_t line = 0; line < line_heights.size(); ++line) {
    if (filled > 0 && filled + line_heights[line] > page_height) {
      starts.push_back(line);
      filled = 0;
    }
    filled += line_heights[line];
  }
  return starts;
}

}  // namespace kestrel::platform
