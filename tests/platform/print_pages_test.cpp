#include "platform/print_pages.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

TEST(PrintPages, FillEachPageWithTheWholeLinesItTakes) {
  const struct {
    const char* name;
    std::vector<double> heights;
    std::vector<std::size_t> starts;
  } cases[] = {
      {"no lines print one empty page", {}, {0}},
      {"lines that fit exactly share a page", {10, 10, 10}, {0}},
      {"the line that overflows starts the next page", {10, 10, 10, 10}, {0, 3}},
      {"a line higher than a page has one of its own", {10, 45, 10}, {0, 1, 2}},
      {"a high first line does not leave an empty page", {45, 10}, {0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(page_starts(c.heights, 30), c.starts);
  }
}

}  // namespace
}  // namespace kestrel::platform
