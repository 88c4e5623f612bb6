#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/gui_window.h"
#include "run/Debug_Main.h"

namespace kestrel {

class Runner;
namespace platform {
class Window;
}

// The debug window as the developer sees it: menus, tool bar, watch grid,
// status bar, the information windows and the questions the commands ask,
// drawn with Dear ImGui into a window beside the game. What the developer
// asks for is carried out once the frame is drawn, between steps.
class DebugForm {
 public:
  // Null where the window cannot be shown (no screen); the reason, if any,
  // in `error`.
  static std::unique_ptr<DebugForm> open(Runner& runner, platform::Window& window,
                                         std::string& error);
  DebugForm(Runner& runner, platform::Window& window, std::unique_ptr<platform::GuiWindow> gui);

  // After each step: refreshes the session, and draws when the window is due.
  void after_step();
  // While the game is paused: keeps the game and this window answering until
  // the game runs again or stops.
  void while_paused();
  // Once the developer closes the window it is gone for the rest of the run.
  bool closed() const { return gui_ == nullptr; }

  DebugSession& session() { return session_; }

 private:
  struct Request {
    DebugCommand command;
    std::string answer;
    std::size_t row = 0;
  };
  // The question a command asks before it is carried out.
  struct Question {
    DebugCommand command;
    DebugQuestion text;
    std::string answer;
    bool opened = false;
  };

  void draw_if_due();
  void draw();
  void draw_menus();
  void draw_tool_bar();
  void draw_watches();
  void draw_status_bar();
  void draw_info_window(DebugInfoWindow& window, int index);
  void draw_question();
  void draw_alert();
  // The developer chose a command: it asks its question first, or is carried out.
  void choose(DebugCommand command);
  void carry_out_requests();

  Runner& runner_;
  platform::Window& window_;
  std::unique_ptr<platform::GuiWindow> gui_;
  DebugSession session_;
  platform::Clock clock_;
  std::int64_t last_drawn_ = -1;
  std::size_t selected_row_ = 0;
  std::vector<Request> requests_;
  std::unique_ptr<Question> question_;
  std::string alert_;
  // The texts of the information windows the developer asked to save or print.
  std::vector<std::string> texts_to_save_;
  std::vector<std::string> texts_to_print_;
  // The tool bar's pictures in this window, by command.
  std::array<void*, kToolBarCommands> tool_icons_{};
};

}  // namespace kestrel
