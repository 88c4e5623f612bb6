#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class GameRegistry;

struct HighscoreEntry {
  std::string name;
  std::int32_t score = 0;
};

// The text a table entry is stored as: the score's sixteen bytes and the
// name's characters, each shifted by its place and the game's id and written
// as two letters.
std::string encode_highscore_entry(const HighscoreEntry& entry, std::int32_t game_id);
// None for a text that holds no whole score.
std::optional<HighscoreEntry> decode_highscore_entry(std::string_view text, std::int32_t game_id);

// The ten best scores of one game, kept in the registry under a key of the
// game's own, so that every run of the game finds them again.
class HighscoreTable {
 public:
  static constexpr int kRanks = 10;

  // The registry key of the game's table.
  static std::string key(std::int32_t game_id);

  HighscoreTable(GameRegistry& registry, std::int32_t game_id)
      : registry_(registry), game_id_(game_id) {}

  // Rank 1 to 10; a missing or unreadable entry is `empty_name` with 0.
  HighscoreEntry entry(int rank, const std::string& empty_name) const;
  void set_entry(int rank, const HighscoreEntry& entry);
  // Puts the entry at the first rank whose score is lower (an equal score
  // stays above it), moving the ranks below down one; the rank it landed at,
  // or none when it did not qualify.
  std::optional<int> insert(const HighscoreEntry& entry, const std::string& empty_name);
  void clear(const std::string& empty_name);

 private:
  GameRegistry& registry_;
  std::int32_t game_id_;
};

}  // namespace kestrel
