#include "graphics/image/BM32_Effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrel {
namespace {

constexpr int kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3;

std::uint8_t* pixel(TBitmap32& image, int x, int y) {
  return &image.pixels[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4];
}
const std::uint8_t* pixel(const TBitmap32& image, int x, int y) {
  return &image.pixels[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4];
}

struct Bgra {
  std::uint8_t b, g, r;
};

Bgra from_colour(std::int64_t colour) {
  return {std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour)};
}

// The colour for fraction f between the two: each channel mixed and rounded.
Bgra mix(Bgra a, Bgra b, double f) {
  const auto channel = [f](std::uint8_t x, std::uint8_t y) {
    return std::uint8_t(std::clamp(std::nearbyint((1 - f) * x + f * y), 0.0, 255.0));
  };
  return {channel(a.b, b.b), channel(a.g, b.g), channel(a.r, b.r)};
}

// Opaque drawing into an image, clipped to it; right and bottom edges of
// rectangles and the last point of lines are left out, as the painter that
// games were made with does.
class Painter {
 public:
  explicit Painter(TBitmap32& image) : image_(image) {}

  void set(int x, int y, Bgra c) {
    if (x < 0 || y < 0 || x >= image_.width || y >= image_.height) return;
    std::uint8_t* p = pixel(image_, x, y);
    p[kBlue] = c.b;
    p[kGreen] = c.g;
    p[kRed] = c.r;
    p[kAlpha] = 255;
  }
  void line(int x0, int y0, int x1, int y1, Bgra c) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (x0 != x1 || y0 != y1) {
      set(x0, y0, c);
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x0 += sx;
      }
      if (twice <= dx) {
        error += dx;
        y0 += sy;
      }
    }
  }
  void rectangle(int left, int top, int right, int bottom, Bgra c) {
    for (int y = std::max(top, 0); y < std::min(bottom, image_.height); ++y)
      for (int x = std::max(left, 0); x < std::min(right, image_.width); ++x) set(x, y, c);
  }
  void ellipse(int left, int top, int right, int bottom, Bgra c) {
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    for (int y = std::max(top, 0); y < std::min(bottom, image_.height); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, image_.width); ++x) {
        const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        if (u * u + v * v <= 1) set(x, y, c);
      }
    }
  }

 private:
  TBitmap32& image_;
};

// f = i / n, and 0 where n is 0.
double fraction(int i, int n) {
  return n == 0 ? 0.0 : double(i) / n;
}

}  // namespace

void MakeBottomLeftTransparent(TBitmap32& image, int tolerance) {
  if (!image.has_pixels()) return;
  const std::uint8_t* key = pixel(image, 0, image.height - 1);
  const int b = key[kBlue], g = key[kGreen], r = key[kRed];
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    std::uint8_t* p = &image.pixels[i];
    if (std::abs(p[kBlue] - b) <= tolerance && std::abs(p[kGreen] - g) <= tolerance &&
        std::abs(p[kRed] - r) <= tolerance) {
      p[kAlpha] = 0;
    }
  }
}

void SmoothEdges(TBitmap32& image) {
  if (!image.has_pixels()) return;
  // Decide from the alpha before any pixel lost some.
  std::vector<bool> clear(std::size_t(image.width) * std::size_t(image.height));
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      clear[std::size_t(y) * image.width + x] = pixel(image, x, y)[kAlpha] == 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!clear[std::size_t(y) * image.width + x]) continue;
      for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, image.height - 1); ++ny) {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, image.width - 1); ++nx) {
          std::uint8_t& alpha = pixel(image, nx, ny)[kAlpha];
          if (alpha >= 32) alpha = std::uint8_t(alpha - 32);
        }
      }
    }
  }
}

void RemoveFringe(TBitmap32& image) {
  if (!image.has_pixels()) return;
  const TBitmap32 before = image;
  const auto visible = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height &&
           pixel(before, x, y)[kAlpha] != 0;
  };
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (pixel(before, x, y)[kAlpha] != 0) continue;
      for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
        if (!visible(nx, ny)) continue;
        std::copy_n(pixel(before, nx, ny), 3, pixel(image, x, y));
        break;
      }
    }
  }
}

void PreparePicture(TBitmap32& image, bool remove_back, bool smooth) {
  if (remove_back) MakeBottomLeftTransparent(image);
  if (smooth) SmoothEdges(image);
  if (remove_back) RemoveFringe(image);
}

void TakeAlphaFrom(TBitmap32& image, const TBitmap32& source) {
  const int width = std::min(image.width, source.width);
  const int height = std::min(image.height, source.height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* s = pixel(source, x, y);
      std::uint8_t& alpha = pixel(image, x, y)[kAlpha];
      alpha = std::uint8_t(alpha * (s[kRed] + s[kGreen] + s[kBlue]) / 765);
    }
  }
}

void ResizeImage(TBitmap32& image, int width, int height) {
  if (width < 1 || height < 1 || (width == image.width && height == image.height)) return;
  TBitmap32 resized{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  if (image.has_pixels()) {
    const double xstep = double(width) / image.width, ystep = double(height) / image.height;
    for (int y = 0; y < height; ++y) {
      const int sy = std::min(int(std::floor(y / ystep)), image.height - 1);
      for (int x = 0; x < width; ++x) {
        const int sx = std::min(int(std::floor(x / xstep)), image.width - 1);
        const std::uint8_t* s = pixel(image, sx, sy);
        if (s[kAlpha] != 0) std::copy_n(s, 4, pixel(resized, x, y));
      }
    }
  }
  image = std::move(resized);
}

TBitmap32 CropImage(const TBitmap32& image, int x, int y, int width, int height) {
  TBitmap32 part{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  for (int row = 0; row < height; ++row)
    std::copy_n(pixel(image, x, y + row), std::size_t(width) * 4, pixel(part, 0, row));
  return part;
}

TBitmap32 FilledImage(int width, int height, std::int64_t colour) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  TBitmap32 image{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  Painter(image).rectangle(0, 0, width, height, from_colour(colour));
  return image;
}

TBitmap32 GradientImage(int width, int height, std::int64_t colour1, std::int64_t colour2,
                        int kind) {
  TBitmap32 image = FilledImage(width, height, colour1);
  const int w = image.width, h = image.height;
  const Bgra c1 = from_colour(colour1), c2 = from_colour(colour2);
  Painter paint(image);
  const int m = std::min(w, h) / 2;
  switch (kind) {
    case 0:
      for (int x = 0; x < w; ++x) paint.line(x, 0, x, h, mix(c1, c2, fraction(x, w)));
      break;
    case 1:
      for (int y = 0; y < h; ++y) paint.line(0, y, w, y, mix(c1, c2, fraction(y, h)));
      break;
    case 2:
      for (int i = 0; i <= m; ++i) paint.rectangle(i, i, w - i, h - i, mix(c1, c2, fraction(i, m)));
      break;
    case 3:
      for (int i = 0; i <= m; ++i) paint.ellipse(i, i, w - i, h - i, mix(c1, c2, fraction(i, m)));
      break;
    case 4:
      for (int x = 0; x <= w / 2; ++x) {
        const Bgra c = mix(c1, c2, fraction(x, w / 2));
        paint.line(x, 0, x, h, c);
        paint.line(w - x, 0, w - x, h, c);
      }
      break;
    case 5:
      for (int y = 0; y <= h / 2; ++y) {
        const Bgra c = mix(c1, c2, fraction(y, h / 2));
        paint.line(0, y, w, y, c);
        paint.line(0, h - y, w, h - y, c);
      }
      break;
    case 6:
      for (int i = 0; i <= h; ++i) {
        const Bgra c = mix(c1, c2, fraction(i, h));
        paint.line(0, i, w, i + h, c);
        paint.line(0, -i, w, h - i, c);
      }
      break;
    case 7:
      for (int i = 0; i <= h; ++i) {
        const Bgra c = mix(c1, c2, fraction(i, h));
        paint.line(0, i + h, w, i, c);
        paint.line(0, h - i, w, -i, c);
      }
      break;
    case 8:
    case 9:
    case 10:
    case 11: {
      const int cx = kind == 9 || kind == 11 ? w : 0;
      const int cy = kind >= 10 ? h : 0;
      const int most = std::min(w, h);
      for (int r = most; r >= 1; --r)
        paint.ellipse(cx - r, cy - r, cx + r, cy + r, mix(c2, c1, fraction(r, most)));
      break;
    }
    default:
      break;
  }
  return image;
}

}  // namespace kestrel
