#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "platform/clock.h"
#include "platform/loading_form.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/window.h"
#include "project.h"
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

// The loading form as the game's settings describe it.
kestrel::platform::LoadingLook loading_look(const kestrel::GameSettings& settings,
                                            bool debug_mode) {
  kestrel::platform::LoadingLook look;
  look.image = settings.LoadingImage;
  look.bar_back = settings.LoadingBackImage;
  look.bar_front = settings.LoadingFrontImage;
  look.show_bar = settings.ShowProgressBar;
  look.scale_bar = settings.ScaleProgressBar;
  look.alpha = settings.LoadingAlpha;
  look.transparent = settings.LoadingTransparent;
  look.show_label = debug_mode && settings.ShowProgressBar;
  return look;
}

// What the game reads as its command line: the game's program, then its parameters.
std::vector<std::string> game_command_line(std::string program, char** first, char** last) {
  std::vector<std::string> line{std::move(program)};
  line.insert(line.end(), first, last);
  return line;
}

// Every failure is shown in its own message box, captioned with the game's
// name as the application title; then the program ends with status 1.
int play_game(const std::filesystem::path& file, const kestrel::LoadResult& loaded,
              kestrel::GameData& game, std::unique_ptr<kestrel::platform::LoadingForm> loading,
              std::vector<std::string> command_line) {
  const std::string title = file.stem().string();
  auto temp_directory = kestrel::TempDirectory::Create(
      kestrel::TempDirectory::ProcessPlaces(kestrel::platform::executable_path().parent_path()));
  if (!temp_directory.created())
    kestrel::platform::show_message_box(title, kestrel::kTempDirFailedMessage);
  if (!loaded.ok) {
    loading.reset();
    for (const auto& message : loaded.messages) kestrel::platform::show_message_box(title, message);
    return 1;
  }
  std::string error;
  auto window = kestrel::platform::open_sdl_window({title, 640, 480, false}, error);
  if (window == nullptr) {
    loading.reset();
    kestrel::platform::show_message_box(title, error);
    return 1;
  }
  kestrel::DriverOptions options;
  options.temp_folder = &temp_directory;
  options.player_present = true;
  options.command_line = std::move(command_line);
  options.debug_window = game.debug_mode;
  options.show_failure = [&title, &loading](std::string_view message) {
    loading.reset();
    kestrel::platform::show_message_box(title, std::string(message));
  };
  options.show_progress = [&loading](int percent, std::string_view text) {
    if (loading == nullptr) return;
    loading->show_progress(percent, text);
    if (percent >= 100) loading.reset();
  };
  return kestrel::play_loaded_game(game, *window, options);
}

}  // namespace

// The game comes from the runner's own file when data is appended to it, else
// from the file or project folder named by the first argument; with neither,
// the stand-in window.
int main(int argc, char** argv) {
  const std::filesystem::path self = kestrel::platform::executable_path();
  kestrel::GameData game;
  std::unique_ptr<kestrel::platform::LoadingForm> loading;
  kestrel::LoadOptions load;
  // The loader has read the game's debug flag by the time the settings are in.
  load.settings_read = [&loading, &game](const kestrel::GameSettings& settings) {
    loading = kestrel::platform::open_loading_form(loading_look(settings, game.debug_mode));
  };
  const kestrel::ProgressCallback progress = [&loading](int percent, std::string_view text) {
    if (loading != nullptr) loading->show_progress(percent, text);
  };
  kestrel::LoadResult own = kestrel::ReadGameFile(self, game, load, progress);
  if (own.ok || own.messages != std::vector<std::string>{kestrel::kNotValidMessage})
    return play_game(self, own, game, std::move(loading),
                     game_command_line(self.string(), argv + 1, argv + argc));
  if (argc > 1 && std::filesystem::is_directory(argv[1])) {
    kestrel::SourceMap sources;
    kestrel::LoadResult folder;
    std::string error;
    folder.ok = kestrel::tools::LoadProject(argv[1], game, sources, error);
    if (!folder.ok) folder.messages.push_back(error);
    // The window is titled with the folder's name, as a game file's with its own.
    const std::filesystem::path named = std::filesystem::path(argv[1]).lexically_normal();
    return play_game(named.has_filename() ? named : named.parent_path(), folder, game, nullptr,
                     game_command_line(argv[1], argv + 2, argv + argc));
  }
  if (argc > 1) {
    kestrel::LoadResult named = kestrel::ReadGameFile(argv[1], game, load, progress);
    return play_game(argv[1], named, game, std::move(loading),
                     game_command_line(argv[1], argv + 2, argv + argc));
  }
  return show_standin_window();
}
