#include "lib/highscore_table.h"

#include <vector>

#include "lib/game_registry.h"

namespace kestrel {
namespace {

constexpr int kScoreBytes = 16;
// Two letters 'A' + high and 'A' + low make one element: 65 * 16 + 65.
constexpr int kLetterBase = 1105;

std::string rank_name(int rank) {
  return "Rank" + std::to_string(rank);
}

}  // namespace

std::string encode_highscore_entry(const HighscoreEntry& entry, std::int32_t game_id) {
  std::vector<std::int64_t> elements;
  std::int32_t score = entry.score;
  for (int i = 0; i < kScoreBytes; ++i) {
    elements.push_back(score % 256);
    score /= 256;
  }
  for (char c : entry.name) elements.push_back(static_cast<unsigned char>(c));
  std::string text;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    // Signed remainders: a negative element writes letters below 'A'.
    const std::int64_t x = (elements[i] + static_cast<std::int64_t>(i + 1) + game_id) % 256;
    text += static_cast<char>('A' + x / 16);
    text += static_cast<char>('A' + x % 16);
  }
  return text;
}

std::optional<HighscoreEntry> decode_highscore_entry(std::string_view text, std::int32_t game_id) {
  const std::size_t count = text.size() / 2;
  if (count < kScoreBytes) return std::nullopt;
  HighscoreEntry entry;
  std::uint32_t score = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int64_t pair = static_cast<std::int64_t>(text[2 * i]) * 16 + text[2 * i + 1] -
                              kLetterBase - static_cast<std::int64_t>(i + 1) - game_id;
    const auto element = static_cast<std::uint32_t>(((pair % 256) + 256) % 256);
    if (i < kScoreBytes) {
      // Bytes past the fourth shift out of 32 bits.
      if (i < 4) score += element << (8 * i);
    } else {
      entry.name += static_cast<char>(element);
    }
  }
  entry.score = static_cast<std::int32_t>(score);
  return entry;
}

std::string HighscoreTable::key(std::int32_t game_id) {
  return "\\Software\\Brimwold\\Scores\\" + std::to_string(game_id);
}

HighscoreEntry HighscoreTable::entry(int rank, const std::string& empty_name) const {
  const std::string stored =
      registry_.read_string(GameRegistry::kCurrentUser, key(game_id_), rank_name(rank));
  if (std::optional<HighscoreEntry> read = decode_highscore_entry(stored, game_id_)) return *read;
  return {empty_name, 0};
}

void HighscoreTable::set_entry(int rank, const HighscoreEntry& entry) {
  registry_.write_string(GameRegistry::kCurrentUser, key(game_id_), rank_name(rank),
                         encode_highscore_entry(entry, game_id_));
}

std::optional<int> HighscoreTable::insert(const HighscoreEntry& entry,
                                          const std::string& empty_name) {
  std::array<HighscoreEntry, kRanks> ranks;
  for (int rank = 1; rank <= kRanks; ++rank) ranks[rank - 1] = this->entry(rank, empty_name);
  for (int rank = 1; rank <= kRanks; ++rank) {
    if (ranks[rank - 1].score >= entry.score) continue;
    for (int below = kRanks; below > rank; --below) set_entry(below, ranks[below - 2]);
    set_entry(rank, entry);
    return rank;
  }
  return std::nullopt;
}

void HighscoreTable::clear(const std::string& empty_name) {
  for (int rank = 1; rank <= kRanks; ++rank) set_entry(rank, {empty_name, 0});
}

}  // namespace kestrel
