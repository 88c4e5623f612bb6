#include "script/extension_functions.h"

#include "script/Code_Function.h"
#include "script/Script_Main.h"
#include "script/script_engine.h"

namespace kestrel {

void ExtensionFunctions::clear() {
  functions_.clear();
  by_name_.clear();
}

void ExtensionFunctions::define(std::int32_t id, std::string name, int argument_count,
                                std::unique_ptr<CCode> code, LibraryCall library) {
  if (id < 0 || id > kLastExtensionId) return;
  by_name_.emplace(name, id);
  functions_[id] = Function{std::move(name), argument_count, std::move(code), std::move(library)};
}

std::int32_t ExtensionFunctions::find(std::string_view name) const {
  const auto found = by_name_.find(std::string(name));
  return found == by_name_.end() ? -1 : found->second;
}

const ExtensionFunctions::Function* ExtensionFunctions::get(std::int32_t id) const {
  const auto found = functions_.find(id);
  return found == functions_.end() ? nullptr : &found->second;
}

int ExtensionFunctions::argument_count(std::int32_t id) const {
  const Function* function = get(id);
  return function ? function->argument_count : kNoSuchFunction;
}

std::string ExtensionFunctions::name(std::int32_t id) const {
  const Function* function = get(id);
  return function ? function->name : "<undefined>";
}

bool ExtensionFunctions::call(ScriptEngine& engine, std::int32_t id, ScriptInstance& self,
                              ScriptInstance& other, const RValue* arguments, int count,
                              RValue& result) const {
  result.set_real(0);
  const Function* function = get(id);
  if (function == nullptr) return true;
  if (engine.settings.secure_mode) {
    engine.errors.last_text = kSecureExtensionMessage;
    return false;
  }
  if (function->library) {
    result = function->library(arguments, count);
    return true;
  }
  if (function->code == nullptr) return true;
  if (call_with_argument_slots(engine, *function->code, self, other, arguments, count, result)) {
    return true;
  }
  engine.errors.last_text =
      "In extension function " + function->name + ":\r" + engine.errors.last_text;
  return false;
}

}  // namespace kestrel
