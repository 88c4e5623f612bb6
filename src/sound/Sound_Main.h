#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "data/Sound_Class.h"
#include "data/Support_File.h"
#include "data/resource_list.h"
#include "platform/audio.h"
#include "sound/Sound_Engine.h"
#include "sound/Support_CD.h"

namespace kestrel {

inline constexpr char kNoSuchSoundMessage[] = "Sound does not exist.";

// All sound state of a game: the mixer's player table, the CD drive, and for
// each sound resource its player entry and the temporary file it plays from.
// The runner owns one, made after the game is loaded; it outlives neither the
// sound list nor the temporary folder it is given.
class SoundSystem {
 public:
  SoundSystem(ResourceList<CSound>& sounds, const TempDirectory& temp_folder,
              SoundEngine::ShowMessage show_message);
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;
  ~SoundSystem();

  // Starts over with this device; without one every sound falls back to the
  // media player, and the player is told once.
  void start(std::unique_ptr<platform::AudioDevice> device);
  // Stops and forgets every sound and lets the device go.
  void stop();

  // Prepares every sound marked for preloading.
  void prepare_all();
  // The sound's player entry, prepared now if it has none: nullopt when the
  // index names no sound, -1 when the sound cannot be played.
  std::optional<int> entry_of(int sound_index);
  // Frees the sound's entry, before the sound is deleted or replaced.
  void forget(int sound_index);

  SoundEngine& engine() { return *engine_; }
  // The device sounds play through; null before start.
  platform::AudioDevice* device() { return device_.get(); }
  CdAudio& cd() { return cd_; }

 private:
  struct Playback {
    int entry = -1;
    std::filesystem::path temp_file;
  };

  void prepare(int sound_index, CSound& sound);
  // Writes the sound's data to its own temporary file and drops the data.
  bool write_temp_file(Playback& playback, CSound& sound);

  ResourceList<CSound>& sounds_;
  const TempDirectory& temp_folder_;
  SoundEngine::ShowMessage show_message_;
  std::unique_ptr<platform::AudioDevice> device_;
  std::unique_ptr<SoundEngine> engine_;
  CdAudio cd_;
  std::vector<Playback> playback_;
};

}  // namespace kestrel
