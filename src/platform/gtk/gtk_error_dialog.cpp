#include <gtk/gtk.h>

#include <string>

#include "platform/error_dialog.h"
#include "platform/gtk/gtk_text.h"

namespace kestrel::platform {
namespace {

constexpr char kSeparator[] = "___________________________________________";

// Responses of the buttons that act without closing the dialog.
enum Response { kIgnore = 1, kAbort = 2, kClear = 3, kCopy = 4 };

class GtkErrorDialog final : public ErrorDialog {
 public:
  GtkErrorDialog() {
    dialog_ = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog_), "Error Messages");
    gtk_window_set_default_size(GTK_WINDOW(dialog_), 560, 360);
    gtk_window_set_modal(GTK_WINDOW(dialog_), TRUE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog_), TRUE);

    text_view_ = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(text_view_), FALSE);
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(text_view_), TRUE);
    buffer_ = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text_view_));
    scroller_ = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller_), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_ALWAYS);
    gtk_container_add(GTK_CONTAINER(scroller_), text_view_);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog_));
    gtk_box_pack_start(GTK_BOX(content), scroller_, TRUE, TRUE, 0);

    ignore_ = add_button("_Ignore", kIgnore, "Ignore the error and continue the game");
    add_button("_Abort", kAbort, "Abort the execution of the game");
    add_button("C_lear", kClear, "Clear the list of error messages");
    add_button("_Copy", kCopy, "Copy the error messages to the clipboard");
    gtk_dialog_set_default_response(GTK_DIALOG(dialog_), kAbort);
    gtk_widget_show_all(content);
  }

  ~GtkErrorDialog() override {
    gtk_widget_destroy(dialog_);
    settle();
  }

  ErrorChoice show(std::string_view message, bool fatal) override {
    append(message);
    gtk_widget_set_visible(ignore_, !fatal);
    ErrorChoice choice = ErrorChoice::Abort;
    for (bool waiting = true; waiting;) {
      switch (gtk_dialog_run(GTK_DIALOG(dialog_))) {
        case kClear:
          gtk_text_buffer_set_text(buffer_, "", 0);
          break;
        case kCopy:
          copy_to_clipboard();
          break;
        case kIgnore:
          choice = ErrorChoice::Ignore;
          waiting = false;
          break;
        default:
          waiting = false;
          break;
      }
    }
    gtk_widget_hide(dialog_);
    settle();
    return choice;
  }

 private:
  GtkWidget* add_button(const char* label, Response response, const char* hint) {
    GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog_), label, response);
    gtk_widget_set_tooltip_text(button, hint);
    return button;
  }

  // An empty line, the separator and the message, one line per carriage
  // return; line feeds are dropped. The view then shows the end.
  void append(std::string_view message) {
    std::string text = "\n";
    text += kSeparator;
    text += '\n';
    for (char c : message) {
      if (c == '\r')
        text += '\n';
      else if (c != '\n')
        text += c;
    }
    text += '\n';
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(buffer_, &end);
    const std::string valid = valid_utf8(text);
    gtk_text_buffer_insert(buffer_, &end, valid.data(), static_cast<gint>(valid.size()));
    gtk_text_buffer_get_end_iter(buffer_, &end);
    GtkTextMark* mark = gtk_text_buffer_create_mark(buffer_, nullptr, &end, FALSE);
    gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(text_view_), mark, 0, FALSE, 0, 1);
    gtk_text_buffer_delete_mark(buffer_, mark);
  }

  // Game texts are single bytes; the view wants UTF-8.
  static std::string valid_utf8(const std::string& text) {
    gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8",
                                 "ISO-8859-1", nullptr, nullptr, nullptr);
    if (converted == nullptr) return text;
    std::string result(converted);
    g_free(converted);
    return result;
  }

  // The whole text goes to the clipboard; the view keeps its scroll position.
  void copy_to_clipboard() {
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer_, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer_, &start, &end, FALSE);
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_text(clipboard, text, -1);
    gtk_clipboard_store(clipboard);
    g_free(text);
  }

  GtkWidget* dialog_ = nullptr;
  GtkWidget* text_view_ = nullptr;
  GtkWidget* scroller_ = nullptr;
  GtkWidget* ignore_ = nullptr;
  GtkTextBuffer* buffer_ = nullptr;
};

}  // namespace

std::unique_ptr<ErrorDialog> open_error_dialog() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkErrorDialog>();
}

}  // namespace kestrel::platform
