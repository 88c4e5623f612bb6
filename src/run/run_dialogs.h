#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/picture_window.h"
#include "platform/system_dialogs.h"
#include "platform/web_page.h"
#include "run/input_script.h"
#include "script/RValue.h"
#include "shell/highscore_dialog.h"
#include "shell/message_dialog.h"
#include "shell/splash_screen.h"

namespace kestrel {

class Runner;
class DialogEvents;

// A dialog's text from game code's value: a string as it is, a whole real
// as an integer, any other real with two decimals; then every '#' is a line
// break and "\#" a plain '#'.
std::string message_text(const RValue& value);

struct MessageAnswer {
  // The button that closed the dialog, 0 for Escape.
  int button = 0;
  // The prompt's field as it was when the dialog closed.
  std::string field;
};

// Asks the next answer of the input file first; else shows the dialog to the
// player and waits for it. With neither, the dialog takes what Enter would
// give it (and the preset text) and says so on standard error, so that an
// automated run never waits for a player who is not there.
MessageAnswer ask_message(Runner& runner, MessageRequest request);

// A popup menu at a screen position, or at the mouse when there is none;
// the chosen item's number, or `none_chosen` when nothing was chosen.
int ask_menu(Runner& runner, std::string_view items, std::optional<std::pair<int, int>> place,
             int none_chosen);

// Shows the highscore table and waits until it closes; with a new entry
// (rank 1 to 10, else 0) the name typed for it, which the input file's
// answer text gives in automated runs.
std::string show_highscores(Runner& runner, std::array<HighscoreLine, 10> lines, int new_rank);

// A file dialog's filter as games write it: names and patterns by turns,
// between bars, the patterns of one entry between semicolons
// ("Text files|*.txt;*.log|All files|*.*").
std::vector<platform::FileFilter> parse_file_filter(std::string_view text);

// The system's file dialogs: the chosen name, "" when cancelled. Without a
// player or an answer they are cancelled.
std::string ask_file(Runner& runner, bool save, std::string_view filter, const std::string& name);
std::string ask_folder(Runner& runner, const std::string& caption, const std::string& start);
// The system's colour dialog with game colours: the chosen one, -1 when cancelled.
int ask_colour(Runner& runner, int preset);

// Whether splash screens show inside the game window (the main setting,
// whatever the full screen setting says) rather than in a window of their own.
bool splash_in_game_window(const Runner& runner);
// The splash area's size as the settings place it: the game window's
// region, the screen, or the own window's size.
std::pair<int, int> splash_area(Runner& runner);
// Shows a splash screen as the settings say and waits until it closes. In
// automated runs the input file's answer closes it, or it closes at once
// with a note. `adapt` is the size the own window takes, when it takes one.
// Gives the view back once closed; keeps it and gives null when it stays open
// in a window of its own while the game goes on (interrupt off).
std::unique_ptr<SplashView> show_splash(Runner& runner, std::unique_ptr<SplashView> view,
                                        std::string_view name,
                                        std::optional<std::pair<int, int>> adapt);
// A splash in a window of its own that the game does not wait for: a drawn
// view in its window, or a web page. The window goes first, as it hands its
// events to the others.
struct OpenSplash {
  OpenSplash();
  OpenSplash(const OpenSplash&) = delete;
  OpenSplash& operator=(const OpenSplash&) = delete;
  ~OpenSplash();

  std::unique_ptr<SplashView> view;
  std::unique_ptr<DialogEvents> events;
  std::unique_ptr<platform::PictureWindow> window;
  std::unique_ptr<platform::WebPageWindow> page;
  // The page closes at this time of `opened`, when set.
  platform::Clock opened;
  std::optional<std::int64_t> page_closes_at;
};
// Paints or pumps the splash the game does not wait for, and lets it go once
// closed; the main loop calls it after each step's events.
void update_open_splash(Runner& runner);

// Shows the web page as the splash settings say (over the game window's
// client area when in it) and waits until it closes, or, in a window of its
// own with interrupt off, until it has loaded and then lets the game go on;
// false, after telling the player, when it could not be shown. Builds without a web view send it to
// the desktop's browser.
bool show_web_splash(Runner& runner, const std::string& address, std::int64_t delay_milliseconds);
// Has the desktop's browser open the address; false when it cannot be
// started. Runs without a player open nothing and say so.
bool open_in_browser(Runner& runner, const std::string& address);

// The line an automated run writes when a dialog has no answer; `dialog`
// names the dialog, `taken` what it takes.
void note_default_answer(std::string_view dialog, std::string_view taken);

// The answer the input file has for the next dialog, when there is one.
std::optional<DialogAnswer> scripted_answer(Runner& runner);

// An answer that does not fit the dialog it reached: said on standard error,
// and the dialog takes its default.
void note_unfitting_answer(const DialogAnswer& answer, std::string_view dialog);

}  // namespace kestrel
