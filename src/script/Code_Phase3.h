#pragma once

#include <cstdint>
#include <vector>

#include "script/Code_Phase2.h"

namespace kestrel {

class CCode;
class ScriptEngine;

// Builds the code tree from resolved tokens, as a program or as one
// expression. Returns the root node, or -1 after recording the first error.
std::int32_t parse_tokens(ScriptEngine& engine, CCode& code, const std::vector<RToken2>& tokens,
                          bool as_program);

}  // namespace kestrel
