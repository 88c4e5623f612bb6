#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/Code_Main.h"

namespace kestrel {

class ScriptEngine;
struct ScriptInstance;

// Function indices from here on name extension functions: 500000 + the id.
inline constexpr std::int32_t kFirstExtensionFunction = 500000;
// The largest id a function index can name.
inline constexpr std::int32_t kLastExtensionId =
    std::numeric_limits<std::int32_t>::max() - kFirstExtensionFunction;

inline constexpr char kSecureExtensionMessage[] =
    "In secure mode you cannot use extension packages.";

// The functions that extension packages add, by their id (unique over all
// packages). Script functions run their compiled section; library functions
// call the native function defined for them. Ids may lie far apart, so only
// the defined ones take room.
class ExtensionFunctions {
 public:
  void clear();
  // What a library function does when called: the native call behind it.
  using LibraryCall = std::function<RValue(const RValue* arguments, int count)>;

  // Defines the id (0 .. kLastExtensionId; others are left undefined); code is
  // null for a library function, which gives the real 0 while it has no call.
  // The first function of a name is the one code calls by that name.
  void define(std::int32_t id, std::string name, int argument_count, std::unique_ptr<CCode> code,
              LibraryCall library = nullptr);

  // -1 when no function has that name.
  std::int32_t find(std::string_view name) const;
  // The declared count (-1: any), or kNoSuchFunction when no function has the id.
  int argument_count(std::int32_t id) const;
  std::string name(std::int32_t id) const;

  // Runs the function for self and other with its own argument slots. False
  // after an error, with "In extension function" put before its text.
  bool call(ScriptEngine& engine, std::int32_t id, ScriptInstance& self, ScriptInstance& other,
            const RValue* arguments, int count, RValue& result) const;

 private:
  struct Function {
    std::string name;
    int argument_count = 0;
    std::unique_ptr<CCode> code;
    LibraryCall library;
  };
  const Function* get(std::int32_t id) const;

  std::unordered_map<std::int32_t, Function> functions_;
  std::unordered_map<std::string, std::int32_t> by_name_;
};

}  // namespace kestrel
