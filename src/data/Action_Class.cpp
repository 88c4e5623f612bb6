#include "data/Action_Class.h"

namespace kestrel {

namespace {

// Reads a count-prefixed list; entries past the limit are read and dropped so
// that the stream stays in step.
template <class T, class ReadOne>
void ReadLimited(CStream& stream, std::vector<T>& out, ReadOne read_one) {
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    T value = read_one(stream);
    if (i < kMaxActionArguments) out.push_back(std::move(value));
  }
}

}  // namespace

bool CAction::Load(CStream& stream) {
  *this = CAction{};
  if (ReadInt(stream) != 440) return false;
  library_id = ReadInt(stream);
  action_id = ReadInt(stream);
  kind = ReadInt(stream);
  may_be_relative = ReadBool(stream);
  question = ReadBool(stream);
  has_apply_to = ReadBool(stream);
  execution_type = ReadInt(stream);
  function_name = ReadString(stream);
  code = ReadString(stream);
  argument_count = ReadInt(stream);
  ReadLimited(stream, argument_kinds, ReadInt);
  apply_to = ReadInt(stream);
  relative = ReadBool(stream);
  ReadLimited(stream, argument_values, ReadString);
  is_not = ReadBool(stream);
  return !stream.failed();
}

void CAction::Save(CStream& stream) const {
  WriteInt(stream, 440);
  WriteInt(stream, library_id);
  WriteInt(stream, action_id);
  WriteInt(stream, kind);
  WriteBool(stream, may_be_relative);
  WriteBool(stream, question);
  WriteBool(stream, has_apply_to);
  WriteInt(stream, execution_type);
  WriteString(stream, function_name);
  WriteString(stream, code);
  WriteInt(stream, argument_count);
  WriteInt(stream, int(argument_kinds.size()));
  for (int value : argument_kinds) WriteInt(stream, value);
  WriteInt(stream, apply_to);
  WriteBool(stream, relative);
  WriteInt(stream, int(argument_values.size()));
  for (const auto& value : argument_values) WriteString(stream, value);
  WriteBool(stream, is_not);
}

}  // namespace kestrel
