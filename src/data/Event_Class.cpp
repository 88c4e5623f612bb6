#include "data/Event_Class.h"

namespace kestrel {

bool CEvent::Load(CStream& stream) {
  actions.clear();
  if (ReadInt(stream) != 400) return false;
  const int count = ReadInt(stream);
  // Action versions do not fail the event: a bad action keeps its defaults.
  for (int i = 0; i < count && !stream.failed(); ++i) actions.emplace_back().Load(stream);
  return !stream.failed();
}

void CEvent::Save(CStream& stream) const {
  WriteInt(stream, 400);
  WriteInt(stream, int(actions.size()));
  for (const auto& action : actions) action.Save(stream);
}

void CEvent::AddCodeAction(const std::string& code) {
  CAction& action = actions.emplace_back();
  action.kind = kActionCode;
  action.execution_type = kExecuteCode;
  action.argument_values = {code};
}

}  // namespace kestrel
