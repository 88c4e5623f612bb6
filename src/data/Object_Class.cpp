#include "data/Object_Class.h"

namespace kestrel {

CEvent* CObject::GetOrAddEvent(int kind, int number) {
  if (kind < 0 || kind >= kEventKindCount || number < 0) return nullptr;
  return &events[kind][number];
}

const CEvent* CObject::FindEvent(int kind, int number) const {
  if (kind < 0 || kind >= kEventKindCount) return nullptr;
  auto found = events[kind].find(number);
  return found == events[kind].end() || found->second.empty() ? nullptr : &found->second;
}

bool CObject::HasEventsOfKind(int kind) const {
  if (kind < 0 || kind >= kEventKindCount) return false;
  for (const auto& [number, event] : events[kind])
    if (!event.empty()) return true;
  return false;
}

bool CObject::Load(CStream& stream) {
  *this = CObject{};
  if (ReadInt(stream) != 430) return false;
  sprite = ReadInt(stream);
  solid = ReadBool(stream);
  visible = ReadBool(stream);
  depth = ReadInt(stream);
  persistent = ReadBool(stream);
  parent = ReadInt(stream);
  mask = ReadInt(stream);
  const int highest_kind = ReadInt(stream);
  for (int kind = 0; kind <= highest_kind && !stream.failed(); ++kind) {
    while (!stream.failed()) {
      const int number = ReadInt(stream);
      if (number < 0) break;
      // Kinds beyond the last have no list: their events are read and dropped.
      CEvent dropped;
      CEvent* event = GetOrAddEvent(kind, number);
      (event != nullptr ? *event : dropped).Load(stream);
    }
  }
  return !stream.failed();
}

void CObject::Save(CStream& stream) const {
  WriteInt(stream, 430);
  WriteInt(stream, sprite);
  WriteBool(stream, solid);
  WriteBool(stream, visible);
  WriteInt(stream, depth);
  WriteBool(stream, persistent);
  WriteInt(stream, parent);
  WriteInt(stream, mask);
  WriteInt(stream, kEventKindCount - 1);
  for (const auto& kind : events) {
    for (const auto& [number, event] : kind) {
      WriteInt(stream, number);
      event.Save(stream);
    }
    WriteInt(stream, -1);
  }
}

}  // namespace kestrel
