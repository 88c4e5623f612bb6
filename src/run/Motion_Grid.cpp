#include "run/Motion_Grid.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// Room coordinate to column or row: `div` truncates towards zero, so a
// point just before the grid's edge falls in the first cell.
std::int64_t cell_of(double coordinate, std::int32_t origin, std::int32_t size) {
  return static_cast<std::int64_t>(std::trunc((coordinate - origin) / size));
}

}  // namespace

std::unique_ptr<CGrid> CGrid::create(std::int32_t left, std::int32_t top, std::int32_t hcells,
                                     std::int32_t vcells, std::int32_t cell_width,
                                     std::int32_t cell_height, std::string& error) {
  if (hcells < 1 || vcells < 1) {
    error = "A grid needs at least one cell across and one down, not " + std::to_string(hcells) +
            " x " + std::to_string(vcells) + ".";
    return nullptr;
  }
  if (cell_width < 1 || cell_height < 1) {
    error = "Grid cells must be at least one pixel wide and high, not " +
            std::to_string(cell_width) + " x " + std::to_string(cell_height) + ".";
    return nullptr;
  }
  if (std::int64_t{hcells} * vcells > kMaxCells) {
    error = "A grid of " + std::to_string(hcells) + " x " + std::to_string(vcells) +
            " cells is too large; a grid has at most " + std::to_string(kMaxCells) + " cells.";
    return nullptr;
  }
  std::unique_ptr<CGrid> grid(new CGrid);
  grid->left_ = left;
  grid->top_ = top;
  grid->hcells_ = hcells;
  grid->vcells_ = vcells;
  grid->cell_width_ = cell_width;
  grid->cell_height_ = cell_height;
  grid->cells_.assign(std::size_t(hcells) * std::size_t(vcells), 0);
  grid->queue_.resize(grid->cells_.size());
  return grid;
}

void CGrid::clear_all() {
  std::fill(cells_.begin(), cells_.end(), 0);
}

bool CGrid::forbidden(std::int32_t h, std::int32_t v) const {
  return h >= 0 && h < hcells_ && v >= 0 && v < vcells_ && cells_[std::size_t(h) * vcells_ + v] < 0;
}

void CGrid::set_cell(std::int32_t h, std::int32_t v, bool forbidden) {
  if (h < 0 || h >= hcells_ || v < 0 || v >= vcells_) return;
  cells_[std::size_t(h) * vcells_ + v] = forbidden ? -1 : 0;
}

void CGrid::set_rectangle(double x1, double y1, double x2, double y2, bool forbidden) {
  const std::int64_t first_h =
      std::max<std::int64_t>(cell_of(std::min(x1, x2), left_, cell_width_), 0);
  const std::int64_t last_h =
      std::min<std::int64_t>(cell_of(std::max(x1, x2), left_, cell_width_), hcells_ - 1);
  const std::int64_t first_v =
      std::max<std::int64_t>(cell_of(std::min(y1, y2), top_, cell_height_), 0);
  const std::int64_t last_v =
      std::min<std::int64_t>(cell_of(std::max(y1, y2), top_, cell_height_), vcells_ - 1);
  for (std::int64_t h = first_h; h <= last_h; ++h) {
    for (std::int64_t v = first_v; v <= last_v; ++v) {
      cells_[std::size_t(h) * vcells_ + std::size_t(v)] = forbidden ? -1 : 0;
    }
  }
}

void CGrid::add_instances(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                          std::int32_t specifier, bool precise) {
  for_each_candidate(runner, self, other, specifier, [&](CInstance& instance) {
    const std::int64_t first_h =
        std::max<std::int64_t>(cell_of(instance.bbox_left(), left_, cell_width_), 0);
    const std::int64_t last_h =
        std::min<std::int64_t>(cell_of(instance.bbox_right(), left_, cell_width_), hcells_ - 1);
    const std::int64_t first_v =
        std::max<std::int64_t>(cell_of(instance.bbox_top(), top_, cell_height_), 0);
    const std::int64_t last_v =
        std::min<std::int64_t>(cell_of(instance.bbox_bottom(), top_, cell_height_), vcells_ - 1);
    for (std::int64_t h = first_h; h <= last_h; ++h) {
      for (std::int64_t v = first_v; v <= last_v; ++v) {
        std::int32_t& cell = cells_[std::size_t(h) * vcells_ + std::size_t(v)];
        if (precise) {
          if (cell < 0) continue;
          const double x = left_ + double(h) * cell_width_, y = top_ + double(v) * cell_height_;
          const Corners rectangle(x, y, x + cell_width_ - 1, y + cell_height_ - 1);
          if (!meets_rectangle(runner, instance, rectangle, true)) continue;
        }
        cell = -1;
      }
    }
    return true;
  });
}

std::int64_t CGrid::cell_at(double x, double y) const {
  if (x < left_ || x > left_ + double(hcells_) * cell_width_ - 1 || y < top_ ||
      y > top_ + double(vcells_) * cell_height_ - 1) {
    return -1;
  }
  return cell_of(x, left_, cell_width_) * vcells_ + cell_of(y, top_, cell_height_);
}

bool CGrid::find_path(CPath& path, double xstart, double ystart, double xgoal, double ygoal,
                      bool diagonal) {
  const std::int64_t start = cell_at(xstart, ystart), goal = cell_at(xgoal, ygoal);
  if (start < 0 || goal < 0 || cells_[start] < 0 || cells_[goal] < 0) return false;
  const std::int32_t queued = search(std::int32_t(start), std::int32_t(goal), diagonal);
  const bool found = cells_[goal] > 0;
  if (found) {
    write_route(path, std::int32_t(start), std::int32_t(goal), xstart, ystart, xgoal, ygoal,
                diagonal);
  }
  // Only the cells the search reached hold distances.
  for (std::int32_t i = 0; i < queued; ++i) cells_[queue_[i]] = 0;
  return found;
}

// Breadth first, neighbours in a fixed order so that equal routes are always
// chosen alike: left, right, up, down, then the diagonals whose two straight
// neighbours were free before any was marked. Returns how many cells it queued.
std::int32_t CGrid::search(std::int32_t start, std::int32_t goal, bool diagonal) {
  const std::int32_t v = vcells_;
  std::int32_t head = 0, tail = 0;
  cells_[start] = 1;
  queue_[tail++] = start;
  while (head < tail) {
    const std::int32_t c = queue_[head++];
    if (c == goal) break;
    const std::int32_t next = cells_[c] + 1;
    const std::int32_t column = c / v, row = c % v;
    const bool left = column > 0 && cells_[c - v] == 0;
    const bool right = column < hcells_ - 1 && cells_[c + v] == 0;
    const bool up = row > 0 && cells_[c - 1] == 0;
    const bool down = row < v - 1 && cells_[c + 1] == 0;
    const auto reach = [&](std::int32_t cell) {
      cells_[cell] = next;
      queue_[tail++] = cell;
    };
    if (left) reach(c - v);
    if (right) reach(c + v);
    if (up) reach(c - 1);
    if (down) reach(c + 1);
    if (!diagonal) continue;
    if (left && down && cells_[c - v + 1] == 0) reach(c - v + 1);
    if (left && up && cells_[c - v - 1] == 0) reach(c - v - 1);
    if (right && down && cells_[c + v + 1] == 0) reach(c + v + 1);
    if (right && up && cells_[c + v - 1] == 0) reach(c + v - 1);
  }
  return tail;
}

// Walks back from the goal through cells one nearer each time, preferring
// left, right, up, down, then down-left, down-right, up-left, up-right.
void CGrid::write_route(CPath& path, std::int32_t start, std::int32_t goal, double xstart,
                        double ystart, double xgoal, double ygoal, bool diagonal) const {
  const std::int32_t v = vcells_;
  const auto centre = [&](std::int32_t cell) {
    return PathPoint{double(left_ + (cell / v) * cell_width_ + cell_width_ / 2),
                     double(top_ + (cell % v) * cell_height_ + cell_height_ / 2), 100};
  };
  std::vector<PathPoint> route{{xgoal, ygoal, 100}};
  for (std::int32_t c = goal; c != start;) {
    route.push_back(centre(c));
    const std::int32_t nearer = cells_[c] - 1;
    const std::int32_t column = c / v, row = c % v;
    const bool has_left = column > 0, has_right = column < hcells_ - 1;
    const bool has_up = row > 0, has_down = row < v - 1;
    const struct {
      bool exists;
      std::int32_t cell;
    } neighbours[] = {
        {has_left, c - v},
        {has_right, c + v},
        {has_up, c - 1},
        {has_down, c + 1},
        {diagonal && has_left && has_down, c - v + 1},
        {diagonal && has_right && has_down, c + v + 1},
        {diagonal && has_left && has_up, c - v - 1},
        {diagonal && has_right && has_up, c + v - 1},
    };
    const auto found =
        std::find_if(std::begin(neighbours), std::end(neighbours),
                     [&](const auto& n) { return n.exists && cells_[n.cell] == nearer; });
    // Every reached cell has a nearer neighbour; the test only guards the loop.
    if (found == std::end(neighbours)) break;
    c = found->cell;
  }
  route.push_back({xstart, ystart, 100});
  std::reverse(route.begin(), route.end());
  path.kind = 0;
  path.closed = false;
  path.points = std::move(route);
  path.Recompute();
}

}  // namespace kestrel
