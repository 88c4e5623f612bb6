#include <SDL.h>
#include <SDL_mixer.h>

#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/audio.h"

namespace kestrel::platform {
namespace {

constexpr int kVoiceCount = 64;
constexpr int kBlockFrames = 1024;

struct Voice {
  PlayId play = kNoPlay;
  ClipId clip = kNoClip;
  std::shared_ptr<VoiceProcessor> processor;
};

// The mixer mixes in stereo float so that processors see the samples as they
// are, with no conversion on the way in or out.
class SdlAudio final : public AudioDevice {
 public:
  ~SdlAudio() override {
    if (!opened_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (media_ != nullptr) Mix_FreeMusic(media_);
    for (auto& [id, chunk] : clips_) Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool open(const AudioSettings& settings, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      error = std::string("Failed to start the audio system: ") + SDL_GetError();
      return false;
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MID);
    if (!settings.sound_font.empty()) Mix_SetSoundFonts(settings.sound_font.c_str());
    if (Mix_OpenAudioDevice(settings.sample_rate, AUDIO_F32SYS, 2, kBlockFrames, nullptr, 0) != 0) {
      error = std::string("Failed to open the sound device: ") + Mix_GetError();
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    opened_ = true;
    sample_rate_ = settings.sample_rate;
    Mix_AllocateChannels(kVoiceCount);
    voices_.resize(kVoiceCount);
    return true;
  }

  int sample_rate() const override { return sample_rate_; }

  ClipId load_clip(std::span<const std::uint8_t> bytes, std::string& error) override {
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return add_clip(source != nullptr ? Mix_LoadWAV_RW(source, 1) : nullptr, error);
  }

  ClipId load_clip_file(const std::string& path, std::string& error) override {
    return add_clip(Mix_LoadWAV(path.c_str()), error);
  }

  void free_clip(ClipId clip) override {
    auto found = clips_.find(clip);
    if (found == clips_.end()) return;
    for (int channel = 0; channel < kVoiceCount; ++channel) {
      if (voices_[channel].clip == clip) halt(channel);
    }
    Mix_FreeChunk(found->second);
    clips_.erase(found);
  }

  PlayId play_clip(ClipId clip, bool loop, std::shared_ptr<VoiceProcessor> processor) override {
    auto found = clips_.find(clip);
    if (found == clips_.end()) return kNoPlay;
    const int channel = free_channel();
    if (channel < 0) return kNoPlay;
    // The processor goes on before the voice starts so that no block escapes
    // it; an idle channel keeps its effects until it plays again.
    Mix_UnregisterAllEffects(channel);
    Voice& voice = voices_[channel];
    voice = {next_play_++, clip, std::move(processor)};
    if (voice.processor) {
      Mix_RegisterEffect(channel, &SdlAudio::run_processor, nullptr, this);
    }
    if (Mix_PlayChannel(channel, found->second, loop ? -1 : 0) < 0) {
      Mix_UnregisterAllEffects(channel);
      voice = {};
      return kNoPlay;
    }
    return voice.play;
  }

  void stop_play(PlayId play) override {
    const int channel = channel_of(play);
    if (channel >= 0) halt(channel);
  }

  bool is_playing(PlayId play) const override {
    const int channel = channel_of(play);
    return channel >= 0 && Mix_Playing(channel) != 0;
  }

  bool media_play(const std::string& path, bool loop, std::string& error) override {
    media_stop();
    if (media_ != nullptr) Mix_FreeMusic(media_);
    media_ = Mix_LoadMUS(path.c_str());
    if (media_ == nullptr) {
      error = std::string("Failed to open \"") + path + "\": " + Mix_GetError();
      return false;
    }
    if (Mix_PlayMusic(media_, loop ? -1 : 1) != 0) {
      error = std::string("Failed to play \"") + path + "\": " + Mix_GetError();
      return false;
    }
    return true;
  }

  void media_stop() override { Mix_HaltMusic(); }
  bool media_playing() const override { return Mix_PlayingMusic() != 0; }

  void lock_mixer() override { processing_.lock(); }
  void unlock_mixer() override { processing_.unlock(); }

 private:
  static void run_processor(int channel, void* stream, int length, void* device) {
    auto& self = *static_cast<SdlAudio*>(device);
    std::lock_guard lock(self.processing_);
    VoiceProcessor* processor = self.voices_[channel].processor.get();
    if (processor != nullptr) {
      processor->process(static_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
    }
  }

  ClipId add_clip(Mix_Chunk* chunk, std::string& error) {
    if (chunk == nullptr) {
      error = std::string("Failed to decode the sound: ") + Mix_GetError();
      return kNoClip;
    }
    const ClipId id = next_clip_++;
    clips_.emplace(id, chunk);
    return id;
  }

  int free_channel() const {
    for (int channel = 0; channel < kVoiceCount; ++channel) {
      if (Mix_Playing(channel) == 0) return channel;
    }
    return -1;
  }

  int channel_of(PlayId play) const {
    if (play == kNoPlay) return -1;
    for (int channel = 0; channel < kVoiceCount; ++channel) {
      if (voices_[channel].play == play) return channel;
    }
    return -1;
  }

  void halt(int channel) {
    Mix_HaltChannel(channel);
    voices_[channel].clip = kNoClip;
  }

  bool opened_ = false;
  int sample_rate_ = 0;
  std::unordered_map<ClipId, Mix_Chunk*> clips_;
  ClipId next_clip_ = 1;
  std::vector<Voice> voices_;
  PlayId next_play_ = 1;
  Mix_Music* media_ = nullptr;
  std::mutex processing_;
};

}  // namespace

std::unique_ptr<AudioDevice> open_sdl_audio(const AudioSettings& settings, std::string& error) {
  auto device = std::make_unique<SdlAudio>();
  if (!device->open(settings, error)) return nullptr;
  return device;
}

}  // namespace kestrel::platform
