#pragma once

#include <array>
#include <string>

#include "shell/message_dialog.h"

namespace kestrel {

// The highscore table's settings, one set for the run.
struct HighscoreLook {
  // Stretched over the dialog; none while empty.
  PixelCanvas background;
  // Game colours: red in the low byte.
  int back_colour = 15793151;
  int new_colour = 255;
  int other_colour = 0;
  std::string font_name = "Times New Roman";
  int font_size = 12;
  int font_style = 0;
  bool border = true;
  std::string caption = "Top Ten Players";
  std::string empty_name = "<nobody>";
  std::string close_hint = "press <Escape> to close";
};

struct HighscoreLine {
  std::string name;
  int score = 0;
};

// The table shown to the player. With a new entry its name is typed in
// place; Escape or Enter closes it.
class HighscoreDialog final : public DrawnDialog {
 public:
  // `new_rank` 1 to 10, or 0 when there is no new entry.
  HighscoreDialog(const HighscoreLook& look, std::array<HighscoreLine, 10> lines, int new_rank);

  void key_down(int key) override;
  void character(unsigned char c) override;
  void close_requested() override { closed_ = true; }
  bool closed() const override { return closed_; }
  const PixelCanvas& paint() override;

  int width() const { return width_; }
  int height() const { return height_; }
  // The new entry's name as typed.
  const std::string& typed_name() const;

 private:
  TextStyle style(int colour) const;

  const HighscoreLook& look_;
  std::array<HighscoreLine, 10> lines_;
  int new_rank_;
  FontSet fonts_;
  int row_height_ = 1;
  int width_ = 1;
  int height_ = 1;
  bool closed_ = false;
  PixelCanvas canvas_;
};

}  // namespace kestrel
