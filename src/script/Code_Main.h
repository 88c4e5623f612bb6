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
};

// The constant labels of a switch, for a value that is a real: the real
// labels before the first default with the child position of each, in
// order, and the default's position or -1.
struct CaseTable {
  std::vector<std::pair<double, std::int32_t>> labels;
  std::int32_t default_position = -1;
  // Where the labels are whole numbers close together: the position for
  // every whole number from `first` on, the default's where none matches.
  std::int32_t first = 0;
  std::vector<std::int32_t> by_value;
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
