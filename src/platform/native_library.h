#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrel::platform {

// A shared library that game code loaded; unloaded when the last holder lets go.
class NativeLibrary {
 public:
  virtual ~NativeLibrary() = default;
  // The address of an exported function; null when the library has none of that name.
  virtual void* find(const std::string& name) = 0;
};

// Loads a library by the name a game gives it. A name in the Windows way
// ("name.dll", any case) is looked for as "name.so" and "libname.so": with
// the name's own folder part as given, then in each of the folders in order,
// then on the system's library path. Other names are tried as given, in the
// same places. Null when no candidate loads.
std::shared_ptr<NativeLibrary> load_native_library(const std::string& name,
                                                   std::span<const std::filesystem::path> folders);

// What a native function takes or gives: an 8-byte double, or a pointer to
// zero-terminated text.
enum class NativeType { real, text };

// One argument or result of a native call.
struct NativeValue {
  double real = 0;
  const char* text = nullptr;
};

// A function of a loaded library with its signature, prepared once and called
// many times with the platform's one C calling convention.
class NativeFunction {
 public:
  virtual ~NativeFunction() = default;
  // Calls with one value per argument type; the result's text, when the
  // result is text, belongs to the library and must be copied at once.
  virtual NativeValue call(std::span<const NativeValue> arguments) const = 0;
};

// Null when the signature cannot be prepared.
std::unique_ptr<NativeFunction> prepare_native_function(void* address,
                                                        std::vector<NativeType> argument_types,
                                                        NativeType result_type);

}  // namespace kestrel::platform
