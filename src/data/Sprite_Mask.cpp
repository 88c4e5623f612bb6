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

// Disks and diamonds are computed from the box; merging fills every other
// shape, even one that building leaves empty.
bool IsRound(MaskShape shape) {
  return shape == MaskShape::Disk || shape == MaskShape::Diamond;
}

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

// A room point, possibly between pixels, mapped into the mask; the floor is
// taken after the mapping.
bool MaskHitsAt(const MaskPlacement& placed, double px, double py) {
  const double dx = px - placed.x;
  const double dy = py - placed.y;
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
          !IsRound(settings.shape) || InShape(settings.shape, box, x, y) ? 1 : 0;
}

bool MaskHits(const MaskPlacement& placed, int px, int py) {
  if (placed.mask == nullptr) return false;
  // The common untransformed case stays in integers.
  if (placed.angle == 0 && placed.xscale == 1 && placed.yscale == 1) {
    return placed.mask->bit(px - placed.x + placed.xorig, py - placed.y + placed.yorig);
  }
  return MaskHitsAt(placed, px, py);
}

namespace {

// Whether `hits` holds for a room pixel inside both boxes, visited column by
// column.
template <class Hits>
bool AnyPixelInBoth(const MaskBox& a, const MaskBox& b, Hits hits) {
  const int left = std::max(a.left, b.left);
  const int right = std::min(a.right, b.right);
  const int top = std::max(a.top, b.top);
  const int bottom = std::min(a.bottom, b.bottom);
  for (int x = left; x <= right; ++x) {
    for (int y = top; y <= bottom; ++y) {
      if (hits(x, y)) return true;
    }
  }
  return false;
}

}  // namespace

bool MasksCollide(const MaskPlacement& a, const MaskPlacement& b) {
  if (a.mask == nullptr || b.mask == nullptr) return false;
  return AnyPixelInBoth(a.box, b.box,
                        [&](int x, int y) { return MaskHits(a, x, y) && MaskHits(b, x, y); });
}

bool MaskHitsRectangle(const MaskPlacement& placed, int x1, int y1, int x2, int y2) {
  return AnyPixelInBoth(placed.box, {x1, y1, x2, y2},
                        [&](int x, int y) { return MaskHits(placed, x, y); });
}

bool MaskHitsEllipse(const MaskPlacement& placed, int x1, int y1, int x2, int y2) {
  if (x1 == x2 || y1 == y2) return MaskHitsRectangle(placed, x1, y1, x2, y2);
  const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
  return AnyPixelInBoth(placed.box, {x1, y1, x2, y2}, [&](int x, int y) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1 && MaskHits(placed, x, y);
  });
}

bool MaskHitsLine(const MaskPlacement& placed, int x1, int y1, int x2, int y2) {
  if (x1 == x2 || y1 == y2) {
    return MaskHitsRectangle(placed, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                             std::max(y1, y2));
  }
  if (placed.mask == nullptr) return false;
  // One sample per pixel along the longer axis, a = the sampled axis, b = the other.
  const bool along_x = std::abs(x2 - x1) >= std::abs(y2 - y1);
  const int a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2;
  const int b1 = along_x ? y1 : x1, b2 = along_x ? y2 : x2;
  const double slope = double(b2 - b1) / (a2 - a1);
  const int low = std::max(std::min(a1, a2), along_x ? placed.box.left : placed.box.top);
  const int high = std::min(std::max(a1, a2), along_x ? placed.box.right : placed.box.bottom);
  for (int a = low; a <= high; ++a) {
    const double b = b1 + (a - a1) * slope;
    if (along_x ? MaskHitsAt(placed, a, b) : MaskHitsAt(placed, b, a)) return true;
  }
  return false;
}

}  // namespace kestrel
