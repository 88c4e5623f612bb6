// Builds without WebKitGTK have no web view: pages go to the desktop's browser.
#include "platform/web_page.h"

namespace kestrel::platform {

bool web_page_windows_built() {
  return false;
}

std::unique_ptr<WebPageWindow> open_web_page_window(const std::string&, const WebPageSettings&) {
  return nullptr;
}

}  // namespace kestrel::platform
