#include "sound/Sound_Engine.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

namespace kestrel {
namespace {

constexpr int kSilentLevel = -9600;
// The master level at which sounds play as they were recorded: the top of its
// range, which games reach with a master volume of 1. Anything louder would
// only clip the mix.
constexpr int kMasterUnityLevel = 1000;
// How much quieter a 3D sound straight to one side is in the far ear.
constexpr int kFarEarLevel = -2000;

int round_to_int(double value) {
  return static_cast<int>(std::lround(value));
}

double length(const Vector3& v) {
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The level of one ear when the sound is turned by `level` towards the other.
EarGains panned(int level) {
  if (level > 0) return {level_gain(-level), 1};
  return {1, level_gain(level)};
}

}  // namespace

int sound_volume_level(double volume) {
  return round_to_int(9600 * volume) - 9600;
}
int sound_pan_level(double pan) {
  return round_to_int(10000 * pan);
}
int master_volume_level(double volume) {
  return std::clamp(round_to_int(11000 * volume - 10000), -10000, 1000);
}
double master_tempo(double factor) {
  return std::clamp(factor, 0.01, 100.0);
}
int cone_outside_level(double volume) {
  return round_to_int(10000 * volume - 10000);
}

float level_gain(int level) {
  if (level <= kSilentLevel) return 0;
  return static_cast<float>(std::pow(10.0, level / 2000.0));
}

EarGains spatial_gains(const SpatialSettings& settings) {
  const double distance = length(settings.position);
  const double min_distance = std::max(settings.min_distance, 1e-9);
  const double heard_at =
      std::clamp(distance, min_distance, std::max(min_distance, settings.max_distance));
  int level = round_to_int(2000 * std::log10(min_distance / heard_at));

  // The cone points away from the sound; the listener is inside when the
  // direction to it is within half the inside angle of the cone's axis.
  const double axis = length(settings.cone_orientation);
  if (distance > 0 && axis > 0) {
    const Vector3& o = settings.cone_orientation;
    const Vector3& p = settings.position;
    const double cosine = -(o.x * p.x + o.y * p.y + o.z * p.z) / (axis * distance);
    const double angle = std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / std::numbers::pi;
    const double inside = settings.cone_inside_angle / 2.0;
    const double outside = std::max(inside, settings.cone_outside_angle / 2.0);
    if (angle >= outside) {
      level += settings.cone_outside_level;
    } else if (angle > inside) {
      level += round_to_int(settings.cone_outside_level * (angle - inside) / (outside - inside));
    }
  }

  const double side = distance > 0 ? std::clamp(settings.position.x / distance, -1.0, 1.0) : 0;
  const EarGains ears = panned(round_to_int(-side * kFarEarLevel));
  const float gain = level_gain(level);
  return {ears.left * gain, ears.right * gain};
}

// One play's processing on the mixer thread: a 3D sound is made mono, then
// run through the entry's effects, turned to its side and set to its volume.
class SoundEngine::Voice final : public platform::VoiceProcessor {
 public:
  Voice(EffectChain chain, bool mono, EarGains ears, float master, int level)
      : chain(std::move(chain)),
        mono(mono),
        ears(ears),
        master(master),
        level_(level),
        target_(level) {}

  void process(float* frames, int frame_count) override {
    if (mono) {
      for (int i = 0; i < frame_count; ++i) {
        frames[2 * i] = frames[2 * i + 1] = (frames[2 * i] + frames[2 * i + 1]) / 2;
      }
    }
    chain.process(frames, frame_count);
    for (int i = 0; i < frame_count; ++i) {
      if (frames_left_ > 0) {
        level_ += step_;
        if (--frames_left_ == 0) level_ = target_;
      }
      const float gain = level_gain(round_to_int(level_)) * master;
      frames[2 * i] *= gain * ears.left;
      frames[2 * i + 1] *= gain * ears.right;
    }
  }

  // Moves the volume to `level` in a straight line of decibels over `frames`.
  void fade_to(int level, long frames) {
    target_ = level;
    frames_left_ = std::max(0L, frames);
    if (frames_left_ == 0) {
      level_ = level;
    } else {
      step_ = (target_ - level_) / static_cast<double>(frames_left_);
    }
  }

  EffectChain chain;
  bool mono;
  EarGains ears;
  float master;

 private:
  double level_;
  double target_;
  double step_ = 0;
  long frames_left_ = 0;
};

SoundEngine::SoundEngine(platform::AudioDevice* device, ShowMessage show_message)
    : device_(device), show_message_(std::move(show_message)) {}

SoundEngine::~SoundEngine() {
  for (int entry = 0; entry < static_cast<int>(entries_.size()); ++entry) free_entry(entry);
  if (device_ != nullptr && !media_file_.empty()) device_->media_stop();
}

int SoundEngine::new_entry(int kind) {
  auto free_slot = std::find_if(entries_.begin(), entries_.end(),
                                [](const Entry& entry) { return !entry.in_use; });
  if (free_slot == entries_.end()) free_slot = entries_.insert(free_slot, Entry{});
  *free_slot = Entry{};
  free_slot->in_use = true;
  free_slot->kind = device_ != nullptr ? kind : kSoundMultimedia;
  return static_cast<int>(free_slot - entries_.begin());
}

int SoundEngine::entry_from_memory(std::span<const std::uint8_t> bytes, int kind) {
  if (device_ == nullptr) return -1;
  std::string error;
  const platform::ClipId clip = device_->load_clip(bytes, error);
  if (clip == platform::kNoClip) return -1;
  const int entry = new_entry(kind);
  entries_[entry].clip = clip;
  return entry;
}

int SoundEngine::entry_from_file(const std::string& file_name, int kind) {
  std::error_code error_code;
  if (!std::filesystem::is_regular_file(file_name, error_code)) return -1;
  const int index = new_entry(kind);
  Entry& entry = entries_[index];
  if (entry.kind != kSoundMultimedia) {
    std::string error;
    entry.clip = device_->load_clip_file(file_name, error);
    if (entry.clip == platform::kNoClip) entry.kind = kSoundMultimedia;
  }
  if (entry.kind == kSoundMultimedia) entry.file_name = file_name;
  return index;
}

void SoundEngine::free_entry(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size()) || !entries_[index].in_use) return;
  Entry& entry = entries_[index];
  if (entry.clip != platform::kNoClip) device_->free_clip(entry.clip);
  if (entry.kind == kSoundMultimedia && !media_file_.empty() && media_file_ == entry.file_name) {
    device_->media_stop();
    media_file_.clear();
  }
  entry = Entry{};
}

int SoundEngine::entry_kind(int entry) const {
  if (entry < 0 || entry >= static_cast<int>(entries_.size()) || !entries_[entry].in_use) {
    return -1;
  }
  return entries_[entry].kind;
}

SoundEngine::Entry* SoundEngine::mixer_entry(int index) {
  const int kind = entry_kind(index);
  if (kind < 0 || kind == kSoundMultimedia || device_ == nullptr) return nullptr;
  return &entries_[index];
}

EarGains SoundEngine::ear_gains(const Entry& entry) const {
  return entry.kind == kSound3D ? spatial_gains(entry.spatial) : panned(entry.pan_level);
}

std::shared_ptr<SoundEngine::Voice> SoundEngine::make_voice(const Entry& entry) const {
  return std::make_shared<Voice>(
      EffectChain(entry.effect_bits, entry.effect_parameters, device_->sample_rate()),
      entry.kind == kSound3D, ear_gains(entry), master_gain_, entry.volume_level);
}

void SoundEngine::play(int index, bool loop) {
  if (entry_kind(index) == kSoundMultimedia) {
    play_media(entries_[index], loop);
    return;
  }
  Entry* entry = mixer_entry(index);
  if (entry == nullptr) return;
  // Only one piece of background music plays; the new one takes its place.
  if (entry->kind == kSoundBackground) {
    for (Entry& other : entries_) {
      if (other.in_use && other.kind == kSoundBackground) stop_plays(other);
    }
  }
  std::erase_if(entry->plays, [&](const Play& play) { return !device_->is_playing(play.id); });
  auto voice = make_voice(*entry);
  const platform::PlayId id = device_->play_clip(entry->clip, loop, voice);
  if (id != platform::kNoPlay) entry->plays.push_back({id, std::move(voice)});
}

void SoundEngine::play_media(const Entry& entry, bool loop) {
  if (entry.file_name.size() >= kMediaNameLimit) {
    show_message_(kMediaNameTooLongMessage);
    return;
  }
  std::error_code error_code;
  if (device_ == nullptr || !std::filesystem::is_regular_file(entry.file_name, error_code)) return;
  std::string error;
  media_file_ = entry.file_name;
  if (!device_->media_play(entry.file_name, loop, error)) show_message_(error);
}

void SoundEngine::stop_plays(Entry& entry) {
  for (const Play& play : entry.plays) device_->stop_play(play.id);
  entry.plays.clear();
}

void SoundEngine::stop(int index) {
  if (entry_kind(index) == kSoundMultimedia) {
    if (device_ != nullptr && media_file_ == entries_[index].file_name) device_->media_stop();
    return;
  }
  if (Entry* entry = mixer_entry(index)) stop_plays(*entry);
}

void SoundEngine::stop_all() {
  for (int index = 0; index < static_cast<int>(entries_.size()); ++index) stop(index);
}

bool SoundEngine::is_playing(int index) {
  if (entry_kind(index) == kSoundMultimedia) {
    return device_ != nullptr && media_file_ == entries_[index].file_name &&
           device_->media_playing();
  }
  Entry* entry = mixer_entry(index);
  return entry != nullptr &&
         std::any_of(entry->plays.begin(), entry->plays.end(),
                     [&](const Play& play) { return device_->is_playing(play.id); });
}

void SoundEngine::update_voices(Entry& entry, const std::function<void(Voice&)>& change) {
  platform::MixerLock lock(*device_);
  for (Play& play : entry.plays) change(*play.voice);
}

void SoundEngine::fade(int index, double volume, double milliseconds) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr) return;
  // The mixer's range: full volume down to silence.
  entry->volume_level = std::clamp(sound_volume_level(volume), kSilentLevel, 0);
  const long frames = std::lround(std::round(milliseconds) * device_->sample_rate() / 1000);
  update_voices(*entry, [&](Voice& voice) { voice.fade_to(entry->volume_level, frames); });
}

void SoundEngine::set_pan(int index, double pan) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr || entry->kind == kSound3D) return;
  entry->pan_level = std::clamp(sound_pan_level(pan), -10000, 10000);
  update_placement(*entry);
}

void SoundEngine::update_placement(Entry& entry) {
  const EarGains ears = ear_gains(entry);
  update_voices(entry, [&](Voice& voice) { voice.ears = ears; });
}

void SoundEngine::set_global_volume(double volume) {
  master_gain_ = level_gain(master_volume_level(volume) - kMasterUnityLevel);
  if (device_ == nullptr) return;
  for (Entry& entry : entries_) {
    update_voices(entry, [&](Voice& voice) { voice.master = master_gain_; });
  }
}

void SoundEngine::set_tempo(double factor) {
  tempo_ = master_tempo(factor);
}

void SoundEngine::set_effects(int index, int bits) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr) return;
  // New effects start from their own defaults.
  entry->effect_bits = bits;
  entry->effect_parameters = EffectParameters{};
  const int sample_rate = device_->sample_rate();
  update_voices(*entry, [&](Voice& voice) {
    voice.chain = EffectChain(bits, entry->effect_parameters, sample_rate);
  });
}

template <class Parameters>
void SoundEngine::set_effect_block(int index, SoundEffectBit bit,
                                   Parameters EffectParameters::*block,
                                   const Parameters& parameters, bool valid) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr || (entry->effect_bits & bit) == 0 || !valid) return;
  entry->effect_parameters.*block = parameters;
  update_voices(*entry,
                [&](Voice& voice) { voice.chain.set_parameters(bit, entry->effect_parameters); });
}

void SoundEngine::set_chorus(int entry, const ModulatedDelayParameters& parameters) {
  set_effect_block(entry, kEffectChorus, &EffectParameters::chorus, parameters,
                   valid_chorus(parameters));
}
void SoundEngine::set_echo(int entry, const EchoParameters& parameters) {
  set_effect_block(entry, kEffectEcho, &EffectParameters::echo, parameters, valid_echo(parameters));
}
void SoundEngine::set_flanger(int entry, const ModulatedDelayParameters& parameters) {
  set_effect_block(entry, kEffectFlanger, &EffectParameters::flanger, parameters,
                   valid_flanger(parameters));
}
void SoundEngine::set_gargle(int entry, const GargleParameters& parameters) {
  set_effect_block(entry, kEffectGargle, &EffectParameters::gargle, parameters,
                   valid_gargle(parameters));
}
void SoundEngine::set_compressor(int entry, const CompressorParameters& parameters) {
  set_effect_block(entry, kEffectCompressor, &EffectParameters::compressor, parameters,
                   valid_compressor(parameters));
}
void SoundEngine::set_equalizer(int entry, const EqualizerParameters& parameters) {
  set_effect_block(entry, kEffectEqualizer, &EffectParameters::equalizer, parameters,
                   valid_equalizer(parameters));
}
void SoundEngine::set_reverb(int entry, const ReverbParameters& parameters) {
  set_effect_block(entry, kEffectReverb, &EffectParameters::reverb, parameters,
                   valid_reverb(parameters));
}

void SoundEngine::set_position(int index, const Vector3& position) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr || entry->kind != kSound3D) return;
  entry->spatial.position = position;
  update_placement(*entry);
}

void SoundEngine::set_distance(int index, double min_distance, double max_distance) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr || entry->kind != kSound3D) return;
  entry->spatial.min_distance = std::max(min_distance, 0.0);
  entry->spatial.max_distance = max_distance;
  update_placement(*entry);
}

void SoundEngine::set_cone(int index, const Vector3& orientation, int inside_angle,
                           int outside_angle, double outside_volume) {
  Entry* entry = mixer_entry(index);
  if (entry == nullptr || entry->kind != kSound3D) return;
  entry->spatial.cone_orientation = orientation;
  entry->spatial.cone_inside_angle = inside_angle;
  entry->spatial.cone_outside_angle = outside_angle;
  entry->spatial.cone_outside_level = cone_outside_level(outside_volume);
  update_placement(*entry);
}

}  // namespace kestrel
