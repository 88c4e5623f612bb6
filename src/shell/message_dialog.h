#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"
#include "shell/canvas.h"

namespace kestrel {

// A font as game code gives it: the colour in the game's form (red in the low
// byte), style 1 bold, 2 italic, 3 both.
struct DialogFont {
  std::string name = "Arial";
  int size = 10;
  int colour = 0;
  int style = 0;

  TextStyle text_style() const;
};

// The dialog's look, which game code changes for every dialog after.
struct MessageLook {
  MessageLook();

  PixelCanvas background;
  // Normal, under the mouse, held down.
  std::array<PixelCanvas, 3> buttons;
  DialogFont text_font{"Arial", 11, 0xFFFFFF, 0};
  DialogFont button_font{"Arial", 10, 0x402000, 1};
  DialogFont input_font{"Arial", 10, 0, 0};
  int mouse_colour = 0xA04000;
  int input_colour = 0xFFFFFF;
  // 255 is opaque.
  int alpha = 255;
  // Below 0 centres on that axis; below 1 computes that size.
  int x = -1;
  int y = -1;
  int width = 0;
  int height = 0;
  bool show_caption = false;
  std::string caption;
};

// What one dialog shows: the text, three button captions (an empty one hides
// its button) and, for a prompt, the field with its preset text.
struct MessageRequest {
  std::string text;
  std::array<std::string, 3> captions;
  bool prompt = false;
  std::string field;

  static MessageRequest message(std::string text, std::array<std::string, 3> captions) {
    return {std::move(text), std::move(captions), false, {}};
  }
  // The prompt has the one button "OK".
  static MessageRequest prompt_for(std::string text, std::string preset) {
    return {std::move(text), {"", "OK", ""}, true, std::move(preset)};
  }
};

// The character after the last '&' of a caption; 0 when there is none.
char caption_hot_key(std::string_view caption);
// The caption as its button shows it, without the '&' marks.
std::string caption_shown(std::string_view caption);

struct MessageLayout {
  int width = 0;
  int height = 0;
  DialogRectangle label;
  DialogRectangle input;
  std::array<DialogRectangle, 3> buttons;
  // The client area's place on the screen.
  int x = 0;
  int y = 0;
};

// The colour where the dialog is not drawn, 0xRRGGBB: that of the
// background picture's bottom-left pixel when that pixel is fully
// transparent; none otherwise.
std::optional<std::uint32_t> message_transparent_colour(const MessageLook& look);

// Places the parts in the client area and the window on the screen; the
// label and the field are as high as their text needs.
MessageLayout lay_out_message(const MessageLook& look, bool prompt, int label_height,
                              int input_height, const platform::DisplayMode& screen);

// A window's content drawn in memory, waited for until it closes: what keys,
// typing and clicks do to it, and its picture.
class DrawnDialog {
 public:
  virtual ~DrawnDialog() = default;
  virtual void key_down(int key) {}
  virtual void key_up(int key) {}
  virtual void character(unsigned char c) {}
  // In client pixels.
  virtual void mouse_moved(int x, int y) {}
  virtual void mouse_down() {}
  virtual void mouse_up() {}
  // A click somewhere else than in the dialog.
  virtual void click_outside() {}
  // The window's close button.
  virtual void close_requested() = 0;
  virtual bool closed() const = 0;
  // Whether its picture has changed by itself (a video's next picture is due).
  virtual bool changed_by_itself() const { return false; }
  virtual const PixelCanvas& paint() = 0;
};

// The message dialog without its window.
class MessageDialog final : public DrawnDialog {
 public:
  MessageDialog(const MessageLook& look, MessageRequest request,
                const platform::DisplayMode& screen);

  void key_down(int key) override;
  void key_up(int key) override;
  void character(unsigned char c) override;
  void mouse_moved(int x, int y) override;
  void mouse_down() override;
  void mouse_up() override;
  void close_requested() override { press(0); }

  bool closed() const override { return closed_; }
  // The button that closed it, 0 for Escape.
  int result() const { return result_; }
  const std::string& field() const { return request_.field; }
  const MessageLayout& layout() const { return layout_; }
  bool visible(int button) const { return !request_.captions[button - 1].empty(); }
  // The first visible button, which Enter presses; 0 when none shows.
  int first_visible() const;
  const PixelCanvas& paint() override;

 private:
  void press(int button);
  int button_at(int x, int y) const;

  const MessageLook& look_;
  MessageRequest request_;
  FontSet fonts_;
  TextLayout label_;
  MessageLayout layout_;
  bool closed_ = false;
  int result_ = 0;
  bool alt_held_ = false;
  // The preset text is selected: the first character typed replaces it.
  bool field_selected_ = true;
  int mouse_x_ = -1;
  int mouse_y_ = -1;
  int held_button_ = 0;
  PixelCanvas canvas_;
};

// One entry of a popup menu; a separator has no number.
struct MenuItem {
  std::string text;
  int number = -1;
  bool separator() const { return number < 0; }
};

// The items of a menu string: split at every '|', "-" a separator, every
// other item numbered from 0.
std::vector<MenuItem> parse_menu(std::string_view text);

// A popup menu without its window; a click elsewhere closes it without a choice.
class PopupMenu final : public DrawnDialog {
 public:
  explicit PopupMenu(std::vector<MenuItem> items);

  void key_down(int key) override;
  void mouse_moved(int x, int y) override;
  void mouse_up() override;
  void click_outside() override { closed_ = true; }
  void close_requested() override { closed_ = true; }

  bool closed() const override { return closed_; }
  // The chosen item's number, -1 when nothing was chosen.
  int chosen() const { return chosen_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const PixelCanvas& paint() override;

 private:
  int item_at(int y) const;
  void move_highlight(int direction);

  std::vector<MenuItem> items_;
  std::vector<DialogRectangle> places_;
  FontSet fonts_;
  int width_ = 1;
  int height_ = 1;
  int highlight_ = -1;
  int chosen_ = -1;
  bool closed_ = false;
  PixelCanvas canvas_;
};

}  // namespace kestrel
