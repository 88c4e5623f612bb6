#include "graphics/Graphics_Transition.h"

#include <cmath>
#include <numbers>

#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"

namespace kestrel {
namespace {

constexpr std::int64_t kWhite = 0xFFFFFF;

int rounded(double value) {
  return static_cast<int>(std::nearbyint(value));
}

// The direction a kind comes from: (1, 0) the left, (-1, 0) the right, (0, 1)
// the top, (0, -1) the bottom, by the kind's place in its group of four.
struct Direction {
  int dx, dy;
};
Direction direction(int kind, int first_of_group) {
  static constexpr Direction kDirections[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  return kDirections[(kind - first_of_group) % 4];
}

class FrameDrawer {
 public:
  FrameDrawer(Graphics& graphics, const TransitionFrames& frames)
      : graphics_(graphics), frames_(frames), w_(frames.width), h_(frames.height) {}

  void old_at(double x, double y, double alpha = 1) {
    draw_texture_ext(graphics_, frames_.old_texture, x, y, 0, 0, 1, 1, 0, kWhite, alpha);
  }
  void new_at(double x, double y, double alpha = 1) {
    draw_texture_ext(graphics_, frames_.new_texture, x, y, 0, 0, 1, 1, 0, kWhite, alpha);
  }
  // The rectangle of the new frame where it belongs.
  void show_part(int left, int top, int width, int height) {
    draw_texture_part(graphics_, frames_.new_texture, left, top, width, height, left, top, 1, 1,
                      kWhite, 1);
  }

  void wipe(Direction d, double f) {
    old_at(0, 0);
    int left = 0, top = 0, width = w_, height = h_;
    if (d.dx != 0) {
      width = rounded(w_ * f);
      if (d.dx < 0) left = w_ - width;
    }
    if (d.dy != 0) {
      height = rounded(h_ * f);
      if (d.dy < 0) top = h_ - height;
    }
    show_part(left, top, width, height);
  }

  void interlace(Direction d, double f) {
    const int n = frames_.steps;
    const int k = rounded(n * f);
    const int half = n / 2;
    if (k == n) {
      new_at(0, 0);
      return;
    }
    if (half >= k) {
      old_at(0, 0);
    } else {
      wipe(d, double(k - half) / half);
    }
    for (int j = 0; j <= half; ++j) {
      const int along = d.dx != 0 ? d.dx : d.dy;
      if (!((along == 1 && j <= k) || (along == -1 && j >= half - k))) continue;
      if (d.dx != 0) {
        show_part(rounded(2.0 * j * w_ / n), 0, rounded(double(w_) / n), h_);
      } else {
        show_part(0, rounded(2.0 * j * h_ / n), w_, rounded(double(h_) / n));
      }
    }
  }

  void rotate_in(double f, bool reverse) {
    const double a = 2 * std::numbers::pi * std::sqrt(f) * (reverse ? -1 : 1);
    const double s = f;
    const double p = w_ / 2.0 - s * (w_ / 2.0) * std::cos(a) - s * (h_ / 2.0) * std::sin(a);
    const double q = h_ / 2.0 - s * (h_ / 2.0) * std::cos(a) + s * (w_ / 2.0) * std::sin(a);
    old_at(0, 0);
    draw_texture_ext(graphics_, frames_.new_texture, p, q, 0, 0, s, s, a, kWhite, 1);
  }

  void draw(int kind, double f) {
    const int slide_x = rounded(w_ * f), slide_y = rounded(h_ * f);
    if (kind >= 1 && kind <= 4) {
      wipe(direction(kind, 1), f);
    } else if (kind == 5) {
      old_at(0, 0);
      show_part(rounded((w_ - w_ * f) * 0.5), rounded((h_ - h_ * f) * 0.5), rounded(w_ * f),
                rounded(h_ * f));
    } else if (kind >= 6 && kind <= 9) {
      const Direction d = direction(kind, 6);
      old_at(0, 0);
      new_at(d.dx * (slide_x - w_), d.dy * (slide_y - h_));
    } else if (kind >= 10 && kind <= 13) {
      interlace(direction(kind, 10), f);
    } else if (kind >= 14 && kind <= 17) {
      const Direction d = direction(kind, 14);
      old_at(d.dx * slide_x, d.dy * slide_y);
      new_at(d.dx * (slide_x - w_), d.dy * (slide_y - h_));
    } else if (kind == 18 || kind == 19) {
      rotate_in(f, kind == 19);
    } else if (kind == 20) {
      old_at(0, 0);
      new_at(0, 0, f);
    } else if (kind == 21) {
      draw_clear(graphics_, 0, 1);
      if (f > 0.5) {
        new_at(0, 0, 2 * f - 1);
      } else {
        old_at(0, 0, 1 - 2 * f);
      }
    }
  }

 private:
  Graphics& graphics_;
  const TransitionFrames& frames_;
  int w_, h_;
};

}  // namespace

void draw_transition_frame(Graphics& graphics, int kind, const TransitionFrames& frames, double f) {
  FrameDrawer(graphics, frames).draw(kind, f);
}

}  // namespace kestrel
