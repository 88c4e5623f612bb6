#include "data/TimeLine_Class.h"

namespace kestrel {

bool CTimeLine::Load(CStream& stream) {
  moments.clear();
  if (ReadInt(stream) != 500) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    TimeLineMoment& moment = moments.emplace_back();
    moment.step = ReadInt(stream);
    // A bad event version leaves the moment empty without failing the time line.
    moment.event.Load(stream);
  }
  return !stream.failed();
}

void CTimeLine::Save(CStream& stream) const {
  WriteInt(stream, 500);
  WriteInt(stream, int(moments.size()));
  for (const auto& moment : moments) {
    WriteInt(stream, moment.step);
    moment.event.Save(stream);
  }
}

}  // namespace kestrel
