// Any bytes given as a saved game must be restored or reported, never crash,
// hang or allocate what the file does not justify; a restored game must then
// play a step.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/Run_Command.h"
#include "run/Run_Main.h"
#include "run/Runner.h"
#include "run/room_lifecycle.h"

namespace {

using namespace kestrel;

// Two rooms, the first persistent with one instance, and the game id 77;
// seeds are saves of it (make them with the save tests' game).
GameData& fuzz_game() {
  static GameData game = [] {
    GameData made;
    made.game_id = 77;
    made.objects.add("obj_thing", CObject{});
    CRoom first;
    first.persistent = true;
    first.instances.push_back({10, 20, 0, 100001, ""});
    made.rooms.add("room_first", first);
    made.rooms.add("room_second", CRoom{});
    made.room_order = {0, 1};
    made.last_instance_id = 100001;
    return made;
  }();
  return game;
}

const std::string& save_file() {
  static const std::string file = "/tmp/kestrel_save_fuzz_" + std::to_string(getpid()) + ".sav";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream(save_file(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  static const std::unique_ptr<platform::Window> window = platform::open_null_window({});
  Runner runner(fuzz_game());
  runner.engine.settings.errors.show_errors = false;
  runner.layout.attach(window.get());
  if (!runner.prepare_objects()) return 0;
  start_game(runner);
  load_game(runner, save_file());
  frame_step(runner);
  return 0;
}
