#include "script/Code_Phase3.h"

#include <algorithm>
#include <initializer_list>

#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

constexpr std::int32_t kFailed = -1;

bool is_one_of(std::int32_t kind, std::initializer_list<std::int32_t> kinds) {
  for (const std::int32_t k : kinds) {
    if (k == kind) return true;
  }
  return false;
}

class Parser {
 public:
  Parser(ScriptEngine& engine, CCode& code, const std::vector<RToken2>& tokens)
      : engine_(engine), code_(code), tokens_(tokens) {}

  std::int32_t program();
  std::int32_t expression_code();

 private:
  const RToken2& tok() const { return tokens_[index_]; }
  void advance() {
    if (index_ + 1 < tokens_.size()) ++index_;
  }
  bool at(std::int32_t kind) const { return tok().kind == kind; }
  bool failed() const { return engine_.errors.pending; }
  std::int32_t error(std::int32_t position, std::string_view message) {
    record_code_error(engine_, code_, position, message);
    return kFailed;
  }

  std::int32_t add_node(std::int32_t kind, std::int32_t op, std::int32_t position,
                        const std::vector<std::int32_t>& kids);
  std::int32_t add_constant(const RValue& value, std::int32_t position);

  // Counts recursion so that deeply nested text fails instead of
  // exhausting the stack.
  bool enter(std::int32_t position) {
    if (++depth_ <= engine_.limits.max_parse_depth) return true;
    error(position, "Code is nested too deeply.");
    return false;
  }
  void leave() { --depth_; }

  std::int32_t statement();
  std::int32_t statement_body();
  std::int32_t block();
  std::int32_t call();
  std::int32_t assignment();
  std::int32_t declaration(std::int32_t kind);
  std::int32_t switch_statement();
  std::int32_t expression();
  std::int32_t binary_level(int level);
  std::int32_t unary();
  std::int32_t postfix();
  std::int32_t primary();
  std::int32_t variable_reference();

  ScriptEngine& engine_;
  CCode& code_;
  const std::vector<RToken2>& tokens_;
  std::size_t index_ = 0;
  std::int32_t depth_ = 0;
  std::vector<std::int32_t> depths_;  // tree depth of each node, by node index
};

std::int32_t Parser::add_node(std::int32_t kind, std::int32_t op, std::int32_t position,
                              const std::vector<std::int32_t>& kids) {
  RToken node;
  node.kind = kind;
  node.op = op;
  node.position = position;
  node.first_child = static_cast<std::int32_t>(code_.children.size());
  node.child_count = static_cast<std::int32_t>(kids.size());
  code_.children.insert(code_.children.end(), kids.begin(), kids.end());
  // Operator chains are parsed in a loop but still make deep trees, which the
  // executor walks recursively: bound the depth of the tree too.
  std::int32_t depth = 1;
  for (const std::int32_t kid : kids) depth = std::max(depth, depths_[kid] + 1);
  code_.nodes.push_back(node);
  depths_.push_back(depth);
  if (depth > engine_.limits.max_parse_depth) {
    error(position, "Code is nested too deeply.");
  }
  return static_cast<std::int32_t>(code_.nodes.size()) - 1;
}

std::int32_t Parser::add_constant(const RValue& value, std::int32_t position) {
  const std::int32_t node = add_node(kNodeConstant, 0, position, {});
  code_.nodes[node].constant = static_cast<std::int32_t>(code_.constants.size());
  code_.constants.push_back(value);
  return node;
}

std::int32_t Parser::program() {
  if (at(kTokEnd)) return add_node(kNodeEmptyProgram, 0, tok().position, {});
  if (at(kTokBegin)) {
    const std::int32_t root = block();
    if (failed()) return kFailed;
    if (!at(kTokEnd)) return error(tok().position, "Program ends before end of the code.");
    return root;
  }
  const std::int32_t position = tok().position;
  std::vector<std::int32_t> statements;
  while (!at(kTokEnd)) {
    const std::int32_t node = statement();
    if (failed()) return kFailed;
    statements.push_back(node);
  }
  return add_node(kNodeBlock, 0, position, statements);
}

std::int32_t Parser::expression_code() {
  if (at(kTokEnd)) return add_constant(RValue(0.0), tok().position);
  const std::int32_t root = expression();
  return failed() ? kFailed : root;
}

std::int32_t Parser::statement() {
  if (!enter(tok().position)) return kFailed;
  const std::int32_t node = statement_body();
  leave();
  if (failed()) return kFailed;
  while (at(kTokSemicolon)) advance();
  return node;
}

std::int32_t Parser::statement_body() {
  const std::int32_t kind = tok().kind;
  switch (kind) {
    case kTokEnd:
      return error(tok().position, "Unexpected end of code reached.");
    case kTokFunction:
      return call();
    case kTokBegin:
      return block();
    case kTokSemicolon:
      return add_node(kNodeEmptyStatement, 0, tok().position, {});
    case kTokVar:
    case kTokGlobalVar:
      return declaration(kind);
    case kTokSwitch:
      return switch_statement();
    default:
      break;
  }
  if (!is_one_of(kind, {kTokIf, kTokWhile, kTokDo, kTokFor, kTokRepeat, kTokExit, kTokBreak,
                        kTokContinue, kTokWith, kTokReturn, kTokCase, kTokDefault})) {
    return assignment();
  }
  advance();
  const std::int32_t position = tok().position;
  std::vector<std::int32_t> kids;
  auto parse = [&](std::int32_t node) {
    kids.push_back(node);
    return !failed();
  };
  auto skip = [&](std::int32_t optional) {
    if (at(optional)) advance();
  };
  auto expect = [&](std::int32_t symbol, std::string_view message) {
    if (!at(symbol)) {
      error(tok().position, message);
      return false;
    }
    advance();
    return true;
  };
  switch (kind) {
    case kTokIf:
      if (!parse(expression())) return kFailed;
      skip(kTokThen);
      if (!parse(statement())) return kFailed;
      if (at(kTokElse)) {
        advance();
        if (!parse(statement())) return kFailed;
      }
      break;
    case kTokWhile:
    case kTokWith:
      if (!parse(expression())) return kFailed;
      skip(kTokDo);
      if (!parse(statement())) return kFailed;
      break;
    case kTokDo:
      if (!parse(statement())) return kFailed;
      if (!expect(kTokUntil, "Keyword until expected.")) return kFailed;
      if (!parse(expression())) return kFailed;
      break;
    case kTokFor:
      if (!expect(kTokOpen, "Symbol ( expected.")) return kFailed;
      if (!parse(statement())) return kFailed;
      skip(kTokSemicolon);
      if (!parse(expression())) return kFailed;
      skip(kTokSemicolon);
      if (!parse(statement())) return kFailed;
      if (!expect(kTokClose, "Symbol ) expected.")) return kFailed;
      if (!parse(statement())) return kFailed;
      break;
    case kTokRepeat:
      if (!parse(expression())) return kFailed;
      if (!parse(statement())) return kFailed;
      break;
    case kTokReturn:
      if (!parse(expression())) return kFailed;
      break;
    case kTokCase:
      if (!parse(expression())) return kFailed;
      if (!expect(kTokColon, "Symbol : expected.")) return kFailed;
      break;
    case kTokDefault:
      if (!expect(kTokColon, "Symbol : expected.")) return kFailed;
      break;
    default:  // exit, break, continue stand alone
      break;
  }
  return add_node(kind, 0, position, kids);
}

std::int32_t Parser::block() {
  advance();
  const std::int32_t position = tok().position;
  std::vector<std::int32_t> statements;
  while (!at(kTokEndBlock)) {
    if (at(kTokEnd)) return error(tok().position, "Symbol } expected.");
    const std::int32_t node = statement();
    if (failed()) return kFailed;
    statements.push_back(node);
  }
  advance();
  return add_node(kNodeBlock, 0, position, statements);
}

std::int32_t Parser::switch_statement() {
  advance();
  const std::int32_t position = tok().position;
  std::vector<std::int32_t> kids{expression()};
  if (failed()) return kFailed;
  if (!at(kTokBegin)) return error(tok().position, "Symbol { expected.");
  advance();
  while (!at(kTokEndBlock)) {
    if (at(kTokEnd)) return error(tok().position, "Symbol } expected.");
    kids.push_back(statement());
    if (failed()) return kFailed;
  }
  advance();
  return add_node(kNodeSwitch, 0, position, kids);
}

std::int32_t Parser::declaration(std::int32_t kind) {
  advance();
  const std::int32_t position = tok().position;
  std::vector<std::int32_t> names;
  while (at(kTokVariable)) {
    if (tok().index < kFirstUserVariable) {
      return error(tok().position, "Cannot redeclare a builtin variable.");
    }
    const std::int32_t name = add_node(kNodeConstant, tok().index, tok().position, {});
    names.push_back(name);
    advance();
    if (at(kTokComma)) advance();
  }
  return add_node(kind, 0, position, names);
}

std::int32_t Parser::call() {
  if (!at(kTokFunction)) return error(tok().position, "Function name expected.");
  const std::int32_t function = tok().index;
  const std::int32_t position = tok().position;
  advance();
  if (!at(kTokOpen)) return error(tok().position, "Symbol ( expected.");
  advance();
  std::vector<std::int32_t> arguments;
  while (!at(kTokClose)) {
    if (at(kTokEnd)) return error(tok().position, "Symbol ) expected.");
    arguments.push_back(expression());
    if (failed()) return kFailed;
    if (at(kTokComma)) {
      advance();
    } else if (at(kTokEnd)) {
      return error(tok().position, "Symbol ) expected.");
    } else if (!at(kTokClose)) {
      return error(tok().position, "Symbol , or ) expected.");
    }
  }
  const auto count = static_cast<int>(arguments.size());
  const int expected = engine_.argument_count(function);
  if (count > kMaxArguments || (expected >= 0 && expected != count)) {
    return error(tok().position, "Wrong number of arguments to function or script.");
  }
  advance();
  return add_node(kNodeCall, function, position, arguments);
}

std::int32_t Parser::assignment() {
  const std::int32_t position = tok().position;
  const std::int32_t target = postfix();
  if (failed()) return kFailed;
  if (code_.nodes[target].kind != kNodeVariable) return error(position, "Variable name expected.");
  const std::int32_t op = tok().kind;
  if (!is_one_of(op, {kTokAssign, kTokAddAssign, kTokSubAssign, kTokMulAssign, kTokDivAssign,
                      kTokOrAssign, kTokAndAssign, kTokXorAssign})) {
    return error(tok().position, "Assignment operator expected.");
  }
  advance();
  const std::int32_t value = expression();
  if (failed()) return kFailed;
  return add_node(kNodeAssign, op, position, {target, value});
}

std::int32_t Parser::expression() {
  if (!enter(tok().position)) return kFailed;
  const std::int32_t node = binary_level(1);
  leave();
  return node;
}

std::int32_t Parser::binary_level(int level) {
  static const std::initializer_list<std::int32_t> kLevels[] = {
      {kOpAnd, kOpOr, kOpXor},
      {kTokAssign, kOpEqual, kOpNotEqual, kOpLess, kOpLessEqual, kOpGreater, kOpGreaterEqual},
      {kOpBitOr, kOpBitAnd, kOpBitXor},
      {kOpShiftLeft, kOpShiftRight},
      {kOpAdd, kOpSubtract},
      {kOpMultiply, kOpDivide, kOpDiv, kOpMod},
  };
  constexpr int kBinaryLevels = 6;
  auto operand = [&] { return level == kBinaryLevels ? unary() : binary_level(level + 1); };
  std::int32_t left = operand();
  if (failed()) return kFailed;
  while (is_one_of(tok().kind, kLevels[level - 1])) {
    const std::int32_t op = tok().kind;
    advance();
    const std::int32_t right = operand();
    if (failed()) return kFailed;
    left = add_node(kNodeBinary, op, code_.nodes[left].position, {left, right});
  }
  return left;
}

std::int32_t Parser::unary() {
  if (!is_one_of(tok().kind, {kOpNot, kOpAdd, kOpSubtract, kOpBitNot})) return postfix();
  const std::int32_t op = tok().kind;
  const std::int32_t position = tok().position;
  if (!enter(position)) return kFailed;
  advance();
  const std::int32_t operand = unary();
  leave();
  if (failed()) return kFailed;
  return add_node(kNodeUnary, op, position, {operand});
}

std::int32_t Parser::postfix() {
  std::int32_t node = primary();
  if (failed()) return kFailed;
  while (at(kTokDot)) {
    advance();
    const std::int32_t selected = variable_reference();
    if (failed()) return kFailed;
    RToken& reference = code_.nodes[selected];
    code_.children[reference.first_child] = node;
    reference.position = code_.nodes[node].position;
    node = selected;
  }
  return node;
}

std::int32_t Parser::primary() {
  switch (tok().kind) {
    case kTokOpen: {
      advance();
      const std::int32_t inner = expression();
      if (failed()) return kFailed;
      if (!at(kTokClose)) return error(tok().position, "Symbol ) expected.");
      advance();
      return inner;
    }
    case kTokConstant: {
      const std::int32_t node = add_constant(tok().value, tok().position);
      advance();
      return node;
    }
    case kTokFunction:
      return call();
    case kTokVariable:
      return variable_reference();
    default:
      return error(tok().position, "Unexpected symbol in expression.");
  }
}

std::int32_t Parser::variable_reference() {
  if (!at(kTokVariable)) return error(tok().position, "Variable name expected.");
  const std::int32_t variable = tok().index;
  const std::int32_t position = tok().position;
  advance();
  std::vector<std::int32_t> kids{add_constant(RValue(double{kUnspecified}), position)};
  if (at(kTokOpenIndex)) {
    advance();
    while (!at(kTokCloseIndex)) {
      if (at(kTokEnd)) return error(tok().position, "Symbol ] expected.");
      kids.push_back(expression());
      if (failed()) return kFailed;
      if (at(kTokComma)) {
        advance();
      } else if (at(kTokEnd)) {
        return error(tok().position, "Symbol ] expected.");
      } else if (!at(kTokCloseIndex)) {
        return error(tok().position, "Symbol , or ] expected.");
      }
    }
    if (kids.size() > 3) {
      return error(tok().position, "Only 1- and 2-dimensional arrays are supported.");
    }
    advance();
  }
  return add_node(kNodeVariable, variable, position, kids);
}

}  // namespace

std::int32_t parse_tokens(ScriptEngine& engine, CCode& code, const std::vector<RToken2>& tokens,
                          bool as_program) {
  Parser parser(engine, code, tokens);
  return as_program ? parser.program() : parser.expression_code();
}

}  // namespace kestrel
