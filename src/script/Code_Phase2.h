#pragma once

#include <cstdint>
#include <vector>

#include "script/Code_Phase1.h"
#include "script/RValue.h"

namespace kestrel {

class CCode;
class ScriptEngine;

// A token with its name or literal resolved: constants carry their value,
// function names their function index, variable names their variable index.
struct RToken2 {
  std::int32_t kind = 0;
  std::int32_t index = 0;
  RValue value;
  std::int32_t position = 0;
};

// Resolves every token left to right; fails on an unknown function name.
bool resolve_tokens(ScriptEngine& engine, const CCode& code, const std::vector<RToken1>& tokens,
                    std::vector<RToken2>& resolved);

}  // namespace kestrel
