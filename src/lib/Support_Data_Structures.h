#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "script/RValue.h"
#include "script/script_engine.h"

namespace kestrel {

class CStream;

// compare_values for two reals. Both are inline, since the searches of maps,
// lists and priority queues spend their time in them.
inline int compare_reals(double x, double y, double precision) {
  // Not-a-number sorts above every other real, so orders stay consistent.
  if (std::isnan(x) || std::isnan(y)) return int(std::isnan(x)) - int(std::isnan(y));
  // An infinity equals itself, though its distance to itself is no number.
  if (x == y) return 0;
  const double tolerance =
      precision > 0 ? precision : std::max(std::min(std::fabs(x), std::fabs(y)) * 1e-12, 1e-12);
  if (std::fabs(x - y) <= tolerance) return 0;
  return x < y ? -1 : 1;
}

// -1, 0 or 1 as `a` is smaller than, equal to or larger than `b`: reals
// within the tolerance are equal (a tolerance of 0 means a relative one of
// 1e-12), strings compare by character codes, and every real is smaller than
// every string. Not-a-number is equal to itself and above every other real.
inline int compare_values(const RValue& a, const RValue& b, double precision) {
  if (a.is_real() && b.is_real()) return compare_reals(a.real(), b.real(), precision);
  if (a.is_real()) return -1;
  if (b.is_real()) return 1;
  const int order = a.text().compare(b.text());  // char_traits<char> compares as unsigned
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// The first tag of each text form, which a read checks before it replaces
// anything.
enum class StructureForm : std::int32_t {
  stack = 101,
  queue = 201,
  list = 301,
  map = 401,
  priority = 501,
  grid = 601,
};

class CDS_Stack {
 public:
  static constexpr StructureForm kForm = StructureForm::stack;

  std::int32_t size() const { return static_cast<std::int32_t>(elements_.size()); }
  void clear() { elements_.clear(); }
  void push(const RValue& value) { elements_.push_back(value); }
  RValue pop();
  RValue top() const;

  void write(CStream& stream) const;
  // The stack a text form holds; none when it is damaged.
  static std::optional<CDS_Stack> read(CStream& stream);

 private:
  std::vector<RValue> elements_;  // bottom first
};

// The queue keeps its whole array, spent slots before the head and spare
// ones after the tail included, since the text form carries all of it.
class CDS_Queue {
 public:
  static constexpr StructureForm kForm = StructureForm::queue;

  std::int32_t size() const { return tail_ - head_; }
  void clear();
  void enqueue(const RValue& value);
  RValue dequeue();
  RValue head() const;
  RValue tail() const;

  void write(CStream& stream) const;
  static std::optional<CDS_Queue> read(CStream& stream);

 private:
  std::vector<RValue> slots_;  // the capacity is the vector's size
  std::int32_t head_ = 0;
  std::int32_t tail_ = 0;
};

class CDS_List {
 public:
  static constexpr StructureForm kForm = StructureForm::list;

  std::int32_t size() const { return static_cast<std::int32_t>(elements_.size()); }
  void clear() { elements_.clear(); }
  void add(const RValue& value) { elements_.push_back(value); }
  void insert(std::int32_t position, const RValue& value);
  void replace(std::int32_t position, const RValue& value);
  void erase(std::int32_t position);
  std::int32_t find_index(const RValue& value, double precision) const;
  RValue find_value(std::int32_t position) const;
  void sort(bool ascending, double precision);
  void shuffle(ScriptEngine& engine);

  void write(CStream& stream) const;
  static std::optional<CDS_List> read(CStream& stream);

 private:
  bool holds(std::int32_t position) const { return position >= 0 && position < size(); }

  std::vector<RValue> elements_;
};

// Keys in ascending order, equal keys in the order they were added. The
// order reads the game's tolerance where it is kept, so every map of a game
// follows ds_set_precision.
//
// The ordered tree is what every answer comes from, but additions wait in a
// list and are placed in it only when an answer needs the order, and an
// index by exact key finds a key without the tree wherever no other key lies
// within the tolerance of it (strings always, reals mostly): a map filled and
// then searched by key never pays for the tree.
class CDS_Map {
 public:
  static constexpr StructureForm kForm = StructureForm::map;

  explicit CDS_Map(const double& precision);
  CDS_Map(const CDS_Map& other);
  CDS_Map(CDS_Map&&) noexcept;
  CDS_Map& operator=(const CDS_Map& other);
  CDS_Map& operator=(CDS_Map&&) noexcept;
  ~CDS_Map();

  std::int32_t size() const;
  void clear();
  void add(const RValue& key, const RValue& value);
  void replace(const RValue& key, const RValue& value);
  void erase(const RValue& key);
  bool exists(const RValue& key) const { return first_equal(key) != nullptr; }
  RValue find_value(const RValue& key) const;
  RValue find_previous(const RValue& key) const;
  RValue find_next(const RValue& key) const;
  RValue find_first() const;
  RValue find_last() const;
  // Places the waiting additions in the tree; the game calls it before the
  // tolerance changes, since each must be placed under the tolerance it was
  // added with.
  void settle() const;

  void write(CStream& stream) const;
  static std::optional<CDS_Map> read(CStream& stream, const double& precision);

 private:
  struct Storage;
  struct Entry;
  struct Slot;
  // A key's slot in the index, and whether no other key lies within the
  // tolerance of it, so that the index alone can answer for it.
  struct Probe {
    Slot* slot = nullptr;
    bool alone = false;
  };

  const double& precision() const;
  // The entry ds_map_find_value(key) names: the first in the order equal to
  // the key; none when there is none.
  Entry* first_equal(const RValue& key) const;
  Entry* first_equal_in_tree(const RValue& key) const;
  Probe probe(const RValue& key) const;

  std::unique_ptr<Storage> storage_;
};

// Unordered pairs: the smallest and largest priorities are those a scan in
// order would pick, and a removal moves the last pair into the gap, as the
// text form shows. An index of the pairs by priority finds the pick without
// the scan unless another priority lies within the tolerance of the extreme.
class CDS_Priority {
 public:
  static constexpr StructureForm kForm = StructureForm::priority;

  std::int32_t size() const { return static_cast<std::int32_t>(values_.size()); }
  void clear();
  void add(const RValue& value, const RValue& priority);
  void change_priority(const RValue& value, const RValue& priority, double precision);
  RValue find_priority(const RValue& value, double precision) const;
  void delete_value(const RValue& value, double precision);
  // The value with the smallest (`largest` false) or largest priority,
  // removed when `remove` is set; real 0 when empty.
  RValue extreme(bool largest, bool remove, double precision);

  void write(CStream& stream) const;
  static std::optional<CDS_Priority> read(CStream& stream);

 private:
  // A pair's priority and position, ordered by the priority exactly (reals,
  // then not-a-number, then strings) and then by the position.
  struct Rank {
    RValue priority;
    std::int32_t position;
    bool operator<(const Rank& other) const;
  };

  std::int32_t position_of(const RValue& value, double precision) const;
  std::size_t extreme_position(bool largest, double precision) const;
  std::size_t scanned_extreme_position(bool largest, double precision) const;
  void remove_at(std::size_t position);
  void index_all();

  std::vector<RValue> values_;
  std::vector<RValue> priorities_;
  std::set<Rank> ranks_;  // one for each pair
};

// The cells a region or disk of a grid covers, in visiting order.
struct GridArea {
  enum class Shape { region, disk };
  Shape shape = Shape::region;
  // A region's corners, or the disk's centre (x1, y1) and radius (x2).
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;

  static GridArea region(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    return {Shape::region, double(x1), double(y1), double(x2), double(y2)};
  }
  static GridArea disk(double xm, double ym, double r) { return {Shape::disk, xm, ym, r, 0}; }
};

// What the region functions do to a cell.
enum class CellChange { set, add, multiply };

struct GridStatistics {
  double sum = 0;
  double max = -100000000;
  double min = 100000000;
  std::int32_t reals = 0;
  double mean() const { return reals == 0 ? 0 : sum / reals; }
};

struct GridMatch {
  bool found = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

class CDS_Grid {
 public:
  static constexpr StructureForm kForm = StructureForm::grid;
  // Grids larger than this are refused: a script's typo should be reported,
  // not take the machine's memory (a cell is a whole script value).
  static constexpr std::int64_t kMaxCells = std::int64_t{1} << 24;

  // A grid of real 0; sizes below 0 count as 0. The caller checks fits().
  CDS_Grid(std::int32_t width, std::int32_t height);
  static bool fits(std::int64_t width, std::int64_t height) {
    return std::max<std::int64_t>(width, 0) * std::max<std::int64_t>(height, 0) <= kMaxCells;
  }

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // Sizes below 0 count as 0. The caller checks fits().
  void resize(std::int32_t width, std::int32_t height);
  void fill(const RValue& value);
  bool holds(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  RValue get(std::int32_t x, std::int32_t y) const;
  void change(std::int32_t x, std::int32_t y, CellChange how, const RValue& value);
  void change_area(const GridArea& area, CellChange how, const RValue& value);
  // Combines a region of `source` (which may be this grid) into this grid at
  // (x, y), as if from an untouched copy of the source.
  void change_from(const CDS_Grid& source, GridArea region, std::int32_t x, std::int32_t y,
                   CellChange how);
  GridStatistics statistics(const GridArea& area) const;
  GridMatch find(const GridArea& area, const RValue& value, double precision) const;
  void shuffle(ScriptEngine& engine);

  void write(CStream& stream) const;
  static std::optional<CDS_Grid> read(CStream& stream);

 private:
  RValue& cell(std::int32_t x, std::int32_t y) {
    return cells_[std::size_t(x) * std::size_t(height_) + std::size_t(y)];
  }
  const RValue& cell(std::int32_t x, std::int32_t y) const {
    return cells_[std::size_t(x) * std::size_t(height_) + std::size_t(y)];
  }
  // Calls visit(x, y) for each cell of the area in order until it returns false.
  template <class Visit>
  void visit(const GridArea& area, Visit&& visit) const;

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<RValue> cells_;  // column by column
};

// The containers of one kind, numbered by slot: a new one takes the lowest
// empty slot, so ids are reused after a destroy.
template <class Kind>
class StructureTable {
 public:
  std::int32_t create(Kind structure) {
    auto free = std::find(slots_.begin(), slots_.end(), nullptr);
    if (free == slots_.end()) free = slots_.insert(slots_.end(), nullptr);
    *free = std::make_unique<Kind>(std::move(structure));
    return static_cast<std::int32_t>(free - slots_.begin());
  }
  Kind* find(std::int32_t id) const {
    if (id < 0 || id >= static_cast<std::int32_t>(slots_.size())) return nullptr;
    return slots_[std::size_t(id)].get();
  }
  void destroy(std::int32_t id) {
    if (find(id) != nullptr) slots_[std::size_t(id)].reset();
  }
  template <class Visit>
  void each(Visit&& visit) const {
    for (const auto& slot : slots_) {
      if (slot) visit(*slot);
    }
  }

 private:
  std::vector<std::unique_ptr<Kind>> slots_;
};

// Every container of one running game and the tolerance they compare with.
struct DataStructures : LibraryTables {
  double precision = 0.00000001;
  StructureTable<CDS_Stack> stacks;
  StructureTable<CDS_Queue> queues;
  StructureTable<CDS_List> lists;
  StructureTable<CDS_Map> maps;
  StructureTable<CDS_Priority> priorities;
  StructureTable<CDS_Grid> grids;
};

// The data structures of the engine's game, made on first use.
DataStructures& data_structures_of(ScriptEngine& engine);

}  // namespace kestrel
