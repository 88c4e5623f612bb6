#include "sound/sound_effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kPi = std::numbers::pi;

bool within(double value, double low, double high) {
  return value >= low && value <= high;
}

float decibels_to_gain(double decibels) {
  return static_cast<float>(std::pow(10.0, decibels / 20));
}

int milliseconds_to_frames(double milliseconds, int sample_rate) {
  return static_cast<int>(std::lround(milliseconds * sample_rate / 1000));
}

// A ring of past samples of one channel, read back any number of samples
// (fractions interpolated) behind the newest.
class DelayLine {
 public:
  explicit DelayLine(int capacity) : samples_(static_cast<std::size_t>(capacity) + 2, 0.0f) {}

  void push(float sample) {
    head_ = (head_ + 1) % samples_.size();
    samples_[head_] = sample;
  }

  // The sample pushed `delay` pushes ago (0 is the newest).
  float read(double delay) const {
    delay = std::clamp(delay, 0.0, static_cast<double>(samples_.size() - 2));
    const auto whole = static_cast<std::size_t>(delay);
    const float fraction = static_cast<float>(delay - static_cast<double>(whole));
    const float newer = at(whole);
    return fraction == 0 ? newer : newer + (at(whole + 1) - newer) * fraction;
  }

 private:
  float at(std::size_t back) const {
    return samples_[(head_ + samples_.size() - back) % samples_.size()];
  }

  std::vector<float> samples_;
  std::size_t head_ = 0;
};

// A second-order filter in the usual direct form.
class Biquad {
 public:
  // A peak or dip of `gain_db` around `center` that is `octaves` wide.
  static Biquad peaking(double center, double octaves, double gain_db, int sample_rate) {
    const double amplitude = std::pow(10.0, gain_db / 40);
    const double omega = 2 * kPi * center / sample_rate;
    const double alpha =
        std::sin(omega) * std::sinh(std::log(2.0) / 2 * octaves * omega / std::sin(omega));
    const double a0 = 1 + alpha / amplitude;
    return Biquad((1 + alpha * amplitude) / a0, -2 * std::cos(omega) / a0,
                  (1 - alpha * amplitude) / a0, -2 * std::cos(omega) / a0,
                  (1 - alpha / amplitude) / a0);
  }

  // Passes `center` at unity and falls away on both sides of a band `width` Hz wide.
  static Biquad band_pass(double center, double width, int sample_rate) {
    const double omega = 2 * kPi * center / sample_rate;
    const double alpha = std::sin(omega) * width / (2 * center);
    const double a0 = 1 + alpha;
    return Biquad(alpha / a0, 0, -alpha / a0, -2 * std::cos(omega) / a0, (1 - alpha) / a0);
  }

  Biquad() = default;

  float run(float input) {
    const double output = b0_ * input + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = input;
    y2_ = y1_;
    y1_ = output;
    return static_cast<float>(output);
  }

 private:
  Biquad(double b0, double b1, double b2, double a1, double a2)
      : b0_(b0), b1_(b1), b2_(b2), a1_(a1), a2_(a2) {}

  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Chorus and flanger: each channel hears itself a swinging moment ago, with
// some of the delayed sound fed back into the line.
class ModulatedDelay final : public AudioEffect {
 public:
  using Block = ModulatedDelayParameters EffectParameters::*;

  ModulatedDelay(Block block, const EffectParameters& parameters, double max_delay_ms,
                 int sample_rate)
      : block_(block),
        sample_rate_(sample_rate),
        left_(milliseconds_to_frames(2 * max_delay_ms, sample_rate) + 2),
        right_(milliseconds_to_frames(2 * max_delay_ms, sample_rate) + 2) {
    configure(parameters);
  }

  void configure(const EffectParameters& parameters) override { parameters_ = parameters.*block_; }

  void process(float* frames, int frame_count) override {
    const double wet = parameters_.wet_dry_mix / 100;
    const double feedback = parameters_.feedback / 100;
    const double center = parameters_.delay * sample_rate_ / 1000;
    const double swing = center * parameters_.depth / 100;
    const double step = parameters_.frequency / sample_rate_;
    const double right_offset = (parameters_.phase - 2) * 0.25;
    for (int i = 0; i < frame_count; ++i) {
      float* frame = frames + 2 * i;
      const double left_delay = center + swing * wave(phase_);
      const double right_delay = center + swing * wave(phase_ + right_offset);
      frame[0] = run(left_, frame[0], left_delay, wet, feedback, left_feedback_);
      frame[1] = run(right_, frame[1], right_delay, wet, feedback, right_feedback_);
      phase_ = std::fmod(phase_ + step, 1.0);
    }
  }

 private:
  // The wave at a phase counted in whole periods, between -1 and 1.
  double wave(double phase) const {
    phase -= std::floor(phase);
    if (parameters_.waveform == 1) return std::sin(2 * kPi * phase);
    return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
  }

  static float run(DelayLine& line, float input, double delay, double wet, double feedback,
                   float& fed_back) {
    line.push(static_cast<float>(input + feedback * fed_back));
    fed_back = line.read(delay);
    return static_cast<float>((1 - wet) * input + wet * fed_back);
  }

  Block block_;
  ModulatedDelayParameters parameters_{};
  int sample_rate_;
  DelayLine left_;
  DelayLine right_;
  float left_feedback_ = 0;
  float right_feedback_ = 0;
  double phase_ = 0;
};

class Echo final : public AudioEffect {
 public:
  Echo(const EffectParameters& parameters, int sample_rate)
      : sample_rate_(sample_rate),
        left_(milliseconds_to_frames(2000, sample_rate)),
        right_(milliseconds_to_frames(2000, sample_rate)) {
    configure(parameters);
  }

  void configure(const EffectParameters& parameters) override { parameters_ = parameters.echo; }

  void process(float* frames, int frame_count) override {
    const float wet = parameters_.wet_dry_mix / 100;
    const float feedback = parameters_.feedback / 100;
    const int left_delay = milliseconds_to_frames(parameters_.left_delay, sample_rate_);
    const int right_delay = milliseconds_to_frames(parameters_.right_delay, sample_rate_);
    for (int i = 0; i < frame_count; ++i) {
      float* frame = frames + 2 * i;
      // The line holds what was pushed; the sample pushed `delay` pushes ago
      // is read before this frame's push.
      const float left_echo = left_.read(left_delay - 1);
      const float right_echo = right_.read(right_delay - 1);
      const bool cross = parameters_.pan_delay == 1;
      left_.push(frame[0] + feedback * (cross ? right_echo : left_echo));
      right_.push(frame[1] + feedback * (cross ? left_echo : right_echo));
      frame[0] = (1 - wet) * frame[0] + wet * left_echo;
      frame[1] = (1 - wet) * frame[1] + wet * right_echo;
    }
  }

 private:
  EchoParameters parameters_{};
  int sample_rate_;
  DelayLine left_;
  DelayLine right_;
};

// Amplitude modulation: the sound swells and fades `rate_hz` times a second.
class Gargle final : public AudioEffect {
 public:
  Gargle(const EffectParameters& parameters, int sample_rate) : sample_rate_(sample_rate) {
    configure(parameters);
  }

  void configure(const EffectParameters& parameters) override { parameters_ = parameters.gargle; }

  void process(float* frames, int frame_count) override {
    const int period = std::max(1, sample_rate_ / std::max(1, parameters_.rate_hz));
    for (int i = 0; i < frame_count; ++i) {
      position_ %= period;
      const float phase = static_cast<float>(position_) / static_cast<float>(period);
      const float level =
          parameters_.wave_shape == 1 ? (phase < 0.5f ? 1.0f : 0.0f) : 1 - std::abs(2 * phase - 1);
      frames[2 * i] *= level;
      frames[2 * i + 1] *= level;
      ++position_;
    }
  }

 private:
  GargleParameters parameters_{};
  int sample_rate_;
  int position_ = 0;
};

// Follows the louder channel's peak level and turns both channels down by
// the same amount once it is over the threshold.
class Compressor final : public AudioEffect {
 public:
  Compressor(const EffectParameters& parameters, int sample_rate)
      : sample_rate_(sample_rate),
        left_(milliseconds_to_frames(4, sample_rate) + 1),
        right_(milliseconds_to_frames(4, sample_rate) + 1) {
    configure(parameters);
  }

  void configure(const EffectParameters& parameters) override {
    parameters_ = parameters.compressor;
    attack_ = smoothing(parameters_.attack);
    release_ = smoothing(parameters_.release);
    predelay_ = milliseconds_to_frames(parameters_.predelay, sample_rate_);
  }

  void process(float* frames, int frame_count) override {
    for (int i = 0; i < frame_count; ++i) {
      float* frame = frames + 2 * i;
      const float peak = std::max(std::abs(frame[0]), std::abs(frame[1]));
      envelope_ += (peak > envelope_ ? attack_ : release_) * (peak - envelope_);
      left_.push(frame[0]);
      right_.push(frame[1]);
      const float gain = decibels_to_gain(parameters_.gain + reduction_db());
      frame[0] = left_.read(predelay_) * gain;
      frame[1] = right_.read(predelay_) * gain;
    }
  }

 private:
  // The share of the way to the new level that the envelope moves per sample.
  float smoothing(float milliseconds) const {
    return 1 - static_cast<float>(std::exp(-1000.0 / (milliseconds * sample_rate_)));
  }

  float reduction_db() const {
    if (envelope_ <= 0) return 0;
    const float level_db = 20 * std::log10(envelope_);
    const float over = level_db - parameters_.threshold;
    return over > 0 ? over / parameters_.ratio - over : 0;
  }

  CompressorParameters parameters_{};
  int sample_rate_;
  float attack_ = 1;
  float release_ = 1;
  int predelay_ = 0;
  float envelope_ = 0;
  DelayLine left_;
  DelayLine right_;
};

class Equalizer final : public AudioEffect {
 public:
  Equalizer(const EffectParameters& parameters, int sample_rate) : sample_rate_(sample_rate) {
    configure(parameters);
  }

  void configure(const EffectParameters& parameters) override {
    const EqualizerParameters& band = parameters.equalizer;
    // The band cannot go past what the sample rate can carry.
    const double center = std::min<double>(band.center, sample_rate_ / 3.0);
    left_ = right_ = Biquad::peaking(center, band.bandwidth / 12.0, band.gain, sample_rate_);
  }

  void process(float* frames, int frame_count) override {
    for (int i = 0; i < frame_count; ++i) {
      frames[2 * i] = left_.run(frames[2 * i]);
      frames[2 * i + 1] = right_.run(frames[2 * i + 1]);
    }
  }

 private:
  int sample_rate_;
  Biquad left_;
  Biquad right_;
};

// Parallel feedback combs into series all-passes per channel; the combs'
// feedback makes the tail fall 60 dB in the reverb time, and a low-pass in
// each loop makes the highs die sooner.
class Reverb final : public AudioEffect {
 public:
  using Block = ReverbParameters EffectParameters::*;

  Reverb(Block block, const EffectParameters& parameters, int sample_rate)
      : block_(block), sample_rate_(sample_rate) {
    for (int channel = 0; channel < 2; ++channel) {
      // The right channel's lines are a little longer so the sides differ.
      const int spread = channel * 23;
      for (const int length : kCombLengths) {
        combs_[channel].push_back(
            Comb{DelayLine(scaled(length + spread)), scaled(length + spread)});
      }
      for (const int length : kAllPassLengths) {
        all_passes_[channel].push_back(
            AllPass{DelayLine(scaled(length + spread)), scaled(length + spread)});
      }
    }
    configure(parameters);
  }

  void configure(const EffectParameters& all) override {
    const ReverbParameters& parameters = all.*block_;
    input_gain_ = decibels_to_gain(parameters.input_gain);
    wet_ = decibels_to_gain(parameters.reverb_mix);
    damping_ = std::clamp(1 - parameters.high_frequency_ratio, 0.0f, 0.95f);
    for (auto& channel : combs_) {
      for (Comb& comb : channel) {
        const double seconds = static_cast<double>(comb.length) / sample_rate_;
        comb.feedback =
            static_cast<float>(std::pow(10.0, -3 * seconds * 1000 / parameters.reverb_time));
      }
    }
  }

  void process(float* frames, int frame_count) override {
    for (int i = 0; i < frame_count; ++i) {
      for (int channel = 0; channel < 2; ++channel) {
        float& sample = frames[2 * i + channel];
        const float input = sample * input_gain_;
        float tail = 0;
        for (Comb& comb : combs_[channel]) tail += comb.run(input, damping_);
        tail /= static_cast<float>(kCombLengths.size());
        for (AllPass& all_pass : all_passes_[channel]) tail = all_pass.run(tail);
        sample = (1 - wet_) * input + wet_ * tail;
      }
    }
  }

 private:
  // Line lengths in samples at 44100 Hz, mutually prime so echoes do not pile up.
  static constexpr std::array<int, 4> kCombLengths{1116, 1277, 1422, 1557};
  static constexpr std::array<int, 2> kAllPassLengths{556, 341};

  struct Comb {
    DelayLine line;
    int length;
    float feedback = 0;
    float filtered = 0;

    float run(float input, float damping) {
      const float output = line.read(length - 1);
      filtered = output * (1 - damping) + filtered * damping;
      line.push(input + filtered * feedback);
      return output;
    }
  };

  struct AllPass {
    DelayLine line;
    int length;

    float run(float input) {
      const float delayed = line.read(length - 1);
      line.push(input + delayed * 0.5f);
      return delayed - input;
    }
  };

  int scaled(int length) const {
    return std::max(
        1, static_cast<int>(std::lround(static_cast<double>(length) * sample_rate_ / 44100.0)));
  }

  Block block_;
  int sample_rate_;
  float input_gain_ = 1;
  float wet_ = 1;
  float damping_ = 0;
  std::array<std::vector<Comb>, 2> combs_;
  std::array<std::vector<AllPass>, 2> all_passes_;
};

// Low-passes, clips softly and keeps a band of the result, at the sound
// card's default settings (no function sets them).
class Distortion final : public AudioEffect {
 public:
  explicit Distortion(int sample_rate)
      : low_pass_(1 - static_cast<float>(std::exp(-2 * kPi * kPreLowPass / sample_rate))) {
    for (Biquad& band : bands_) band = Biquad::band_pass(kBandCenter, kBandWidth, sample_rate);
  }

  void process(float* frames, int frame_count) override {
    const float drive = 1 + kEdge / 100 * 20;
    const float gain = decibels_to_gain(kGain);
    for (int i = 0; i < frame_count; ++i) {
      for (int channel = 0; channel < 2; ++channel) {
        float& sample = frames[2 * i + channel];
        smoothed_[channel] += low_pass_ * (sample - smoothed_[channel]);
        const float shaped = std::tanh(drive * smoothed_[channel]) / std::tanh(drive);
        sample = bands_[channel].run(shaped) * gain;
      }
    }
  }

 private:
  static constexpr float kGain = -18;
  static constexpr float kEdge = 15;
  static constexpr double kBandCenter = 2400;
  static constexpr double kBandWidth = 2400;
  static constexpr double kPreLowPass = 8000;

  float low_pass_;
  std::array<float, 2> smoothed_{};
  std::array<Biquad, 2> bands_;
};

std::unique_ptr<AudioEffect> make_effect(SoundEffectBit bit, const EffectParameters& parameters,
                                         int sample_rate) {
  switch (bit) {
    case kEffectChorus:
      return std::make_unique<ModulatedDelay>(&EffectParameters::chorus, parameters, 20,
                                              sample_rate);
    case kEffectEcho:
      return std::make_unique<Echo>(parameters, sample_rate);
    case kEffectFlanger:
      return std::make_unique<ModulatedDelay>(&EffectParameters::flanger, parameters, 4,
                                              sample_rate);
    case kEffectGargle:
      return std::make_unique<Gargle>(parameters, sample_rate);
    case kEffectReverb:
      return std::make_unique<Reverb>(&EffectParameters::reverb, parameters, sample_rate);
    case kEffectCompressor:
      return std::make_unique<Compressor>(parameters, sample_rate);
    case kEffectEqualizer:
      return std::make_unique<Equalizer>(parameters, sample_rate);
    case kEffectDistortion:
      return std::make_unique<Distortion>(sample_rate);
    case kEffectRoomReverb:
      return std::make_unique<Reverb>(&EffectParameters::room_reverb, parameters, sample_rate);
  }
  return nullptr;
}

bool valid_modulated_delay(const ModulatedDelayParameters& parameters, double max_delay) {
  return within(parameters.wet_dry_mix, 0, 100) && within(parameters.depth, 0, 100) &&
         within(parameters.feedback, -99, 99) && within(parameters.frequency, 0, 10) &&
         within(parameters.waveform, 0, 1) && within(parameters.delay, 0, max_delay) &&
         within(parameters.phase, 0, 4);
}

}  // namespace

bool valid_chorus(const ModulatedDelayParameters& parameters) {
  return valid_modulated_delay(parameters, 20);
}

bool valid_flanger(const ModulatedDelayParameters& parameters) {
  return valid_modulated_delay(parameters, 4);
}

bool valid_echo(const EchoParameters& parameters) {
  return within(parameters.wet_dry_mix, 0, 100) && within(parameters.feedback, 0, 100) &&
         within(parameters.left_delay, 1, 2000) && within(parameters.right_delay, 1, 2000) &&
         within(parameters.pan_delay, 0, 1);
}

bool valid_gargle(const GargleParameters& parameters) {
  return within(parameters.rate_hz, 1, 1000) && within(parameters.wave_shape, 0, 1);
}

bool valid_compressor(const CompressorParameters& parameters) {
  return within(parameters.gain, -60, 60) && within(parameters.attack, 0.01, 500) &&
         within(parameters.release, 50, 3000) && within(parameters.threshold, -60, 0) &&
         within(parameters.ratio, 1, 100) && within(parameters.predelay, 0, 4);
}

bool valid_equalizer(const EqualizerParameters& parameters) {
  return within(parameters.center, 80, 16000) && within(parameters.bandwidth, 1, 36) &&
         within(parameters.gain, -15, 15);
}

bool valid_reverb(const ReverbParameters& parameters) {
  return within(parameters.input_gain, -96, 0) && within(parameters.reverb_mix, -96, 0) &&
         within(parameters.reverb_time, 0.001, 3000) &&
         within(parameters.high_frequency_ratio, 0.001, 0.999);
}

EffectChain::EffectChain(int bits, const EffectParameters& parameters, int sample_rate)
    : bits_(bits) {
  for (const SoundEffectBit bit : kEffectChainOrder) {
    if ((bits & bit) != 0) effects_.push_back({bit, make_effect(bit, parameters, sample_rate)});
  }
}

void EffectChain::process(float* frames, int frame_count) {
  for (Link& link : effects_) link.effect->process(frames, frame_count);
}

void EffectChain::set_parameters(SoundEffectBit bit, const EffectParameters& parameters) {
  for (Link& link : effects_) {
    if (link.bit == bit) {
      link.effect->configure(parameters);
      return;
    }
  }
}

}  // namespace kestrel
