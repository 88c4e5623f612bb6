#include "lib/Support_Data_Structures.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <memory_resource>
#include <string_view>
#include <unordered_map>

#include "data/Support_Stream.h"
#include "script/Function_Math.h"
#include "script/Variable_Class.h"

namespace kestrel {
namespace {

// The fewest bytes one element takes in a text form (kind, real, length), so
// a damaged count is refused before anything is allocated for it.
constexpr std::int64_t kSmallestElement = 16;

bool has_elements(const CStream& stream, std::int64_t count) {
  return count >= 0 && count * kSmallestElement <= std::int64_t(stream.remaining());
}

void write_elements(CStream& stream, const std::vector<RValue>& elements) {
  for (const RValue& element : elements) save_value(stream, element);
}

// `count` elements, or none when the stream ends first.
std::optional<std::vector<RValue>> read_elements(CStream& stream, std::int64_t count) {
  if (!has_elements(stream, count)) return std::nullopt;
  std::vector<RValue> elements;
  elements.reserve(std::size_t(count));
  for (std::int64_t i = 0; i < count; ++i) elements.push_back(load_value(stream));
  if (stream.failed()) return std::nullopt;
  return elements;
}

bool read_form(CStream& stream, StructureForm form) {
  return ReadInt(stream) == static_cast<std::int32_t>(form) && !stream.failed();
}

void write_count(CStream& stream, std::size_t count) {
  WriteInt(stream, static_cast<std::int32_t>(count));
}

// The form of stacks and lists: the tag, the count and the elements.
void write_counted(CStream& stream, StructureForm form, const std::vector<RValue>& elements) {
  WriteInt(stream, static_cast<std::int32_t>(form));
  write_count(stream, elements.size());
  write_elements(stream, elements);
}
std::optional<std::vector<RValue>> read_counted(CStream& stream, StructureForm form) {
  if (!read_form(stream, form)) return std::nullopt;
  return read_elements(stream, ReadInt(stream));
}

// The first cell and the last of an axis of `size` cells from lo to hi;
// empty when they do not meet the axis (or are not numbers).
struct CellSpan {
  std::int32_t first = 0;
  std::int32_t last = -1;
  bool empty() const { return last < first; }
};
CellSpan clamp_span(double lo, double hi, std::int32_t size) {
  lo = std::max(lo, 0.0);
  hi = std::min(hi, double(size) - 1);
  if (!(lo <= hi)) return {};
  return {std::int32_t(lo), std::int32_t(hi)};
}

}  // namespace

// ---- Stack ----

RValue CDS_Stack::pop() {
  if (elements_.empty()) return RValue();
  RValue top = std::move(elements_.back());
  elements_.pop_back();
  return top;
}

RValue CDS_Stack::top() const {
  return elements_.empty() ? RValue() : elements_.back();
}

void CDS_Stack::write(CStream& stream) const {
  write_counted(stream, kForm, elements_);
}

std::optional<CDS_Stack> CDS_Stack::read(CStream& stream) {
  auto elements = read_counted(stream, kForm);
  if (!elements) return std::nullopt;
  CDS_Stack stack;
  stack.elements_ = std::move(*elements);
  return stack;
}

// ---- Queue ----

void CDS_Queue::clear() {
  slots_.clear();
  head_ = tail_ = 0;
}

void CDS_Queue::enqueue(const RValue& value) {
  if (std::size_t(tail_) == slots_.size()) slots_.resize(slots_.size() + 16);
  slots_[std::size_t(tail_++)] = value;
}

RValue CDS_Queue::dequeue() {
  if (head_ == tail_) return RValue();
  RValue head = slots_[std::size_t(head_++)];
  // Spent slots are reclaimed once they are the larger part; the slots past
  // the new tail keep what they held, as the text form shows.
  if (head_ >= 17 && head_ > tail_ / 2) {
    std::copy(slots_.begin() + head_, slots_.begin() + tail_, slots_.begin());
    tail_ -= head_;
    head_ = 0;
  }
  return head;
}

RValue CDS_Queue::head() const {
  return head_ == tail_ ? RValue() : slots_[std::size_t(head_)];
}

RValue CDS_Queue::tail() const {
  return head_ == tail_ ? RValue() : slots_[std::size_t(tail_ - 1)];
}

void CDS_Queue::write(CStream& stream) const {
  WriteInt(stream, static_cast<std::int32_t>(kForm));
  WriteInt(stream, tail_);
  WriteInt(stream, head_);
  write_count(stream, slots_.size());
  write_elements(stream, slots_);
}

std::optional<CDS_Queue> CDS_Queue::read(CStream& stream) {
  if (!read_form(stream, kForm)) return std::nullopt;
  const std::int32_t tail = ReadInt(stream);
  const std::int32_t head = ReadInt(stream);
  const std::int32_t capacity = ReadInt(stream);
  // Indices outside the array would make every later call read past it.
  if (head < 0 || head > tail || tail > capacity) return std::nullopt;
  auto slots = read_elements(stream, capacity);
  if (!slots) return std::nullopt;
  CDS_Queue queue;
  queue.slots_ = std::move(*slots);
  queue.head_ = head;
  queue.tail_ = tail;
  return queue;
}

// ---- List ----

void CDS_List::insert(std::int32_t position, const RValue& value) {
  if (position >= 0 && position <= size()) elements_.insert(elements_.begin() + position, value);
}

void CDS_List::replace(std::int32_t position, const RValue& value) {
  if (holds(position)) elements_[std::size_t(position)] = value;
}

void CDS_List::erase(std::int32_t position) {
  if (holds(position)) elements_.erase(elements_.begin() + position);
}

std::int32_t CDS_List::find_index(const RValue& value, double precision) const {
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (compare_values(elements_[i], value, precision) == 0) return std::int32_t(i);
  }
  return -1;
}

RValue CDS_List::find_value(std::int32_t position) const {
  return holds(position) ? elements_[std::size_t(position)] : RValue();
}

// The order of an insertion sort that moves an element forward past every
// predecessor that is greater (ascending) or not greater (descending): a
// stable sort, whose descending form meets equal elements in reverse.
void CDS_List::sort(bool ascending, double precision) {
  if (ascending) {
    std::stable_sort(elements_.begin(), elements_.end(),
                     [precision](const RValue& a, const RValue& b) {
                       return compare_values(a, b, precision) < 0;
                     });
    return;
  }
  std::reverse(elements_.begin(), elements_.end());
  std::stable_sort(elements_.begin(), elements_.end(),
                   [precision](const RValue& a, const RValue& b) {
                     return compare_values(a, b, precision) > 0;
                   });
}

void CDS_List::shuffle(ScriptEngine& engine) {
  const std::int64_t count = size();
  for (std::int64_t n = 0; n < 8 * count; ++n) {
    const std::int64_t i = random_below(engine, count);
    const std::int64_t j = random_below(engine, count);
    std::swap(elements_[std::size_t(i)], elements_[std::size_t(j)]);
  }
}

void CDS_List::write(CStream& stream) const {
  write_counted(stream, kForm, elements_);
}

std::optional<CDS_List> CDS_List::read(CStream& stream) {
  auto elements = read_counted(stream, kForm);
  if (!elements) return std::nullopt;
  CDS_List list;
  list.elements_ = std::move(*elements);
  return list;
}

// ---- Map ----

namespace {

// Reals are indexed by the cell of this width they lie in, cells centred on
// its multiples, so that a whole or half number lies mid-cell and a search
// for it looks in one cell.
constexpr double kCellWidth = 1.0 / 64;
// Reals from this magnitude on (and not-a-number) are found through the
// tree alone: cells that far out would not hold the tolerance.
constexpr double kLargestIndexedReal = 1099511627776.0;  // 2^40

bool indexed(const RValue& key) {
  return key.is_string() || std::fabs(key.real()) < kLargestIndexedReal;
}

std::int64_t cell_of(double x) {
  return static_cast<std::int64_t>(std::floor(x / kCellWidth + 0.5));
}

std::uint64_t cell_of(const RValue& key) {
  if (key.is_string()) return std::hash<std::string_view>{}(key.text());
  return static_cast<std::uint64_t>(cell_of(key.real()));
}

// Keys that are one key of the index (reals equal exactly, -0 and 0 alike).
bool same_key(const RValue& a, const RValue& b) {
  if (a.is_real() != b.is_real()) return false;
  return a.is_real() ? a.real() == b.real() : a.text() == b.text();
}

struct KeyOrder {
  const double* precision;
  bool operator()(const RValue& a, const RValue& b) const {
    return compare_values(a, b, *precision) < 0;
  }
};

}  // namespace

struct CDS_Map::Entry {
  using Order = std::pmr::multimap<RValue, Entry*, KeyOrder>;
  RValue key;
  RValue value;
  Order::iterator node;  // once placed
};

// The entries of one exact key: how many, and the first of them in the
// order (none while that is known only to the tree).
struct CDS_Map::Slot {
  RValue key;
  std::int32_t count = 0;
  Entry* first = nullptr;
};

struct CDS_Map::Storage {
  explicit Storage(const double& precision) : order(KeyOrder{&precision}, &pool) {}

  // Each map draws its tree from a pool of its own, so that its nodes lie
  // together in the order they were added rather than scattered over the
  // freed nodes of maps destroyed before it; searches then stay in the cache.
  std::pmr::unsynchronized_pool_resource pool;
  Entry::Order order;         // after the pool, which must outlive it
  std::deque<Entry> entries;  // the removed ones' places are reused
  std::vector<Entry*> unused_entries;
  std::vector<Entry*> waiting;  // added and not yet placed, oldest first
  std::unordered_multimap<std::uint64_t, Slot> index;
  std::int32_t size = 0;
};

CDS_Map::CDS_Map(const double& precision) : storage_(std::make_unique<Storage>(precision)) {}

// The copy's tree has the shape of the original's, so that its searches
// take the same paths.
CDS_Map::CDS_Map(const CDS_Map& other) : CDS_Map(other.precision()) {
  other.settle();
  Storage& s = *storage_;
  s.order = other.storage_->order;
  for (auto node = s.order.begin(); node != s.order.end(); ++node) {
    Entry& entry = s.entries.emplace_back();
    entry.key = node->first;
    entry.value = node->second->value;
    entry.node = node;
    node->second = &entry;
    ++s.size;
    if (!indexed(entry.key)) continue;
    const auto [at, end] = s.index.equal_range(cell_of(entry.key));
    const auto same = std::find_if(
        at, end, [&](const auto& cell_slot) { return same_key(cell_slot.second.key, entry.key); });
    if (same == end) {
      s.index.emplace(cell_of(entry.key), Slot{entry.key, 1, &entry});
    } else {
      ++same->second.count;  // the first in the order was met before
    }
  }
}

CDS_Map& CDS_Map::operator=(const CDS_Map& other) {
  if (this != &other) *this = CDS_Map(other);
  return *this;
}

CDS_Map::CDS_Map(CDS_Map&&) noexcept = default;
CDS_Map& CDS_Map::operator=(CDS_Map&&) noexcept = default;
CDS_Map::~CDS_Map() = default;

std::int32_t CDS_Map::size() const {
  return storage_->size;
}

const double& CDS_Map::precision() const {
  return *storage_->order.key_comp().precision;
}

void CDS_Map::clear() {
  storage_ = std::make_unique<Storage>(precision());
}

CDS_Map::Probe CDS_Map::probe(const RValue& key) const {
  Storage& s = *storage_;
  Probe found;
  const auto look = [&](std::uint64_t cell) {
    for (auto [at, end] = s.index.equal_range(cell); at != end; ++at) {
      Slot& slot = at->second;
      if (same_key(slot.key, key)) {
        found.slot = &slot;
      } else if (key.is_real() && slot.key.is_real() &&
                 compare_reals(slot.key.real(), key.real(), precision()) == 0) {
        found.alone = false;
      }
    }
  };
  if (key.is_string()) {
    found.alone = true;
    look(cell_of(key));
    return found;
  }
  // Keys within the tolerance of a real lie in the cells its tolerance
  // reaches, two at most; one more is not looked for.
  const double x = key.real();
  const double p = precision();
  const double tolerance = p > 0 ? p : std::max(std::fabs(x) * 1e-12, 1e-12);
  if (!(tolerance < kCellWidth / 2)) return found;
  found.alone = true;
  const std::int64_t low = cell_of(x - tolerance), high = cell_of(x + tolerance);
  look(static_cast<std::uint64_t>(low));
  if (high != low) look(static_cast<std::uint64_t>(high));
  return found;
}

void CDS_Map::add(const RValue& key, const RValue& value) {
  Storage& s = *storage_;
  Entry* entry = nullptr;
  if (s.unused_entries.empty()) {
    entry = &s.entries.emplace_back();
  } else {
    entry = s.unused_entries.back();
    s.unused_entries.pop_back();
  }
  entry->key = key;
  entry->value = value;
  s.waiting.push_back(entry);
  ++s.size;
  if (!indexed(key)) return;
  const Probe found = probe(key);
  if (found.slot == nullptr) {
    s.index.emplace(cell_of(key), Slot{key, 1, entry});
    return;
  }
  // A repeated key goes after the earlier ones, so the first stays first,
  // unless a key close to it could come between them in the tree.
  if (!found.alone) found.slot->first = nullptr;
  ++found.slot->count;
}

CDS_Map::Entry* CDS_Map::first_equal(const RValue& key) const {
  if (!indexed(key)) return first_equal_in_tree(key);
  const Probe found = probe(key);
  if (!found.alone) return first_equal_in_tree(key);
  if (found.slot == nullptr) return nullptr;
  // With no other key near, the tree's first equal key has this value.
  if (found.slot->first == nullptr) found.slot->first = first_equal_in_tree(key);
  return found.slot->first;
}

CDS_Map::Entry* CDS_Map::first_equal_in_tree(const RValue& key) const {
  settle();
  const auto& order = storage_->order;
  const auto found = order.lower_bound(key);
  if (found == order.end() || compare_values(found->first, key, precision()) != 0) return nullptr;
  return found->second;
}

void CDS_Map::settle() const {
  Storage& s = *storage_;
  for (Entry* entry : s.waiting) entry->node = s.order.emplace(entry->key, entry);
  s.waiting.clear();
}

void CDS_Map::replace(const RValue& key, const RValue& value) {
  if (Entry* entry = first_equal(key)) entry->value = value;
}

void CDS_Map::erase(const RValue& key) {
  Entry* entry = first_equal(key);
  if (entry == nullptr) return;
  settle();
  Storage& s = *storage_;
  if (indexed(entry->key)) {
    for (auto [at, end] = s.index.equal_range(cell_of(entry->key)); at != end; ++at) {
      Slot& slot = at->second;
      if (!same_key(slot.key, entry->key)) continue;
      if (--slot.count == 0) {
        s.index.erase(at);
      } else if (slot.first == entry) {
        slot.first = nullptr;  // the tree knows the next
      }
      break;
    }
  }
  s.order.erase(entry->node);
  entry->key.clear();
  entry->value.clear();
  s.unused_entries.push_back(entry);
  --s.size;
}

RValue CDS_Map::find_value(const RValue& key) const {
  const Entry* entry = first_equal(key);
  return entry == nullptr ? RValue() : entry->value;
}

RValue CDS_Map::find_previous(const RValue& key) const {
  settle();
  const auto& order = storage_->order;
  const auto bound = order.lower_bound(key);
  return bound == order.begin() ? RValue() : std::prev(bound)->first;
}

RValue CDS_Map::find_next(const RValue& key) const {
  settle();
  const auto& order = storage_->order;
  const auto after = order.upper_bound(key);
  return after == order.end() ? RValue() : after->first;
}

RValue CDS_Map::find_first() const {
  settle();
  const auto& order = storage_->order;
  return order.empty() ? RValue() : order.begin()->first;
}

RValue CDS_Map::find_last() const {
  settle();
  const auto& order = storage_->order;
  return order.empty() ? RValue() : std::prev(order.end())->first;
}

void CDS_Map::write(CStream& stream) const {
  settle();
  WriteInt(stream, static_cast<std::int32_t>(kForm));
  write_count(stream, storage_->order.size());
  for (const auto& [key, entry] : storage_->order) save_value(stream, key);
  for (const auto& [key, entry] : storage_->order) save_value(stream, entry->value);
}

std::optional<CDS_Map> CDS_Map::read(CStream& stream, const double& precision) {
  if (!read_form(stream, kForm)) return std::nullopt;
  const std::int32_t count = ReadInt(stream);
  auto keys = read_elements(stream, count);
  if (!keys) return std::nullopt;
  auto values = read_elements(stream, count);
  if (!values) return std::nullopt;
  // Keys out of order (a text made elsewhere) are put in order, so that the
  // searches stay sound.
  CDS_Map map(precision);
  for (std::size_t i = 0; i < keys->size(); ++i) map.add((*keys)[i], (*values)[i]);
  return map;
}

// ---- Priority queue ----

namespace {

// Reals, not-a-number, then the rest, as compare_values orders them.
int rank_class(const RValue& value) {
  if (!value.is_real()) return 2;
  return std::isnan(value.real()) ? 1 : 0;
}

}  // namespace

bool CDS_Priority::Rank::operator<(const Rank& other) const {
  const int kind = rank_class(priority);
  const int other_kind = rank_class(other.priority);
  if (kind != other_kind) return kind < other_kind;
  if (kind == 0 && priority.real() != other.priority.real()) {
    return priority.real() < other.priority.real();
  }
  if (kind == 2) {
    if (const int order = priority.text().compare(other.priority.text()); order != 0) {
      return order < 0;
    }
  }
  return position < other.position;
}

void CDS_Priority::clear() {
  values_.clear();
  priorities_.clear();
  ranks_.clear();
}

void CDS_Priority::add(const RValue& value, const RValue& priority) {
  values_.push_back(value);
  priorities_.push_back(priority);
  ranks_.insert(Rank{priority, size() - 1});
}

void CDS_Priority::index_all() {
  ranks_.clear();
  for (std::size_t i = 0; i < priorities_.size(); ++i) {
    ranks_.insert(ranks_.end(), Rank{priorities_[i], std::int32_t(i)});
  }
}

std::int32_t CDS_Priority::position_of(const RValue& value, double precision) const {
  for (std::size_t i = 0; i < values_.size(); ++i) {
    if (compare_values(values_[i], value, precision) == 0) return std::int32_t(i);
  }
  return -1;
}

void CDS_Priority::remove_at(std::size_t position) {
  const std::size_t last = values_.size() - 1;
  ranks_.erase(Rank{priorities_[position], std::int32_t(position)});
  if (position != last) {
    auto moved = ranks_.extract(Rank{priorities_[last], std::int32_t(last)});
    moved.value().position = std::int32_t(position);
    ranks_.insert(std::move(moved));
    values_[position] = std::move(values_.back());
    priorities_[position] = std::move(priorities_.back());
  }
  values_.pop_back();
  priorities_.pop_back();
}

void CDS_Priority::change_priority(const RValue& value, const RValue& priority, double precision) {
  const std::int32_t position = position_of(value, precision);
  if (position < 0) return;
  RValue& stored = priorities_[std::size_t(position)];
  auto rank = ranks_.extract(Rank{stored, position});
  rank.value().priority = stored = priority;
  ranks_.insert(std::move(rank));
}

RValue CDS_Priority::find_priority(const RValue& value, double precision) const {
  const std::int32_t position = position_of(value, precision);
  return position < 0 ? RValue() : priorities_[std::size_t(position)];
}

void CDS_Priority::delete_value(const RValue& value, double precision) {
  const std::int32_t position = position_of(value, precision);
  if (position >= 0) remove_at(std::size_t(position));
}

// The scan keeps the first pair and moves on to a later one only when its
// priority is beyond the tolerance of the kept one's.
std::size_t CDS_Priority::scanned_extreme_position(bool largest, double precision) const {
  const int wanted = largest ? 1 : -1;
  std::size_t best = 0;
  for (std::size_t i = 1; i < priorities_.size(); ++i) {
    if (compare_values(priorities_[i], priorities_[best], precision) == wanted) best = i;
  }
  return best;
}

// When every other priority is beyond the tolerance of the exact extreme, the
// scan picks the first position holding that extreme.
std::size_t CDS_Priority::extreme_position(bool largest, double precision) const {
  const RValue& extreme = largest ? std::prev(ranks_.end())->priority : ranks_.begin()->priority;
  const auto first = ranks_.lower_bound(Rank{extreme, 0});
  const auto nearest = largest ? (first == ranks_.begin() ? ranks_.end() : std::prev(first))
                               : ranks_.upper_bound(Rank{extreme, size()});
  if (nearest != ranks_.end() &&
      compare_values(nearest->priority, extreme, precision) != (largest ? -1 : 1)) {
    return scanned_extreme_position(largest, precision);
  }
  return std::size_t(first->position);
}

RValue CDS_Priority::extreme(bool largest, bool remove, double precision) {
  if (values_.empty()) return RValue();
  const std::size_t best = extreme_position(largest, precision);
  RValue value = values_[best];
  if (remove) remove_at(best);
  return value;
}

void CDS_Priority::write(CStream& stream) const {
  WriteInt(stream, static_cast<std::int32_t>(kForm));
  write_count(stream, values_.size());
  write_elements(stream, priorities_);
  write_elements(stream, values_);
}

std::optional<CDS_Priority> CDS_Priority::read(CStream& stream) {
  if (!read_form(stream, kForm)) return std::nullopt;
  const std::int32_t count = ReadInt(stream);
  auto priorities = read_elements(stream, count);
  if (!priorities) return std::nullopt;
  auto values = read_elements(stream, count);
  if (!values) return std::nullopt;
  CDS_Priority queue;
  queue.priorities_ = std::move(*priorities);
  queue.values_ = std::move(*values);
  queue.index_all();
  return queue;
}

// ---- Grid ----

CDS_Grid::CDS_Grid(std::int32_t width, std::int32_t height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      cells_(std::size_t(width_) * std::size_t(height_)) {}

void CDS_Grid::resize(std::int32_t width, std::int32_t height) {
  CDS_Grid resized(width, height);
  const std::int32_t columns = std::min(width_, resized.width_);
  const std::int32_t rows = std::min(height_, resized.height_);
  // A grid may be billions wide and 0 high: only columns with cells are walked.
  for (std::int32_t x = 0; rows > 0 && x < columns; ++x) {
    for (std::int32_t y = 0; y < rows; ++y) resized.cell(x, y) = std::move(cell(x, y));
  }
  *this = std::move(resized);
}

void CDS_Grid::fill(const RValue& value) {
  std::fill(cells_.begin(), cells_.end(), value);
}

RValue CDS_Grid::get(std::int32_t x, std::int32_t y) const {
  return holds(x, y) ? cell(x, y) : RValue();
}

void CDS_Grid::change(std::int32_t x, std::int32_t y, CellChange how, const RValue& value) {
  if (!holds(x, y)) return;
  RValue& target = cell(x, y);
  switch (how) {
    case CellChange::set:
      target = value;
      break;
    case CellChange::add:
      if (target.is_real() && value.is_real()) {
        target.set_real(target.real() + value.real());
      } else if (target.is_string() && value.is_string()) {
        target.append_text(value.text());
      } else {
        target = value;
      }
      break;
    case CellChange::multiply:
      if (target.is_real() && value.is_real()) target.set_real(target.real() * value.real());
      break;
  }
}

template <class Visit>
void CDS_Grid::visit(const GridArea& area, Visit&& visit) const {
  if (area.shape == GridArea::Shape::region) {
    const CellSpan xs = clamp_span(std::min(area.x1, area.x2), std::max(area.x1, area.x2), width_);
    const CellSpan ys = clamp_span(std::min(area.y1, area.y2), std::max(area.y1, area.y2), height_);
    if (ys.empty()) return;  // a grid may be billions wide and 0 high
    for (std::int32_t x = xs.first; x <= xs.last; ++x) {
      for (std::int32_t y = ys.first; y <= ys.last; ++y) {
        if (!visit(x, y)) return;
      }
    }
    return;
  }
  const double xm = area.x1;
  const double ym = area.y1;
  const double r = area.x2;
  const CellSpan xs = clamp_span(std::floor(xm - r), std::ceil(xm + r), width_);
  const CellSpan ys = clamp_span(std::floor(ym - r), std::ceil(ym + r), height_);
  if (ys.empty()) return;
  for (std::int32_t x = xs.first; x <= xs.last; ++x) {
    for (std::int32_t y = ys.first; y <= ys.last; ++y) {
      if ((x - xm) * (x - xm) + (y - ym) * (y - ym) <= r * r && !visit(x, y)) return;
    }
  }
}

void CDS_Grid::change_area(const GridArea& area, CellChange how, const RValue& value) {
  visit(area, [&](std::int32_t x, std::int32_t y) {
    change(x, y, how, value);
    return true;
  });
}

void CDS_Grid::change_from(const CDS_Grid& source, GridArea region, std::int32_t x, std::int32_t y,
                           CellChange how) {
  const CellSpan xs =
      clamp_span(std::min(region.x1, region.x2), std::max(region.x1, region.x2), source.width_);
  const CellSpan ys =
      clamp_span(std::min(region.y1, region.y2), std::max(region.y1, region.y2), source.height_);
  // A destination left of or above the grid starts the source further in.
  std::int64_t first_x = xs.first, first_y = ys.first;
  std::int64_t to_x = x, to_y = y;
  if (to_x < 0) first_x -= to_x, to_x = 0;
  if (to_y < 0) first_y -= to_y, to_y = 0;
  const std::int64_t columns = std::min<std::int64_t>(xs.last - first_x + 1, width_ - to_x);
  const std::int64_t rows = std::min<std::int64_t>(ys.last - first_y + 1, height_ - to_y);
  if (columns <= 0 || rows <= 0) return;
  // Walking away from the side the copy moves towards reads every source cell
  // before it is overwritten when both are this grid.
  const bool forward_x = to_x <= first_x;
  const bool forward_y = to_y <= first_y;
  for (std::int64_t i = 0; i < columns; ++i) {
    const std::int64_t dx = forward_x ? i : columns - 1 - i;
    for (std::int64_t j = 0; j < rows; ++j) {
      const std::int64_t dy = forward_y ? j : rows - 1 - j;
      const RValue value = source.cell(std::int32_t(first_x + dx), std::int32_t(first_y + dy));
      change(std::int32_t(to_x + dx), std::int32_t(to_y + dy), how, value);
    }
  }
}

GridStatistics CDS_Grid::statistics(const GridArea& area) const {
  GridStatistics result;
  visit(area, [&](std::int32_t x, std::int32_t y) {
    const RValue& value = cell(x, y);
    if (value.is_real()) {
      result.sum += value.real();
      result.max = std::max(result.max, value.real());
      result.min = std::min(result.min, value.real());
      ++result.reals;
    }
    return true;
  });
  return result;
}

GridMatch CDS_Grid::find(const GridArea& area, const RValue& value, double precision) const {
  GridMatch match;
  visit(area, [&](std::int32_t x, std::int32_t y) {
    if (compare_values(cell(x, y), value, precision) != 0) return true;
    match = {true, x, y};
    return false;
  });
  return match;
}

void CDS_Grid::shuffle(ScriptEngine& engine) {
  const std::int64_t swaps = 8 * std::int64_t(width_) * height_;
  for (std::int64_t n = 0; n < swaps; ++n) {
    const auto x1 = std::int32_t(random_below(engine, width_));
    const auto x2 = std::int32_t(random_below(engine, width_));
    const auto y1 = std::int32_t(random_below(engine, height_));
    const auto y2 = std::int32_t(random_below(engine, height_));
    std::swap(cell(x1, y1), cell(x2, y2));
  }
}

void CDS_Grid::write(CStream& stream) const {
  WriteInt(stream, static_cast<std::int32_t>(kForm));
  WriteInt(stream, width_);
  WriteInt(stream, height_);
  write_elements(stream, cells_);
}

std::optional<CDS_Grid> CDS_Grid::read(CStream& stream) {
  if (!read_form(stream, kForm)) return std::nullopt;
  const std::int32_t width = ReadInt(stream);
  const std::int32_t height = ReadInt(stream);
  if (width < 0 || height < 0 || !fits(width, height)) return std::nullopt;
  auto cells = read_elements(stream, std::int64_t(width) * height);
  if (!cells) return std::nullopt;
  CDS_Grid grid(0, 0);
  grid.width_ = width;
  grid.height_ = height;
  grid.cells_ = std::move(*cells);
  return grid;
}

DataStructures& data_structures_of(ScriptEngine& engine) {
  auto& tables = engine.library_tables[std::size_t(LibraryFamily::data_structures)];
  if (!tables) tables = std::make_unique<DataStructures>();
  return static_cast<DataStructures&>(*tables);
}

}  // namespace kestrel
