#include "lib/Function_Data_Structures.h"

#include <cmath>
#include <string>

#include "data/Support_Stream.h"
#include "lib/Support_Data_Structures.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr char kNoSuchStructure[] = "Data structure with index does not exist.";
constexpr char kGridTooLarge[] = "A grid of %lld by %lld cells is too large (at most %lld cells).";

using Args = const RValue*;

std::int32_t whole(const RValue& value) {
  return round_to_int32(value.real());
}

// What a function on one container gets besides the container: the game's
// tables, its engine, the result and the arguments after the id.
struct Use {
  DataStructures& tables;
  ScriptEngine& engine;
  RValue& result;
  Args args;
};

template <class Kind>
StructureTable<Kind>& table(DataStructures& tables) {
  if constexpr (std::is_same_v<Kind, CDS_Stack>) return tables.stacks;
  if constexpr (std::is_same_v<Kind, CDS_Queue>) return tables.queues;
  if constexpr (std::is_same_v<Kind, CDS_List>) return tables.lists;
  if constexpr (std::is_same_v<Kind, CDS_Map>) return tables.maps;
  if constexpr (std::is_same_v<Kind, CDS_Priority>) return tables.priorities;
  if constexpr (std::is_same_v<Kind, CDS_Grid>) return tables.grids;
}

// The container an id names, reported when there is none.
template <class Kind>
Kind* existing(const Use& use, const RValue& id) {
  Kind* structure = table<Kind>(use.tables).find(whole(id));
  if (structure == nullptr) report_action_error(use.engine, kNoSuchStructure, false);
  return structure;
}

// A built-in function on the container named by its first argument.
template <class Kind, void (*action)(Kind&, const Use&)>
void on(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result, Args args) {
  const Use use{data_structures_of(engine), engine, result, args + 1};
  if (Kind* structure = existing<Kind>(use, args[0])) action(*structure, use);
}

// ---- Every kind ----

void set_precision(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  DataStructures& tables = data_structures_of(engine);
  // Additions waiting in a map are placed under the tolerance they came with.
  tables.maps.each([](const CDS_Map& map) { map.settle(); });
  tables.precision = std::fabs(args[0].real());
}

template <class Kind>
Kind empty_structure(DataStructures& tables) {
  if constexpr (std::is_same_v<Kind, CDS_Map>) {
    return CDS_Map(tables.precision);
  } else {
    return Kind();
  }
}

template <class Kind>
void create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result, Args) {
  DataStructures& tables = data_structures_of(engine);
  result.set_real(table<Kind>(tables).create(empty_structure<Kind>(tables)));
}

template <class Kind>
void destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
             Args args) {
  const Use use{data_structures_of(engine), engine, result, args + 1};
  if (existing<Kind>(use, args[0]) != nullptr) table<Kind>(use.tables).destroy(whole(args[0]));
}

template <class Kind>
void clear(Kind& structure, const Use&) {
  structure.clear();
}

template <class Kind>
void copy(Kind& structure, const Use& use) {
  if (const Kind* source = existing<Kind>(use, use.args[0])) structure = *source;
}

template <class Kind>
void size(Kind& structure, const Use& use) {
  use.result.set_real(structure.size());
}

template <class Kind>
void empty(Kind& structure, const Use& use) {
  use.result.set_real(structure.size() == 0 ? 1 : 0);
}

template <class Kind>
void write(Kind& structure, const Use& use) {
  CStream stream;
  structure.write(stream);
  use.result.set_text(StreamToHex(stream));
}

// A text of another kind, or a damaged one, leaves the container as it was.
template <class Kind>
void read(Kind& structure, const Use& use) {
  CStream stream;
  HexToStream(stream, use.args[0].is_string() ? use.args[0].text() : std::string_view());
  std::optional<Kind> decoded;
  if constexpr (std::is_same_v<Kind, CDS_Map>) {
    decoded = Kind::read(stream, use.tables.precision);
  } else {
    decoded = Kind::read(stream);
  }
  if (decoded) structure = std::move(*decoded);
}

// ---- Stacks and queues ----

void stack_push(CDS_Stack& stack, const Use& use) {
  stack.push(use.args[0]);
}
void stack_pop(CDS_Stack& stack, const Use& use) {
  use.result = stack.pop();
}
void stack_top(CDS_Stack& stack, const Use& use) {
  use.result = stack.top();
}

void queue_enqueue(CDS_Queue& queue, const Use& use) {
  queue.enqueue(use.args[0]);
}
void queue_dequeue(CDS_Queue& queue, const Use& use) {
  use.result = queue.dequeue();
}
void queue_head(CDS_Queue& queue, const Use& use) {
  use.result = queue.head();
}
void queue_tail(CDS_Queue& queue, const Use& use) {
  use.result = queue.tail();
}

// ---- Lists ----

void list_add(CDS_List& list, const Use& use) {
  list.add(use.args[0]);
}
void list_insert(CDS_List& list, const Use& use) {
  list.insert(whole(use.args[0]), use.args[1]);
}
void list_replace(CDS_List& list, const Use& use) {
  list.replace(whole(use.args[0]), use.args[1]);
}
void list_delete(CDS_List& list, const Use& use) {
  list.erase(whole(use.args[0]));
}
void list_find_index(CDS_List& list, const Use& use) {
  use.result.set_real(list.find_index(use.args[0], use.tables.precision));
}
void list_find_value(CDS_List& list, const Use& use) {
  use.result = list.find_value(whole(use.args[0]));
}
void list_sort(CDS_List& list, const Use& use) {
  list.sort(is_true(use.args[0]), use.tables.precision);
}
void list_shuffle(CDS_List& list, const Use& use) {
  list.shuffle(use.engine);
}

// ---- Maps ----

void map_add(CDS_Map& map, const Use& use) {
  map.add(use.args[0], use.args[1]);
}
void map_replace(CDS_Map& map, const Use& use) {
  map.replace(use.args[0], use.args[1]);
}
void map_delete(CDS_Map& map, const Use& use) {
  map.erase(use.args[0]);
}
void map_exists(CDS_Map& map, const Use& use) {
  use.result.set_real(map.exists(use.args[0]) ? 1 : 0);
}
template <RValue (CDS_Map::*find)(const RValue&) const>
void map_find_near(CDS_Map& map, const Use& use) {
  use.result = (map.*find)(use.args[0]);
}
template <RValue (CDS_Map::*find)() const>
void map_find_end(CDS_Map& map, const Use& use) {
  use.result = (map.*find)();
}

// ---- Priority queues ----

void priority_add(CDS_Priority& queue, const Use& use) {
  queue.add(use.args[0], use.args[1]);
}
void priority_change(CDS_Priority& queue, const Use& use) {
  queue.change_priority(use.args[0], use.args[1], use.tables.precision);
}
void priority_find(CDS_Priority& queue, const Use& use) {
  use.result = queue.find_priority(use.args[0], use.tables.precision);
}
void priority_delete_value(CDS_Priority& queue, const Use& use) {
  queue.delete_value(use.args[0], use.tables.precision);
}
template <bool largest, bool remove>
void priority_extreme(CDS_Priority& queue, const Use& use) {
  use.result = queue.extreme(largest, remove, use.tables.precision);
}

// ---- Grids ----

// True when the size fits; reported otherwise.
bool grid_fits(ScriptEngine& engine, std::int32_t width, std::int32_t height) {
  if (CDS_Grid::fits(width, height)) return true;
  char message[160];
  std::snprintf(message, sizeof message, kGridTooLarge, static_cast<long long>(width),
                static_cast<long long>(height), static_cast<long long>(CDS_Grid::kMaxCells));
  report_action_error(engine, message, false);
  return false;
}

// A grid that would not fit gives -1, which names no grid.
void grid_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args args) {
  const std::int32_t width = whole(args[0]);
  const std::int32_t height = whole(args[1]);
  if (!grid_fits(engine, width, height)) {
    result.set_real(-1);
    return;
  }
  result.set_real(data_structures_of(engine).grids.create(CDS_Grid(width, height)));
}

void grid_resize(CDS_Grid& grid, const Use& use) {
  const std::int32_t width = whole(use.args[0]);
  const std::int32_t height = whole(use.args[1]);
  if (grid_fits(use.engine, width, height)) grid.resize(width, height);
}
void grid_width(CDS_Grid& grid, const Use& use) {
  use.result.set_real(grid.width());
}
void grid_height(CDS_Grid& grid, const Use& use) {
  use.result.set_real(grid.height());
}
void grid_clear(CDS_Grid& grid, const Use& use) {
  grid.fill(use.args[0]);
}

GridArea region_at(Args args) {
  return GridArea::region(whole(args[0]), whole(args[1]), whole(args[2]), whole(args[3]));
}
GridArea disk_at(Args args) {
  return GridArea::disk(args[0].real(), args[1].real(), args[2].real());
}

template <CellChange how>
void grid_change(CDS_Grid& grid, const Use& use) {
  grid.change(whole(use.args[0]), whole(use.args[1]), how, use.args[2]);
}
template <CellChange how>
void grid_change_region(CDS_Grid& grid, const Use& use) {
  grid.change_area(region_at(use.args), how, use.args[4]);
}
template <CellChange how>
void grid_change_disk(CDS_Grid& grid, const Use& use) {
  grid.change_area(disk_at(use.args), how, use.args[3]);
}
template <CellChange how>
void grid_change_from_grid(CDS_Grid& grid, const Use& use) {
  if (const CDS_Grid* source = existing<CDS_Grid>(use, use.args[0])) {
    grid.change_from(*source, region_at(use.args + 1), whole(use.args[5]), whole(use.args[6]), how);
  }
}

void grid_get(CDS_Grid& grid, const Use& use) {
  use.result = grid.get(whole(use.args[0]), whole(use.args[1]));
}

enum class Statistic { sum, max, min, mean };
double pick(const GridStatistics& statistics, Statistic which) {
  switch (which) {
    case Statistic::sum:
      return statistics.sum;
    case Statistic::max:
      return statistics.max;
    case Statistic::min:
      return statistics.min;
    case Statistic::mean:
      return statistics.mean();
  }
  return 0;
}
template <Statistic which>
void grid_region_statistic(CDS_Grid& grid, const Use& use) {
  use.result.set_real(pick(grid.statistics(region_at(use.args)), which));
}
template <Statistic which>
void grid_disk_statistic(CDS_Grid& grid, const Use& use) {
  use.result.set_real(pick(grid.statistics(disk_at(use.args)), which));
}

enum class Answer { exists, x, y };
double pick(const GridMatch& match, Answer which) {
  switch (which) {
    case Answer::exists:
      return match.found ? 1 : 0;
    case Answer::x:
      return match.x;
    case Answer::y:
      return match.y;
  }
  return 0;
}
template <Answer which>
void grid_region_search(CDS_Grid& grid, const Use& use) {
  use.result.set_real(
      pick(grid.find(region_at(use.args), use.args[4], use.tables.precision), which));
}
template <Answer which>
void grid_disk_search(CDS_Grid& grid, const Use& use) {
  use.result.set_real(pick(grid.find(disk_at(use.args), use.args[3], use.tables.precision), which));
}

void grid_shuffle(CDS_Grid& grid, const Use& use) {
  grid.shuffle(use.engine);
}

}  // namespace

void register_data_structure_functions(FunctionRegistry& functions) {
  using Stack = CDS_Stack;
  using Queue = CDS_Queue;
  using List = CDS_List;
  using Map = CDS_Map;
  using Priority = CDS_Priority;
  using Grid = CDS_Grid;
  functions.add("ds_set_precision", &set_precision, 1);
  functions.add("ds_stack_create", &create<Stack>, 0);
  functions.add("ds_stack_destroy", &destroy<Stack>, 1);
  functions.add("ds_stack_clear", &on<Stack, clear<Stack>>, 1);
  functions.add("ds_stack_copy", &on<Stack, copy<Stack>>, 2);
  functions.add("ds_stack_size", &on<Stack, size<Stack>>, 1);
  functions.add("ds_stack_empty", &on<Stack, empty<Stack>>, 1);
  functions.add("ds_stack_push", &on<Stack, stack_push>, 2);
  functions.add("ds_stack_pop", &on<Stack, stack_pop>, 1);
  functions.add("ds_stack_top", &on<Stack, stack_top>, 1);
  functions.add("ds_stack_write", &on<Stack, write<Stack>>, 1);
  functions.add("ds_stack_read", &on<Stack, read<Stack>>, 2);
  functions.add("ds_queue_create", &create<Queue>, 0);
  functions.add("ds_queue_destroy", &destroy<Queue>, 1);
  functions.add("ds_queue_clear", &on<Queue, clear<Queue>>, 1);
  functions.add("ds_queue_copy", &on<Queue, copy<Queue>>, 2);
  functions.add("ds_queue_size", &on<Queue, size<Queue>>, 1);
  functions.add("ds_queue_empty", &on<Queue, empty<Queue>>, 1);
  functions.add("ds_queue_enqueue", &on<Queue, queue_enqueue>, 2);
  functions.add("ds_queue_dequeue", &on<Queue, queue_dequeue>, 1);
  functions.add("ds_queue_head", &on<Queue, queue_head>, 1);
  functions.add("ds_queue_tail", &on<Queue, queue_tail>, 1);
  functions.add("ds_queue_write", &on<Queue, write<Queue>>, 1);
  functions.add("ds_queue_read", &on<Queue, read<Queue>>, 2);
  functions.add("ds_list_create", &create<List>, 0);
  functions.add("ds_list_destroy", &destroy<List>, 1);
  functions.add("ds_list_clear", &on<List, clear<List>>, 1);
  functions.add("ds_list_copy", &on<List, copy<List>>, 2);
  functions.add("ds_list_size", &on<List, size<List>>, 1);
  functions.add("ds_list_empty", &on<List, empty<List>>, 1);
  functions.add("ds_list_add", &on<List, list_add>, 2);
  functions.add("ds_list_insert", &on<List, list_insert>, 3);
  functions.add("ds_list_replace", &on<List, list_replace>, 3);
  functions.add("ds_list_delete", &on<List, list_delete>, 2);
  functions.add("ds_list_find_index", &on<List, list_find_index>, 2);
  functions.add("ds_list_find_value", &on<List, list_find_value>, 2);
  functions.add("ds_list_sort", &on<List, list_sort>, 2);
  functions.add("ds_list_shuffle", &on<List, list_shuffle>, 1);
  functions.add("ds_list_write", &on<List, write<List>>, 1);
  functions.add("ds_list_read", &on<List, read<List>>, 2);
  functions.add("ds_map_create", &create<Map>, 0);
  functions.add("ds_map_destroy", &destroy<Map>, 1);
  functions.add("ds_map_clear", &on<Map, clear<Map>>, 1);
  functions.add("ds_map_copy", &on<Map, copy<Map>>, 2);
  functions.add("ds_map_size", &on<Map, size<Map>>, 1);
  functions.add("ds_map_empty", &on<Map, empty<Map>>, 1);
  functions.add("ds_map_add", &on<Map, map_add>, 3);
  functions.add("ds_map_replace", &on<Map, map_replace>, 3);
  functions.add("ds_map_delete", &on<Map, map_delete>, 2);
  functions.add("ds_map_exists", &on<Map, map_exists>, 2);
  functions.add("ds_map_find_value", &on<Map, map_find_near<&Map::find_value>>, 2);
  functions.add("ds_map_find_previous", &on<Map, map_find_near<&Map::find_previous>>, 2);
  functions.add("ds_map_find_next", &on<Map, map_find_near<&Map::find_next>>, 2);
  functions.add("ds_map_find_first", &on<Map, map_find_end<&Map::find_first>>, 1);
  functions.add("ds_map_find_last", &on<Map, map_find_end<&Map::find_last>>, 1);
  functions.add("ds_map_write", &on<Map, write<Map>>, 1);
  functions.add("ds_map_read", &on<Map, read<Map>>, 2);
  functions.add("ds_priority_create", &create<Priority>, 0);
  functions.add("ds_priority_destroy", &destroy<Priority>, 1);
  functions.add("ds_priority_clear", &on<Priority, clear<Priority>>, 1);
  functions.add("ds_priority_copy", &on<Priority, copy<Priority>>, 2);
  functions.add("ds_priority_size", &on<Priority, size<Priority>>, 1);
  functions.add("ds_priority_empty", &on<Priority, empty<Priority>>, 1);
  functions.add("ds_priority_add", &on<Priority, priority_add>, 3);
  functions.add("ds_priority_change_priority", &on<Priority, priority_change>, 3);
  functions.add("ds_priority_find_priority", &on<Priority, priority_find>, 2);
  functions.add("ds_priority_delete_value", &on<Priority, priority_delete_value>, 2);
  functions.add("ds_priority_delete_min", &on<Priority, priority_extreme<false, true>>, 1);
  functions.add("ds_priority_find_min", &on<Priority, priority_extreme<false, false>>, 1);
  functions.add("ds_priority_delete_max", &on<Priority, priority_extreme<true, true>>, 1);
  functions.add("ds_priority_find_max", &on<Priority, priority_extreme<true, false>>, 1);
  functions.add("ds_priority_write", &on<Priority, write<Priority>>, 1);
  functions.add("ds_priority_read", &on<Priority, read<Priority>>, 2);
  functions.add("ds_grid_create", &grid_create, 2);
  functions.add("ds_grid_destroy", &destroy<Grid>, 1);
  functions.add("ds_grid_copy", &on<Grid, copy<Grid>>, 2);
  functions.add("ds_grid_resize", &on<Grid, grid_resize>, 3);
  functions.add("ds_grid_width", &on<Grid, grid_width>, 1);
  functions.add("ds_grid_height", &on<Grid, grid_height>, 1);
  functions.add("ds_grid_clear", &on<Grid, grid_clear>, 2);
  functions.add("ds_grid_set", &on<Grid, grid_change<CellChange::set>>, 4);
  functions.add("ds_grid_add", &on<Grid, grid_change<CellChange::add>>, 4);
  functions.add("ds_grid_multiply", &on<Grid, grid_change<CellChange::multiply>>, 4);
  functions.add("ds_grid_set_region", &on<Grid, grid_change_region<CellChange::set>>, 6);
  functions.add("ds_grid_add_region", &on<Grid, grid_change_region<CellChange::add>>, 6);
  functions.add("ds_grid_multiply_region", &on<Grid, grid_change_region<CellChange::multiply>>, 6);
  functions.add("ds_grid_set_disk", &on<Grid, grid_change_disk<CellChange::set>>, 5);
  functions.add("ds_grid_add_disk", &on<Grid, grid_change_disk<CellChange::add>>, 5);
  functions.add("ds_grid_multiply_disk", &on<Grid, grid_change_disk<CellChange::multiply>>, 5);
  functions.add("ds_grid_set_grid_region", &on<Grid, grid_change_from_grid<CellChange::set>>, 8);
  functions.add("ds_grid_add_grid_region", &on<Grid, grid_change_from_grid<CellChange::add>>, 8);
  functions.add("ds_grid_multiply_grid_region",
                &on<Grid, grid_change_from_grid<CellChange::multiply>>, 8);
  functions.add("ds_grid_get", &on<Grid, grid_get>, 3);
  functions.add("ds_grid_get_sum", &on<Grid, grid_region_statistic<Statistic::sum>>, 5);
  functions.add("ds_grid_get_max", &on<Grid, grid_region_statistic<Statistic::max>>, 5);
  functions.add("ds_grid_get_min", &on<Grid, grid_region_statistic<Statistic::min>>, 5);
  functions.add("ds_grid_get_mean", &on<Grid, grid_region_statistic<Statistic::mean>>, 5);
  functions.add("ds_grid_get_disk_sum", &on<Grid, grid_disk_statistic<Statistic::sum>>, 4);
  functions.add("ds_grid_get_disk_max", &on<Grid, grid_disk_statistic<Statistic::max>>, 4);
  functions.add("ds_grid_get_disk_min", &on<Grid, grid_disk_statistic<Statistic::min>>, 4);
  functions.add("ds_grid_get_disk_mean", &on<Grid, grid_disk_statistic<Statistic::mean>>, 4);
  functions.add("ds_grid_value_exists", &on<Grid, grid_region_search<Answer::exists>>, 6);
  functions.add("ds_grid_value_x", &on<Grid, grid_region_search<Answer::x>>, 6);
  functions.add("ds_grid_value_y", &on<Grid, grid_region_search<Answer::y>>, 6);
  functions.add("ds_grid_value_disk_exists", &on<Grid, grid_disk_search<Answer::exists>>, 5);
  functions.add("ds_grid_value_disk_x", &on<Grid, grid_disk_search<Answer::x>>, 5);
  functions.add("ds_grid_value_disk_y", &on<Grid, grid_disk_search<Answer::y>>, 5);
  functions.add("ds_grid_shuffle", &on<Grid, grid_shuffle>, 1);
  functions.add("ds_grid_write", &on<Grid, write<Grid>>, 1);
  functions.add("ds_grid_read", &on<Grid, read<Grid>>, 2);
}

}  // namespace kestrel
