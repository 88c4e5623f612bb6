#include "script/Code_Exec.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "script/Code_Error.h"
#include "script/Code_Lowering.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"
#include "script/Script_Main.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

// Where a variable reference points once its instance and indices are known.
struct Target {
  std::int32_t variable = 0;
  std::int32_t flat_index = 0;
  std::int32_t designator = kSelf;
};

// round_half_even without the library call, for the indices and instance
// designators of references, where the sign of a zero does not matter.
double round_index(double value) {
  // Adding 1.5 * 2^52 leaves no bits for a fraction, so the sum is rounded to
  // a whole number in the default rounding mode, halves to even.
  constexpr double kShift = 6755399441055744.0;
  constexpr double kExact = 2251799813685248.0;  // 2^51
  if (value > -kExact && value < kExact) return (value + kShift) - kShift;
  return round_half_even(value);
}

// round_to_int32 with the common case inline.
std::int32_t round_designator(double value) {
  if (value > -2147483648.0 && value < 2147483647.0) {
    return static_cast<std::int32_t>(round_index(value));
  }
  return round_to_int32(value);
}

// The child position a real value starts at in a table of constant labels, or -1.
std::int32_t case_of(const CaseTable& table, double value) {
  for (const auto& [label, position] : table.labels) {
    if (label == value) return position;
  }
  return table.default_position;
}

// A comparison as a condition.
[[gnu::always_inline]] inline bool compares(std::int32_t op, double left, double right) {
  double result = 0.0;
  real_operation(op, left, right, result);
  return result >= 0.5;
}

// Whether a comparison and its jump go to their target: when the comparison
// holds, or when it fails for a `result` of 1.
[[gnu::always_inline]] inline bool jumps(std::int32_t comparison, const LoopOp& op,
                                         const double* regs) {
  return compares(comparison, regs[op.left], regs[op.right]) != (op.result != 0);
}

// The calls a register run made before an operation failed: the general
// evaluation of what failed takes their values instead of calling again.
struct LoopReplay {
  struct LoopRun& run;
  std::int32_t first;   // the failed part's first operation
  std::int32_t failed;  // the operation that failed
};

class BorrowedArguments;

// Where a loop left by its register run goes on generally.
enum class LoopPhase { condition, body, step };

// Loops try their registers at their first two rounds: a name the loop
// needs is often made by its first round.
constexpr int kRegisterLoopTries = 2;

// One run of a register loop: its registers, where its names live, and the
// result slot's value while the registers hold it.
struct LoopRun {
  LoopRun(const RegisterLoop& loop, RValue& slot) : loop(loop), slot(slot) {}
  const RegisterLoop& loop;
  RValue& slot;
  std::array<double, kMaxLoopRegisters> regs;
  std::array<RValue*, kMaxLoopRegisters> names;
  std::array<std::int64_t, kMaxLoopCounters> counters;
  // The arrays' entries, null for one that does not exist.
  std::array<RVariable*, kMaxLoopArrays> arrays;
  // The instance each field read found last, by its designator; instances
  // are neither made nor destroyed while the registers run. Set when the run
  // starts, not when the run is made, which would clear them first.
  struct FoundInstance {
    std::int32_t designator;
    ScriptInstance* instance;
  };
  std::array<FoundInstance, kMaxLoopFields> fields;
  double slot_value = 0.0;
  bool slot_written = false;
  // The last call's value, and whether the names it could change are back
  // in the registers.
  RValue call_value;
  bool names_reloaded = true;
  // A pure script's run inside its caller's: a failure drops it, with
  // nothing changed, for the general call.
  bool tentative = false;
  // The names have changed beyond what the registers can hold: the rest of
  // the run goes on generally.
  bool general = false;
};

}  // namespace

class CodeExecutor {
 public:
  CodeExecutor(ScriptEngine& engine, const CCode& code, ScriptInstance* self, ScriptInstance* other,
               CVariableList& locals)
      : engine_(engine),
        code_(code),
        nodes_(code.nodes.data()),
        children_(code.children.data()),
        constants_(code.constants.data()),
        steps_(code.real_steps.data()),
        assign_steps_(code.assign_steps.data()),
        self_(self),
        other_(other),
        locals_(locals) {}

  int eval(std::int32_t index, RValue& out);
  int exec(std::int32_t index, RValue& slot);
  // Runs a program's block, or the rest of a loop from its condition or from a
  // do's or repeat's body, in its registers; false in `ran` where its names
  // cannot be held there.
  [[gnu::noinline]] int register_loop(const RToken& node, RValue& slot, std::int64_t repeats,
                                      bool& ran);

  const RToken& node(std::int32_t index) const { return nodes_[index]; }

 private:
  std::int32_t child(const RToken& node, std::int32_t which) const {
    return children_[node.first_child + which];
  }
  int error(std::int32_t position, std::string_view message) {
    record_code_error(engine_, code_, position, message);
    return kStatusError;
  }
  // Counts a statement, a call or created array elements against the
  // engine's step budget.
  bool step(std::int64_t cost = 1) {
    if (engine_.steps_left < 0) return true;
    if (engine_.steps_left < cost) {
      engine_.steps_left = 0;
      return false;
    }
    engine_.steps_left -= cost;
    return true;
  }
  // Array growth costs one step per 16 created elements.
  bool grown(std::size_t created) {
    return created == 0 || step(static_cast<std::int64_t>(created / 16 + 1));
  }
  // Strings that running code makes are bounded by the engine's limit.
  bool fits(const RValue& value) const {
    return !value.is_string() || value.text().size() <= engine_.limits.max_string_length;
  }
  int out_of_steps(std::int32_t position) { return error(position, "Step limit reached."); }

  int call(const RToken& node, RValue& out);
  // A call whose arguments are in place.
  int call_with(const RToken& node, BorrowedArguments& arguments, RValue& out);
  // The value a register run's failed part already has for the call `node`;
  // false where the call was not made.
  bool replayed(const RToken& node, RValue& out);
  // A call of a game script: its code runs with the call's slots as its
  // arguments, straight into its lowered body.
  int call_script(std::int32_t number, ArgumentSlots& slots, std::int32_t count, std::int32_t& left,
                  RValue& out);
  // A call's argument: as eval, with leaves copied from where they lie and
  // reads-only values made as plain reals.
  int argument_value(std::int32_t index, RValue& out);
  int binary(const RToken& node, RValue& out);

 public:
  // Evaluates a reads-only subtree as a real without making values; false
  // when it meets anything else (a string, a missing variable, an index out
  // of range, a division by 0), which the general evaluation then reports.
  bool fast_real(std::int32_t index, double& out) {
    const std::int32_t step = nodes_[index].real_step;
    if (step >= 0) return run_step(step, out);
    return fast_tree(index, out);
  }
  bool run_step(std::int32_t index, double& out) {
    const RealStep& step = steps_[index];
    return step.run(step, *this, out);
  }
  // fast_real by walking the tree, for what has no real step.
  bool fast_tree(std::int32_t index, double& out);
  // An element of an array step's reference from its indices' values;
  // false where fast_read would fail.
  bool fast_element(std::int32_t index, std::int32_t designator, double row, double column,
                    double& out);
  // A reference's variable of the instance its designator value names.
  bool fast_field(std::int32_t index, double designator, double& out);
  // The reference part of fast_real, kept out of line so that the recursion
  // over operators stays small.
  [[gnu::noinline]] bool fast_read(const RToken& node, double& out);
  // A local read by a plain name, the commonest operand of loops.
  bool fast_local(std::int32_t index, double& out) {
    return fast_stored(locals_, nodes_[index], out);
  }
  // The instance of a plain built-in name of self, other or no instance,
  // whose getter and setter need no resolution; null for any other reference.
  ScriptInstance* builtin_instance(const RToken& node) const {
    if (node.kind != kNodeFixedVariable || node.op >= kUserVariableThreshold) return nullptr;
    switch (node.fixed_instance) {
      case kSelf:
      case kUnspecified:
        return self_;
      case kOther:
        return other_;
      default:
        return nullptr;
    }
  }
  // The slot of argument0..argument15 as builtin_instance reads it, which
  // the getter would copy; null for any other reference.
  const RValue* argument_slot(const RToken& node) const {
    const std::int32_t slot = argument_slot_of(node);
    return slot >= 0 ? &engine_.arguments[slot] : nullptr;
  }
  const RValue& argument(std::int32_t slot) const { return engine_.arguments[slot]; }
  // The list storage of a variable, or null when it lives elsewhere.
  [[gnu::always_inline]] CVariableList* list_of(std::int32_t designator, std::int32_t variable);
  CVariableList& locals() { return locals_; }
  // An assignment of a real to a plain name held in `list`, with `Op` the
  // operator of a compound assignment; false, with nothing changed, where
  // the general assignment must run instead.
  template <std::int32_t Op>
  bool assign_real(CVariableList& list, const RToken& target, double real, RValue& slot) {
    if constexpr (Op == kTokAssign) {
      list.scalar_slot(target.op, target.hint) = RValue(real);
      slot = RValue(real);
    } else {
      RValue* stored = list.find_scalar(target.op, target.hint);
      double combined = 0.0;
      if (stored == nullptr || !stored->is_real() ||
          !real_operation(Op, stored->real(), real, combined)) {
        return false;
      }
      stored->set_real(combined);
      slot = *stored;
    }
    return true;
  }
  // An assignment of a real to a built-in variable of self or other, as
  // assign_real.
  template <std::int32_t Op>
  int assign_builtin(const AssignStep& step, double real, RValue& slot) {
    const RToken& target = nodes_[step.target];
    if (target.op >= engine_.builtin_variables.size()) return kStatusFallBack;
    const BuiltinVariable& builtin = engine_.builtin_variables.at(target.op);
    ScriptInstance& instance = *builtin_instance(target);
    if (builtin.real_setter != nullptr) {
      if constexpr (Op != kTokAssign) {
        if (!real_operation(Op, builtin.real_getter(instance), real, real)) return kStatusFallBack;
      }
      builtin.real_setter(instance, real);
      slot = RValue(real);
      return kStatusNormal;
    }
    if constexpr (Op != kTokAssign) {
      RValue current;
      double stored = 0.0;
      if (!builtin.getter(engine_, instance, 0, current) || !plain_real(current, stored) ||
          !real_operation(Op, stored, real, real)) {
        return kStatusFallBack;
      }
    }
    const RValue value(real);
    if (builtin.setter == nullptr || !builtin.setter(engine_, instance, 0, value)) {
      return error(nodes_[step.node].position, "Cannot assign to the variable");
    }
    slot = value;
    return kStatusNormal;
  }
  // An assignment of a call's value to a plain name, which needs no
  // resolution. The call runs once, so this never falls back.
  int assign_call(const AssignStep& step, RValue& slot) {
    const RToken& target_node = nodes_[step.target];
    const Target target{target_node.op, 0, target_node.fixed_instance};
    RValue value;
    const int status = call(nodes_[step.value], value);
    if (status != kStatusNormal) return status;
    return store(nodes_[step.node], target, value, slot);
  }
  // An operand of an operator in fast_real: a leaf without another call of it.
  bool fast_operand(std::int32_t index, double& out) {
    const RToken& node = nodes_[index];
    if (node.kind == kNodeConstant) return plain_real(constants_[node.constant], out);
    if (node.kind == kNodeFixedVariable) {
      if (node.fixed_instance == kLocal) return fast_local(index, out);
      if (node.op >= kUserVariableThreshold) {
        if (CVariableList* list = list_of(node.fixed_instance, node.op)) {
          return fast_stored(*list, node, out);
        }
      } else if (ScriptInstance* instance = builtin_instance(node)) {
        return fast_builtin(node, *instance, out);
      }
      return fast_read(node, out);
    }
    return fast_real(index, out);
  }
  // A plain name held in a list, trying the entry the node found last time
  // before the look-up.
  bool fast_stored(CVariableList& list, const RToken& node, double& out) {
    const std::vector<RVariable>& entries = list.entries();
    if (node.hint >= 0 && static_cast<std::size_t>(node.hint) < entries.size() &&
        entries[node.hint].index == node.op) [[likely]] {
      return plain_real(entries[node.hint].value, out);
    }
    const RValue* value = list.find_scalar(node.op, node.hint);
    return value != nullptr && plain_real(*value, out);
  }
  // A plain built-in name of the instance builtin_instance gives: an
  // argument slot, a real of the instance read in place, or the getter's value.
  bool fast_builtin(const RToken& node, ScriptInstance& instance, double& out) {
    if (const RValue* argument = argument_slot(node)) return plain_real(*argument, out);
    return builtin_real(node.op, instance, out);
  }
  // The built-in variable `variable` of an instance as a plain real.
  bool builtin_real(std::int32_t variable, ScriptInstance& instance, double& out) {
    if (variable >= engine_.builtin_variables.size()) return false;
    const BuiltinVariable& builtin = engine_.builtin_variables.at(variable);
    if (builtin.real_getter != nullptr) {
      out = builtin.real_getter(instance);
      return true;
    }
    return value_builtin(builtin, instance, out);
  }
  [[gnu::noinline]] bool value_builtin(const BuiltinVariable& builtin, ScriptInstance& instance,
                                       double& out) {
    RValue value;
    return builtin.getter(engine_, instance, 0, value) && plain_real(value, out);
  }

 private:
  // As resolve for a reads-only reference, false where resolve would fail.
  bool fast_target(const RToken& node, Target& target);
  // An operand's value: a constant or a stored plain variable in place,
  // anything else evaluated into `scratch`.
  const RValue* operand(std::int32_t index, RValue& scratch, int& status);
  // True when evaluating the node runs no code, so values read before it stay put.
  bool is_leaf(std::int32_t index) const {
    const std::int32_t kind = nodes_[index].kind;
    return kind == kNodeConstant || kind == kNodeFixedVariable;
  }
  int resolve(const RToken& node, Target& target);
  int read(const RToken& node, RValue& out);
  // The instance a designator names, or null.
  ScriptInstance* instance_of(std::int32_t designator);
  // The value of a variable, or null when it is missing.
  const RValue* find(const RToken& node, const Target& target, RValue& scratch);
  const RValue* find_in(ScriptInstance& instance, const RToken& node, const Target& target,
                        RValue& scratch);
  bool write(const RToken& node, const Target& target, const RValue& value);
  bool write_to(ScriptInstance& instance, const RToken& node, const Target& target,
                const RValue& value);
  int missing(const RToken& node, const Target& target, RValue& out);
  // The general assignment, for what its lowered step left.
  int assign(const RToken& node, RValue& slot);
  // The part of an assignment after its target and value are known.
  int store(const RToken& node, const Target& target, RValue& value, RValue& slot);
  int with(const RToken& node, RValue& slot);
  int with_body(ScriptInstance* instance, std::int32_t body, RValue& slot);
  int switch_statement(const RToken& node, RValue& slot);
  // Runs a switch's statements after the child position `start`, if any.
  int run_cases(const RToken& node, std::int32_t start, RValue& slot);
  // The loops, apart from exec so that its frame stays small for the
  // statements that run most.
  [[gnu::noinline]] int loop(const RToken& node, RValue& slot);
  // Runs a loop from `phase` on, with `repeats` rounds left of a repeat; the
  // first `tries` rounds try the loop's registers.
  int resume_loop(const RToken& node, RValue& slot, LoopPhase phase, std::int64_t repeats,
                  int tries);
  // Reads the names and arguments into the registers; false where one is
  // missing or not a plain real, or two names are one variable.
  bool load_names(LoopRun& run);
  // Reads the name `k` into its register, as load_names, where it must not
  // be one of the first `found` names.
  [[gnu::always_inline]] bool load_name(LoopRun& run, std::size_t k, std::size_t found);
  // Writes the names the loop changes and the result slot back; only those
  // a call may see for `shared_only`.
  void store_names(LoopRun& run, bool shared_only = false);
  // A call from a register run: names that the code it runs may see are
  // written back before and read again after, with the arrays and instances
  // they lie in.
  [[gnu::noinline]] int loop_call(LoopRun& run, const LoopOp& op);
  bool reload_shared(LoopRun& run);
  // Finds the arrays a run reads and writes, only those a call may see for
  // `shared_only`, and forgets the instances its field reads found.
  void find_arrays(LoopRun& run, bool shared_only);
  // Runs a script whose body is a pure register program with the call's
  // arguments from the caller's registers; false, with the steps it counted
  // handed back, where the general call must run instead.
  bool run_pure_script(const CCode& code, const LoopRun& caller, const LoopOp& op, double& out);
  // Runs the general evaluation of a register run's failed part.
  template <class Evaluate>
  int replaying(LoopReplay& replay, Evaluate evaluate) {
    LoopReplay* const outer = std::exchange(replaying_, &replay);
    const int status = evaluate();
    replaying_ = outer;
    return status;
  }
  // Runs a register loop's code from the operation `at`.
  int run_register_code(LoopRun& run, std::int32_t at);
  // Runs generally what a failed operation leaves, and sets where the code
  // goes on; a status other than normal, or a run gone general, ends the code.
  int take_over(LoopRun& run, const LoopOp& failed, std::int32_t& next);
  // Finishes generally every statement around the loop statement `index`,
  // which ended with `status`.
  int finish_generally(LoopRun& run, std::int32_t index, int status);
  // As finish_generally, from a condition of the statement `index`.
  int finish_after_condition(LoopRun& run, std::int32_t index, bool holds);
  int assign_element(LoopRun& run, const LoopOp& op);
  // The row and column of an element operation's indices; false where one
  // is out of range.
  static bool element_place(const LoopRun& run, const LoopOp& op, std::int32_t& row,
                            std::int32_t& column) {
    const double rounded_row = round_index(run.regs[static_cast<std::size_t>(op.left)]);
    const double rounded_column = round_index(run.regs[static_cast<std::size_t>(op.right)]);
    if (!(rounded_row >= 0 && rounded_row < kArrayRowWidth && rounded_column >= 0 &&
          rounded_column < kArrayRowWidth)) {
      return false;
    }
    row = static_cast<std::int32_t>(rounded_row);
    column = static_cast<std::int32_t>(rounded_column);
    return true;
  }
  // The element an element operation names, or null.
  RValue* loop_element(LoopRun& run, const LoopOp& op) {
    RVariable* entry = run.arrays[static_cast<std::size_t>(op.cache)];
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (entry == nullptr || !element_place(run, op, row, column)) return nullptr;
    return CVariableList::element_of(*entry, row, column);
  }
  bool loop_field(LoopRun& run, const LoopOp& op, double& out);
  // Runs a loop body; true when the loop goes on, else `status` ends it.
  bool loop_body(std::int32_t body, RValue& slot, int& status) {
    status = block_or_statement(body, slot);
    if (status == kStatusNormal || status == kStatusContinue) return true;
    if (status == kStatusBreak) status = kStatusNormal;
    return false;
  }
  // As exec, with a lowered assignment run in place instead of through the
  // switch over statement kinds.
  int statement(std::int32_t index, RValue& slot) {
    const RToken& node = nodes_[index];
    if (node.assign_step < 0) {
      if (node.kind != kNodeIf) return exec(index, slot);
      if (!step()) return out_of_steps(node.position);
      return if_branches(node, slot);
    }
    if (!step()) return out_of_steps(node.position);
    const AssignStep& lowered = assign_steps_[node.assign_step];
    const int status = lowered.run(lowered, *this, slot);
    return status != kStatusFallBack ? status : assign(node, slot);
  }
  // An if statement after its step, apart from exec so that its frame stays
  // small for the commonest statement after assignments.
  [[gnu::noinline]] int if_branches(const RToken& node, RValue& slot) {
    bool holds = false;
    const int status = condition(child(node, 0), holds, "Expression expected");
    if (status != kStatusNormal) return status;
    if (holds) return statement(child(node, 1), slot);
    return node.child_count > 2 ? statement(child(node, 2), slot) : kStatusNormal;
  }
  // The statements of a block, after the block's own step.
  int block(const RToken& node, RValue& slot) {
    for (std::int32_t i = 0; i < node.child_count; ++i) {
      const int status = statement(child(node, i), slot);
      if (status != kStatusNormal) return status;
    }
    return kStatusNormal;
  }
  // As exec, with a block's statements run in place, for loop bodies.
  int block_or_statement(std::int32_t index, RValue& slot) {
    const RToken& node = nodes_[index];
    if (node.kind != kNodeBlock) return statement(index, slot);
    if (!step()) return out_of_steps(node.position);
    return block(node, slot);
  }
  // Evaluates a condition; -1 (after reporting `message`) for a string.
  [[gnu::always_inline]] int condition(std::int32_t index, bool& holds, std::string_view message) {
    const RToken& node = nodes_[index];
    double real = 0.0;
    if (node.real_step >= 0 ? run_step(node.real_step, real)
                            : node.reads_only && fast_operand(index, real)) {
      holds = real >= 0.5;
      return kStatusNormal;
    }
    return value_condition(index, holds, message);
  }
  // condition through the general evaluation.
  [[gnu::noinline]] int value_condition(std::int32_t index, bool& holds, std::string_view message);

  ScriptEngine& engine_;
  const CCode& code_;
  const RToken* nodes_;
  const std::int32_t* children_;
  const RValue* constants_;
  const RealStep* steps_;
  const AssignStep* assign_steps_;
  ScriptInstance* self_;
  ScriptInstance* other_;
  CVariableList& locals_;
  LoopReplay* replaying_ = nullptr;
};

bool CodeExecutor::fast_tree(std::int32_t index, double& out) {
  const RToken& node = nodes_[index];
  switch (node.kind) {
    case kNodeConstant:
      return plain_real(constants_[node.constant], out);
    case kNodeFixedVariable:
    case kNodeVariable:
      return fast_read(node, out);
    case kNodeUnary: {
      double operand = 0.0;
      if (!fast_operand(child(node, 0), operand)) return false;
      switch (node.op) {
        case kOpNot:
          out = operand >= 0.5 ? 0.0 : 1.0;
          return true;
        case kOpAdd:
          out = operand;
          return true;
        case kOpSubtract:
          out = -operand;
          return true;
        default:
          return false;
      }
    }
    case kNodeBinary: {
      double left = 0.0;
      double right = 0.0;
      return fast_operand(child(node, 0), left) && fast_operand(child(node, 1), right) &&
             real_operation(node.op, left, right, out);
    }
    default:
      return false;
  }
}

bool CodeExecutor::fast_read(const RToken& node, double& out) {
  if (node.kind == kNodeFixedVariable && node.op >= kUserVariableThreshold) {
    if (CVariableList* list = list_of(node.fixed_instance, node.op)) {
      return fast_stored(*list, node, out);
    }
  }
  if (ScriptInstance* instance = builtin_instance(node)) return fast_builtin(node, *instance, out);
  Target target;
  if (!fast_target(node, target)) return false;
  RValue scratch;
  const RValue* value = find(node, target, scratch);
  return value != nullptr && plain_real(*value, out);
}

bool CodeExecutor::fast_element(std::int32_t index, std::int32_t designator, double row,
                                double column, double& out) {
  const RToken& node = nodes_[index];
  const double row_index = round_index(row);
  const double column_index = round_index(column);
  if (!(row_index >= 0 && row_index < kArrayRowWidth && column_index >= 0 &&
        column_index < kArrayRowWidth)) {
    return false;
  }
  CVariableList* list = list_of(designator, node.op);
  if (list == nullptr) return fast_read(node, out);
  const RValue* value = list->find_element(node.op, static_cast<std::int32_t>(row_index),
                                           static_cast<std::int32_t>(column_index), node.hint);
  return value != nullptr && plain_real(*value, out);
}

bool CodeExecutor::fast_field(std::int32_t index, double designator, double& out) {
  const RToken& node = nodes_[index];
  const Target target{node.op, 0, round_designator(designator)};
  RValue scratch;
  const RValue* value = find(node, target, scratch);
  return value != nullptr && plain_real(*value, out);
}

bool CodeExecutor::fast_target(const RToken& node, Target& target) {
  target.variable = node.op;
  target.flat_index = 0;
  if (node.kind == kNodeFixedVariable) {
    target.designator = node.fixed_instance;
    return true;
  }
  double value = 0.0;
  if (!fast_operand(child(node, 0), value)) return false;
  target.designator = round_designator(value);
  for (std::int32_t i = 1; i < node.child_count; ++i) {
    if (!fast_operand(child(node, i), value)) return false;
    const double rounded = round_index(value);
    if (!(rounded >= 0 && rounded < kArrayRowWidth)) return false;
    target.flat_index = target.flat_index * kArrayRowWidth + static_cast<std::int32_t>(rounded);
  }
  return true;
}

int CodeExecutor::eval(std::int32_t index, RValue& out) {
  const RToken& node = nodes_[index];
  double real = 0.0;
  // Constants and plain names are copied as cheaply by the general read.
  if (node.reads_only && node.kind != kNodeConstant && node.kind != kNodeFixedVariable &&
      fast_real(index, real)) {
    out = RValue(real);
    return kStatusNormal;
  }
  switch (node.kind) {
    case kNodeConstant:
      out = constants_[node.constant];
      return kStatusNormal;
    case kNodeFixedVariable:
    case kNodeVariable:
      return read(node, out);
    case kNodeBinary:
      return binary(node, out);
    case kNodeUnary: {
      const std::int32_t operand = child(node, 0);
      const int status = eval(operand, out);
      if (status != kStatusNormal) return status;
      std::string_view message;
      if (!unary_operation(node.op, out, message)) return error(nodes_[operand].position, message);
      return kStatusNormal;
    }
    case kNodeCall:
      return call(node, out);
    default:
      return error(node.position, "(Sub-)expression expected.");
  }
}

const RValue* CodeExecutor::operand(std::int32_t index, RValue& scratch, int& status) {
  const RToken& node = nodes_[index];
  if (node.kind == kNodeConstant) return &constants_[node.constant];
  if (node.kind == kNodeFixedVariable && node.op >= kUserVariableThreshold) {
    if (CVariableList* list = list_of(node.fixed_instance, node.op)) {
      if (const RValue* value = list->find_scalar(node.op, node.hint)) return value;
    }
  }
  if (const RValue* argument = argument_slot(node)) return argument;
  status = eval(index, scratch);
  return &scratch;
}

int CodeExecutor::binary(const RToken& node, RValue& out) {
  const std::int32_t right_index = child(node, 1);
  int status = kStatusNormal;
  const RValue* left = operand(child(node, 0), out, status);
  if (status != kStatusNormal) return status;
  if (left != &out && !is_leaf(right_index)) {
    out = *left;
    left = &out;
  }
  RValue scratch;
  const RValue* right = operand(right_index, scratch, status);
  if (status != kStatusNormal) return status;
  double real_result = 0.0;
  if (left->is_real() && right->is_real() &&
      real_operation(node.op, left->real(), right->real(), real_result)) [[likely]] {
    if (left != &out) out = *left;
    out.set_real(real_result);
    return kStatusNormal;
  }
  if (left != &out) out = *left;
  std::string_view message;
  if (!binary_operation(node.op, out, *right, message)) {
    return error(nodes_[right_index].position, message);
  }
  if (!fits(out)) return error(nodes_[right_index].position, "String too long.");
  return kStatusNormal;
}

namespace {

// The engine's argument buffer for one call, borrowed for the call and
// handed back with the slots it used cleared to real 0.
class BorrowedArguments {
 public:
  BorrowedArguments(ScriptEngine& engine, std::int32_t count)
      : engine_(engine), slots_(engine.call_arguments_at(engine.call_depth++)), used_(count) {}
  BorrowedArguments(const BorrowedArguments&) = delete;
  BorrowedArguments& operator=(const BorrowedArguments&) = delete;
  ~BorrowedArguments() {
    for (std::int32_t i = 0; i < used_; ++i) slots_[i].clear();
    --engine_.call_depth;
  }
  RValue& operator[](std::int32_t i) { return slots_[i]; }
  const RValue* data() const { return slots_.data(); }
  ArgumentSlots& slots() { return slots_; }
  // The callee may have left values past the slots passed.
  void used_up_to(std::int32_t count) { used_ = std::max(used_, count); }

 private:
  ScriptEngine& engine_;
  ArgumentSlots& slots_;
  std::int32_t used_;
};

}  // namespace

int CodeExecutor::argument_value(std::int32_t index, RValue& out) {
  const RToken& node = nodes_[index];
  // Constants, locals and arguments are copied from where they lie, found once.
  if (node.kind == kNodeConstant) {
    out = constants_[node.constant];
    return kStatusNormal;
  }
  if (node.kind == kNodeFixedVariable && node.fixed_instance == kLocal) {
    if (const RValue* value = locals_.find_scalar(node.op, node.hint)) {
      out = *value;
      return kStatusNormal;
    }
  } else if (const RValue* argument = argument_slot(node)) {
    out = *argument;
    return kStatusNormal;
  }
  double real = 0.0;
  if (node.real_step >= 0 && run_step(node.real_step, real)) {
    out.set_real(real);
    return kStatusNormal;
  }
  return eval(index, out);
}

int CodeExecutor::call(const RToken& node, RValue& out) {
  if (replaying_ != nullptr && replayed(node, out)) return kStatusNormal;
  if (!step()) return out_of_steps(node.position);
  const std::int32_t count = node.child_count;
  BorrowedArguments arguments(engine_, count);
  for (std::int32_t i = 0; i < count; ++i) {
    const int status = argument_value(child(node, i), arguments[i]);
    if (status != kStatusNormal) return status;
  }
  return call_with(node, arguments, out);
}

int CodeExecutor::call_with(const RToken& node, BorrowedArguments& arguments, RValue& out) {
  const std::int32_t count = node.child_count;
  out.clear();
  if (node.op >= kFirstScriptFunction && node.op < kFirstExtensionFunction) {
    std::int32_t left = 0;
    const int status =
        call_script(node.op - kFirstScriptFunction, arguments.slots(), count, left, out);
    arguments.used_up_to(left);
    return status;
  }
  if (node.op >= kFirstExtensionFunction) {
    return engine_.extensions.call(engine_, node.op - kFirstExtensionFunction, *self_, *other_,
                                   arguments.data(), count, out)
               ? kStatusNormal
               : kStatusError;
  }
  const FunctionEntry& function = engine_.functions.at(node.op);
  const CallSite caller = engine_.errors.calling;
  engine_.errors.calling = {&code_, node.position};
  function.handler(engine_, *self_, *other_, count, out, arguments.data());
  engine_.errors.calling = caller;
  return kStatusNormal;
}

int CodeExecutor::resolve(const RToken& node, Target& target) {
  target.variable = node.op;
  if (node.kind == kNodeFixedVariable) {
    target.designator = node.fixed_instance;
    target.flat_index = 0;
    return kStatusNormal;
  }
  RValue scratch;
  int status = kStatusNormal;
  const std::int32_t instance = child(node, 0);
  const RValue* value = operand(instance, scratch, status);
  if (status != kStatusNormal) return status;
  if (value->is_string()) return error(nodes_[instance].position, "Wrong type of variable index");
  target.designator = round_designator(value->real());
  std::int32_t flat = 0;
  for (std::int32_t i = 1; i < node.child_count; ++i) {
    const std::int32_t index_node = child(node, i);
    value = operand(index_node, scratch, status);
    if (status != kStatusNormal) return status;
    const std::int32_t position = nodes_[index_node].position;
    if (value->is_string()) return error(position, "Wrong type of array index");
    const double rounded = round_index(value->real());
    if (rounded < 0) return error(position, "Negative array index");
    if (!(rounded < kArrayRowWidth)) return error(position, "Array index >= 32000");
    flat = flat * kArrayRowWidth + static_cast<std::int32_t>(rounded);
  }
  target.flat_index = flat;
  return kStatusNormal;
}

inline CVariableList* CodeExecutor::list_of(std::int32_t designator, std::int32_t variable) {
  switch (designator) {
    case kLocal:
      return &locals_;
    case kGlobal:
      return &engine_.globals.list();
    case kUnspecified:
      if (engine_.globals.is_declared_global(variable)) return &engine_.globals.list();
      [[fallthrough]];
    case kSelf:
      return variable >= kUserVariableThreshold ? &self_->variables : nullptr;
    case kOther:
      return variable >= kUserVariableThreshold ? &other_->variables : nullptr;
    default:
      return nullptr;
  }
}

const RValue* CodeExecutor::find_in(ScriptInstance& instance, const RToken& node,
                                    const Target& target, RValue& scratch) {
  if (target.variable >= kUserVariableThreshold) {
    if (target.flat_index == 0) return instance.variables.find_scalar(target.variable, node.hint);
    return instance.variables.find_slot(target.variable, target.flat_index, node.hint);
  }
  if (target.variable >= engine_.builtin_variables.size()) return nullptr;
  const BuiltinVariable& builtin = engine_.builtin_variables.at(target.variable);
  if (!builtin.getter(engine_, instance, target.flat_index, scratch)) return nullptr;
  return &scratch;
}

ScriptInstance* CodeExecutor::instance_of(std::int32_t designator) {
  ScriptHost& host = engine_.host();
  switch (designator) {
    case kUnspecified:
    case kSelf:
      return self_;
    case kOther:
      return other_;
    case kAll:
      for (std::int32_t i = 0, count = host.instance_count(); i < count; ++i) {
        ScriptInstance* candidate = host.instance_at(i);
        if (candidate && !candidate->destroyed) return candidate;
      }
      return nullptr;
    default:
      if (designator >= kFirstInstanceId) {
        ScriptInstance* instance = host.find_instance(designator);
        return instance && !instance->destroyed ? instance : nullptr;
      }
      for (std::int32_t i = 0, count = designator >= 0 ? host.family_count(designator) : 0;
           i < count; ++i) {
        ScriptInstance* candidate = host.family_at(designator, i);
        if (candidate && !candidate->destroyed) return candidate;
      }
      return nullptr;
  }
}

const RValue* CodeExecutor::find(const RToken& node, const Target& target, RValue& scratch) {
  if (CVariableList* list = list_of(target.designator, target.variable)) {
    if (target.flat_index == 0) return list->find_scalar(target.variable, node.hint);
    return list->find_slot(target.variable, target.flat_index, node.hint);
  }
  ScriptInstance* instance = instance_of(target.designator);
  return instance ? find_in(*instance, node, target, scratch) : nullptr;
}

int CodeExecutor::missing(const RToken& node, const Target& target, RValue& out) {
  if (engine_.settings.uninitialized_as_zero) {
    out.clear();
    return kStatusNormal;
  }
  std::string message = "Unknown variable " + engine_.variable_name(target.variable);
  if (target.flat_index != 0) message += " or array index out of bounds";
  return error(node.position, message);
}

int CodeExecutor::read(const RToken& node, RValue& out) {
  // The commonest reads, a plain name of self or a local, skip the general
  // resolution.
  if (node.kind == kNodeFixedVariable && node.op >= kUserVariableThreshold) {
    CVariableList* list = list_of(node.fixed_instance, node.op);
    if (list != nullptr) {
      if (const RValue* value = list->find_scalar(node.op, node.hint)) {
        out = *value;
        return kStatusNormal;
      }
    }
  }
  if (const RValue* argument = argument_slot(node)) {
    out = *argument;
    return kStatusNormal;
  }
  Target target;
  const int status = resolve(node, target);
  if (status != kStatusNormal) return status;
  RValue scratch;
  const RValue* value = find(node, target, scratch);
  if (value == nullptr) return missing(node, target, out);
  out = *value;
  return kStatusNormal;
}

bool CodeExecutor::write_to(ScriptInstance& instance, const RToken& node, const Target& target,
                            const RValue& value) {
  if (target.variable >= kUserVariableThreshold) {
    if (target.flat_index == 0) {
      instance.variables.scalar_slot(target.variable, node.hint) = value;
    } else {
      return grown(instance.variables.set(target.variable, target.flat_index, value));
    }
    return true;
  }
  if (target.variable >= engine_.builtin_variables.size()) return false;
  const BuiltinVariable& builtin = engine_.builtin_variables.at(target.variable);
  return builtin.setter != nullptr && builtin.setter(engine_, instance, target.flat_index, value);
}

bool CodeExecutor::write(const RToken& node, const Target& target, const RValue& value) {
  if (CVariableList* list = list_of(target.designator, target.variable)) {
    if (target.flat_index == 0) {
      list->scalar_slot(target.variable, node.hint) = value;
    } else if (RValue* element = list->find_slot(target.variable, target.flat_index, node.hint)) {
      *element = value;
    } else {
      return grown(list->set(target.variable, target.flat_index, value));
    }
    return true;
  }
  ScriptHost& host = engine_.host();
  switch (target.designator) {
    case kUnspecified:
    case kSelf:
      return write_to(*self_, node, target, value);
    case kOther:
      return write_to(*other_, node, target, value);
    case kAll: {
      bool written = true;
      for (std::int32_t i = 0, count = host.instance_count(); i < count; ++i) {
        ScriptInstance* instance = host.instance_at(i);
        if (instance && !instance->destroyed) {
          written = write_to(*instance, node, target, value) && written;
        }
      }
      return written;
    }
    default:
      break;
  }
  if (target.designator >= kFirstInstanceId) {
    ScriptInstance* instance = host.find_instance(target.designator);
    return instance == nullptr || instance->destroyed || write_to(*instance, node, target, value);
  }
  if (target.designator < 0) return false;
  bool written = true;
  for (std::int32_t i = 0, count = host.family_count(target.designator); i < count; ++i) {
    ScriptInstance* instance = host.family_at(target.designator, i);
    if (instance && !instance->destroyed) {
      written = write_to(*instance, node, target, value) && written;
    }
  }
  return written;
}

int CodeExecutor::assign(const RToken& node, RValue& slot) {
  const RToken& target_node = nodes_[child(node, 0)];
  const std::int32_t value_index = child(node, 1);
  Target target;
  RValue value;
  double real = 0.0;
  if (target_node.reads_only && nodes_[value_index].reads_only &&
      fast_target(target_node, target) && fast_real(value_index, real)) {
    value.set_real(real);
  } else {
    int status = resolve(target_node, target);
    if (status != kStatusNormal) return status;
    status = eval(value_index, value);
    if (status != kStatusNormal) return status;
  }
  return store(node, target, value, slot);
}

int CodeExecutor::store(const RToken& node, const Target& target, RValue& value, RValue& slot) {
  const RToken& target_node = nodes_[child(node, 0)];
  const std::int32_t value_index = child(node, 1);
  if (node.op == kTokAssign) {
    if (!write(target_node, target, value))
      return error(node.position, "Cannot assign to the variable");
    slot = std::move(value);
    return kStatusNormal;
  }
  const std::int32_t op = compound_operator(node.op);
  std::string_view message;
  // A variable held in a list is combined where it lies, so that appending
  // to a string nobody else holds extends it in place.
  if (CVariableList* list = list_of(target.designator, target.variable)) {
    RValue* stored = target.flat_index == 0
                         ? list->find_scalar(target.variable, target_node.hint)
                         : list->find_slot(target.variable, target.flat_index, target_node.hint);
    if (stored == nullptr) {
      if (engine_.settings.uninitialized_as_zero) return kStatusNormal;
      return missing(target_node, target, value);
    }
    double combined = 0.0;
    if (stored->is_real() && value.is_real() &&
        real_operation(op, stored->real(), value.real(), combined)) {
      stored->set_real(combined);
      slot = *stored;
      return kStatusNormal;
    }
    if (slot.shares_text_with(*stored)) slot.clear();
    if (!binary_operation(op, *stored, value, message)) {
      return error(nodes_[value_index].position, message);
    }
    if (!fits(*stored)) return error(nodes_[value_index].position, "String too long.");
    slot = *stored;
    return kStatusNormal;
  }
  RValue scratch;
  const RValue* current = find(target_node, target, scratch);
  if (current == nullptr) {
    if (engine_.settings.uninitialized_as_zero) return kStatusNormal;
    return missing(target_node, target, value);
  }
  RValue combined = *current;
  if (!binary_operation(op, combined, value, message)) {
    return error(nodes_[value_index].position, message);
  }
  if (!fits(combined)) return error(nodes_[value_index].position, "String too long.");
  if (!write(target_node, target, combined))
    return error(node.position, "Cannot assign to the variable");
  slot = std::move(combined);
  return kStatusNormal;
}

int CodeExecutor::value_condition(std::int32_t index, bool& holds, std::string_view message) {
  RValue value;
  const int status = eval(index, value);
  if (status != kStatusNormal) return status;
  if (value.is_string()) return error(nodes_[index].position, message);
  holds = value.real() >= 0.5;
  return kStatusNormal;
}

int CodeExecutor::with_body(ScriptInstance* instance, std::int32_t body, RValue& slot) {
  ScriptInstance* const saved_self = self_;
  ScriptInstance* const saved_other = other_;
  other_ = self_;
  self_ = instance;
  const int status = statement(body, slot);
  self_ = saved_self;
  other_ = saved_other;
  return status;
}

int CodeExecutor::with(const RToken& node, RValue& slot) {
  const std::int32_t target_index = child(node, 0);
  const std::int32_t body = child(node, 1);
  RValue target;
  int status = eval(target_index, target);
  if (status != kStatusNormal) return status;
  if (target.is_string()) return error(nodes_[target_index].position, "Object id expected");
  const std::int32_t designator = round_to_int32(target.real());
  ScriptHost& host = engine_.host();
  ScriptInstance* single = nullptr;
  switch (designator) {
    case kLocal:
      return error(node.position, "Cannot use local in with statement.");
    case kGlobal:
      return error(node.position, "Cannot use global in with statement.");
    case kSelf:
    case kUnspecified:
      single = self_;
      break;
    case kOther:
      single = other_;
      break;
    case kAll:
      for (std::int32_t i = 0, count = host.instance_count(); i < count; ++i) {
        ScriptInstance* instance = host.instance_at(i);
        if (instance == nullptr || instance->destroyed) continue;
        status = with_body(instance, body, slot);
        if (status == kStatusBreak) return kStatusNormal;
        if (status != kStatusNormal && status != kStatusContinue) return status;
      }
      return kStatusNormal;
    default:
      if (designator >= kFirstInstanceId) {
        single = host.find_instance(designator);
        if (single && single->destroyed) single = nullptr;
        break;
      }
      if (designator < 0) return kStatusNormal;
      for (std::int32_t i = 0, count = host.family_count(designator); i < count; ++i) {
        ScriptInstance* instance = host.family_at(designator, i);
        if (instance == nullptr || instance->destroyed) continue;
        status = with_body(instance, body, slot);
        if (status == kStatusBreak) return kStatusNormal;
        if (status != kStatusNormal && status != kStatusContinue) return status;
      }
      return kStatusNormal;
  }
  if (single == nullptr) return kStatusNormal;
  // A single instance is no loop: break passes on to the enclosing one.
  status = with_body(single, body, slot);
  return status == kStatusContinue ? kStatusNormal : status;
}

int CodeExecutor::switch_statement(const RToken& node, RValue& slot) {
  const std::int32_t value_index = child(node, 0);
  double real = 0.0;
  if (node.case_table >= 0 && nodes_[value_index].reads_only && fast_operand(value_index, real)) {
    return run_cases(node, case_of(code_.case_tables[node.case_table], real), slot);
  }
  RValue value;
  int status = eval(value_index, value);
  if (status != kStatusNormal) return status;
  std::int32_t start = -1;
  RValue scratch;
  for (std::int32_t i = 1; i < node.child_count && start < 0; ++i) {
    const RToken& statement = nodes_[child(node, i)];
    if (statement.kind == kNodeDefault) {
      start = i;
    } else if (statement.kind == kNodeCase) {
      const std::int32_t label_index = child(statement, 0);
      const RToken& label_node = nodes_[label_index];
      const RValue* label = label_node.kind == kNodeConstant
                                ? &constants_[label_node.constant]
                                : operand(label_index, scratch, status);
      if (status != kStatusNormal) return status;
      // Labels match exactly, without the tolerance of the operators.
      const bool matches =
          label->kind() == value.kind() &&
          (value.is_real() ? label->real() == value.real() : label->text() == value.text());
      if (matches) start = i;
    }
  }
  return run_cases(node, start, slot);
}

int CodeExecutor::run_cases(const RToken& node, std::int32_t start, RValue& slot) {
  if (start < 0) return kStatusNormal;
  for (std::int32_t i = start + 1; i < node.child_count; ++i) {
    const std::int32_t index = child(node, i);
    const std::int32_t kind = nodes_[index].kind;
    if (kind == kNodeCase || kind == kNodeDefault) continue;
    const int status = statement(index, slot);
    if (status == kStatusBreak) return kStatusNormal;
    if (status != kStatusNormal) return status;
  }
  return kStatusNormal;
}

int CodeExecutor::loop(const RToken& node, RValue& slot) {
  switch (node.kind) {
    case kNodeWhile:
      return resume_loop(node, slot, LoopPhase::condition, 0, kRegisterLoopTries);
    case kNodeDo:
      return resume_loop(node, slot, LoopPhase::body, 0, kRegisterLoopTries);
    case kNodeFor: {
      // The initial and step statements leave the result slot alone.
      RValue scratch;
      const int status = statement(child(node, 0), scratch);
      if (status != kStatusNormal) return status;
      return resume_loop(node, slot, LoopPhase::condition, 0, kRegisterLoopTries);
    }
    case kNodeRepeat: {
      RValue count;
      const std::int32_t count_index = child(node, 0);
      const int status = eval(count_index, count);
      if (status != kStatusNormal) return status;
      if (count.is_string()) {
        return error(nodes_[count_index].position, "Repeat count must be a number");
      }
      return resume_loop(node, slot, LoopPhase::body, round_to_int64(count.real()),
                         kRegisterLoopTries);
    }
    default:
      return error(node.position, "Statement expected.");
  }
}

int CodeExecutor::resume_loop(const RToken& node, RValue& slot, LoopPhase phase,
                              std::int64_t repeats, int tries) {
  int status = kStatusNormal;
  bool holds = false;
  for (;;) {
    if (tries > 0 && node.register_loop >= 0) {
      --tries;
      bool ran = false;
      status = register_loop(node, slot, repeats, ran);
      if (ran) return status;
    }
    switch (node.kind) {
      case kNodeWhile:
      case kNodeFor: {
        const bool is_for = node.kind == kNodeFor;
        if (phase == LoopPhase::condition) {
          status = condition(child(node, is_for ? 1 : 0), holds,
                             is_for ? "Expression expected" : "Boolean expression expected");
          if (status != kStatusNormal) return status;
          if (!holds) return kStatusNormal;
          phase = LoopPhase::body;
        }
        if (phase == LoopPhase::body && !loop_body(child(node, is_for ? 3 : 1), slot, status)) {
          return status;
        }
        if (is_for) {
          RValue scratch;
          status = statement(child(node, 2), scratch);
          if (status != kStatusNormal) return status;
        }
        phase = LoopPhase::condition;
        break;
      }
      case kNodeDo:
        if (phase == LoopPhase::body && !loop_body(child(node, 0), slot, status)) return status;
        status = condition(child(node, 1), holds, "Boolean expression expected");
        if (status != kStatusNormal) return status;
        if (holds) return kStatusNormal;
        phase = LoopPhase::body;
        break;
      default:
        if (repeats <= 0) return kStatusNormal;
        --repeats;
        if (!loop_body(child(node, 1), slot, status)) return status;
        break;
    }
  }
}

bool CodeExecutor::replayed(const RToken& node, RValue& out) {
  const std::int32_t index = static_cast<std::int32_t>(&node - nodes_);
  LoopRun& run = replaying_->run;
  for (std::int32_t at = replaying_->first; at <= replaying_->failed; ++at) {
    const LoopOp& op = run.loop.ops[static_cast<std::size_t>(at)];
    if (op.code != kLoopCall || op.node != index) continue;
    if (at == replaying_->failed) {
      out = std::move(run.call_value);
    } else {
      out.set_real(run.regs[static_cast<std::size_t>(op.result)]);
    }
    return true;
  }
  return false;
}

int CodeExecutor::register_loop(const RToken& node, RValue& slot, std::int64_t repeats, bool& ran) {
  const RegisterLoop& loop = code_.register_loops[static_cast<std::size_t>(node.register_loop)];
  LoopRun run(loop, slot);
  for (const auto& [reg, value] : loop.constants) run.regs[static_cast<std::size_t>(reg)] = value;
  ran = load_names(run);
  if (!ran) return kStatusNormal;
  if (node.kind == kNodeRepeat) {
    run.counters[static_cast<std::size_t>(loop.statements.front().counter)] = repeats;
  }
  const int status = run_register_code(run, loop.entry);
  if (!run.general) store_names(run);
  return status;
}

inline bool CodeExecutor::load_name(LoopRun& run, std::size_t k, std::size_t found) {
  const LoopName& name = run.loop.names[k];
  const RToken& node = nodes_[name.node];
  CVariableList* list = list_of(node.fixed_instance, node.op);
  RValue* value = list != nullptr ? list->find_scalar(node.op, node.hint) : nullptr;
  if (value == nullptr || !plain_real(*value, run.regs[static_cast<std::size_t>(name.reg)])) {
    return false;
  }
  // self.a and a written without an instance may be one variable.
  const auto found_end = run.names.begin() + static_cast<std::ptrdiff_t>(found);
  if (found > 0 && std::find(run.names.begin(), found_end, value) != found_end) return false;
  run.names[k] = value;
  return true;
}

bool CodeExecutor::load_names(LoopRun& run) {
  const std::size_t count = run.loop.names.size();
  const bool may_meet = run.loop.names_may_meet;
  for (std::size_t k = 0; k < count; ++k) {
    if (!load_name(run, k, may_meet ? k : 0)) return false;
  }
  for (const auto& [reg, slot] : run.loop.arguments) {
    if (!plain_real(argument(slot), run.regs[static_cast<std::size_t>(reg)])) return false;
  }
  if (!run.loop.arrays.empty() || run.loop.fields > 0) find_arrays(run, false);
  return true;
}

void CodeExecutor::find_arrays(LoopRun& run, bool shared_only) {
  for (std::size_t k = 0; k < run.loop.arrays.size(); ++k) {
    const auto& [reference, designator] = run.loop.arrays[k];
    if (shared_only && designator == kLocal) continue;
    const RToken& node = nodes_[reference];
    CVariableList* list = list_of(designator, node.op);
    run.arrays[k] = list != nullptr ? list->find_entry(node.op, node.hint) : nullptr;
  }
  for (std::int32_t k = 0; k < run.loop.fields; ++k) {
    run.fields[static_cast<std::size_t>(k)] = {0, nullptr};
  }
}

void CodeExecutor::store_names(LoopRun& run, bool shared_only) {
  const std::vector<LoopName>& names = run.loop.names;
  for (std::size_t k = 0; k < names.size(); ++k) {
    // A name a call left beyond the registers holds its own value.
    if (names[k].written && (names[k].shared || !shared_only) && run.names[k] != nullptr) {
      run.names[k]->set_real(run.regs[static_cast<std::size_t>(names[k].reg)]);
    }
  }
  if (!shared_only && run.slot_written) {
    run.slot = RValue(run.slot_value);
    run.slot_written = false;
  }
}

int CodeExecutor::loop_call(LoopRun& run, const LoopOp& op) {
  const RToken& node = nodes_[op.node];
  if (op.target < 0 && !step()) return out_of_steps(node.position);
  double pure_result = 0.0;
  if (node.op >= kFirstScriptFunction && node.op < kFirstExtensionFunction) {
    const CScript* script = engine_.scripts.compiled(node.op - kFirstScriptFunction);
    if (script != nullptr && run_pure_script(*script->code, run, op, pure_result)) {
      run.call_value.set_real(pure_result);
      run.names_reloaded = true;
      return kStatusNormal;
    }
  }
  // Names that no code a call runs can see stay in their registers.
  const bool names_kept = !run.loop.shares || (node.op < kFirstScriptFunction &&
                                               engine_.functions.at(node.op).calculation);
  if (!names_kept) store_names(run, true);
  const std::int32_t* registers = run.loop.call_arguments.data() + op.left;
  BorrowedArguments arguments(engine_, op.right);
  for (std::int32_t i = 0; i < op.right; ++i) {
    arguments[i].set_real(run.regs[static_cast<std::size_t>(registers[i])]);
  }
  const int status = call_with(node, arguments, run.call_value);
  run.names_reloaded = names_kept || reload_shared(run);
  return status;
}

bool CodeExecutor::run_pure_script(const CCode& code, const LoopRun& caller, const LoopOp& op,
                                   double& out) {
  if (!code.compiled() || code.kind() != CodeKind::program) return false;
  const RToken& root = code.nodes[code.root()];
  if (root.kind != kNodeBlock || root.register_loop < 0) return false;
  const RegisterLoop& body = code.register_loops[static_cast<std::size_t>(root.register_loop)];
  if (!body.pure || body.arguments_read > op.right ||
      engine_.nesting >= engine_.limits.max_nesting) {
    return false;
  }
  CodeExecutor callee(engine_, code, self_, other_, locals_);
  RValue unused;
  LoopRun run(body, unused);
  run.tentative = true;
  for (const auto& [reg, value] : body.constants) run.regs[static_cast<std::size_t>(reg)] = value;
  const std::int32_t* passed = caller.loop.call_arguments.data() + op.left;
  for (const auto& [reg, slot] : body.arguments) {
    run.regs[static_cast<std::size_t>(reg)] = caller.regs[static_cast<std::size_t>(passed[slot])];
  }
  const std::int64_t steps = engine_.steps_left;
  if (callee.run_register_code(run, body.entry) == kStatusFallBack) {
    engine_.steps_left = steps;
    return false;
  }
  // As every run of code does.
  engine_.errors.pending = false;
  out = run.slot_written ? run.slot_value : 0.0;
  return true;
}

bool CodeExecutor::reload_shared(LoopRun& run) {
  // Lists the call added variables to may have moved, so no name is kept
  // where it was until it is found again.
  const std::vector<LoopName>& names = run.loop.names;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (names[k].shared) run.names[k] = nullptr;
  }
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (names[k].shared && !load_name(run, k, run.loop.names_may_meet ? names.size() : 0)) {
      return false;
    }
  }
  find_arrays(run, true);
  return true;
}

int CodeExecutor::run_register_code(LoopRun& run, std::int32_t at) {
  const LoopOp* const ops = run.loop.ops.data();
  double* const regs = run.regs.data();
  const LoopOp* next = ops + at;
  for (;;) {
    const LoopOp& op = *next++;
    switch (op.code) {
      case kLoopAdd:
        regs[op.result] = regs[op.left] + regs[op.right];
        continue;
      case kLoopSubtract:
        regs[op.result] = regs[op.left] - regs[op.right];
        continue;
      case kLoopMultiply:
        regs[op.result] = regs[op.left] * regs[op.right];
        continue;
      case kLoopDivide:
        if (real_operation(kOpDivide, regs[op.left], regs[op.right], regs[op.result])) continue;
        break;
      case kLoopDiv:
        if (real_operation(kOpDiv, regs[op.left], regs[op.right], regs[op.result])) continue;
        break;
      case kLoopMod:
        if (real_operation(kOpMod, regs[op.left], regs[op.right], regs[op.result])) continue;
        break;
      case kLoopLess:
        real_operation(kOpLess, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopLessEqual:
        real_operation(kOpLessEqual, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopGreater:
        real_operation(kOpGreater, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopGreaterEqual:
        real_operation(kOpGreaterEqual, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopEqual:
        real_operation(kOpEqual, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopNotEqual:
        real_operation(kOpNotEqual, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopAnd:
        real_operation(kOpAnd, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopOr:
        real_operation(kOpOr, regs[op.left], regs[op.right], regs[op.result]);
        continue;
      case kLoopNot:
        regs[op.result] = regs[op.left] >= 0.5 ? 0.0 : 1.0;
        continue;
      case kLoopNegate:
        regs[op.result] = -regs[op.left];
        continue;
      case kLoopMove:
        regs[op.result] = regs[op.left];
        continue;
      case kLoopElement:
        if (const RValue* element = loop_element(run, op);
            element && plain_real(*element, regs[op.result])) {
          continue;
        }
        break;
      case kLoopField:
        if (loop_field(run, op, regs[op.result])) continue;
        break;
      case kLoopBuiltin: {
        // The lowering leaves only built-ins of self and other here.
        const RToken& node = nodes_[op.node];
        if (builtin_real(node.op, node.fixed_instance == kOther ? *other_ : *self_,
                         regs[op.result])) {
          continue;
        }
        break;
      }
      case kLoopStep: {
        // Where the budget runs out part way, the statement it ran out at is
        // the one named.
        const std::int64_t left = engine_.steps_left;
        if (step(op.left)) continue;
        if (run.tentative) return kStatusFallBack;
        return out_of_steps(
            nodes_[run.loop.step_nodes[static_cast<std::size_t>(op.right + left)]].position);
      }
      case kLoopJump:
        next = ops + op.target;
        continue;
      case kLoopJumpUnless:
        if (!(regs[op.left] >= 0.5)) next = ops + op.target;
        continue;
      case kLoopJumpIf:
        if (regs[op.left] >= 0.5) next = ops + op.target;
        continue;
      case kLoopJumpIfLess:
        if (jumps(kOpLess, op, regs)) next = ops + op.target;
        continue;
      case kLoopJumpIfLessEqual:
        if (jumps(kOpLessEqual, op, regs)) next = ops + op.target;
        continue;
      case kLoopJumpIfGreater:
        if (jumps(kOpGreater, op, regs)) next = ops + op.target;
        continue;
      case kLoopJumpIfGreaterEqual:
        if (jumps(kOpGreaterEqual, op, regs)) next = ops + op.target;
        continue;
      case kLoopJumpIfEqual:
        if (jumps(kOpEqual, op, regs)) next = ops + op.target;
        continue;
      case kLoopJumpIfNotEqual:
        if (jumps(kOpNotEqual, op, regs)) next = ops + op.target;
        continue;
      case kLoopSlot:
        run.slot_value = regs[op.left];
        run.slot_written = true;
        continue;
      case kLoopRepeatStart:
        run.counters[static_cast<std::size_t>(op.right)] = round_to_int64(regs[op.left]);
        continue;
      case kLoopRepeatNext: {
        std::int64_t& left = run.counters[static_cast<std::size_t>(op.right)];
        if (left <= 0) {
          next = ops + op.target;
        } else {
          --left;
        }
        continue;
      }
      case kLoopSwitch: {
        const LoopStatement& statement = run.loop.statements[static_cast<std::size_t>(op.node)];
        const RToken& node = nodes_[statement.node];
        const std::int32_t start =
            case_of(code_.case_tables[static_cast<std::size_t>(node.case_table)], regs[op.left]);
        next = ops +
               (start < 0 ? statement.end : statement.cases[static_cast<std::size_t>(start) + 1]);
        continue;
      }
      case kLoopAssignBuiltin: {
        const RToken& node = nodes_[op.node];
        const AssignStep step{nullptr, op.node, child(node, 0)};
        const double value = regs[op.left];
        RValue assigned;
        int status = kStatusFallBack;
        switch (node.op) {
          case kTokAssign:
            status = assign_builtin<kTokAssign>(step, value, assigned);
            break;
          case kTokAddAssign:
            status = assign_builtin<kOpAdd>(step, value, assigned);
            break;
          case kTokSubAssign:
            status = assign_builtin<kOpSubtract>(step, value, assigned);
            break;
          case kTokMulAssign:
            status = assign_builtin<kOpMultiply>(step, value, assigned);
            break;
          case kTokDivAssign:
            status = assign_builtin<kOpDivide>(step, value, assigned);
            break;
          default:
            break;
        }
        if (status == kStatusFallBack) break;
        if (status != kStatusNormal) return status;
        if (op.right != 0) {
          run.slot_value = assigned.real();
          run.slot_written = true;
        }
        continue;
      }
      case kLoopAssignElement: {
        const int status = assign_element(run, op);
        if (status == kStatusNormal) continue;
        if (status == kStatusFallBack) break;
        return status;
      }
      case kLoopCall: {
        const int status = loop_call(run, op);
        if (status != kStatusNormal) return status;
        if (run.names_reloaded && plain_real(run.call_value, regs[op.result])) continue;
        break;
      }
      case kLoopCallStep:
        if (step()) continue;
        return out_of_steps(nodes_[op.node].position);
      case kLoopExit:
        return kStatusExit;
      case kLoopReturn:
        run.slot_value = regs[op.left];
        run.slot_written = true;
        return kStatusExit;
      case kLoopEnd:
        return kStatusNormal;
      default:
        // Only the lowering makes operations.
        __builtin_unreachable();
    }
    if (run.tentative) return kStatusFallBack;
    std::int32_t resume = static_cast<std::int32_t>(next - ops);
    const int status = take_over(run, op, resume);
    if (status != kStatusNormal || run.general) return status;
    next = ops + resume;
  }
}

int CodeExecutor::assign_element(LoopRun& run, const LoopOp& op) {
  // A variable made by the write would move the names held in its list.
  RVariable* entry = run.arrays[static_cast<std::size_t>(op.cache)];
  std::int32_t row = 0;
  std::int32_t column = 0;
  if (entry == nullptr || !element_place(run, op, row, column)) return kStatusFallBack;
  const RValue value(run.regs[static_cast<std::size_t>(op.result)]);
  if (RValue* element = CVariableList::element_of(*entry, row, column)) {
    *element = value;
    return kStatusNormal;
  }
  const auto& [reference, designator] = run.loop.arrays[static_cast<std::size_t>(op.cache)];
  CVariableList* list = list_of(designator, nodes_[reference].op);
  if (!grown(list->set(entry->index, row * kArrayRowWidth + column, value))) {
    return error(nodes_[op.node].position, "Cannot assign to the variable");
  }
  return kStatusNormal;
}

bool CodeExecutor::loop_field(LoopRun& run, const LoopOp& op, double& out) {
  const double designator_value = run.regs[static_cast<std::size_t>(op.left)];
  const std::int32_t designator = round_designator(designator_value);
  // Self, other, global and local are found at once.
  if (designator < 0) return fast_field(op.node, designator_value, out);
  auto& [found_for, instance] = run.fields[static_cast<std::size_t>(op.cache)];
  if (instance == nullptr || found_for != designator) {
    instance = instance_of(designator);
    found_for = designator;
    if (instance == nullptr) return false;
  }
  const RToken& node = nodes_[op.node];
  RValue scratch;
  const RValue* value = find_in(*instance, node, Target{node.op, 0, designator}, scratch);
  return value != nullptr && plain_real(*value, out);
}

int CodeExecutor::take_over(LoopRun& run, const LoopOp& failed, std::int32_t& next) {
  const LoopEscape& escape = run.loop.escapes[static_cast<std::size_t>(failed.escape)];
  const LoopStatement& statement = run.loop.statements[static_cast<std::size_t>(escape.statement)];
  const RToken& node = nodes_[statement.node];
  store_names(run);
  LoopReplay replay{run, escape.first, static_cast<std::int32_t>(&failed - run.loop.ops.data())};
  // The general evaluation counts again a failed statement's step, and the
  // steps of calls the failed part counted ahead and did not reach.
  std::int64_t recount = escape.kind == LoopEscapeKind::statement ? 1 : 0;
  for (std::int32_t at = replay.first; at < replay.failed; ++at) {
    const LoopOp& op = run.loop.ops[static_cast<std::size_t>(at)];
    if (op.code == kLoopCallStep && op.target > replay.failed) ++recount;
  }
  if (engine_.steps_left >= 0) engine_.steps_left += recount;
  int status = kStatusNormal;
  switch (escape.kind) {
    case LoopEscapeKind::statement: {
      RValue scratch;
      status = replaying(replay, [&] {
        return this->statement(statement.node, statement.to_slot ? run.slot : scratch);
      });
      run.general = !load_names(run);
      if (run.general) return finish_generally(run, escape.statement, status);
      break;
    }
    case LoopEscapeKind::condition: {
      const bool is_if = statement.kind == LoopStatementKind::if_statement;
      const bool is_for = statement.kind == LoopStatementKind::for_loop;
      const bool second = is_for || statement.kind == LoopStatementKind::do_loop;
      bool holds = false;
      status = replaying(replay, [&] {
        return condition(child(node, second ? 1 : 0), holds,
                         is_if || is_for ? "Expression expected" : "Boolean expression expected");
      });
      run.general = !load_names(run);
      if (status != kStatusNormal) return status;
      if (run.general) return finish_after_condition(run, escape.statement, holds);
      next = holds ? escape.next : escape.otherwise;
      return kStatusNormal;
    }
    case LoopEscapeKind::switch_value:
      status = replaying(replay, [&] { return switch_statement(node, run.slot); });
      run.general = !load_names(run);
      if (run.general) return finish_generally(run, escape.statement, status);
      // A continue in a case goes on at the loop around the switch.
      if (status == kStatusContinue) {
        const LoopStatement* loop = &statement;
        do {
          if (loop->parent < 0) return status;  // no loop: it ends the program
          loop = &run.loop.statements[static_cast<std::size_t>(loop->parent)];
        } while (loop->kind == LoopStatementKind::block ||
                 loop->kind == LoopStatementKind::if_statement ||
                 loop->kind == LoopStatementKind::switch_statement);
        next = loop->continue_at;
        return kStatusNormal;
      }
      break;
    case LoopEscapeKind::repeat_count: {
      RValue count;
      const std::int32_t count_index = child(node, 0);
      status = replaying(replay, [&] { return eval(count_index, count); });
      run.general = !load_names(run);
      if (status != kStatusNormal) return status;
      if (count.is_string()) {
        return error(nodes_[count_index].position, "Repeat count must be a number");
      }
      const std::int64_t repeats = round_to_int64(count.real());
      if (run.general) {
        return finish_generally(run, escape.statement,
                                resume_loop(node, run.slot, LoopPhase::body, repeats, 0));
      }
      run.counters[static_cast<std::size_t>(statement.counter)] = repeats;
      break;
    }
  }
  if (status != kStatusNormal) return status;
  next = escape.next;
  return kStatusNormal;
}

int CodeExecutor::finish_after_condition(LoopRun& run, std::int32_t index, bool holds) {
  const LoopStatement& statement = run.loop.statements[static_cast<std::size_t>(index)];
  const RToken& node = nodes_[statement.node];
  int status = kStatusNormal;
  switch (statement.kind) {
    case LoopStatementKind::if_statement:
      if (holds) {
        status = this->statement(child(node, 1), run.slot);
      } else if (node.child_count > 2) {
        status = this->statement(child(node, 2), run.slot);
      }
      break;
    case LoopStatementKind::do_loop:
      if (!holds) status = resume_loop(node, run.slot, LoopPhase::body, 0, 0);
      break;
    default:
      if (holds) status = resume_loop(node, run.slot, LoopPhase::body, 0, 0);
      break;
  }
  return finish_generally(run, index, status);
}

int CodeExecutor::finish_generally(LoopRun& run, std::int32_t index, int status) {
  const std::vector<LoopStatement>& statements = run.loop.statements;
  for (const LoopStatement* inner = &statements[static_cast<std::size_t>(index)];
       inner->parent >= 0; inner = &statements[static_cast<std::size_t>(inner->parent)]) {
    const LoopStatement& outer = statements[static_cast<std::size_t>(inner->parent)];
    const RToken& node = nodes_[outer.node];
    switch (outer.kind) {
      case LoopStatementKind::block:
        for (std::int32_t i = inner->position + 1; i < node.child_count && status == kStatusNormal;
             ++i) {
          status = statement(child(node, i), run.slot);
        }
        break;
      case LoopStatementKind::switch_statement:
        if (status == kStatusBreak) {
          status = kStatusNormal;
        } else if (status == kStatusNormal) {
          status = run_cases(node, inner->position, run.slot);
        }
        break;
      case LoopStatementKind::for_loop:
      case LoopStatementKind::while_loop:
      case LoopStatementKind::do_loop:
      case LoopStatementKind::repeat_loop: {
        const bool is_for = outer.kind == LoopStatementKind::for_loop;
        // The body is a for's fourth child and the others' last.
        const bool body = inner->position == (is_for ? 3 : node.child_count - 1) ||
                          (outer.kind == LoopStatementKind::do_loop && inner->position == 0);
        if (body) {
          if (status == kStatusBreak) {
            status = kStatusNormal;
            break;
          }
          if (status != kStatusNormal && status != kStatusContinue) break;
        } else if (status != kStatusNormal) {
          break;
        }
        // After a for's start its condition comes; after its body, its step.
        const LoopPhase phase = outer.kind == LoopStatementKind::repeat_loop ? LoopPhase::body
                                : is_for && body                             ? LoopPhase::step
                                                                             : LoopPhase::condition;
        status = resume_loop(node, run.slot, phase,
                             run.counters[static_cast<std::size_t>(outer.counter)], 0);
        break;
      }
      default:
        break;
    }
  }
  return status;
}

int CodeExecutor::exec(std::int32_t index, RValue& slot) {
  const RToken& node = nodes_[index];
  if (!step()) return out_of_steps(node.position);
  int status = kStatusNormal;
  switch (node.kind) {
    case kNodeBlock:
      return block(node, slot);
    case kNodeAssign:
      // A lowered assignment is run by statement before it gets here.
      return assign(node, slot);
    case kNodeCall:
      return eval(index, slot);
    case kNodeIf:
      return if_branches(node, slot);
    case kNodeWhile:
    case kNodeDo:
    case kNodeFor:
    case kNodeRepeat:
      return loop(node, slot);
    case kNodeExit:
      return kStatusExit;
    case kNodeBreak:
      return kStatusBreak;
    case kNodeContinue:
      return kStatusContinue;
    case kNodeReturn:
      status = eval(child(node, 0), slot);
      return status == kStatusNormal ? kStatusExit : status;
    case kNodeWith:
      return with(node, slot);
    case kNodeSwitch:
      return switch_statement(node, slot);
    case kNodeCase:
      return error(node.position, "Case statement only allowed inside switch statement.");
    case kNodeDefault:
      return error(node.position, "Default statement only allowed inside switch statement.");
    case kNodeVar:
      return kStatusNormal;
    case kNodeGlobalVar:
      for (std::int32_t i = 0; i < node.child_count; ++i) {
        engine_.globals.declare_global(nodes_[child(node, i)].op);
      }
      return kStatusNormal;
    default:
      return error(node.position, "Statement expected.");
  }
}

namespace {

// How a real step reads one of its operands.
struct ConstantOperand {
  static bool get(CodeExecutor&, std::int32_t, double constant, double& out) {
    out = constant;
    return true;
  }
};
struct LocalOperand {
  static bool get(CodeExecutor& executor, std::int32_t node, double, double& out) {
    return executor.fast_local(node, out);
  }
};
struct ArgumentOperand {
  static bool get(CodeExecutor& executor, std::int32_t slot, double, double& out) {
    return plain_real(executor.argument(slot), out);
  }
};
struct StepOperand {
  static bool get(CodeExecutor& executor, std::int32_t step, double, double& out) {
    return executor.run_step(step, out);
  }
};
struct AnyOperand {
  static bool get(CodeExecutor& executor, std::int32_t node, double, double& out) {
    return executor.fast_operand(node, out);
  }
};

using StepFunction = bool (*)(const RealStep&, CodeExecutor&, double&);

// Two operands read as the operand types say, then combined by Combine.
template <class Combine>
struct TwoOperandStep {
  template <class Left, class Right>
  static bool run(const RealStep& step, CodeExecutor& executor, double& out) {
    double left = 0.0;
    double right = 0.0;
    return Left::get(executor, step.left, step.left_constant, left) &&
           Right::get(executor, step.right, step.right_constant, right) &&
           Combine::apply(step, executor, left, right, out);
  }
};

// A binary operator.
template <std::int32_t Op>
struct RealOperation {
  [[gnu::always_inline]] static bool apply(const RealStep&, CodeExecutor&, double left,
                                           double right, double& out) {
    return real_operation(Op, left, right, out);
  }
};
template <std::int32_t Op>
using BinaryStep = TwoOperandStep<RealOperation<Op>>;

// An array element by row and column; one index is column with row 0.
struct ElementRead {
  static bool apply(const RealStep& step, CodeExecutor& executor, double row, double column,
                    double& out) {
    return executor.fast_element(step.node, step.designator, row, column, out);
  }
};
using ElementStep = TwoOperandStep<ElementRead>;

// Where an assignment's target lives: the locals, or whichever list its
// designator names.
struct LocalTarget {
  static CVariableList* list(CodeExecutor& executor, const RToken&) { return &executor.locals(); }
};
struct ListTarget {
  static CVariableList* list(CodeExecutor& executor, const RToken& target) {
    return executor.list_of(target.fixed_instance, target.op);
  }
};

template <std::int32_t Op, class Target>
struct AssignRealStep {
  template <class Value>
  static int run(const AssignStep& step, CodeExecutor& executor, RValue& slot) {
    const RToken& target = executor.node(step.target);
    CVariableList* list = Target::list(executor, target);
    double real = 0.0;
    return list != nullptr && Value::get(executor, step.value, step.value_constant, real) &&
                   executor.assign_real<Op>(*list, target, real, slot)
               ? kStatusNormal
               : kStatusFallBack;
  }
};

// An assignment to a built-in variable of self or other, through its getter
// and setter without the general resolution.
template <std::int32_t Op>
struct AssignBuiltinStep {
  template <class Value>
  static int run(const AssignStep& step, CodeExecutor& executor, RValue& slot) {
    double real = 0.0;
    if (!Value::get(executor, step.value, step.value_constant, real)) return kStatusFallBack;
    return executor.assign_builtin<Op>(step, real, slot);
  }
};

// A name of an instance given by a value, as in other.x or (id).x.
struct FieldStep {
  template <class Designator>
  static bool run(const RealStep& step, CodeExecutor& executor, double& out) {
    double designator = 0.0;
    return Designator::get(executor, step.left, step.left_constant, designator) &&
           executor.fast_field(step.node, designator, out);
  }
};

template <std::int32_t Op, class Operand>
bool unary_step(const RealStep& step, CodeExecutor& executor, double& out) {
  double operand = 0.0;
  if (!Operand::get(executor, step.left, step.left_constant, operand)) return false;
  if constexpr (Op == kOpNot) {
    out = operand >= 0.5 ? 0.0 : 1.0;
  } else if constexpr (Op == kOpSubtract) {
    out = -operand;
  } else {
    out = operand;
  }
  return true;
}

bool read_step(const RealStep& step, CodeExecutor& executor, double& out) {
  return executor.fast_read(executor.node(step.node), out);
}

bool tree_step(const RealStep& step, CodeExecutor& executor, double& out) {
  return executor.fast_tree(step.node, out);
}

enum class OperandKind { constant, local, argument, step, any };

template <class Step, class Left>
StepFunction step_with(OperandKind right) {
  switch (right) {
    case OperandKind::constant:
      return &Step::template run<Left, ConstantOperand>;
    case OperandKind::local:
      return &Step::template run<Left, LocalOperand>;
    case OperandKind::argument:
      return &Step::template run<Left, ArgumentOperand>;
    case OperandKind::step:
      return &Step::template run<Left, StepOperand>;
    default:
      return &Step::template run<Left, AnyOperand>;
  }
}

// The step specialised for how it reads its two operands.
template <class Step>
StepFunction step_of(OperandKind left, OperandKind right) {
  switch (left) {
    case OperandKind::constant:
      return step_with<Step, ConstantOperand>(right);
    case OperandKind::local:
      return step_with<Step, LocalOperand>(right);
    case OperandKind::argument:
      return step_with<Step, ArgumentOperand>(right);
    case OperandKind::step:
      return step_with<Step, StepOperand>(right);
    default:
      return step_with<Step, AnyOperand>(right);
  }
}

using AssignFunction = int (*)(const AssignStep&, CodeExecutor&, RValue&);

template <class Step>
AssignFunction assign_with(OperandKind value) {
  switch (value) {
    case OperandKind::constant:
      return &Step::template run<ConstantOperand>;
    case OperandKind::local:
      return &Step::template run<LocalOperand>;
    case OperandKind::argument:
      return &Step::template run<ArgumentOperand>;
    case OperandKind::step:
      return &Step::template run<StepOperand>;
    default:
      return &Step::template run<AnyOperand>;
  }
}

enum class TargetKind { local, list, builtin };

template <std::int32_t Op>
AssignFunction assign_of(TargetKind target, OperandKind value) {
  switch (target) {
    case TargetKind::local:
      return assign_with<AssignRealStep<Op, LocalTarget>>(value);
    case TargetKind::list:
      return assign_with<AssignRealStep<Op, ListTarget>>(value);
    default:
      return assign_with<AssignBuiltinStep<Op>>(value);
  }
}

template <std::int32_t Op>
StepFunction binary_of(OperandKind left, OperandKind right) {
  return step_of<BinaryStep<Op>>(left, right);
}

// The operators that real_operation applies; null for the others, which
// the tree walk tries.
StepFunction binary_function(std::int32_t op, OperandKind left, OperandKind right) {
  switch (op) {
    case kOpAdd:
      return binary_of<kOpAdd>(left, right);
    case kOpSubtract:
      return binary_of<kOpSubtract>(left, right);
    case kOpMultiply:
      return binary_of<kOpMultiply>(left, right);
    case kTokAssign:
    case kOpEqual:
      return binary_of<kOpEqual>(left, right);
    case kOpNotEqual:
      return binary_of<kOpNotEqual>(left, right);
    case kOpLess:
      return binary_of<kOpLess>(left, right);
    case kOpLessEqual:
      return binary_of<kOpLessEqual>(left, right);
    case kOpGreater:
      return binary_of<kOpGreater>(left, right);
    case kOpGreaterEqual:
      return binary_of<kOpGreaterEqual>(left, right);
    case kOpDivide:
      return binary_of<kOpDivide>(left, right);
    case kOpDiv:
      return binary_of<kOpDiv>(left, right);
    case kOpMod:
      return binary_of<kOpMod>(left, right);
    case kOpAnd:
      return binary_of<kOpAnd>(left, right);
    case kOpOr:
      return binary_of<kOpOr>(left, right);
    default:
      return nullptr;
  }
}

template <std::int32_t Op>
StepFunction unary_of(OperandKind operand) {
  switch (operand) {
    case OperandKind::constant:
      return &unary_step<Op, ConstantOperand>;
    case OperandKind::local:
      return &unary_step<Op, LocalOperand>;
    case OperandKind::argument:
      return &unary_step<Op, ArgumentOperand>;
    case OperandKind::step:
      return &unary_step<Op, StepOperand>;
    default:
      return &unary_step<Op, AnyOperand>;
  }
}

StepFunction unary_function(std::int32_t op, OperandKind operand) {
  switch (op) {
    case kOpNot:
      return unary_of<kOpNot>(operand);
    case kOpAdd:
      return unary_of<kOpAdd>(operand);
    case kOpSubtract:
      return unary_of<kOpSubtract>(operand);
    default:
      return nullptr;
  }
}

// A constant operand is taken by value only as a plain real; any other
// constant makes the step fail, as the tree walk does.
// An operand with a real step of its own is named by that step's index, an
// argument0..argument15 by its slot.
OperandKind operand_kind(const CCode& code, std::int32_t& operand, double& constant) {
  const RToken& node = code.nodes[operand];
  if (node.kind == kNodeConstant) {
    const RValue& value = code.constants[node.constant];
    if (!plain_real(value, constant)) return OperandKind::any;
    return OperandKind::constant;
  }
  if (node.kind == kNodeFixedVariable && node.fixed_instance == kLocal) return OperandKind::local;
  if (const std::int32_t slot = argument_slot_of(node); slot >= 0) {
    operand = slot;
    return OperandKind::argument;
  }
  if (node.real_step >= 0) {
    operand = node.real_step;
    return OperandKind::step;
  }
  return OperandKind::any;
}

bool has_real_step(const RToken& node) {
  return node.reads_only &&
         (node.kind == kNodeVariable || node.kind == kNodeUnary || node.kind == kNodeBinary);
}

// A reference with an instance value and no index reads that instance's
// variable; one with a constant instance and one or two indices reads its
// element by row and column. Null for any other.
StepFunction reference_function(const CCode& code, const RToken& node, RealStep& step) {
  double designator = 0.0;
  std::int32_t instance = code.child(node, 0);
  const OperandKind instance_kind = operand_kind(code, instance, designator);
  if (node.child_count == 1) {
    step.left = instance;
    step.left_constant = designator;
    switch (instance_kind) {
      case OperandKind::local:
        return &FieldStep::run<LocalOperand>;
      case OperandKind::argument:
        return &FieldStep::run<ArgumentOperand>;
      case OperandKind::step:
        return &FieldStep::run<StepOperand>;
      default:
        return &FieldStep::run<AnyOperand>;
    }
  }
  if (node.child_count > 3 || instance_kind != OperandKind::constant) return nullptr;
  step.designator = round_to_int32(designator);
  OperandKind row = OperandKind::constant;
  if (node.child_count == 3) {
    step.left = code.child(node, 1);
    row = operand_kind(code, step.left, step.left_constant);
  }
  step.right = code.child(node, node.child_count - 1);
  return step_of<ElementStep>(row, operand_kind(code, step.right, step.right_constant));
}

int call_assign_step(const AssignStep& step, CodeExecutor& executor, RValue& slot) {
  return executor.assign_call(step, slot);
}

// An assignment of a reads-only value to a plain name gets a step for the
// operators that real_operation applies, one of a call's value to a plain
// name a step that skips the resolution; null for the others.
AssignFunction assign_function(const CCode& code, const RToken& node, AssignStep& step) {
  step.target = code.child(node, 0);
  step.value = code.child(node, 1);
  const RToken& target = code.nodes[step.target];
  if (target.kind == kNodeFixedVariable && code.nodes[step.value].kind == kNodeCall) {
    return &call_assign_step;
  }
  if (target.kind != kNodeFixedVariable || !code.nodes[step.value].reads_only) return nullptr;
  TargetKind kind = TargetKind::list;
  if (target.fixed_instance == kLocal) {
    kind = TargetKind::local;
  } else if (target.op < kUserVariableThreshold) {
    // The built-ins of self or other; any other instance is left to the
    // general assignment.
    const std::int32_t designator = target.fixed_instance;
    if (designator != kSelf && designator != kUnspecified && designator != kOther) return nullptr;
    kind = TargetKind::builtin;
  }
  const OperandKind value = operand_kind(code, step.value, step.value_constant);
  switch (node.op) {
    case kTokAssign:
      return assign_of<kTokAssign>(kind, value);
    case kTokAddAssign:
      return assign_of<kOpAdd>(kind, value);
    case kTokSubAssign:
      return assign_of<kOpSubtract>(kind, value);
    case kTokMulAssign:
      return assign_of<kOpMultiply>(kind, value);
    case kTokDivAssign:
      return assign_of<kOpDivide>(kind, value);
    default:
      return nullptr;
  }
}

// A switch whose labels before its default are all constants gets a table,
// so that a real value finds its case without going through the labels.
void lower_cases(CCode& code, RToken& node) {
  CaseTable table;
  for (std::int32_t i = 1; i < node.child_count; ++i) {
    const RToken& statement = code.nodes[code.child(node, i)];
    if (statement.kind == kNodeDefault) {
      table.default_position = i;
      break;
    }
    if (statement.kind != kNodeCase) continue;
    const RToken& label = code.nodes[code.child(statement, 0)];
    if (label.kind != kNodeConstant) return;
    // A string label never matches a real.
    const RValue& value = code.constants[label.constant];
    if (value.is_real()) table.labels.emplace_back(value.real(), i);
  }
  node.case_table = static_cast<std::int32_t>(code.case_tables.size());
  code.case_tables.push_back(std::move(table));
}

void lower_assignment(CCode& code, RToken& node) {
  AssignStep step;
  step.node = static_cast<std::int32_t>(&node - code.nodes.data());
  step.run = assign_function(code, node, step);
  if (step.run == nullptr) return;
  node.assign_step = static_cast<std::int32_t>(code.assign_steps.size());
  code.assign_steps.push_back(step);
}

}  // namespace

void lower_tree(CCode& code) {
  code.case_tables.clear();
  code.assign_steps.clear();
  // Steps are numbered first, so that each can call its operands' steps.
  std::int32_t steps = 0;
  for (RToken& node : code.nodes) node.real_step = has_real_step(node) ? steps++ : -1;
  code.real_steps.assign(static_cast<std::size_t>(steps), RealStep{});
  for (std::size_t index = 0; index < code.nodes.size(); ++index) {
    RToken& node = code.nodes[index];
    node.case_table = -1;
    node.assign_step = -1;
    if (node.kind == kNodeSwitch) lower_cases(code, node);
    if (node.kind == kNodeAssign) lower_assignment(code, node);
    if (node.real_step < 0) continue;
    RealStep& step = code.real_steps[static_cast<std::size_t>(node.real_step)];
    step.node = static_cast<std::int32_t>(index);
    switch (node.kind) {
      case kNodeVariable:
        step.run = reference_function(code, node, step);
        if (step.run == nullptr) step.run = &read_step;
        break;
      case kNodeUnary: {
        step.left = code.child(node, 0);
        step.run = unary_function(node.op, operand_kind(code, step.left, step.left_constant));
        break;
      }
      case kNodeBinary: {
        step.left = code.child(node, 0);
        step.right = code.child(node, 1);
        const OperandKind left = operand_kind(code, step.left, step.left_constant);
        const OperandKind right = operand_kind(code, step.right, step.right_constant);
        step.run = binary_function(node.op, left, right);
        break;
      }
      default:
        break;
    }
    if (step.run == nullptr) step.run = &tree_step;
  }
  lower_register_loops(code);
}

namespace {

// execute, inline in the script calls, which run it most.
[[gnu::always_inline]] inline bool run_code(ScriptEngine& engine, const CCode& code,
                                            ScriptInstance* self, ScriptInstance* other,
                                            RValue& result) {
  engine.errors.pending = false;
  result.clear();
  if (!code.compiled()) {
    record_code_error(engine, code, 0, "Internal Error: Executing non-compiled code.");
    return false;
  }
  if (self == nullptr || other == nullptr) {
    record_code_error(engine, code, 0, "Internal Error: Executing code for nil instance.");
    return false;
  }
  if (code.kind() == CodeKind::constant_expression) {
    result = code.constant();
    return true;
  }
  if (engine.nesting >= engine.limits.max_nesting) {
    record_code_error(engine, code, 0, "Stack overflow.");
    return false;
  }
  ++engine.nesting;
  CVariableList& locals = engine.locals_at(engine.nesting);
  CodeExecutor executor(engine, code, self, other, locals);
  int status = kStatusNormal;
  if (code.kind() == CodeKind::expression) {
    status = executor.eval(code.root(), result);
  } else {
    const RToken& root = code.nodes[code.root()];
    if (root.kind == kNodeBlock) {
      bool ran = false;
      if (root.register_loop >= 0) status = executor.register_loop(root, result, 0, ran);
      if (!ran) status = executor.exec(code.root(), result);
    } else if (root.kind != kNodeEmptyProgram) {
      record_code_error(engine, code, root.position, "This is not a program.");
      status = kStatusError;
    }
  }
  locals.clear();
  --engine.nesting;
  return status != kStatusError;
}

// Executions entered from outside the executor may follow writes to the
// argument slots that left their bound where it was.
void count_arguments_in_use(ScriptEngine& engine) {
  engine.arguments_in_use = std::max(engine.arguments_in_use, slots_in_use(engine.arguments));
}

// call_with_argument_slots for a bound that is known to hold, as in the
// executor's own calls.
[[gnu::always_inline]] inline bool run_with_slots(ScriptEngine& engine, const CCode& code,
                                                  ScriptInstance& self, ScriptInstance& other,
                                                  ArgumentSlots& slots, int passed, int& left,
                                                  RValue& result) {
  // The call's slots are swapped in and the caller's swapped back, so that
  // the caller's values are moved, not copied. Slots past the last one in
  // use on either side hold fresh values on both, so they stay where they are.
  const std::int32_t caller_in_use = engine.arguments_in_use;
  const int swapped_in = std::max(passed, caller_in_use);
  std::swap_ranges(slots.begin(), slots.begin() + swapped_in, engine.arguments.begin());
  engine.arguments_in_use = passed;
  const bool ran = run_code(engine, code, &self, &other, result);
  if (!ran) result.set_text("ERROR");
  left = std::max(swapped_in, engine.arguments_in_use);
  std::swap_ranges(slots.begin(), slots.begin() + left, engine.arguments.begin());
  engine.arguments_in_use = caller_in_use;
  return ran;
}

}  // namespace

int CodeExecutor::call_script(std::int32_t number, ArgumentSlots& slots, std::int32_t count,
                              std::int32_t& left, RValue& out) {
  const CScript* script = engine_.scripts.compiled(number);
  if (script == nullptr) return kStatusError;
  if (run_with_slots(engine_, *script->code, *self_, *other_, slots, count, left, out)) {
    return kStatusNormal;
  }
  note_script_failure(engine_, *script);
  return kStatusError;
}

bool execute(ScriptEngine& engine, const CCode& code, ScriptInstance* self, ScriptInstance* other,
             RValue& result) {
  count_arguments_in_use(engine);
  return run_code(engine, code, self, other, result);
}

bool execute_and_report(ScriptEngine& engine, const CCode& code, ScriptInstance* self,
                        ScriptInstance* other, RValue& result) {
  if (execute(engine, code, self, other, result)) return true;
  report_action_error(engine, engine.errors.last_text, false);
  engine.errors.pending = false;
  return false;
}

bool execute_for_value(ScriptEngine& engine, const CCode& code, ScriptInstance* self,
                       ScriptInstance* other, RValue& result) {
  count_arguments_in_use(engine);
  if (run_code(engine, code, self, other, result)) return true;
  result.set_text("ERROR");
  return false;
}

bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, ArgumentSlots& slots, int passed, int& left,
                              RValue& result) {
  count_arguments_in_use(engine);
  return run_with_slots(engine, code, self, other, slots, passed, left, result);
}

}  // namespace kestrel
