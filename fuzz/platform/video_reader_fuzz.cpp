// Any bytes read as a video file, the way a splash screen reads one (its
// pictures scaled, once more from the start, and its sound track), must end
// in pictures, a clean end or a refusal: never a crash, a hang or an
// allocation that the file's size does not justify.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/video_file.h"

namespace {
// A damaged file may hold very many tiny pictures; the first ones show the fault.
constexpr int kMostPictures = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  std::unique_ptr<kestrel::platform::VideoReader> video =
      kestrel::platform::open_video_bytes({data, size}, error);
  if (video == nullptr) return 0;
  video->scale_to(17, 13);
  std::vector<std::uint32_t> picture;
  double seconds = 0;
  for (int i = 0; i < kMostPictures && video->next_picture(picture, seconds); ++i) {
    if (picture.size() != 17u * 13) __builtin_trap();
  }
  if (video->rewind()) video->next_picture(picture, seconds);
  video->sound_as_wave(8000);
  return 0;
}
