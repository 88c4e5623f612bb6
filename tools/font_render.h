#pragma once

#include <string>

#include "data/Font_Class.h"

namespace kestrel::tools {

// Renders the glyph table and glyph image of a font from the face its name,
// size, bold and italic ask for (found through fontconfig). False and an
// explanation when no face can be opened.
bool RenderFontGlyphs(CFont& font, std::string& error);

}  // namespace kestrel::tools
