#include "data/Font_Class.h"

#include <algorithm>

namespace kestrel {

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

}  // namespace kestrel
