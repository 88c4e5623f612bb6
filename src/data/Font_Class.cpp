#include "data/Font_Class.h"

#include <algorithm>
#include <optional>

#include "platform/font_face.h"

namespace kestrel {
namespace {

// Text in games is in the Western Windows code page.
char32_t CodePageToUnicode(int c) {
  static constexpr char32_t k80to9F[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return c >= 0x80 && c <= 0x9F ? k80to9F[c - 0x80] : char32_t(c);
}

}  // namespace

bool CFont::Load(CStream& stream) {
  *this = CFont{};
  if (ReadInt(stream) != 800) return false;
  font_name = ReadString(stream);
  size = ReadInt(stream);
  bold = ReadBool(stream);
  italic = ReadBool(stream);
  first = ReadInt(stream);
  last = ReadInt(stream);
  for (Glyph& glyph : glyphs)
    for (int* field : {&glyph.x, &glyph.y, &glyph.w, &glyph.h, &glyph.shift, &glyph.offset})
      *field = ReadInt(stream);
  image_width = std::max(ReadInt(stream), 0);
  image_height = std::max(ReadInt(stream), 0);
  const std::int32_t length = ReadInt(stream);
  auto block = stream.read_span(length > 0 ? std::size_t(length) : 0);
  if (stream.failed()) return false;
  // Drawing reads width x height bytes, so a shorter glyph image is refused.
  const std::uint64_t pixels = std::uint64_t(image_width) * std::uint64_t(image_height);
  if (pixels > block.size()) return false;
  image.assign(block.begin(), block.begin() + std::ptrdiff_t(pixels));
  return true;
}

void CFont::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteString(stream, font_name);
  WriteInt(stream, size);
  WriteBool(stream, bold);
  WriteBool(stream, italic);
  WriteInt(stream, first);
  WriteInt(stream, last);
  for (const Glyph& glyph : glyphs)
    for (int field : {glyph.x, glyph.y, glyph.w, glyph.h, glyph.shift, glyph.offset})
      WriteInt(stream, field);
  WriteInt(stream, image_width);
  WriteInt(stream, image_height);
  WriteBlock(stream, image);
}

bool CFont::RenderGlyphs(std::string& error) {
  const auto face = platform::open_font_face(font_name, size, bold, italic, error);
  if (face == nullptr) return false;
  LayOutGlyphs(*face);
  return true;
}

void CFont::LayOutGlyphs(platform::FontFace& face) {
  const int ascender = face.ascender();
  const int height = face.height();
  const int first_code = std::clamp(first, 0, 255);
  const int last_code = std::clamp(last, 0, 255);
  glyphs = {};
  std::array<std::optional<platform::GlyphBitmap>, 256> bitmaps;
  for (int c = first_code; c <= last_code; ++c) {
    Glyph& glyph = glyphs[c];
    glyph.h = height;
    platform::GlyphBitmap bitmap;
    if (!face.render(CodePageToUnicode(c), bitmap)) {
      glyph.w = 1;
      continue;
    }
    glyph.offset = bitmap.left;
    glyph.w = bitmap.width + 1;
    glyph.shift = bitmap.advance;
    bitmaps[c] = std::move(bitmap);
  }

  // The narrowest power-of-two width from 128 that is not smaller than the height.
  int width = 128;
  int rows_height = 0;
  while (true) {
    int x = 0, y = 0;
    bool fits = true;
    for (int c = first_code; c <= last_code; ++c) {
      Glyph& glyph = glyphs[c];
      if (x > 0 && x + glyph.w >= width) {
        x = 0;
        y += height + 1;
      }
      fits &= glyph.w <= width;
      glyph.x = x;
      glyph.y = y;
      x += glyph.w + 1;
    }
    rows_height = first_code <= last_code ? y + height + 1 : 0;
    if (fits && width >= rows_height) break;
    width *= 2;
  }

  image_width = width;
  image_height = rows_height;
  image.assign(std::size_t(width) * std::size_t(rows_height), 0);
  for (int c = first_code; c <= last_code; ++c) {
    if (!bitmaps[c]) continue;
    const platform::GlyphBitmap& bitmap = *bitmaps[c];
    const Glyph& glyph = glyphs[c];
    const int top = glyph.y + ascender - bitmap.top;
    for (int row = 0; row < bitmap.rows; ++row)
      for (int column = 0; column < bitmap.width; ++column) {
        const int px = glyph.x + column;
        const int py = top + row;
        if (px < 0 || py < glyph.y || px >= width || py >= glyph.y + height) continue;
        image[std::size_t(py) * width + px] =
            bitmap.coverage[std::size_t(row) * bitmap.width + column];
      }
  }
}

int CFont::Advance(int c) const {
  const auto shift_of = [this](int code) {
    return code >= 0 && code <= 255 ? glyphs[code].shift : 0;
  };
  if (c >= first && c <= last) return shift_of(c);
  return first <= 32 && 32 <= last ? shift_of(32) : shift_of(first);
}

int CFont::LineHeight() const {
  return first >= 0 && first <= 255 ? glyphs[first].h : 0;
}

void CFont::MakeFromSprite(const CSprite& source, int sprite_index, int first_char,
                           bool proportional, int separation) {
  *this = CFont{};
  sprite = sprite_index;
  first = std::clamp(first_char, 0, 255);
  last = std::min(first + int(source.images.size()) - 1, 255);
  for (int c = first; c <= last; ++c) {
    Glyph& glyph = glyphs[c];
    glyph.w = source.width();
    glyph.h = source.height();
    glyph.shift = source.width() + separation;
    if (!proportional) continue;
    const MaskBox box = BuildMask(&source.images[std::size_t(c - first)], MaskSettings{}).box;
    // A subimage with nothing visible (a space) keeps the full width rather
    // than a box that would send the pen backwards.
    if (box.right < box.left) continue;
    glyph.shift = box.right - box.left + separation;
    glyph.offset = -box.left;
  }
}

}  // namespace kestrel
