#include "data/DataNew_Class.h"

namespace kestrel {

bool CDataFile::Load(CStream& stream) {
  *this = CDataFile{};
  if (ReadInt(stream) != 800) return false;
  file_name = ReadString(stream);
  source_path = ReadString(stream);
  stored = ReadBool(stream);
  source_size = ReadInt(stream);
  const bool data_present = ReadBool(stream);
  if (stored && data_present) data = ReadBlock(stream).release();
  export_kind = ReadInt(stream);
  export_folder = ReadString(stream);
  overwrite = ReadBool(stream);
  free_after_export = ReadBool(stream);
  remove_at_end = ReadBool(stream);
  return !stream.failed();
}

void CDataFile::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteString(stream, file_name);
  WriteString(stream, source_path);
  WriteBool(stream, stored);
  WriteInt(stream, source_size);
  WriteBool(stream, data.has_value());
  if (stored && data) WriteBlock(stream, *data);
  WriteInt(stream, export_kind);
  WriteString(stream, export_folder);
  WriteBool(stream, overwrite);
  WriteBool(stream, free_after_export);
  WriteBool(stream, remove_at_end);
}

}  // namespace kestrel
