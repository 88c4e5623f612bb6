#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrel {

class Runner;

// Writes every included file that is marked for export where its kind says,
// unless a file is there already and may not be overwritten. A file that
// cannot be written is passed over; refusals of secure mode are reported.
// Files marked to be freed after export are released, exported or not.
void export_included_files(Runner& runner);

// At the end of the program: deletes the exported copies of the files marked
// to be removed. Only copies this run wrote are deleted, so a file of the
// player's that an export left alone is never lost.
void remove_included_files(Runner& runner);

// The index of the first included file with exactly that name.
std::optional<std::size_t> find_included_file(const Runner& runner, std::string_view name);
// One file's part of the export at the start.
void export_included_file(Runner& runner, std::size_t index);
// Writes a file that is still stored to the target unless something is there
// that may not be replaced; no secure-mode test and no release here.
void export_included_file_to(Runner& runner, std::size_t index,
                             const std::filesystem::path& target);
// Frees the file's data: it counts as not stored from then on.
void discard_included_file(Runner& runner, std::size_t index);

}  // namespace kestrel
