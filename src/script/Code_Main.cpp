#include "script/Code_Main.h"

#include <array>

#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Code_Phase1.h"
#include "script/Code_Phase2.h"
#include "script/Code_Phase3.h"
#include "script/Code_Phase4.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

// Code text is kept through a byte substitution so that it does not sit in
// memory in plain form.
struct ScrambleTables {
  std::array<unsigned char, 256> forward{};
  std::array<unsigned char, 256> reverse{};

  explicit ScrambleTables(std::int32_t seed) {
    std::int32_t a = seed % 250 + 6;
    if (a < 0) a += 256;
    std::int32_t b = seed / 250;
    if (b < 0) b += 256;
    for (int i = 0; i < 256; ++i) {
      forward[i] = static_cast<unsigned char>(i);
      reverse[i] = static_cast<unsigned char>(i);
    }
    for (std::int32_t i = 1; i <= 10000; ++i) {
      const std::int32_t j = (i * a + b) % 254 + 1;
      std::swap(forward[j], forward[j + 1]);
    }
    for (int i = 1; i < 256; ++i) reverse[forward[i]] = static_cast<unsigned char>(i);
  }
};

const ScrambleTables& scramble_tables() {
  static const ScrambleTables tables(31337);
  return tables;
}

}  // namespace

CCode::CCode(std::string_view text, bool is_expression, std::string origin)
    : origin_(std::move(origin)), kind_(is_expression ? CodeKind::expression : CodeKind::program) {
  const ScrambleTables& tables = scramble_tables();
  scrambled_.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    scrambled_[i] = static_cast<char>(tables.forward[static_cast<unsigned char>(text[i])]);
  }
}

std::string CCode::text() const {
  const ScrambleTables& tables = scramble_tables();
  std::string plain(scrambled_.size(), '\0');
  for (std::size_t i = 0; i < scrambled_.size(); ++i) {
    plain[i] = static_cast<char>(tables.reverse[static_cast<unsigned char>(scrambled_[i])]);
  }
  return plain;
}

bool CCode::compile(ScriptEngine& engine) {
  ErrorState& errors = engine.errors;
  if (compiled_) {
    errors.pending = false;
    record_code_error(engine, *this, 0, "Internal Error: Recompiling compiled code.");
    return false;
  }
  nodes.clear();
  children.clear();
  constants.clear();
  const std::string plain = text();
  std::vector<RToken1> tokens;
  errors.pending = false;
  if (!tokenize(engine, *this, plain, tokens)) return false;
  std::vector<RToken2> resolved;
  errors.pending = false;
  if (!resolve_tokens(engine, *this, tokens, resolved)) return false;
  tokens = {};
  errors.pending = false;
  root_ = parse_tokens(engine, *this, resolved, kind_ == CodeKind::program);
  if (root_ < 0 || errors.pending) return false;
  errors.pending = false;
  if (!finish_tree(engine, *this)) return false;
  lower_tree(*this);
  const RToken& root = nodes[root_];
  if (kind_ == CodeKind::expression && root.kind == kNodeConstant) {
    constant_value_ = constants[root.constant];
    kind_ = CodeKind::constant_expression;
  }
  compiled_ = true;
  return true;
}

}  // namespace kestrel
