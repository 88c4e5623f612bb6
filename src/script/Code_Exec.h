#pragma once

#include "script/RValue.h"

namespace kestrel {

class CCode;
class ScriptEngine;
struct ScriptInstance;

enum ExecStatus : int {
  kStatusNormal = 0,
  kStatusError = -1,  // already recorded
  kStatusExit = -2,   // exit or return: leave the whole execution
  kStatusBreak = -3,
  kStatusContinue = -4,
  kStatusFallBack = 1,  // a lowered step left the work to the general evaluation
};

// Lowers a compiled tree for running: its reads-only subtrees into real
// steps, its switches with constant labels into case tables.
void lower_tree(CCode& code);

// Runs compiled code for self and other with fresh locals; the result starts
// as real 0. Fails after recording the first error.
bool execute(ScriptEngine& engine, const CCode& code, ScriptInstance* self, ScriptInstance* other,
             RValue& result);

// As execute, passing a failure to the action error reporter (not fatal).
bool execute_and_report(ScriptEngine& engine, const CCode& code, ScriptInstance* self,
                        ScriptInstance* other, RValue& result);

// As execute, with the string "ERROR" as the result of a failure.
bool execute_for_value(ScriptEngine& engine, const CCode& code, ScriptInstance* self,
                       ScriptInstance* other, RValue& result);

}  // namespace kestrel
