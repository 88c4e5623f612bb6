#pragma once

#include <cstdint>
#include <vector>

#include "data/Sprite_Mask.h"

namespace kestrel {

class CInstance;

// The instance's bounding box in room pixels, inclusive.
MaskBox box_of(const CInstance& instance);

// A spatial hash over the bounding boxes of one instance table, so that the
// collision phase tests each instance only against those whose boxes may
// overlap its own instead of against the whole table. It keeps a picture of
// the boxes as they were when built; after game code has run, `refresh`
// compares the picture with the table, so the answers stay complete whatever
// the code moved, made or changed.
class CollisionGrid {
 public:
  // Takes the boxes of the table's instances as they are now.
  void build(const std::vector<CInstance*>& table);
  // Catches up with the table: instances whose boxes moved since the build,
  // and a table that gained, lost or reordered instances.
  void refresh(const std::vector<CInstance*>& table);
  // The positions in the table, from `first` on and in ascending order, of
  // the instances whose boxes may overlap `box`: every one whose box does is
  // among them.
  void candidates(const MaskBox& box, std::size_t first, std::vector<std::uint32_t>& out) const;

 private:
  struct Entry {
    const CInstance* instance;
    MaskBox box;
  };
  // Calls `visit` with the bucket of every cell the box covers; false when it
  // covers too many cells to be worth hashing.
  template <class Visit>
  bool for_each_bucket(const MaskBox& box, Visit visit) const;
  void make_loose(std::uint32_t position);

  std::vector<Entry> entries_;
  int cell_shift_ = 5;
  std::uint32_t bucket_mask_ = 0;
  // The table positions in each bucket: bucket k holds
  // items_[starts_[k] .. starts_[k + 1]).
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint32_t> items_;
  // Positions that every query returns: boxes too large for the hash, and
  // boxes that moved since the build (their cells in the hash are stale).
  std::vector<std::uint32_t> loose_;
  std::vector<std::uint8_t> is_loose_;
};

}  // namespace kestrel
