#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrel {

// Names as games write them: "\" and ":" separate folders and drives; "/" is
// an ordinary character to these functions.
std::string filename_name(std::string_view name);
std::string filename_path(std::string_view name);
std::string filename_dir(std::string_view name);
std::string filename_drive(std::string_view name);
std::string filename_ext(std::string_view name);
std::string filename_change_ext(std::string_view name, std::string_view new_ext);

// Names of the game's system ignore the case of ASCII letters.
bool same_ignoring_case(std::string_view a, std::string_view b);

// A name with "\" or "/" reaches outside the working directory's own entries.
bool has_folder_part(std::string_view name);

// The file or folder a game's name means here: backslashes become slashes,
// and where the exact name is missing, a folder entry that differs only in
// case stands in for it when it is the only such entry. Names of things that
// do not exist yet keep the case the game wrote.
std::filesystem::path system_path(std::string_view name);

// Whether secure mode lets game code write to the name: a plain name whose
// target, links followed, is an entry of the working directory.
bool secure_mode_allows_write(std::string_view name);

}  // namespace kestrel
