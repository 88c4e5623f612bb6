#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "json_file.h"
#include "png_io.h"
#include "project.h"
#include "project_format.h"
#include "standard_actions.h"

namespace kestrel::tools {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::tolower);
  return text;
}

// Hands out file names made from resource names: only letters, digits and
// "_-.", never twice in one folder (ignoring case, for file systems that do).
class StemTable {
 public:
  std::string Make(const std::string& name, const std::string& suffix = "") {
    std::string stem;
    for (unsigned char c : name)
      stem += std::isalnum(c) || c == '_' || c == '-' || c == '.' ? char(c) : '_';
    if (stem.empty() || stem.front() == '.') stem = "_" + stem;
    std::string candidate = stem;
    for (int n = 2; used_.count(Lower(candidate + suffix)); ++n)
      candidate = stem + "~" + std::to_string(n);
    used_.insert(Lower(candidate + suffix));
    return candidate;
  }

 private:
  std::set<std::string> used_;
};

std::string Hex(std::span<const std::uint8_t> bytes) {
  CStream stream(Bytes(bytes.begin(), bytes.end()));
  return StreamToHex(stream);
}

Json Colour(int colour) {
  if (colour < 0 || colour > 0xFFFFFF) return colour;
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return text;
}

template <std::size_t N>
Json Named(int value, const std::array<std::string_view, N>& names) {
  if (value >= 0 && value < int(N)) return std::string(names[std::size_t(value)]);
  return value;
}

class ProjectWriter {
 public:
  ProjectWriter(const GameData& game, fs::path root) : game_(game), root_(std::move(root)) {}

  void Write() {
    fs::create_directories(root_);
    MakeStems("sounds", game_.sounds, ".json");
    MakeStems("sprites", game_.sprites);
    MakeStems("backgrounds", game_.backgrounds, ".png");
    MakeStems("paths", game_.paths, ".json");
    MakeStems("scripts", game_.scripts, ".ks");
    MakeStems("fonts", game_.fonts, ".json");
    MakeStems("timelines", game_.timelines);
    MakeStems("objects", game_.objects);
    MakeStems("rooms", game_.rooms);
    WriteGame();
    WriteList("sounds", game_.sounds,
              [this](const std::string& s, const CSound& r) { Sound(s, r); });
    WriteList("sprites", game_.sprites,
              [this](const std::string& s, const CSprite& r) { Sprite(s, r); });
    WriteList("backgrounds", game_.backgrounds,
              [this](const std::string& s, const CBackground& r) { Background(s, r); });
    WriteList("paths", game_.paths, [this](const std::string& s, const CPath& r) { Path(s, r); });
    WriteList("scripts", game_.scripts, [this](const std::string& s, const ScriptRecord& r) {
      File(root_ / "scripts" / (s + ".ks"), r.text);
    });
    WriteList("fonts", game_.fonts, [this](const std::string& s, const CFont& r) { Font(s, r); });
    WriteList("timelines", game_.timelines,
              [this](const std::string& s, const CTimeLine& r) { TimeLine(s, r); });
    WriteList("objects", game_.objects,
              [this](const std::string& s, const CObject& r) { Object(s, r); });
    WriteList("rooms", game_.rooms, [this](const std::string& s, const CRoom& r) { Room(s, r); });
    Triggers();
    IncludedFiles();
    Extensions();
  }

 private:
  void File(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.data(), std::streamsize(bytes.size())))
      Fail(path, "cannot write the file");
  }
  void File(const fs::path& path, std::span<const std::uint8_t> bytes) {
    File(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  void JsonTo(const fs::path& path, const Json& value) { File(path, FormatJson(value)); }

  template <class T>
  void MakeStems(const std::string& kind, const ResourceList<T>& list,
                 const std::string& suffix = "") {
    StemTable table;
    auto& stems = stems_[kind];
    for (const auto& slot : list.slots())
      stems.push_back(slot.resource ? table.Make(slot.name, suffix) : std::string());
    Json order = Json::array();
    for (std::size_t i = 0; i < stems.size(); ++i) {
      const auto& slot = list.slots()[i];
      if (!slot.resource) {
        order.push_back(nullptr);
      } else if (stems[i] == slot.name) {
        order.push_back(stems[i]);
      } else {
        order.push_back(Json{{"file", stems[i]}, {"name", slot.name}});
      }
    }
    if (!stems.empty()) JsonTo(root_ / kind / kOrderFile, order);
  }

  template <class T, class WriteOne>
  void WriteList(const std::string& kind, const ResourceList<T>& list, WriteOne write_one) {
    for (int i = 0; i < list.count(); ++i)
      if (list.exists(i)) write_one(stems_[kind][std::size_t(i)], *list.get(i));
  }

  // By name where the name picks exactly this resource, else by index.
  template <class T>
  Json Ref(const ResourceList<T>& list, int index) {
    if (index == -1) return nullptr;
    if (!list.exists(index)) return index;
    const std::string name = list.name(index);
    for (int i = 0; i < list.count(); ++i)
      if (i != index && list.exists(i) && list.name(i) == name) return index;
    return name;
  }

  void WriteGame() {
    Json game;
    game["format"] = kFormatVersion;
    game["game_id"] = game_.game_id;
    game["guid"] = Hex(game_.guid);
    game["debug_mode"] = game_.debug_mode;
    game["settings"] = Settings();
    if (!game_.library_name.empty() || !game_.library.empty()) {
      Json library{{"name", game_.library_name}};
      if (!game_.library.empty()) {
        const std::string file =
            "library/" +
            StemTable().Make(game_.library_name.empty() ? "library" : game_.library_name);
        File(root_ / file, game_.library);
        library["file"] = file;
      }
      game["library"] = library;
    }
    if (game_.container != DefaultContainer(game_.game_id)) {
      const auto& container = game_.container;
      game["container"] = {{"table", Hex(container.key.table)},
                           {"padding_before", container.key.padding_before},
                           {"padding_after", container.key.padding_after},
                           {"body_padding", container.body_padding},
                           {"reserved_flag", container.reserved_flag}};
    }
    Json constants = Json::array();
    for (const auto& [name, value] : game_.constants) constants.push_back({name, value});
    game["constants"] = constants;
    const GameInformation& info = game_.information;
    game["information"] = {{"background_colour", Colour(info.background_colour)},
                           {"in_game_window", info.in_game_window},
                           {"caption", info.caption},
                           {"left", info.left},
                           {"top", info.top},
                           {"width", info.width},
                           {"height", info.height},
                           {"border", info.border},
                           {"sizeable", info.sizeable},
                           {"stay_on_top", info.stay_on_top},
                           {"stop_game", info.stop_game},
                           {"text", "information.rtf"}};
    File(root_ / "information.rtf", info.text);
    Json init = Json::array();
    for (std::size_t i = 0; i < game_.library_init_code.size(); ++i) {
      const std::string file = "library_init/" + std::to_string(i) + ".ks";
      File(root_ / file, game_.library_init_code[i]);
      init.push_back(file);
    }
    game["library_init"] = init;
    Json order = Json::array();
    for (int room : game_.room_order) order.push_back(Ref(game_.rooms, room));
    game["room_order"] = order;
    game["last_instance_id"] = game_.last_instance_id;
    game["last_tile_id"] = game_.last_tile_id;
    JsonTo(root_ / kGameFile, game);
  }

  Json Settings() {
    const GameSettings& s = game_.settings;
    Json json{{"start_fullscreen", s.StartFullscreen},
              {"interpolate_pixels", s.InterpolatePixels},
              {"no_window_border", s.NoWindowBorder},
              {"show_cursor", s.ShowCursor},
              {"scaling", s.Scaling},
              {"allow_resize", s.AllowResize},
              {"stay_on_top", s.StayOnTop},
              {"colour_outside_room", Colour(s.ColourOutsideRoom)},
              {"set_resolution", s.SetResolution},
              {"colour_depth_code", s.ColourDepthCode},
              {"resolution_code", s.ResolutionCode},
              {"frequency_code", s.FrequencyCode},
              {"no_caption_buttons", s.NoCaptionButtons},
              {"use_vsync", s.UseVSync},
              {"disable_screensaver", s.DisableScreensaver},
              {"key_f4_fullscreen", s.KeyF4Fullscreen},
              {"key_f1_information", s.KeyF1Information},
              {"key_esc_ends", s.KeyEscEnds},
              {"key_f5_f6_save_load", s.KeyF5F6SaveLoad},
              {"key_f9_screenshot", s.KeyF9Screenshot},
              {"close_as_escape", s.CloseAsEscape},
              {"process_priority", s.ProcessPriority},
              {"freeze_on_focus_loss", s.FreezeOnFocusLoss},
              {"show_progress_bar", s.ShowProgressBar}};
    for (auto [key, image] : {std::pair{"loading_back_image", &s.LoadingBackImage},
                              std::pair{"loading_front_image", &s.LoadingFrontImage},
                              std::pair{"loading_image", &s.LoadingImage}}) {
      if (!*image) continue;
      const std::string file = std::string("loading/") + key + ".bmp";
      File(root_ / file, **image);
      json[key] = file;
    }
    json.update(Json{{"loading_transparent", s.LoadingTransparent},
                     {"loading_alpha", s.LoadingAlpha},
                     {"scale_progress_bar", s.ScaleProgressBar},
                     {"show_errors", s.ShowErrors},
                     {"log_errors", s.LogErrors},
                     {"abort_on_all_errors", s.AbortOnAllErrors},
                     {"uninitialized_as_zero", s.UninitializedAsZero}});
    return json;
  }

  void Sound(const std::string& stem, const CSound& sound) {
    Json json{{"kind", Named(sound.kind, kSoundKindNames)},
              {"file_type", sound.file_type},
              {"file_name", sound.file_name}};
    if (sound.data) {
      const bool plain_type = sound.file_type.size() >= 2 && sound.file_type.size() <= 9 &&
                              sound.file_type[0] == '.' &&
                              std::all_of(sound.file_type.begin() + 1, sound.file_type.end(),
                                          [](unsigned char c) { return std::isalnum(c); });
      std::string file = stem + (plain_type ? Lower(sound.file_type) : ".bin");
      if (Lower(file) == Lower(stem + ".json")) file = stem + ".bin";
      File(root_ / "sounds" / file, *sound.data);
      json["data"] = file;
    }
    json.update(Json{{"effects", sound.effects},
                     {"volume", sound.volume},
                     {"pan", sound.pan},
                     {"preload", sound.preload}});
    JsonTo(root_ / "sounds" / (stem + ".json"), json);
  }

  Json Image(const fs::path& folder, const std::string& file, const TBitmap32& image) {
    if (!image.has_pixels()) return {{"width", image.width}, {"height", image.height}};
    File(folder / file, EncodePng(image));
    return file;
  }

  static Json BoxJson(const MaskBox& box) { return {box.left, box.top, box.right, box.bottom}; }

  void Sprite(const std::string& stem, const CSprite& sprite) {
    const fs::path folder = root_ / "sprites" / stem;
    Json json{{"origin", {sprite.xorig, sprite.yorig}}};
    Json images = Json::array();
    for (std::size_t i = 0; i < sprite.images.size(); ++i)
      images.push_back(Image(folder, std::to_string(i) + ".png", sprite.images[i]));
    json["images"] = images;
    json["separate_masks"] = sprite.separate_masks;
    CSprite built = sprite;
    built.MakeMasks(sprite.separate_masks, {});
    if (built.masks == sprite.masks) {
      json["mask"] = {{"shape", "precise"}, {"tolerance", 0}, {"bbox", "automatic"}};
    } else {
      Json masks = Json::array();
      for (std::size_t i = 0; i < sprite.masks.size(); ++i) {
        const TMask& mask = sprite.masks[i];
        Json item;
        if (mask.width > 0 && mask.height > 0) {
          GrayImage bits{mask.width, mask.height, {}};
          for (auto bit : mask.bits) bits.pixels.push_back(bit ? 255 : 0);
          const std::string file = "mask" + std::to_string(i) + ".png";
          File(folder / file, EncodeGrayPng(bits));
          item["file"] = file;
        } else {
          item = {{"width", mask.width}, {"height", mask.height}};
        }
        item["bbox"] = BoxJson(mask.box);
        masks.push_back(item);
      }
      json["masks"] = masks;
    }
    JsonTo(folder / "sprite.json", json);
  }

  void Background(const std::string& stem, const CBackground& background) {
    const fs::path folder = root_ / "backgrounds";
    if (background.image.has_pixels()) {
      File(folder / (stem + ".png"), EncodePng(background.image));
    } else {
      JsonTo(folder / (stem + ".json"), Image(folder, "", background.image));
    }
  }

  void Path(const std::string& stem, const CPath& path) {
    Json points = Json::array();
    for (const auto& point : path.points) points.push_back({point.x, point.y, point.speed});
    JsonTo(root_ / "paths" / (stem + ".json"), {{"kind", Named(path.kind, kPathKindNames)},
                                                {"closed", path.closed},
                                                {"precision", path.precision},
                                                {"points", points}});
  }

  void Font(const std::string& stem, const CFont& font) {
    Json json{{"font", font.font_name}, {"size", font.size},   {"bold", font.bold},
              {"italic", font.italic},  {"first", font.first}, {"last", font.last}};
    CFont rendered = font;
    std::string error;
    if (!rendered.RenderGlyphs(error) || rendered != font) {
      Json glyphs = Json::array();
      for (const Glyph& g : font.glyphs) glyphs.push_back({g.x, g.y, g.w, g.h, g.shift, g.offset});
      json["glyphs"] = glyphs;
      if (font.image_width > 0 && font.image_height > 0) {
        File(root_ / "fonts" / (stem + ".png"),
             EncodeGrayPng({font.image_width, font.image_height, font.image}));
        json["image"] = stem + ".png";
      }
    }
    JsonTo(root_ / "fonts" / (stem + ".json"), json);
  }

  Json ApplyTo(int apply_to) {
    if (apply_to == -1) return "self";
    if (apply_to == -2) return "other";
    return Ref(game_.objects, apply_to);
  }

  Json Action(const fs::path& folder, StemTable& files, const std::string& base,
              const CAction& action) {
    Json json;
    CAction as_code =
        StandardCodeAction(action.argument_values.empty() ? "" : action.argument_values[0]);
    as_code.apply_to = action.apply_to;
    if (action == as_code) {
      const std::string file = files.Make(base, ".ks") + ".ks";
      File(folder / file, action.argument_values[0]);
      json["code"] = file;
      if (action.apply_to != -1) json["apply_to"] = ApplyTo(action.apply_to);
      return json;
    }
    for (const char* block : kBlockNames) {
      if (action == BlockAction(block)) return {{"block", block}};
    }
    if (action.argument_values.size() == 1 && action == RepeatAction(action.argument_values[0]))
      return {{"repeat", action.argument_values[0]}};
    if (const StandardAction* standard = FindStandardAction(action.function_name)) {
      CAction as_standard = StandardFunctionAction(*standard, action.argument_values);
      as_standard.relative = action.relative;
      as_standard.is_not = action.is_not;
      as_standard.apply_to = action.apply_to;
      if (action == as_standard) {
        json["function"] = action.function_name;
        if (!action.argument_values.empty()) json["arguments"] = action.argument_values;
        if (action.apply_to != -1) json["apply_to"] = ApplyTo(action.apply_to);
        if (action.relative) json["relative"] = true;
        if (action.is_not) json["not"] = true;
        return json;
      }
    }
    const CAction defaults;
    json["library"] = action.library_id;
    json["action"] = action.action_id;
    if (action.kind != defaults.kind) json["kind"] = action.kind;
    if (action.may_be_relative) json["relative_allowed"] = true;
    if (action.question) json["question"] = true;
    if (action.has_apply_to) json["has_apply_to"] = true;
    if (action.execution_type != defaults.execution_type) json["execution"] = action.execution_type;
    if (!action.function_name.empty()) json["function"] = action.function_name;
    if (!action.code.empty()) json["action_code"] = action.code;
    if (action.argument_count != 0) json["argument_count"] = action.argument_count;
    if (!action.argument_kinds.empty()) json["argument_kinds"] = action.argument_kinds;
    if (!action.argument_values.empty()) json["arguments"] = action.argument_values;
    if (action.apply_to != -1) json["apply_to"] = ApplyTo(action.apply_to);
    if (action.relative) json["relative"] = true;
    if (action.is_not) json["not"] = true;
    return json;
  }

  Json Actions(const fs::path& folder, StemTable& files, const std::string& base,
               const CEvent& event) {
    Json actions = Json::array();
    for (const auto& action : event.actions) actions.push_back(Action(folder, files, base, action));
    return actions;
  }

  void TimeLine(const std::string& stem, const CTimeLine& timeline) {
    const fs::path folder = root_ / "timelines" / stem;
    StemTable files;
    Json moments = Json::array();
    for (const auto& moment : timeline.moments) {
      const std::string base = "step" + std::to_string(moment.step);
      moments.push_back(
          {{"step", moment.step}, {"actions", Actions(folder, files, base, moment.event)}});
    }
    JsonTo(folder / "timeline.json", {{"moments", moments}});
  }

  void Object(const std::string& stem, const CObject& object) {
    const fs::path folder = root_ / "objects" / stem;
    StemTable files;
    files.Make("object", ".json");
    Json events = Json::array();
    for (int kind = 0; kind < kEventKindCount; ++kind) {
      for (const auto& [number, event] : object.events[kind]) {
        Json json{{"event", std::string(kEventKindNames[kind])}};
        std::string base(kEventKindNames[kind]);
        if (kind == kCollisionKind) {
          json["number"] = Ref(game_.objects, number);
          base += "_" + (json["number"].is_string() ? json["number"].get<std::string>()
                                                    : std::to_string(number));
        } else {
          json["number"] = number;
          if (number != 0 || kind == 2) base += "_" + std::to_string(number);
        }
        json["actions"] = Actions(folder, files, base, event);
        events.push_back(json);
      }
    }
    JsonTo(folder / "object.json", {{"sprite", Ref(game_.sprites, object.sprite)},
                                    {"solid", object.solid},
                                    {"visible", object.visible},
                                    {"depth", object.depth},
                                    {"persistent", object.persistent},
                                    {"parent", Ref(game_.objects, object.parent)},
                                    {"mask", Ref(game_.sprites, object.mask)},
                                    {"events", events}});
  }

  void Room(const std::string& stem, const CRoom& room) {
    const fs::path folder = root_ / "rooms" / stem;
    StemTable files;
    files.Make("room", ".json");
    Json json{{"caption", room.caption},        {"width", room.width},
              {"height", room.height},          {"speed", room.speed},
              {"persistent", room.persistent},  {"colour", Colour(room.colour)},
              {"show_colour", room.show_colour}};
    if (!room.creation_code.empty()) {
      const std::string file = files.Make("creation", ".ks") + ".ks";
      File(folder / file, room.creation_code);
      json["creation_code"] = file;
    }
    Json backgrounds = Json::array();
    for (const CBack& back : room.backgrounds) {
      Json slot = Json::object();
      if (back.visible) slot["visible"] = true;
      if (back.foreground) slot["foreground"] = true;
      if (back.background != -1) slot["background"] = Ref(game_.backgrounds, back.background);
      if (back.x != 0) slot["x"] = std::lround(back.x);
      if (back.y != 0) slot["y"] = std::lround(back.y);
      if (!back.htiled) slot["htiled"] = false;
      if (!back.vtiled) slot["vtiled"] = false;
      if (back.hspeed != 0) slot["hspeed"] = std::lround(back.hspeed);
      if (back.vspeed != 0) slot["vspeed"] = std::lround(back.vspeed);
      if (back.stretch) slot["stretch"] = true;
      backgrounds.push_back(slot);
    }
    json["backgrounds"] = backgrounds;
    json["views_enabled"] = room.views_enabled;
    Json views = Json::array();
    const CView defaults;
    for (const CView& view : room.views) {
      Json item = Json::object();
      if (view.visible) item["visible"] = true;
      for (auto [key, value, fallback] : std::initializer_list<std::tuple<const char*, int, int>>{
               {"xview", view.xview, defaults.xview},
               {"yview", view.yview, defaults.yview},
               {"wview", view.wview, defaults.wview},
               {"hview", view.hview, defaults.hview},
               {"xport", view.xport, defaults.xport},
               {"yport", view.yport, defaults.yport},
               {"wport", view.wport, defaults.wport},
               {"hport", view.hport, defaults.hport},
               {"hborder", view.hborder, defaults.hborder},
               {"vborder", view.vborder, defaults.vborder},
               {"hspeed", view.hspeed, defaults.hspeed},
               {"vspeed", view.vspeed, defaults.vspeed}})
        if (value != fallback) item[key] = value;
      if (view.object != -1) item["object"] = Ref(game_.objects, view.object);
      views.push_back(item);
    }
    json["views"] = views;
    Json instances = Json::array();
    for (const RoomInstance& instance : room.instances) {
      Json item{{"x", instance.x},
                {"y", instance.y},
                {"object", Ref(game_.objects, instance.object)},
                {"id", instance.id}};
      if (!instance.creation_code.empty()) {
        const std::string file =
            files.Make("instance_" + std::to_string(instance.id), ".ks") + ".ks";
        File(folder / file, instance.creation_code);
        item["code"] = file;
      }
      instances.push_back(item);
    }
    json["instances"] = instances;
    Json tiles = Json::array();
    for (const RoomTile& tile : room.tiles)
      tiles.push_back({{"x", std::lround(tile.x)},
                       {"y", std::lround(tile.y)},
                       {"background", Ref(game_.backgrounds, tile.background)},
                       {"left", tile.left},
                       {"top", tile.top},
                       {"width", tile.width},
                       {"height", tile.height},
                       {"depth", std::lround(tile.depth)},
                       {"id", tile.id}});
    json["tiles"] = tiles;
    JsonTo(folder / "room.json", json);
  }

  void Triggers() {
    if (game_.triggers.empty()) return;
    StemTable stems;
    Json order = Json::array();
    for (const auto& trigger : game_.triggers) {
      if (!trigger) {
        order.push_back(nullptr);
        continue;
      }
      const std::string stem = stems.Make(trigger->name, ".json");
      order.push_back(stem);
      File(root_ / "triggers" / (stem + ".ks"), trigger->condition);
      JsonTo(root_ / "triggers" / (stem + ".json"),
             {{"name", trigger->name},
              {"moment", Named(trigger->moment, kTriggerMomentNames)},
              {"constant", trigger->constant_name},
              {"condition", stem + ".ks"}});
    }
    JsonTo(root_ / "triggers" / kOrderFile, order);
  }

  void IncludedFiles() {
    if (game_.included_files.empty()) return;
    StemTable stems;
    Json order = Json::array();
    for (const CDataFile& file : game_.included_files) {
      const std::string stem = stems.Make(file.file_name, ".json");
      order.push_back(stem);
      Json json{{"file_name", file.file_name}, {"source_path", file.source_path}};
      if (file.data) {
        File(root_ / "included_files" / "files" / stem, *file.data);
        json["data"] = "files/" + stem;
      }
      if (file.stored != file.data.has_value()) json["stored"] = file.stored;
      if (file.source_size != (file.data ? int(file.data->size()) : 0))
        json["source_size"] = file.source_size;
      json.update(Json{{"export", file.export_kind},
                       {"export_folder", file.export_folder},
                       {"overwrite", file.overwrite},
                       {"free_after_export", file.free_after_export},
                       {"remove_at_end", file.remove_at_end}});
      JsonTo(root_ / "included_files" / (stem + ".json"), json);
    }
    JsonTo(root_ / "included_files" / kOrderFile, order);
  }

  void Extensions() {
    if (game_.extension_packages.empty()) return;
    StemTable stems;
    Json order = Json::array();
    for (const CExtensionPackage& package : game_.extension_packages) {
      const std::string stem = stems.Make(package.name);
      order.push_back(stem);
      const fs::path folder = root_ / "extensions" / stem;
      StemTable file_stems;
      Json files = Json::array();
      for (const CExtensionFile& file : package.files) {
        Json json{{"file_name", file.file_name},
                  {"kind", file.kind},
                  {"init", file.initialization_function},
                  {"final", file.finalization_function}};
        if (file.data) {
          const std::string name = "files/" + file_stems.Make(file.file_name);
          File(folder / name, *file.data);
          json["data"] = name;
        }
        Json functions = Json::array();
        for (const auto& function : file.functions)
          functions.push_back({{"name", function.name},
                               {"external_name", function.external_name},
                               {"convention", function.calling_convention},
                               {"id", function.id},
                               {"argument_count", function.argument_count},
                               {"argument_types", function.argument_types},
                               {"result_type", function.result_type}});
        json["functions"] = functions;
        Json constants = Json::array();
        for (const auto& constant : file.constants)
          constants.push_back({constant.name, constant.value});
        json["constants"] = constants;
        files.push_back(json);
      }
      JsonTo(folder / "package.json", {{"name", package.name},
                                       {"folder", package.folder_name},
                                       {"seed", package.seed},
                                       {"files", files}});
    }
    JsonTo(root_ / "extensions" / kOrderFile, order);
  }

  const GameData& game_;
  fs::path root_;
  std::map<std::string, std::vector<std::string>> stems_;
};

}  // namespace

namespace {

// Fills a folder made beside the target and renames it into place, so that a
// failure leaves nothing behind; an existing target must be empty.
bool WriteStaged(const fs::path& folder, const std::function<void(const fs::path&)>& fill,
                 std::string& error) {
  std::error_code code;
  if (fs::exists(folder, code) && !(fs::is_directory(folder) && fs::is_empty(folder))) {
    error = folder.string() + ": already exists and is not an empty folder";
    return false;
  }
  const fs::path absolute = fs::absolute(folder, code);
  fs::path staging = absolute;
  staging += ".partial" + std::to_string(std::random_device{}() % 100000);
  try {
    fill(staging);
    fs::remove(absolute, code);
    fs::rename(staging, absolute);
    return true;
  } catch (const ProjectError& failure) {
    error = failure.what();
  } catch (const std::exception& failure) {
    error = folder.string() + ": " + failure.what();
  }
  fs::remove_all(staging, code);
  return false;
}

}  // namespace

bool WriteProject(const GameData& game, const fs::path& folder, std::string& error) {
  return WriteStaged(
      folder, [&game](const fs::path& staging) { ProjectWriter(game, staging).Write(); }, error);
}

bool WriteFolder(const fs::path& folder, const std::map<std::string, std::string>& files,
                 std::string& error) {
  return WriteStaged(
      folder,
      [&files](const fs::path& staging) {
        for (const auto& [name, bytes] : files) {
          const fs::path path = staging / name;
          fs::create_directories(path.parent_path());
          std::ofstream out(path, std::ios::binary);
          if (!out.write(bytes.data(), std::streamsize(bytes.size())))
            Fail(path, "cannot write the file");
        }
      },
      error);
}

}  // namespace kestrel::tools
