#include "data/Path_Class.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

namespace {

// The authoring tool offers depths 1..8; a larger stored depth would ask for
// 2^depth points per piece, so the subdivision stops there.
constexpr int kMaxPrecision = 8;

PathPoint Midpoint(const PathPoint& a, const PathPoint& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2};
}

double SquaredDistance(const PathPoint& a, const PathPoint& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

void Subdivide(int depth, const PathPoint& a, const PathPoint& b, const PathPoint& c,
               std::vector<ComputedPathPoint>& out) {
  if (depth <= 0) return;
  const PathPoint m{(a.x + 2 * b.x + c.x) / 4, (a.y + 2 * b.y + c.y) / 4,
                    (a.speed + 2 * b.speed + c.speed) / 4};
  if (SquaredDistance(a, b) > 16) Subdivide(depth - 1, a, Midpoint(a, b), m, out);
  out.push_back({m.x, m.y, m.speed, 0});
  if (SquaredDistance(b, c) > 16) Subdivide(depth - 1, m, Midpoint(b, c), c, out);
}

ComputedPathPoint Computed(const PathPoint& p) {
  return {p.x, p.y, p.speed, 0};
}

}  // namespace

bool CPath::Load(CStream& stream) {
  *this = CPath{};
  if (ReadInt(stream) != 530) return false;
  kind = ReadInt(stream);
  closed = ReadBool(stream);
  precision = ReadInt(stream);
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    PathPoint& point = points.emplace_back();
    point.x = ReadReal(stream);
    point.y = ReadReal(stream);
    point.speed = ReadReal(stream);
  }
  if (stream.failed()) return false;
  Recompute();
  return true;
}

void CPath::Save(CStream& stream) const {
  WriteInt(stream, 530);
  WriteInt(stream, kind);
  WriteBool(stream, closed);
  WriteInt(stream, precision);
  WriteInt(stream, int(points.size()));
  for (const auto& point : points) {
    WriteReal(stream, point.x);
    WriteReal(stream, point.y);
    WriteReal(stream, point.speed);
  }
}

void CPath::Recompute() {
  computed.clear();
  length = 0;
  if (points.empty()) return;
  const int count = int(points.size());
  if (kind != 1) {
    for (const auto& point : points) computed.push_back(Computed(point));
    if (closed) computed.push_back(Computed(points[0]));
  } else {
    if (!closed) computed.push_back(Computed(points[0]));
    const int pieces = closed ? count : count - 2;
    const int depth = std::min(precision, kMaxPrecision);
    for (int i = 0; i < pieces; ++i) {
      const PathPoint& p0 = points[i % count];
      const PathPoint& p1 = points[(i + 1) % count];
      const PathPoint& p2 = points[(i + 2) % count];
      Subdivide(depth, Midpoint(p0, p1), p1, Midpoint(p1, p2), computed);
    }
    if (closed) {
      if (!computed.empty()) computed.push_back(computed.front());
    } else {
      computed.push_back(Computed(points.back()));
    }
  }
  for (std::size_t i = 1; i < computed.size(); ++i)
    computed[i].length = computed[i - 1].length + std::hypot(computed[i].x - computed[i - 1].x,
                                                             computed[i].y - computed[i - 1].y);
  if (!computed.empty()) length = computed.back().length;
}

}  // namespace kestrel
