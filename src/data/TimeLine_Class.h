#pragma once

#include <vector>

#include "data/Event_Class.h"

namespace kestrel {

struct TimeLineMoment {
  int step = 0;
  CEvent event;

  bool operator==(const TimeLineMoment&) const = default;
};

class CTimeLine {
 public:
  std::vector<TimeLineMoment> moments;  // in increasing step order as stored

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CTimeLine&) const = default;
};

}  // namespace kestrel
