#pragma once

#include <cstddef>
#include <vector>

namespace kestrel::platform {

// Where a printed text's pages begin: the index of the first line of each
// page, filling each page with as many whole lines as its height takes. A
// line higher than a page gets a page of its own; no lines give one empty page.
std::vector<std::size_t> page_starts(const std::vector<double>& line_heights, double page_height);

}  // namespace kestrel::platform
