#pragma once

#include <array>
#include <map>

#include "data/Event_Class.h"

namespace kestrel {

// Event kinds (ev_create ... ev_trigger).
inline constexpr int kEventKindCount = 12;

class CObject {
 public:
  int sprite = -1;
  bool solid = false;
  bool visible = true;
  int depth = 0;
  bool persistent = false;
  int parent = -1;
  int mask = -1;
  // Per event kind, the events by event number. Only numbers that were stored
  // or added have an entry; a number without one behaves as an empty event.
  std::array<std::map<int, CEvent>, kEventKindCount> events;

  // None when the kind is outside 0..11 or the number is negative.
  CEvent* GetOrAddEvent(int kind, int number);
  // The event when it exists and has actions.
  const CEvent* FindEvent(int kind, int number) const;
  bool HasEventsOfKind(int kind) const;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CObject&) const = default;
};

}  // namespace kestrel
