#include <algorithm>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "script/Code_Lowering.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"

namespace kestrel {

namespace {

// The register operation of a binary operator that real_operation applies,
// or -1 for the others.
std::int32_t binary_code(std::int32_t op) {
  switch (op) {
    case kOpAdd:
      return kLoopAdd;
    case kOpSubtract:
      return kLoopSubtract;
    case kOpMultiply:
      return kLoopMultiply;
    case kOpDivide:
      return kLoopDivide;
    case kOpDiv:
      return kLoopDiv;
    case kOpMod:
      return kLoopMod;
    case kOpLess:
      return kLoopLess;
    case kOpLessEqual:
      return kLoopLessEqual;
    case kOpGreater:
      return kLoopGreater;
    case kOpGreaterEqual:
      return kLoopGreaterEqual;
    case kTokAssign:  // = in an expression compares
    case kOpEqual:
      return kLoopEqual;
    case kOpNotEqual:
      return kLoopNotEqual;
    case kOpAnd:
      return kLoopAnd;
    case kOpOr:
      return kLoopOr;
    default:
      return -1;
  }
}

// The jump on a comparison that holds, or -1 for an operation that is no
// comparison.
std::int32_t fused_jump(std::int32_t code) {
  switch (code) {
    case kLoopLess:
      return kLoopJumpIfLess;
    case kLoopLessEqual:
      return kLoopJumpIfLessEqual;
    case kLoopGreater:
      return kLoopJumpIfGreater;
    case kLoopGreaterEqual:
      return kLoopJumpIfGreaterEqual;
    case kLoopEqual:
      return kLoopJumpIfEqual;
    case kLoopNotEqual:
      return kLoopJumpIfNotEqual;
    default:
      return -1;
  }
}

// = and the compound assignments whose operator real_operation applies.
bool is_real_assignment(std::int32_t op) {
  switch (op) {
    case kTokAssign:
    case kTokAddAssign:
    case kTokSubAssign:
    case kTokMulAssign:
    case kTokDivAssign:
      return true;
    default:
      return false;
  }
}

bool is_loop(LoopStatementKind kind) {
  return kind == LoopStatementKind::for_loop || kind == LoopStatementKind::while_loop ||
         kind == LoopStatementKind::do_loop || kind == LoopStatementKind::repeat_loop;
}

// Builds the register loop of one loop node; any part it cannot hold in
// registers fails the whole loop, which then runs generally.
class LoopLowering {
 public:
  explicit LoopLowering(const CCode& code) : code_(code) {}

  bool lower(std::int32_t loop_node, RegisterLoop& out) {
    if (!statement(loop_node, -1, 0, true)) return false;
    emit({kLoopEnd});
    if (loop_.registers > kMaxLoopRegisters || loop_.counters > kMaxLoopCounters ||
        static_cast<std::int32_t>(loop_.arrays.size()) > kMaxLoopArrays ||
        loop_.fields > kMaxLoopFields) {
      return false;
    }
    // A name read or written through an element or a field may be one the
    // registers hold, which would then be out of date.
    for (const LoopName& name : loop_.names) {
      if (std::find(indirect_.begin(), indirect_.end(), code_.nodes[name.node].op) !=
          indirect_.end()) {
        return false;
      }
    }
    loop_.shares = loop_.fields > 0 ||
                   std::any_of(loop_.names.begin(), loop_.names.end(),
                               [](const LoopName& name) { return name.shared; }) ||
                   std::any_of(loop_.arrays.begin(), loop_.arrays.end(),
                               [](const auto& array) { return array.second != kLocal; });
    for (std::size_t k = 0; k < loop_.names.size(); ++k) {
      for (std::size_t j = 0; j < k; ++j) {
        if (code_.nodes[loop_.names[j].node].op == code_.nodes[loop_.names[k].node].op) {
          loop_.names_may_meet = true;
        }
      }
    }
    loop_.pure = loop_.names.empty() && loop_.arrays.empty() && loop_.fields == 0 &&
                 std::none_of(loop_.ops.begin(), loop_.ops.end(), [](const LoopOp& op) {
                   return op.code == kLoopBuiltin || op.code == kLoopAssignBuiltin ||
                          op.code == kLoopCall || op.code == kLoopCallStep;
                 });
    for (const auto& [reg, slot] : loop_.arguments) {
      loop_.arguments_read = std::max(loop_.arguments_read, slot + 1);
    }
    for (const std::int32_t index : conditions_) {
      LoopEscape& condition = escape(index);
      const LoopOp& jump = loop_.ops[static_cast<std::size_t>(condition.next)];
      const std::int32_t after = condition.next + 1;
      const bool jumps_if_holds =
          jump.code == kLoopJumpIf || (jump.code != kLoopJumpUnless && jump.result == 0);
      condition.next = jumps_if_holds ? jump.target : after;
      condition.otherwise = jumps_if_holds ? after : jump.target;
    }
    // break and continue go to their statement's end or continue operation.
    for (const auto& [op, statement, is_break] : jumps_) {
      const LoopStatement& to = loop_.statements[static_cast<std::size_t>(statement)];
      loop_.ops[static_cast<std::size_t>(op)].target = is_break ? to.end : to.continue_at;
    }
    out = std::move(loop_);
    return true;
  }

 private:
  const RToken& node(std::int32_t index) const { return code_.nodes[index]; }

  std::int32_t new_register() { return loop_.registers++; }

  using Key = std::pair<std::int32_t, std::int32_t>;  // designator, variable

  // The position of a variable's entry in `entries`, made by `make` the first
  // time the variable is met.
  template <class Entry, class Make>
  static std::int32_t entry_of(std::map<Key, std::int32_t>& positions, const Key& key,
                               std::vector<Entry>& entries, Make make) {
    const auto [found, added] = positions.emplace(key, static_cast<std::int32_t>(entries.size()));
    if (added) entries.push_back(make());
    return found->second;
  }

  // A plain name of a list designator, held in a register for the run.
  std::int32_t name_register(std::int32_t index, bool written) {
    const RToken& name = node(index);
    LoopName& entry = loop_.names[static_cast<std::size_t>(
        entry_of(names_, {name.fixed_instance, name.op}, loop_.names, [&] {
          return LoopName{index, new_register(), false, name.fixed_instance != kLocal};
        }))];
    entry.written = entry.written || written;
    // A call may change the name before the value read here is used.
    if (!written && entry.shared && copy_shared_) return add_op({kLoopMove, 0, entry.reg});
    return entry.reg;
  }

  static bool is_register_name(const RToken& name) {
    return name.kind == kNodeFixedVariable && is_list_designator(name.fixed_instance) &&
           (name.fixed_instance == kLocal || name.op >= kUserVariableThreshold);
  }

  // A built-in of self or other that the lowered assignment reaches through
  // its getter and setter; the arguments are held in registers instead.
  static bool is_builtin_name(const RToken& name) {
    return name.kind == kNodeFixedVariable && name.op < kUserVariableThreshold &&
           argument_slot_of(name) < 0 &&
           (name.fixed_instance == kSelf || name.fixed_instance == kUnspecified ||
            name.fixed_instance == kOther);
  }

  std::int32_t here() const { return static_cast<std::int32_t>(loop_.ops.size()); }

  // One register for each constant: nothing writes them.
  std::int32_t constant_register(double value) {
    const auto [found, added] = constants_.emplace(std::bit_cast<std::uint64_t>(value), 0);
    if (added) {
      found->second = new_register();
      loop_.constants.emplace_back(found->second, value);
    }
    return found->second;
  }

  std::int32_t emit(LoopOp op) {
    loop_.ops.push_back(op);
    return here() - 1;
  }

  // An operation whose result is a new register; its failure takes the
  // current escape.
  std::int32_t add_op(LoopOp op) {
    op.result = new_register();
    op.escape = escape_;
    emit(op);
    return op.result;
  }

  std::int32_t add_escape(LoopEscapeKind kind, std::int32_t statement) {
    loop_.escapes.push_back({kind, statement, 0, 0, here()});
    return static_cast<std::int32_t>(loop_.escapes.size()) - 1;
  }
  LoopEscape& escape(std::int32_t index) { return loop_.escapes[static_cast<std::size_t>(index)]; }
  LoopStatement& statement_at(std::int32_t index) {
    return loop_.statements[static_cast<std::size_t>(index)];
  }

  // The register that holds the value of an expression node after its
  // operations, or -1 where it is not made of reals the registers reach.
  std::int32_t operand(std::int32_t index) {
    const RToken& expression = node(index);
    switch (expression.kind) {
      case kNodeConstant: {
        double value = 0.0;
        if (!plain_real(code_.constants[expression.constant], value)) return -1;
        return constant_register(value);
      }
      case kNodeFixedVariable: {
        if (is_register_name(expression)) return name_register(index, false);
        if (const std::int32_t slot = argument_slot_of(expression); slot >= 0) {
          const std::int32_t reg = new_register();
          loop_.arguments.emplace_back(reg, slot);
          return reg;
        }
        if (!is_builtin_name(expression)) return -1;
        return add_op({kLoopBuiltin, 0, 0, 0, index});
      }
      case kNodeVariable:
        return reference(index);
      case kNodeCall:
        return call(index);
      case kNodeUnary: {
        const std::int32_t value = operand(code_.child(expression, 0));
        if (value < 0) return -1;
        switch (expression.op) {
          case kOpAdd:
            return value;
          case kOpSubtract:
            return add_op({kLoopNegate, 0, value, 0, index});
          case kOpNot:
            return add_op({kLoopNot, 0, value, 0, index});
          default:
            return -1;
        }
      }
      case kNodeBinary: {
        const std::int32_t code = binary_code(expression.op);
        if (code < 0) return -1;
        const std::int32_t left = operand(code_.child(expression, 0));
        if (left < 0) return -1;
        const std::int32_t right = operand(code_.child(expression, 1));
        if (right < 0) return -1;
        return add_op({code, 0, left, right, index});
      }
      default:
        return -1;
    }
  }

  // The run's entry for an array by constant instance.
  std::int32_t array(std::int32_t index, std::int32_t designator) {
    return entry_of(arrays_, {designator, node(index).op}, loop_.arrays,
                    [&] { return std::make_pair(index, designator); });
  }

  // The constant list designator of an array reference, or false.
  bool element_designator(const RToken& reference, std::int32_t& designator) const {
    if (reference.kind != kNodeVariable || reference.child_count < 2 || reference.child_count > 3 ||
        reference.op < kUserVariableThreshold) {
      return false;
    }
    const RToken& instance = node(code_.child(reference, 0));
    double value = 0.0;
    if (instance.kind != kNodeConstant || !plain_real(code_.constants[instance.constant], value)) {
      return false;
    }
    designator = round_to_int32(value);
    return is_list_designator(designator);
  }

  // The register of an element reference's row: its first index of two, or
  // 0, since a single index is a column of row 0.
  std::int32_t row_register(const RToken& reference) {
    if (reference.child_count == 3) return operand(code_.child(reference, 1));
    return constant_register(0.0);
  }

  // An element by constant instance, or a variable of the instance a value names.
  std::int32_t reference(std::int32_t index) {
    const RToken& reference = node(index);
    if (reference.child_count == 1) {
      const std::int32_t instance = operand(code_.child(reference, 0));
      if (instance < 0) return -1;
      if (reference.op >= kUserVariableThreshold) indirect_.push_back(reference.op);
      LoopOp field{kLoopField, 0, instance, 0, index};
      field.cache = loop_.fields++;
      return add_op(field);
    }
    std::int32_t designator = 0;
    if (!element_designator(reference, designator)) return -1;
    const std::int32_t row = row_register(reference);
    if (row < 0) return -1;
    const std::int32_t column = operand(code_.child(reference, reference.child_count - 1));
    if (column < 0) return -1;
    indirect_.push_back(reference.op);
    LoopOp element{kLoopElement, 0, row, column, index};
    element.cache = array(index, designator);
    return add_op(element);
  }

  bool contains_call(std::int32_t index) const {
    const RToken& expression = node(index);
    if (expression.kind == kNodeCall) return true;
    for (std::int32_t i = 0; i < expression.child_count; ++i) {
      if (contains_call(code_.child(expression, i))) return true;
    }
    return false;
  }

  // A call by its argument registers. Its step comes before the calls among
  // its arguments, where there are any.
  std::int32_t call(std::int32_t index) {
    const RToken& call = node(index);
    std::int32_t counted = -1;
    for (std::int32_t i = 0; i < call.child_count && counted < 0; ++i) {
      if (contains_call(code_.child(call, i))) counted = emit({kLoopCallStep, 0, 0, 0, index});
    }
    std::vector<std::int32_t> arguments;
    for (std::int32_t i = 0; i < call.child_count; ++i) {
      arguments.push_back(operand(code_.child(call, i)));
      if (arguments.back() < 0) return -1;
    }
    const auto first = static_cast<std::int32_t>(loop_.call_arguments.size());
    loop_.call_arguments.insert(loop_.call_arguments.end(), arguments.begin(), arguments.end());
    const std::int32_t result = add_op({kLoopCall, 0, first, call.child_count, index, counted});
    if (counted >= 0) loop_.ops[static_cast<std::size_t>(counted)].target = here() - 1;
    return result;
  }

  // Starts the operations of a statement, condition or value that fail to
  // `escape`; `expression` is all they compute.
  void begin(std::int32_t escape, std::int32_t expression) {
    escape_ = escape;
    copy_shared_ = contains_call(expression);
  }

  // The register of an expression's value, its operations failing to `escape`.
  std::int32_t value(std::int32_t index, std::int32_t escape) {
    begin(escape, index);
    return operand(index);
  }

  // The nearest statement around `from` that break (or continue) leaves.
  std::int32_t jump_target(std::int32_t from, bool is_break) const {
    for (std::int32_t at = from; at >= 0;
         at = loop_.statements[static_cast<std::size_t>(at)].parent) {
      const LoopStatementKind kind = loop_.statements[static_cast<std::size_t>(at)].kind;
      if (is_loop(kind) || (is_break && kind == LoopStatementKind::switch_statement)) return at;
    }
    return -1;
  }

  // An assignment: to a name held in a register, to a built-in of self or
  // other, or to an array element by constant instance.
  bool assignment(std::int32_t me, const RToken& assign) {
    const std::int32_t target_index = code_.child(assign, 0);
    const RToken& target = node(target_index);
    const std::int32_t fails = add_escape(LoopEscapeKind::statement, me);
    begin(fails, me_node(me));
    const bool to_slot = statement_at(me).to_slot;
    std::int32_t assigned = 0;
    if (is_real_assignment(assign.op) && is_register_name(target)) {
      const std::int32_t value_register = operand(code_.child(assign, 1));
      if (value_register < 0) return false;
      assigned = name_register(target_index, true);
      if (LoopOp* last = made_by(value_register); last != nullptr && assign.op == kTokAssign) {
        // The value's last operation writes the name itself.
        last->result = assigned;
      } else if (assign.op == kTokAssign) {
        emit({kLoopMove, assigned, value_register});
      } else {
        emit({binary_code(compound_operator(assign.op)), assigned, assigned, value_register,
              code_.child(assign, 1), 0, fails});
      }
    } else if (is_real_assignment(assign.op) && is_builtin_name(target)) {
      assigned = operand(code_.child(assign, 1));
      if (assigned < 0) return false;
      // The assignment gives the result slot the built-in's new value itself.
      emit({kLoopAssignBuiltin, 0, assigned, to_slot ? 1 : 0, me_node(me), 0, fails});
      escape(fails).next = here();
      return true;
    } else {
      std::int32_t designator = 0;
      if (assign.op != kTokAssign || !element_designator(target, designator)) return false;
      // As in the general assignment, the indices before the value.
      const std::int32_t row = row_register(target);
      const std::int32_t column =
          row < 0 ? -1 : operand(code_.child(target, target.child_count - 1));
      assigned = column < 0 ? -1 : operand(code_.child(assign, 1));
      if (assigned < 0) return false;
      indirect_.push_back(target.op);
      LoopOp write{kLoopAssignElement, assigned, row, column, me_node(me), 0, fails};
      write.cache = array(target_index, designator);
      emit(write);
    }
    if (to_slot) emit({kLoopSlot, 0, assigned});
    escape(fails).next = here();
    return true;
  }

  std::int32_t me_node(std::int32_t me) { return statement_at(me).node; }

  // The operation that made a value register in the current statement or
  // condition, or null for a name, a constant or an argument.
  LoopOp* made_by(std::int32_t value) {
    if (here() <= escape(escape_).first) return nullptr;
    LoopOp& last = loop_.ops.back();
    return last.result == value && last.code < kLoopStep ? &last : nullptr;
  }

  // A condition and its jump: to `target` when it holds (`jump_if`) or
  // when it fails. A comparison and its jump are one operation.
  bool condition(std::int32_t me, std::int32_t index, std::int32_t& jump, bool jump_if) {
    const std::int32_t fails = add_escape(LoopEscapeKind::condition, me);
    const std::int32_t holds = value(index, fails);
    if (holds < 0) return false;
    LoopOp* last = made_by(holds);
    const std::int32_t fused = last != nullptr ? fused_jump(last->code) : -1;
    if (fused >= 0) {
      last->code = fused;
      last->result = jump_if ? 0 : 1;
      jump = here() - 1;
    } else {
      jump = emit({jump_if ? kLoopJumpIf : kLoopJumpUnless, 0, holds});
    }
    // Where the escape goes is known once the jump has its target.
    escape(fails).next = jump;
    conditions_.push_back(fails);
    return true;
  }
  void land(std::int32_t jump, std::int32_t at) {
    loop_.ops[static_cast<std::size_t>(jump)].target = at;
  }

  // A loop is entered at its test: the run's start for the loop itself, a
  // jump there for a loop inside it.
  void enter_test(std::int32_t enter) {
    if (enter < 0) {
      loop_.entry = here();
    } else {
      land(enter, here());
    }
  }

  bool child_statement(std::int32_t me, const RToken& tree, std::int32_t position, bool to_slot) {
    return statement(code_.child(tree, position), me, position, to_slot);
  }

  // Emits the code of a statement; false where it cannot run in registers.
  // The loop itself has no step and no start of its own: the general
  // execution counted the first and ran the second before the run begins.
  bool statement(std::int32_t index, std::int32_t parent, std::int32_t position, bool to_slot) {
    const RToken& tree = node(index);
    const bool is_root = parent < 0;
    const std::int32_t me = static_cast<std::int32_t>(loop_.statements.size());
    LoopStatement entry;
    entry.node = index;
    entry.parent = parent;
    entry.position = position;
    entry.to_slot = to_slot;
    switch (tree.kind) {
      case kNodeBlock:
        entry.kind = LoopStatementKind::block;
        break;
      case kNodeIf:
        entry.kind = LoopStatementKind::if_statement;
        break;
      case kNodeFor:
        entry.kind = LoopStatementKind::for_loop;
        break;
      case kNodeWhile:
        entry.kind = LoopStatementKind::while_loop;
        break;
      case kNodeDo:
        entry.kind = LoopStatementKind::do_loop;
        break;
      case kNodeRepeat:
        entry.kind = LoopStatementKind::repeat_loop;
        entry.counter = loop_.counters++;
        break;
      case kNodeSwitch:
        entry.kind = LoopStatementKind::switch_statement;
        break;
      case kNodeAssign:
      case kNodeVar:
      case kNodeExit:
      case kNodeBreak:
      case kNodeContinue:
      case kNodeReturn:
        break;
      default:
        return false;
    }
    // The start and step of a for are assignments; any other statement
    // there would need a slot of its own.
    if (!to_slot && tree.kind != kNodeAssign) return false;
    loop_.statements.push_back(entry);
    // A loop run from the general execution had its step counted there; a
    // program's block counts its own.
    if (is_root && tree.kind != kNodeBlock) {
    } else if (join_step_) {
      ++loop_.ops.back().left;
      loop_.step_nodes.push_back(index);
    } else {
      emit({kLoopStep, 0, 1, static_cast<std::int32_t>(loop_.step_nodes.size())});
      loop_.step_nodes.push_back(index);
    }
    join_step_ = false;
    bool lowered = true;
    std::int32_t jump = 0;
    switch (tree.kind) {
      case kNodeAssign:
        lowered = assignment(me, tree);
        break;
      case kNodeVar:
        break;
      case kNodeExit:
        emit({kLoopExit});
        break;
      case kNodeBreak:
      case kNodeContinue: {
        const bool is_break = tree.kind == kNodeBreak;
        const std::int32_t to = jump_target(parent, is_break);
        lowered = to >= 0;
        jumps_.push_back({emit({kLoopJump}), to, is_break});
        break;
      }
      case kNodeReturn: {
        const std::int32_t fails = add_escape(LoopEscapeKind::statement, me);
        const std::int32_t returned = value(code_.child(tree, 0), fails);
        lowered = returned >= 0;
        emit({kLoopReturn, 0, returned});
        escape(fails).next = here();
        break;
      }
      case kNodeBlock:
        // No jump lands on a block's first statement, so its step is
        // counted with the block's.
        for (std::int32_t i = 0; i < tree.child_count && lowered; ++i) {
          join_step_ = i == 0;
          lowered = child_statement(me, tree, i, true);
        }
        break;
      case kNodeIf: {
        lowered =
            condition(me, code_.child(tree, 0), jump, false) && child_statement(me, tree, 1, true);
        if (!lowered) break;
        if (tree.child_count < 3) {
          land(jump, here());
          break;
        }
        const std::int32_t past_else = emit({kLoopJump});
        land(jump, here());
        lowered = child_statement(me, tree, 2, true);
        loop_.ops[static_cast<std::size_t>(past_else)].target = here();
        break;
      }
      // Loops test at the foot of their body, so a round takes one jump.
      case kNodeFor: {
        if (!is_root) lowered = child_statement(me, tree, 0, false);
        const std::int32_t enter = is_root ? -1 : emit({kLoopJump});
        const std::int32_t body = here();
        lowered = lowered && child_statement(me, tree, 3, true);
        statement_at(me).continue_at = here();
        lowered = lowered && child_statement(me, tree, 2, false);
        enter_test(enter);
        lowered = lowered && condition(me, code_.child(tree, 1), jump, true);
        if (lowered) land(jump, body);
        break;
      }
      case kNodeWhile: {
        const std::int32_t enter = is_root ? -1 : emit({kLoopJump});
        const std::int32_t body = here();
        lowered = child_statement(me, tree, 1, true);
        statement_at(me).continue_at = here();
        enter_test(enter);
        lowered = lowered && condition(me, code_.child(tree, 0), jump, true);
        if (lowered) land(jump, body);
        break;
      }
      case kNodeDo: {
        const std::int32_t body = here();
        if (is_root) loop_.entry = body;
        lowered = child_statement(me, tree, 0, true);
        statement_at(me).continue_at = here();
        // A do loop goes round again until its condition holds.
        lowered = lowered && condition(me, code_.child(tree, 1), jump, false);
        if (lowered) land(jump, body);
        break;
      }
      case kNodeRepeat: {
        const std::int32_t counter = statement_at(me).counter;
        if (!is_root) {
          const std::int32_t fails = add_escape(LoopEscapeKind::repeat_count, me);
          const std::int32_t count = value(code_.child(tree, 0), fails);
          lowered = count >= 0;
          emit({kLoopRepeatStart, 0, count, counter});
          escape(fails).next = here();
        }
        const std::int32_t top = emit({kLoopRepeatNext, 0, 0, counter});
        if (is_root) loop_.entry = top;
        statement_at(me).continue_at = top;
        lowered = lowered && child_statement(me, tree, 1, true);
        emit({kLoopJump, 0, 0, 0, 0, top});
        loop_.ops[static_cast<std::size_t>(top)].target = here();
        break;
      }
      case kNodeSwitch: {
        const std::int32_t fails = add_escape(LoopEscapeKind::switch_value, me);
        const std::int32_t switched = tree.case_table < 0 ? -1 : value(code_.child(tree, 0), fails);
        lowered = switched >= 0;
        emit({kLoopSwitch, 0, switched, 0, me});
        std::vector<std::int32_t> cases(static_cast<std::size_t>(tree.child_count) + 1, 0);
        for (std::int32_t i = 1; i < tree.child_count && lowered; ++i) {
          cases[static_cast<std::size_t>(i)] = here();
          const std::int32_t kind = node(code_.child(tree, i)).kind;
          if (kind != kNodeCase && kind != kNodeDefault)
            lowered = child_statement(me, tree, i, true);
        }
        cases.back() = here();
        statement_at(me).cases = std::move(cases);
        escape(fails).next = here();
        break;
      }
      default:
        break;
    }
    statement_at(me).end = here();
    return lowered;
  }

  const CCode& code_;
  RegisterLoop loop_;
  std::map<Key, std::int32_t> names_;
  std::map<Key, std::int32_t> arrays_;
  std::map<std::uint64_t, std::int32_t> constants_;  // by the bits of the value
  // The variables read or written as elements or fields of an instance.
  std::vector<std::int32_t> indirect_;
  // break and continue jumps: the operation, the statement left, and which.
  std::vector<std::tuple<std::int32_t, std::int32_t, bool>> jumps_;
  std::int32_t escape_ = -1;
  // The operations being emitted include a call: reads of names a call may
  // change take copies.
  bool copy_shared_ = false;
  bool join_step_ = false;                // the next statement's step joins the step just emitted
  std::vector<std::int32_t> conditions_;  // the conditions' escapes
};

}  // namespace

void lower_register_loops(CCode& code) {
  code.register_loops.clear();
  for (std::size_t index = 0; index < code.nodes.size(); ++index) {
    RToken& node = code.nodes[index];
    node.register_loop = -1;
    switch (node.kind) {
      case kNodeFor:
      case kNodeWhile:
      case kNodeDo:
      case kNodeRepeat:
        break;
      case kNodeBlock:
        // A whole program of such statements runs in registers too, as an
        // event's code mostly is.
        if (static_cast<std::int32_t>(index) == code.root() && code.kind() == CodeKind::program) {
          break;
        }
        continue;
      default:
        continue;
    }
    RegisterLoop loop;
    if (!LoopLowering(code).lower(static_cast<std::int32_t>(index), loop)) continue;
    node.register_loop = static_cast<std::int32_t>(code.register_loops.size());
    code.register_loops.push_back(std::move(loop));
  }
}

}  // namespace kestrel
