#pragma once

namespace kestrel {

class FunctionRegistry;
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

// export_include_file, export_include_file_location and discard_include_file.
void register_included_file_functions(FunctionRegistry& functions);

}  // namespace kestrel
