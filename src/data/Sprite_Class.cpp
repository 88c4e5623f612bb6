#include "data/Sprite_Class.h"

#include <algorithm>

namespace kestrel {

bool LoadImage(TBitmap32& image, CStream& stream) {
  image = TBitmap32{};
  if (ReadInt(stream) != 800) return false;
  const int width = ReadInt(stream);
  const int height = ReadInt(stream);
  image.width = width;
  image.height = height;
  if (std::int64_t(width) * height < 1) return !stream.failed();
  // The pixels are read straight out of the block's bytes; no copy of the block stays.
  const std::int32_t length = ReadInt(stream);
  auto block = stream.read_span(length > 0 ? std::size_t(length) : 0);
  if (stream.failed()) return false;
  if (width <= 0 || height <= 0 ||
      std::uint64_t(width) * std::uint64_t(height) * 4 > block.size()) {
    image = TBitmap32{};
    return false;
  }
  image.pixels.assign(block.begin(), block.begin() + std::ptrdiff_t(image.byte_size()));
  return true;
}

void SaveImage(const TBitmap32& image, CStream& stream) {
  WriteInt(stream, 800);
  WriteInt(stream, image.width);
  WriteInt(stream, image.height);
  if (std::int64_t(image.width) * image.height >= 1) WriteBlock(stream, image.pixels);
}

bool CSprite::Load(CStream& stream) {
  *this = CSprite{};
  if (ReadInt(stream) != 800) return false;
  xorig = ReadInt(stream);
  yorig = ReadInt(stream);
  const int count = ReadInt(stream);
  // Image and mask results are not looked at: a bad one stays empty.
  for (int i = 0; i < count && !stream.failed(); ++i) LoadImage(images.emplace_back(), stream);
  separate_masks = ReadBool(stream);
  const int mask_count = count < 1 ? 0 : separate_masks ? count : 1;
  for (int i = 0; i < mask_count && !stream.failed(); ++i) masks.emplace_back().Load(stream);
  RecomputeBox();
  return !stream.failed();
}

void CSprite::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteInt(stream, xorig);
  WriteInt(stream, yorig);
  WriteInt(stream, int(images.size()));
  for (const auto& image : images) SaveImage(image, stream);
  WriteBool(stream, separate_masks);
  for (const auto& mask : masks) mask.Save(stream);
}

void CSprite::MakeMasks(bool separate, const MaskSettings& settings) {
  separate_masks = separate;
  masks.clear();
  if (separate) {
    for (const auto& image : images) masks.push_back(BuildMask(&image, settings));
  } else if (!images.empty()) {
    masks.push_back(BuildMask(&images[0], settings));
    for (std::size_t i = 1; i < images.size(); ++i) MergeMask(masks[0], images[i], settings);
  }
  RecomputeBox();
}

void CSprite::RecomputeBox() {
  if (masks.empty()) {
    box = {};
    return;
  }
  if (!separate_masks) {
    box = masks[0].box;
    return;
  }
  box = {width() - 1, height() - 1, 0, 0};
  for (const auto& mask : masks) {
    box.left = std::min(box.left, mask.box.left);
    box.top = std::min(box.top, mask.box.top);
    box.right = std::max(box.right, mask.box.right);
    box.bottom = std::max(box.bottom, mask.box.bottom);
  }
}

}  // namespace kestrel
