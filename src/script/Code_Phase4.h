#pragma once

namespace kestrel {

class CCode;
class ScriptEngine;

// Finishes a parsed tree: marks locals, fixes constant instances and folds
// constant operations. Fails after recording the first error.
bool finish_tree(ScriptEngine& engine, CCode& code);

}  // namespace kestrel
