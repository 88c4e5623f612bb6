#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <string>

#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/window.h"
#include "run/game_driver.h"

namespace {

using kestrel::platform::Clock;
using kestrel::platform::Primitive;
using kestrel::platform::Vertex;

// The stand-in ends when the player closes the window or presses Escape.
struct StandinEvents final : kestrel::platform::WindowEvents {
  void key_down(int key) override { done |= key == kestrel::platform::vk::kEscape; }
  void close_requested() override { done = true; }
  bool done = false;
};

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::int64_t kShowMicroseconds = 5'000'000;
constexpr std::int64_t kFrameMicroseconds = 1'000'000 / 30;

// Until games can be loaded, a window with a coloured rectangle shows that the
// window and the drawing device work on this machine.
int show_standin_window() {
  std::string error;
  auto window = kestrel::platform::open_sdl_window({"Kestrel", kWidth, kHeight, false}, error);
  if (window == nullptr) {
    std::fprintf(stderr, "kestrel: %s\n", error.c_str());
    return 1;
  }
  auto& device = window->device();
  device.set_transform(glm::ortho(0.0f, float(kWidth), float(kHeight), 0.0f, -1.0f, 1.0f));
  const std::uint32_t orange = 0xFFF08020;
  const std::uint32_t teal = 0xFF20A0B0;
  const Vertex rectangle[] = {
      {160, 120, 0, orange, 0, 0},
      {480, 120, 0, orange, 0, 0},
      {480, 360, 0, teal, 0, 0},
      {160, 360, 0, teal, 0, 0},
  };
  Clock clock;
  StandinEvents events;
  for (std::int64_t next = 0; next < kShowMicroseconds; next += kFrameMicroseconds) {
    window->pump_events(events);
    if (events.done) break;
    device.clear(0xFF202830);
    device.draw(Primitive::TriangleFan, kestrel::platform::kNoTexture, rectangle);
    const auto client = window->client_rectangle();
    device.present(0, 0, client.width, client.height, 0xFF000000);
    Clock::sleep(next + kFrameMicroseconds - clock.microseconds());
  }
  return 0;
}

// Every failure is shown in its own message box, captioned with the game's
// name as the application title; then the program ends with status 1.
int play_game(const std::filesystem::path& file, const kestrel::LoadResult& loaded,
              kestrel::GameData& game) {
  const std::string title = file.stem().string();
  auto temp_directory = kestrel::TempDirectory::Create(
      kestrel::TempDirectory::ProcessPlaces(kestrel::platform::executable_path().parent_path()));
  if (!temp_directory.created())
    kestrel::platform::show_message_box(title, kestrel::kTempDirFailedMessage);
  if (!loaded.ok) {
    for (const auto& message : loaded.messages) kestrel::platform::show_message_box(title, message);
    return 1;
  }
  std::string error;
  auto window = kestrel::platform::open_sdl_window({title, 640, 480, false}, error);
  if (window == nullptr) {
    kestrel::platform::show_message_box(title, error);
    return 1;
  }
  kestrel::DriverOptions options;
  options.temp_folder = &temp_directory;
  options.show_failure = [&title](std::string_view message) {
    kestrel::platform::show_message_box(title, std::string(message));
  };
  return kestrel::play_loaded_game(game, *window, options);
}

}  // namespace

// The game comes from the runner's own file when data is appended to it, else
// from the file named by the first argument; with neither, the stand-in window.
int main(int argc, char** argv) {
  const std::filesystem::path self = kestrel::platform::executable_path();
  kestrel::GameData game;
  kestrel::LoadResult own = kestrel::ReadGameFile(self, game);
  if (own.ok || own.messages != std::vector<std::string>{kestrel::kNotValidMessage})
    return play_game(self, own, game);
  if (argc > 1) return play_game(argv[1], kestrel::ReadGameFile(argv[1], game), game);
  return show_standin_window();
}
