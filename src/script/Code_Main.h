#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class ScriptEngine;
class CodeExecutor;

// Token codes of the lexer; the keyword codes double as statement kinds and
// the operator codes stay in the tree as operator codes.
enum TokenCode : std::int32_t {
  kTokUnknown = -1,
  kTokEnd = -2,
  kTokIdentifier = 0,
  kTokNumber = 1,
  kTokString = 2,
  kTokConstant = 5,  // after resolution: a constant value
  kTokFunction = 6,  // after resolution: a function or script name before "("
  kTokVariable = 7,  // after resolution: a variable index
  kTokBegin = 11,
  kTokEndBlock = 12,
  kTokIf = 13,
  kTokThen = 14,
  kTokElse = 15,
  kTokWhile = 16,
  kTokDo = 17,
  kTokFor = 18,
  kTokUntil = 19,
  kTokRepeat = 20,
  kTokExit = 21,
  kTokBreak = 22,
  kTokContinue = 23,
  kTokWith = 24,
  kTokReturn = 25,
  kTokSwitch = 26,
  kTokCase = 27,
  kTokDefault = 28,
  kTokVar = 29,
  kTokGlobalVar = 30,
  kTokAssign = 101,
  kTokAddAssign = 102,
  kTokSubAssign = 103,
  kTokMulAssign = 104,
  kTokDivAssign = 105,
  kTokOpen = 106,
  kTokClose = 107,
  kTokSemicolon = 108,
  kTokComma = 109,
  kTokOpenIndex = 110,
  kTokCloseIndex = 111,
  kTokDot = 112,
  kTokColon = 113,
  kTokOrAssign = 114,
  kTokAndAssign = 115,
  kTokXorAssign = 116,
  kOpAnd = 201,
  kOpOr = 202,
  kOpNot = 203,
  kOpLess = 204,
  kOpLessEqual = 205,
  kOpEqual = 206,
  kOpNotEqual = 207,
  kOpGreaterEqual = 208,
  kOpGreater = 209,
  kOpAdd = 210,
  kOpSubtract = 211,
  kOpMultiply = 212,
  kOpDivide = 213,
  kOpDiv = 214,
  kOpMod = 215,
  kOpXor = 216,
  kOpBitOr = 217,
  kOpBitAnd = 218,
  kOpBitXor = 219,
  kOpBitNot = 220,
  kOpShiftLeft = 221,
  kOpShiftRight = 222,
};

// Node kinds of the code tree.
enum NodeKind : std::int32_t {
  kNodeEmptyProgram = -2,
  kNodeEmptyStatement = -1,
  kNodeConstant = 5,
  kNodeCall = 6,
  kNodeVariable = 7,
  kNodeFixedVariable = 8,  // a variable with a constant instance and no index
  kNodeIf = 13,
  kNodeWhile = 16,
  kNodeDo = 17,
  kNodeFor = 18,
  kNodeRepeat = 20,
  kNodeExit = 21,
  kNodeBreak = 22,
  kNodeContinue = 23,
  kNodeWith = 24,
  kNodeReturn = 25,
  kNodeSwitch = 26,
  kNodeCase = 27,
  kNodeDefault = 28,
  kNodeVar = 29,
  kNodeGlobalVar = 30,
  kNodeAssign = 101,
  kNodeBlock = 1000,
  kNodeUnary = 1010,
  kNodeBinary = 1011,
};

// Instance designators beyond the object indices and instance ids.
enum Designator : std::int32_t {
  kSelf = -1,
  kOther = -2,
  kAll = -3,
  kNoone = -4,
  kGlobal = -5,
  kUnspecified = -6,  // a variable written without an instance
  kLocal = -7,
};

inline constexpr std::int32_t kFirstInstanceId = 100000;

// One node of the code tree. Nodes live in one flat array per code and name
// their children by position in the code's child list, so the tree costs one
// allocation however large it is.
struct RToken {
  std::int32_t kind = 0;
  std::int32_t op = 0;              // operator code, function index or variable index
  std::int32_t fixed_instance = 0;  // kNodeFixedVariable: the designator
  std::int32_t position = 0;        // 1-based text position for error reports
  std::int32_t first_child = 0;
  std::int32_t child_count = 0;
  std::int32_t constant = -1;  // kNodeConstant: index into the code's constants
  // Variables: the list entry position found last time, tried first next time.
  mutable std::int32_t hint = -1;
  // The subtree only reads values (constants, variables, operators, no calls),
  // so the executor may try it as plain reals and evaluate it again otherwise.
  bool reads_only = false;
  // Such a subtree's entry in the code's real steps, or -1.
  std::int32_t real_step = -1;
  // kNodeSwitch: its entry in the code's case tables, or -1.
  std::int32_t case_table = -1;
  // kNodeAssign: its entry in the code's assign steps, or -1.
  std::int32_t assign_step = -1;
  // Loops: the entry in the code's register loops, or -1.
  std::int32_t register_loop = -1;
};

// The constant labels of a switch, for a value that is a real: the real
// labels before the first default with the child position of each, in
// order, and the default's position or -1.
struct CaseTable {
  std::vector<std::pair<double, std::int32_t>> labels;
  std::int32_t default_position = -1;
};

// A reads-only operator or reference lowered for evaluation as plain reals:
// the step calls its operands directly instead of dispatching on node kinds
// and operator codes. False where the general evaluation must take over.
struct RealStep {
  bool (*run)(const RealStep& step, CodeExecutor& executor, double& out) = nullptr;
  std::int32_t node = 0;
  // Operands: a node index, or the value itself for a constant.
  std::int32_t left = 0;
  std::int32_t right = 0;
  double left_constant = 0.0;
  double right_constant = 0.0;
  // An array element's instance designator.
  std::int32_t designator = 0;
};

// An assignment of a reads-only value to a plain name lowered to one call
// for its operator and its kinds of target and value. It gives an
// execution status, or kStatusFallBack, with nothing changed, where the
// general assignment must run instead.
struct AssignStep {
  int (*run)(const AssignStep& step, CodeExecutor& executor, RValue& slot) = nullptr;
  std::int32_t node = 0;    // the assignment's node
  std::int32_t target = 0;  // the target's node
  std::int32_t value = 0;   // a node index, a real step index, or unused for a constant
  double value_constant = 0.0;
};

// The most registers and repeat counters one register loop may use; a larger
// loop runs generally.
inline constexpr std::int32_t kMaxLoopRegisters = 256;
inline constexpr std::int32_t kMaxLoopCounters = 16;
inline constexpr std::int32_t kMaxLoopArrays = 16;
inline constexpr std::int32_t kMaxLoopFields = 16;

enum LoopOpCode : std::int32_t {
  // result = left op right, as real_operation gives it.
  kLoopAdd,
  kLoopSubtract,
  kLoopMultiply,
  kLoopDivide,
  kLoopDiv,
  kLoopMod,
  kLoopLess,
  kLoopLessEqual,
  kLoopGreater,
  kLoopGreaterEqual,
  kLoopEqual,
  kLoopNotEqual,
  kLoopAnd,
  kLoopOr,
  kLoopNot,
  kLoopNegate,
  kLoopMove,
  kLoopElement,  // an element of the array `cache`, at rows left and right
  kLoopField,    // `node`'s variable of the instance left names, through field `cache`
  kLoopBuiltin,  // `node`, a built-in variable of self or other
  kLoopStep,     // counts the steps of `left` statements, `right` on in step_nodes
  kLoopJump,
  kLoopJumpUnless,  // to `target` unless left holds
  kLoopJumpIf,
  // To `target` when left compares to right so, as the comparison operators
  // give it, or when it does not for a `result` of 1: a condition and its
  // jump in one.
  kLoopJumpIfLess,
  kLoopJumpIfLessEqual,
  kLoopJumpIfGreater,
  kLoopJumpIfGreaterEqual,
  kLoopJumpIfEqual,
  kLoopJumpIfNotEqual,
  kLoopSlot,           // left becomes the result slot's value
  kLoopRepeatStart,    // counter `right` from left's rounded value
  kLoopRepeatNext,     // to `target` when counter `right` is spent, else one less
  kLoopSwitch,         // to the case of left in the switch statement `node`
  kLoopAssignBuiltin,  // left to the built-in the assignment `node` names; right: to the slot
  kLoopAssignElement,  // result to the element at left and right of array `cache`
  kLoopExit,
  kLoopReturn,  // left becomes the result slot's value, then as exit
  // `node`'s call of the `right` arguments whose registers start at `left`
  // in call_arguments. It fails only after the call, for a value that is no
  // real or names a call left changed beyond the registers.
  kLoopCall,
  // Counts the step of the call at `target` before the calls among its
  // arguments, as the general evaluation does.
  kLoopCallStep,
  kLoopEnd,
};

// One operation of a register loop's code. An operation that fails changes
// nothing and hands its statement, condition or value to the general
// execution through `escape`.
struct LoopOp {
  std::int32_t code = 0;  // a LoopOpCode
  std::int32_t result = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t node = 0;
  // A jump's operation; a call's step operation, or -1; a call step's call.
  std::int32_t target = 0;
  std::int32_t escape = -1;
  std::int32_t cache = 0;  // an element's array or a field's entry in the run
};

enum class LoopStatementKind : std::int32_t {
  simple,  // an assignment, var, exit, break, continue or return
  block,
  if_statement,
  for_loop,
  while_loop,
  do_loop,
  repeat_loop,
  switch_statement,
};

// A statement of a register loop, kept so that a run whose names stop being
// plain reals can finish every statement it is in generally.
struct LoopStatement {
  LoopStatementKind kind = LoopStatementKind::simple;
  std::int32_t node = 0;
  std::int32_t parent = -1;
  std::int32_t position = 0;  // the child position in its parent's node
  // False for the start and step of a for, which leave the result slot alone.
  bool to_slot = true;
  std::int32_t counter = 0;      // a repeat's counter
  std::int32_t continue_at = 0;  // a loop's operation for continue
  std::int32_t end = 0;          // the operation after the statement
  // A switch's operation for each child position, where the statements
  // after that position start.
  std::vector<std::int32_t> cases;
};

enum class LoopEscapeKind : std::int32_t { statement, condition, switch_value, repeat_count };

// Where a failed operation goes: its statement, condition or value is run
// generally, and the run goes on at `next`: past the statement, where a
// condition leads when it holds (`otherwise` when it fails), or at a repeat's
// first round. The operations from `first` to the one that failed run in a
// straight line, so the calls among them are the ones already made.
struct LoopEscape {
  LoopEscapeKind kind = LoopEscapeKind::statement;
  std::int32_t statement = 0;
  std::int32_t next = 0;
  std::int32_t otherwise = 0;
  std::int32_t first = 0;
};

// A plain name a register loop holds in a register while it runs.
struct LoopName {
  std::int32_t node = 0;  // a reference to it, for its designator, index and hint
  std::int32_t reg = 0;
  bool written = false;
  // Not a var local, so code that a call runs may read or change it.
  bool shared = false;
};

// A loop whose statements only compute reals from plain names, arguments,
// constants, array elements, fields and calls, lowered to code over registers
// of reals. The names are read into registers when the loop starts and written
// back when it ends or hands a statement to the general execution.
struct RegisterLoop {
  std::int32_t entry = 0;  // where a run starts: the condition, or a do's or repeat's body
  std::vector<LoopOp> ops;
  std::vector<LoopStatement> statements;  // the loop itself first
  std::vector<LoopEscape> escapes;
  std::vector<LoopName> names;
  std::vector<std::pair<std::int32_t, std::int32_t>> arguments;  // register, slot
  std::vector<std::int32_t> call_arguments;                      // the calls' argument registers
  std::vector<std::pair<std::int32_t, double>> constants;        // register, value
  // The arrays read or written by constant instance: a reference node and
  // its designator. Found when the run starts, as the names are.
  std::vector<std::pair<std::int32_t, std::int32_t>> arrays;
  std::int32_t fields = 0;  // field reads, each remembering its last instance
  // The statements whose steps each step operation counts, in order: a block
  // and its first statement count together.
  std::vector<std::int32_t> step_nodes;
  std::int32_t registers = 0;
  std::int32_t counters = 0;
  // Some name, array or field may be one that code a call runs can see.
  bool shares = false;
  // Two names are of one variable under different designators (a and
  // self.a), which may then be one variable.
  bool names_may_meet = false;
  // It computes from arguments and constants alone, with no names, elements,
  // fields, built-ins or calls: a script made of it can run inside its
  // caller's register run, and run again generally where it fails.
  bool pure = false;
  std::int32_t arguments_read = 0;  // one past the last argument slot it reads
};

enum class CodeKind : std::int32_t { program = 1, expression = 2, constant_expression = 3 };

// One piece of game code with its compiled tree.
class CCode {
 public:
  // `origin` says where the code comes from in the game (data/code_origin.h);
  // empty for code made while playing.
  CCode(std::string_view text, bool is_expression, std::string origin = {});

  // Compiles once; on failure the first error has been recorded.
  bool compile(ScriptEngine& engine);
  // The code text; it is held scrambled.
  std::string text() const;

  CodeKind kind() const { return kind_; }
  const std::string& origin() const { return origin_; }
  bool compiled() const { return compiled_; }
  std::int32_t root() const { return root_; }
  const RValue& constant() const { return constant_value_; }

  // The tree, for the phases and the executor.
  std::vector<RToken> nodes;
  std::vector<std::int32_t> children;
  std::vector<RValue> constants;
  std::vector<RealStep> real_steps;
  std::vector<CaseTable> case_tables;
  std::vector<AssignStep> assign_steps;
  std::vector<RegisterLoop> register_loops;

  std::int32_t child(const RToken& node, std::int32_t which) const {
    return children[node.first_child + which];
  }

 private:
  std::string origin_;
  std::string scrambled_;
  CodeKind kind_;
  bool compiled_ = false;
  std::int32_t root_ = -1;
  RValue constant_value_;
};

}  // namespace kestrel
