#include "sound/Support_CD.h"

#include <algorithm>
#include <cctype>

namespace kestrel {
namespace {

constexpr char kTrackTimeFormat[] = "set cdaudio time format tmsf wait";

std::string number_text(int value) {
  return std::to_string(value);
}

}  // namespace

std::string answer_without_disc(std::string_view command, int reply_capacity) {
  std::string reply = command == "status cdaudio media present" ? "false" : "";
  if (reply_capacity <= 0) return {};
  if (static_cast<int>(reply.size()) >= reply_capacity) reply.resize(reply_capacity - 1);
  return reply;
}

int reply_number(std::string_view reply) {
  long long number = 0;
  for (const char c : reply) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) continue;
    // A reply holds at most 19 digits; keep the value within an int all the same.
    number = std::min(number * 10 + (c - '0'), 2147483647LL);
  }
  return static_cast<int>(number);
}

std::string CdAudio::ask_if_present(std::string_view command) {
  return present() ? send(command) : std::string();
}

void CdAudio::init() {
  send("close cdaudio");
  send("open cdaudio");
}

bool CdAudio::present() {
  send("open cdaudio");
  return send("status cdaudio media present") == "true";
}

int CdAudio::track_count() {
  send("open cdaudio");
  return reply_number(ask_if_present("status cdaudio number of tracks"));
}

bool CdAudio::playing() {
  send("open cdaudio");
  return ask_if_present("status cdaudio mode") == "playing";
}

bool CdAudio::paused() {
  send("open cdaudio");
  if (!present()) return false;
  return send("status cdaudio mode") == "paused" || send("status cdaudio mode") == "stopped";
}

int CdAudio::track() {
  send("open cdaudio");
  send(kTrackTimeFormat);
  return reply_number(ask_if_present("status cdaudio position").substr(0, 2));
}

int CdAudio::length() {
  send("open cdaudio");
  send("set cdaudio time format ms wait");
  const std::string reply = ask_if_present("status cdaudio length wait");
  send(kTrackTimeFormat);
  return reply_number(reply);
}

int CdAudio::track_length(int track) {
  send("open cdaudio");
  if (track < 1 || track > track_count()) return 0;
  send("set cdaudio time format milliseconds wait");
  const std::string reply = ask_if_present("status cdaudio length track " + number_text(track));
  send(kTrackTimeFormat);
  return reply_number(reply);
}

int CdAudio::position() {
  send("open cdaudio");
  send("set cdaudio time format milliseconds wait");
  const std::string reply = ask_if_present("status cdaudio position");
  send(kTrackTimeFormat);
  return reply_number(reply);
}

int CdAudio::track_position() {
  send("open cdaudio");
  send(kTrackTimeFormat);
  // Track, minutes, seconds and frames: "tt:mm:ss:ff".
  const std::string reply = ask_if_present("status cdaudio position");
  const auto field = [&](std::size_t start) {
    return start < reply.size() ? reply_number(std::string_view(reply).substr(start, 2)) : 0;
  };
  return field(3) * 60000 + field(6) * 1000;
}

void CdAudio::play(int first, int last) {
  if (!present()) return;
  send(kTrackTimeFormat);
  if (last < first) return;
  first = std::max(first, 1);
  if (last < track_count()) {
    send("play cdaudio from " + number_text(first) + " to " + number_text(last + 1));
  } else {
    send("play cdaudio from " + number_text(first));
  }
}

void CdAudio::stop() {
  if (present()) send("stop cdaudio");
}

void CdAudio::pause() {
  if (present()) send("pause cdaudio");
}

void CdAudio::resume() {
  if (present()) send("play cdaudio");
}

void CdAudio::set_position(int milliseconds) {
  if (!present()) return;
  send("set cdaudio time format milliseconds wait");
  const std::string target = number_text(milliseconds);
  send(playing() ? "play cdaudio from " + target : "seek cdaudio to " + target);
  send("set cdaudio time format tmsf");
}

void CdAudio::set_track_position(int milliseconds) {
  if (!present()) return;
  const int current = track();
  if (current < 1) return;
  const std::string target = number_text(current) + ":" + number_text(milliseconds / 60000) + ":" +
                             number_text(milliseconds % 60000 / 1000);
  send(kTrackTimeFormat);
  send(playing() ? "play cdaudio from " + target : "seek cdaudio to " + target);
  send("set cdaudio time format tmsf");
}

void CdAudio::open_door() {
  send("open cdaudio");
  send("set cdaudio door open");
}

void CdAudio::close_door() {
  send("open cdaudio");
  send("set cdaudio door closed");
}

std::string CdAudio::command(std::string_view command) {
  return send_(command, 255);
}

}  // namespace kestrel
