#include "data/Sound_Class.h"

namespace kestrel {

bool CSound::Load(CStream& stream) {
  *this = CSound{};
  if (ReadInt(stream) != 800) return false;
  kind = ReadInt(stream);
  file_type = ReadString(stream);
  file_name = ReadString(stream);
  if (ReadBool(stream)) data = ReadBlock(stream).release();
  effects = ReadInt(stream);
  volume = ReadReal(stream);
  pan = ReadReal(stream);
  preload = ReadBool(stream);
  return !stream.failed();
}

void CSound::Save(CStream& stream) const {
  WriteInt(stream, 800);
  WriteInt(stream, kind);
  WriteString(stream, file_type);
  WriteString(stream, file_name);
  WriteBool(stream, data.has_value());
  if (data) WriteBlock(stream, *data);
  WriteInt(stream, effects);
  WriteReal(stream, volume);
  WriteReal(stream, pan);
  WriteBool(stream, preload);
}

}  // namespace kestrel
