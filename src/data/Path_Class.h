#pragma once

#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

struct PathPoint {
  double x = 0;
  double y = 0;
  double speed = 100;

  bool operator==(const PathPoint&) const = default;
};

struct ComputedPathPoint {
  double x = 0, y = 0, speed = 0, length = 0;

  bool operator==(const ComputedPathPoint&) const = default;
};

class CPath {
 public:
  int kind = 0;  // 0 straight, 1 smooth
  bool closed = true;
  int precision = 4;
  std::vector<PathPoint> points;
  std::vector<ComputedPathPoint> computed;
  double length = 0;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;
  void Recompute();

  bool operator==(const CPath&) const = default;
};

}  // namespace kestrel
