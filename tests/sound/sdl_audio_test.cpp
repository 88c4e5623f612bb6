// Plays through SDL's "disk" audio driver, which writes the mixed samples
// (stereo floats, as the device mixes them) to a file in real time, and
// measures what reached the file between two moments.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "sound/Sound_Engine.h"

namespace kestrel {
namespace {

constexpr int kRate = 44100;

// A name in the temporary folder that no other run of the tests uses.
std::filesystem::path temporary_file(const std::string& stem, const std::string& extension) {
  return std::filesystem::temp_directory_path() /
         ("kestrel_" + stem + "_" + std::to_string(std::random_device{}()) + extension);
}

void put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xff));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, static_cast<int>(value & 0xffff));
  put16(out, static_cast<int>(value >> 16));
}

void put_text(std::vector<std::uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// A mono 16-bit wave file of a sine.
std::vector<std::uint8_t> sine_wave(double amplitude, int milliseconds) {
  const int frames = kRate * milliseconds / 1000;
  std::vector<std::uint8_t> file;
  put_text(file, "RIFF");
  put32(file, 36 + 2 * frames);
  put_text(file, "WAVEfmt ");
  put32(file, 16);
  put16(file, 1);  // PCM
  put16(file, 1);  // mono
  put32(file, kRate);
  put32(file, 2 * kRate);
  put16(file, 2);
  put16(file, 16);
  put_text(file, "data");
  put32(file, 2 * frames);
  for (int i = 0; i < frames; ++i) {
    put16(file, static_cast<int>(std::lround(amplitude * 32767 *
                                             std::sin(2 * std::numbers::pi * 441 * i / kRate))));
  }
  return file;
}

// One note of a piano, half a second long, as a standard MIDI file.
std::vector<std::uint8_t> one_note_midi() {
  std::vector<std::uint8_t> file;
  put_text(file, "MThd");
  for (const std::uint8_t byte : {0, 0, 0, 6, 0, 0, 0, 1, 0, 96}) file.push_back(byte);
  const std::vector<std::uint8_t> track = {0x00, 0xC0, 0x00,         // piano
                                           0x00, 0x90, 60,   100,    // note on
                                           0x60, 0x80, 60,   0,      // a beat later: off
                                           0x00, 0xFF, 0x2F, 0x00};  // end of track
  put_text(file, "MTrk");
  for (const int shift : {24, 16, 8, 0})
    file.push_back(static_cast<std::uint8_t>(track.size() >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

class DiskAudio : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = temporary_file("disk_audio", ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    std::string error;
    device_ = platform::open_sdl_audio({}, error).release();
    ASSERT_NE(device_, nullptr) << error;
  }

  static void TearDownTestSuite() {
    delete device_;
    device_ = nullptr;
    std::filesystem::remove(output_);
  }

  // The number of floats written so far.
  static std::uintmax_t mark() { return std::filesystem::file_size(output_) / sizeof(float); }

  static void wait(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  // The largest magnitude written between two marks.
  static float peak(std::uintmax_t from, std::uintmax_t to) {
    std::ifstream file(output_, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from * sizeof(float)));
    std::vector<float> samples(to - from);
    file.read(reinterpret_cast<char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof(float)));
    float largest = 0;
    for (const float sample : samples) largest = std::max(largest, std::abs(sample));
    return largest;
  }

  // The peak of everything a play makes, from its start until well after.
  float peak_of_play(SoundEngine& engine, int entry, int milliseconds) {
    const auto start = mark();
    engine.play(entry, false);
    wait(milliseconds);
    return peak(start, mark());
  }

  static inline platform::AudioDevice* device_ = nullptr;
  static inline std::filesystem::path output_;
  SoundEngine engine{device_, [](const std::string&) {}};
};

TEST_F(DiskAudio, APlayedSoundReachesTheOutputAtItsLevel) {
  const int sound = engine.entry_from_memory(sine_wave(0.5, 100), kSoundNormal);
  ASSERT_GE(sound, 0);
  engine.set_global_volume(1);  // as the sound system starts
  EXPECT_NEAR(peak_of_play(engine, sound, 300), 0.5, 0.01);
}

TEST_F(DiskAudio, HalfVolumeIsFortyEightDecibelsDown) {
  const int sound = engine.entry_from_memory(sine_wave(0.5, 100), kSoundNormal);
  engine.set_volume(sound, 0.5);
  EXPECT_NEAR(peak_of_play(engine, sound, 300), 0.5 * std::pow(10, -48.0 / 20), 1e-4);
}

TEST_F(DiskAudio, AStoppedSoundGoesSilent) {
  const int sound = engine.entry_from_memory(sine_wave(0.5, 100), kSoundNormal);
  engine.play(sound, true);
  wait(150);
  EXPECT_TRUE(engine.is_playing(sound));
  engine.stop(sound);
  EXPECT_FALSE(engine.is_playing(sound));
  wait(100);  // what the device had already taken
  const auto after_stop = mark();
  wait(150);
  EXPECT_GT(mark(), after_stop);
  EXPECT_EQ(peak(after_stop, mark()), 0.0f);
}

TEST_F(DiskAudio, EffectsWorkOnThePlayedSound) {
  const int sound = engine.entry_from_memory(sine_wave(0.5, 100), kSoundNormal);
  engine.set_effects(sound, kEffectGargle);
  engine.set_gargle(sound, {1, 1});  // a square wave of one second: on for the whole sound
  EXPECT_NEAR(peak_of_play(engine, sound, 300), 0.5, 0.01);
  engine.set_gargle(sound, {1, 0});  // a triangle from silence: 100 ms of it stays below 0.2
  EXPECT_LT(peak_of_play(engine, sound, 300), 0.11);
}

TEST_F(DiskAudio, MidiPlaysThroughTheSoundFont) {
  const auto file = temporary_file("note", ".mid");
  const auto midi = one_note_midi();
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(midi.data()), static_cast<std::streamsize>(midi.size()));
  const int song = engine.entry_from_file(file.string(), kSoundBackground);
  ASSERT_GE(song, 0);
  EXPECT_GT(peak_of_play(engine, song, 600), 0.01);
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace kestrel
