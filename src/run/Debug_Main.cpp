#include "run/Debug_Main.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "run/Debug_Info.h"
#include "run/Instance_Class.h"
#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"

namespace kestrel {

const std::vector<DebugCommandInfo> kDebugCommands = {
    {DebugCommand::run, "&Run", "Run or resume the game"},
    {DebugCommand::pause, "&Pause", "Pause the game"},
    {DebugCommand::step, "&Step", "Take a single step"},
    {DebugCommand::restart, "R&estart", "Restart the game"},
    {DebugCommand::stop, "Stop", "Ends the game"},
    {DebugCommand::watch_add, "&Add", "Add an expression to watch"},
    {DebugCommand::watch_change, "C&hange", "Change the selected watch expression"},
    {DebugCommand::watch_delete, "&Delete", "Delete the selected watch expression"},
    {DebugCommand::watch_clear, "&Clear", "Clear all watch expressions"},
    {DebugCommand::watch_load, "&Load ...", "Load the watch expressions from a file"},
    {DebugCommand::watch_save, "Sa&ve ...", "Save the watched expressions to a file"},
    {DebugCommand::execute_code, "&Execute Code ...", "Execute a piece of code"},
    {DebugCommand::set_speed, "&Set Speed ...", "Set the speed of the game"},
    {DebugCommand::show_global, "Show &Global Variables",
     "Show the most important global variables"},
    {DebugCommand::show_local, "Show &Local Variables", "Show the variables local to an instance"},
    {DebugCommand::show_instances, "Show &Instances", "Shows all the instances"},
    {DebugCommand::show_messages, "Show &Messages", ""},
};

namespace {

// The name key of a window that shows an instance by id: no object has it.
constexpr std::string_view kNoObjectName = "##########";
// The messages window keeps about this many characters, dropping its oldest
// lines, so that a game that writes messages every step does not fill the
// memory.
constexpr std::size_t kMaxMessageText = 4 << 20;

// A whole integer, as the developer types one: an optional sign and digits.
bool read_integer(std::string_view text, std::int32_t& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

DebugSession::DebugSession(Runner& runner, std::function<void()> single_step)
    : runner_(runner), single_step_(std::move(single_step)) {
  runner_.debug_window_message = [this](std::string_view line) { append_message(line); };
}

DebugSession::~DebugSession() {
  runner_.debug_window_message = nullptr;
}

bool DebugSession::enabled(DebugCommand command) const {
  const bool running = runner_.game_running;
  const bool paused = runner_.game_paused;
  switch (command) {
    case DebugCommand::run:
    case DebugCommand::step:
      return running && paused;
    case DebugCommand::pause:
      return running && !paused;
    case DebugCommand::restart:
    case DebugCommand::stop:
      return running;
    default:
      return true;
  }
}

void DebugSession::perform(DebugCommand command, std::string_view answer, std::size_t row) {
  if (!enabled(command)) return;
  const bool on_expression = row < watches_.size();
  switch (command) {
    case DebugCommand::run:
      runner_.game_paused = false;
      return;
    case DebugCommand::pause:
      runner_.game_paused = true;
      return;
    case DebugCommand::step:
      single_step_();
      break;
    case DebugCommand::restart:
      // A paused game resumes, so that the restart happens at once.
      runner_.pending_transfer = kTransferRestart;
      runner_.game_paused = false;
      return;
    case DebugCommand::stop:
      runner_.game_running = false;
      runner_.game_paused = false;
      return;
    case DebugCommand::watch_add:
    case DebugCommand::watch_change:
      if (answer.empty()) return;
      if (command == DebugCommand::watch_change && on_expression) {
        watches_[row].expression = answer;
      } else {
        watches_.push_back({std::string(answer), {}});
      }
      break;
    case DebugCommand::watch_delete:
      if (on_expression) watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(row));
      return;
    case DebugCommand::watch_clear:
      watches_.clear();
      return;
    case DebugCommand::watch_load: {
      std::vector<std::string> loaded;
      if (!read_watch_file(std::string(answer), loaded, alert_)) return;
      for (std::string& expression : loaded) watches_.push_back({std::move(expression), {}});
      break;
    }
    case DebugCommand::watch_save:
      write_watch_file(std::string(answer), watch_expressions(), alert_);
      return;
    case DebugCommand::execute_code: {
      if (answer.empty()) return;
      kept_code_ = answer;
      CCode code(answer, false);
      if (!code.compile(runner_.engine)) {
        runner_.engine.errors.pending = false;
        alert_ = kCompileError;
        return;
      }
      CInstance temporary(runner_.game, 0, 0, 0, 0);
      RValue ignored;
      execute_and_report(runner_.engine, code, &temporary, &temporary, ignored);
      break;
    }
    case DebugCommand::set_speed:
      if (std::int32_t speed = 0; read_integer(answer, speed)) runner_.room->settings.speed = speed;
      break;
    case DebugCommand::show_global:
      show_window(global_, "Global Variables");
      break;
    case DebugCommand::show_local:
      show_local(answer);
      break;
    case DebugCommand::show_instances:
      show_window(instances_, "All Instances");
      break;
    case DebugCommand::show_messages:
      show_window(messages_, "Messages");
      break;
  }
  refresh();
}

void DebugSession::show_window(std::unique_ptr<DebugInfoWindow>& window, std::string_view caption) {
  if (!window) {
    window = std::make_unique<DebugInfoWindow>();
    window->caption = caption;
  }
  window->visible = true;
}

void DebugSession::show_local(std::string_view answer) {
  auto window = std::find_if(locals_.begin(), locals_.end(),
                             [](const DebugInfoWindow& w) { return !w.visible; });
  if (window == locals_.end()) {
    if (locals_.size() >= kMaxLocalWindows) return;
    window = locals_.emplace(locals_.end());
  }
  if (std::int32_t id = 0; read_integer(answer, id)) {
    window->id = id;
    window->object_name = kNoObjectName;
  } else {
    window->id = -1;
    window->object_name = answer;
  }
  window->caption = "Local Variables for " + std::string(answer);
  window->visible = true;
}

void DebugSession::refresh() {
  status_[0] = std::to_string(runner_.fps) + " fps";
  status_[1] = std::to_string(runner_.instances().count()) + " inst";
  refresh_mouse();
  CInstance temporary(runner_.game, 0, 0, 0, 0);
  for (DebugWatch& watch : watches_) {
    CCode code(watch.expression, true);
    if (!code.compile(runner_.engine)) {
      watch.value = kCompileError;
    } else {
      // A watch that fails shows what its evaluation left, and reports nothing.
      RValue value;
      execute(runner_.engine, code, &temporary, &temporary, value);
      watch.value = debug_value_text(value);
    }
    runner_.engine.errors.pending = false;
  }
  if (global_ && global_->visible) global_->text = global_variables_text(runner_);
  for (DebugInfoWindow& local : locals_) {
    if (local.visible) local.text = local_variables_text(runner_, local.id, local.object_name);
  }
  if (instances_ && instances_->visible) instances_->text = all_instances_text(runner_);
}

void DebugSession::refresh_mouse() {
  std::string id;
  RoomInstances& instances = runner_.instances();
  for (std::int32_t i = instances.count() - 1; i >= 0; --i) {
    const CInstance& instance = instances.at(i);
    if (!instance.destroyed &&
        instance_covers_point(runner_, instance, runner_.mouse.x, runner_.mouse.y, true)) {
      id = std::to_string(instance.id);
      break;
    }
  }
  status_[2] = "mouse id: " + id;
}

void DebugSession::close() {
  if (runner_.game_paused) perform(DebugCommand::stop);
}

std::vector<std::string> DebugSession::watch_expressions() const {
  std::vector<std::string> expressions;
  for (const DebugWatch& watch : watches_) expressions.push_back(watch.expression);
  return expressions;
}

std::string DebugSession::current_speed() const {
  return std::to_string(runner_.room->settings.speed);
}

std::string DebugSession::take_alert() {
  return std::exchange(alert_, {});
}

void DebugSession::append_message(std::string_view line) {
  if (!messages_) {
    messages_ = std::make_unique<DebugInfoWindow>();
    messages_->caption = "Messages";
  }
  std::string& text = messages_->text;
  text.append(line).append("\r\n\r\n");
  if (text.size() <= kMaxMessageText) return;
  const std::size_t cut = text.find('\n', text.size() - kMaxMessageText);
  text.erase(0, cut == std::string::npos ? text.size() - kMaxMessageText : cut + 1);
}

}  // namespace kestrel
