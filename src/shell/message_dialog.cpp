#include "shell/message_dialog.h"

#include <algorithm>
#include <cctype>

namespace kestrel {
namespace {

namespace key {
constexpr int kSpace = 32;
constexpr int kUp = 38;
constexpr int kDown = 40;
}  // namespace key

// The parts' distances from the edges and from each other.
constexpr int kEdge = 24;
constexpr int kGap = 16;
constexpr int kFieldPadding = 4;

// The designed pictures: a deep blue panel that lightens towards its foot,
// framed by a pale line, and rounded silver buttons.
PixelCanvas designed_background() {
  PixelCanvas picture{360, 140, {}};
  picture.argb.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    const int shade = y * 60 / picture.height;
    const std::uint32_t colour = 0xFF000000 | static_cast<std::uint32_t>(16 + shade / 2) << 16 |
                                 static_cast<std::uint32_t>(40 + shade) << 8 |
                                 static_cast<std::uint32_t>(96 + shade * 2);
    for (int x = 0; x < picture.width; ++x) {
      const bool frame = x < 2 || y < 2 || x >= picture.width - 2 || y >= picture.height - 2;
      picture.argb[static_cast<std::size_t>(y) * picture.width + x] = frame ? 0xFF8CA8E0 : colour;
    }
  }
  return picture;
}

// `lift` brightens the face: 0 normal, above for under the mouse, below for held.
PixelCanvas designed_button(int lift) {
  PixelCanvas picture{84, 26, {}};
  picture.argb.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  constexpr int kRadius = 5;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const int dx = std::max({kRadius - x, x - (picture.width - 1 - kRadius), 0});
      const int dy = std::max({kRadius - y, y - (picture.height - 1 - kRadius), 0});
      const int distance = dx * dx + dy * dy;
      if (distance > kRadius * kRadius) continue;
      const bool rim = distance > (kRadius - 1) * (kRadius - 1) || x == 0 || y == 0 ||
                       x == picture.width - 1 || y == picture.height - 1;
      const int face = std::clamp(236 - y * 2 + lift, 0, 255);
      const auto grey = static_cast<std::uint32_t>(rim ? 90 : face);
      picture.argb[static_cast<std::size_t>(y) * picture.width + x] =
          0xFF000000 | grey << 16 | grey << 8 | std::min<std::uint32_t>(grey + 12, 255);
    }
  }
  return picture;
}

RichText one_paragraph(const TextStyle& style, std::string_view text) {
  RichText rich;
  TextParagraph& paragraph = rich.paragraphs.emplace_back();
  paragraph.mark = style;
  // A carriage return breaks the line as a line feed does.
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  paragraph.runs.push_back({style, canvas_text::widen(lines)});
  return rich;
}

}  // namespace

TextStyle DialogFont::text_style() const {
  TextStyle text;
  text.font = name;
  text.half_points = std::max(size, 1) * 2;
  text.bold = (style & 1) != 0;
  text.italic = (style & 2) != 0;
  text.colour = rgb_from_game_colour(colour);
  return text;
}

MessageLook::MessageLook()
    : background(designed_background()),
      buttons{designed_button(0), designed_button(14), designed_button(-30)} {}

char caption_hot_key(std::string_view caption) {
  const std::size_t mark = caption.rfind('&');
  if (mark == std::string_view::npos || mark + 1 >= caption.size()) return 0;
  return caption[mark + 1];
}

std::string caption_shown(std::string_view caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    // "&&" shows one ampersand.
    if (caption[i] == '&' && ++i >= caption.size()) break;
    shown += caption[i];
  }
  return shown;
}

MessageLayout lay_out_message(const MessageLook& look, bool prompt, int label_height,
                              int input_height, const platform::DisplayMode& screen) {
  MessageLayout layout;
  layout.width = look.width >= 1 ? look.width : std::max(look.background.width, 1);
  const int button_width = look.buttons[0].width;
  const int button_height = look.buttons[0].height;
  layout.height = look.height >= 1 ? look.height
                                   : label_height + button_height + 3 * kGap +
                                         (prompt ? input_height + kGap : 0);
  layout.label = {kEdge, kGap, layout.width - 2 * kEdge, label_height};
  const int buttons_top = layout.height - kGap - button_height;
  layout.buttons = {
      DialogRectangle{kEdge, buttons_top, button_width, button_height},
      DialogRectangle{(layout.width - button_width) / 2, buttons_top, button_width, button_height},
      DialogRectangle{layout.width - button_width - kEdge, buttons_top, button_width,
                      button_height}};
  layout.input = {kEdge, buttons_top - kGap - input_height, layout.width - 2 * kEdge, input_height};
  layout.x = look.x >= 0 ? look.x : (screen.width - layout.width) / 2;
  layout.y = look.y >= 0 ? look.y : (screen.height - layout.height) / 2;
  return layout;
}

std::optional<std::uint32_t> message_transparent_colour(const MessageLook& look) {
  const PixelCanvas& picture = look.background;
  if (picture.width < 1 || picture.height < 1) return std::nullopt;
  const std::uint32_t corner =
      picture.argb[static_cast<std::size_t>(picture.height - 1) * picture.width];
  if (corner >> 24 != 0) return std::nullopt;
  return corner & 0xFFFFFF;
}

MessageDialog::MessageDialog(const MessageLook& look, MessageRequest request,
                             const platform::DisplayMode& screen)
    : look_(look), request_(std::move(request)) {
  const int label_width = (look.width >= 1 ? look.width : look.background.width) - 2 * kEdge;
  label_ = lay_out_text(one_paragraph(look.text_font.text_style(), request_.text + " "),
                        std::max(label_width, 1), fonts_);
  const int input_height =
      canvas_text::line_height(fonts_, look.input_font.text_style()) + 2 * kFieldPadding;
  layout_ = lay_out_message(look, request_.prompt, label_.height, input_height, screen);
}

int MessageDialog::first_visible() const {
  for (int button = 1; button <= 3; ++button) {
    if (visible(button)) return button;
  }
  return 0;
}

void MessageDialog::press(int button) {
  result_ = button;
  closed_ = true;
}

int MessageDialog::button_at(int x, int y) const {
  for (int button = 1; button <= 3; ++button) {
    if (visible(button) && layout_.buttons[button - 1].contains(x, y)) return button;
  }
  return 0;
}

void MessageDialog::key_down(int key) {
  if (key == platform::vk::kAlt) {
    alt_held_ = true;
    return;
  }
  if (closed_) return;
  if (key == platform::vk::kEscape) {
    press(0);
    return;
  }
  if (key == platform::vk::kEnter || (key == key::kSpace && !request_.prompt)) {
    if (const int button = first_visible(); button != 0) press(button);
    return;
  }
  if (request_.prompt && !alt_held_) {
    if (key == platform::vk::kBackspace) {
      if (field_selected_) request_.field.clear();
      if (!request_.field.empty()) request_.field.pop_back();
      field_selected_ = false;
    }
    return;
  }
  for (int button = 1; button <= 3; ++button) {
    const char hot = caption_hot_key(request_.captions[button - 1]);
    if (visible(button) && hot != 0 && std::toupper(static_cast<unsigned char>(hot)) == key) {
      press(button);
      return;
    }
  }
}

void MessageDialog::key_up(int key) {
  if (key == platform::vk::kAlt) alt_held_ = false;
}

void MessageDialog::character(unsigned char c) {
  if (closed_ || !request_.prompt || alt_held_ || c < 32) return;
  if (field_selected_) request_.field.clear();
  field_selected_ = false;
  request_.field += static_cast<char>(c);
}

void MessageDialog::mouse_moved(int x, int y) {
  mouse_x_ = x;
  mouse_y_ = y;
}

void MessageDialog::mouse_down() {
  held_button_ = button_at(mouse_x_, mouse_y_);
}

void MessageDialog::mouse_up() {
  const int button = button_at(mouse_x_, mouse_y_);
  if (button != 0 && button == held_button_ && !closed_) press(button);
  held_button_ = 0;
}

const PixelCanvas& MessageDialog::paint() {
  canvas_.width = std::max(layout_.width, 1);
  canvas_.height = std::max(layout_.height, 1);
  // The background's transparent pixels leave the colour where the window is not drawn.
  canvas_.argb.assign(static_cast<std::size_t>(canvas_.width) * canvas_.height,
                      0xFF000000 | message_transparent_colour(look_).value_or(0));
  draw_picture(canvas_, look_.background, {0, 0, canvas_.width, canvas_.height});
  paint_text(label_, fonts_, layout_.label.x, layout_.label.y, canvas_);
  if (request_.prompt) {
    const DialogRectangle& field = layout_.input;
    fill_rectangle(canvas_, field, 0x808080);
    fill_rectangle(canvas_, {field.x + 1, field.y + 1, field.width - 2, field.height - 2},
                   rgb_from_game_colour(look_.input_colour));
    TextStyle style = look_.input_font.text_style();
    const std::u32string text = canvas_text::widen(request_.field);
    const int text_width = canvas_text::width(fonts_, style, text);
    const int left = field.x + kFieldPadding;
    const int line = canvas_text::line_height(fonts_, style);
    if (field_selected_ && !text.empty()) {
      fill_rectangle(canvas_, {left, field.y + kFieldPadding, text_width, line}, 0x3060C0);
      style.colour = 0xFFFFFF;
    }
    canvas_text::paint_line(canvas_, fonts_, style, text, left, field.y + kFieldPadding);
    fill_rectangle(canvas_, {left + text_width, field.y + kFieldPadding, 1, line},
                   rgb_from_game_colour(look_.input_font.colour));
  }
  for (int button = 1; button <= 3; ++button) {
    if (!visible(button)) continue;
    const DialogRectangle& place = layout_.buttons[button - 1];
    const bool over = place.contains(mouse_x_, mouse_y_);
    const int state = over && held_button_ == button ? 2 : over ? 1 : 0;
    draw_picture(canvas_, look_.buttons[state], place);
    TextStyle style = look_.button_font.text_style();
    if (over) style.colour = rgb_from_game_colour(look_.mouse_colour);
    const std::u32string caption = canvas_text::widen(caption_shown(request_.captions[button - 1]));
    const int width = canvas_text::width(fonts_, style, caption);
    const int height = canvas_text::line_height(fonts_, style);
    canvas_text::paint_line(canvas_, fonts_, style, caption, place.x + (place.width - width) / 2,
                            place.y + (place.height - height) / 2);
  }
  return canvas_;
}

std::vector<MenuItem> parse_menu(std::string_view text) {
  std::vector<MenuItem> items;
  int next = 0;
  while (true) {
    const std::size_t bar = text.find('|');
    const std::string_view item = text.substr(0, bar);
    if (item == "-") {
      items.push_back({"", -1});
    } else {
      items.push_back({std::string(item), next++});
    }
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  return items;
}

namespace {
constexpr int kMenuPadding = 3;
constexpr int kMenuTextLeft = 20;
constexpr int kSeparatorHeight = 8;
constexpr int kMinimumMenuWidth = 80;

TextStyle menu_style() {
  TextStyle style;
  style.font = "Arial";
  style.half_points = 20;
  return style;
}
}  // namespace

PopupMenu::PopupMenu(std::vector<MenuItem> items) : items_(std::move(items)) {
  const TextStyle style = menu_style();
  const int item_height = canvas_text::line_height(fonts_, style) + 6;
  int y = kMenuPadding;
  int widest = 0;
  for (const MenuItem& item : items_) {
    const int height = item.separator() ? kSeparatorHeight : item_height;
    places_.push_back({kMenuPadding, y, 0, height});
    y += height;
    widest = std::max(widest, canvas_text::width(fonts_, style, canvas_text::widen(item.text)));
  }
  width_ = std::max(widest + 2 * kMenuTextLeft + 2 * kMenuPadding, kMinimumMenuWidth);
  height_ = y + kMenuPadding;
  for (DialogRectangle& place : places_) place.width = width_ - 2 * kMenuPadding;
}

int PopupMenu::item_at(int y) const {
  for (std::size_t i = 0; i < places_.size(); ++i) {
    if (y >= places_[i].y && y < places_[i].y + places_[i].height) {
      return items_[i].separator() ? -1 : static_cast<int>(i);
    }
  }
  return -1;
}

void PopupMenu::move_highlight(int direction) {
  const int count = static_cast<int>(items_.size());
  for (int step = 1; step <= count; ++step) {
    const int at =
        ((highlight_ < 0 && direction < 0 ? count : highlight_) + direction * step + count * 2) %
        count;
    if (!items_[at].separator()) {
      highlight_ = at;
      return;
    }
  }
}

void PopupMenu::key_down(int key) {
  if (key == platform::vk::kEscape) {
    closed_ = true;
  } else if (key == key::kUp || key == key::kDown) {
    move_highlight(key == key::kUp ? -1 : 1);
  } else if (key == platform::vk::kEnter && highlight_ >= 0) {
    chosen_ = items_[highlight_].number;
    closed_ = true;
  }
}

void PopupMenu::mouse_moved(int x, int y) {
  highlight_ = x >= 0 && x < width_ ? item_at(y) : -1;
}

void PopupMenu::mouse_up() {
  if (highlight_ < 0) return;
  chosen_ = items_[highlight_].number;
  closed_ = true;
}

const PixelCanvas& PopupMenu::paint() {
  canvas_.width = width_;
  canvas_.height = height_;
  canvas_.argb.assign(static_cast<std::size_t>(width_) * height_, 0xFF808080);
  fill_rectangle(canvas_, {1, 1, width_ - 2, height_ - 2}, 0xF2F2F2);
  const TextStyle normal = menu_style();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const DialogRectangle& place = places_[i];
    if (items_[i].separator()) {
      fill_rectangle(canvas_, {place.x + 4, place.y + place.height / 2, place.width - 8, 1},
                     0xB0B0B0);
      continue;
    }
    TextStyle style = normal;
    if (static_cast<int>(i) == highlight_) {
      fill_rectangle(canvas_, place, 0x3366CC);
      style.colour = 0xFFFFFF;
    }
    canvas_text::paint_line(canvas_, fonts_, style, canvas_text::widen(items_[i].text),
                            place.x + kMenuTextLeft, place.y + 3);
  }
  return canvas_;
}

}  // namespace kestrel
