#pragma once

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace kestrel {

// Plays last until stopped; clips whose bytes start with "bad" do not decode.
class FakeAudio final : public platform::AudioDevice {
 public:
  struct Play {
    platform::ClipId clip;
    bool loop;
    std::shared_ptr<platform::VoiceProcessor> processor;
    bool playing = true;
  };

  int sample_rate() const override { return 1000; }
  platform::ClipId load_clip(std::span<const std::uint8_t> bytes, std::string& error) override {
    if (std::string(bytes.begin(), bytes.end()).starts_with("bad")) {
      error = "not a sound";
      return platform::kNoClip;
    }
    return next_clip_++;
  }
  platform::ClipId load_clip_file(const std::string& path, std::string& error) override {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    return load_clip(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                     error);
  }
  void free_clip(platform::ClipId clip) override {
    for (auto& [id, play] : plays) {
      if (play.clip == clip) play.playing = false;
    }
  }
  platform::PlayId play_clip(platform::ClipId clip, bool loop,
                             std::shared_ptr<platform::VoiceProcessor> processor) override {
    plays[next_play_] = {clip, loop, std::move(processor)};
    return next_play_++;
  }
  void stop_play(platform::PlayId play) override { plays.at(play).playing = false; }
  bool is_playing(platform::PlayId play) const override {
    return plays.contains(play) && plays.at(play).playing;
  }
  bool media_play(const std::string& path, bool loop, std::string&) override {
    media_file = path;
    media_loop = loop;
    media_is_playing = true;
    return true;
  }
  void media_stop() override { media_is_playing = false; }
  bool media_playing() const override { return media_is_playing; }
  void lock_mixer() override {}
  void unlock_mixer() override {}

  int playing_count() const {
    int count = 0;
    for (const auto& [id, play] : plays) count += play.playing ? 1 : 0;
    return count;
  }
  // The stereo frame a play makes of a steady left and right level.
  std::pair<float, float> process(platform::PlayId play, float left = 1, float right = 1,
                                  int frames = 1) {
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) samples.insert(samples.end(), {left, right});
    plays.at(play).processor->process(samples.data(), frames);
    return {samples[samples.size() - 2], samples.back()};
  }

  std::map<platform::PlayId, Play> plays;
  std::string media_file;
  bool media_loop = false;
  bool media_is_playing = false;

 private:
  platform::ClipId next_clip_ = 1;
  platform::PlayId next_play_ = 1;
};

inline std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace kestrel
