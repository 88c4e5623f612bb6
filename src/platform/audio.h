#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kestrel::platform {

// Works on one voice's samples on the mixer's thread, in place: interleaved
// stereo frames (left, right) of floats in -1..1 at the device's sample rate.
// It must not block; the game thread changes what it reads only while the mixer
// is locked.
class VoiceProcessor {
 public:
  virtual ~VoiceProcessor() = default;
  virtual void process(float* frames, int frame_count) = 0;
};

// A decoded sound held by the device, ready to be played any number of times.
using ClipId = std::uint32_t;
inline constexpr ClipId kNoClip = 0;

// One play of a clip; ids are never reused, so a finished play stays finished.
using PlayId = std::uint64_t;
inline constexpr PlayId kNoPlay = 0;

struct AudioSettings {
  int sample_rate = 44100;
  // The sound font that renders MIDI files; empty leaves the mixer's default.
  std::string sound_font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
};

// The audio output: voices that play decoded clips through a processor, and
// one media player that streams a file by name (the only one that plays at a
// time).
class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  virtual int sample_rate() const = 0;

  // Decodes a whole sound file (wave, Ogg Vorbis, ...). kNoClip and a reason
  // when the format is not one the device decodes.
  virtual ClipId load_clip(std::span<const std::uint8_t> bytes, std::string& error) = 0;
  virtual ClipId load_clip_file(const std::string& path, std::string& error) = 0;
  // Stops the clip's plays first.
  virtual void free_clip(ClipId clip) = 0;

  // Starts the clip on a free voice with the processor in place from the first
  // sample; the device keeps the processor until the voice is reused. kNoPlay
  // when the clip is unknown or every voice is busy.
  virtual PlayId play_clip(ClipId clip, bool loop, std::shared_ptr<VoiceProcessor> processor) = 0;
  virtual void stop_play(PlayId play) = 0;
  virtual bool is_playing(PlayId play) const = 0;

  // Replaces what the media player holds and starts it from the beginning;
  // looping starts it again each time it ends. False and a reason when the file
  // cannot be played.
  virtual bool media_play(const std::string& path, bool loop, std::string& error) = 0;
  virtual void media_stop() = 0;
  virtual bool media_playing() const = 0;

  // Holds the mixer's thread off while the game changes what processors read.
  virtual void lock_mixer() = 0;
  virtual void unlock_mixer() = 0;
};

// Keeps the mixer locked for a scope.
class MixerLock {
 public:
  explicit MixerLock(AudioDevice& device) : device_(device) { device_.lock_mixer(); }
  ~MixerLock() { device_.unlock_mixer(); }
  MixerLock(const MixerLock&) = delete;
  MixerLock& operator=(const MixerLock&) = delete;

 private:
  AudioDevice& device_;
};

// The sound card through SDL's audio and its mixer (SDL_AUDIODRIVER chooses the
// output; "disk" writes the samples to a file). Null and a reason when no
// device opens.
std::unique_ptr<AudioDevice> open_sdl_audio(const AudioSettings& settings, std::string& error);

// Accepts every clip and plays nothing: for logic tests and servers.
std::unique_ptr<AudioDevice> open_null_audio();

}  // namespace kestrel::platform
