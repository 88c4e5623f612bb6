#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrel::platform {

// A value of the store: text, or bytes that game code wrote as a number.
struct StoredValue {
  enum Kind { kText, kBinary };
  Kind kind = kText;
  std::string data;
};

// The per-user store that stands in for the system registry: keys named by a
// root and a path of names joined by backslashes, each holding named values.
// Names compare without regard to case. Every write is one transaction, so a
// crash leaves the old or the new value, and games running at once share it.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  virtual bool key_exists(const std::string& root, const std::string& key) = 0;
  // Creates the key and the keys above it; false when the store cannot be written.
  virtual bool create_key(const std::string& root, const std::string& key) = 0;
  virtual std::optional<StoredValue> read_value(const std::string& root, const std::string& key,
                                                const std::string& name) = 0;
  // Creates the key when needed and replaces the value; false when the store
  // cannot be written.
  virtual bool write_value(const std::string& root, const std::string& key, const std::string& name,
                           const StoredValue& value) = 0;
};

// Opens the store's database file, creating it (and its folder) when `create`
// is set; null when it cannot be opened.
std::unique_ptr<RegistryStore> open_registry_store(const std::filesystem::path& file, bool create);

}  // namespace kestrel::platform
