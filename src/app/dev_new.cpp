#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "project.h"
#include "project_format.h"

namespace kestrel::app {

namespace {

using tools::StandardCodeAction;

constexpr int kEventCreate = 0;
constexpr int kEventKeyboard = 5;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kSpriteSize = 32;

// A round, light blue player with a darker rim.
TBitmap32 player_image() {
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
  return image;
}

// Calls a built-in function with expression arguments, as a function action.
CAction function_action(const std::string& function, std::vector<std::string> arguments) {
  CAction action;
  action.execution_type = kExecuteFunction;
  action.function_name = function;
  action.argument_count = static_cast<int>(arguments.size());
  action.argument_kinds.assign(arguments.size(), 0);
  action.argument_values = std::move(arguments);
  return action;
}

// The starting project: one room with a player that the arrow keys move,
// left and right through function actions, up and down through code.
GameData starter_game(const std::string& name) {
  GameData game;
  game.information.caption = name;
  CSprite sprite;
  sprite.xorig = sprite.yorig = kSpriteSize / 2;
  sprite.images.push_back(player_image());
  sprite.MakeMasks(false, {});
  game.sprites.add("spr_player", sprite);

  CObject player;
  player.sprite = 0;
  const auto add = [&player](int kind, int number, CAction action) {
    player.GetOrAddEvent(kind, number)->actions.push_back(std::move(action));
  };
  add(kEventCreate, 0,
      StandardCodeAction("// Runs once, when the player appears in the room.\r\n"
                         "show_debug_message(\"Move with the arrow keys.\");\r\n"
                         "friction = 0.5;\r\n"));
  add(kEventKeyboard, kKeyLeft, function_action("motion_set", {"180", "4"}));
  add(kEventKeyboard, kKeyRight, function_action("motion_set", {"0", "4"}));
  add(kEventKeyboard, kKeyUp, StandardCodeAction("y -= 4;\r\n"));
  add(kEventKeyboard, kKeyDown, StandardCodeAction("y += 4;\r\n"));
  game.objects.add("obj_player", player);

  CRoom room;
  room.caption = name;
  room.speed = 30;
  room.colour = 0x403020;
  game.last_instance_id = 100001;
  room.instances.push_back({320, 240, 0, game.last_instance_id, ""});
  game.rooms.add("room_main", room);
  game.room_order = {0};
  return game;
}

int run_new(const std::string& folder) {
  const std::string name = std::filesystem::path(folder).lexically_normal().filename().string();
  std::string error;
  if (!tools::WriteProject(starter_game(name.empty() ? "New game" : name), folder, error)) {
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
