#include <algorithm>
#include <vector>

#include "lib/Support_DLL.h"
#include "lib/library_functions.h"
#include "script/Code_Error.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

constexpr const char* kSecureDlls = "In secure mode you cannot use DLLs";
constexpr const char* kWrongDefineCount = "Wrong number of arguments to external_define()";
constexpr const char* kTooManyArguments = "DLL functions can have at most 16 arguments";
constexpr const char* kStringAmongMany =
    "DLL functions with more than 4 arguments cannot have string arguments";
constexpr const char* kDefineFailed = "Error defining an external function.";

// The leading arguments of external_define: dll, name, calltype, restype, argnumb.
constexpr int kDefineFixedArguments = 5;

using Args = const RValue*;
using platform::NativeType;

ExternalFunctions& table(ScriptEngine& engine) {
  return engine.families.get<ExternalFunctions>();
}

// True (after the report) when secure mode keeps game code away from libraries.
bool refused(ScriptEngine& engine) {
  if (engine.settings.secure_mode) report_action_error(engine, kSecureDlls, false);
  return engine.settings.secure_mode;
}

NativeType type_of(const RValue& type) {
  return round_to_int32(type.real()) == 1 ? NativeType::text : NativeType::real;
}

void define(ScriptEngine& engine, RValue& result, Args args, int call_type,
            std::vector<NativeType> argument_types, const RValue& result_type) {
  const std::int32_t id = table(engine).define(args[0].str(), args[1].str(), call_type,
                                               std::move(argument_types), type_of(result_type));
  if (id < 0) report_action_error(engine, kDefineFailed, false);
  result.set_real(id);
}

void external_define(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int count,
                     RValue& result, Args args) {
  if (refused(engine)) return;
  if (count < kDefineFixedArguments ||
      count != round_to_int64(args[4].real()) + kDefineFixedArguments) {
    return report_action_error(engine, kWrongDefineCount, false);
  }
  const int argument_count = count - kDefineFixedArguments;
  if (argument_count > kMaxExternalArguments) {
    return report_action_error(engine, kTooManyArguments, false);
  }
  std::vector<NativeType> types;
  for (int i = 0; i < argument_count; ++i)
    types.push_back(type_of(args[kDefineFixedArguments + i]));
  if (argument_count > kMaxExternalStringArguments &&
      std::find(types.begin(), types.end(), NativeType::text) != types.end()) {
    return report_action_error(engine, kStringAmongMany, false);
  }
  define(engine, result, args, round_to_int32(args[2].real()), std::move(types), args[3]);
}

// external_define0 .. external_define4: dll, name, one type per argument, restype.
template <int kArguments>
void external_define_typed(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, Args args) {
  if (refused(engine)) return;
  std::vector<NativeType> types;
  for (int i = 0; i < kArguments; ++i) types.push_back(type_of(args[2 + i]));
  define(engine, result, args, 0, std::move(types), args[2 + kArguments]);
}

// external_define5 .. external_define8: dll, name, restype; every argument real.
template <int kArguments>
void external_define_reals(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, Args args) {
  if (refused(engine)) return;
  define(engine, result, args, 0, std::vector<NativeType>(kArguments, NativeType::real), args[2]);
}

// external_call and external_call0 .. external_call8: the id, then the arguments.
void external_call(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int count,
                   RValue& result, Args args) {
  if (refused(engine) || count < 1) return;
  result = table(engine).call(round_to_int32(args[0].real()), args + 1, count - 1);
}

void external_free(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  if (refused(engine)) return;
  table(engine).free(args[0].str());
}

}  // namespace

void register_external_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("external_define", &external_define, -1);
  f.add("external_call", &external_call, -1);
  f.add("external_free", &external_free, 1);
  f.add("external_define0", &external_define_typed<0>, 3);
  f.add("external_define1", &external_define_typed<1>, 4);
  f.add("external_define2", &external_define_typed<2>, 5);
  f.add("external_define3", &external_define_typed<3>, 6);
  f.add("external_define4", &external_define_typed<4>, 7);
  f.add("external_define5", &external_define_reals<5>, 3);
  f.add("external_define6", &external_define_reals<6>, 3);
  f.add("external_define7", &external_define_reals<7>, 3);
  f.add("external_define8", &external_define_reals<8>, 3);
  f.add("external_call0", &external_call, 1);
  f.add("external_call1", &external_call, 2);
  f.add("external_call2", &external_call, 3);
  f.add("external_call3", &external_call, 4);
  f.add("external_call4", &external_call, 5);
  f.add("external_call5", &external_call, 6);
  f.add("external_call6", &external_call, 7);
  f.add("external_call7", &external_call, 8);
  f.add("external_call8", &external_call, 9);
}

}  // namespace kestrel
