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

int FindTriggerByConstantName(const std::vector<std::optional<CTrigger>>& triggers,
                              std::string_view name) {
  for (std::size_t i = 0; i < triggers.size(); ++i) {
    if (triggers[i] && triggers[i]->constant_name == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kestrel
