#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "sound/sound_effects.h"

namespace kestrel {

// How a sound is played.
inline constexpr int kSoundNormal = 0;      // its own voices; plays overlap
inline constexpr int kSoundBackground = 1;  // one piece of music at a time
inline constexpr int kSound3D = 2;          // its own voices, placed in space
inline constexpr int kSoundMultimedia = 3;  // the media player, by file name

inline constexpr char kNoSoundDeviceMessage[] = "No sound device detected. Sounds might not play.";
inline constexpr char kMediaNameTooLongMessage[] = "Music file name too long for player.";
// The media player takes file names shorter than this.
inline constexpr std::size_t kMediaNameLimit = 127;

// Levels are in hundredths of a decibel, as games think of them.
// The volume of a sound: 1 is full, 0 is silence.
int sound_volume_level(double volume);
// The pan of a sound: -1 is the left side only, 1 the right side only.
int sound_pan_level(double pan);
// The master volume: 1 is unchanged, up to 10 dB louder.
int master_volume_level(double volume);
double master_tempo(double factor);
// The volume outside a 3D sound's cone, 1 being the volume inside.
int cone_outside_level(double volume);
// The amplitude factor of a level; the bottom of the sound volume range
// (-9600) and below is silence.
float level_gain(int level);

struct Vector3 {
  double x = 0;
  double y = 0;
  double z = 0;
};

// Where a 3D sound is, heard by a listener at the origin looking along +z
// with +x to the right.
struct SpatialSettings {
  Vector3 position;
  double min_distance = 1;
  double max_distance = 1e9;
  Vector3 cone_orientation{0, 0, 1};
  int cone_inside_angle = 360;  // degrees
  int cone_outside_angle = 360;
  int cone_outside_level = 0;
};

// The gain of each ear for a 3D sound: fading with distance past the minimum
// distance, quieter outside its cone, and turned towards the side it is on.
struct EarGains {
  float left = 1;
  float right = 1;
};
EarGains spatial_gains(const SpatialSettings& settings);

// The player table and the playback of its entries through the audio device.
// Entries are private to the sound layer; a sound remembers its entry index.
class SoundEngine {
 public:
  using ShowMessage = std::function<void(const std::string&)>;

  // Without a device every entry falls back to the media player, and the
  // media player plays nothing either.
  SoundEngine(platform::AudioDevice* device, ShowMessage show_message);
  ~SoundEngine();
  SoundEngine(const SoundEngine&) = delete;
  SoundEngine& operator=(const SoundEngine&) = delete;

  bool has_mixer() const { return device_ != nullptr; }

  // -1 when the sound cannot be loaded (from memory), or the file does not
  // exist. An entry whose data the mixer cannot decode falls back to the media
  // player when it has a file to give it.
  int entry_from_memory(std::span<const std::uint8_t> bytes, int kind);
  int entry_from_file(const std::string& file_name, int kind);
  void free_entry(int entry);
  // The kind the entry is played as, or -1 for an index that names no entry.
  int entry_kind(int entry) const;

  void play(int entry, bool loop);
  void stop(int entry);
  void stop_all();
  bool is_playing(int entry);

  void set_volume(int entry, double volume) { fade(entry, volume, 0); }
  void fade(int entry, double volume, double milliseconds);
  void set_pan(int entry, double pan);
  void set_global_volume(double volume);
  void set_tempo(double factor);
  double tempo() const { return tempo_; }
  void set_search_directory(std::string folder) { search_directory_ = std::move(folder); }
  const std::string& search_directory() const { return search_directory_; }

  // Replaces the entry's effect chain; 0 removes every effect.
  void set_effects(int entry, int bits);
  // Each replaces the parameters of the entry's effect of that kind. Nothing
  // happens when the effect is not in the chain or a value is out of range.
  void set_chorus(int entry, const ModulatedDelayParameters& parameters);
  void set_echo(int entry, const EchoParameters& parameters);
  void set_flanger(int entry, const ModulatedDelayParameters& parameters);
  void set_gargle(int entry, const GargleParameters& parameters);
  void set_compressor(int entry, const CompressorParameters& parameters);
  void set_equalizer(int entry, const EqualizerParameters& parameters);
  void set_reverb(int entry, const ReverbParameters& parameters);

  // For 3D entries only; others ignore them.
  void set_position(int entry, const Vector3& position);
  void set_distance(int entry, double min_distance, double max_distance);
  void set_cone(int entry, const Vector3& orientation, int inside_angle, int outside_angle,
                double outside_volume);

 private:
  class Voice;
  struct Play {
    platform::PlayId id = platform::kNoPlay;
    std::shared_ptr<Voice> voice;
  };
  struct Entry {
    bool in_use = false;
    int kind = kSoundNormal;
    platform::ClipId clip = platform::kNoClip;
    std::string file_name;
    int effect_bits = 0;
    EffectParameters effect_parameters;
    int volume_level = 0;
    int pan_level = 0;
    SpatialSettings spatial;
    std::vector<Play> plays;
  };

  int new_entry(int kind);
  Entry* mixer_entry(int entry);
  std::shared_ptr<Voice> make_voice(const Entry& entry) const;
  EarGains ear_gains(const Entry& entry) const;
  // Hands the entry's settings to the voices it has playing.
  void update_voices(Entry& entry, const std::function<void(Voice&)>& change);
  void update_placement(Entry& entry);
  template <class Parameters>
  void set_effect_block(int entry, SoundEffectBit bit, Parameters EffectParameters::*block,
                        const Parameters& parameters, bool valid);
  void stop_plays(Entry& entry);
  void play_media(const Entry& entry, bool loop);

  platform::AudioDevice* device_;
  ShowMessage show_message_;
  std::vector<Entry> entries_;
  float master_gain_ = 1;
  double tempo_ = 1;
  std::string search_directory_;
  // The file the media player holds.
  std::string media_file_;
};

}  // namespace kestrel
