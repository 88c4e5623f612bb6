#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrel {

// Sends a command string to the media control service and returns its reply,
// cut to fit a reply buffer of `reply_capacity` characters (one of which ends
// the string).
using MediaCommandSender = std::function<std::string(std::string_view command, int reply_capacity)>;

// The answers of a machine without a disc in its drive: no disc is ever
// present, every other command has an empty reply.
std::string answer_without_disc(std::string_view command, int reply_capacity);

// The CD audio functions, as command strings to the media control service.
class CdAudio {
 public:
  explicit CdAudio(MediaCommandSender send = answer_without_disc) : send_(std::move(send)) {}

  void init();
  bool present();
  int track_count();
  bool playing();
  bool paused();
  int track();
  int length();
  int track_length(int track);
  int position();
  int track_position();
  void play(int first, int last);
  void stop();
  void pause();
  void resume();
  void set_position(int milliseconds);
  void set_track_position(int milliseconds);
  void open_door();
  void close_door();

  // A free-form command; the reply, empty when there is none.
  std::string command(std::string_view command);

 private:
  std::string send(std::string_view command) { return send_(command, 20); }
  // Asks only when a disc is present; an empty reply otherwise.
  std::string ask_if_present(std::string_view command);

  MediaCommandSender send_;
};

// The integer of a reply's decimal digits taken together; 0 when it has none.
int reply_number(std::string_view reply);

}  // namespace kestrel
