#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "data/bitmap32.h"

namespace kestrel {

// Decodes the bytes of a picture file into 32-bit images. With `gif_frames`
// an animated picture gives each frame as shown, on a canvas of the colour
// 32832 where the frame is transparent; otherwise one image keeps its own
// transparency. The developer tool and the running game read pictures here.
bool DecodePicture(std::span<const std::uint8_t> bytes, bool gif_frames,
                   std::vector<TBitmap32>& images, std::string& error);

// A picture file: a ".gif" file (any case) as its frames, any other as one image.
bool LoadPictureFile(const std::filesystem::path& path, std::vector<TBitmap32>& images,
                     std::string& error);

}  // namespace kestrel
