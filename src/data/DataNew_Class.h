#pragma once

#include <optional>
#include <string>

#include "data/Support_Stream.h"

namespace kestrel {

// An included file: carried inside the game and written out when it starts.
class CDataFile {
 public:
  std::string file_name;
  std::string source_path;
  bool stored = false;
  int source_size = 0;
  std::optional<Bytes> data;  // present when stored with its data
  int export_kind = 2;        // 0 none, 1 temporary folder, 2 working folder, 3 export folder
  std::string export_folder;
  bool overwrite = false;
  bool free_after_export = true;
  bool remove_at_end = true;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CDataFile&) const = default;
};

}  // namespace kestrel
