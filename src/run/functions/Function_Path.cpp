#include <string>

#include "run/Motion_Path.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

constexpr char kDuplicateMissing[] = "Trying to duplicate non-existing path.";
constexpr char kAssignFailed[] = "Error assigning a path.";
constexpr char kAppendToMissing[] = "Appending to non-existing path.";
constexpr char kAppendMissing[] = "Appending a non-existing path.";
constexpr char kDeleteMissing[] = "Trying to delete non-existing path.";

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

ResourceList<CPath>& paths_of(ScriptEngine& engine) {
  return runner_of(engine).paths;
}

// The path the first argument names; null when it names nothing.
CPath* path_of(ScriptEngine& engine, Args a) {
  return paths_of(engine).get(whole(a[0]));
}

// Following paths.

void path_start_fn(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                   Args a) {
  path_start(runner_of(engine), instance_of(self), whole(a[0]), a[1].real(), whole(a[2]),
             a[3].real() >= 0.5);
}

void path_end(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&, Args) {
  instance_of(self).path_index = -1;
}

// Questions; a path that does not exist gives -1, and so does a point that
// does not exist.

void path_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args a) {
  result.set_real(path_of(engine, a) != nullptr ? 1 : 0);
}
void path_get_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args a) {
  result.set_text(paths_of(engine).name(whole(a[0])));
}

// A question about the whole path.
template <double (*ask)(const CPath&)>
void path_question(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args a) {
  const CPath* path = path_of(engine, a);
  result.set_real(path != nullptr ? ask(*path) : -1);
}
double length(const CPath& path) {
  return path.length;
}
double kind(const CPath& path) {
  return path.kind;
}
double closed(const CPath& path) {
  return path.closed ? 1 : 0;
}
double precision(const CPath& path) {
  return path.precision;
}
double point_count(const CPath& path) {
  return double(path.points.size());
}

// A field of defined point n.
template <double PathPoint::*field>
void path_point_question(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args a) {
  const CPath* path = path_of(engine, a);
  const int n = whole(a[1]);
  const bool exists = path != nullptr && n >= 0 && n < int(path->points.size());
  result.set_real(exists ? path->points[n].*field : -1);
}

// A field of the position at a fraction of the path.
template <double PathPoint::*field>
void path_position_question(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                            RValue& result, Args a) {
  const CPath* path = path_of(engine, a);
  result.set_real(path != nullptr ? path->PositionAt(a[1].real()).*field : -1);
}

// Changes of a path that exists; nothing happens to one that does not.
using PathChange = void (*)(CPath& path, Args arguments);

template <PathChange change>
void on_path(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (CPath* path = path_of(engine, a)) change(*path, a);
}

void set_kind(CPath& path, Args a) {
  path.kind = whole(a[1]);
  path.Recompute();
}
void set_closed(CPath& path, Args a) {
  path.closed = is_true(a[1]);
  path.Recompute();
}
void set_precision(CPath& path, Args a) {
  path.precision = whole(a[1]);
  path.Recompute();
}
void add_point(CPath& path, Args a) {
  path.AddPoint({a[1].real(), a[2].real(), a[3].real()});
}
void insert_point(CPath& path, Args a) {
  path.InsertPoint(whole(a[1]), {a[2].real(), a[3].real(), a[4].real()});
}
void change_point(CPath& path, Args a) {
  path.ChangePoint(whole(a[1]), {a[2].real(), a[3].real(), a[4].real()});
}
void delete_point(CPath& path, Args a) {
  path.DeletePoint(whole(a[1]));
}
void clear_points(CPath& path, Args) {
  path.ClearPoints();
}
void reverse(CPath& path, Args) {
  path.Reverse();
}
void mirror(CPath& path, Args) {
  path.Mirror();
}
void flip(CPath& path, Args) {
  path.Flip();
}
void rotate(CPath& path, Args a) {
  path.Rotate(a[1].real());
}
void scale(CPath& path, Args a) {
  path.Scale(a[1].real(), a[2].real());
}
void shift(CPath& path, Args a) {
  path.Shift(a[1].real(), a[2].real());
}

// Adding, copying and deleting paths.

// A new path named after its index.
int add_path(ResourceList<CPath>& paths, CPath path) {
  const int index = paths.count();
  paths.add("__newpath" + std::to_string(index), std::move(path));
  return index;
}

void path_add(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result, Args) {
  result.set_real(add_path(paths_of(engine), CPath{}));
}

void path_duplicate(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args a) {
  const CPath* path = path_of(engine, a);
  if (path == nullptr) {
    report_action_error(engine, kDuplicateMissing, false);
    result.set_real(-1);
    return;
  }
  result.set_real(add_path(paths_of(engine), *path));
}

void path_assign(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CPath* target = path_of(engine, a);
  const CPath* source = paths_of(engine).get(whole(a[1]));
  if (target == nullptr || source == nullptr) {
    report_action_error(engine, kAssignFailed, false);
    return;
  }
  target->Assign(*source);
}

void path_append(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CPath* target = path_of(engine, a);
  const CPath* source = paths_of(engine).get(whole(a[1]));
  if (target == nullptr || source == nullptr) {
    report_action_error(engine, target == nullptr ? kAppendToMissing : kAppendMissing, false);
    return;
  }
  target->Append(*source);
}

void path_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  ResourceList<CPath>& paths = paths_of(engine);
  if (!paths.exists(whole(a[0]))) {
    report_action_error(engine, kDeleteMissing, false);
    return;
  }
  paths.remove(whole(a[0]));
}

}  // namespace

void register_path_functions(FunctionRegistry& functions) {
  functions.add("path_start", &path_start_fn, 4);
  functions.add("path_end", &path_end, 0);

  functions.add("path_exists", &path_exists, 1);
  functions.add("path_name", &path_get_name, 1);
  functions.add("path_get_name", &path_get_name, 1);
  functions.add("path_get_length", &path_question<length>, 1);
  functions.add("path_get_kind", &path_question<kind>, 1);
  functions.add("path_get_closed", &path_question<closed>, 1);
  functions.add("path_get_precision", &path_question<precision>, 1);
  functions.add("path_get_number", &path_question<point_count>, 1);
  functions.add("path_get_point_x", &path_point_question<&PathPoint::x>, 2);
  functions.add("path_get_point_y", &path_point_question<&PathPoint::y>, 2);
  functions.add("path_get_point_speed", &path_point_question<&PathPoint::speed>, 2);
  functions.add("path_get_x", &path_position_question<&PathPoint::x>, 2);
  functions.add("path_get_y", &path_position_question<&PathPoint::y>, 2);
  functions.add("path_get_speed", &path_position_question<&PathPoint::speed>, 2);
  functions.add("path_set_kind", &on_path<set_kind>, 2);
  functions.add("path_set_closed", &on_path<set_closed>, 2);
  functions.add("path_set_precision", &on_path<set_precision>, 2);
  functions.add("path_add", &path_add, 0);
  functions.add("path_duplicate", &path_duplicate, 1);
  functions.add("path_assign", &path_assign, 2);
  functions.add("path_append", &path_append, 2);
  functions.add("path_delete", &path_delete, 1);
  functions.add("path_add_point", &on_path<add_point>, 4);
  functions.add("path_insert_point", &on_path<insert_point>, 5);
  functions.add("path_change_point", &on_path<change_point>, 5);
  functions.add("path_delete_point", &on_path<delete_point>, 2);
  functions.add("path_clear_points", &on_path<clear_points>, 1);
  functions.add("path_reverse", &on_path<reverse>, 1);
  functions.add("path_mirror", &on_path<mirror>, 1);
  functions.add("path_flip", &on_path<flip>, 1);
  functions.add("path_rotate", &on_path<rotate>, 2);
  functions.add("path_scale", &on_path<scale>, 3);
  functions.add("path_shift", &on_path<shift>, 3);
}

}  // namespace kestrel
