#include "sound/Sound_Engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fake_audio.h"

namespace kestrel {
namespace {

class SoundEngineTest : public testing::Test {
 protected:
  int add(int kind, std::string_view data = "RIFF") {
    return engine.entry_from_memory(bytes(data), kind);
  }
  platform::PlayId last_play() const { return device.plays.rbegin()->first; }

  // A file in a fresh folder, removed with the fixture.
  std::string make_file(const std::string& name, std::string_view contents) {
    const auto path = folder / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
  }

  void TearDown() override { std::filesystem::remove_all(folder); }

  FakeAudio device;
  std::vector<std::string> messages;
  SoundEngine engine{&device, [this](const std::string& text) { messages.push_back(text); }};
  std::filesystem::path folder = [] {
    auto path =
        std::filesystem::temp_directory_path() /
        ("kestrel_sound_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(path);
    return path;
  }();
};

TEST_F(SoundEngineTest, EntriesTakeTheLowestFreeSlot) {
  EXPECT_EQ(add(kSoundNormal), 0);
  EXPECT_EQ(add(kSoundNormal), 1);
  EXPECT_EQ(add(kSoundNormal), 2);
  engine.free_entry(1);
  EXPECT_EQ(engine.entry_kind(1), -1);
  EXPECT_EQ(add(kSound3D), 1);
  EXPECT_EQ(engine.entry_kind(1), kSound3D);
  EXPECT_EQ(add(kSoundNormal), 3);
}

TEST_F(SoundEngineTest, DataTheMixerCannotDecodeMakesNoEntry) {
  EXPECT_EQ(add(kSoundNormal, "bad data"), -1);
  EXPECT_EQ(add(kSoundNormal), 0);
}

TEST_F(SoundEngineTest, NormalSoundsOverlapAndStopTogether) {
  const int sound = add(kSoundNormal);
  engine.play(sound, false);
  engine.play(sound, true);
  EXPECT_EQ(device.playing_count(), 2);
  EXPECT_TRUE(device.plays.at(2).loop);
  EXPECT_TRUE(engine.is_playing(sound));
  engine.stop(sound);
  EXPECT_EQ(device.playing_count(), 0);
  EXPECT_FALSE(engine.is_playing(sound));
}

TEST_F(SoundEngineTest, BackgroundMusicReplacesTheMusicPlaying) {
  const int first = add(kSoundBackground);
  const int second = add(kSoundBackground);
  const int effect = add(kSoundNormal);
  engine.play(effect, false);
  engine.play(first, true);
  engine.play(first, true);  // starting it again leaves one copy
  EXPECT_EQ(device.playing_count(), 2);
  engine.play(second, true);
  EXPECT_FALSE(engine.is_playing(first));
  EXPECT_TRUE(engine.is_playing(second));
  EXPECT_TRUE(engine.is_playing(effect));
}

TEST_F(SoundEngineTest, StopAllStopsEveryKind) {
  const int normal = add(kSoundNormal);
  const int music = add(kSoundBackground);
  const int media = engine.entry_from_file(make_file("a.mid", "bad"), kSoundNormal);
  engine.play(normal, false);
  engine.play(music, false);
  engine.play(media, false);
  engine.stop_all();
  EXPECT_EQ(device.playing_count(), 0);
  EXPECT_FALSE(device.media_is_playing);
}

TEST_F(SoundEngineTest, FilesTheMixerCannotDecodeGoToTheMediaPlayer) {
  const std::string midi = make_file("song.mid", "bad: not for the mixer");
  const std::string wave = make_file("shot.wav", "RIFF");
  const int song = engine.entry_from_file(midi, kSoundBackground);
  EXPECT_EQ(engine.entry_kind(song), kSoundMultimedia);
  EXPECT_EQ(engine.entry_kind(engine.entry_from_file(wave, kSoundNormal)), kSoundNormal);
  EXPECT_EQ(engine.entry_from_file((folder / "missing.wav").string(), kSoundNormal), -1);

  engine.play(song, true);
  EXPECT_EQ(device.media_file, midi);
  EXPECT_TRUE(device.media_loop);
  EXPECT_TRUE(engine.is_playing(song));
}

TEST_F(SoundEngineTest, ASecondMultimediaSoundStopsTheFirst) {
  const int first = engine.entry_from_file(make_file("one.mid", "bad"), kSoundMultimedia);
  const int second = engine.entry_from_file(make_file("two.mid", "bad"), kSoundMultimedia);
  engine.play(first, false);
  engine.play(second, false);
  EXPECT_FALSE(engine.is_playing(first));
  EXPECT_TRUE(engine.is_playing(second));
  // Stopping the sound the player does not hold leaves the player alone.
  engine.stop(first);
  EXPECT_TRUE(engine.is_playing(second));
}

TEST_F(SoundEngineTest, LongMultimediaNamesAreRefusedEachTime) {
  const int media =
      engine.entry_from_file(make_file(std::string(130, 'n') + ".mid", "bad"), kSoundMultimedia);
  engine.play(media, false);
  engine.play(media, true);
  EXPECT_EQ(messages, std::vector<std::string>(2, kMediaNameTooLongMessage));
  EXPECT_FALSE(device.media_is_playing);
}

TEST_F(SoundEngineTest, WithoutADeviceEverySoundIsMultimediaAndNothingPlays) {
  SoundEngine silent(nullptr, [](const std::string&) {});
  EXPECT_EQ(silent.entry_from_memory(bytes("RIFF"), kSoundNormal), -1);
  const int sound = silent.entry_from_file(make_file("a.wav", "RIFF"), kSoundNormal);
  EXPECT_EQ(silent.entry_kind(sound), kSoundMultimedia);
  silent.play(sound, false);
  silent.set_volume(sound, 0.5);
  EXPECT_FALSE(silent.is_playing(sound));
}

struct LevelCase {
  double value;
  int level;
};

TEST(SoundLevels, MapGameValuesToHundredthsOfADecibel) {
  for (const auto [volume, level] : {LevelCase{1, 0}, {0.5, -4800}, {0, -9600}, {2, 9600}}) {
    EXPECT_EQ(sound_volume_level(volume), level) << volume;
  }
  for (const auto [pan, level] : {LevelCase{-1, -10000}, {0.25, 2500}, {0, 0}}) {
    EXPECT_EQ(sound_pan_level(pan), level) << pan;
  }
  for (const auto [volume, level] :
       {LevelCase{1, 1000}, {0, -10000}, {2, 1000}, {-1, -10000}, {0.5, -4500}}) {
    EXPECT_EQ(master_volume_level(volume), level) << volume;
  }
  for (const auto [volume, level] : {LevelCase{1, 0}, {0, -10000}, {0.75, -2500}}) {
    EXPECT_EQ(cone_outside_level(volume), level) << volume;
  }
  EXPECT_DOUBLE_EQ(master_tempo(0), 0.01);
  EXPECT_DOUBLE_EQ(master_tempo(1.5), 1.5);
  EXPECT_DOUBLE_EQ(master_tempo(1000), 100);
  EXPECT_NEAR(level_gain(-600), 0.5012, 1e-4);
  EXPECT_EQ(level_gain(-9600), 0.0f);
}

TEST_F(SoundEngineTest, VolumePanAndMasterVolumeScaleThePlay) {
  const int sound = add(kSoundNormal);
  engine.set_volume(sound, 0.5);  // -48 dB
  engine.play(sound, false);
  EXPECT_NEAR(device.process(last_play()).first, std::pow(10, -48.0 / 20), 1e-6);

  engine.set_volume(sound, 1);
  engine.set_pan(sound, 0.3);  // the left side 30 dB down
  auto [left, right] = device.process(last_play());
  EXPECT_NEAR(left, std::pow(10, -30.0 / 20), 1e-6);
  EXPECT_FLOAT_EQ(right, 1);

  engine.set_pan(sound, 0);
  engine.set_global_volume(0.5);  // -45 dB below the top of the master range
  EXPECT_NEAR(device.process(last_play()).second, std::pow(10, -55.0 / 20), 1e-6);
  engine.set_global_volume(1);
  EXPECT_FLOAT_EQ(device.process(last_play()).second, 1.0f);
}

TEST_F(SoundEngineTest, FadeMovesTheVolumeOverItsTime) {
  const int sound = add(kSoundNormal);
  engine.play(sound, false);
  engine.fade(sound, 0.5, 100);  // to -48 dB over 100 frames at 1000 Hz
  EXPECT_NEAR(device.process(last_play(), 1, 1, 50).first, std::pow(10, -24.0 / 20), 1e-3);
  EXPECT_NEAR(device.process(last_play(), 1, 1, 50).first, std::pow(10, -48.0 / 20), 1e-6);
  // A new play starts where the fade ends.
  engine.play(sound, false);
  EXPECT_NEAR(device.process(last_play()).first, std::pow(10, -48.0 / 20), 1e-6);
}

TEST_F(SoundEngineTest, EffectParametersReachOnlyAnEffectInTheChain) {
  const int sound = add(kSoundNormal);
  engine.play(sound, false);
  const CompressorParameters six_decibels{6, 10, 200, 0, 1, 0};
  engine.set_compressor(sound, six_decibels);
  EXPECT_FLOAT_EQ(device.process(last_play(), 0.1f).first, 0.1f);

  engine.set_effects(sound, kEffectCompressor);
  engine.set_compressor(sound, six_decibels);
  EXPECT_NEAR(device.process(last_play(), 0.1f).first, 0.1995, 1e-3);
  // A refused block leaves the last one in place.
  engine.set_compressor(sound, {100, 10, 200, 0, 1, 0});
  EXPECT_NEAR(device.process(last_play(), 0.1f).first, 0.1995, 1e-3);
  // New plays take the chain with its parameters.
  engine.play(sound, false);
  EXPECT_NEAR(device.process(last_play(), 0.1f).first, 0.1995, 1e-3);

  engine.set_effects(sound, 0);
  EXPECT_FLOAT_EQ(device.process(last_play(), 0.1f).first, 0.1f);
}

TEST_F(SoundEngineTest, ThreeDSoundsFadeWithDistanceAndTurnToTheirSide) {
  const int sound = add(kSound3D);
  const int flat = add(kSoundNormal);
  engine.play(sound, false);
  auto [left, right] = device.process(last_play(), 1, 0);
  EXPECT_FLOAT_EQ(left, 0.5f);  // made mono
  EXPECT_FLOAT_EQ(right, 0.5f);

  engine.set_distance(sound, 2, 100);
  engine.set_position(sound, {0, 0, 8});  // four times the minimum distance
  EXPECT_NEAR(device.process(last_play()).first, 0.25, 1e-3);
  engine.set_position(sound, {1000, 0, 0});  // capped at the maximum, on the right
  std::tie(left, right) = device.process(last_play());
  EXPECT_NEAR(right, 0.02, 1e-3);
  EXPECT_LT(left, right);

  engine.set_position(sound, {0, 0, 1});
  engine.set_distance(sound, 1, 100);
  // The cone points further along +z, away from the listener behind it.
  engine.set_cone(sound, {0, 0, 1}, 90, 180, 0.5);
  EXPECT_NEAR(device.process(last_play()).first, std::pow(10, -5000 / 2000.0), 1e-4);

  engine.set_position(flat, {100, 0, 0});
  engine.play(flat, false);
  EXPECT_FLOAT_EQ(device.process(last_play()).first, 1.0f);
}

}  // namespace
}  // namespace kestrel
