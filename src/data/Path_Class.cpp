#include "data/Path_Class.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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

PathPoint CPath::PositionAt(double t) const {
  if (computed.empty()) return {0, 0, 100};
  const auto point = [](const ComputedPathPoint& c) { return PathPoint{c.x, c.y, c.speed}; };
  if (computed.size() == 1 || length == 0) return point(computed.front());
  t = std::clamp(t, 0.0, 1.0);
  if (t == 0) return point(computed.front());
  if (t == 1) return point(computed.back());
  const double at = t * length;
  const std::size_t last = computed.size() - 1;
  // The pieces are searched from the start, as the curve is short in practice.
  std::size_t i = 0;
  while (i + 1 < last && at >= computed[i + 1].length) ++i;
  const ComputedPathPoint& a = computed[i];
  const ComputedPathPoint& b = computed[i + 1];
  const double d = b.length - a.length;
  if (d == 0) return point(a);
  const double f = (at - a.length) / d;
  return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.speed + (b.speed - a.speed) * f};
}

void CPath::AddPoint(const PathPoint& point) {
  points.push_back(point);
  Recompute();
}

void CPath::InsertPoint(int index, const PathPoint& point) {
  if (index < 0 || index > int(points.size())) return;
  points.insert(points.begin() + index, point);
  Recompute();
}

void CPath::ChangePoint(int index, const PathPoint& point) {
  if (index < 0 || index >= int(points.size())) return;
  points[index] = point;
  Recompute();
}

void CPath::DeletePoint(int index) {
  if (index < 0 || index >= int(points.size())) return;
  points.erase(points.begin() + index);
  Recompute();
}

void CPath::ClearPoints() {
  points.clear();
  Recompute();
}

void CPath::Append(const CPath& other) {
  // A copy first: a path may be appended to itself.
  const std::vector<PathPoint> more = other.points;
  points.insert(points.end(), more.begin(), more.end());
  Recompute();
}

void CPath::Assign(const CPath& other) {
  kind = other.kind;
  closed = other.closed;
  precision = other.precision;
  points = other.points;
  Recompute();
}

namespace {

// The middle of the defined points' bounding box.
PathPoint Centre(const std::vector<PathPoint>& points) {
  if (points.empty()) return {};
  double left = points[0].x, right = left, top = points[0].y, bottom = top;
  for (const PathPoint& p : points) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  return {(left + right) / 2, (top + bottom) / 2, 100};
}

}  // namespace

void CPath::Reverse() {
  std::reverse(points.begin(), points.end());
  Recompute();
}

void CPath::Mirror() {
  Scale(-1, 1);
}

void CPath::Flip() {
  Scale(1, -1);
}

void CPath::Rotate(double degrees) {
  const PathPoint centre = Centre(points);
  const double a = degrees * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  for (PathPoint& p : points) {
    const double x = p.x - centre.x, y = p.y - centre.y;
    p.x = centre.x + x * c + y * s;
    p.y = centre.y + y * c - x * s;
  }
  Recompute();
}

void CPath::Scale(double xscale, double yscale) {
  const PathPoint centre = Centre(points);
  for (PathPoint& p : points) {
    p.x = centre.x + (p.x - centre.x) * xscale;
    p.y = centre.y + (p.y - centre.y) * yscale;
  }
  Recompute();
}

void CPath::Shift(double dx, double dy) {
  for (PathPoint& p : points) {
    p.x += dx;
    p.y += dy;
  }
  Recompute();
}

}  // namespace kestrel
