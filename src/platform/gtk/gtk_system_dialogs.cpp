#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/gtk/gtk_text.h"
#include "platform/system_dialogs.h"

namespace kestrel::platform {
namespace {

// Runs a dialog and destroys it; the current folder is put back, whatever
// the dialog did to it.
bool run_dialog(GtkWidget* dialog) {
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::current_path(ignored);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_hide(dialog);
  settle();
  if (!folder.empty()) std::filesystem::current_path(folder, ignored);
  return response == GTK_RESPONSE_ACCEPT || response == GTK_RESPONSE_OK;
}

SystemChoice chosen_path(GtkWidget* dialog) {
  SystemChoice choice;
  choice.shown = true;
  if (run_dialog(dialog)) {
    if (gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
      choice.chosen = true;
      choice.path = latin1(file);
      g_free(file);
    }
  }
  gtk_widget_destroy(dialog);
  settle();
  return choice;
}

}  // namespace

SystemChoice choose_file(bool save, const std::vector<FileFilter>& filters, const std::string& name,
                         const std::string& folder) {
  if (!gtk_init_check(nullptr, nullptr)) return {};
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      save ? "Save As" : "Open", nullptr,
      save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  for (const FileFilter& entry : filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, utf8(entry.name).c_str());
    for (const std::string& pattern : entry.patterns) {
      gtk_file_filter_add_pattern(filter, pattern == "*.*" ? "*" : utf8(pattern).c_str());
    }
    gtk_file_chooser_add_filter(chooser, filter);
  }
  gtk_file_chooser_set_current_folder(chooser, utf8(folder).c_str());
  if (save) {
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_current_name(chooser, utf8(name).c_str());
  } else if (!name.empty()) {
    gtk_file_chooser_set_filename(chooser,
                                  utf8((std::filesystem::path(folder) / name).string()).c_str());
  }
  return chosen_path(dialog);
}

SystemChoice choose_folder(const std::string& caption, const std::string& start) {
  if (!gtk_init_check(nullptr, nullptr)) return {};
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(caption.empty() ? "Select Folder" : utf8(caption).c_str(),
                                  nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
                                  GTK_RESPONSE_CANCEL, "_Select", GTK_RESPONSE_ACCEPT, nullptr);
  if (!start.empty())
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), utf8(start).c_str());
  return chosen_path(dialog);
}

SystemChoice choose_colour(int rgb) {
  if (!gtk_init_check(nullptr, nullptr)) return {};
  GtkWidget* dialog = gtk_color_chooser_dialog_new("Color", nullptr);
  GdkRGBA preset{(rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
  gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(dialog), &preset);
  SystemChoice choice;
  choice.shown = true;
  if (run_dialog(dialog)) {
    GdkRGBA picked;
    gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(dialog), &picked);
    const auto channel = [](double value) {
      return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    choice.chosen = true;
    choice.colour = channel(picked.red) << 16 | channel(picked.green) << 8 | channel(picked.blue);
  }
  gtk_widget_destroy(dialog);
  settle();
  return choice;
}

}  // namespace kestrel::platform
