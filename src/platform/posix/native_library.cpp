#include "platform/native_library.h"

#include <dlfcn.h>
#include <ffi.h>

#include <algorithm>
#include <cctype>

namespace kestrel::platform {
namespace {

class DlLibrary final : public NativeLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { dlclose(handle_); }
  DlLibrary(const DlLibrary&) = delete;
  DlLibrary& operator=(const DlLibrary&) = delete;

  void* find(const std::string& name) override { return dlsym(handle_, name.c_str()); }

 private:
  void* handle_;
};

std::string lower_case(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The file names a library of that name may have here. Windows names ignore
// case, so a library named "Tools.DLL" may also be shipped as "libtools.so".
std::vector<std::string> file_names(const std::filesystem::path& file) {
  if (lower_case(file.extension().string()) != ".dll") return {file.filename().string()};
  std::vector<std::string> names;
  for (const std::string& stem : {file.stem().string(), lower_case(file.stem().string())}) {
    for (std::string name : {stem + ".so", "lib" + stem + ".so"}) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

std::shared_ptr<NativeLibrary> open(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_shared<DlLibrary>(handle);
}

ffi_type* ffi_type_of(NativeType type) {
  return type == NativeType::text ? &ffi_type_pointer : &ffi_type_double;
}

class FfiFunction final : public NativeFunction {
 public:
  FfiFunction(void* address, std::vector<NativeType> argument_types, NativeType result_type)
      : address_(address), argument_types_(std::move(argument_types)), result_type_(result_type) {
    for (const NativeType type : argument_types_) ffi_types_.push_back(ffi_type_of(type));
  }

  bool prepare() {
    return ffi_prep_cif(&cif_, FFI_DEFAULT_ABI, static_cast<unsigned>(ffi_types_.size()),
                        ffi_type_of(result_type_), ffi_types_.data()) == FFI_OK;
  }

  NativeValue call(std::span<const NativeValue> arguments) const override {
    std::vector<void*> slots(argument_types_.size());
    for (std::size_t i = 0; i < slots.size() && i < arguments.size(); ++i) {
      const NativeValue& argument = arguments[i];
      slots[i] = argument_types_[i] == NativeType::text
                     ? static_cast<void*>(const_cast<const char**>(&argument.text))
                     : static_cast<void*>(const_cast<double*>(&argument.real));
    }
    // The result buffer must hold at least a whole register.
    union {
      double real;
      ffi_arg word;
      void* pointer;
    } result{};
    ffi_call(const_cast<ffi_cif*>(&cif_), FFI_FN(address_), &result, slots.data());
    NativeValue value;
    if (result_type_ == NativeType::text) {
      value.text = static_cast<const char*>(result.pointer);
    } else {
      value.real = result.real;
    }
    return value;
  }

 private:
  void* address_;
  std::vector<NativeType> argument_types_;
  NativeType result_type_;
  std::vector<ffi_type*> ffi_types_;
  ffi_cif cif_{};
};

}  // namespace

std::shared_ptr<NativeLibrary> load_native_library(const std::string& name,
                                                   std::span<const std::filesystem::path> folders) {
  const std::filesystem::path given(name);
  const std::vector<std::string> names = file_names(given);
  if (given.has_parent_path()) {
    for (const std::string& file : names) {
      if (auto library = open((given.parent_path() / file).string())) return library;
    }
  }
  for (const std::filesystem::path& folder : folders) {
    for (const std::string& file : names) {
      if (auto library = open((folder / file).string())) return library;
    }
  }
  // A bare name makes the loader search the system's library path.
  for (const std::string& file : names) {
    if (auto library = open(file)) return library;
  }
  return nullptr;
}

std::unique_ptr<NativeFunction> prepare_native_function(void* address,
                                                        std::vector<NativeType> argument_types,
                                                        NativeType result_type) {
  auto function = std::make_unique<FfiFunction>(address, std::move(argument_types), result_type);
  if (!function->prepare()) return nullptr;
  return function;
}

}  // namespace kestrel::platform
