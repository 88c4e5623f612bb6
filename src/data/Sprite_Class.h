#pragma once

#include <vector>

#include "data/Sprite_Mask.h"
#include "data/Support_Stream.h"

namespace kestrel {

// The image record inside sprites, backgrounds and other records.
bool LoadImage(TBitmap32& image, CStream& stream);
void SaveImage(const TBitmap32& image, CStream& stream);

class CSprite {
 public:
  int xorig = 0;
  int yorig = 0;
  std::vector<TBitmap32> images;
  bool separate_masks = false;
  std::vector<TMask> masks;  // one per image when separate, else one (none without images)
  MaskBox box;

  int width() const { return images.empty() ? 1 : images[0].width; }
  int height() const { return images.empty() ? 1 : images[0].height; }

  bool Load(CStream& stream);
  void Save(CStream& stream) const;
  // Replaces the masks by ones built from the images, as the authoring tool does.
  void MakeMasks(bool separate, const MaskSettings& settings);
  void RecomputeBox();

  bool operator==(const CSprite&) const = default;
};

}  // namespace kestrel
