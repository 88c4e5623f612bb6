#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "data/code_origin.h"
#include "json_file.h"
#include "png_io.h"
#include "project.h"
#include "project_format.h"
#include "standard_actions.h"

namespace kestrel::tools {

namespace fs = std::filesystem;

namespace {

Bytes ReadBytes(const fs::path& path) {
  // A folder opens like a file on some systems and then reads as empty.
  std::ifstream in(path, std::ios::binary);
  if (!in || !fs::is_regular_file(path)) Fail(path, "cannot read the file");
  Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) Fail(path, "cannot read the file");
  return bytes;
}

std::string ReadText(const fs::path& path) {
  Bytes bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

template <std::size_t N>
int NamedNumber(const JsonObject& object, const std::string& key,
                const std::array<std::string_view, N>& names, int fallback) {
  const Json* value = object.Get(key);
  if (value == nullptr) return fallback;
  if (value->is_string()) {
    for (std::size_t i = 0; i < N; ++i)
      if (names[i] == value->get<std::string>()) return int(i);
    std::string known;
    for (auto name : names) known += (known.empty() ? "" : ", ") + std::string(name);
    object.Fail(key, "\"" + value->get<std::string>() + "\" is not one of " + known);
  }
  return IntAt(object.file(), *value, object.where(key));
}

int ColourValue(const JsonObject& object, const std::string& key, int fallback) {
  const Json* value = object.Get(key);
  if (value == nullptr) return fallback;
  if (value->is_string()) {
    const std::string text = value->get<std::string>();
    if (text.size() != 7 || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
      object.Fail(key, "a colour is \"#RRGGBB\" or a whole number");
    const int rgb = std::stoi(text.substr(1), nullptr, 16);
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  }
  return IntAt(object.file(), *value, object.where(key));
}

struct OrderEntry {
  std::string stem;  // the entry's file or folder name; empty for an empty slot
  std::string name;
};

class ProjectReader {
 public:
  ProjectReader(fs::path root, GameData& game, SourceMap* sources)
      : root_(std::move(root)), game_(game), sources_(sources) {}

  void Read() {
    if (!fs::is_directory(root_)) Fail(root_, "not a project folder");
    const JsonFile game_file = JsonFile::Read(root_ / kGameFile);
    for (const char* kind : {"sounds", "sprites", "backgrounds", "paths", "scripts", "fonts",
                             "timelines", "objects", "rooms"})
      orders_[kind] = ReadOrder(kind);
    ReadGameFile(game_file);
    ReadList("sounds", game_.sounds, [this](const OrderEntry& e, int) { return ReadSound(e); });
    ReadList("sprites", game_.sprites, [this](const OrderEntry& e, int) { return ReadSprite(e); });
    ReadList("backgrounds", game_.backgrounds,
             [this](const OrderEntry& e, int) { return ReadBackground(e); });
    ReadList("paths", game_.paths, [this](const OrderEntry& e, int) { return ReadPath(e); });
    ReadList("scripts", game_.scripts, [this](const OrderEntry& e, int index) {
      return ScriptRecord{
          ReadCode(root_ / "scripts" / (e.stem + ".ks"), code_origin::script(index))};
    });
    ReadList("fonts", game_.fonts, [this](const OrderEntry& e, int) { return ReadFont(e); });
    ReadList("timelines", game_.timelines,
             [this](const OrderEntry& e, int index) { return ReadTimeLine(e, index); });
    ReadList("objects", game_.objects,
             [this](const OrderEntry& e, int index) { return ReadObject(e, index); });
    CheckParents();
    ReadList("rooms", game_.rooms,
             [this](const OrderEntry& e, int index) { return ReadRoom(e, index); });
    CountPlacedIds();
    for (const auto& entry : ReadOrder("triggers")) {
      auto& trigger = game_.triggers.emplace_back();
      if (!entry.stem.empty()) trigger = ReadTrigger(entry, game_.triggers.size() - 1);
    }
    for (const auto& entry : ReadOrder("included_files"))
      game_.included_files.push_back(ReadIncludedFile(entry));
    for (const auto& entry : ReadOrder("extensions"))
      game_.extension_packages.push_back(ReadExtension(entry, game_.extension_packages.size()));
  }

 private:
  static constexpr int kUnstated = -1;

  // A project that does not state the id counters starts them after the
  // highest placed ids, so that instances and tiles made while playing never
  // take an id the rooms already use.
  void CountPlacedIds() {
    int instance_id = 100000;
    int tile_id = 10000000;
    for (int index = 0; index < game_.rooms.count(); ++index) {
      const CRoom* room = game_.rooms.get(index);
      if (room == nullptr) continue;
      for (const RoomInstance& instance : room->instances)
        instance_id = std::max(instance_id, instance.id);
      for (const RoomTile& tile : room->tiles) tile_id = std::max(tile_id, tile.id);
    }
    if (game_.last_instance_id == kUnstated) game_.last_instance_id = instance_id;
    if (game_.last_tile_id == kUnstated) game_.last_tile_id = tile_id;
  }

  fs::path Resolve(const fs::path& folder, const JsonObject& object, const std::string& key) {
    const fs::path relative = fs::path(object.String(key, "")).lexically_normal();
    if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
      object.Fail(key, "expected a file name inside the project");
    return folder / relative;
  }

  // The text of a code file, noting the file as the origin's source.
  std::string ReadCode(const fs::path& path, const std::string& origin) {
    std::string text = ReadText(path);
    NoteSource(origin, path);
    return text;
  }

  void NoteSource(const std::string& origin, const fs::path& path, std::int32_t lines_before = 0) {
    if (sources_ != nullptr)
      sources_->add(origin, {path.lexically_relative(root_).generic_string(), lines_before});
  }

  // Arguments are written inside the action's JSON strings, so their reports
  // point into the object's file.
  void NoteArguments(const JsonFile& file, const JsonObject& action, const std::string& origin,
                     std::size_t count) {
    if (sources_ == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) {
      const JsonFile::TextPlace place = file.StringTextPlace(action.where("arguments") / i);
      sources_->add(code_origin::argument(origin, i),
                    {file.path().lexically_relative(root_).generic_string(), place.line - 1,
                     place.columns_before});
    }
  }

  std::string CodeFile(const fs::path& folder, const JsonObject& object, const std::string& key,
                       const std::string& origin) {
    return object.Has(key) ? ReadCode(Resolve(folder, object, key), origin) : std::string();
  }

  // An object whose parent chain comes back to it would make events and
  // collisions search for ever.
  void CheckParents() {
    const int count = game_.objects.count();
    for (int index = 0; index < count; ++index) {
      int parent = index;
      for (int steps = 0; steps <= count; ++steps) {
        const CObject* object = game_.objects.get(parent);
        if (object == nullptr || object->parent < 0) break;
        parent = object->parent;
        if (parent != index) continue;
        const auto& entry = orders_["objects"][std::size_t(index)];
        JsonFile::Read(root_ / "objects" / entry.stem / "object.json")
            .Fail(Json::json_pointer("/parent"),
                  "the parents of " + entry.name + " come back to " + entry.name);
      }
    }
  }

  std::vector<OrderEntry> ReadOrder(const std::string& kind) {
    std::vector<OrderEntry> entries;
    const fs::path path = root_ / kind / kOrderFile;
    if (!fs::exists(path)) return entries;
    const JsonFile file = JsonFile::Read(path);
    if (!file.root().is_array()) file.Fail(Json::json_pointer(), "expected a list of entries");
    for (std::size_t i = 0; i < file.root().size(); ++i) {
      const Json& item = file.root()[i];
      const auto where = Json::json_pointer("/" + std::to_string(i));
      OrderEntry& entry = entries.emplace_back();
      if (item.is_null()) continue;
      if (item.is_string()) {
        entry.stem = entry.name = item.get<std::string>();
      } else {
        JsonObject object(file, item, where);
        entry.stem = object.String("file", "");
        entry.name = object.String("name", entry.stem);
        object.Finish();
      }
      const fs::path stem(entry.stem);
      if (entry.stem.empty() || stem.has_parent_path() || entry.stem == "." || entry.stem == "..")
        file.Fail(where, "an entry is a plain file name or null");
    }
    return entries;
  }

  template <class T, class ReadOne>
  void ReadList(const std::string& kind, ResourceList<T>& list, ReadOne read_one) {
    for (const auto& entry : orders_[kind]) {
      if (entry.stem.empty()) {
        list.add_empty();
      } else {
        list.add(entry.name, read_one(entry, list.count()));
      }
    }
  }

  // A resource named by its name, or by its index as a number; null is none (-1).
  int Ref(const std::string& kind, const JsonObject& object, const std::string& key,
          int fallback = -1) {
    const Json* value = object.Get(key);
    if (value == nullptr) return object.Has(key) ? -1 : fallback;
    return RefValue(kind, object.file(), *value, object.where(key));
  }

  int RefValue(const std::string& kind, const JsonFile& file, const Json& value,
               const Json::json_pointer& where) {
    if (value.is_null()) return -1;
    if (!value.is_string()) return IntAt(file, value, where);
    const std::string name = value.get<std::string>();
    int found = -1;
    const auto& entries = orders_[kind];
    for (int i = 0; i < int(entries.size()); ++i) {
      if (entries[i].stem.empty() || entries[i].name != name) continue;
      if (found >= 0)
        file.Fail(where, "more than one of the " + kind + " is named \"" + name + "\"");
      found = i;
    }
    if (found < 0) file.Fail(where, "none of the " + kind + " is named \"" + name + "\"");
    return found;
  }

  std::optional<Bytes> OptionalFile(const fs::path& folder, const JsonObject& object,
                                    const std::string& key) {
    if (!object.Has(key)) return std::nullopt;
    return ReadBytes(Resolve(folder, object, key));
  }

  void ReadGameFile(const JsonFile& file) {
    JsonObject game(file, file.root(), Json::json_pointer());
    if (game.Int("format", kFormatVersion) != kFormatVersion)
      game.Fail("format", "this project format version is not known");
    game_.game_id = game.Int("game_id", 0);
    game_.debug_mode = game.Bool("debug_mode", false);
    const std::string guid = game.String("guid", std::string(32, '0'));
    if (guid.size() != 32 || guid.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      game.Fail("guid", "a GUID is 32 hexadecimal digits");
    for (int i = 0; i < 16; ++i)
      game_.guid[i] = std::uint8_t(std::stoi(guid.substr(std::size_t(i) * 2, 2), nullptr, 16));
    ReadSettings(game.Object("settings"));
    if (game.Has("library")) {
      JsonObject library = game.Object("library");
      game_.library_name = library.String("name", "");
      game_.library = OptionalFile(root_, library, "file").value_or(Bytes{});
      library.Finish();
    }
    game_.container = DefaultContainer(game_.game_id);
    if (game.Has("container")) ReadContainer(game.Object("container"));
    for (std::size_t i = 0; i < game.Array("constants").size(); ++i) {
      const Json& pair = game.Array("constants")[i];
      const auto where = game.where("constants") / i;
      if (!pair.is_array() || pair.size() != 2)
        file.Fail(where, "a constant is [\"name\", \"value\"]");
      game_.constants.emplace_back(StringAt(file, pair[0], where / 0),
                                   StringAt(file, pair[1], where / 1));
    }
    ReadInformation(game.Object("information"));
    const Json& init = game.Array("library_init");
    for (std::size_t i = 0; i < init.size(); ++i) {
      const fs::path relative = fs::path(StringAt(file, init[i], game.where("library_init") / i));
      game_.library_init_code.push_back(
          ReadCode(root_ / relative.lexically_normal(), code_origin::library_init(i)));
    }
    const Json& order = game.Array("room_order");
    for (std::size_t i = 0; i < order.size(); ++i)
      game_.room_order.push_back(RefValue("rooms", file, order[i], game.where("room_order") / i));
    if (game_.room_order.empty()) game.Fail("room_order", "the room order names at least one room");
    game_.last_instance_id = game.Int("last_instance_id", kUnstated);
    game_.last_tile_id = game.Int("last_tile_id", kUnstated);
    game.Finish();
  }

  void ReadSettings(const JsonObject& object) {
    GameSettings& s = game_.settings;
    auto flag = [&object](const char* key, bool& field) { field = object.Bool(key, field); };
    auto number = [&object](const char* key, int& field) { field = object.Int(key, field); };
    flag("start_fullscreen", s.StartFullscreen);
    flag("interpolate_pixels", s.InterpolatePixels);
    flag("no_window_border", s.NoWindowBorder);
    flag("show_cursor", s.ShowCursor);
    number("scaling", s.Scaling);
    flag("allow_resize", s.AllowResize);
    flag("stay_on_top", s.StayOnTop);
    s.ColourOutsideRoom = ColourValue(object, "colour_outside_room", s.ColourOutsideRoom);
    flag("set_resolution", s.SetResolution);
    number("colour_depth_code", s.ColourDepthCode);
    number("resolution_code", s.ResolutionCode);
    number("frequency_code", s.FrequencyCode);
    flag("no_caption_buttons", s.NoCaptionButtons);
    flag("use_vsync", s.UseVSync);
    flag("disable_screensaver", s.DisableScreensaver);
    flag("key_f4_fullscreen", s.KeyF4Fullscreen);
    flag("key_f1_information", s.KeyF1Information);
    flag("key_esc_ends", s.KeyEscEnds);
    flag("key_f5_f6_save_load", s.KeyF5F6SaveLoad);
    flag("key_f9_screenshot", s.KeyF9Screenshot);
    flag("close_as_escape", s.CloseAsEscape);
    number("process_priority", s.ProcessPriority);
    flag("freeze_on_focus_loss", s.FreezeOnFocusLoss);
    flag("show_progress_bar", s.ShowProgressBar);
    s.LoadingBackImage = OptionalFile(root_, object, "loading_back_image");
    s.LoadingFrontImage = OptionalFile(root_, object, "loading_front_image");
    if (!s.ShowProgressBar && (s.LoadingBackImage || s.LoadingFrontImage))
      object.Fail("show_progress_bar", "the progress bar images need show_progress_bar");
    s.LoadingImage = OptionalFile(root_, object, "loading_image");
    flag("loading_transparent", s.LoadingTransparent);
    number("loading_alpha", s.LoadingAlpha);
    flag("scale_progress_bar", s.ScaleProgressBar);
    flag("show_errors", s.ShowErrors);
    flag("log_errors", s.LogErrors);
    flag("abort_on_all_errors", s.AbortOnAllErrors);
    flag("uninitialized_as_zero", s.UninitializedAsZero);
    object.Finish();
  }

  std::vector<std::int32_t> Ints(const JsonObject& object, const std::string& key) {
    std::vector<std::int32_t> values;
    const Json& list = object.Array(key);
    for (std::size_t i = 0; i < list.size(); ++i)
      values.push_back(IntAt(object.file(), list[i], object.where(key) / i));
    return values;
  }

  void ReadContainer(const JsonObject& object) {
    GameContainer& container = game_.container;
    if (object.Has("table")) {
      const std::string table = object.String("table", "");
      CStream bytes;
      HexToStream(bytes, table);
      std::array<bool, 256> seen{};
      for (auto byte : bytes.bytes()) seen[byte] = true;
      if (table.size() != 512 || std::count(seen.begin(), seen.end(), true) != 256)
        object.Fail("table", "the table is 256 different bytes in hexadecimal");
      std::copy(bytes.bytes().begin(), bytes.bytes().end(), container.key.table.begin());
    }
    if (object.Has("padding_before")) container.key.padding_before = Ints(object, "padding_before");
    if (object.Has("padding_after")) container.key.padding_after = Ints(object, "padding_after");
    if (object.Has("body_padding")) container.body_padding = Ints(object, "body_padding");
    container.reserved_flag = object.Bool("reserved_flag", false);
    object.Finish();
  }

  void ReadInformation(const JsonObject& object) {
    GameInformation& info = game_.information;
    info.background_colour = ColourValue(object, "background_colour", info.background_colour);
    info.in_game_window = object.Bool("in_game_window", info.in_game_window);
    info.caption = object.String("caption", info.caption);
    info.left = object.Int("left", info.left);
    info.top = object.Int("top", info.top);
    info.width = object.Int("width", info.width);
    info.height = object.Int("height", info.height);
    info.border = object.Bool("border", info.border);
    info.sizeable = object.Bool("sizeable", info.sizeable);
    info.stay_on_top = object.Bool("stay_on_top", info.stay_on_top);
    info.stop_game = object.Bool("stop_game", info.stop_game);
    if (object.Has("text")) info.text = ReadText(Resolve(root_, object, "text"));
    object.Finish();
  }

  CSound ReadSound(const OrderEntry& entry) {
    const fs::path folder = root_ / "sounds";
    const JsonFile file = JsonFile::Read(folder / (entry.stem + ".json"));
    JsonObject object(file, file.root(), Json::json_pointer());
    CSound sound;
    sound.kind = NamedNumber(object, "kind", kSoundKindNames, 0);
    sound.file_type = object.String("file_type", "");
    sound.file_name = object.String("file_name", "");
    if (object.Has("data")) {
      const fs::path data_path = Resolve(folder, object, "data");
      sound.data = ReadBytes(data_path);
      CheckSound(data_path, *sound.data);
    }
    sound.effects = object.Int("effects", 0);
    sound.volume = object.Real("volume", 1);
    sound.pan = object.Real("pan", 0);
    sound.preload = object.Bool("preload", true);
    object.Finish();
    return sound;
  }

  static void CheckSound(const fs::path& path, const Bytes& data) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    auto starts = [&data](std::string_view magic, std::size_t at = 0) {
      return data.size() >= at + magic.size() &&
             std::equal(magic.begin(), magic.end(), data.begin() + std::ptrdiff_t(at));
    };
    if (extension == ".wav" && !(starts("RIFF") && starts("WAVE", 8)))
      Fail(path, "not a readable WAV sound");
    if (extension == ".ogg" && !starts("OggS")) Fail(path, "not a readable OGG sound");
    if ((extension == ".mid" || extension == ".midi") && !starts("MThd"))
      Fail(path, "not a readable MIDI file");
  }

  TBitmap32 ReadImage(const fs::path& folder, const JsonFile& file, const Json& value,
                      const Json::json_pointer& where) {
    if (value.is_string()) return ReadPng(folder / fs::path(value.get<std::string>()));
    JsonObject size(file, value, where);
    TBitmap32 image;
    image.width = size.Int("width", 0);
    image.height = size.Int("height", 0);
    size.Finish();
    if (image.has_pixels()) file.Fail(where, "an image with pixels is a PNG file");
    return image;
  }

  MaskBox Box(const JsonFile& file, const Json& value, const Json::json_pointer& where) {
    if (!value.is_array() || value.size() != 4)
      file.Fail(where, "a box is [left, top, right, bottom]");
    return {IntAt(file, value[0], where / 0), IntAt(file, value[1], where / 1),
            IntAt(file, value[2], where / 2), IntAt(file, value[3], where / 3)};
  }

  CSprite ReadSprite(const OrderEntry& entry) {
    const fs::path folder = root_ / "sprites" / entry.stem;
    const JsonFile file = JsonFile::Read(folder / "sprite.json");
    JsonObject object(file, file.root(), Json::json_pointer());
    CSprite sprite;
    const Json& origin = object.Array("origin");
    if (!origin.empty()) {
      if (origin.size() != 2) object.Fail("origin", "the origin is [x, y]");
      sprite.xorig = IntAt(file, origin[0], object.where("origin") / 0);
      sprite.yorig = IntAt(file, origin[1], object.where("origin") / 1);
    }
    const Json& images = object.Array("images");
    for (std::size_t i = 0; i < images.size(); ++i)
      sprite.images.push_back(ReadImage(folder, file, images[i], object.where("images") / i));
    const bool separate = object.Bool("separate_masks", false);
    if (object.Has("masks")) {
      sprite.separate_masks = separate;
      const Json& masks = object.Array("masks");
      for (std::size_t i = 0; i < masks.size(); ++i) {
        JsonObject item(file, masks[i], object.where("masks") / i);
        TMask& mask = sprite.masks.emplace_back();
        if (item.Has("file")) {
          const GrayImage bits = ReadGrayPng(Resolve(folder, item, "file"));
          mask.width = bits.width;
          mask.height = bits.height;
          for (auto value : bits.pixels) mask.bits.push_back(value >= 128 ? 1 : 0);
        } else {
          mask.width = item.Int("width", 0);
          mask.height = item.Int("height", 0);
          if (mask.width > 0 && mask.height > 0)
            item.Fail("width", "a mask with bits is a PNG file");
        }
        if (const Json* box = item.Get("bbox")) mask.box = Box(file, *box, item.where("bbox"));
        item.Finish();
      }
      sprite.RecomputeBox();
    } else {
      JsonObject mask = object.Object("mask");
      MaskSettings settings;
      settings.shape = MaskShape(NamedNumber(mask, "shape", kMaskShapeNames, 0));
      settings.tolerance = mask.Int("tolerance", 0);
      if (const Json* box = mask.Get("bbox")) {
        if (*box == "automatic") {
          settings.box_kind = MaskBoxKind::Automatic;
        } else if (*box == "full") {
          settings.box_kind = MaskBoxKind::FullImage;
        } else {
          settings.box_kind = MaskBoxKind::Manual;
          settings.manual_box = Box(file, *box, mask.where("bbox"));
        }
      }
      mask.Finish();
      sprite.MakeMasks(separate, settings);
    }
    object.Finish();
    return sprite;
  }

  CBackground ReadBackground(const OrderEntry& entry) {
    const fs::path folder = root_ / "backgrounds";
    CBackground background;
    if (fs::exists(folder / (entry.stem + ".png"))) {
      background.image = ReadPng(folder / (entry.stem + ".png"));
    } else {
      const JsonFile file = JsonFile::Read(folder / (entry.stem + ".json"));
      background.image = ReadImage(folder, file, file.root(), Json::json_pointer());
    }
    return background;
  }

  CPath ReadPath(const OrderEntry& entry) {
    const JsonFile file = JsonFile::Read(root_ / "paths" / (entry.stem + ".json"));
    JsonObject object(file, file.root(), Json::json_pointer());
    CPath path;
    path.kind = NamedNumber(object, "kind", kPathKindNames, 0);
    path.closed = object.Bool("closed", true);
    path.precision = object.Int("precision", 4);
    const Json& points = object.Array("points");
    for (std::size_t i = 0; i < points.size(); ++i) {
      const auto where = object.where("points") / i;
      if (!points[i].is_array() || points[i].size() != 3)
        file.Fail(where, "a point is [x, y, speed]");
      path.points.push_back({RealAt(file, points[i][0], where / 0),
                             RealAt(file, points[i][1], where / 1),
                             RealAt(file, points[i][2], where / 2)});
    }
    object.Finish();
    path.Recompute();
    return path;
  }

  CFont ReadFont(const OrderEntry& entry) {
    const fs::path folder = root_ / "fonts";
    const JsonFile file = JsonFile::Read(folder / (entry.stem + ".json"));
    JsonObject object(file, file.root(), Json::json_pointer());
    CFont font;
    font.font_name = object.String("font", "Arial");
    font.size = object.Int("size", 12);
    font.bold = object.Bool("bold", false);
    font.italic = object.Bool("italic", false);
    font.first = object.Int("first", 32);
    font.last = object.Int("last", 128);
    if (object.Has("glyphs")) {
      const Json& glyphs = object.Array("glyphs");
      if (glyphs.size() != 256) object.Fail("glyphs", "the glyph table has 256 entries");
      for (std::size_t c = 0; c < 256; ++c) {
        const auto where = object.where("glyphs") / c;
        if (!glyphs[c].is_array() || glyphs[c].size() != 6)
          file.Fail(where, "a glyph is [x, y, w, h, shift, offset]");
        Glyph& glyph = font.glyphs[c];
        int* fields[] = {&glyph.x, &glyph.y, &glyph.w, &glyph.h, &glyph.shift, &glyph.offset};
        for (std::size_t f = 0; f < 6; ++f) *fields[f] = IntAt(file, glyphs[c][f], where / f);
      }
      if (object.Has("image")) {
        const GrayImage image = ReadGrayPng(Resolve(folder, object, "image"));
        font.image_width = image.width;
        font.image_height = image.height;
        font.image = image.pixels;
      }
    } else {
      std::string error;
      if (!font.RenderGlyphs(error)) Fail(file.path(), error);
    }
    object.Finish();
    return font;
  }

  CAction ReadAction(const fs::path& folder, const JsonFile& file, const Json& value,
                     const Json::json_pointer& where, const std::string& origin) {
    JsonObject object(file, value, where);
    CAction action;
    if (object.Has("code")) {
      action = StandardCodeAction(CodeFile(folder, object, "code", origin));
      action.apply_to = ApplyTo(object);
      object.Finish();
      return action;
    }
    if (object.Has("function") && !object.Has("library"))
      return ReadFunctionAction(file, object, origin);
    if (object.Has("block")) {
      const std::string name = object.String("block", "");
      action = BlockAction(name);
      if (action == CAction())
        object.Fail("block", "'" + name + "' is none of begin, end, else and exit");
      object.Finish();
      return action;
    }
    if (object.Has("repeat")) {
      action = RepeatAction(object.String("repeat", ""));
      object.Finish();
      return action;
    }
    action.library_id = object.Int("library", action.library_id);
    action.action_id = object.Int("action", action.action_id);
    action.kind = object.Int("kind", action.kind);
    action.may_be_relative = object.Bool("relative_allowed", action.may_be_relative);
    action.question = object.Bool("question", action.question);
    action.has_apply_to = object.Bool("has_apply_to", action.has_apply_to);
    action.execution_type = object.Int("execution", action.execution_type);
    action.function_name = object.String("function", "");
    action.code = object.String("action_code", "");
    action.argument_count = object.Int("argument_count", action.argument_count);
    const Json& kinds = object.Array("argument_kinds");
    const Json& values = object.Array("arguments");
    if (kinds.size() > kMaxActionArguments || values.size() > kMaxActionArguments)
      object.Fail("arguments", "an action has at most 8 arguments");
    for (std::size_t i = 0; i < kinds.size(); ++i)
      action.argument_kinds.push_back(IntAt(file, kinds[i], object.where("argument_kinds") / i));
    for (std::size_t i = 0; i < values.size(); ++i)
      action.argument_values.push_back(StringAt(file, values[i], object.where("arguments") / i));
    NoteArguments(file, object, origin, values.size());
    action.apply_to = ApplyTo(object);
    action.relative = object.Bool("relative", false);
    action.is_not = object.Bool("not", false);
    object.Finish();
    return action;
  }

  // A standard action written by its function and the texts of its form.
  CAction ReadFunctionAction(const JsonFile& file, const JsonObject& object,
                             const std::string& origin) {
    const std::string function = object.String("function", "");
    const StandardAction* standard = FindStandardAction(function);
    if (standard == nullptr) object.Fail("function", "'" + function + "' is no standard action");
    const Json& values = object.Array("arguments");
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < values.size(); ++i)
      arguments.push_back(StringAt(file, values[i], object.where("arguments") / i));
    if (standard->argument_kinds != nullptr &&
        arguments.size() != std::strlen(standard->argument_kinds)) {
      object.Fail("arguments", function + " takes " +
                                   std::to_string(std::strlen(standard->argument_kinds)) +
                                   " arguments, not " + std::to_string(arguments.size()));
    }
    if (arguments.size() > kMaxActionArguments)
      object.Fail("arguments", "an action has at most 8 arguments");
    NoteArguments(file, object, origin, arguments.size());
    CAction action = StandardFunctionAction(*standard, std::move(arguments));
    action.relative = object.Bool("relative", false);
    if (action.relative && !standard->relative_allowed)
      object.Fail("relative", function + " cannot be relative");
    action.is_not = object.Bool("not", false);
    if (action.is_not && !standard->question) object.Fail("not", function + " is no question");
    action.apply_to = ApplyTo(object);
    if (action.apply_to != -1 && !standard->has_apply_to)
      object.Fail("apply_to", function + " applies to no instance");
    object.Finish();
    return action;
  }

  int ApplyTo(const JsonObject& object) {
    const Json* value = object.Get("apply_to");
    if (value == nullptr) return -1;
    if (*value == "self") return -1;
    if (*value == "other") return -2;
    return RefValue("objects", object.file(), *value, object.where("apply_to"));
  }

  CEvent ReadEvent(const fs::path& folder, const JsonFile& file, const JsonObject& object,
                   const std::string& origin) {
    CEvent event;
    const Json& actions = object.Array("actions");
    for (std::size_t i = 0; i < actions.size(); ++i)
      event.actions.push_back(ReadAction(folder, file, actions[i], object.where("actions") / i,
                                         code_origin::action(origin, i)));
    return event;
  }

  CTimeLine ReadTimeLine(const OrderEntry& entry, int index) {
    const fs::path folder = root_ / "timelines" / entry.stem;
    const JsonFile file = JsonFile::Read(folder / "timeline.json");
    JsonObject object(file, file.root(), Json::json_pointer());
    CTimeLine timeline;
    const Json& moments = object.Array("moments");
    for (std::size_t i = 0; i < moments.size(); ++i) {
      JsonObject moment(file, moments[i], object.where("moments") / i);
      const int step = moment.Int("step", 0);
      timeline.moments.push_back(
          {step, ReadEvent(folder, file, moment, code_origin::moment(index, i))});
      moment.Finish();
    }
    object.Finish();
    return timeline;
  }

  CObject ReadObject(const OrderEntry& entry, int index) {
    const fs::path folder = root_ / "objects" / entry.stem;
    const JsonFile file = JsonFile::Read(folder / "object.json");
    JsonObject object(file, file.root(), Json::json_pointer());
    CObject result;
    result.sprite = Ref("sprites", object, "sprite");
    result.solid = object.Bool("solid", false);
    result.visible = object.Bool("visible", true);
    result.depth = object.Int("depth", 0);
    result.persistent = object.Bool("persistent", false);
    result.parent = Ref("objects", object, "parent");
    result.mask = Ref("sprites", object, "mask");
    const Json& events = object.Array("events");
    for (std::size_t i = 0; i < events.size(); ++i) {
      JsonObject event(file, events[i], object.where("events") / i);
      const int kind = NamedNumber(event, "event", kEventKindNames, -1);
      if (kind < 0 || kind >= kEventKindCount) event.Fail("event", "unknown event kind");
      const int number =
          kind == kCollisionKind ? Ref("objects", event, "number", 0) : event.Int("number", 0);
      CEvent* target = result.GetOrAddEvent(kind, number);
      if (target == nullptr) event.Fail("number", "an event number is 0 or more");
      if (result.events[kind].size() > 0 && !target->actions.empty())
        event.Fail("event", "this event is listed twice");
      *target = ReadEvent(folder, file, event, code_origin::event(index, kind, number));
      event.Finish();
    }
    object.Finish();
    return result;
  }

  CRoom ReadRoom(const OrderEntry& entry, int index) {
    const fs::path folder = root_ / "rooms" / entry.stem;
    const JsonFile file = JsonFile::Read(folder / "room.json");
    JsonObject object(file, file.root(), Json::json_pointer());
    CRoom room;
    room.caption = object.String("caption", "");
    room.width = object.Int("width", room.width);
    room.height = object.Int("height", room.height);
    room.speed = object.Int("speed", room.speed);
    room.persistent = object.Bool("persistent", false);
    room.colour = ColourValue(object, "colour", room.colour);
    room.show_colour = object.Bool("show_colour", true);
    room.creation_code = CodeFile(folder, object, "creation_code", code_origin::room_code(index));
    const Json& backgrounds = object.Array("backgrounds");
    if (backgrounds.size() > kRoomBackgroundSlots)
      object.Fail("backgrounds", "a room has 8 backgrounds");
    for (std::size_t i = 0; i < backgrounds.size(); ++i) {
      JsonObject slot(file, backgrounds[i], object.where("backgrounds") / i);
      CBack& back = room.backgrounds[i];
      back.visible = slot.Bool("visible", back.visible);
      back.foreground = slot.Bool("foreground", back.foreground);
      back.background = Ref("backgrounds", slot, "background");
      back.x = slot.Int("x", 0);
      back.y = slot.Int("y", 0);
      back.htiled = slot.Bool("htiled", true);
      back.vtiled = slot.Bool("vtiled", true);
      back.hspeed = slot.Int("hspeed", 0);
      back.vspeed = slot.Int("vspeed", 0);
      back.stretch = slot.Bool("stretch", false);
      slot.Finish();
    }
    room.views_enabled = object.Bool("views_enabled", false);
    const Json& views = object.Array("views");
    if (views.size() > kRoomViews) object.Fail("views", "a room has 8 views");
    for (std::size_t i = 0; i < views.size(); ++i) {
      JsonObject item(file, views[i], object.where("views") / i);
      CView& view = room.views[i];
      view.visible = item.Bool("visible", view.visible);
      for (auto [key, field] :
           std::initializer_list<std::pair<const char*, int*>>{{"xview", &view.xview},
                                                               {"yview", &view.yview},
                                                               {"wview", &view.wview},
                                                               {"hview", &view.hview},
                                                               {"xport", &view.xport},
                                                               {"yport", &view.yport},
                                                               {"wport", &view.wport},
                                                               {"hport", &view.hport},
                                                               {"hborder", &view.hborder},
                                                               {"vborder", &view.vborder},
                                                               {"hspeed", &view.hspeed},
                                                               {"vspeed", &view.vspeed}})
        *field = item.Int(key, *field);
      view.object = Ref("objects", item, "object");
      item.Finish();
    }
    const Json& instances = object.Array("instances");
    for (std::size_t i = 0; i < instances.size(); ++i) {
      JsonObject item(file, instances[i], object.where("instances") / i);
      RoomInstance& instance = room.instances.emplace_back();
      instance.x = item.Int("x", 0);
      instance.y = item.Int("y", 0);
      instance.object = Ref("objects", item, "object", 0);
      instance.id = item.Int("id", 0);
      instance.creation_code = CodeFile(folder, item, "code", code_origin::instance_code(index, i));
      item.Finish();
    }
    const Json& tiles = object.Array("tiles");
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      JsonObject item(file, tiles[i], object.where("tiles") / i);
      RoomTile& tile = room.tiles.emplace_back();
      tile.x = item.Int("x", 0);
      tile.y = item.Int("y", 0);
      tile.background = Ref("backgrounds", item, "background");
      tile.left = item.Int("left", 0);
      tile.top = item.Int("top", 0);
      tile.width = item.Int("width", 0);
      tile.height = item.Int("height", 0);
      tile.depth = item.Int("depth", 0);
      tile.id = item.Int("id", 0);
      item.Finish();
    }
    object.Finish();
    // The stretched scales follow the backgrounds' sizes, as when the game loads.
    for (CBack& back : room.backgrounds) {
      const CBackground* background = game_.backgrounds.get(back.background);
      if (!back.stretch || background == nullptr) continue;
      if (background->width() >= 1) back.xscale = double(room.width) / background->width();
      if (background->height() >= 1) back.yscale = double(room.height) / background->height();
    }
    return room;
  }

  CTrigger ReadTrigger(const OrderEntry& entry, std::size_t index) {
    const fs::path folder = root_ / "triggers";
    const JsonFile file = JsonFile::Read(folder / (entry.stem + ".json"));
    JsonObject object(file, file.root(), Json::json_pointer());
    CTrigger trigger;
    trigger.name = object.String("name", entry.stem);
    trigger.moment = NamedNumber(object, "moment", kTriggerMomentNames, 1);
    trigger.constant_name = object.String("constant", "");
    trigger.condition = CodeFile(folder, object, "condition", code_origin::trigger(index));
    object.Finish();
    return trigger;
  }

  CDataFile ReadIncludedFile(const OrderEntry& entry) {
    const fs::path folder = root_ / "included_files";
    const JsonFile file = JsonFile::Read(folder / (entry.stem + ".json"));
    JsonObject object(file, file.root(), Json::json_pointer());
    CDataFile included;
    included.file_name = object.String("file_name", entry.stem);
    included.source_path = object.String("source_path", "");
    included.data = OptionalFile(folder, object, "data");
    included.stored = object.Bool("stored", included.data.has_value());
    included.source_size =
        object.Int("source_size", included.data ? int(included.data->size()) : 0);
    included.export_kind = object.Int("export", included.export_kind);
    included.export_folder = object.String("export_folder", "");
    included.overwrite = object.Bool("overwrite", included.overwrite);
    included.free_after_export = object.Bool("free_after_export", included.free_after_export);
    included.remove_at_end = object.Bool("remove_at_end", included.remove_at_end);
    object.Finish();
    return included;
  }

  CExtensionPackage ReadExtension(const OrderEntry& entry, std::size_t index) {
    const fs::path folder = root_ / "extensions" / entry.stem;
    const JsonFile file = JsonFile::Read(folder / "package.json");
    JsonObject object(file, file.root(), Json::json_pointer());
    CExtensionPackage package;
    package.name = object.String("name", entry.stem);
    package.folder_name = object.String("folder", package.name);
    package.seed = object.Int("seed", 0);
    const Json& files = object.Array("files");
    for (std::size_t i = 0; i < files.size(); ++i) {
      JsonObject item(file, files[i], object.where("files") / i);
      CExtensionFile& extension_file = package.files.emplace_back();
      extension_file.file_name = item.String("file_name", "");
      extension_file.kind = item.Int("kind", 0);
      extension_file.initialization_function = item.String("init", "");
      extension_file.finalization_function = item.String("final", "");
      extension_file.data = OptionalFile(folder, item, "data");
      if (extension_file.kind != 3 && !extension_file.data) extension_file.data = Bytes{};
      const Json& functions = item.Array("functions");
      for (std::size_t f = 0; f < functions.size(); ++f) {
        JsonObject fn(file, functions[f], item.where("functions") / f);
        CExtensionFunction& function = extension_file.functions.emplace_back();
        function.name = fn.String("name", "");
        function.external_name = fn.String("external_name", "");
        function.calling_convention = fn.Int("convention", 0);
        function.id = fn.Int("id", -1);
        function.argument_count = fn.Int("argument_count", 0);
        const Json& types = fn.Array("argument_types");
        if (fn.Has("argument_types") && types.size() != kExtensionArgumentTypes)
          fn.Fail("argument_types", "a function lists 17 argument types");
        for (std::size_t t = 0; t < types.size(); ++t)
          function.argument_types[t] = IntAt(file, types[t], fn.where("argument_types") / t);
        function.result_type = fn.Int("result_type", 2);
        fn.Finish();
      }
      const Json& constants = item.Array("constants");
      for (std::size_t c = 0; c < constants.size(); ++c) {
        const auto where = item.where("constants") / c;
        if (!constants[c].is_array() || constants[c].size() != 2)
          file.Fail(where, "a constant is [\"name\", \"value\"]");
        extension_file.constants.push_back({StringAt(file, constants[c][0], where / 0),
                                            StringAt(file, constants[c][1], where / 1)});
      }
      if (extension_file.kind == 2 && extension_file.data)
        NoteScriptFile(folder, item, index, package);
      item.Finish();
    }
    object.Finish();
    return package;
  }

  // Each function of a script file starts at its own line of the file; the
  // names are matched as the runner matches them, tidied.
  void NoteScriptFile(const fs::path& folder, const JsonObject& item, std::size_t package_index,
                      const CExtensionPackage& package) {
    const std::size_t file_index = package.files.size() - 1;
    CExtensionPackage tidied;
    tidied.files = {package.files.back()};
    tidied.Tidy();
    const Bytes& data = *tidied.files.front().data;
    const std::vector<ScriptSection> sections = ScriptFileSections(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    const fs::path path = Resolve(folder, item, "data");
    const auto& functions = tidied.files.front().functions;
    for (std::size_t n = 0; n < functions.size(); ++n) {
      // The last section of a name is the one the function runs.
      for (auto section = sections.rbegin(); section != sections.rend(); ++section) {
        if (section->name != functions[n].external_name) continue;
        NoteSource(code_origin::extension_function(package_index, file_index, n), path,
                   section->lines_before);
        break;
      }
    }
  }

  fs::path root_;
  GameData& game_;
  SourceMap* sources_;
  std::map<std::string, std::vector<OrderEntry>> orders_;
};

}  // namespace

bool ReadProject(const fs::path& folder, GameData& game, std::string& error, SourceMap* sources) {
  game = GameData{};
  try {
    ProjectReader(folder, game, sources).Read();
    return true;
  } catch (const ProjectError& failure) {
    error = failure.what();
  } catch (const std::exception& failure) {
    error = folder.string() + ": " + failure.what();
  }
  return false;
}

}  // namespace kestrel::tools
