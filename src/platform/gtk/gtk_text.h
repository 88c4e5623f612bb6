#pragma once

#include <gtk/gtk.h>

#include <string>

namespace kestrel::platform {

// Game texts are single bytes; GTK wants UTF-8.
inline std::string utf8(const std::string& text) {
  gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8", "ISO-8859-1",
                               nullptr, nullptr, nullptr);
  if (converted == nullptr) return text;
  std::string result(converted);
  g_free(converted);
  return result;
}

inline std::string latin1(const char* text) {
  gchar* converted = g_convert(text, -1, "ISO-8859-1", "UTF-8", nullptr, nullptr, nullptr);
  if (converted == nullptr) return text;
  std::string result(converted);
  g_free(converted);
  return result;
}

// Lets the window system carry out what was asked before the game goes on.
// Bounded, since a web view's timers can keep events pending without end on
// a loaded machine; the callers settle again on their next tick.
inline void settle() {
  constexpr int kMostEventsAtOnce = 1000;
  for (int i = 0; i < kMostEventsAtOnce && gtk_events_pending(); ++i) gtk_main_iteration();
}

}  // namespace kestrel::platform
