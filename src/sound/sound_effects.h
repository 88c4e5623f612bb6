#pragma once

#include <memory>
#include <vector>

namespace kestrel {

// The effect bits of a sound, as games set them with sound_effect_set.
enum SoundEffectBit : int {
  kEffectChorus = 1,
  kEffectEcho = 2,
  kEffectFlanger = 4,
  kEffectGargle = 8,
  kEffectReverb = 16,
  kEffectCompressor = 32,
  kEffectEqualizer = 64,
  kEffectDistortion = 128,
  kEffectRoomReverb = 256,
};

// The order in which set bits are chained, first to last.
inline constexpr SoundEffectBit kEffectChainOrder[] = {
    kEffectChorus, kEffectEcho,       kEffectFlanger,    kEffectGargle,     kEffectEqualizer,
    kEffectReverb, kEffectCompressor, kEffectDistortion, kEffectRoomReverb,
};

// Chorus and flanger share their parameters: a delay in milliseconds swung by
// a low-frequency wave. Waveform 0 is a triangle, 1 a sine; phase 0..4 sets
// the right channel's wave at -180, -90, 0, 90 or 180 degrees from the left.
struct ModulatedDelayParameters {
  float wet_dry_mix;  // percent of the delayed signal in the output
  float depth;        // percent of the delay that the wave swings
  float feedback;     // percent, -99..99
  float frequency;    // of the wave, in Hz
  int waveform;
  float delay;  // in milliseconds
  int phase;
};
inline constexpr ModulatedDelayParameters kChorusDefaults{50, 10, 25, 1.1f, 1, 16, 3};
inline constexpr ModulatedDelayParameters kFlangerDefaults{50, 100, -50, 0.25f, 1, 2, 2};

struct EchoParameters {
  float wet_dry_mix = 50;  // percent
  float feedback = 50;     // percent
  float left_delay = 500;  // milliseconds
  float right_delay = 500;
  int pan_delay = 0;  // 1: each echo crosses to the other side
};

struct GargleParameters {
  int rate_hz = 20;
  int wave_shape = 0;  // 0 triangle, 1 square
};

struct CompressorParameters {
  float gain = 0;     // dB after compression
  float attack = 10;  // milliseconds
  float release = 200;
  float threshold = -20;  // dB
  float ratio = 3;
  float predelay = 4;  // milliseconds the signal waits for its level to be known
};

struct EqualizerParameters {
  float center = 8000;   // Hz
  float bandwidth = 12;  // semitones
  float gain = 0;        // dB
};

struct ReverbParameters {
  float input_gain = 0;                 // dB
  float reverb_mix = 0;                 // dB; 0 is all reverb and no direct sound
  float reverb_time = 1000;             // milliseconds for the tail to fall by 60 dB
  float high_frequency_ratio = 0.001f;  // high-frequency decay time over reverb_time
};

// The room reverb's are fixed: a medium room, its tail 10 dB below the
// sound, 1.49 s long, the highs dying at 0.83 of that.
inline constexpr ReverbParameters kRoomReverbDefaults{0, -10, 1490, 0.83f};

// The parameters of every effect; a chain is built from these and the effect
// bits.
struct EffectParameters {
  ModulatedDelayParameters chorus = kChorusDefaults;
  EchoParameters echo;
  ModulatedDelayParameters flanger = kFlangerDefaults;
  GargleParameters gargle;
  CompressorParameters compressor;
  EqualizerParameters equalizer;
  ReverbParameters reverb;
  ReverbParameters room_reverb = kRoomReverbDefaults;
};

// The ranges the effects accept; a parameter block with any value outside is
// refused whole, as the sound card's own effects refuse it.
bool valid_chorus(const ModulatedDelayParameters& parameters);
bool valid_flanger(const ModulatedDelayParameters& parameters);
bool valid_echo(const EchoParameters& parameters);
bool valid_gargle(const GargleParameters& parameters);
bool valid_compressor(const CompressorParameters& parameters);
bool valid_equalizer(const EqualizerParameters& parameters);
bool valid_reverb(const ReverbParameters& parameters);

// One effect working in place on interleaved stereo frames.
class AudioEffect {
 public:
  virtual ~AudioEffect() = default;
  virtual void process(float* frames, int frame_count) = 0;
  // Takes this effect's block of the parameters.
  virtual void configure(const EffectParameters& parameters) {}
};

// The effects of the set bits in chain order, each with its own state.
class EffectChain {
 public:
  EffectChain() = default;
  EffectChain(int bits, const EffectParameters& parameters, int sample_rate);

  int bits() const { return bits_; }
  bool empty() const { return effects_.empty(); }
  void process(float* frames, int frame_count);

  // Hands the parameters to the chain's effect of that kind; nothing when the
  // chain has none.
  void set_parameters(SoundEffectBit bit, const EffectParameters& parameters);

 private:
  struct Link {
    SoundEffectBit bit;
    std::unique_ptr<AudioEffect> effect;
  };
  int bits_ = 0;
  std::vector<Link> effects_;
};

}  // namespace kestrel
