#include "data/Support_File.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace kestrel {

namespace fs = std::filesystem;

namespace {

int RandomNumberUpTo99999() {
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<int>(0, 99999)(generator);
}

fs::path TryCreateUnder(const fs::path& base) {
  if (base.empty()) return {};
  std::error_code error;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path candidate = base / ("qz_ttt_" + std::to_string(RandomNumberUpTo99999()));
    if (fs::exists(candidate, error)) continue;
    if (fs::create_directories(candidate, error)) return fs::absolute(candidate, error);
    return {};
  }
  return {};
}

}  // namespace

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

TempDirectoryPlaces TempDirectory::ProcessPlaces(const fs::path& executable_folder) {
  TempDirectoryPlaces places;
  places.executable_folder = executable_folder;
  places.environment = [](const char* name) { return std::getenv(name); };
  std::error_code error;
  places.system_temp = fs::temp_directory_path(error);
  places.current_folder = fs::current_path(error);
  return places;
}

TempDirectory TempDirectory::Create(const TempDirectoryPlaces& places) {
  fs::path first_base;
  std::error_code error;
  const fs::path tempdir_file = places.executable_folder / "tempdir.txt";
  if (!places.executable_folder.empty() && fs::exists(tempdir_file, error)) {
    first_base = ReadFirstLine(tempdir_file);
  } else {
    for (const char* variable : {"TMPDIR", "temp", "tmp"}) {
      const char* value = places.environment(variable);
      if (value != nullptr && *value != '\0') {
        first_base = value;
        break;
      }
    }
  }
  TempDirectory directory;
  for (const fs::path& base : {first_base, places.system_temp, places.current_folder}) {
    directory.path_ = TryCreateUnder(base);
    if (directory.created()) break;
  }
  return directory;
}

TempDirectory& TempDirectory::operator=(TempDirectory&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::exchange(other.path_, {});
  }
  return *this;
}

fs::path TempDirectory::UniqueTempFileName(std::string_view extension) const {
  std::error_code error;
  while (true) {
    fs::path candidate =
        path_ / ("a" + std::to_string(RandomNumberUpTo99999()) + std::string(extension));
    if (!fs::exists(candidate, error)) return candidate;
  }
}

void TempDirectory::Remove() {
  if (path_.empty()) return;
  // remove_all does not follow links, so nothing outside the folder is touched.
  std::error_code error;
  fs::remove_all(path_, error);
  path_.clear();
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string& error) {
  fs::path temporary = target;
  temporary += ".tmp" + std::to_string(RandomNumberUpTo99999());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), std::streamsize(bytes.size())) || !out.flush()) {
      error = "cannot write " + temporary.string();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code rename_error;
  fs::rename(temporary, target, rename_error);
  if (rename_error) {
    error = "cannot write " + target.string() + ": " + rename_error.message();
    fs::remove(temporary, rename_error);
    return false;
  }
  return true;
}

}  // namespace kestrel
