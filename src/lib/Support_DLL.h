#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/native_library.h"
#include "script/RValue.h"

namespace kestrel {

inline constexpr int kMaxExternalArguments = 16;
// With more arguments than this, every argument is a real.
inline constexpr int kMaxExternalStringArguments = 4;
// The call type that names the convention where the callee removes the
// arguments; on this platform every convention is the one C convention.
inline constexpr int kStdcall = 1;

// The functions of native libraries that game code defined, by id (from 0;
// entries are only ever appended). The libraries are unloaded when the table
// goes, at the end of the program.
class ExternalFunctions {
 public:
  // The folders where a library named without a folder is looked for, in
  // order, before the system's library path.
  void set_library_folders(std::vector<std::filesystem::path> folders) {
    folders_ = std::move(folders);
  }

  // A new entry for the function; -1 when there are more than 16 arguments, a
  // string argument among more than 4, a negative count, or when the library
  // or the function cannot be found (the table does not grow then).
  std::int32_t define(const std::string& library, const std::string& function, int call_type,
                      std::vector<platform::NativeType> argument_types,
                      platform::NativeType result_type);

  // The function's result; the real 0 when the id names no entry, the count
  // differs from the entry's or its library was freed.
  RValue call(std::int32_t id, const RValue* arguments, int count) const;

  // Unloads the library (its name compared without regard to case): its
  // entries stay, but calling them does nothing until it is defined anew.
  void free(const std::string& library);

  std::int32_t size() const { return static_cast<std::int32_t>(entries_.size()); }

 private:
  struct Entry {
    std::string library;
    std::shared_ptr<platform::NativeLibrary> handle;
    std::string function;
    int call_type = 0;
    std::vector<platform::NativeType> argument_types;
    platform::NativeType result_type;
    std::unique_ptr<platform::NativeFunction> native;
  };
  std::shared_ptr<platform::NativeLibrary> loaded(const std::string& library);

  std::vector<Entry> entries_;
  std::vector<std::filesystem::path> folders_;
};

}  // namespace kestrel
