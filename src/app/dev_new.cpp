#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "json_file.h"
#include "png_io.h"
#include "project.h"

namespace kestrel::app {

namespace {

using tools::Json;

constexpr int kSpriteSize = 32;

// A round, light blue player with a darker rim.
std::string player_png() {
  TBitmap32 image{kSpriteSize, kSpriteSize, {}};
  image.pixels.resize(image.byte_size());
  const double centre = (kSpriteSize - 1) / 2.0;
  for (int y = 0; y < kSpriteSize; ++y) {
    for (int x = 0; x < kSpriteSize; ++x) {
      const double distance = std::hypot(x - centre, y - centre);
      if (distance > centre) continue;
      const bool rim = distance > centre - 3;
      std::uint8_t* pixel = &image.pixels[std::size_t(y * kSpriteSize + x) * 4];
      pixel[0] = rim ? 0x90 : 0xF0;  // blue
      pixel[1] = rim ? 0x60 : 0xC0;  // green
      pixel[2] = rim ? 0x20 : 0x60;  // red
      pixel[3] = 0xFF;
    }
  }
  const std::vector<std::uint8_t> png = tools::EncodePng(image);
  return {png.begin(), png.end()};
}

// A function action of the first library: the built-in function called with
// expression arguments, written with its stored fields.
Json function_action(const std::string& function, const std::vector<std::string>& arguments) {
  return {{"library", 1},
          {"execution", 1},
          {"function", function},
          {"argument_count", arguments.size()},
          {"argument_kinds", std::vector<int>(arguments.size(), 0)},
          {"arguments", arguments}};
}

Json key_event(int key, const Json& action) {
  return {{"event", "keyboard"}, {"number", key}, {"actions", Json::array({action})}};
}

// The starting project: one room with a player that the arrow keys move,
// left and right through function actions, up and down through code.
std::map<std::string, std::string> starter_files(const std::string& name) {
  constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
  const auto json = [](const Json& value) { return tools::FormatJson(value) + "\n"; };
  const Json player_events = {
      {{"event", "create"}, {"actions", Json::array({{{"code", "create.ks"}}})}},
      key_event(kLeft, function_action("motion_set", {"180", "4"})),
      key_event(kRight, function_action("motion_set", {"0", "4"})),
      key_event(kUp, {{"code", "up.ks"}}),
      key_event(kDown, {{"code", "down.ks"}}),
  };
  return {
      {"game.json",
       json({{"format", 1}, {"information", {{"caption", name}}}, {"room_order", {"room_main"}}})},
      {"sprites/order.json", json({"spr_player"})},
      {"sprites/spr_player/sprite.json",
       json({{"origin", {kSpriteSize / 2, kSpriteSize / 2}}, {"images", {"0.png"}}})},
      {"sprites/spr_player/0.png", player_png()},
      {"objects/order.json", json({"obj_player"})},
      {"objects/obj_player/object.json",
       json({{"sprite", "spr_player"}, {"events", player_events}})},
      {"objects/obj_player/create.ks",
       "// Runs once, when the player appears in the room.\n"
       "show_debug_message(\"Move with the arrow keys.\");\n"
       "friction = 0.5;\n"},
      {"objects/obj_player/up.ks", "y -= 4;\n"},
      {"objects/obj_player/down.ks", "y += 4;\n"},
      {"rooms/order.json", json({"room_main"})},
      {"rooms/room_main/room.json",
       json({{"caption", name},
             {"speed", 30},
             {"colour", "#203040"},
             {"instances", {{{"x", 320}, {"y", 240}, {"object", "obj_player"}, {"id", 100001}}}}})},
  };
}

int run_new(const std::string& folder) {
  const std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
  const std::string name = (path.has_filename() ? path : path.parent_path()).filename().string();
  std::string error;
  if (!tools::WriteFolder(folder, starter_files(name), error)) {
    std::fprintf(stderr, "kestrel-dev new: %s\n", error.c_str());
    return 1;
  }
  std::printf("Made %s. Play it with: kestrel-dev run %s\n", folder.c_str(), folder.c_str());
  return 0;
}

}  // namespace

void add_new_command(CLI::App& app, int& status) {
  auto folder = std::make_shared<std::string>();
  auto* command = app.add_subcommand("new", "Make a small playable project folder to start from");
  command->add_option("DIR", *folder, "The project folder to make (new, or empty)")->required();
  add_example(*command, "kestrel-dev new mygame && kestrel-dev run mygame");
  command->callback([folder, &status] { status = run_new(*folder); });
}

}  // namespace kestrel::app
