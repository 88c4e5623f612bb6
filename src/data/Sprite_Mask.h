#pragma once

#include <cstdint>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

struct MaskBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const MaskBox&) const = default;
};

// A collision mask: one bit per pixel and a bounding box.
struct TMask {
  int width = 0;
  int height = 0;
  MaskBox box;
  std::vector<std::uint8_t> bits;  // row by row, bits[y * width + x]

  bool bit(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && bits[std::size_t(y) * width + x] != 0;
  }

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const TMask&) const = default;
};

enum class MaskShape { Precise = 0, Rectangle = 1, Disk = 2, Diamond = 3 };
enum class MaskBoxKind { Automatic = 0, FullImage = 1, Manual = 2 };

struct MaskSettings {
  int tolerance = 0;
  MaskShape shape = MaskShape::Precise;
  MaskBoxKind box_kind = MaskBoxKind::Automatic;
  MaskBox manual_box;
};

TMask BuildMask(const TBitmap32* image, const MaskSettings& settings);
void MergeMask(TMask& mask, const TBitmap32& image, const MaskSettings& settings);

// Where a mask lies in the room: its integer position, its origin, scales
// and angle (degrees, counter-clockwise), and the inclusive box it covers.
struct MaskPlacement {
  const TMask* mask = nullptr;
  int x = 0, y = 0;
  int xorig = 0, yorig = 0;
  double xscale = 1, yscale = 1, angle = 0;
  MaskBox box;
};

// Whether the room pixel falls on a set bit of the placed mask.
bool MaskHits(const MaskPlacement& placed, int px, int py);
// Whether two placed masks share a room pixel inside both boxes.
bool MasksCollide(const MaskPlacement& a, const MaskPlacement& b);
// Whether the placed mask has a set bit in the inclusive room rectangle
// (x1 <= x2, y1 <= y2).
bool MaskHitsRectangle(const MaskPlacement& placed, int x1, int y1, int x2, int y2);
// Whether the placed mask has a set bit inside the ellipse inscribed in the
// inclusive room rectangle (x1 <= x2, y1 <= y2).
bool MaskHitsEllipse(const MaskPlacement& placed, int x1, int y1, int x2, int y2);
// Whether the placed mask has a set bit on the line between two room points.
bool MaskHitsLine(const MaskPlacement& placed, int x1, int y1, int x2, int y2);

}  // namespace kestrel
