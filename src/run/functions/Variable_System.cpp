#include <algorithm>
#include <ctime>
#include <filesystem>

#include "platform/process.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/RValue.h"

namespace kestrel {
namespace {

// The version of the system that games can test for.
constexpr double kSystemVersion = 800;

std::string folder_text(const std::filesystem::path& folder) {
  std::string text = folder.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool get_working_directory(ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
  std::error_code error;
  value.set_text(folder_text(std::filesystem::current_path(error)));
  return true;
}

bool get_program_directory(ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(folder_text(platform::executable_path().parent_path()));
  return true;
}

bool get_temp_directory(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(folder_text(runner_of(engine).temp_folder.path()));
  return true;
}

bool get_current_time(ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>(platform::uptime_milliseconds()));
  return true;
}

// One field of the local date and time, as people count it.
template <int (*field)(const std::tm&)>
bool get_date_part(ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
  const std::time_t now = std::time(nullptr);
  value.set_real(field(*std::localtime(&now)));
  return true;
}
int year(const std::tm& t) {
  return t.tm_year + 1900;
}
int month(const std::tm& t) {
  return t.tm_mon + 1;
}
int day(const std::tm& t) {
  return t.tm_mday;
}
int weekday(const std::tm& t) {
  return t.tm_wday + 1;
}  // 1 is Sunday
int hour(const std::tm& t) {
  return t.tm_hour;
}
int minute(const std::tm& t) {
  return t.tm_min;
}
int second(const std::tm& t) {
  return t.tm_sec;
}

bool get_secure_mode(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(engine.settings.secure_mode ? 1 : 0);
  return true;
}

bool get_system_version(ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(kSystemVersion);
  return true;
}

bool get_view_current(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).view_current);
  return true;
}

bool get_transition_kind(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).transition_kind);
  return true;
}

bool set_transition_kind(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).transition_kind = round_to_int32(value.real());
  return true;
}

bool get_transition_steps(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).transition_steps);
  return true;
}

// A transition shows at least its first and last frame.
bool set_transition_steps(ScriptEngine& engine, ScriptInstance&, std::int32_t,
                          const RValue& value) {
  runner_of(engine).transition_steps = std::max(1, round_to_int32(value.real()));
  return true;
}

template <std::int32_t ActionContext::*field>
bool get_context(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(engine.action.*field);
  return true;
}

}  // namespace

void register_system_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("working_directory", &get_working_directory, nullptr);
  v.add("program_directory", &get_program_directory, nullptr);
  v.add("temp_directory", &get_temp_directory, nullptr);
  v.add("view_current", &get_view_current, nullptr);
  v.add("current_time", &get_current_time, nullptr);
  v.add("current_year", &get_date_part<&year>, nullptr);
  v.add("current_month", &get_date_part<&month>, nullptr);
  v.add("current_day", &get_date_part<&day>, nullptr);
  v.add("current_weekday", &get_date_part<&weekday>, nullptr);
  v.add("current_hour", &get_date_part<&hour>, nullptr);
  v.add("current_minute", &get_date_part<&minute>, nullptr);
  v.add("current_second", &get_date_part<&second>, nullptr);
  v.add("secure_mode", &get_secure_mode, nullptr);
  v.add("brimwold_version", &get_system_version, nullptr);
  v.add("transition_kind", &get_transition_kind, &set_transition_kind);
  v.add("transition_steps", &get_transition_steps, &set_transition_steps);
}

void register_event_variables(ScriptEngine& engine) {
  engine.builtin_variables.add("event_object", &get_context<&ActionContext::object>, nullptr);
  engine.builtin_variables.add("event_type", &get_context<&ActionContext::event_type>, nullptr);
  engine.builtin_variables.add("event_number", &get_context<&ActionContext::event_number>, nullptr);
  engine.builtin_variables.add("event_action", &get_context<&ActionContext::action>, nullptr);
}

}  // namespace kestrel
