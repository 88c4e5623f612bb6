#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace kestrel {

// The folder of the per-user data: KESTREL_DATA_HOME when set, else
// $XDG_DATA_HOME/kestrel, else ~/.local/share/kestrel.
std::filesystem::path user_data_folder();
// The registry store's database in that folder.
std::filesystem::path registry_database_path();

// The registry as game code sees it: the game's own key, keys under a chosen
// root, strings and reals (8-byte binary values). The store is opened on
// first use; without one, reads give their defaults and writes do nothing.
class GameRegistry {
 public:
  // Roots: 0 current user, 1 local machine, 2 classes root, 3 users.
  static constexpr int kCurrentUser = 0;
  // The root of the keys that game code names; any other number is the current user.
  void set_root(int root) { root_ = root >= 0 && root <= 3 ? root : kCurrentUser; }
  int root() const { return root_; }

  std::string read_string(int root, const std::string& key, const std::string& name);
  double read_real(int root, const std::string& key, const std::string& name);
  // Creates the key when it is missing, as the registry's own test does.
  bool exists(int root, const std::string& key, const std::string& name);
  void write_string(int root, const std::string& key, const std::string& name,
                    const std::string& text);
  void write_real(int root, const std::string& key, const std::string& name, double value);

  // The game's own key under the current user, whatever the root.
  static std::string game_key(std::int32_t game_id);

 private:
  platform::RegistryStore* store();

  std::unique_ptr<platform::RegistryStore> store_;
  bool opened_ = false;
  int root_ = kCurrentUser;
};

// Key paths without backslashes at their ends, so "\Software\X\" and
// "Software\X" name the same key.
std::string normalized_key(const std::string& key);

// The player's preference for secure mode: the "Warning" value of the
// preferences key, and with it the "BrimwoldRunning" value when that exists.
// Reads the store without creating it.
bool secure_mode_preference();

}  // namespace kestrel
