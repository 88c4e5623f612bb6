#include "shell/highscore_dialog.h"

#include <algorithm>

namespace kestrel {
namespace {

constexpr int kMargin = 16;
constexpr int kWidth = 360;
constexpr int kRankWidth = 36;
constexpr int kRowGap = 4;

}  // namespace

HighscoreDialog::HighscoreDialog(const HighscoreLook& look, std::array<HighscoreLine, 10> lines,
                                 int new_rank)
    : look_(look), lines_(std::move(lines)), new_rank_(new_rank) {
  row_height_ = std::max(canvas_text::line_height(fonts_, style(0)), 1) + kRowGap;
  width_ = kWidth;
  // The caption, ten rows and the hint, with a gap under the caption and above the hint.
  height_ = 2 * kMargin + row_height_ * 14;
}

TextStyle HighscoreDialog::style(int colour) const {
  const DialogFont font{look_.font_name, look_.font_size, colour, look_.font_style};
  return font.text_style();
}

const std::string& HighscoreDialog::typed_name() const {
  static const std::string kNone;
  return new_rank_ >= 1 ? lines_[new_rank_ - 1].name : kNone;
}

void HighscoreDialog::key_down(int key) {
  if (key == platform::vk::kEscape || key == platform::vk::kEnter) {
    closed_ = true;
  } else if (key == platform::vk::kBackspace && new_rank_ >= 1) {
    std::string& name = lines_[new_rank_ - 1].name;
    if (!name.empty()) name.pop_back();
  }
}

void HighscoreDialog::character(unsigned char c) {
  if (new_rank_ >= 1 && c >= 32) lines_[new_rank_ - 1].name += static_cast<char>(c);
}

const PixelCanvas& HighscoreDialog::paint() {
  canvas_.width = width_;
  canvas_.height = height_;
  canvas_.argb.assign(static_cast<std::size_t>(width_) * height_,
                      0xFF000000 | rgb_from_game_colour(look_.back_colour));
  draw_picture(canvas_, look_.background, {0, 0, width_, height_});
  if (look_.border) {
    const std::uint32_t frame = rgb_from_game_colour(look_.other_colour);
    fill_rectangle(canvas_, {0, 0, width_, 1}, frame);
    fill_rectangle(canvas_, {0, height_ - 1, width_, 1}, frame);
    fill_rectangle(canvas_, {0, 0, 1, height_}, frame);
    fill_rectangle(canvas_, {width_ - 1, 0, 1, height_}, frame);
  }
  const auto centred = [&](const std::string& text, int y) {
    TextStyle caption = style(look_.other_colour);
    const std::u32string wide = canvas_text::widen(text);
    const int text_width = canvas_text::width(fonts_, caption, wide);
    canvas_text::paint_line(canvas_, fonts_, caption, wide, (width_ - text_width) / 2, y);
  };
  TextStyle title = style(look_.other_colour);
  title.bold = true;
  const std::u32string caption = canvas_text::widen(look_.caption);
  canvas_text::paint_line(canvas_, fonts_, title, caption,
                          (width_ - canvas_text::width(fonts_, title, caption)) / 2, kMargin);
  for (int rank = 1; rank <= 10; ++rank) {
    const HighscoreLine& line = lines_[rank - 1];
    const bool fresh = rank == new_rank_;
    const TextStyle row = style(fresh ? look_.new_colour : look_.other_colour);
    const int y = kMargin + row_height_ * (rank + 1);
    canvas_text::paint_line(canvas_, fonts_, row, canvas_text::widen(std::to_string(rank) + "."),
                            kMargin, y);
    canvas_text::paint_line(canvas_, fonts_, row,
                            canvas_text::widen(fresh ? line.name + "|" : line.name),
                            kMargin + kRankWidth, y);
    const std::u32string score = canvas_text::widen(std::to_string(line.score));
    canvas_text::paint_line(canvas_, fonts_, row, score,
                            width_ - kMargin - canvas_text::width(fonts_, row, score), y);
  }
  centred(look_.close_hint, height_ - kMargin - row_height_ + kRowGap);
  return canvas_;
}

}  // namespace kestrel
