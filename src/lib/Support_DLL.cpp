#include "lib/Support_DLL.h"

#include <algorithm>

#include "lib/game_names.h"

namespace kestrel {

using platform::NativeType;

std::shared_ptr<platform::NativeLibrary> ExternalFunctions::loaded(const std::string& library) {
  // The last entry of the same library holds its current handle.
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (same_ignoring_case(entry->library, library)) {
      if (entry->handle) return entry->handle;
      break;
    }
  }
  // Games write the library's folders with backslashes.
  return platform::load_native_library(system_path(library).string(), folders_);
}

std::int32_t ExternalFunctions::define(const std::string& library, const std::string& function,
                                       int call_type, std::vector<NativeType> argument_types,
                                       NativeType result_type) {
  const std::size_t count = argument_types.size();
  if (count > kMaxExternalArguments) return -1;
  if (count > kMaxExternalStringArguments && std::find(argument_types.begin(), argument_types.end(),
                                                       NativeType::text) != argument_types.end()) {
    return -1;
  }
  std::shared_ptr<platform::NativeLibrary> handle = loaded(library);
  if (!handle) return -1;
  void* address = handle->find(function);
  if (address == nullptr) return -1;
  auto native = platform::prepare_native_function(address, argument_types, result_type);
  if (!native) return -1;
  entries_.push_back(Entry{library, std::move(handle), function, call_type,
                           std::move(argument_types), result_type, std::move(native)});
  return size() - 1;
}

RValue ExternalFunctions::call(std::int32_t id, const RValue* arguments, int count) const {
  if (id < 0 || id >= size()) return RValue();
  const Entry& entry = entries_[static_cast<std::size_t>(id)];
  if (count != static_cast<int>(entry.argument_types.size()) || !entry.handle) return RValue();
  // Texts are passed zero-terminated and live until the call returns.
  std::vector<std::string> texts(entry.argument_types.size());
  std::vector<platform::NativeValue> values(entry.argument_types.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (entry.argument_types[i] == NativeType::text) {
      texts[i] = arguments[i].str();
      values[i].text = texts[i].c_str();
    } else {
      values[i].real = arguments[i].real();
    }
  }
  const platform::NativeValue result = entry.native->call(values);
  if (entry.result_type == NativeType::text) {
    return RValue(std::string_view(result.text ? result.text : ""));
  }
  return RValue(result.real);
}

void ExternalFunctions::free(const std::string& library) {
  for (Entry& entry : entries_) {
    if (same_ignoring_case(entry.library, library)) entry.handle.reset();
  }
}

}  // namespace kestrel
