#include "platform/audio.h"

namespace kestrel::platform {
namespace {

// Every sound loads and every play ends at once, so the game's logic runs as
// it would with a sound card that nobody listens to.
class NullAudio final : public AudioDevice {
 public:
  int sample_rate() const override { return 44100; }

  ClipId load_clip(std::span<const std::uint8_t>, std::string&) override { return next_clip_++; }
  ClipId load_clip_file(const std::string&, std::string&) override { return next_clip_++; }
  void free_clip(ClipId) override {}

  PlayId play_clip(ClipId clip, bool, std::shared_ptr<VoiceProcessor>) override {
    return clip == kNoClip ? kNoPlay : next_play_++;
  }
  void stop_play(PlayId) override {}
  bool is_playing(PlayId) const override { return false; }

  bool media_play(const std::string&, bool, std::string&) override { return true; }
  void media_stop() override {}
  bool media_playing() const override { return false; }

  void lock_mixer() override {}
  void unlock_mixer() override {}

 private:
  ClipId next_clip_ = 1;
  PlayId next_play_ = 1;
};

}  // namespace

std::unique_ptr<AudioDevice> open_null_audio() {
  return std::make_unique<NullAudio>();
}

}  // namespace kestrel::platform
