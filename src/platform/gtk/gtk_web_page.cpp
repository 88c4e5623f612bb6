#include <dlfcn.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <optional>

#include "platform/gtk/gtk_text.h"
#include "platform/web_page.h"

namespace kestrel::platform {
namespace {

// Loading WebKitGTK and the libraries under it would cost every start of a
// game a tenth of a second, so the web view is loaded when a page is first
// shown.
struct WebView {
  GtkWidget* (*make)() = nullptr;
  void (*load_uri)(WebKitWebView*, const gchar*) = nullptr;
};

// The loaded functions; null when the library or one of them is missing.
const WebView* web_view() {
  static const std::optional<WebView> loaded = []() -> std::optional<WebView> {
    // Never closed: the library keeps threads and types of its own.
    void* library = dlopen("libwebkit2gtk-4.1.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;
    WebView view;
    view.make = reinterpret_cast<decltype(view.make)>(dlsym(library, "webkit_web_view_new"));
    view.load_uri =
        reinterpret_cast<decltype(view.load_uri)>(dlsym(library, "webkit_web_view_load_uri"));
    if (view.make == nullptr || view.load_uri == nullptr) return std::nullopt;
    return view;
  }();
  return loaded ? &*loaded : nullptr;
}

class GtkWebPageWindow final : public WebPageWindow {
 public:
  GtkWebPageWindow(const WebView& web, const std::string& address, const WebPageSettings& settings)
      : escape_closes_(settings.escape_closes) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(window_);
    gtk_window_set_title(window, utf8(settings.caption).c_str());
    gtk_window_set_decorated(window, settings.border);
    gtk_window_set_keep_above(window, settings.stay_on_top);
    gtk_window_set_default_size(window, settings.width, settings.height);
    gtk_window_move(window, settings.x, settings.y);
    GtkWidget* view = web.make();
    gtk_container_add(GTK_CONTAINER(window_), view);
    g_signal_connect(view, "load-changed", G_CALLBACK(&load_changed), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(&load_failed), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(&key_pressed), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(&close_requested), this);
    gtk_widget_show_all(window_);
    gtk_window_present(window);
    web.load_uri(reinterpret_cast<WebKitWebView*>(view), utf8(address).c_str());
  }
  GtkWebPageWindow(const GtkWebPageWindow&) = delete;
  GtkWebPageWindow& operator=(const GtkWebPageWindow&) = delete;
  ~GtkWebPageWindow() override {
    gtk_widget_destroy(window_);
    settle();
  }

  State pump() override {
    settle();
    return state_;
  }

 private:
  static GtkWebPageWindow& self(gpointer data) { return *static_cast<GtkWebPageWindow*>(data); }

  static void load_changed(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    GtkWebPageWindow& window = self(data);
    if (event == WEBKIT_LOAD_FINISHED && window.state_ == State::Loading) {
      window.state_ = State::Shown;
    }
  }

  // Only the first page decides whether the splash shows; a link that fails
  // later gets the web view's own error page.
  static gboolean load_failed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer data) {
    GtkWebPageWindow& window = self(data);
    if (window.state_ != State::Loading) return FALSE;
    window.state_ = State::Failed;
    return TRUE;
  }

  static gboolean key_pressed(GtkWidget*, GdkEventKey* event, gpointer data) {
    GtkWebPageWindow& window = self(data);
    if (event->keyval != GDK_KEY_Escape || !window.escape_closes_) return FALSE;
    window.state_ = State::Closed;
    return TRUE;
  }

  // The window stays until its owner lets it go.
  static gboolean close_requested(GtkWidget*, GdkEvent*, gpointer data) {
    self(data).state_ = State::Closed;
    return TRUE;
  }

  GtkWidget* window_ = nullptr;
  bool escape_closes_;
  State state_ = State::Loading;
};

}  // namespace

bool web_page_windows_built() {
  return web_view() != nullptr;
}

std::unique_ptr<WebPageWindow> open_web_page_window(const std::string& address,
                                                    const WebPageSettings& settings) {
  const WebView* web = web_view();
  if (web == nullptr || !gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkWebPageWindow>(*web, address, settings);
}

}  // namespace kestrel::platform
