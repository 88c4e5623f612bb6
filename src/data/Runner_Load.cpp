#include "data/Runner_Load.h"

#include <cstring>
#include <fstream>

namespace kestrel {

namespace {

constexpr int kListVersion = 800;

bool MarkerAt(std::span<const std::uint8_t> file, std::size_t offset) {
  if (offset + 4 > file.size()) return false;
  std::int32_t value;
  std::memcpy(&value, file.data() + offset, 4);
  return value == GameDataMarker;
}

// A failure inside a block is a failure of the stream the block came from.
bool PassOn(CStream& block, CStream& stream) {
  if (block.failed()) stream.fail();
  return !stream.failed();
}

template <class T, class LoadFn>
bool ReadResourceList(CStream& stream, ResourceList<T>& list, LoadFn load) {
  list.clear();
  if (ReadInt(stream) != kListVersion) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    CStream entry = ReadCompressedBlock(stream);
    if (stream.failed()) return false;
    if (!ReadBool(entry)) {
      if (!PassOn(entry, stream)) return false;
      list.add_empty();
      continue;
    }
    std::string name = ReadString(entry);
    T resource;
    const bool loaded = load(resource, entry);
    if (!PassOn(entry, stream) || !loaded) return false;
    list.add(std::move(name), std::move(resource));
  }
  return !stream.failed();
}

template <class T>
bool ReadResourceList(CStream& stream, ResourceList<T>& list) {
  return ReadResourceList(stream, list,
                          [](T& resource, CStream& entry) { return resource.Load(entry); });
}

template <class T>
void WriteResourceList(CStream& stream, const ResourceList<T>& list) {
  WriteInt(stream, kListVersion);
  WriteInt(stream, list.count());
  for (const auto& slot : list.slots()) {
    CStream entry;
    WriteBool(entry, slot.resource.has_value());
    if (slot.resource) {
      WriteString(entry, slot.name);
      slot.resource->Save(entry);
    }
    WriteCompressedBlock(stream, entry.bytes());
  }
}

bool ReadExtensionPackages(CStream& stream, GameData& game, const LoadOptions& options) {
  game.extension_packages.clear();
  if (ReadInt(stream) != 700) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    CExtensionPackage& package = game.extension_packages.emplace_back();
    if (!package.Load(stream)) return false;
    if (!options.keep_stored_form) package.Tidy();
  }
  return !stream.failed();
}

bool ReadTriggers(CStream& stream, GameData& game) {
  game.triggers.clear();
  if (ReadInt(stream) != kListVersion) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    CStream entry = ReadCompressedBlock(stream);
    if (stream.failed()) return false;
    auto& trigger = game.triggers.emplace_back();
    if (!ReadBool(entry)) {
      if (!PassOn(entry, stream)) return false;
      continue;
    }
    const bool loaded = trigger.emplace().Load(entry);
    if (!PassOn(entry, stream) || !loaded) return false;
  }
  return !stream.failed();
}

bool ReadConstants(CStream& stream, GameData& game) {
  game.constants.clear();
  if (ReadInt(stream) != kListVersion) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    std::string name = ReadString(stream);
    game.constants.emplace_back(std::move(name), ReadString(stream));
  }
  return !stream.failed();
}

bool ReadRooms(CStream& stream, GameData& game) {
  const auto background_size = [&game](int index) -> std::optional<std::pair<int, int>> {
    const CBackground* background = game.backgrounds.get(index);
    if (background == nullptr) return std::nullopt;
    return std::pair{background->width(), background->height()};
  };
  if (!ReadResourceList(stream, game.rooms, [&](CRoom& room, CStream& entry) {
        return room.Load(entry, background_size);
      }))
    return false;
  game.last_instance_id = ReadInt(stream);
  game.last_tile_id = ReadInt(stream);
  return !stream.failed();
}

bool ReadIncludedFiles(CStream& stream, GameData& game) {
  game.included_files.clear();
  if (ReadInt(stream) != kListVersion) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    CStream entry = ReadCompressedBlock(stream);
    if (stream.failed()) return false;
    const bool loaded = game.included_files.emplace_back().Load(entry);
    if (!PassOn(entry, stream) || !loaded) return false;
  }
  return !stream.failed();
}

bool ReadInformation(CStream& stream, GameData& game) {
  game.information = GameInformation{};
  if (ReadInt(stream) != kListVersion) return false;
  CStream block = ReadCompressedBlock(stream);
  if (stream.failed()) return false;
  game.information.Load(block);
  return PassOn(block, stream);
}

bool ReadLibraryInitCode(CStream& stream, GameData& game) {
  game.library_init_code.clear();
  if (ReadInt(stream) != 500) return false;
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i)
    game.library_init_code.push_back(ReadString(stream));
  return !stream.failed();
}

bool ReadRoomOrder(CStream& stream, GameData& game) {
  game.room_order.clear();
  if (ReadInt(stream) != 700) return false;
  const int count = ReadInt(stream);
  if (count < 1) return false;
  for (int i = 0; i < count && !stream.failed(); ++i) game.room_order.push_back(ReadInt(stream));
  return !stream.failed();
}

LoadResult Failure(std::initializer_list<const char*> messages) {
  LoadResult result;
  for (const char* message : messages) result.messages.emplace_back(message);
  return result;
}

std::vector<std::int32_t> ReadPadding(CStream& stream) {
  const std::int32_t count = ReadInt(stream);
  std::vector<std::int32_t> padding;
  if (count <= 0) return padding;
  if (std::uint64_t(count) * 4 > stream.remaining()) {
    stream.fail();
    return padding;
  }
  padding.resize(std::size_t(count));
  stream.read(padding.data(), padding.size() * 4);
  return padding;
}

}  // namespace

std::size_t GameDataOffsetFor(std::size_t runner_size) {
  if (runner_size <= kFirstDataOffset) return kFirstDataOffset;
  return kFirstDataOffset +
         (runner_size - kFirstDataOffset + kDataOffsetStep - 1) / kDataOffsetStep * kDataOffsetStep;
}

bool ScriptRecord::Load(CStream& stream) {
  text.clear();
  if (ReadInt(stream) != 800) return false;
  text = ReadString(stream);
  return !stream.failed();
}

void ScriptRecord::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteString(stream, text);
}

bool GameInformation::Load(CStream& stream) {
  background_colour = ReadInt(stream);
  in_game_window = ReadBool(stream);
  caption = ReadString(stream);
  left = ReadInt(stream);
  top = ReadInt(stream);
  width = ReadInt(stream);
  height = ReadInt(stream);
  border = ReadBool(stream);
  sizeable = ReadBool(stream);
  stay_on_top = ReadBool(stream);
  stop_game = ReadBool(stream);
  CStream rich_text = ReadBlock(stream);
  text.assign(rich_text.bytes().begin(), rich_text.bytes().end());
  return !stream.failed();
}

void GameInformation::Save(CStream& stream) const {
  WriteInt(stream, background_colour);
  WriteBool(stream, in_game_window);
  WriteString(stream, caption);
  WriteInt(stream, left);
  WriteInt(stream, top);
  WriteInt(stream, width);
  WriteInt(stream, height);
  WriteBool(stream, border);
  WriteBool(stream, sizeable);
  WriteBool(stream, stay_on_top);
  WriteBool(stream, stop_game);
  WriteBlock(stream, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

GameContainer DefaultContainer(std::int32_t game_id) {
  GameContainer container;
  container.key = MakeScrambleKey(std::uint32_t(game_id));
  // A second draw from the same seed family gives the body's padding.
  const ScrambleKey padding_source = MakeScrambleKey(std::uint32_t(game_id) ^ 0x5A17u);
  container.body_padding = padding_source.padding_before;
  return container;
}

std::optional<std::size_t> FindGameData(std::span<const std::uint8_t> file) {
  if (MarkerAt(file, 0)) return 0;
  for (std::size_t offset = kFirstDataOffset; offset + 4 <= file.size(); offset += kDataOffsetStep)
    if (MarkerAt(file, offset)) return offset;
  return std::nullopt;
}

LoadResult ReadGameFile(const std::filesystem::path& path, GameData& game,
                        const LoadOptions& options, const ProgressCallback& progress) {
  std::ifstream in(path, std::ios::binary);
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (!in || error) return Failure({kCannotReadMessage});
  Bytes file(size);
  if (!in.read(reinterpret_cast<char*>(file.data()), std::streamsize(size)))
    return Failure({kCannotReadMessage});
  return ReadGame(std::move(file), game, options, progress);
}

LoadResult ReadGame(Bytes file_bytes, GameData& game, const LoadOptions& options,
                    const ProgressCallback& progress) {
  auto show = [&progress](int percent, std::string_view text) {
    if (progress) progress(percent, text);
  };
  game = GameData{};
  const auto start = FindGameData(file_bytes);
  if (!start) return Failure({kNotValidMessage});
  CStream file(std::move(file_bytes));
  file.seek(*start + 4);

  const std::int32_t version = ReadInt(file);
  if (file.failed()) return Failure({kCorruptedMessage});
  if (version != 800) return Failure({kWrongVersionMessage});
  game.debug_mode = ReadBool(file);
  if (!game.settings.Read(file)) return Failure({kResourceDataMessage});
  if (options.settings_read) options.settings_read(game.settings);
  show(1, "Reading data");

  game.library_name = ReadString(file);
  if (options.keep_stored_form) {
    game.library = ReadCompressedBlock(file).release();
  } else {
    // This runner draws without the stored library, so its block is passed over.
    file.skip(ReadInt(file));
  }
  CStream body = UnscrambleGameData(file, &game.container.key);
  if (file.failed()) return Failure({kCorruptedMessage});
  file = CStream{};  // the executable's bytes are no longer needed

  game.container.body_padding = ReadPadding(body);
  game.container.reserved_flag = ReadBool(body);
  game.game_id = ReadInt(body);
  body.read(game.guid.data(), game.guid.size());
  if (body.failed()) return Failure({kCorruptedMessage});

  struct Section {
    int percent;
    const char* text;
    std::function<bool()> read;
  };
  const Section sections[] = {
      {0, "Loading extension packages", [&] { return ReadExtensionPackages(body, game, options); }},
      {5, "Loading triggers", [&] { return ReadTriggers(body, game); }},
      {6, "Loading constants", [&] { return ReadConstants(body, game); }},
      {7, "Loading sounds", [&] { return ReadResourceList(body, game.sounds); }},
      {10, "Loading sprites", [&] { return ReadResourceList(body, game.sprites); }},
      {23, "Loading backgrounds", [&] { return ReadResourceList(body, game.backgrounds); }},
      {30, "Loading paths", [&] { return ReadResourceList(body, game.paths); }},
      {32, "Loading scripts", [&] { return ReadResourceList(body, game.scripts); }},
      {34, "Loading fonts", [&] { return ReadResourceList(body, game.fonts); }},
      {36, "Loading time lines", [&] { return ReadResourceList(body, game.timelines); }},
      {38, "Loading objects", [&] { return ReadResourceList(body, game.objects); }},
      {40, "Loading rooms", [&] { return ReadRooms(body, game); }},
      {43, "Loading included files", [&] { return ReadIncludedFiles(body, game); }},
      {45, "Loading help", [&] { return ReadInformation(body, game); }},
      {47, "Loading library init code", [&] { return ReadLibraryInitCode(body, game); }},
      {49, "Loading room order", [&] { return ReadRoomOrder(body, game); }},
  };
  for (const Section& section : sections) {
    show(section.percent, section.text);
    if (section.read()) continue;
    if (body.failed()) return Failure({kCorruptedMessage});
    if (&section == &sections[0]) return Failure({kExtensionPackagesMessage, kResourceDataMessage});
    return Failure({kResourceDataMessage});
  }
  return {true, {}};
}

Bytes WriteGameData(const GameData& game) {
  CStream body;
  WriteInt(body, std::int32_t(game.container.body_padding.size()));
  for (auto value : game.container.body_padding) WriteInt(body, value);
  WriteBool(body, game.container.reserved_flag);
  WriteInt(body, game.game_id);
  body.write(game.guid.data(), game.guid.size());

  WriteInt(body, 700);
  WriteInt(body, int(game.extension_packages.size()));
  for (const auto& package : game.extension_packages) package.Save(body);

  WriteInt(body, kListVersion);
  WriteInt(body, int(game.triggers.size()));
  for (const auto& trigger : game.triggers) {
    CStream entry;
    WriteBool(entry, trigger.has_value());
    if (trigger) trigger->Save(entry);
    WriteCompressedBlock(body, entry.bytes());
  }

  WriteInt(body, kListVersion);
  WriteInt(body, int(game.constants.size()));
  for (const auto& [name, value] : game.constants) {
    WriteString(body, name);
    WriteString(body, value);
  }

  WriteResourceList(body, game.sounds);
  WriteResourceList(body, game.sprites);
  WriteResourceList(body, game.backgrounds);
  WriteResourceList(body, game.paths);
  WriteResourceList(body, game.scripts);
  WriteResourceList(body, game.fonts);
  WriteResourceList(body, game.timelines);
  WriteResourceList(body, game.objects);
  WriteResourceList(body, game.rooms);
  WriteInt(body, game.last_instance_id);
  WriteInt(body, game.last_tile_id);

  WriteInt(body, kListVersion);
  WriteInt(body, int(game.included_files.size()));
  for (const auto& file : game.included_files) {
    CStream entry;
    file.Save(entry);
    WriteCompressedBlock(body, entry.bytes());
  }

  WriteInt(body, kListVersion);
  CStream information;
  game.information.Save(information);
  WriteCompressedBlock(body, information.bytes());

  WriteInt(body, 500);
  WriteInt(body, int(game.library_init_code.size()));
  for (const auto& code : game.library_init_code) WriteString(body, code);

  WriteInt(body, 700);
  WriteInt(body, int(game.room_order.size()));
  for (auto room : game.room_order) WriteInt(body, room);

  CStream out;
  WriteInt(out, GameDataMarker);
  WriteInt(out, 800);
  WriteBool(out, game.debug_mode);
  game.settings.Write(out);
  WriteString(out, game.library_name);
  if (game.library.empty()) {
    WriteInt(out, 0);
  } else {
    WriteCompressedBlock(out, game.library);
  }
  ScrambleGameData(out, body.bytes(), game.container.key);
  return out.release();
}

}  // namespace kestrel
