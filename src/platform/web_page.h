#pragma once

#include <memory>
#include <string>

namespace kestrel::platform {

struct WebPageSettings {
  std::string caption;
  // The client area on the screen, pixels from the top left.
  int x = 0;
  int y = 0;
  int width = 640;
  int height = 480;
  bool border = true;
  bool stay_on_top = true;
  bool escape_closes = true;
};

// A web page in a window of its own; the window goes when the object goes.
class WebPageWindow {
 public:
  enum class State { Loading, Shown, Failed, Closed };
  virtual ~WebPageWindow() = default;
  // Hands the window its events, never waiting, and tells where it stands:
  // Failed when the page could not be shown, Closed by Escape or its close
  // button.
  virtual State pump() = 0;
};

// Whether pages show in windows of their own: the build has WebKitGTK and
// the library loads (at the first question); without, they go to the
// desktop's browser.
bool web_page_windows_built();

// Navigates to the address in a new window; null where there is no display
// or the build has no web view.
std::unique_ptr<WebPageWindow> open_web_page_window(const std::string& address,
                                                    const WebPageSettings& settings);

}  // namespace kestrel::platform
