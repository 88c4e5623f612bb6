#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "platform/audio.h"
#include "platform/image_file.h"
#include "platform/video_file.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/run_dialogs.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr std::string_view kNoImage = "Image file not found.";
constexpr std::string_view kNoText = "Text file not found.";
constexpr std::string_view kNoVideo = "Video file not found (or name too long).";
constexpr std::string_view kNoWebPage = "Web page not found.";
constexpr std::string_view kSecureWebPage = "In secure mode you cannot open webpages.";
constexpr std::string_view kNoBrowser = "Failed to open the webpage.";
// Longer video names are refused.
constexpr std::size_t kLongestVideoName = 126;

using Args = const RValue*;

SplashSettings& settings(ScriptEngine& engine) {
  return runner_of(engine).splash_settings;
}

bool flag(const RValue& value) {
  return value.real() >= 0.5;
}

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

bool is_file(const std::string& name) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(name, ignored);
}

// --- Settings ---

template <bool SplashSettings::*setting>
void set_flag(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).*setting = flag(a[0]);
}

void splash_set_scale(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).scale = a[0].real();
}

void splash_set_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).colour = whole(a[0]);
}

void splash_set_caption(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).caption = a[0].str();
}

void splash_set_position(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).x = whole(a[0]);
  settings(e).y = whole(a[1]);
}

void splash_set_size(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).width = whole(a[0]);
  settings(e).height = whole(a[1]);
}

// --- Showing ---

void start_timer(SplashView& view, const RValue& delay) {
  if (delay.real() >= 1) view.close_after(round_to_int64(delay.real()));
}

// The area a picture of that size shows in and its place there; with adapt
// the own window takes the picture's size, given in `adapt`.
struct PictureArea {
  int width = 0;
  int height = 0;
  DialogRectangle place;
  std::optional<std::pair<int, int>> adapt;
};

PictureArea picture_area(Runner& runner, int picture_width, int picture_height) {
  const SplashSettings& splash = runner.splash_settings;
  PictureArea area;
  std::tie(area.width, area.height) = splash_area(runner);
  area.place =
      splash_picture_place(area.width, area.height, picture_width, picture_height, splash.scale);
  if (splash.adapt && !splash.main && !splash.full_screen) {
    area.adapt = std::pair{std::max(area.place.width, 1), std::max(area.place.height, 1)};
    area.place.x = 0;
    area.place.y = 0;
    std::tie(area.width, area.height) = *area.adapt;
  }
  return area;
}

void show_image_file(ScriptEngine& e, const std::string& file, const RValue& delay) {
  if (!is_file(file)) {
    report_action_error(e, kNoImage, false);
    return;
  }
  PixelCanvas picture;
  std::string error;
  if (!platform::read_image_file(file, picture.argb, picture.width, picture.height, error)) {
    report_action_error(e, "Cannot read the image file " + file + ": " + error, false);
    return;
  }
  Runner& runner = runner_of(e);
  const PictureArea area = picture_area(runner, picture.width, picture.height);
  auto view = std::make_unique<SplashView>(runner.splash_settings, area.width, area.height);
  view->show_picture(std::move(picture), area.place);
  start_timer(*view, delay);
  show_splash(runner, std::move(view), file, area.adapt);
}

// Plays a video's sound track through the sound device for as long as it lives.
class VideoSound {
 public:
  VideoSound(platform::AudioDevice* device, platform::VideoReader& video) : device_(device) {
    if (device_ == nullptr) return;
    const std::vector<std::uint8_t> wave = video.sound_as_wave(device_->sample_rate());
    std::string ignored;
    if (!wave.empty()) clip_ = device_->load_clip(wave, ignored);
  }
  VideoSound(const VideoSound&) = delete;
  VideoSound& operator=(const VideoSound&) = delete;
  ~VideoSound() {
    if (clip_ != platform::kNoClip) device_->free_clip(clip_);
  }

  // From the start, with the pictures.
  void play() {
    if (clip_ == platform::kNoClip) return;
    device_->stop_play(play_);
    play_ = device_->play_clip(clip_, false, nullptr);
  }

 private:
  platform::AudioDevice* device_;
  platform::ClipId clip_ = platform::kNoClip;
  platform::PlayId play_ = platform::kNoPlay;
};

// Reading the first picture before anything shows lets a file that only
// looks like a video be reported rather than shown as an empty splash.
bool has_picture(platform::VideoReader& video, std::string& error) {
  std::vector<std::uint32_t> picture;
  double seconds = 0;
  if (!video.next_picture(picture, seconds)) {
    error = video.error().empty() ? "it has no picture that can be decoded" : video.error();
    return false;
  }
  if (!video.rewind()) {
    error = video.error();
    return false;
  }
  return true;
}

void show_video_file(ScriptEngine& e, const std::string& file, bool loop) {
  if (file.size() > kLongestVideoName || !is_file(file)) {
    report_action_error(e, kNoVideo, false);
    return;
  }
  std::string error;
  std::unique_ptr<platform::VideoReader> video = platform::open_video_file(file, error);
  if (video == nullptr || !has_picture(*video, error)) {
    report_action_error(e, "Cannot play the video file " + file + ": " + error, false);
    return;
  }
  Runner& runner = runner_of(e);
  const PictureArea area = picture_area(runner, video->width(), video->height());
  // The sound lives as long as the view that starts it again.
  auto sound = std::make_shared<VideoSound>(runner.sound.device(), *video);
  auto view = std::make_unique<SplashView>(runner.splash_settings, area.width, area.height);
  view->show_video(std::move(video), area.place, loop, [sound] { sound->play(); });
  sound->play();
  const std::unique_ptr<SplashView> closed = show_splash(runner, std::move(view), file, area.adapt);
  if (closed == nullptr) return;
  if (const std::string damage = closed->video_error(); !damage.empty()) {
    report_action_error(e, "The video file " + file + " stopped early: " + damage, false);
  }
}

void show_text_file(ScriptEngine& e, const std::string& file, const RValue& delay) {
  std::ifstream stream(file, std::ios::binary);
  if (!is_file(file) || !stream) {
    report_action_error(e, kNoText, false);
    return;
  }
  const std::string text{std::istreambuf_iterator<char>(stream), {}};
  Runner& runner = runner_of(e);
  const auto [width, height] = splash_area(runner);
  auto view = std::make_unique<SplashView>(runner.splash_settings, width, height);
  view->show_text(text);
  start_timer(*view, delay);
  show_splash(runner, std::move(view), file, std::nullopt);
}

void splash_show_image(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_image_file(e, a[0].str(), a[1]);
}

void splash_show_text(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_text_file(e, a[0].str(), a[1]);
}

void splash_show_video(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_video_file(e, a[0].str(), flag(a[1]));
}

void splash_show_web(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const double delay = a[1].real();
  if (!show_web_splash(runner_of(e), a[0].str(), delay >= 1 ? round_to_int64(delay) : 0)) {
    report_action_error(e, kNoWebPage, false);
  }
}

// Full screen when `full` rounds to anything but 0; in the game window otherwise.
void set_full_screen(ScriptEngine& e, const RValue& full) {
  settings(e).full_screen = whole(full) != 0;
  settings(e).main = !settings(e).full_screen;
}

void show_image(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  set_full_screen(e, a[1]);
  show_image_file(e, a[0].str(), a[2]);
}

void show_video(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  set_full_screen(e, a[1]);
  show_video_file(e, a[0].str(), flag(a[2]));
}

void show_text(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  set_full_screen(e, a[1]);
  settings(e).colour = whole(a[2]);
  show_text_file(e, a[0].str(), a[3]);
}

// --- Actions ---

void action_splash_image(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_image_file(e, a[0].str(), RValue(0.0));
  runner_of(e).input.clear();
}

void action_splash_text(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_text_file(e, a[0].str(), RValue(0.0));
  runner_of(e).input.clear();
}

void action_show_video(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  settings(e).full_screen = a[1].real() > 0;
  settings(e).main = !settings(e).full_screen;
  show_video_file(e, a[0].str(), a[2].real() > 0);
  runner_of(e).input.clear();
}

void action_splash_video(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_video_file(e, a[0].str(), a[1].real() > 0);
  runner_of(e).input.clear();
}

void open_web_page(ScriptEngine& e, const std::string& address) {
  if (e.settings.secure_mode) {
    report_action_error(e, kSecureWebPage, false);
  } else if (!open_in_browser(runner_of(e), address)) {
    report_action_error(e, kNoBrowser, false);
  }
}

void action_webpage(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  open_web_page(e, a[0].str());
}

// Where: below 0.5 the splash window, else the desktop's browser.
void action_splash_web(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (a[1].real() >= 0.5) {
    open_web_page(e, a[0].str());
  } else if (!show_web_splash(runner_of(e), a[0].str(), 0)) {
    report_action_error(e, kNoWebPage, false);
  }
  runner_of(e).input.clear();
}

// Where: 0 the game window, 1 a window of its own, 2 the full screen; the
// three switches are on when their argument is 0.
void action_splash_settings(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args a) {
  SplashSettings& splash = settings(e);
  splash.caption = a[0].str();
  splash.full_screen = a[1].real() == 2;
  splash.main = a[1].real() == 0;
  splash.close_button = a[2].real() == 0;
  splash.stop_key = a[3].real() == 0;
  splash.stop_mouse = a[4].real() == 0;
}

}  // namespace

void register_splash_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("splash_set_main", &set_flag<&SplashSettings::main>, 1);
  f.add("splash_set_scale", &splash_set_scale, 1);
  f.add("splash_set_color", &splash_set_color, 1);
  f.add("splash_set_fullscreen", &set_flag<&SplashSettings::full_screen>, 1);
  f.add("splash_set_border", &set_flag<&SplashSettings::border>, 1);
  f.add("splash_set_caption", &splash_set_caption, 1);
  f.add("splash_set_top", &set_flag<&SplashSettings::top>, 1);
  f.add("splash_set_interrupt", &set_flag<&SplashSettings::interrupt>, 1);
  f.add("splash_set_cursor", &set_flag<&SplashSettings::cursor>, 1);
  f.add("splash_set_position", &splash_set_position, 2);
  f.add("splash_set_size", &splash_set_size, 2);
  f.add("splash_set_adapt", &set_flag<&SplashSettings::adapt>, 1);
  f.add("splash_set_stop_key", &set_flag<&SplashSettings::stop_key>, 1);
  f.add("splash_set_stop_mouse", &set_flag<&SplashSettings::stop_mouse>, 1);
  f.add("splash_set_close_button", &set_flag<&SplashSettings::close_button>, 1);
  f.add("splash_show_image", &splash_show_image, 2);
  f.add("splash_show_text", &splash_show_text, 2);
  f.add("splash_show_video", &splash_show_video, 2);
  f.add("splash_show_web", &splash_show_web, 2);
  f.add("show_image", &show_image, 3);
  f.add("show_text", &show_text, 4);
  f.add("show_video", &show_video, 3);
  f.add("action_splash_image", &action_splash_image, 1);
  f.add("action_splash_text", &action_splash_text, 1);
  f.add("action_show_video", &action_show_video, 3);
  f.add("action_splash_video", &action_splash_video, 2);
  f.add("action_splash_web", &action_splash_web, 2);
  f.add("action_webpage", &action_webpage, 1);
  f.add("action_splash_settings", &action_splash_settings, 5);
}

}  // namespace kestrel
