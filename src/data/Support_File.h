#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

inline constexpr char kTempDirFailedMessage[] =
    "Failed to create temp dir. This can cause serious problems with sounds, etc.";

// Where the game's temporary folder may go, in the order the bases are tried.
struct TempDirectoryPlaces {
  std::filesystem::path executable_folder;  // may hold "tempdir.txt"
  std::function<const char*(const char*)> environment = [](const char*) { return nullptr; };
  std::filesystem::path system_temp;
  std::filesystem::path current_folder;
};

// The game's own temporary folder: created once at start, removed with all its
// contents when the object goes.
class TempDirectory {
 public:
  TempDirectory() = default;
  // Tries the base named by "tempdir.txt" or the environment, then the system's
  // temporary folder, then the current folder. Without any, path() is empty.
  static TempDirectory Create(const TempDirectoryPlaces& places);
  // The places of this process (std::getenv, std::filesystem's temporary folder).
  static TempDirectoryPlaces ProcessPlaces(const std::filesystem::path& executable_folder);

  TempDirectory(TempDirectory&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  TempDirectory& operator=(TempDirectory&& other) noexcept;
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  ~TempDirectory() { Remove(); }

  const std::filesystem::path& path() const { return path_; }
  bool created() const { return !path_.empty(); }

  // A file name inside the folder that does not exist yet.
  std::filesystem::path UniqueTempFileName(std::string_view extension) const;
  void Remove();

 private:
  std::filesystem::path path_;
};

// The first line of a text file, without its line ending; empty when unreadable.
std::string ReadFirstLine(const std::filesystem::path& file);

// The whole file; none when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file);

// Writes the bytes to a temporary file beside `target` and renames it over the
// target, so a reader never sees half a file. False and an explanation on failure.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string& error);

}  // namespace kestrel
