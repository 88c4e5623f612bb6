#include "data/code_origin.h"

#include <algorithm>

#include "data/Runner_Load.h"

namespace kestrel {

namespace code_origin {

std::string script(std::int32_t index) {
  return "scripts/" + std::to_string(index);
}

std::string event(std::int32_t object, int type, int number) {
  return "objects/" + std::to_string(object) + "/events/" + std::to_string(type) + "/" +
         std::to_string(number);
}

std::string moment(std::int32_t time_line, std::size_t moment) {
  return "timelines/" + std::to_string(time_line) + "/moments/" + std::to_string(moment);
}

std::string action(const std::string& list, std::size_t action) {
  return list + "/actions/" + std::to_string(action);
}

std::string argument(const std::string& action_origin, std::size_t argument) {
  return action_origin + "/arguments/" + std::to_string(argument);
}

std::string room_code(std::int32_t room) {
  return "rooms/" + std::to_string(room) + "/creation_code";
}

std::string instance_code(std::int32_t room, std::size_t instance) {
  return "rooms/" + std::to_string(room) + "/instances/" + std::to_string(instance);
}

std::string trigger(std::size_t index) {
  return "triggers/" + std::to_string(index);
}

std::string library_init(std::size_t index) {
  return "library_init/" + std::to_string(index);
}

std::string extension_function(std::size_t package, std::size_t file, std::size_t function) {
  return "extensions/" + std::to_string(package) + "/files/" + std::to_string(file) +
         "/functions/" + std::to_string(function);
}

}  // namespace code_origin

std::string action_code_text(const CAction& action) {
  if (action.execution_type != kExecuteCode) return {};
  if (action.kind != kActionVariable && action.kind != kActionCode) return action.code;
  const auto argument = [&](std::size_t i) {
    return i < action.argument_values.size() ? action.argument_values[i] : std::string();
  };
  return action.kind == kActionCode
             ? argument(0)
             : argument(0) + (action.relative ? " += " : " = ") + argument(1);
}

bool argument_is_expression(int kind, const std::string& text) {
  if (kind == 1 || kind == 15) return false;
  return kind != 2 || (!text.empty() && (text[0] == '\'' || text[0] == '"'));
}

void for_each_code(const GameData& game,
                   const std::function<void(const std::string& origin, const std::string& text,
                                            bool expression)>& visit_code) {
  const auto visit = [&](const std::string& origin, const std::string& text) {
    visit_code(origin, text, false);
  };
  const auto actions = [&](const std::string& list, const std::vector<CAction>& stored) {
    for (std::size_t a = 0; a < stored.size(); ++a) {
      const CAction& action = stored[a];
      const std::string origin = code_origin::action(list, a);
      const std::string text = action_code_text(action);
      if (!text.empty()) visit(origin, text);
      if (action.kind == kActionVariable || action.kind == kActionCode) continue;
      const auto count =
          std::min<std::size_t>(static_cast<std::size_t>(std::max(action.argument_count, 0)),
                                action.argument_values.size());
      for (std::size_t i = 0; i < count; ++i) {
        const int kind = i < action.argument_kinds.size() ? action.argument_kinds[i] : 0;
        if (argument_is_expression(kind, action.argument_values[i]))
          visit_code(code_origin::argument(origin, i), action.argument_values[i], true);
      }
    }
  };
  for (std::size_t p = 0; p < game.extension_packages.size(); ++p) {
    const auto& files = game.extension_packages[p].files;
    for (std::size_t f = 0; f < files.size(); ++f) {
      if (files[f].kind != 2) continue;
      for (std::size_t n = 0; n < files[f].functions.size(); ++n) {
        const std::string& code = files[f].functions[n].code;
        if (!code.empty()) visit(code_origin::extension_function(p, f, n), code);
      }
    }
  }
  for (std::size_t t = 0; t < game.triggers.size(); ++t) {
    if (game.triggers[t]) visit(code_origin::trigger(t), game.triggers[t]->condition);
  }
  for (std::int32_t s = 0; s < game.scripts.count(); ++s) {
    if (const ScriptRecord* script = game.scripts.get(s))
      visit(code_origin::script(s), script->text);
  }
  for (std::int32_t t = 0; t < game.timelines.count(); ++t) {
    const CTimeLine* line = game.timelines.get(t);
    if (line == nullptr) continue;
    for (std::size_t m = 0; m < line->moments.size(); ++m)
      actions(code_origin::moment(t, m), line->moments[m].event.actions);
  }
  for (std::int32_t o = 0; o < game.objects.count(); ++o) {
    const CObject* object = game.objects.get(o);
    if (object == nullptr) continue;
    for (int type = 0; type < static_cast<int>(object->events.size()); ++type) {
      for (const auto& [number, event] : object->events[static_cast<std::size_t>(type)])
        actions(code_origin::event(o, type, number), event.actions);
    }
  }
  for (std::size_t i = 0; i < game.library_init_code.size(); ++i) {
    if (!game.library_init_code[i].empty())
      visit(code_origin::library_init(i), game.library_init_code[i]);
  }
  for (std::int32_t r = 0; r < game.rooms.count(); ++r) {
    const CRoom* room = game.rooms.get(r);
    if (room == nullptr) continue;
    if (!room->creation_code.empty()) visit(code_origin::room_code(r), room->creation_code);
    for (std::size_t i = 0; i < room->instances.size(); ++i) {
      if (!room->instances[i].creation_code.empty())
        visit(code_origin::instance_code(r, i), room->instances[i].creation_code);
    }
  }
}

const SourceFile* SourceMap::find(std::string_view origin) const {
  const auto found = files_.find(origin);
  return found == files_.end() ? nullptr : &found->second;
}

std::string SourceMap::describe(std::string_view origin, std::int32_t line, std::int32_t column,
                                std::string_view message) const {
  const SourceFile* file = find(origin);
  if (file == nullptr) return {};
  if (line == 1) column += file->columns_before;
  return (root_ / file->path).generic_string() + ":" + std::to_string(file->lines_before + line) +
         ":" + std::to_string(column) + ": " + std::string(message);
}

}  // namespace kestrel
