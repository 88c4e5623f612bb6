#include "platform/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace kestrel::platform {
namespace {

// The installed fonts are scanned once per process; later lookups reuse them.
FcConfig* font_configuration() {
  static FcConfig* const config = FcInitLoadConfigAndFonts();
  return config;
}

bool find_font_file(const std::string& name, bool bold, bool italic, std::string& file, int& index,
                    std::string& error) {
  FcConfig* config = font_configuration();
  if (config == nullptr) {
    error = "fontconfig cannot be initialised";
    return false;
  }
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
  if (pattern == nullptr) {
    error = "\"" + name + "\" is not a font name";
    return false;
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcChar8* path = nullptr;
  const bool found =
      match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  } else {
    error = "no installed font matches \"" + name + "\"";
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return found;
}

class FreeTypeFace final : public FontFace {
 public:
  ~FreeTypeFace() override {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  bool open(const std::string& file, int index, int size, std::string& error) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      error = "FreeType cannot be initialised";
      return false;
    }
    if (FT_New_Face(library_, file.c_str(), index, &face_) != 0) {
      face_ = nullptr;
      error = "cannot open the font file " + file;
      return false;
    }
    FT_Set_Char_Size(face_, 0, FT_F26Dot6(std::max(size, 1)) * 64, 96, 96);
    return true;
  }

  int ascender() const override { return int(face_->size->metrics.ascender >> 6); }
  int height() const override {
    return int((face_->size->metrics.ascender - face_->size->metrics.descender) >> 6);
  }

  bool render(char32_t character, GlyphBitmap& glyph) override {
    if (FT_Load_Char(face_, character, FT_LOAD_RENDER) != 0) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.advance = int((slot->advance.x + 32) >> 6);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = int(bitmap.width);
    glyph.rows = int(bitmap.rows);
    glyph.coverage.resize(std::size_t(glyph.width) * std::size_t(glyph.rows));
    for (int row = 0; row < glyph.rows; ++row) {
      const unsigned char* source = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
      std::copy(source, source + glyph.width,
                glyph.coverage.begin() + std::ptrdiff_t(row) * glyph.width);
    }
    return true;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

}  // namespace

std::unique_ptr<FontFace> open_font_face(const std::string& name, int size, bool bold, bool italic,
                                         std::string& error) {
  std::string file;
  int index = 0;
  if (!find_font_file(name, bold, italic, file, index, error)) return nullptr;
  auto face = std::make_unique<FreeTypeFace>();
  if (!face->open(file, index, size, error)) return nullptr;
  return face;
}

}  // namespace kestrel::platform
