#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/Background_Class.h"
#include "data/Sprite_Class.h"

namespace kestrel {

class Runner;

// Whether the file name ends in the extension, compared without regard to case.
bool has_extension(const std::string& name, std::string_view extension);

// A rectangle of the drawn frame (opaque) or of a surface (with its alpha),
// cut to what exists; none when nothing could be read.
std::optional<TBitmap32> capture_screen(Runner& runner, int x, int y, int width, int height);
std::optional<TBitmap32> capture_surface(Runner& runner, int surface, int x, int y, int width,
                                         int height);

// Writes the image as PNG or BMP by the name's extension; problems writing are
// passed over, as games expect.
void save_picture(const TBitmap32& image, const std::string& name);

// The sprite and background files that the authoring tool exports (".qzspr"
// and ".qzbck"); false when the file is missing or damaged.
bool read_sprite_file(const std::string& name, CSprite& sprite);
bool read_background_file(const std::string& name, CBackground& background);

}  // namespace kestrel
