#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/font_face.h"
#include "platform/loading_form.h"
#include "platform/sdl/sdl_picture_window.h"

namespace kestrel::platform {
namespace {

// The form's size when the game gives it no picture.
constexpr int kPlainWidth = 332;
constexpr int kPlainHeight = 92;
// The bars: their left edge, their distance from the bottom, and their height
// when the game gives them no picture.
constexpr int kBarLeft = 24;
constexpr int kBarFromBottom = 32;
constexpr int kPlainBarHeight = 10;

SDL_Surface* decode_bmp(const std::optional<std::vector<std::uint8_t>>& bytes) {
  if (!bytes || bytes->empty()) return nullptr;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
  return stream ? SDL_LoadBMP_RW(stream, 1) : nullptr;
}

class SdlLoadingForm final : public LoadingForm {
 public:
  explicit SdlLoadingForm(const LoadingLook& look)
      : image_(decode_bmp(look.image)),
        back_(look.show_bar ? decode_bmp(look.bar_back) : nullptr),
        front_(look.show_bar ? decode_bmp(look.bar_front) : nullptr),
        show_bar_(look.show_bar),
        scale_bar_(look.scale_bar) {
    std::string ignored;
    if (look.show_label) label_font_ = open_font_face("Arial", 8, false, false, ignored);
  }

  ~SdlLoadingForm() override {
    for (SDL_Surface* surface : {image_, back_, front_}) SDL_FreeSurface(surface);
    if (cursor_ != nullptr) SDL_FreeCursor(cursor_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
  }

  bool open(int alpha, bool transparent) {
    const int width = image_ ? image_->w : kPlainWidth;
    const int height = image_ ? image_->h : kPlainHeight;
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
    if (transparent && image_ != nullptr) {
      window_ = SDL_CreateShapedWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                       height, flags);
      if (window_ != nullptr) cut_out_colour_key();
    }
    // A window system without shaped windows shows the whole picture.
    if (window_ == nullptr) {
      window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                 flags);
    }
    if (window_ == nullptr) return false;
    if (alpha < 255) SDL_SetWindowOpacity(window_, std::max(alpha, 0) / 255.0f);
    cursor_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    if (cursor_ != nullptr) SDL_SetCursor(cursor_);
    show_progress(0, "Loading");
    return true;
  }

  void show_progress(int percent, std::string_view text) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target == nullptr) return;
    if (image_ != nullptr) {
      SDL_BlitSurface(image_, nullptr, target, nullptr);
    } else {
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0xD8, 0xD8, 0xD8));
    }
    if (show_bar_) draw_bars(target, std::clamp(percent, 0, 100));
    if (label_font_ != nullptr) draw_label(target, text);
    SDL_UpdateWindowSurface(window_);
    // Lets the window system show the form while the game loads.
    SDL_PumpEvents();
  }

 private:
  // Everything of the picture's bottom-left colour is cut out of the window.
  void cut_out_colour_key() {
    SDL_Surface* pixels = SDL_ConvertSurfaceFormat(image_, SDL_PIXELFORMAT_ARGB8888, 0);
    if (pixels == nullptr) return;
    const auto* bottom_row = reinterpret_cast<const Uint32*>(
        static_cast<const Uint8*>(pixels->pixels) + (pixels->h - 1) * pixels->pitch);
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeColorKey;
    SDL_GetRGB(bottom_row[0], pixels->format, &mode.parameters.colorKey.r,
               &mode.parameters.colorKey.g, &mode.parameters.colorKey.b);
    mode.parameters.colorKey.a = 255;
    SDL_SetWindowShape(window_, pixels, &mode);
    SDL_FreeSurface(pixels);
  }

  // The text in black over the bars' row, centred on its height.
  void draw_label(SDL_Surface* target, std::string_view text) {
    const Uint32 black = SDL_MapRGB(target->format, 0, 0, 0);
    const int baseline =
        target->h - kBarFromBottom + (kPlainBarHeight + label_font_->ascender()) / 2;
    int pen = kBarLeft;
    GlyphBitmap glyph;
    for (unsigned char c : text) {
      if (!label_font_->render(c, glyph)) continue;
      for (int gy = 0; gy < glyph.rows; ++gy) {
        for (int gx = 0; gx < glyph.width; ++gx) {
          if (glyph.coverage[std::size_t(gy) * glyph.width + gx] < 128) continue;
          // One-pixel fills leave clipping and the pixel format to SDL.
          SDL_Rect dot{pen + glyph.left + gx, baseline - glyph.top + gy, 1, 1};
          SDL_FillRect(target, &dot, black);
        }
      }
      pen += glyph.advance;
    }
  }

  void draw_bars(SDL_Surface* target, int percent) {
    const int empty_width = target->w - 2 * kBarLeft;
    const int bar_height = back_ ? back_->h : (front_ ? front_->h : kPlainBarHeight);
    SDL_Rect empty{kBarLeft, target->h - kBarFromBottom, empty_width, bar_height};
    SDL_Rect full = empty;
    full.w = static_cast<int>(std::nearbyint(percent * empty_width / 100.0));
    draw_bar(target, back_, empty, SDL_MapRGB(target->format, 0x60, 0x60, 0x60), true);
    draw_bar(target, front_, full, SDL_MapRGB(target->format, 0x30, 0x60, 0xC0), scale_bar_);
  }

  // A bar's picture stretched over its rectangle, or cut off at its width when
  // it may not stretch; a plain colour without a picture.
  static void draw_bar(SDL_Surface* target, SDL_Surface* picture, SDL_Rect rect, Uint32 plain,
                       bool stretch) {
    if (rect.w <= 0) return;
    if (picture == nullptr) {
      SDL_FillRect(target, &rect, plain);
    } else if (stretch) {
      SDL_BlitScaled(picture, nullptr, target, &rect);
    } else {
      SDL_Rect part{0, 0, std::min(rect.w, picture->w), picture->h};
      SDL_BlitSurface(picture, &part, target, &rect);
    }
  }

  SDL_Surface* image_;
  SDL_Surface* back_;
  SDL_Surface* front_;
  bool show_bar_;
  bool scale_bar_;
  SDL_Window* window_ = nullptr;
  SDL_Cursor* cursor_ = nullptr;
  std::unique_ptr<FontFace> label_font_;
};

}  // namespace

std::unique_ptr<LoadingForm> open_loading_form(const LoadingLook& look) {
  sdl::draw_windows_in_memory();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  auto form = std::make_unique<SdlLoadingForm>(look);
  if (!form->open(look.alpha, look.transparent)) return nullptr;
  return form;
}

}  // namespace kestrel::platform
