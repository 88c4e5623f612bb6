// Any bytes as a model file: the reader loads all or nothing, never allocates
// more than the bytes justify, and a loaded model writes a file that reads
// back the same and replays as drawing would replay it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "graphics/Graphics_3D_Model.h"

namespace {

using namespace kestrel;

// Counts what a replay hands over.
class CountingSink final : public PrimitiveSink {
 public:
  void begin(int, bool) override { ++primitives; }
  void corner(const Corner3D&) override { ++corners; }
  void end() override {}
  std::size_t primitives = 0;
  std::size_t corners = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  C3D_Model model;
  std::string error;
  if (!model.read(bytes, error)) {
    if (error.empty() || !model.records().empty()) std::abort();
    return 0;
  }
  // Every record takes at least 22 bytes: its kind and ten numbers, each after a blank.
  if (model.records().size() * 22 > size + 22) std::abort();
  const std::string written = model.text();
  C3D_Model again;
  if (!again.read(written, error) || again.text() != written) std::abort();
  CountingSink sink;
  model.replay(sink, 1, 2, 3);
  return 0;
}
