#include "shell/game_information.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/clock.h"
#include "shell/canvas.h"

namespace kestrel {
namespace {

// Space between the window's edge and the text.
constexpr int kMargin = 4;
// How far one arrow key moves the text; the wheel moves three times as far.
constexpr int kLineStep = 20;
constexpr int kWheelLines = 3;
// How long a wait sleeps between looks at the window, and how many looks
// pass between showing the game window's picture again.
constexpr std::int64_t kWaitTickMicroseconds = 10'000;
constexpr int kTicksPerPresent = 10;

namespace key {
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;
constexpr int kEnd = 35;
constexpr int kHome = 36;
constexpr int kUp = 38;
constexpr int kDown = 40;
}  // namespace key

}  // namespace

platform::ScreenRectangle information_window_place(const GameInformation& record,
                                                   const platform::DisplayMode& screen) {
  // A screen of unknown size limits nothing.
  const auto limit = [](int size, int screen_size) {
    return screen_size > 0 ? std::clamp(size, 1, screen_size) : std::max(size, 1);
  };
  platform::ScreenRectangle place;
  place.width = limit(record.width, screen.width);
  place.height = limit(record.height, screen.height);
  // A window placed past the screen's edge would leave a stopped game with
  // nothing to close, so it is kept on the screen.
  const auto position = [](int asked, int size, int screen_size) {
    if (asked < 0) return std::max((screen_size - size) / 2, 0);
    return screen_size > 0 ? std::min(asked, screen_size - size) : asked;
  };
  place.x = position(record.left, place.width, screen.width);
  place.y = position(record.top, place.height, screen.height);
  return place;
}

void InformationPage::set_text(std::string_view rich_text) {
  text_ = read_rich_text(rich_text);
  layout_.reset();
  scroll_ = 0;
}

void InformationPage::resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width != width_) layout_.reset();
  width_ = width;
  height_ = height;
  scroll_to(scroll_);
}

const TextLayout& InformationPage::layout() {
  if (!layout_) layout_ = lay_out_text(text_, width_ - 2 * kMargin, fonts_);
  return *layout_;
}

int InformationPage::content_height() {
  return layout().height + 2 * kMargin;
}

bool InformationPage::scroll_to(int offset) {
  const int lowest = std::max(content_height() - height_, 0);
  const int before = scroll_;
  scroll_ = std::clamp(offset, 0, lowest);
  return scroll_ != before;
}

bool InformationPage::scroll_key(int key) {
  const int page = std::max(height_ - kLineStep, kLineStep);
  switch (key) {
    case key::kUp:
      return scroll_to(scroll_ - kLineStep);
    case key::kDown:
      return scroll_to(scroll_ + kLineStep);
    case key::kPageUp:
      return scroll_to(scroll_ - page);
    case key::kPageDown:
      return scroll_to(scroll_ + page);
    case key::kHome:
      return scroll_to(0);
    case key::kEnd:
      return scroll_to(content_height());
    default:
      return false;
  }
}

bool InformationPage::scroll_wheel(int direction) {
  return scroll_to(scroll_ - direction * kWheelLines * kLineStep);
}

const PixelCanvas& InformationPage::paint(std::uint32_t background) {
  canvas_.width = width_;
  canvas_.height = height_;
  canvas_.argb.assign(static_cast<std::size_t>(width_) * height_, 0xFF000000 | background);
  paint_text(layout(), fonts_, kMargin, kMargin - scroll_, canvas_);
  return canvas_;
}

// The separate window's own events: the keys and the wheel move the text,
// Escape and the close button close it.
class GameInformationWindow::PageEvents final : public platform::WindowEvents {
 public:
  explicit PageEvents(GameInformationWindow& owner) : owner_(owner) {}

  void key_down(int key) override {
    if (owner_.page_.scroll_key(key)) owner_.draw_page();
  }
  // On the key's release, so that the game window does not get it.
  void key_up(int key) override {
    if (key == platform::vk::kEscape) owner_.close_window();
  }
  void wheel(int direction) override {
    if (owner_.page_.scroll_wheel(direction)) owner_.draw_page();
  }
  void close_requested() override { owner_.close_window(); }
  void resized(int width, int height) override {
    owner_.page_.resize(width, height);
    owner_.draw_page();
  }

 private:
  GameInformationWindow& owner_;
};

// The game window's events while the game waits for the information: input
// goes to the information, not the game. Escape, the close button and, with
// the text in the game window, a click dismiss it.
class GameInformationWindow::WaitEvents final : public platform::WindowEvents {
 public:
  WaitEvents(InformationPage& page, InformationHost& host, bool in_game_window)
      : page_(page), host_(host), in_game_window_(in_game_window) {}

  void key_down(int key) override {
    if (in_game_window_ && page_.scroll_key(key)) moved = true;
  }
  void key_up(int key) override {
    if (key == platform::vk::kEscape) dismissed = true;
  }
  void mouse_down(platform::MouseButton) override {
    if (in_game_window_) dismissed = true;
  }
  void wheel(int direction) override {
    if (in_game_window_ && page_.scroll_wheel(direction)) moved = true;
  }
  void close_requested() override { dismissed = true; }
  void focus_changed(bool active) override { host_.game_input.focus_changed(active); }
  void resized(int width, int height) override { host_.game_input.resized(width, height); }

  bool dismissed = false;
  bool moved = false;

 private:
  InformationPage& page_;
  InformationHost& host_;
  bool in_game_window_;
};

GameInformationWindow::GameInformationWindow(const GameInformation& record)
    : record_(record), page_events_(std::make_unique<PageEvents>(*this)) {
  set_text(record.text);
}

GameInformationWindow::~GameInformationWindow() = default;

void GameInformationWindow::set_text(std::string rich_text) {
  text_ = std::move(rich_text);
  page_.set_text(text_);
  if (window_open_) draw_page();
}

bool GameInformationWindow::load(const std::filesystem::path& file, std::string& error) {
  std::ifstream stream(file, std::ios::binary);
  std::string bytes;
  if (stream) bytes.assign(std::istreambuf_iterator<char>(stream), {});
  if (!stream || stream.bad()) {
    error = "Cannot read the information file " + file.string() + ".";
    return false;
  }
  set_text(std::move(bytes));
  return true;
}

bool GameInformationWindow::show(InformationHost& host, std::string& error) {
  if (host.window == nullptr) return true;
  if (record_.in_game_window) {
    show_in_game_window(host);
    return true;
  }
  if (!open_window(host, error)) return false;
  if (!record_.stop_game || !host.player_present) return true;
  WaitEvents wait(page_, host, false);
  while (window_open_) {
    host.window->pump_events(wait);
    if (wait.dismissed) close_window();
    platform::Clock::sleep(kWaitTickMicroseconds);
  }
  window_.reset();
  return true;
}

bool GameInformationWindow::open_window(InformationHost& host, std::string& error) {
  if (window_open_) {
    window_->raise();
    return true;
  }
  // A window closed while it was handing over an event goes now.
  window_.reset();
  const platform::ScreenRectangle place =
      information_window_place(record_, host.window->display_mode());
  platform::PictureWindowSettings settings;
  settings.caption = record_.caption;
  settings.x = place.x;
  settings.y = place.y;
  settings.width = place.width;
  settings.height = place.height;
  settings.border = record_.border;
  settings.resizable = record_.sizeable;
  settings.stay_on_top = record_.stay_on_top;
  window_ = host.window->open_picture_window(settings, *page_events_, error);
  if (window_ == nullptr) {
    if (error.empty()) return true;
    error = "Cannot open the game information window: " + error;
    return false;
  }
  window_open_ = true;
  page_.resize(window_->client_width(), window_->client_height());
  draw_page();
  window_->raise();
  return true;
}

void GameInformationWindow::draw_page() {
  if (!window_open_) return;
  const PixelCanvas& canvas = page_.paint(rgb_from_game_colour(record_.background_colour));
  window_->show_picture(canvas.argb.data(), canvas.width, canvas.height);
}

void GameInformationWindow::close_window() {
  if (!window_open_) return;
  window_->hide();
  window_open_ = false;
}

void present_game_window(Graphics& graphics, GameWindow& layout, std::uint32_t background) {
  const platform::ScreenRectangle target = layout.destination();
  graphics.device()->present(target.x, target.y, target.width, target.height,
                             0xFF000000 | background);
}

void draw_canvas_in_game_window(Graphics& graphics, const PixelCanvas& canvas) {
  const RenderStates saved = graphics.states();
  // The canvas's pixels replace the game's as they are.
  graphics.set_blend_mode_ext(static_cast<int>(platform::BlendFactor::One),
                              static_cast<int>(platform::BlendFactor::Zero));
  graphics.set_texture_blending(false);
  graphics.set_texture_interpolation(false);
  graphics.set_texture_repeat(false);
  graphics.set_viewport(0, 0, canvas.width, canvas.height);
  graphics.set_projection(0, 0, canvas.width, canvas.height, 0);
  const int texture =
      graphics.textures().create_from_pixels(canvas.width, canvas.height, canvas.argb.data());
  if (texture >= 0) {
    draw_texture(graphics, texture, 0, 0);
    graphics.textures().free(texture);
  }
  graphics.set_blend_mode_ext(static_cast<int>(saved.blend_source),
                              static_cast<int>(saved.blend_destination));
  graphics.set_texture_blending(saved.blending);
  graphics.set_texture_interpolation(saved.interpolation);
  graphics.set_texture_repeat(saved.repeat);
}

// The page covers the whole region and the rest of the game window shows
// the page's colour; the game draws over it again in its next step.
void GameInformationWindow::show_in_game_window(InformationHost& host) {
  Graphics& graphics = host.graphics;
  if (!graphics.has_device()) return;
  const std::uint32_t background = rgb_from_game_colour(record_.background_colour);
  const auto present = [&] { present_game_window(graphics, host.layout, background); };
  const auto draw = [&] {
    draw_canvas_in_game_window(graphics, page_.paint(background));
    present();
  };
  page_.resize(graphics.region_width(), graphics.region_height());
  draw();
  if (!host.player_present) return;
  WaitEvents wait(page_, host, true);
  for (int tick = 1; !wait.dismissed; ++tick) {
    host.window->pump_events(wait);
    if (wait.moved) {
      wait.moved = false;
      draw();
    } else if (tick % kTicksPerPresent == 0) {
      // Keeps the page on the screen when other windows have covered it.
      present();
    }
    platform::Clock::sleep(kWaitTickMicroseconds);
  }
}

}  // namespace kestrel
