#include "sound/sound_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace kestrel {
namespace {

constexpr int kRate = 44100;

// Interleaved stereo frames with the same signal on both sides.
std::vector<float> stereo(const std::vector<float>& mono) {
  std::vector<float> frames;
  for (const float sample : mono) frames.insert(frames.end(), {sample, sample});
  return frames;
}

std::vector<float> sine(double frequency, double amplitude, int frame_count) {
  std::vector<float> samples(frame_count);
  for (int i = 0; i < frame_count; ++i) {
    samples[i] =
        static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * i / kRate));
  }
  return stereo(samples);
}

std::vector<float> impulse(int frame_count) {
  std::vector<float> samples(frame_count, 0.0f);
  samples[0] = 1;
  return stereo(samples);
}

std::vector<float> run(int bits, const EffectParameters& parameters, std::vector<float> frames) {
  EffectChain chain(bits, parameters, kRate);
  // In blocks, as the mixer hands them over, so state must carry across.
  for (std::size_t start = 0; start < frames.size(); start += 2 * 1000) {
    const int count = static_cast<int>(std::min<std::size_t>(1000, (frames.size() - start) / 2));
    chain.process(frames.data() + start, count);
  }
  return frames;
}

// The largest left-channel magnitude over frames first..last - 1.
float peak(const std::vector<float>& frames, int first, int last) {
  float largest = 0;
  for (int i = first; i < last; ++i) largest = std::max(largest, std::abs(frames[2 * i]));
  return largest;
}

TEST(EffectChain, RunsEchoBeforeGargle) {
  // A 5 ms all-wet echo of a steady level, then a square gargle with a 10 ms
  // period: whatever the gargle silences stays silent. Chained the other way,
  // the echo would repeat the gargled sound 5 ms late.
  EffectParameters parameters;
  parameters.echo = {100, 0, 5, 5, 0};
  parameters.gargle = {100, 1};
  const auto output =
      run(kEffectGargle | kEffectEcho, parameters, stereo(std::vector<float>(2000, 1.0f)));
  EXPECT_FLOAT_EQ(output[2 * 300], 0.0f);
  EXPECT_FLOAT_EQ(output[2 * 500], 1.0f);
}

TEST(EffectChain, NoBitsLeavesTheSoundAlone) {
  const auto input = sine(440, 0.5, 500);
  EXPECT_EQ(run(0, {}, input), input);
}

TEST(EffectChain, ParametersReachOnlyAnEffectInTheChain) {
  EffectParameters parameters;
  parameters.compressor = {6, 10, 200, 0, 1, 0};  // a plain 6 dB gain
  EffectChain chain(kEffectEcho, {}, kRate);
  chain.set_parameters(kEffectCompressor, parameters);
  EXPECT_EQ(chain.bits(), kEffectEcho);
  std::vector<float> frames = impulse(10);
  chain.process(frames.data(), 10);
  EXPECT_FLOAT_EQ(frames[0], 0.5f);  // the echo's dry half, not doubled
}

struct DelayCase {
  const char* name;
  int bit;
  EffectParameters parameters;
  double delay_frames;  // a fraction splits the impulse between two frames
};

class DelayEffect : public testing::TestWithParam<DelayCase> {};

TEST_P(DelayEffect, AllWetRepeatsTheSoundAfterItsDelay) {
  const DelayCase& c = GetParam();
  const auto output = run(c.bit, c.parameters, impulse(2000));
  for (int i = 0; i < 2000; ++i) {
    const double expected = std::max(0.0, 1 - std::abs(i - c.delay_frames));
    EXPECT_NEAR(output[2 * i], expected, 1e-5) << "frame " << i;
  }
}

EffectParameters with_echo(EchoParameters echo) {
  EffectParameters parameters;
  parameters.echo = echo;
  return parameters;
}

EffectParameters with_chorus(ModulatedDelayParameters chorus) {
  EffectParameters parameters;
  parameters.chorus = chorus;
  return parameters;
}

EffectParameters with_flanger(ModulatedDelayParameters flanger) {
  EffectParameters parameters;
  parameters.flanger = flanger;
  return parameters;
}

INSTANTIATE_TEST_SUITE_P(
    Delays, DelayEffect,
    testing::Values(DelayCase{"Echo10ms", kEffectEcho, with_echo({100, 0, 10, 10, 0}), 441},
                    DelayCase{"Echo20ms", kEffectEcho, with_echo({100, 0, 20, 30, 0}), 882},
                    DelayCase{"ChorusWithoutSwing", kEffectChorus,
                              with_chorus({100, 0, 0, 1, 1, 10, 2}), 441},
                    DelayCase{"FlangerWithoutSwing", kEffectFlanger,
                              with_flanger({100, 0, 0, 1, 0, 4, 2}), 176.4}),
    [](const testing::TestParamInfo<DelayCase>& info) { return info.param.name; });

TEST(Echo, FeedbackRepeatsEachEchoQuieterAndPanDelayCrossesSides) {
  const auto output = run(kEffectEcho, with_echo({100, 50, 10, 20, 1}), impulse(2000));
  // Left: the first echo after 10 ms; fed back to the right line, it comes
  // back on the right 20 ms later, at half the level.
  EXPECT_NEAR(output[2 * 441], 1.0f, 1e-6);
  EXPECT_NEAR(output[2 * (882) + 1], 1.0f, 1e-6);
  EXPECT_NEAR(output[2 * (441 + 882) + 1], 0.5f, 1e-6);
}

TEST(Echo, HalfWetKeepsHalfTheDrySound) {
  const auto output = run(kEffectEcho, with_echo({50, 0, 10, 10, 0}), impulse(500));
  EXPECT_FLOAT_EQ(output[0], 0.5f);
  EXPECT_FLOAT_EQ(output[2 * 441], 0.5f);
}

TEST(Chorus, SwingMovesTheDelayWithinItsDepth) {
  // A 10 ms delay swung by 50 %: the impulse returns between 5 and 15 ms.
  const auto output = run(kEffectChorus, with_chorus({100, 50, 0, 2, 0, 10, 2}), impulse(2000));
  double energy_inside = 0;
  double energy_total = 0;
  for (int i = 0; i < 2000; ++i) {
    const double e = output[2 * i] * output[2 * i];
    energy_total += e;
    if (i >= 220 && i <= 662) energy_inside += e;
  }
  EXPECT_GT(energy_total, 0.1);
  EXPECT_DOUBLE_EQ(energy_inside, energy_total);
}

TEST(Gargle, ModulatesTheLevelAtItsRate) {
  EffectParameters parameters;
  parameters.gargle = {100, 0};  // triangle, period 441 frames
  const auto output = run(kEffectGargle, parameters, stereo(std::vector<float>(882, 1.0f)));
  EXPECT_FLOAT_EQ(output[0], 0.0f);
  EXPECT_NEAR(output[2 * 220], 1.0f, 0.01);
  EXPECT_NEAR(output[2 * 441], 0.0f, 0.01);
  EXPECT_NEAR(output[2 * (441 + 110)], 0.5f, 0.01);
}

TEST(Compressor, GainScalesASoundBelowTheThreshold) {
  EffectParameters parameters;
  parameters.compressor = {6, 10, 200, -20, 4, 0};
  const auto output = run(kEffectCompressor, parameters, sine(440, 0.05, 4410));
  EXPECT_NEAR(peak(output, 2000, 4410), 0.05 * std::pow(10, 6.0 / 20), 1e-3);
}

TEST(Compressor, ReducesALoudSoundByTheRatio) {
  EffectParameters parameters;
  parameters.compressor = {0, 0.01f, 50, -20, 4, 0};
  const auto output = run(kEffectCompressor, parameters, stereo(std::vector<float>(4410, 1.0f)));
  // 0 dB in, 20 dB over the threshold, comes out 5 dB over it: -15 dB.
  EXPECT_NEAR(output[2 * 4000], std::pow(10, -15.0 / 20), 1e-3);
}

TEST(Compressor, PredelayHoldsTheSoundBack) {
  EffectParameters parameters;
  parameters.compressor = {0, 10, 200, 0, 1, 2};
  const auto output = run(kEffectCompressor, parameters, impulse(200));
  EXPECT_FLOAT_EQ(output[0], 0.0f);
  EXPECT_FLOAT_EQ(output[2 * 88], 1.0f);
}

TEST(Equalizer, RaisesItsBandAndLeavesOthers) {
  EffectParameters parameters;
  parameters.equalizer = {1000, 12, 12};
  const auto in_band = run(kEffectEqualizer, parameters, sine(1000, 0.1, 8820));
  const auto far_away = run(kEffectEqualizer, parameters, sine(80, 0.1, 8820));
  EXPECT_NEAR(peak(in_band, 4410, 8820), 0.1 * std::pow(10, 12.0 / 20), 0.01);
  EXPECT_NEAR(peak(far_away, 4410, 8820), 0.1, 0.01);
}

TEST(Reverb, LeavesATailThatDiesInTheReverbTime) {
  EffectParameters parameters;
  parameters.reverb = {0, 0, 200, 0.5f};
  const auto output = run(kEffectReverb, parameters, impulse(kRate));
  EXPECT_GT(peak(output, 1000, 4000), 0.01f);
  // 200 ms is 60 dB; by 600 ms the tail is far below that.
  EXPECT_LT(peak(output, 26460, kRate), 1e-3f);
}

TEST(Reverb, LowMixIsTheDrySoundAtTheInputGain) {
  EffectParameters parameters;
  parameters.reverb = {-6, -96, 1000, 0.5f};
  const auto output = run(kEffectReverb, parameters, impulse(100));
  EXPECT_NEAR(output[0], std::pow(10, -6.0 / 20), 1e-3);
}

TEST(UnnamedEffects, DistortionAndRoomReverbChangeTheSound) {
  const auto input = sine(440, 0.5, 4410);
  EXPECT_NE(run(kEffectDistortion, {}, input), input);
  EXPECT_NE(run(kEffectRoomReverb, {}, input), input);
}

TEST(EffectRanges, RefuseValuesTheEffectsCannotTake) {
  EXPECT_TRUE(valid_chorus(kChorusDefaults));
  EXPECT_TRUE(valid_flanger(kFlangerDefaults));
  EXPECT_FALSE(valid_flanger(kChorusDefaults));  // a 16 ms delay is too long for a flanger
  EXPECT_TRUE(valid_echo({}));
  EXPECT_FALSE(valid_echo({50, 50, 0, 500, 0}));
  EXPECT_FALSE(valid_echo({50, 50, 500, 500, 2}));
  EXPECT_TRUE(valid_gargle({}));
  EXPECT_FALSE(valid_gargle({0, 0}));
  EXPECT_TRUE(valid_compressor({}));
  EXPECT_FALSE(valid_compressor({0, 10, 200, -20, 0.5f, 4}));
  EXPECT_TRUE(valid_equalizer({}));
  EXPECT_FALSE(valid_equalizer({8000, 12, 20}));
  EXPECT_TRUE(valid_reverb({}));
  EXPECT_FALSE(valid_reverb({0, 0, 1000, 1}));
}

}  // namespace
}  // namespace kestrel
