#include "lib/game_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace kestrel {
namespace {

constexpr const char* kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT",
                                  "HKEY_USERS"};
constexpr const char* kPreferencesKey = "Software\\Brimwold\\Version 8\\Preferences";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A value read as a boolean: a number other than 0, or a text other than
// empty, "0" and "false".
bool as_boolean(const platform::StoredValue& value) {
  if (value.kind == platform::StoredValue::kBinary) {
    return std::any_of(value.data.begin(), value.data.end(), [](char c) { return c != 0; });
  }
  std::string text = value.data;
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return !text.empty() && text != "0" && text != "false";
}

}  // namespace

std::filesystem::path user_data_folder() {
  if (const std::string own = environment("KESTREL_DATA_HOME"); !own.empty()) return own;
  if (const std::string data = environment("XDG_DATA_HOME"); !data.empty()) {
    return std::filesystem::path(data) / "kestrel";
  }
  return std::filesystem::path(environment("HOME")) / ".local" / "share" / "kestrel";
}

std::filesystem::path registry_database_path() {
  return user_data_folder() / "registry.sqlite";
}

std::string normalized_key(const std::string& key) {
  const std::size_t first = key.find_first_not_of('\\');
  if (first == std::string::npos) return "";
  return key.substr(first, key.find_last_not_of('\\') - first + 1);
}

std::string GameRegistry::game_key(std::int32_t game_id) {
  return "Software\\Brimwold\\" + std::to_string(game_id);
}

platform::RegistryStore* GameRegistry::store() {
  if (!opened_) {
    store_ = platform::open_registry_store(registry_database_path(), true);
    opened_ = true;
  }
  return store_.get();
}

std::string GameRegistry::read_string(int root, const std::string& key, const std::string& name) {
  if (platform::RegistryStore* registry = store()) {
    const auto value = registry->read_value(kRoots[root], normalized_key(key), name);
    if (value && value->kind == platform::StoredValue::kText) return value->data;
  }
  return "";
}

double GameRegistry::read_real(int root, const std::string& key, const std::string& name) {
  if (platform::RegistryStore* registry = store()) {
    const auto value = registry->read_value(kRoots[root], normalized_key(key), name);
    double real = 0;
    if (value && value->kind == platform::StoredValue::kBinary &&
        value->data.size() == sizeof real) {
      std::memcpy(&real, value->data.data(), sizeof real);
      return real;
    }
  }
  return 0;
}

bool GameRegistry::exists(int root, const std::string& key, const std::string& name) {
  platform::RegistryStore* registry = store();
  if (registry == nullptr) return false;
  const std::string path = normalized_key(key);
  if (!registry->key_exists(kRoots[root], path)) registry->create_key(kRoots[root], path);
  return registry->read_value(kRoots[root], path, name).has_value();
}

void GameRegistry::write_string(int root, const std::string& key, const std::string& name,
                                const std::string& text) {
  if (platform::RegistryStore* registry = store()) {
    registry->write_value(kRoots[root], normalized_key(key), name,
                          {platform::StoredValue::kText, text});
  }
}

void GameRegistry::write_real(int root, const std::string& key, const std::string& name,
                              double value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  if (platform::RegistryStore* registry = store()) {
    registry->write_value(kRoots[root], normalized_key(key), name,
                          {platform::StoredValue::kBinary, bytes});
  }
}

bool secure_mode_preference() {
  const auto registry = platform::open_registry_store(registry_database_path(), false);
  if (!registry || !registry->key_exists(kRoots[0], kPreferencesKey)) return false;
  bool secure = false;
  if (const auto warning = registry->read_value(kRoots[0], kPreferencesKey, "Warning")) {
    secure = as_boolean(*warning);
  }
  if (const auto running = registry->read_value(kRoots[0], kPreferencesKey, "BrimwoldRunning")) {
    secure = secure && as_boolean(*running);
  }
  return secure;
}

}  // namespace kestrel
