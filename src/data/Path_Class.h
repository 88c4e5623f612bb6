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
  // Rebuilds the computed curve and its lengths from the defined points; the
  // edits below call it themselves.
  void Recompute();

  // The point at fraction t of the curve's length, (0, 0, 100) without points.
  PathPoint PositionAt(double t) const;

  void AddPoint(const PathPoint& point);
  // Each does nothing for an index out of range (insert allows the count).
  void InsertPoint(int index, const PathPoint& point);
  void ChangePoint(int index, const PathPoint& point);
  void DeletePoint(int index);
  void ClearPoints();
  void Append(const CPath& other);
  // Kind, closed, precision and points of the other path.
  void Assign(const CPath& other);

  // Transformations about the middle of the defined points' bounding box.
  void Reverse();
  void Mirror();
  void Flip();
  void Rotate(double degrees);
  void Scale(double xscale, double yscale);
  void Shift(double dx, double dy);

  bool operator==(const CPath&) const = default;
};

}  // namespace kestrel
