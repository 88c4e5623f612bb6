#pragma once

#include "data/Support_Stream.h"

namespace kestrel {

class CBackground {
 public:
  TBitmap32 image;

  int width() const { return image.width; }
  int height() const { return image.height; }

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CBackground&) const = default;
};

}  // namespace kestrel
