#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrel::platform {

// How the game's settings want the loading form to look. Images are BMP files
// as the game stores them.
struct LoadingLook {
  std::optional<std::vector<std::uint8_t>> image;
  std::optional<std::vector<std::uint8_t>> bar_back;
  std::optional<std::vector<std::uint8_t>> bar_front;
  bool show_bar = true;
  bool scale_bar = true;
  int alpha = 255;
  // The picture's bottom-left colour is see-through.
  bool transparent = false;
  // The progress text is shown beside the bars.
  bool show_label = false;
};

// The borderless window that shows how far loading and preparing the game
// have come. It goes when the object goes.
class LoadingForm {
 public:
  virtual ~LoadingForm() = default;
  virtual void show_progress(int percent, std::string_view text) = 0;
};

// Null when there is no display to show it on.
std::unique_ptr<LoadingForm> open_loading_form(const LoadingLook& look);

}  // namespace kestrel::platform
