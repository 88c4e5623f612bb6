#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Runner;

// What the developer can ask of the debug window. Each command has its
// place in the menus and its caption, hint and enabled state in a catalogue.
enum class DebugCommand {
  run,
  pause,
  step,
  restart,
  stop,
  watch_add,
  watch_change,
  watch_delete,
  watch_clear,
  watch_load,
  watch_save,
  execute_code,
  set_speed,
  show_global,
  show_local,
  show_instances,
  show_messages,
};

struct DebugCommandInfo {
  DebugCommand command;
  std::string_view caption;  // with "&" before the menu key
  std::string_view hint;     // empty when there is none
};
// Every command in menu order: the run menu, the watch menu, the tools menu.
extern const std::vector<DebugCommandInfo> kDebugCommands;
inline constexpr std::size_t kRunMenuEnd = 5;
inline constexpr std::size_t kWatchMenuEnd = 11;
// The first commands are also on the tool bar.
inline constexpr std::size_t kToolBarCommands = 10;

// The questions the commands ask before they act: title, prompt.
struct DebugQuestion {
  std::string_view title;
  std::string_view prompt;
};
inline constexpr DebugQuestion kAskExpression = {"Provide an expression.",
                                                 "Please type in the expression"};
inline constexpr DebugQuestion kAskCode = {"Execute some code.", "Please type in the code"};
inline constexpr DebugQuestion kAskSpeed = {"Changing Game Speed.", "Please provide the new speed"};
inline constexpr DebugQuestion kAskInstance = {"Showing Local Variables.",
                                               "Please provide the instance id or object name."};

inline constexpr std::string_view kCompileError = "COMPILE ERROR";
inline constexpr std::string_view kNoSuchInstance = "NO SUCH INSTANCE EXISTS";
inline constexpr std::size_t kMaxLocalWindows = 100;

// A window of text about the game.
struct DebugInfoWindow {
  std::string caption;
  std::string text;
  bool visible = false;
  // A local-variables window: the instance's id, or -1 with an object's name.
  std::int32_t id = -1;
  std::string object_name;
};

struct DebugWatch {
  std::string expression;
  std::string value;
};

// The debug window's state and commands, apart from how it is drawn: the
// watch list, the information windows, the status bar, and what run, pause,
// step, restart and stop do to the game. A command that changes the game runs
// only between steps, never while the window is being drawn.
class DebugSession {
 public:
  // `single_step` runs one step of a paused game, without waiting, and
  // presents its frame.
  DebugSession(Runner& runner, std::function<void()> single_step);
  ~DebugSession();
  DebugSession(const DebugSession&) = delete;
  DebugSession& operator=(const DebugSession&) = delete;

  bool enabled(DebugCommand command) const;
  // Carries a command out. `answer` is what the developer answered the
  // command's question, or the file the watch commands load or save;
  // `row` the selected watch row (the empty last row is watches().size()).
  void perform(DebugCommand command, std::string_view answer = {}, std::size_t row = 0);

  // After every step and every command: the status bar, the watches and the
  // visible information windows.
  void refresh();
  // The mouse panel alone, as the timer refreshes it.
  void refresh_mouse();

  // Closing the debug window: stops a paused game; a running one goes on.
  void close();

  const std::vector<DebugWatch>& watches() const { return watches_; }
  std::vector<std::string> watch_expressions() const;
  // The status bar's panels: frames per second, instances, the instance
  // under the mouse.
  const std::array<std::string, 3>& status() const { return status_; }
  const std::string& kept_code() const { return kept_code_; }
  std::string current_speed() const;

  DebugInfoWindow* global_window() { return global_.get(); }
  DebugInfoWindow* instances_window() { return instances_.get(); }
  DebugInfoWindow* messages_window() { return messages_.get(); }
  std::vector<DebugInfoWindow>& local_windows() { return locals_; }

  // A message for the developer that the last command left, such as a
  // compile error or a file that could not be read; empty when there is none.
  std::string take_alert();

 private:
  void show_window(std::unique_ptr<DebugInfoWindow>& window, std::string_view caption);
  void show_local(std::string_view answer);
  void append_message(std::string_view line);

  Runner& runner_;
  std::function<void()> single_step_;
  std::vector<DebugWatch> watches_;
  std::array<std::string, 3> status_;
  std::string kept_code_;
  std::string alert_;
  std::unique_ptr<DebugInfoWindow> global_;
  std::unique_ptr<DebugInfoWindow> instances_;
  std::unique_ptr<DebugInfoWindow> messages_;
  std::vector<DebugInfoWindow> locals_;
};

}  // namespace kestrel
