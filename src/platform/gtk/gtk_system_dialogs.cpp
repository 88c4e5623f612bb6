#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/gtk/gtk_text.h"
#include "platform/print_pages.h"
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

// A text being printed: laid out once the page size is known, then drawn page by page.
struct PrintJob {
  std::string text;
  double margin = 0;
  PangoLayout* layout = nullptr;
  std::vector<std::size_t> pages;

  ~PrintJob() {
    if (layout != nullptr) g_object_unref(layout);
  }

  double line_height(int line) const {
    PangoRectangle logical;
    pango_layout_line_get_extents(pango_layout_get_line_readonly(layout, line), nullptr, &logical);
    return pango_units_to_double(logical.height);
  }

  static void begin(GtkPrintOperation* operation, GtkPrintContext* context, gpointer data) {
    PrintJob& job = *static_cast<PrintJob*>(data);
    const double width = gtk_print_context_get_width(context) - 2 * job.margin;
    const double height = gtk_print_context_get_height(context) - 2 * job.margin;
    job.layout = gtk_print_context_create_pango_layout(context);
    PangoFontDescription* font = pango_font_description_from_string("Courier New 10");
    pango_layout_set_font_description(job.layout, font);
    pango_font_description_free(font);
    pango_layout_set_width(job.layout, pango_units_from_double(std::max(width, 1.0)));
    pango_layout_set_wrap(job.layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_text(job.layout, job.text.c_str(), -1);
    std::vector<double> heights;
    for (int line = 0; line < pango_layout_get_line_count(job.layout); ++line) {
      heights.push_back(job.line_height(line));
    }
    job.pages = page_starts(heights, height);
    gtk_print_operation_set_n_pages(operation, static_cast<gint>(job.pages.size()));
  }

  static void draw(GtkPrintOperation*, GtkPrintContext* context, gint page, gpointer data) {
    const PrintJob& job = *static_cast<const PrintJob*>(data);
    const auto index = static_cast<std::size_t>(page);
    const int end = index + 1 < job.pages.size() ? static_cast<int>(job.pages[index + 1])
                                                 : pango_layout_get_line_count(job.layout);
    cairo_t* cairo = gtk_print_context_get_cairo_context(context);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    double top = job.margin;
    for (int line = static_cast<int>(job.pages[index]); line < end; ++line) {
      PangoLayoutLine* shown = pango_layout_get_line_readonly(job.layout, line);
      PangoRectangle logical;
      pango_layout_line_get_extents(shown, nullptr, &logical);
      // Lines are drawn from their baseline, which lies below the top of the line.
      cairo_move_to(cairo, job.margin, top - pango_units_to_double(logical.y));
      pango_cairo_show_layout_line(cairo, shown);
      top += pango_units_to_double(logical.height);
    }
  }
};

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

PrintOutcome print_text(const std::string& title, const std::string& text, int margin) {
  if (!gtk_init_check(nullptr, nullptr)) return {};
  PrintJob job;
  job.text = utf8(text);
  job.margin = margin;
  GtkPrintOperation* operation = gtk_print_operation_new();
  gtk_print_operation_set_job_name(operation, utf8(title).c_str());
  // Distances in the printer's own units.
  gtk_print_operation_set_unit(operation, GTK_UNIT_NONE);
  g_signal_connect(operation, "begin-print", G_CALLBACK(&PrintJob::begin), &job);
  g_signal_connect(operation, "draw-page", G_CALLBACK(&PrintJob::draw), &job);
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::current_path(ignored);
  GError* failure = nullptr;
  const GtkPrintOperationResult result = gtk_print_operation_run(
      operation, GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG, nullptr, &failure);
  settle();
  if (!folder.empty()) std::filesystem::current_path(folder, ignored);
  PrintOutcome outcome;
  outcome.shown = true;
  outcome.printed = result == GTK_PRINT_OPERATION_RESULT_APPLY;
  if (failure != nullptr) {
    outcome.error = latin1(failure->message);
    g_error_free(failure);
  }
  g_object_unref(operation);
  return outcome;
}

}  // namespace kestrel::platform
