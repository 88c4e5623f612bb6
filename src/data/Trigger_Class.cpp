#include "data/Trigger_Class.h"

namespace kestrel {

bool CTrigger::Load(CStream& stream) {
  *this = CTrigger{};
  if (ReadInt(stream) != 800) return false;
  name = ReadString(stream);
  condition = ReadString(stream);
  moment = ReadInt(stream);
  constant_name = ReadString(stream);
  return !stream.failed();
}

void CTrigger::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteString(stream, name);
  WriteString(stream, condition);
  WriteInt(stream, moment);
  WriteString(stream, constant_name);
}

}  // namespace kestrel
