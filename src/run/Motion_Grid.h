#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Path_Class.h"

namespace kestrel {

class Runner;
class CInstance;
struct ScriptInstance;

// A grid of cells over the room for breadth-first route finding. Cells are
// stored column by column: index = column x vertical count + row.
class CGrid {
 public:
  // The most cells a grid may have (64 MiB of cells and as much of queue).
  static constexpr std::int64_t kMaxCells = std::int64_t{1} << 24;

  // A grid with every cell free; null with the reason in `error` when the
  // counts or cell sizes are below 1 or the grid would be too large.
  static std::unique_ptr<CGrid> create(std::int32_t left, std::int32_t top, std::int32_t hcells,
                                       std::int32_t vcells, std::int32_t cell_width,
                                       std::int32_t cell_height, std::string& error);

  std::int32_t left() const { return left_; }
  std::int32_t top() const { return top_; }
  std::int32_t hcells() const { return hcells_; }
  std::int32_t vcells() const { return vcells_; }
  std::int32_t cell_width() const { return cell_width_; }
  std::int32_t cell_height() const { return cell_height_; }

  void clear_all();
  bool forbidden(std::int32_t h, std::int32_t v) const;
  // Nothing happens for a cell outside the grid.
  void set_cell(std::int32_t h, std::int32_t v, bool forbidden);
  // Every cell the room rectangle touches, clipped to the grid.
  void set_rectangle(double x1, double y1, double x2, double y2, bool forbidden);
  // Forbids the cells covered by the instances the specifier names: by their
  // boxes, or with `precise` only the cells their masks meet.
  void add_instances(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                     std::int32_t specifier, bool precise);

  // The breadth-first route from start to goal written into the path as
  // straight, open lines from (xstart, ystart) through cell centres to
  // (xgoal, ygoal); false, the path untouched, when there is none.
  bool find_path(CPath& path, double xstart, double ystart, double xgoal, double ygoal,
                 bool diagonal);

 private:
  CGrid() = default;
  // The cell index of a room point, or -1 outside the grid.
  std::int64_t cell_at(double x, double y) const;
  std::int32_t search(std::int32_t start, std::int32_t goal, bool diagonal);
  void write_route(CPath& path, std::int32_t start, std::int32_t goal, double xstart, double ystart,
                   double xgoal, double ygoal, bool diagonal) const;

  std::int32_t left_ = 0, top_ = 0;
  std::int32_t hcells_ = 0, vcells_ = 0;
  std::int32_t cell_width_ = 1, cell_height_ = 1;
  // 0 free, -1 forbidden; during a search the distance from the start.
  std::vector<std::int32_t> cells_;
  // The search's queue: every cell enters it at most once, so one slot per
  // cell is enough and no search allocates.
  std::vector<std::int32_t> queue_;
};

}  // namespace kestrel
