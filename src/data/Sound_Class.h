#pragma once

#include <optional>
#include <string>

#include "data/Support_Stream.h"

namespace kestrel {

class CSound {
 public:
  int kind = -1;          // 0 normal, 1 background music, 2 3D, 3 media player
  std::string file_type;  // the extension with its dot
  std::string file_name;
  std::optional<Bytes> data;
  int effects = 0;
  double volume = 1;
  double pan = 0;
  bool preload = true;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CSound&) const = default;
};

}  // namespace kestrel
