// Any bytes read as a picture file, the way sprite_add reads one (first as a
// GIF's frames, then as one picture), and prepared as its subimages are, must
// end in images or a refusal: never a crash, a hang or an allocation that the
// file's size does not justify.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/image/BM32_Bitmap.h"
#include "graphics/image/BM32_Effect.h"

namespace {
constexpr std::int64_t kMostPreparedPixels = std::int64_t(1) << 18;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const bool gif_frames : {true, false}) {
    std::vector<kestrel::TBitmap32> images;
    std::string error;
    if (!kestrel::DecodePicture({data, size}, gif_frames, images, error)) continue;
    for (kestrel::TBitmap32& image : images) {
      // Large pictures only make the run slow: their preparation is the same loop.
      if (std::int64_t(image.width) * image.height > kMostPreparedPixels) continue;
      kestrel::PreparePicture(image, true, true);
      kestrel::ResizeImage(image, 7, 5);
    }
  }
  return 0;
}
