#include "run/debug_form.h"

#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "data/Support_File.h"
#include "platform/system_dialogs.h"
#include "platform/window.h"
#include "run/Run_Main.h"
#include "run/Runner.h"
#include "run/debug_form_icons.h"

namespace kestrel {
namespace {

// The window is drawn at most this often while the game runs, as the
// system's own window is refreshed by its timer.
constexpr std::int64_t kRedrawMicroseconds = 50'000;
// How long the paused loop sleeps between looks at the window.
constexpr std::int64_t kPausedSleepMicroseconds = 10'000;
// The expression column's width; the value column takes the rest of the
// grid but for this margin, as the grid is resized.
constexpr float kExpressionColumnWidth = 200;
constexpr float kValueColumnMargin = 6;
// Printed information keeps this far from the page's edges, in printer units.
constexpr int kPrintMargin = 200;
constexpr const char* kAlertPopup = "Debug Information##alert";

const std::vector<platform::FileFilter> kTextFiles = {{"Text files", {"*.txt"}},
                                                      {"All files", {"*"}}};

// Captions without the "&" that marks a menu key.
std::string plain_caption(std::string_view caption) {
  std::string plain;
  for (char c : caption) {
    if (c != '&') plain += c;
  }
  return plain;
}

void hint_on_hover(std::string_view hint) {
  if (!hint.empty() && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) {
    ImGui::SetTooltip("%.*s", static_cast<int>(hint.size()), hint.data());
  }
}

}  // namespace

std::unique_ptr<DebugForm> DebugForm::open(Runner& runner, platform::Window& window,
                                           std::string& error) {
  platform::GuiWindowSettings settings;
  settings.caption = "Debug Information";
  settings.width = 680;
  settings.height = 520;
  std::unique_ptr<platform::GuiWindow> gui = window.open_gui_window(settings, error);
  if (gui == nullptr) return nullptr;
  return std::make_unique<DebugForm>(runner, window, std::move(gui));
}

DebugForm::DebugForm(Runner& runner, platform::Window& window,
                     std::unique_ptr<platform::GuiWindow> gui)
    : runner_(runner),
      window_(window),
      gui_(std::move(gui)),
      session_(runner, [this] { single_step(runner_, window_); }) {
  for (std::size_t i = 0; i < kToolBarCommands; ++i) {
    const PixelCanvas icon = debug_tool_icon(kDebugCommands[i].command);
    tool_icons_[i] = gui_->add_image(icon.argb.data(), icon.width, icon.height);
  }
}

void DebugForm::after_step() {
  if (closed()) return;
  session_.refresh();
  draw_if_due();
}

void DebugForm::while_paused() {
  while (!closed() && runner_.game_running && runner_.game_paused) {
    window_.pump_events(runner_.input);
    draw_if_due();
    platform::Clock::sleep(kPausedSleepMicroseconds);
  }
}

void DebugForm::draw_if_due() {
  const std::int64_t now = clock_.microseconds();
  if (last_drawn_ >= 0 && now - last_drawn_ < kRedrawMicroseconds) return;
  last_drawn_ = now;
  session_.refresh_mouse();
  draw();
  carry_out_requests();
}

void DebugForm::draw() {
  gui_->begin_frame();
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  constexpr ImGuiWindowFlags kMainFlags =
      ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
      ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_MenuBar |
      ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoSavedSettings;
  ImGui::Begin("Debug Information", nullptr, kMainFlags);
  draw_menus();
  draw_tool_bar();
  draw_watches();
  draw_status_bar();
  ImGui::End();
  int index = 0;
  for (DebugInfoWindow* window :
       {session_.global_window(), session_.instances_window(), session_.messages_window()}) {
    if (window != nullptr) draw_info_window(*window, index);
    ++index;
  }
  for (DebugInfoWindow& local : session_.local_windows()) draw_info_window(local, index++);
  draw_question();
  draw_alert();
  gui_->end_frame();
}

void DebugForm::draw_menus() {
  if (!ImGui::BeginMenuBar()) return;
  const struct {
    const char* title;
    std::size_t first, end;
  } menus[] = {{"Run", 0, kRunMenuEnd},
               {"Watch", kRunMenuEnd, kWatchMenuEnd},
               {"Tools", kWatchMenuEnd, kDebugCommands.size()}};
  for (const auto& menu : menus) {
    if (!ImGui::BeginMenu(menu.title)) continue;
    for (std::size_t i = menu.first; i < menu.end; ++i) {
      const DebugCommandInfo& info = kDebugCommands[i];
      if (ImGui::MenuItem(plain_caption(info.caption).c_str(), nullptr, false,
                          session_.enabled(info.command))) {
        choose(info.command);
      }
      hint_on_hover(info.hint);
    }
    ImGui::EndMenu();
  }
  ImGui::EndMenuBar();
}

void DebugForm::draw_tool_bar() {
  for (std::size_t i = 0; i < kToolBarCommands; ++i) {
    const DebugCommandInfo& info = kDebugCommands[i];
    if (i > 0) ImGui::SameLine();
    // A gap parts the run commands from the watch commands.
    if (i == kRunMenuEnd) ImGui::SameLine(0, 2 * kDebugIconSize);
    ImGui::BeginDisabled(!session_.enabled(info.command));
    if (ImGui::ImageButton(tool_icons_[i], ImVec2(kDebugIconSize, kDebugIconSize))) {
      choose(info.command);
    }
    ImGui::EndDisabled();
    hint_on_hover(info.hint);
  }
}

void DebugForm::draw_watches() {
  const float status_height = ImGui::GetFrameHeightWithSpacing();
  constexpr ImGuiTableFlags kGridFlags =
      ImGuiTableFlags_Borders | ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY;
  const float value_width = std::max(
      ImGui::GetContentRegionAvail().x - kExpressionColumnWidth - kValueColumnMargin, 1.0F);
  if (!ImGui::BeginTable("WatchGrid", 2, kGridFlags, ImVec2(0, -status_height))) return;
  ImGui::TableSetupScrollFreeze(0, 1);
  ImGui::TableSetupColumn("Expression", ImGuiTableColumnFlags_WidthFixed, kExpressionColumnWidth);
  ImGui::TableSetupColumn("Value", ImGuiTableColumnFlags_WidthFixed, value_width);
  // A fixed width given when the grid is set up holds only until it has been
  // laid out once; from then on it is set again every frame.
  if (ImGui::GetCurrentTable()->MinColumnWidth > 0) ImGui::TableSetColumnWidth(1, value_width);
  ImGui::TableHeadersRow();
  const std::vector<DebugWatch>& watches = session_.watches();
  selected_row_ = std::min(selected_row_, watches.size());
  // The last row is always empty: choosing it adds a watch.
  for (std::size_t row = 0; row <= watches.size(); ++row) {
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    ImGui::PushID(static_cast<int>(row));
    const char* expression = row < watches.size() ? watches[row].expression.c_str() : "";
    if (ImGui::Selectable(
            expression, selected_row_ == row,
            ImGuiSelectableFlags_SpanAllColumns | ImGuiSelectableFlags_AllowDoubleClick)) {
      selected_row_ = row;
      if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) choose(DebugCommand::watch_change);
    }
    ImGui::PopID();
    ImGui::TableNextColumn();
    if (row < watches.size()) ImGui::TextUnformatted(watches[row].value.c_str());
  }
  ImGui::EndTable();
}

void DebugForm::draw_status_bar() {
  const auto& panels = session_.status();
  ImGui::Separator();
  ImGui::TextUnformatted(panels[0].c_str());
  ImGui::SameLine(90);
  ImGui::TextUnformatted(panels[1].c_str());
  ImGui::SameLine(180);
  ImGui::TextUnformatted(panels[2].c_str());
}

void DebugForm::draw_info_window(DebugInfoWindow& window, int index) {
  if (!window.visible) return;
  const float offset = 24.0F * static_cast<float>(index % 10);
  // New windows step down from the right of the watch grid, one over the other.
  const ImVec2 size(320, 320);
  ImGui::SetNextWindowPos(ImVec2(ImGui::GetIO().DisplaySize.x - size.x - 10 - offset, 130 + offset),
                          ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(size, ImGuiCond_FirstUseEver);
  const std::string title = window.caption + "##info" + std::to_string(index);
  if (!ImGui::Begin(title.c_str(), &window.visible, ImGuiWindowFlags_NoSavedSettings)) {
    ImGui::End();
    return;
  }
  if (ImGui::Button("Save")) texts_to_save_.push_back(window.text);
  hint_on_hover("Save the information");
  ImGui::SameLine();
  if (ImGui::Button("Print")) texts_to_print_.push_back(window.text);
  hint_on_hover("Print the information");
  ImGui::BeginChild("text", ImVec2(0, 0), true, ImGuiWindowFlags_HorizontalScrollbar);
  // The texts end their lines with CR LF; ImGui breaks at the LF.
  std::string shown;
  std::remove_copy(window.text.begin(), window.text.end(), std::back_inserter(shown), '\r');
  ImGui::TextUnformatted(shown.c_str(), shown.c_str() + shown.size());
  ImGui::EndChild();
  ImGui::End();
}

void DebugForm::choose(DebugCommand command) {
  const auto ask = [&](DebugQuestion text, std::string preset) {
    question_ = std::make_unique<Question>(Question{command, text, std::move(preset), false});
  };
  const std::vector<DebugWatch>& watches = session_.watches();
  switch (command) {
    case DebugCommand::watch_add:
      ask(kAskExpression, "");
      return;
    case DebugCommand::watch_change:
      ask(kAskExpression,
          selected_row_ < watches.size() ? watches[selected_row_].expression : std::string());
      return;
    case DebugCommand::execute_code:
      ask(kAskCode, session_.kept_code());
      return;
    case DebugCommand::set_speed:
      ask(kAskSpeed, session_.current_speed());
      return;
    case DebugCommand::show_local:
      ask(kAskInstance, "");
      return;
    default:
      requests_.push_back({command, {}, selected_row_});
      return;
  }
}

void DebugForm::draw_question() {
  if (!question_) return;
  const std::string title = std::string(question_->text.title) + "##question";
  if (!question_->opened) {
    ImGui::OpenPopup(title.c_str());
    question_->opened = true;
  }
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 3), ImGuiCond_Appearing,
                          ImVec2(0.5F, 0.5F));
  ImGui::SetNextWindowSize(ImVec2(std::min(io.DisplaySize.x - 20, 420.0F), 0));
  if (!ImGui::BeginPopupModal(title.c_str(), nullptr, ImGuiWindowFlags_NoSavedSettings)) {
    question_.reset();
    return;
  }
  ImGui::TextUnformatted(question_->text.prompt.data(),
                         question_->text.prompt.data() + question_->text.prompt.size());
  if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
  ImGui::SetNextItemWidth(-1);
  bool confirmed =
      ImGui::InputText("##answer", &question_->answer, ImGuiInputTextFlags_EnterReturnsTrue);
  confirmed = ImGui::Button("OK", ImVec2(80, 0)) || confirmed;
  ImGui::SameLine();
  const bool cancelled = ImGui::Button("Cancel", ImVec2(80, 0)) ||
                         ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
  if (confirmed || cancelled) {
    if (confirmed) requests_.push_back({question_->command, question_->answer, selected_row_});
    ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
    question_.reset();
    return;
  }
  ImGui::EndPopup();
}

void DebugForm::draw_alert() {
  if (alert_.empty()) return;
  if (!ImGui::IsPopupOpen(kAlertPopup)) ImGui::OpenPopup(kAlertPopup);
  if (!ImGui::BeginPopupModal(kAlertPopup, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
  ImGui::TextUnformatted(alert_.c_str());
  if (ImGui::Button("OK", ImVec2(80, 0)) ||
      ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter))) {
    alert_.clear();
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}

void DebugForm::carry_out_requests() {
  if (gui_->take_close_request()) {
    session_.close();
    gui_.reset();
    return;
  }
  for (const std::string& text : std::exchange(texts_to_save_, {})) {
    const platform::SystemChoice choice = platform::choose_file(true, kTextFiles, "", "");
    std::string error;
    if (choice.chosen && !WriteFileAtomically(choice.path, text, error)) {
      alert_ = "Cannot save the information: " + error;
    }
  }
  for (const std::string& text : std::exchange(texts_to_print_, {})) {
    const platform::PrintOutcome printed =
        platform::print_text("Debug Information", text, kPrintMargin);
    if (!printed.error.empty()) alert_ = "Cannot print the information: " + printed.error;
  }
  for (Request& request : std::exchange(requests_, {})) {
    if (request.command == DebugCommand::watch_load ||
        request.command == DebugCommand::watch_save) {
      const bool save = request.command == DebugCommand::watch_save;
      const platform::SystemChoice choice = platform::choose_file(save, kTextFiles, "", "");
      if (!choice.chosen) continue;
      request.answer = choice.path;
    }
    session_.perform(request.command, request.answer, request.row);
    if (std::string alert = session_.take_alert(); !alert.empty()) alert_ = alert;
    if (request.command == DebugCommand::step) draw();
  }
}

}  // namespace kestrel
