#include "run/collision_grid.h"

#include <algorithm>
#include <bit>

#include "run/Instance_Class.h"

namespace kestrel {
namespace {

// A box covering more cells than this is returned by every query instead.
constexpr std::int64_t kMostCellsPerBox = 64;

std::uint32_t cell_hash(int cx, int cy) {
  return static_cast<std::uint32_t>(cx) * 73856093u ^ static_cast<std::uint32_t>(cy) * 19349663u;
}

}  // namespace

MaskBox box_of(const CInstance& instance) {
  return {instance.bbox_left(), instance.bbox_top(), instance.bbox_right(), instance.bbox_bottom()};
}

template <class Visit>
bool CollisionGrid::for_each_bucket(const MaskBox& box, Visit visit) const {
  // An inside-out box still overlaps the boxes that span it; shifting rounds
  // down for negative coordinates too.
  const int x0 = std::min(box.left, box.right) >> cell_shift_;
  const int x1 = std::max(box.left, box.right) >> cell_shift_;
  const int y0 = std::min(box.top, box.bottom) >> cell_shift_;
  const int y1 = std::max(box.top, box.bottom) >> cell_shift_;
  if ((std::int64_t(x1) - x0 + 1) * (std::int64_t(y1) - y0 + 1) > kMostCellsPerBox) return false;
  for (int cy = y0; cy <= y1; ++cy) {
    for (int cx = x0; cx <= x1; ++cx) visit(cell_hash(cx, cy) & bucket_mask_);
  }
  return true;
}

void CollisionGrid::build(const std::vector<CInstance*>& table) {
  const auto count = static_cast<std::uint32_t>(table.size());
  entries_.resize(count);
  std::int64_t extent = 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    entries_[k] = {table[k], box_of(*table[k])};
    const MaskBox& box = entries_[k].box;
    extent += std::clamp(std::max(box.right - box.left, box.bottom - box.top) + 1, 1, 1024);
  }
  // Cells about twice the usual box: most boxes then touch one to four cells.
  const auto usual = static_cast<std::uint32_t>(count > 0 ? extent / count : 16);
  cell_shift_ = std::clamp(static_cast<int>(std::bit_width(2 * usual - 1)), 3, 10);
  bucket_mask_ = std::bit_ceil(std::max<std::uint32_t>(2 * count, 64)) - 1;

  loose_.clear();
  is_loose_.assign(count, 0);
  starts_.assign(std::size_t(bucket_mask_) + 2, 0);
  for (std::uint32_t k = 0; k < count; ++k) {
    const bool hashed =
        for_each_bucket(entries_[k].box, [&](std::uint32_t bucket) { ++starts_[bucket + 1]; });
    if (!hashed) make_loose(k);
  }
  for (std::size_t b = 1; b < starts_.size(); ++b) starts_[b] += starts_[b - 1];
  items_.resize(starts_.back());
  std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
  for (std::uint32_t k = 0; k < count; ++k) {
    if (is_loose_[k]) continue;
    for_each_bucket(entries_[k].box, [&](std::uint32_t bucket) { items_[next[bucket]++] = k; });
  }
}

void CollisionGrid::make_loose(std::uint32_t position) {
  if (is_loose_[position]) return;
  is_loose_[position] = 1;
  loose_.push_back(position);
}

void CollisionGrid::refresh(const std::vector<CInstance*>& table) {
  if (table.size() != entries_.size()) {
    build(table);
    return;
  }
  for (std::uint32_t k = 0; k < entries_.size(); ++k) {
    if (entries_[k].instance != table[k]) {
      build(table);
      return;
    }
    if (!(box_of(*table[k]) == entries_[k].box)) make_loose(k);
  }
  // Many moved boxes make every query long: hash them afresh.
  if (loose_.size() > entries_.size() / 8 + 16) build(table);
}

void CollisionGrid::candidates(const MaskBox& box, std::size_t first,
                               std::vector<std::uint32_t>& out) const {
  out.clear();
  const bool hashed = for_each_bucket(box, [&](std::uint32_t bucket) {
    for (std::uint32_t i = starts_[bucket]; i < starts_[bucket + 1]; ++i) {
      if (items_[i] >= first) out.push_back(items_[i]);
    }
  });
  if (!hashed) {
    for (std::size_t k = first; k < entries_.size(); ++k) out.push_back(std::uint32_t(k));
    return;
  }
  for (std::uint32_t k : loose_) {
    if (k >= first) out.push_back(k);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

}  // namespace kestrel
