#include "font_render.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>

namespace kestrel::tools {

namespace {

// Text in the game data is in the Western Windows code page.
char32_t CodePageToUnicode(int c) {
  static constexpr char32_t k80to9F[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return c >= 0x80 && c <= 0x9F ? k80to9F[c - 0x80] : char32_t(c);
}

bool FindFace(const CFont& font, std::string& file, int& index, std::string& error) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) {
    error = "fontconfig cannot be initialised";
    return false;
  }
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(font.font_name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcChar8* path = nullptr;
  bool found = match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  } else {
    error = "no installed font matches \"" + font.font_name + "\"";
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return found;
}

}  // namespace

bool RenderFontGlyphs(CFont& font, std::string& error) {
  std::string file;
  int face_index = 0;
  if (!FindFace(font, file, face_index, error)) return false;
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) {
    error = "FreeType cannot be initialised";
    return false;
  }
  std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> library_owner(library,
                                                                             FT_Done_FreeType);
  FT_Face face;
  if (FT_New_Face(library, file.c_str(), face_index, &face) != 0) {
    error = "cannot open the font file " + file;
    return false;
  }
  std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> face_owner(face, FT_Done_Face);
  // Sizes are points on a 96 dots-per-inch screen.
  FT_Set_Char_Size(face, 0, FT_F26Dot6(std::max(font.size, 1)) * 64, 96, 96);
  const int ascender = int(face->size->metrics.ascender >> 6);
  const int height = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6);

  const int first = std::clamp(font.first, 0, 255);
  const int last = std::clamp(font.last, 0, 255);
  font.glyphs = {};
  for (int c = first; c <= last; ++c) {
    Glyph& glyph = font.glyphs[c];
    glyph.h = height;
    if (FT_Load_Char(face, CodePageToUnicode(c), FT_LOAD_DEFAULT) != 0) {
      glyph.w = 1;
      continue;
    }
    const int advance = int((face->glyph->advance.x + 32) >> 6);
    FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
    glyph.offset = face->glyph->bitmap_left;
    glyph.w = int(face->glyph->bitmap.width) + 1;
    glyph.shift = advance;
  }

  // The narrowest power-of-two width from 128 that is not smaller than the height.
  int width = 128;
  int image_height = 0;
  while (true) {
    int x = 0, y = 0;
    bool fits = true;
    for (int c = first; c <= last; ++c) {
      Glyph& glyph = font.glyphs[c];
      if (x > 0 && x + glyph.w >= width) {
        x = 0;
        y += height + 1;
      }
      fits &= glyph.w <= width;
      glyph.x = x;
      glyph.y = y;
      x += glyph.w + 1;
    }
    image_height = first <= last ? y + height + 1 : 0;
    if (fits && width >= image_height) break;
    width *= 2;
  }

  font.image_width = width;
  font.image_height = image_height;
  font.image.assign(std::size_t(width) * std::size_t(image_height), 0);
  for (int c = first; c <= last; ++c) {
    if (FT_Load_Char(face, CodePageToUnicode(c), FT_LOAD_RENDER) != 0) continue;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const Glyph& glyph = font.glyphs[c];
    const int top = glyph.y + ascender - face->glyph->bitmap_top;
    for (int row = 0; row < int(bitmap.rows); ++row)
      for (int column = 0; column < int(bitmap.width); ++column) {
        const int px = glyph.x + column;
        const int py = top + row;
        if (px < 0 || py < glyph.y || px >= width || py >= glyph.y + height) continue;
        font.image[std::size_t(py) * width + px] = bitmap.buffer[row * bitmap.pitch + column];
      }
  }
  return true;
}

}  // namespace kestrel::tools
