#include "run/run_dialogs.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/clock.h"
#include "platform/web_page.h"
#include "run/Runner.h"

namespace kestrel {

// The events of a dialog's own window, handed to the dialog.
class DialogEvents final : public platform::WindowEvents {
 public:
  explicit DialogEvents(DrawnDialog& dialog) : dialog_(dialog) {}
  void key_down(int key) override { changed(&DrawnDialog::key_down, key); }
  void key_up(int key) override { changed(&DrawnDialog::key_up, key); }
  void character(unsigned char c) override {
    dialog_.character(c);
    dirty = true;
  }
  void mouse_moved(int x, int y) override {
    dialog_.mouse_moved(x, y);
    dirty = true;
  }
  void mouse_down(platform::MouseButton) override {
    dialog_.mouse_down();
    dirty = true;
  }
  void mouse_up(platform::MouseButton) override {
    dialog_.mouse_up();
    dirty = true;
  }
  void close_requested() override { dialog_.close_requested(); }

  bool dirty = true;

 private:
  void changed(void (DrawnDialog::*handler)(int), int key) {
    (dialog_.*handler)(key);
    dirty = true;
  }
  DrawnDialog& dialog_;
};

namespace {

// How long a wait sleeps between looks at the windows.
constexpr std::int64_t kWaitTickMicroseconds = 10'000;
// How much of a dialog's text its notes quote.
constexpr std::size_t kQuotedLength = 60;

// The dialog's first line, shortened, to name it in a note.
std::string quoted_text(std::string_view text) {
  std::string line(text.substr(0, text.find_first_of("\r\n")));
  if (line.size() > kQuotedLength) {
    line.resize(kQuotedLength);
    line += "...";
  } else if (line.size() < text.size()) {
    line += "...";
  }
  return "\"" + line + "\"";
}

// The game window's events while a dialog is open stay away from the game,
// which only keeps its focus and size.
class GameWindowEvents final : public platform::WindowEvents {
 public:
  GameWindowEvents(Runner& runner, DrawnDialog& dialog) : runner_(runner), dialog_(dialog) {}
  void mouse_down(platform::MouseButton) override { dialog_.click_outside(); }
  void close_requested() override { dialog_.click_outside(); }
  void focus_changed(bool active) override { runner_.input.focus_changed(active); }
  void resized(int width, int height) override { runner_.input.resized(width, height); }

 private:
  Runner& runner_;
  DrawnDialog& dialog_;
};

// The dialog's own window, raised; null when no player is there to answer or
// the window cannot be made.
std::unique_ptr<platform::PictureWindow> open_dialog_window(
    Runner& runner, DialogEvents& events, const platform::PictureWindowSettings& settings) {
  platform::Window* game = runner.layout.window();
  if (!runner.player_present || game == nullptr) return nullptr;
  std::string error;
  std::unique_ptr<platform::PictureWindow> window =
      game->open_picture_window(settings, events, error);
  if (window == nullptr) {
    if (!error.empty()) std::cerr << "Cannot open the dialog window: " << error << '\n';
    return nullptr;
  }
  window->raise();
  return window;
}

// Paints the dialog into its window when it has changed.
void repaint(DrawnDialog& dialog, DialogEvents& events, platform::PictureWindow& window) {
  if (!events.dirty && !dialog.changed_by_itself()) return;
  events.dirty = false;
  const PixelCanvas& canvas = dialog.paint();
  window.show_picture(canvas.argb.data(), canvas.width, canvas.height);
}

// Shows the dialog in a window of its own and waits until it closes; false
// when no player is there to answer or the window cannot be made.
bool wait_for_player(Runner& runner, DrawnDialog& dialog,
                     const platform::PictureWindowSettings& settings) {
  DialogEvents events(dialog);
  std::unique_ptr<platform::PictureWindow> window = open_dialog_window(runner, events, settings);
  if (window == nullptr) return false;
  GameWindowEvents outside(runner, dialog);
  while (!dialog.closed()) {
    repaint(dialog, events, *window);
    runner.layout.window()->pump_events(outside);
    if (!dialog.closed()) platform::Clock::sleep(kWaitTickMicroseconds);
  }
  window->hide();
  return true;
}

platform::DisplayMode screen_of(Runner& runner) {
  const platform::Window* window = runner.layout.window();
  return window != nullptr ? window->display_mode() : platform::DisplayMode{};
}

std::string button_taken(const MessageRequest& request, int button) {
  if (button == 0) return "Escape";
  return "button " + std::to_string(button) + " (\"" + caption_shown(request.captions[button - 1]) +
         "\")";
}

// An answer of the input file for the dialog; false when it does not fit.
bool apply_answer(const DialogAnswer& answer, const MessageDialog& dialog,
                  const MessageRequest& request, MessageAnswer& result) {
  switch (answer.kind) {
    case DialogAnswer::Kind::Button:
      if (answer.number != 0 && !dialog.visible(answer.number)) return false;
      result.button = answer.number;
      return true;
    case DialogAnswer::Kind::Text:
      if (!request.prompt) return false;
      result.field = answer.text;
      result.button = dialog.first_visible();
      return true;
    case DialogAnswer::Kind::Cancel:
      result.button = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace

OpenSplash::OpenSplash() = default;
OpenSplash::~OpenSplash() = default;

std::string message_text(const RValue& value) {
  std::string raw;
  if (value.is_string()) {
    raw = value.str();
  } else {
    const double real = value.real();
    char digits[400];
    std::snprintf(digits, sizeof digits, real == std::floor(real) ? "%.0f" : "%.2f", real);
    raw = digits;
  }
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '#') {
      text += '#';
      ++i;
    } else {
      text += raw[i] == '#' ? '\n' : raw[i];
    }
  }
  return text;
}

void note_default_answer(std::string_view dialog, std::string_view taken) {
  std::cerr << "No answer for the dialog " << dialog << ": it takes " << taken << ".\n";
}

void note_unfitting_answer(const DialogAnswer& answer, std::string_view dialog) {
  std::cerr << "The answer \"" << answer.written << "\" of the input does not fit the dialog "
            << dialog << ": it takes its default.\n";
}

std::optional<DialogAnswer> scripted_answer(Runner& runner) {
  if (!runner.next_dialog_answer) return std::nullopt;
  return runner.next_dialog_answer();
}

MessageAnswer ask_message(Runner& runner, MessageRequest request) {
  const MessageLook& look = runner.message_look;
  MessageDialog dialog(look, request, screen_of(runner));
  MessageAnswer answer{dialog.first_visible(), request.field};
  const std::string name = quoted_text(request.text);
  const auto take_default = [&] {
    std::string taken = button_taken(request, answer.button);
    if (request.prompt) taken += " with the text \"" + answer.field + "\"";
    note_default_answer(name, taken);
  };
  if (std::optional<DialogAnswer> scripted = scripted_answer(runner)) {
    if (!apply_answer(*scripted, dialog, request, answer)) note_unfitting_answer(*scripted, name);
  } else {
    platform::PictureWindowSettings settings;
    settings.caption = look.caption;
    settings.border = look.show_caption;
    settings.stay_on_top = true;
    settings.x = dialog.layout().x;
    settings.y = dialog.layout().y;
    settings.width = dialog.layout().width;
    settings.height = dialog.layout().height;
    settings.opacity = look.alpha;
    settings.transparent_colour = message_transparent_colour(look);
    if (wait_for_player(runner, dialog, settings)) {
      answer = {dialog.result(), dialog.field()};
    } else {
      take_default();
    }
  }
  runner.process_messages();
  return answer;
}

int ask_menu(Runner& runner, std::string_view items, std::optional<std::pair<int, int>> place,
             int none_chosen) {
  std::vector<MenuItem> entries = parse_menu(items);
  int count = 0;
  for (const MenuItem& item : entries) count += item.separator() ? 0 : 1;
  const std::string name = "menu " + quoted_text(items);
  int chosen = none_chosen;
  if (std::optional<DialogAnswer> scripted = scripted_answer(runner)) {
    if (scripted->kind == DialogAnswer::Kind::Menu && scripted->number < count) {
      chosen = scripted->number;
    } else if (scripted->kind != DialogAnswer::Kind::Cancel) {
      note_unfitting_answer(*scripted, name);
    }
  } else {
    PopupMenu menu(std::move(entries));
    platform::PictureWindowSettings settings;
    settings.border = false;
    settings.stay_on_top = true;
    if (place) {
      settings.x = place->first;
      settings.y = place->second;
    } else if (const platform::Window* window = runner.layout.window()) {
      window->mouse_screen_position(settings.x, settings.y);
    }
    settings.width = menu.width();
    settings.height = menu.height();
    if (wait_for_player(runner, menu, settings)) {
      if (menu.chosen() >= 0) chosen = menu.chosen();
    } else {
      note_default_answer(name, "its default " + std::to_string(none_chosen));
    }
  }
  runner.process_messages();
  return chosen;
}

std::string show_highscores(Runner& runner, std::array<HighscoreLine, 10> lines, int new_rank) {
  const HighscoreLook& look = runner.highscore_look;
  const std::string name = "highscore table";
  std::string typed;
  if (std::optional<DialogAnswer> scripted = scripted_answer(runner)) {
    if (scripted->kind == DialogAnswer::Kind::Text && new_rank >= 1) {
      typed = scripted->text;
    } else if (scripted->kind != DialogAnswer::Kind::Cancel &&
               scripted->kind != DialogAnswer::Kind::Button) {
      note_unfitting_answer(*scripted, name);
    }
  } else {
    HighscoreDialog dialog(look, std::move(lines), new_rank);
    const platform::DisplayMode screen = screen_of(runner);
    platform::PictureWindowSettings settings;
    settings.caption = look.caption;
    settings.border = look.border;
    settings.stay_on_top = true;
    settings.width = dialog.width();
    settings.height = dialog.height();
    settings.x = std::max((screen.width - settings.width) / 2, 0);
    settings.y = std::max((screen.height - settings.height) / 2, 0);
    if (wait_for_player(runner, dialog, settings)) {
      typed = dialog.typed_name();
    } else {
      note_default_answer(name, new_rank >= 1 ? "Escape with an empty name" : "Escape");
    }
  }
  runner.process_messages();
  return typed;
}

bool splash_in_game_window(const Runner& runner) {
  return runner.splash_settings.main;
}

std::pair<int, int> splash_area(Runner& runner) {
  const SplashSettings& settings = runner.splash_settings;
  if (splash_in_game_window(runner)) {
    if (!runner.graphics.has_device()) return {settings.width, settings.height};
    return {runner.graphics.region_width(), runner.graphics.region_height()};
  }
  if (settings.full_screen) {
    const platform::DisplayMode screen = screen_of(runner);
    return {screen.width, screen.height};
  }
  return {settings.width, settings.height};
}

namespace {

// The game window's events while a splash covers it: they go to the splash,
// the mouse taken at its place in the region.
class SplashInGameEvents final : public platform::WindowEvents {
 public:
  SplashInGameEvents(Runner& runner, SplashView& view) : runner_(runner), view_(view) {}
  void key_down(int key) override {
    view_.key_down(key);
    dirty = true;
  }
  void wheel(int direction) override {
    view_.wheel(direction);
    dirty = true;
  }
  void mouse_down(platform::MouseButton) override {
    if (const platform::Window* window = runner_.layout.window()) {
      int x = 0;
      int y = 0;
      window->mouse_screen_position(x, y);
      const platform::ScreenRectangle client = window->client_rectangle();
      const auto [region_x, region_y] = region_point(x - client.x, y - client.y);
      view_.mouse_moved(region_x, region_y);
    }
    view_.mouse_down();
  }
  void close_requested() override { view_.close_requested(); }
  void focus_changed(bool active) override { runner_.input.focus_changed(active); }

  bool dirty = true;

 private:
  // The splash covers the region, which shows scaled in its place in the
  // client area.
  std::pair<int, int> region_point(int client_x, int client_y) const {
    const platform::ScreenRectangle shown = runner_.layout.destination();
    if (shown.width < 1 || shown.height < 1) return {client_x, client_y};
    const auto scaled = [](int offset, int region, int size) {
      return static_cast<int>(std::floor(static_cast<double>(offset) * region / size));
    };
    return {scaled(client_x - shown.x, runner_.graphics.region_width(), shown.width),
            scaled(client_y - shown.y, runner_.graphics.region_height(), shown.height)};
  }

  Runner& runner_;
  SplashView& view_;
};

void show_splash_in_game_window(Runner& runner, SplashView& view) {
  Graphics& graphics = runner.graphics;
  platform::Window* window = runner.layout.window();
  if (!graphics.has_device() || window == nullptr) return;
  const std::uint32_t background = rgb_from_game_colour(runner.splash_settings.colour);
  SplashInGameEvents events(runner, view);
  while (!view.closed()) {
    if (events.dirty || view.changed_by_itself()) {
      events.dirty = false;
      draw_canvas_in_game_window(graphics, view.paint());
      present_game_window(graphics, runner.layout, background);
    }
    window->pump_events(events);
    platform::Clock::sleep(kWaitTickMicroseconds);
  }
}

// The splash's own window as the settings place it: the screen when full
// screen, else the position (each negative coordinate where the window last
// was) and the size, or the size of the picture it adapts to.
platform::PictureWindowSettings own_splash_window(Runner& runner,
                                                  std::optional<std::pair<int, int>> adapt) {
  const SplashSettings& settings = runner.splash_settings;
  const platform::DisplayMode screen = screen_of(runner);
  platform::PictureWindowSettings window;
  window.caption = settings.caption;
  window.border = settings.border && !settings.full_screen;
  window.stay_on_top = settings.top;
  const auto [width, height] = adapt && !settings.full_screen ? *adapt : splash_area(runner);
  const DialogRectangle place = place_splash_window(settings, runner.splash_window_place, width,
                                                    height, screen.width, screen.height);
  window.x = place.x;
  window.y = place.y;
  window.width = place.width;
  window.height = place.height;
  return window;
}

// Whether the input file or the lack of a player closes the splash before it
// shows; notes what it took.
bool closed_before_showing(Runner& runner, const std::string& name) {
  if (std::optional<DialogAnswer> scripted = scripted_answer(runner)) {
    if (scripted->kind != DialogAnswer::Kind::Cancel) note_unfitting_answer(*scripted, name);
    return true;
  }
  if (!runner.player_present || runner.layout.window() == nullptr) {
    note_default_answer(name, "Escape");
    return true;
  }
  return false;
}

// The pointer while a splash shows: the default arrow, or none when the
// cursor setting is off; the game's own comes back afterwards.
class SplashCursor {
 public:
  explicit SplashCursor(Runner& runner) : runner_(runner) {
    if (platform::Window* window = runner.layout.window()) {
      window->set_cursor(runner.splash_settings.cursor ? 0 : -1);
    }
  }
  SplashCursor(const SplashCursor&) = delete;
  SplashCursor& operator=(const SplashCursor&) = delete;
  ~SplashCursor() {
    if (platform::Window* window = runner_.layout.window())
      window->set_cursor(runner_.layout.cursor());
  }

 private:
  Runner& runner_;
};

// The game window's events while a splash has a window of its own: the game
// only keeps its focus and size.
class WaitingGameEvents final : public platform::WindowEvents {
 public:
  explicit WaitingGameEvents(Runner& runner) : runner_(runner) {}
  void focus_changed(bool active) override { runner_.input.focus_changed(active); }
  void resized(int width, int height) override { runner_.input.resized(width, height); }

 private:
  Runner& runner_;
};

}  // namespace

std::unique_ptr<SplashView> show_splash(Runner& runner, std::unique_ptr<SplashView> view,
                                        std::string_view name,
                                        std::optional<std::pair<int, int>> adapt) {
  // One splash at a time: a new one replaces the one the game did not wait for.
  runner.open_splash.reset();
  const SplashSettings& settings = runner.splash_settings;
  const std::string quoted = "splash screen \"" + std::string(name) + "\"";
  if (closed_before_showing(runner, quoted)) {
    // Nothing shows.
  } else if (splash_in_game_window(runner)) {
    const SplashCursor cursor(runner);
    show_splash_in_game_window(runner, *view);
  } else if (!settings.interrupt) {
    auto open = std::make_unique<OpenSplash>();
    open->events = std::make_unique<DialogEvents>(*view);
    open->window = open_dialog_window(runner, *open->events, own_splash_window(runner, adapt));
    if (open->window != nullptr) {
      open->view = std::move(view);
      runner.open_splash = std::move(open);
      update_open_splash(runner);
      return nullptr;
    }
    note_default_answer(quoted, "Escape");
  } else {
    const SplashCursor cursor(runner);
    if (!wait_for_player(runner, *view, own_splash_window(runner, adapt))) {
      note_default_answer(quoted, "Escape");
    }
  }
  runner.process_messages();
  return view;
}

void update_open_splash(Runner& runner) {
  OpenSplash* open = runner.open_splash.get();
  if (open == nullptr) return;
  if (open->page != nullptr) {
    const platform::WebPageWindow::State state = open->page->pump();
    const bool timed_out =
        open->page_closes_at && open->opened.microseconds() >= *open->page_closes_at;
    if (state == platform::WebPageWindow::State::Closed || timed_out) runner.open_splash.reset();
    return;
  }
  if (open->view->closed()) {
    runner.open_splash.reset();
    return;
  }
  repaint(*open->view, *open->events, *open->window);
}

bool open_in_browser(Runner& runner, const std::string& address) {
  if (runner.open_in_browser) return runner.open_in_browser(address);
  std::cerr << "No browser in this run: the web page \"" << address << "\" is not opened.\n";
  return true;
}

namespace {

// The page's window where the splash settings place it: over the game
// window's client area when in it.
platform::WebPageSettings web_page_place(Runner& runner) {
  const SplashSettings& settings = runner.splash_settings;
  if (splash_in_game_window(runner)) {
    const platform::ScreenRectangle client = runner.layout.window()->client_rectangle();
    return {settings.caption, client.x, client.y,     client.width,
            client.height,    false,    settings.top, settings.stop_key};
  }
  const platform::PictureWindowSettings own = own_splash_window(runner, std::nullopt);
  return {own.caption, own.x,      own.y,           own.width,
          own.height,  own.border, own.stay_on_top, settings.stop_key};
}

}  // namespace

bool show_web_splash(Runner& runner, const std::string& address, std::int64_t delay_milliseconds) {
  if (!platform::web_page_windows_built()) return open_in_browser(runner, address);
  // One splash at a time: a new one replaces the one the game did not wait for.
  runner.open_splash.reset();
  const std::string name = "web page \"" + address + "\"";
  if (closed_before_showing(runner, name)) {
    runner.process_messages();
    return true;
  }
  auto open = std::make_unique<OpenSplash>();
  open->page = platform::open_web_page_window(address, web_page_place(runner));
  if (open->page == nullptr) {
    note_default_answer(name, "Escape");
    runner.process_messages();
    return true;
  }
  if (delay_milliseconds >= 1) open->page_closes_at = delay_milliseconds * 1000;
  // The game waits for the page in the game window or with interrupt on;
  // otherwise only until it has loaded, so that a failure is still told.
  const bool game_waits = splash_in_game_window(runner) || runner.splash_settings.interrupt;
  using State = platform::WebPageWindow::State;
  const auto waiting = [&](State state) {
    if (open->page_closes_at && open->opened.microseconds() >= *open->page_closes_at) return false;
    return state == State::Loading || (game_waits && state == State::Shown);
  };
  WaitingGameEvents outside(runner);
  State state = open->page->pump();
  while (waiting(state)) {
    runner.layout.window()->pump_events(outside);
    platform::Clock::sleep(kWaitTickMicroseconds);
    state = open->page->pump();
  }
  if (!game_waits && state == State::Shown) {
    runner.open_splash = std::move(open);
  }
  open.reset();
  runner.process_messages();
  if (state != State::Failed) return true;
  if (runner.show_message) {
    runner.show_message("Failed to display the webpage");
  } else {
    std::cerr << "Failed to display the webpage\n";
  }
  return false;
}

std::vector<platform::FileFilter> parse_file_filter(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t bar; (bar = text.find('|')) != std::string_view::npos;) {
    parts.push_back(text.substr(0, bar));
    text.remove_prefix(bar + 1);
  }
  parts.push_back(text);
  std::vector<platform::FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    platform::FileFilter filter{std::string(parts[i]), {}};
    std::string_view patterns = parts[i + 1];
    while (!patterns.empty()) {
      const std::size_t end = std::min(patterns.find(';'), patterns.size());
      if (end > 0) filter.patterns.emplace_back(patterns.substr(0, end));
      patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
    if (!filter.patterns.empty()) filters.push_back(std::move(filter));
  }
  return filters;
}

namespace {

// A system dialog: the input file's answer, else the player's choice, else
// its default with a note. `take` applies an answer of the input file and is
// false when it does not fit; `show` is false when nothing could be shown.
template <class Take, class Show, class TakeDefault>
void ask_system(Runner& runner, const std::string& name, const std::string& default_taken,
                Take take, Show show, TakeDefault take_default) {
  if (std::optional<DialogAnswer> scripted = scripted_answer(runner)) {
    if (scripted->kind != DialogAnswer::Kind::Cancel && !take(*scripted)) {
      note_unfitting_answer(*scripted, name);
      take_default();
    }
  } else if (!runner.player_present || !show()) {
    note_default_answer(name, default_taken);
    take_default();
  }
  runner.process_messages();
}

std::string current_folder() {
  std::error_code ignored;
  return std::filesystem::current_path(ignored).string();
}

// A file or folder dialog, answered by an input file's `answer file` line or
// by what `choose` shows; "" when cancelled.
template <class Choose>
std::string ask_path(Runner& runner, const std::string& name, Choose choose) {
  std::string chosen;
  const auto take = [&](const DialogAnswer& answer) {
    if (answer.kind != DialogAnswer::Kind::File) return false;
    chosen = answer.text;
    return true;
  };
  const auto show = [&] {
    const platform::SystemChoice choice = choose();
    if (choice.chosen) chosen = choice.path;
    return choice.shown;
  };
  ask_system(runner, name, "Cancel", take, show, [] {});
  return chosen;
}

}  // namespace

std::string ask_file(Runner& runner, bool save, std::string_view filter, const std::string& name) {
  return ask_path(runner, save ? "save file" : "open file", [&] {
    return platform::choose_file(save, parse_file_filter(filter), name, current_folder());
  });
}

std::string ask_folder(Runner& runner, const std::string& caption, const std::string& start) {
  return ask_path(runner, "folder", [&] { return platform::choose_folder(caption, start); });
}

int ask_colour(Runner& runner, int preset) {
  int chosen = -1;
  const auto take = [&](const DialogAnswer& answer) {
    if (answer.kind != DialogAnswer::Kind::Colour) return false;
    chosen = answer.number;
    return true;
  };
  const auto show = [&] {
    const platform::SystemChoice choice =
        platform::choose_colour(static_cast<int>(rgb_from_game_colour(preset)));
    if (choice.chosen) chosen = static_cast<int>(rgb_from_game_colour(choice.colour));
    return choice.shown;
  };
  // Without a player the preset colour is taken, as Enter would.
  ask_system(runner, "colour", "its preset colour " + std::to_string(preset), take, show,
             [&] { chosen = preset; });
  return chosen;
}

}  // namespace kestrel
