#pragma once

#include <string>
#include <vector>

namespace kestrel::platform {

// One entry of a file dialog's type list: its name and its patterns.
struct FileFilter {
  std::string name;
  std::vector<std::string> patterns;
};

// What a system dialog gave: nothing shown where there is no display.
struct SystemChoice {
  bool shown = false;
  bool chosen = false;
  // The file or folder chosen.
  std::string path;
  // The colour chosen, 0xRRGGBB.
  int colour = 0;
};

// The system's open or save dialog, starting in `folder` with `name` filled
// in. The current folder is the same afterwards.
SystemChoice choose_file(bool save, const std::vector<FileFilter>& filters, const std::string& name,
                         const std::string& folder);
// The system's folder selection, with a title when `caption` is not empty.
SystemChoice choose_folder(const std::string& caption, const std::string& start);
// The system's colour dialog preset to `rgb`.
SystemChoice choose_colour(int rgb);

struct PrintOutcome {
  bool shown = false;
  bool printed = false;
  // Why printing failed; empty when it did not.
  std::string error;
};

// The system's print dialog for a plain text in a fixed-pitch font, lines
// broken where they are wider than the page, with margins of `margin` printer
// units on every side; `title` names the document in the printer's queue.
PrintOutcome print_text(const std::string& title, const std::string& text, int margin);

}  // namespace kestrel::platform
