#include <zlib.h>

#include <fstream>
#include <iterator>

#include "data/Support_File.h"
#include "json_file.h"
#include "project.h"

namespace kestrel::tools {

namespace fs = std::filesystem;

namespace {

constexpr int kMapFormat = 1;

// The size and CRC-32 of a file, which tie a map to the game it was made with.
struct Fingerprint {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  bool operator==(const Fingerprint&) const = default;
};

std::optional<Fingerprint> FingerprintOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Fingerprint print;
  print.size = bytes.size();
  uLong crc = crc32(0, nullptr, 0);
  for (std::size_t done = 0; done < bytes.size();) {
    const auto part = static_cast<uInt>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), part);
    done += part;
  }
  print.crc = static_cast<std::uint32_t>(crc);
  return print;
}

}  // namespace

fs::path SourceMapPath(const fs::path& game_file) {
  return fs::path(game_file.string() + ".map.json");
}

bool WriteSourceMap(const SourceMap& sources, const fs::path& game_file, std::string& error) {
  const std::optional<Fingerprint> print = FingerprintOf(game_file);
  if (!print) {
    error = game_file.string() + ": cannot read the game";
    return false;
  }
  Json files = Json::object();
  for (const auto& [origin, file] : sources.files())
    files[origin] = file.columns_before == 0
                        ? Json::array({file.path, file.lines_before})
                        : Json::array({file.path, file.lines_before, file.columns_before});
  const Json map = {{"format", kMapFormat},
                    {"game_size", print->size},
                    {"game_crc32", print->crc},
                    {"project", fs::absolute(sources.root()).lexically_normal().generic_string()},
                    {"files", files}};
  return WriteFileAtomically(SourceMapPath(game_file), FormatJson(map), error);
}

bool ReadSourceMap(const fs::path& game_file, SourceMap& sources, std::string& warning) {
  const fs::path path = SourceMapPath(game_file);
  if (!fs::exists(path)) return false;
  const auto ignored = [&](const std::string& why) {
    warning = why + "; reports will not name project files";
    return false;
  };
  try {
    const JsonFile file = JsonFile::Read(path);
    const Json& map = file.root();
    if (!map.is_object() || map.value("format", 0) != kMapFormat)
      return ignored(path.string() + ": not a source map this tool knows");
    const Fingerprint expected{map.value("game_size", std::uint64_t{0}),
                               map.value("game_crc32", std::uint32_t{0})};
    if (FingerprintOf(game_file) != expected)
      return ignored(path.string() + ": it was made for another build of the game");
    SourceMap read;
    read.set_root(map.value("project", std::string()));
    const Json files = map.value("files", Json::object());
    for (const auto& [origin, entry] : files.items()) {
      if (!entry.is_array() || entry.size() < 2 || entry.size() > 3 || !entry[0].is_string() ||
          !entry[1].is_number_integer() || (entry.size() == 3 && !entry[2].is_number_integer()))
        return ignored(path.string() + ": the entry of " + origin +
                       " is not [FILE, LINES] or [FILE, LINES, COLUMNS]");
      read.add(origin, {entry[0].get<std::string>(), entry[1].get<std::int32_t>(),
                        entry.size() == 3 ? entry[2].get<std::int32_t>() : 0});
    }
    sources = std::move(read);
    return true;
  } catch (const std::exception& failure) {
    return ignored(failure.what());
  }
}

}  // namespace kestrel::tools
