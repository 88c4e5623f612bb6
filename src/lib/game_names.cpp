#include "lib/game_names.h"

#include <algorithm>
#include <cctype>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

bool is_separator(char c) {
  return c == '\\' || c == ':';
}

std::size_t after_last_separator(std::string_view name) {
  for (std::size_t i = name.size(); i > 0; --i) {
    if (is_separator(name[i - 1])) return i;
  }
  return 0;
}

// The position of the extension's dot, or the name's length when it has none.
std::size_t extension_start(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < after_last_separator(name)) return name.size();
  return dot;
}

// The one entry of the folder whose name differs from `part` only in case;
// `part` itself when there is none or more than one.
fs::path entry_ignoring_case(const fs::path& folder, const fs::path& part) {
  std::error_code error;
  fs::path found;
  int matches = 0;
  const fs::path where = folder.empty() ? fs::path(".") : folder;
  for (fs::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
    const fs::path entry = it->path().filename();
    if (same_ignoring_case(entry.native(), part.native())) {
      found = entry;
      ++matches;
    }
  }
  return matches == 1 ? found : part;
}

}  // namespace

bool same_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string filename_name(std::string_view name) {
  return std::string(name.substr(after_last_separator(name)));
}

std::string filename_path(std::string_view name) {
  return std::string(name.substr(0, after_last_separator(name)));
}

std::string filename_dir(std::string_view name) {
  std::string path = filename_path(name);
  // A root ("C:\", "\\") keeps its backslash.
  if (path.size() >= 2 && path.back() == '\\' && !is_separator(path[path.size() - 2])) {
    path.pop_back();
  }
  return path;
}

std::string filename_drive(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
    return std::string(name.substr(0, 2));
  }
  if (name.substr(0, 2) == "\\\\") {
    const std::size_t server_end = name.find('\\', 2);
    if (server_end == std::string_view::npos) return std::string(name);
    const std::size_t share_end = name.find('\\', server_end + 1);
    return std::string(name.substr(0, share_end));
  }
  return "";
}

std::string filename_ext(std::string_view name) {
  return std::string(name.substr(extension_start(name)));
}

std::string filename_change_ext(std::string_view name, std::string_view new_ext) {
  return std::string(name.substr(0, extension_start(name))) + std::string(new_ext);
}

bool has_folder_part(std::string_view name) {
  return name.find_first_of("\\/") != std::string_view::npos;
}

fs::path system_path(std::string_view name) {
  std::string text(name);
  std::replace(text.begin(), text.end(), '\\', '/');
  const fs::path exact(text);
  std::error_code error;
  if (text.empty() || fs::symlink_status(exact, error).type() != fs::file_type::not_found) {
    return exact;
  }
  fs::path resolved;
  for (const fs::path& part : exact) {
    const fs::path next = resolved / part;
    if (part == "/" || part == "." || part == ".." ||
        fs::symlink_status(next, error).type() != fs::file_type::not_found) {
      resolved = next;
    } else {
      resolved /= entry_ignoring_case(resolved, part);
    }
  }
  return resolved;
}

bool secure_mode_allows_write(std::string_view name) {
  if (has_folder_part(name) || name.empty() || name == "." || name == "..") return false;
  std::error_code error;
  const fs::path folder = fs::canonical(fs::current_path(error), error);
  if (error) return false;
  const fs::path target = fs::weakly_canonical(folder / system_path(name), error);
  return !error && target.parent_path() == folder;
}

}  // namespace kestrel
