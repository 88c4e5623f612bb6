#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../script/script_fixture.h"
#include "data/Support_Stream.h"
#include "lib/Function_Data_Structures.h"
#include "lib/Support_Data_Structures.h"
#include "script/Variable_Class.h"

namespace kestrel {
namespace {

constexpr char kNoSuchStructure[] = "Data structure with index does not exist.";
constexpr double kInfinity = std::numeric_limits<double>::infinity();

RValue text(const char* value) {
  return RValue(std::string_view(value));
}

// ---- The comparison ----

struct CompareCase {
  RValue a;
  RValue b;
  double precision;
  int expected;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
  *os << c.a.str() << c.a.real() << " vs " << c.b.str() << c.b.real() << " at " << c.precision;
}

class Comparison : public ::testing::TestWithParam<CompareCase> {};

TEST_P(Comparison, OrdersValues) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(compare_values(c.a, c.b, c.precision), c.expected);
  EXPECT_EQ(compare_values(c.b, c.a, c.precision), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tolerances, Comparison,
    ::testing::Values(CompareCase{RValue(1.0), RValue(1.0 + 1e-9), 1e-8, 0},
                      CompareCase{RValue(1.0), RValue(1.00000002), 1e-8, -1},
                      CompareCase{RValue(0.1 + 0.2), RValue(0.3), 1e-8, 0},
                      CompareCase{RValue(1.0), RValue(1.4), 0.5, 0},
                      // Precision 0: a relative tolerance, never below 1e-12.
                      CompareCase{RValue(1e6), RValue(1e6 + 1e-7), 0, 0},
                      CompareCase{RValue(1e6), RValue(1e6 + 1e-5), 0, -1},
                      CompareCase{RValue(0.0), RValue(1e-13), 0, 0},
                      CompareCase{RValue(0.0), RValue(1e-11), 0, -1},
                      // Not-a-number keeps orders consistent: above every real.
                      CompareCase{RValue(std::nan("")), RValue(1e300), 1e-8, 1},
                      CompareCase{RValue(std::nan("")), RValue(std::nan("")), 1e-8, 0},
                      // An infinity equals itself at any tolerance, or no map
                      // could find it as a key.
                      CompareCase{RValue(kInfinity), RValue(kInfinity), 1e-8, 0},
                      CompareCase{RValue(-kInfinity), RValue(-kInfinity), 0, 0},
                      CompareCase{RValue(kInfinity), RValue(1e308), 0, 1}));

INSTANTIATE_TEST_SUITE_P(Kinds, Comparison,
                         ::testing::Values(CompareCase{RValue(1e300), text(""), 1e-8, -1},
                                           CompareCase{text("a"), text("b"), 1e-8, -1},
                                           CompareCase{text("A"), text("a"), 1e-8, -1},
                                           CompareCase{text("ab"), text("a"), 1e-8, 1},
                                           CompareCase{text("a"), text("a"), 1e-8, 0},
                                           // Character codes above 127 sort after plain letters.
                                           CompareCase{text("\xe9"), text("z"), 1e-8, 1}));

// ---- The functions, run as game code ----

class DataStructureCode : public ScriptFixture {
 protected:
  DataStructureCode() { register_data_structure_functions(engine.functions); }

  // Runs a program and gives what it returned.
  RValue returned(std::string_view program) {
    result.clear();
    EXPECT_TRUE(run(program)) << program << ": " << engine.errors.last_text;
    return result;
  }

  // A list's elements as "1 3 'a'".
  std::string list_contents(std::int32_t id) {
    const CDS_List* list = data_structures_of(engine).lists.find(id);
    if (list == nullptr) return "<none>";
    std::string text;
    for (std::int32_t i = 0; i < list->size(); ++i) {
      const RValue value = list->find_value(i);
      if (!text.empty()) text += ' ';
      if (value.is_string()) {
        text += "'" + value.str() + "'";
      } else {
        char number[32];
        std::snprintf(number, sizeof number, "%g", value.real());
        text += number;
      }
    }
    return text;
  }
};

struct ResultCase {
  const char* program;
  RValue expected;
};

void PrintTo(const ResultCase& c, std::ostream* os) {
  *os << c.program;
}

class Results : public DataStructureCode, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(Results, AreAsDescribed) {
  const RValue value = returned(GetParam().program);
  EXPECT_EQ(value.kind(), GetParam().expected.kind()) << GetParam().program;
  EXPECT_EQ(value.real(), GetParam().expected.real()) << GetParam().program;
  EXPECT_EQ(value.str(), GetParam().expected.str()) << GetParam().program;
  EXPECT_FALSE(engine.errors.error_occurred) << engine.errors.error_last;
}

INSTANTIATE_TEST_SUITE_P(
    Precision, Results,
    ::testing::Values(
        ResultCase{"l = ds_list_create(); ds_list_add(l, 0.3); return ds_list_find_index(l, 0.1 + "
                   "0.2)",
                   RValue(0.0)},
        ResultCase{"l = ds_list_create(); ds_list_add(l, 1); return ds_list_find_index(l, "
                   "1.00000002)",
                   RValue(-1.0)},
        ResultCase{"ds_set_precision(-0.5); l = ds_list_create(); ds_list_add(l, 1); return "
                   "ds_list_find_index(l, 1.4)",
                   RValue(0.0)},
        ResultCase{"ds_set_precision(0); l = ds_list_create(); ds_list_add(l, 'x'); "
                   "ds_list_add(l, 1); return ds_list_find_index(l, 1 + power(10, -13))",
                   RValue(1.0)}));

INSTANTIATE_TEST_SUITE_P(
    StacksAndQueues, Results,
    ::testing::Values(
        ResultCase{"s = ds_stack_create(); ds_stack_push(s, 1); ds_stack_push(s, 'two'); "
                   "a = ds_stack_pop(s); return a + string(ds_stack_top(s)) + "
                   "string(ds_stack_size(s))",
                   text("two11")},
        ResultCase{"s = ds_stack_create(); ds_stack_pop(s); return ds_stack_top(s)", RValue(0.0)},
        ResultCase{"q = ds_queue_create(); return ds_queue_dequeue(q)", RValue(0.0)},
        ResultCase{"q = ds_queue_create(); for (i = 0; i < 40; i += 1) ds_queue_enqueue(q, i); "
                   "for (i = 0; i < 30; i += 1) ds_queue_dequeue(q); return "
                   "ds_queue_head(q) * 10000 + ds_queue_tail(q) * 100 + ds_queue_size(q)",
                   RValue(303910.0)},
        ResultCase{"q = ds_queue_create(); ds_queue_enqueue(q, 1); ds_queue_dequeue(q); return "
                   "ds_queue_empty(q) * 10 + ds_queue_tail(q)",
                   RValue(10.0)}));

INSTANTIATE_TEST_SUITE_P(
    Maps, Results,
    ::testing::Values(
        ResultCase{"m = ds_map_create(); ds_map_add(m, 'k', 1); ds_map_add(m, 'k', 2); "
                   "a = ds_map_size(m); ds_map_delete(m, 'k'); return a * 10 + "
                   "ds_map_find_value(m, 'k')",
                   RValue(22.0)},
        ResultCase{"m = ds_map_create(); ds_map_add(m, 1, 0); ds_map_add(m, 3, 0); return "
                   "ds_map_find_next(m, 3)",
                   RValue(0.0)},
        ResultCase{"m = ds_map_create(); ds_map_add(m, 3, 0); ds_map_add(m, 1, 0); "
                   "ds_map_add(m, 2, 0); return ds_map_find_previous(m, 2.5) * 100 + "
                   "ds_map_find_next(m, 2) * 10 + ds_map_find_previous(m, 10)",
                   RValue(233.0)},
        ResultCase{"m = ds_map_create(); ds_map_add(m, 'b', 0); ds_map_add(m, 5, 0); "
                   "ds_map_add(m, 'a', 0); return string(ds_map_find_first(m)) + "
                   "ds_map_find_last(m) + ds_map_find_next(m, 5)",
                   text("5ba")},
        ResultCase{"m = ds_map_create(); ds_map_replace(m, 'k', 1); ds_map_add(m, 'k', 1); "
                   "ds_map_replace(m, 'k', 7); return ds_map_size(m) * 10 + "
                   "ds_map_find_value(m, 'k') + ds_map_exists(m, 'j') * 100",
                   RValue(17.0)}));

// ---- Maps against a plain tree ----

// The order a map's answers must follow, kept the plain way: a tree with
// each addition placed at once.
class PlainMap {
 public:
  explicit PlainMap(const double& precision) : precision_(precision), pairs_(Order{&precision}) {}

  void add(const RValue& key, const RValue& value) { pairs_.emplace(key, value); }
  void erase(const RValue& key) {
    if (const auto found = first_equal(key); found != pairs_.end()) pairs_.erase(found);
  }
  void replace(const RValue& key, const RValue& value) {
    if (const auto found = first_equal(key); found != pairs_.end()) found->second = value;
  }
  RValue find_value(const RValue& key) {
    const auto found = first_equal(key);
    return found == pairs_.end() ? RValue() : found->second;
  }
  RValue find_next(const RValue& key) const {
    const auto after = pairs_.upper_bound(key);
    return after == pairs_.end() ? RValue() : after->first;
  }
  RValue find_previous(const RValue& key) const {
    const auto bound = pairs_.lower_bound(key);
    return bound == pairs_.begin() ? RValue() : std::prev(bound)->first;
  }
  std::string contents() const {
    std::string text;
    for (const auto& [key, value] : pairs_) text += shown(key) + "=" + shown(value) + " ";
    return text;
  }
  std::int32_t size() const { return std::int32_t(pairs_.size()); }

  static std::string shown(const RValue& value) {
    char number[40];
    std::snprintf(number, sizeof number, "%.17g", value.real());
    return value.is_string() ? "'" + value.str() + "'" : number;
  }

 private:
  struct Order {
    const double* precision;
    bool operator()(const RValue& a, const RValue& b) const {
      return compare_values(a, b, *precision) < 0;
    }
  };
  std::multimap<RValue, RValue, Order>::iterator first_equal(const RValue& key) {
    const auto found = pairs_.lower_bound(key);
    if (found == pairs_.end() || compare_values(found->first, key, precision_) != 0) {
      return pairs_.end();
    }
    return found;
  }

  const double& precision_;
  std::multimap<RValue, RValue, Order> pairs_;
};

// The map's contents in its order, read back from its text form.
std::string contents_of(const CDS_Map& map) {
  CStream stream;
  map.write(stream);
  stream.seek(0);
  ReadInt(stream);
  const std::int32_t count = ReadInt(stream);
  std::vector<RValue> keys;
  for (std::int32_t i = 0; i < count; ++i) keys.push_back(load_value(stream));
  std::string text;
  for (const RValue& key : keys) {
    text += PlainMap::shown(key) + "=" + PlainMap::shown(load_value(stream)) + " ";
  }
  return text;
}

// Random work on keys that crowd each other within the tolerance, sit on
// the edges of the index's cells, repeat, or are too large for the cells,
// under a tolerance that grows as it goes: every answer and the order must
// be those of the plain tree. (A tolerance made smaller leaves keys that
// were equal out of order in the tree, where its search can miss a key the
// map holds exactly; the index finds it, so there they differ.)
TEST(MapIndex, AnswersAsThePlainTreeDoes) {
  const RValue keys[] = {RValue(0.0),
                         RValue(-0.0),
                         RValue(1.0),
                         RValue(1.0 + 1e-9),
                         RValue(1.0 + 2e-8),
                         RValue(1.003),
                         RValue(1.006),
                         RValue(1.0 / 128),
                         RValue(1.0 / 128 - 3e-9),
                         RValue(1.0 / 128 + 3e-9),
                         RValue(0.5),
                         RValue(7.0),
                         RValue(3e12),
                         RValue(3e12 + 0.5),
                         RValue(kInfinity),
                         text("a"),
                         text("b")};
  const double tolerances[] = {0, 1e-8, 0.004, 0.02};
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    std::size_t tolerance = 0;
    double precision = tolerances[tolerance];
    CDS_Map map(precision);
    PlainMap plain(precision);
    const auto pick = [&] { return keys[random() % std::size(keys)]; };
    for (int step = 0; step < 400; ++step) {
      const RValue key = pick();
      const RValue value{double(step)};
      const unsigned what = random() % 100;
      if (what < 40) {
        map.add(key, value);
        plain.add(key, value);
      } else if (what < 55) {
        map.erase(key);
        plain.erase(key);
      } else if (what < 60) {
        map.replace(key, value);
        plain.replace(key, value);
      } else if (what < 63) {
        map.settle();
        tolerance = std::min(tolerance + 1, std::size(tolerances) - 1);
        precision = tolerances[tolerance];
      } else if (what < 65) {
        map = CDS_Map(map);
      } else if (what < 70) {
        ASSERT_EQ(PlainMap::shown(map.find_next(key)), PlainMap::shown(plain.find_next(key)));
        ASSERT_EQ(PlainMap::shown(map.find_previous(key)),
                  PlainMap::shown(plain.find_previous(key)));
      } else {
        ASSERT_EQ(PlainMap::shown(map.find_value(key)), PlainMap::shown(plain.find_value(key)))
            << "seed " << seed << " step " << step << " key " << PlainMap::shown(key)
            << " precision " << precision << "\n"
            << plain.contents();
      }
      ASSERT_EQ(map.size(), plain.size());
    }
    EXPECT_EQ(contents_of(map), plain.contents()) << "seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    PriorityQueues, Results,
    ::testing::Values(
        // Ties go to the first pair; a removal moves the last pair into the gap.
        ResultCase{"p = ds_priority_create(); ds_priority_add(p, 'a', 3); ds_priority_add(p, "
                   "'b', 1); ds_priority_add(p, 'c', 1); ds_priority_add(p, 'd', 3); "
                   "return ds_priority_delete_min(p) + ds_priority_find_min(p) + "
                   "ds_priority_find_max(p) + ds_priority_delete_max(p) + "
                   "ds_priority_find_max(p)",
                   text("bcaad")},
        ResultCase{"p = ds_priority_create(); ds_priority_add(p, 'a', 3); "
                   "ds_priority_change_priority(p, 'a', 8); return "
                   "ds_priority_find_priority(p, 'a') + ds_priority_find_priority(p, 'z')",
                   RValue(8.0)},
        ResultCase{"p = ds_priority_create(); return ds_priority_delete_max(p)", RValue(0.0)}));

INSTANTIATE_TEST_SUITE_P(
    Grids, Results,
    ::testing::Values(
        // A grid without cells may be as wide as it likes; nothing walks
        // its empty columns one by one.
        ResultCase{"g = ds_grid_create(2000000000, 0); ds_grid_resize(g, 2000000000, 0); "
                   "ds_grid_set_disk(g, 1000, 0, 500, 1); return ds_grid_get_sum(g, 0, 0, "
                   "1999999999, 9) + ds_grid_width(g)",
                   RValue(2000000000.0)},
        ResultCase{"g = ds_grid_create(3, 3); ds_grid_clear(g, 'x'); return "
                   "ds_grid_get_max(g, 0, 0, 2, 2)",
                   RValue(-100000000.0)},
        ResultCase{"g = ds_grid_create(3, 3); ds_grid_clear(g, 'x'); return "
                   "ds_grid_get_min(g, 0, 0, 2, 2) + ds_grid_get_mean(g, 0, 0, 2, 2)",
                   RValue(100000000.0)},
        // Corners in either order, clamped to the grid.
        ResultCase{"g = ds_grid_create(4, 4); ds_grid_set_region(g, 9, 2, -5, 1, 2); return "
                   "ds_grid_get_sum(g, 0, 0, 3, 3) + ds_grid_get(g, 0, 3) + ds_grid_get(g, 4, 1)",
                   RValue(16.0)},
        ResultCase{"g = ds_grid_create(5, 5); ds_grid_set_disk(g, 2, 2, 1, 1); return "
                   "ds_grid_get_sum(g, 0, 0, 4, 4) * 10 + ds_grid_get_disk_sum(g, 2, 2, 0.5)",
                   RValue(51.0)},
        ResultCase{"g = ds_grid_create(2, 1); ds_grid_set(g, 0, 0, 'ab'); ds_grid_add(g, 0, 0, "
                   "'cd'); ds_grid_add(g, 1, 0, 'z'); ds_grid_multiply(g, 1, 0, 3); return "
                   "ds_grid_get(g, 0, 0) + ds_grid_get(g, 1, 0)",
                   text("abcdz")},
        ResultCase{"g = ds_grid_create(2, 1); ds_grid_set(g, 0, 0, 'ab'); ds_grid_add(g, 0, 0, "
                   "4); ds_grid_add(g, 1, 0, 2); ds_grid_multiply_region(g, 0, 0, 1, 0, 3); "
                   "return ds_grid_get(g, 0, 0) * 10 + ds_grid_get(g, 1, 0)",
                   RValue(126.0)},
        ResultCase{"g = ds_grid_create(4, 4); ds_grid_set(g, 2, 3, 'v'); ds_grid_set(g, 3, 1, "
                   "'v'); return ds_grid_value_x(g, 0, 0, 3, 3, 'v') * 10 + "
                   "ds_grid_value_y(g, 0, 0, 3, 3, 'v') + ds_grid_value_exists(g, 0, 0, 1, 3, "
                   "'v') * 100",
                   RValue(23.0)},
        ResultCase{"g = ds_grid_create(9, 9); ds_grid_set(g, 6, 4, 7); return "
                   "ds_grid_value_disk_x(g, 4, 4, 2, 7) * 10 + ds_grid_value_disk_exists(g, 4, "
                   "4, 1.9, 7)",
                   RValue(60.0)},
        ResultCase{"g = ds_grid_create(3, 2); ds_grid_set(g, 2, 1, 5); ds_grid_set(g, 0, 0, 1); "
                   "ds_grid_resize(g, 2, 4); return ds_grid_width(g) * 1000 + ds_grid_height(g) "
                   "* 100 + ds_grid_get_sum(g, 0, 0, 9, 9) * 10 + ds_grid_get(g, 0, 0)",
                   RValue(2411.0)},
        ResultCase{"g = ds_grid_create(-3, 2); return ds_grid_width(g) * 10 + "
                   "ds_grid_get_sum(g, 0, 0, 9, 9)",
                   RValue(0.0)}));

INSTANTIATE_TEST_SUITE_P(
    Ids, Results,
    ::testing::Values(
        ResultCase{"a = ds_list_create(); b = ds_list_create(); ds_list_destroy(a); return "
                   "ds_list_create() * 10 + ds_list_create()",
                   RValue(2.0)},
        ResultCase{"l = ds_list_create(); s = ds_stack_create(); ds_stack_push(s, 4); "
                   "ds_list_add(l, 5); return l * 100 + s * 10 + ds_stack_top(0)",
                   RValue(4.0)}));

// ---- Priority queues against a plain scan ----

// The queue as the text form describes it: pairs in order, the first kept
// until a priority beyond the tolerance of its own turns up, a removal moving
// the last pair into the gap.
struct ScannedQueue {
  std::vector<double> values;
  std::vector<RValue> priorities;

  double extreme(bool largest, bool remove, double precision) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < priorities.size(); ++i) {
      if (compare_values(priorities[i], priorities[best], precision) == (largest ? 1 : -1)) {
        best = i;
      }
    }
    const double value = values[best];
    if (remove) {
      values[best] = values.back();
      std::swap(priorities[best], priorities.back());
      values.pop_back();
      priorities.pop_back();
    }
    return value;
  }
};

// Priorities near each other, equal, infinite, not-a-number and strings, so
// that the index of the queue meets every case where it must step aside.
TEST(PriorityQueue, PicksWhatAScanInOrderPicks) {
  const RValue pool[] = {RValue(1.0),          RValue(1.0 + 6e-9), RValue(1.0 + 1.2e-8),
                         RValue(1.0 + 3e-8),   RValue(2.0),        RValue(-0.0),
                         RValue(0.0),          RValue(kInfinity),  RValue(-kInfinity),
                         RValue(std::nan("")), text("a"),          text("b")};
  std::mt19937 random(17);
  for (const double precision : {1e-8, 0.0}) {
    CDS_Priority queue;
    ScannedQueue scanned;
    for (int step = 0; step < 4000; ++step) {
      const std::uint32_t choice = random() % 8;
      if (choice < 4 || scanned.values.empty()) {
        const RValue& priority = pool[random() % std::size(pool)];
        queue.add(RValue(double(step)), priority);
        scanned.values.push_back(step);
        scanned.priorities.push_back(priority);
      } else if (choice == 4) {
        const std::size_t at = random() % scanned.values.size();
        const RValue& priority = pool[random() % std::size(pool)];
        queue.change_priority(RValue(scanned.values[at]), priority, precision);
        scanned.priorities[at] = priority;
      } else {
        const bool largest = choice == 5;
        const bool remove = choice != 7;
        ASSERT_EQ(queue.extreme(largest, remove, precision).real(),
                  scanned.extreme(largest, remove, precision))
            << "step " << step << " at precision " << precision;
      }
    }
  }
}

// ---- Sorting ----

struct SortCase {
  const char* fill;  // game code that fills list l
  bool ascending;
  const char* expected;
};

void PrintTo(const SortCase& c, std::ostream* os) {
  *os << c.fill << (c.ascending ? " ascending" : " descending");
}

class Sorting : public DataStructureCode, public ::testing::WithParamInterface<SortCase> {};

TEST_P(Sorting, KeepsTheInsertionOrder) {
  const std::string program = std::string("l = ds_list_create(); ") + GetParam().fill +
                              "; ds_list_sort(l, " + (GetParam().ascending ? "1" : "0") + ")";
  ASSERT_TRUE(run(program)) << engine.errors.last_text;
  EXPECT_EQ(list_contents(0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    MixedValues, Sorting,
    ::testing::Values(
        SortCase{"ds_list_add(l, 3); ds_list_add(l, 'a'); ds_list_add(l, 1)", true, "1 3 'a'"},
        SortCase{"ds_list_add(l, 3); ds_list_add(l, 'a'); ds_list_add(l, 1)", false, "'a' 3 1"},
        SortCase{"ds_list_add(l, 'b'); ds_list_add(l, 'B'); ds_list_add(l, -2); ds_list_add(l, "
                 "'ab')",
                 true, "-2 'B' 'ab' 'b'"},
        // Equal within the tolerance: ascending keeps their order, descending
        // reverses it.
        SortCase{"ds_set_precision(0.5); ds_list_add(l, 1.2); ds_list_add(l, 3); ds_list_add(l, "
                 "1)",
                 true, "1.2 1 3"},
        SortCase{"ds_set_precision(0.5); ds_list_add(l, 1); ds_list_add(l, 3); ds_list_add(l, "
                 "1.2)",
                 false, "3 1.2 1"},
        SortCase{"", true, ""}));

TEST_F(DataStructureCode, ListPositionsOutsideTheListAreIgnored) {
  ASSERT_TRUE(
      run("l = ds_list_create(); ds_list_add(l, 1); ds_list_insert(l, 2, 9); ds_list_insert(l, "
          "-1, 9); ds_list_replace(l, 1, 9); ds_list_delete(l, 1); ds_list_insert(l, 1, 2); "
          "ds_list_insert(l, 0, 0); ds_list_replace(l, 2, 'r'); ds_list_delete(l, 1); "
          "return ds_list_find_value(l, 5)"));
  EXPECT_EQ(list_contents(0), "0 'r'");
  EXPECT_EQ(result.real(), 0);
}

// ---- Random order from the game's generator ----

TEST_F(DataStructureCode, ShufflesDrawFromTheGameGenerator) {
  // A shuffle of n elements draws 16 n numbers; a grid of w x h draws 32 w h.
  ASSERT_TRUE(
      run("l = ds_list_create(); for (i = 0; i < 10; i += 1) ds_list_add(l, i); g = "
          "ds_grid_create(3, 2); random_set_seed(7); ds_list_shuffle(l); ds_grid_shuffle(g); a = "
          "random_get_seed(); random_set_seed(7); repeat (160 + 192) irandom(5); return a - "
          "random_get_seed()"));
  EXPECT_EQ(result.real(), 0);
  const std::string shuffled = list_contents(0);
  EXPECT_NE(shuffled, "0 1 2 3 4 5 6 7 8 9");
  ASSERT_TRUE(run("ds_list_sort(l, 1); random_set_seed(7); ds_list_shuffle(l)"));
  EXPECT_EQ(list_contents(0), shuffled);
}

// ---- Grid region copies ----

TEST_F(DataStructureCode, GridRegionCopiesOntoThemselvesDoNotSmear) {
  // Row 0 holds 1 2 3 4 5; copying columns 0..3 one cell right must give
  // 1 1 2 3 4, and one cell left 2 3 4 5 5.
  ASSERT_TRUE(
      run("g = ds_grid_create(5, 1); h = ds_grid_create(5, 1); for (i = 0; i < 5; i += 1) { "
          "ds_grid_set(g, i, 0, i + 1); ds_grid_set(h, i, 0, i + 1) } "
          "ds_grid_set_grid_region(g, g, 0, 0, 3, 0, 1, 0); "
          "ds_grid_set_grid_region(h, h, 1, 0, 4, 0, 0, 0); "
          "a = 0; b = 0; for (i = 0; i < 5; i += 1) { a = a * 10 + ds_grid_get(g, i, 0); "
          "b = b * 10 + ds_grid_get(h, i, 0) } return string(a) + ' ' + string(b)"));
  EXPECT_EQ(result.str(), "11234 23455");
}

TEST_F(DataStructureCode, GridRegionCopiesClipAtBothGrids) {
  // Source columns 0..2 of a 3 x 3 grid of 1..9 (column-major), placed at
  // (-1, 1) in a 2 x 2 grid: column 0 is skipped, row 2 would fall outside.
  ASSERT_TRUE(
      run("s = ds_grid_create(3, 3); for (i = 0; i < 3; i += 1) for (j = 0; j < 3; j += 1) "
          "ds_grid_set(s, i, j, i * 3 + j + 1); d = ds_grid_create(2, 2); "
          "ds_grid_add_grid_region(d, s, 2, 2, 0, 0, -1, 1); ds_grid_multiply_grid_region(d, s, "
          "0, 0, 0, 0, 1, 0); return string(ds_grid_get(d, 0, 0)) + string(ds_grid_get(d, 0, 1)) "
          "+ string(ds_grid_get(d, 1, 0)) + string(ds_grid_get(d, 1, 1))"));
  EXPECT_EQ(result.str(), "0407");
}

// ---- Reports ----

struct ReportCase {
  const char* program;
  const char* message;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
  *os << c.program;
}

class Reports : public DataStructureCode, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(Reports, NameTheProblem) {
  const RValue value = returned(GetParam().program);
  ASSERT_TRUE(engine.errors.error_occurred) << GetParam().program;
  EXPECT_TRUE(engine.errors.error_last.ends_with(GetParam().message)) << engine.errors.error_last;
  EXPECT_EQ(value.real(), 0) << GetParam().program;
}

INSTANTIATE_TEST_SUITE_P(
    MissingStructures, Reports,
    ::testing::Values(ReportCase{"return ds_list_size(0)", kNoSuchStructure},
                      ReportCase{"s = ds_stack_create(); ds_stack_destroy(s); return "
                                 "ds_stack_empty(s)",
                                 kNoSuchStructure},
                      ReportCase{"l = ds_list_create(); ds_list_destroy(l); ds_list_destroy(l)",
                                 kNoSuchStructure},
                      ReportCase{"l = ds_list_create(); ds_list_copy(l, 3)", kNoSuchStructure},
                      ReportCase{"g = ds_grid_create(2, 2); return ds_grid_set_grid_region(g, 1, "
                                 "0, 0, 1, 1, 0, 0)",
                                 kNoSuchStructure},
                      ReportCase{"l = ds_list_create(); return ds_map_size(l)", kNoSuchStructure}));

TEST_F(DataStructureCode, GridsThatWouldNeedGigabytesAreRefused) {
  EXPECT_EQ(returned("return ds_grid_create(100000, 100000)").real(), -1);
  EXPECT_TRUE(engine.errors.error_last.ends_with(
      "A grid of 100000 by 100000 cells is too large (at most 16777216 cells)."))
      << engine.errors.error_last;
  engine.errors.error_occurred = false;
  EXPECT_EQ(returned("g = ds_grid_create(4, 4); ds_grid_set(g, 3, 3, 2); ds_grid_resize(g, "
                     "70000, 70000); return ds_grid_width(g) * 10 + ds_grid_get(g, 3, 3)")
                .real(),
            42);
  EXPECT_TRUE(engine.errors.error_occurred);
}

// ---- Text forms ----

std::string hex_int(std::int32_t value) {
  char text[9];
  const auto bits = static_cast<std::uint32_t>(value);
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X", bits & 255, (bits >> 8) & 255,
                (bits >> 16) & 255, bits >> 24);
  return text;
}
std::string hex_real(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, 8);
  return hex_int(std::int32_t(bits & 0xFFFFFFFF)) + hex_int(std::int32_t(bits >> 32));
}
std::string real_element(double value) {
  return hex_int(0) + hex_real(value) + hex_int(0);
}
std::string string_element(std::string_view value) {
  std::string text = hex_int(1) + hex_real(0) + hex_int(std::int32_t(value.size()));
  for (unsigned char c : value) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", c);
    text += digits;
  }
  return text;
}
std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

struct FormCase {
  const char* program;  // returns a text form
  std::string expected;
};

void PrintTo(const FormCase& c, std::ostream* os) {
  *os << c.program;
}

class TextForms : public DataStructureCode, public ::testing::WithParamInterface<FormCase> {};

TEST_P(TextForms, AreByteForByte) {
  EXPECT_EQ(returned(GetParam().program).str(), GetParam().expected) << GetParam().program;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, TextForms,
    ::testing::Values(
        FormCase{"return ds_stack_write(ds_stack_create())", "6500000000000000"},
        FormCase{"s = ds_stack_create(); ds_stack_push(s, 1); return ds_stack_write(s)",
                 "650000000100000000000000000000000000F03F00000000"},
        FormCase{"l = ds_list_create(); ds_list_add(l, 'ab'); ds_list_add(l, -2.5); return "
                 "ds_list_write(l)",
                 hex_int(301) + hex_int(2) + string_element("ab") + real_element(-2.5)},
        // The queue's whole array: the spent slot before the head and the
        // spare ones after the tail.
        FormCase{"q = ds_queue_create(); ds_queue_enqueue(q, 7); ds_queue_enqueue(q, 'x'); "
                 "ds_queue_dequeue(q); return ds_queue_write(q)",
                 hex_int(201) + hex_int(2) + hex_int(1) + hex_int(16) + real_element(7) +
                     string_element("x") + repeated(real_element(0), 14)},
        FormCase{"return ds_queue_write(ds_queue_create())",
                 hex_int(201) + hex_int(0) + hex_int(0) + hex_int(0)},
        FormCase{"m = ds_map_create(); ds_map_add(m, 'k', 2); ds_map_add(m, 1, 'v'); return "
                 "ds_map_write(m)",
                 hex_int(401) + hex_int(2) + real_element(1) + string_element("k") +
                     string_element("v") + real_element(2)},
        FormCase{"p = ds_priority_create(); ds_priority_add(p, 'v', 3); ds_priority_add(p, 4, "
                 "1); return ds_priority_write(p)",
                 hex_int(501) + hex_int(2) + real_element(3) + real_element(1) +
                     string_element("v") + real_element(4)},
        FormCase{"g = ds_grid_create(2, 2); ds_grid_set(g, 1, 0, 5); ds_grid_set(g, 0, 1, 'c'); "
                 "return ds_grid_write(g)",
                 hex_int(601) + hex_int(2) + hex_int(2) + real_element(0) + string_element("c") +
                     real_element(5) + real_element(0)}));

TEST_F(DataStructureCode, QueueSpentSlotsAreReclaimedAfterSeventeen) {
  const std::string form =
      returned(
          "q = ds_queue_create(); for (i = 0; i < 20; i += 1) ds_queue_enqueue(q, i); for (i = 0; "
          "i < 17; i += 1) ds_queue_dequeue(q); return ds_queue_write(q)")
          .str();
  // Three left at the front; the old values past the new tail stay.
  std::string expected = hex_int(201) + hex_int(3) + hex_int(0) + hex_int(32);
  for (int i = 17; i < 20; ++i) expected += real_element(i);
  for (int i = 3; i < 20; ++i) expected += real_element(i);
  expected += repeated(real_element(0), 12);
  EXPECT_EQ(form, expected);
}

// Each kind written, read into a fresh container and written again.
TEST_F(DataStructureCode, TextFormsReadBackWhole) {
  const char* kinds[] = {"stack", "queue", "list", "map", "priority", "grid"};
  const char* fills[] = {
      "ds_stack_push(a, 1); ds_stack_push(a, 'two')",
      "ds_queue_enqueue(a, 1); ds_queue_enqueue(a, 'two'); ds_queue_dequeue(a)",
      "ds_list_add(a, 'two'); ds_list_add(a, 1)",
      "ds_map_add(a, 'two', 2); ds_map_add(a, 1, 'one'); ds_map_add(a, 1, 'uno')",
      "ds_priority_add(a, 'two', 2); ds_priority_add(a, 1, 1)",
      "ds_grid_set(a, 2, 1, 'two'); ds_grid_set(a, 0, 1, 1)",
  };
  for (int k = 0; k < 6; ++k) {
    const std::string kind = kinds[k];
    const std::string create = kind == "grid" ? "ds_grid_create(3, 2)" : "ds_" + kind + "_create()";
    const std::string program = "a = " + create + "; b = " + create + "; " + fills[k] +
                                "; t = ds_" + kind + "_write(a); ds_" + kind +
                                "_read(b, t); return t + '/' + ds_" + kind + "_write(b)";
    const std::string both = returned(program).str();
    const std::size_t slash = both.find('/');
    ASSERT_NE(slash, std::string::npos) << kind;
    EXPECT_EQ(both.substr(0, slash), both.substr(slash + 1)) << kind;
    EXPECT_FALSE(engine.errors.error_occurred) << engine.errors.error_last;
  }
}

TEST_F(DataStructureCode, ReadQueuesGoOnFromTheirHead) {
  EXPECT_EQ(returned("a = ds_queue_create(); ds_queue_enqueue(a, 1); ds_queue_enqueue(a, 2); "
                     "ds_queue_dequeue(a); b = ds_queue_create(); ds_queue_read(b, "
                     "ds_queue_write(a)); ds_queue_enqueue(b, 3); return ds_queue_dequeue(b) * "
                     "10 + ds_queue_dequeue(b) + ds_queue_size(b) * 100")
                .real(),
            23);
}

// Texts of another kind, or damaged ones, leave the container as it was.
struct BadTextCase {
  const char* kind;
  std::string text;
};

void PrintTo(const BadTextCase& c, std::ostream* os) {
  *os << c.kind << " " << c.text;
}

class BadTexts : public DataStructureCode, public ::testing::WithParamInterface<BadTextCase> {};

TEST_P(BadTexts, LeaveTheContainerAsItWas) {
  const std::string kind = GetParam().kind;
  const std::string create = kind == "grid" ? "ds_grid_create(2, 1)" : "ds_" + kind + "_create()";
  const std::string fill = kind == "stack"      ? "ds_stack_push(a, 5)"
                           : kind == "queue"    ? "ds_queue_enqueue(a, 5)"
                           : kind == "list"     ? "ds_list_add(a, 5)"
                           : kind == "map"      ? "ds_map_add(a, 5, 5)"
                           : kind == "priority" ? "ds_priority_add(a, 5, 5)"
                                                : "ds_grid_set(a, 1, 0, 5)";
  self->variables.set(engine.variable_index("bad"), 0, RValue(std::string_view(GetParam().text)));
  const std::string program = "a = " + create + "; " + fill + "; t = ds_" + kind +
                              "_write(a); ds_" + kind + "_read(a, bad); return t == ds_" + kind +
                              "_write(a)";
  EXPECT_EQ(returned(program).real(), 1) << kind << " " << GetParam().text;
  EXPECT_FALSE(engine.errors.error_occurred) << engine.errors.error_last;
}

INSTANTIATE_TEST_SUITE_P(
    ForeignAndDamaged, BadTexts,
    ::testing::Values(
        BadTextCase{"stack", hex_int(301) + hex_int(0)}, BadTextCase{"list", "6500000000000000"},
        BadTextCase{"list", ""}, BadTextCase{"list", "2D01"},
        // A count far beyond the text: refused before anything is made.
        BadTextCase{"list", hex_int(301) + hex_int(0x7FFFFFFF) + real_element(1)},
        BadTextCase{"stack", hex_int(101) + hex_int(-1)},
        BadTextCase{"stack", hex_int(101) + hex_int(2) + real_element(1)},
        BadTextCase{"stack", hex_int(101) + hex_int(1) + hex_int(1) + hex_real(0) + hex_int(50)},
        BadTextCase{"queue", hex_int(201) + hex_int(1) + hex_int(2) + hex_int(2) +
                                 repeated(real_element(0), 2)},
        BadTextCase{"queue", hex_int(201) + hex_int(3) + hex_int(0) + hex_int(2) +
                                 repeated(real_element(0), 2)},
        BadTextCase{"map", hex_int(401) + hex_int(1) + real_element(1)},
        BadTextCase{"priority", hex_int(501) + hex_int(2) + repeated(real_element(1), 3)},
        BadTextCase{"grid", hex_int(601) + hex_int(100000) + hex_int(100000)},
        BadTextCase{"grid", hex_int(601) + hex_int(-2) + hex_int(-2)},
        BadTextCase{"grid", hex_int(601) + hex_int(1) + hex_int(2) + real_element(0)}));

TEST_F(DataStructureCode, TextsAreReadTwoDigitsAtATime) {
  // Lower-case digits read; a last odd digit is left over; anything else
  // reads as a zero digit.
  EXPECT_EQ(returned("s = ds_stack_create(); ds_stack_read(s, '650000000100000000000000000000000"
                     "000f03f00000000A'); return ds_stack_top(s)")
                .real(),
            1);
  EXPECT_EQ(returned("s = ds_stack_create(); ds_stack_push(s, 9); ds_stack_read(s, "
                     "'65zz0000zzzzzzzz'); return "
                     "ds_stack_size(s)")
                .real(),
            0);
}

TEST_F(DataStructureCode, UnknownKindsInTextsReadAsReals) {
  const std::string text = hex_int(301) + hex_int(1) + hex_int(7) + hex_real(2) + hex_int(1) + "41";
  self->variables.set(engine.variable_index("t"), 0, RValue(std::string_view(text)));
  EXPECT_EQ(returned("l = ds_list_create(); ds_list_read(l, t); return "
                     "ds_list_find_value(l, 0) + is_real(ds_list_find_value(l, 0))")
                .real(),
            3);
}

}  // namespace
}  // namespace kestrel
