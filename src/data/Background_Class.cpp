#include "data/Background_Class.h"

#include "data/Sprite_Class.h"

namespace kestrel {

bool CBackground::Load(CStream& stream) {
  image = TBitmap32{};
  if (ReadInt(stream) != 710) return false;
  LoadImage(image, stream);
  return !stream.failed();
}

void CBackground::Save(CStream& stream) const {
  WriteInt(stream, 710);
  SaveImage(image, stream);
}

}  // namespace kestrel
