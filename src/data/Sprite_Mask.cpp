#include "data/Sprite_Mask.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel {

bool TMask::Load(CStream& stream) {
  *this = TMask{};
  if (ReadInt(stream) != 800) return false;
  const int stored_width = ReadInt(stream);
  const int stored_height = ReadInt(stream);
  box.left = ReadInt(stream);
  box.right = ReadInt(stream);
  box.bottom = ReadInt(stream);
  box.top = ReadInt(stream);
  if (stored_width <= 0 || stored_height <= 0) return !stream.failed();
  const std::uint64_t count = std::uint64_t(stored_width) * std::uint64_t(stored_height);
  if (count * 4 > stream.remaining()) {
    stream.fail();
    return false;
  }
  width = stored_width;
  height = stored_height;
  bits.resize(count);
  for (auto& bit : bits) bit = ReadBool(stream) ? 1 : 0;
  return !stream.failed();
}

void TMask::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteInt(stream, width);
  WriteInt(stream, height);
  WriteInt(stream, box.left);
  WriteInt(stream, box.right);
  WriteInt(stream, box.bottom);
  WriteInt(stream, box.top);
  for (auto bit : bits) WriteBool(stream, bit != 0);
}

namespace {

bool InShape(MaskShape shape, const MaskBox& box, int x, int y) {
  const double cx = (box.left + box.right) / 2.0;
  const double cy = (box.top + box.bottom) / 2.0;
  const double rx = cx - box.left + 0.5;
  const double ry = cy - box.top + 0.5;
  if (rx <= 0 || ry <= 0) return false;
  const double dx = (x - cx) / rx;
  const double dy = (y - cy) / ry;
  if (shape == MaskShape::Disk) return dx * dx + dy * dy < 1;
  return std::abs(dx) + std::abs(dy) < 1;
}

std::uint8_t Alpha(const TBitmap32& image, int x, int y) {
  return image.pixels[(std::size_t(y) * image.width + x) * 4 + 3];
}

}  // namespace

TMask BuildMask(const TBitmap32* image, const MaskSettings& settings) {
  TMask mask;
  if (image == nullptr || !image->has_pixels()) return mask;
  mask.width = image->width;
  mask.height = image->height;
  mask.bits.assign(std::size_t(mask.width) * mask.height, 0);
  MaskBox& box = mask.box;
  switch (settings.box_kind) {
    case MaskBoxKind::Automatic:
      box = {mask.width - 1, mask.height - 1, 0, 0};
      for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
          if (Alpha(*image, x, y) > settings.tolerance) {
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
          }
      break;
    case MaskBoxKind::FullImage:
      box = {0, 0, mask.width - 1, mask.height - 1};
      break;
    case MaskBoxKind::Manual:
      box = {std::max(settings.manual_box.left, 0), std::max(settings.manual_box.top, 0),
             std::min(settings.manual_box.right, mask.width - 1),
             std::min(settings.manual_box.bottom, mask.height - 1)};
      break;
  }
  for (int y = std::max(box.top, 0); y <= std::min(box.bottom, mask.height - 1); ++y)
    for (int x = std::max(box.left, 0); x <= std::min(box.right, mask.width - 1); ++x) {
      bool set = false;
      switch (settings.shape) {
        case MaskShape::Precise:
          set = Alpha(*image, x, y) > settings.tolerance;
          break;
        case MaskShape::Rectangle:
          set = true;
          break;
        case MaskShape::Disk:
        case MaskShape::Diamond:
          set = InShape(settings.shape, box, x, y);
          break;
      }
      mask.bits[std::size_t(y) * mask.width + x] = set ? 1 : 0;
    }
  return mask;
}

void MergeMask(TMask& mask, const TBitmap32& image, const MaskSettings& settings) {
  const TMask other = BuildMask(&image, settings);
  mask.box.left = std::min(mask.box.left, other.box.left);
  mask.box.top = std::min(mask.box.top, other.box.top);
  mask.box.right = std::max(mask.box.right, other.box.right);
  mask.box.bottom = std::max(mask.box.bottom, other.box.bottom);
  if (settings.shape == MaskShape::Precise) {
    for (int y = 0; y < std::min(mask.height, other.height); ++y)
      for (int x = 0; x < std::min(mask.width, other.width); ++x)
        if (other.bit(x, y)) mask.bits[std::size_t(y) * mask.width + x] = 1;
    return;
  }
  const MaskBox& box = mask.box;
  for (int y = std::max(box.top, 0); y <= std::min(box.bottom, mask.height - 1); ++y)
    for (int x = std::max(box.left, 0); x <= std::min(box.right, mask.width - 1); ++x)
      mask.bits[std::size_t(y) * mask.width + x] =
          settings.shape == MaskShape::Rectangle || InShape(settings.shape, box, x, y) ? 1 : 0;
}

bool MaskHits(const MaskPlacement& placed, int px, int py) {
  if (placed.mask == nullptr) return false;
  const int dx = px - placed.x;
  const int dy = py - placed.y;
  if (placed.angle == 0 && placed.xscale == 1 && placed.yscale == 1) {
    return placed.mask->bit(dx + placed.xorig, dy + placed.yorig);
  }
  double mx = dx;
  double my = dy;
  if (placed.angle != 0) {
    const double theta = -placed.angle * std::numbers::pi / 180.0;
    mx = dx * std::cos(theta) + dy * std::sin(theta);
    my = dy * std::cos(theta) - dx * std::sin(theta);
  }
  const double fx = std::floor(mx / placed.xscale) + placed.xorig;
  const double fy = std::floor(my / placed.yscale) + placed.yorig;
  // Checked against the mask's size before the bit is read.
  if (!(fx >= 0 && fy >= 0 && fx < placed.mask->width && fy < placed.mask->height)) return false;
  return placed.mask->bit(static_cast<int>(fx), static_cast<int>(fy));
}

bool MasksCollide(const MaskPlacement& a, const MaskPlacement& b) {
  if (a.mask == nullptr || b.mask == nullptr) return false;
  const int left = std::max(a.box.left, b.box.left);
  const int right = std::min(a.box.right, b.box.right);
  const int top = std::max(a.box.top, b.box.top);
  const int bottom = std::min(a.box.bottom, b.box.bottom);
  for (int x = left; x <= right; ++x) {
    for (int y = top; y <= bottom; ++y) {
      if (MaskHits(a, x, y) && MaskHits(b, x, y)) return true;
    }
  }
  return false;
}

bool MaskHitsRectangle(const MaskPlacement& placed, int x1, int y1, int x2, int y2) {
  const int left = std::max(placed.box.left, x1);
  const int right = std::min(placed.box.right, x2);
  const int top = std::max(placed.box.top, y1);
  const int bottom = std::min(placed.box.bottom, y2);
  for (int x = left; x <= right; ++x) {
    for (int y = top; y <= bottom; ++y) {
      if (MaskHits(placed, x, y)) return true;
    }
  }
  return false;
}

}  // namespace kestrel
