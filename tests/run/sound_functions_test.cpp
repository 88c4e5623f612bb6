#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "../sound/fake_audio.h"
#include "data/Runner_Load.h"
#include "game_code.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// A game with one sound, snd_tone, whose runner plays into a fake sound card.
class SoundFunctions : public testing::Test {
 protected:
  SoundFunctions() {
    CSound tone;
    tone.kind = kSoundNormal;
    tone.file_type = ".wav";
    tone.data = bytes("RIFF tone");
    game_.sounds.add("snd_tone", tone);
    runner_ = std::make_unique<Runner>(game_, temp_);
    runner_->engine.settings.errors.show_errors = false;
    auto device = std::make_unique<FakeAudio>();
    audio_ = device.get();
    runner_->sound.start(std::move(device));
  }

  ~SoundFunctions() override {
    for (const auto& file : files_) std::filesystem::remove(file);
  }

  // The value of an expression; the errors it reports are in last_error().
  RValue eval(std::string_view expression) {
    runner_->engine.errors.error_last.clear();
    return run_game_code(*runner_, expression, true);
  }
  std::string last_error() const { return runner_->engine.errors.error_last; }

  // A sound file in the temporary folder of the tests.
  std::string sound_file(std::string_view content) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("kestrel_sound_" + std::to_string(std::random_device{}()) + ".wav");
    std::ofstream(file, std::ios::binary) << content;
    files_.push_back(file);
    return file.string();
  }

  GameData game_;
  TempDirectory temp_ = [] {
    TempDirectoryPlaces places;
    places.system_temp = std::filesystem::temp_directory_path();
    return TempDirectory::Create(places);
  }();
  std::unique_ptr<Runner> runner_;
  FakeAudio* audio_ = nullptr;
  std::vector<std::filesystem::path> files_;
};

TEST_F(SoundFunctions, PlayLoopAndStopTheNamedSound) {
  eval("sound_play(snd_tone)");
  eval("sound_loop(snd_tone)");
  ASSERT_EQ(audio_->plays.size(), 2u);
  EXPECT_FALSE(audio_->plays.at(1).loop);
  EXPECT_TRUE(audio_->plays.at(2).loop);
  EXPECT_EQ(eval("sound_isplaying(snd_tone)").real(), 1);
  eval("sound_stop(snd_tone)");
  EXPECT_EQ(audio_->playing_count(), 0);
  EXPECT_EQ(eval("sound_isplaying(snd_tone)").real(), 0);

  eval("action_sound(snd_tone, 1)");
  EXPECT_TRUE(audio_->plays.at(3).loop);
  EXPECT_EQ(eval("action_if_sound(snd_tone)").real(), 1);
  eval("action_end_sound(snd_tone, 0)");
  EXPECT_EQ(audio_->playing_count(), 0);
  EXPECT_TRUE(last_error().empty()) << last_error();
}

TEST_F(SoundFunctions, AMissingSoundIsReportedByEachFunctionWithItsMessage) {
  struct Case {
    const char* call;
    const char* message;  // null: no report
  };
  const Case cases[] = {
      {"sound_play(7)", "Sound does not exist."},
      {"sound_stop(-1)", "Sound does not exist."},
      {"sound_volume(7, 1)", "Sound does not exist."},
      {"sound_effect_echo(7, 50, 50, 500, 500, 0)", "Sound does not exist."},
      {"sound_3d_set_sound_velocity(7, 0, 0, 0)", "Sound does not exist."},
      {"sound_isplaying(7)", nullptr},
      {"action_if_sound(7)", nullptr},
      {"action_sound(7, 0)", "Trying to play non-existing sound."},
      {"action_end_sound(7, 0)", "Trying to stop non-existing sound."},
      {"sound_replace(7, \"x.wav\", 0, 1)", "Trying to replace non-existing sound."},
      {"sound_delete(7)", "Trying to delete non-existing sound."},
      {"action_replace_sound(7, \"x.wav\")", "Trying to replace non-existing resource."},
      {"action_replace_sound(snd_tone, \"no such file.wav\")", "File does not exist."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(eval(c.call).real(), 0) << c.call;
    if (c.message == nullptr) {
      EXPECT_EQ(last_error(), "") << c.call;
    } else {
      EXPECT_TRUE(last_error().ends_with(c.message)) << c.call << " reported " << last_error();
    }
  }
  EXPECT_EQ(audio_->plays.size(), 0u);
}

TEST_F(SoundFunctions, SoundsAreAddedReplacedAndDeletedFromFiles) {
  EXPECT_EQ(eval("sound_add(\"no such file.wav\", 0, 1)").real(), -1);
  EXPECT_EQ(runner_->sounds.count(), 1);

  // A media player sound that is preloaded is written to its temporary file
  // at once.
  const std::string song = sound_file("RIFF song");
  EXPECT_EQ(eval("sound_add(\"" + song + "\", 3, 1)").real(), 1);
  EXPECT_EQ(eval("sound_get_name(1)").str(), "__newsound1");
  EXPECT_EQ(eval("sound_get_kind(1)").real(), kSoundMultimedia);
  EXPECT_EQ(eval("sound_get_preload(1)").real(), 1);
  EXPECT_EQ(runner_->sounds.get(1)->file_type, ".wav");
  EXPECT_FALSE(runner_->sounds.get(1)->data);
  eval("sound_play(1)");
  EXPECT_TRUE(audio_->media_is_playing);

  // Replacing stops what played; a sound that is not preloaded keeps its data.
  EXPECT_EQ(eval("sound_replace(1, \"" + sound_file("RIFF other") + "\", 0, 0)").real(), 1);
  EXPECT_FALSE(audio_->media_is_playing);
  EXPECT_EQ(eval("sound_get_kind(1)").real(), kSoundNormal);
  EXPECT_EQ(eval("sound_get_preload(1)").real(), 0);
  EXPECT_EQ(runner_->sounds.get(1)->data, bytes("RIFF other"));
  EXPECT_EQ(eval("sound_replace(1, \"no such file.wav\", 0, 0)").real(), 0);
  EXPECT_EQ(runner_->sounds.get(1)->data, bytes("RIFF other"));

  // The action keeps the sound's kind and preload flag.
  eval("action_replace_sound(1, \"" + song + "\")");
  EXPECT_EQ(runner_->sounds.get(1)->data, bytes("RIFF song"));
  EXPECT_EQ(eval("sound_get_kind(1)").real(), kSoundNormal);

  // Deleting stops the sound and empties its slot; later sounds keep theirs.
  eval("sound_add(\"" + song + "\", 0, 1)");
  eval("sound_loop(1)");
  eval("sound_delete(1)");
  EXPECT_EQ(audio_->playing_count(), 0);
  EXPECT_EQ(eval("sound_exists(1)").real(), 0);
  EXPECT_EQ(eval("sound_get_name(1)").str(), "<undefined>");
  EXPECT_EQ(eval("sound_get_kind(1)").real(), -1);
  EXPECT_EQ(eval("sound_get_name(2)").str(), "__newsound2");
  EXPECT_TRUE(last_error().empty()) << last_error();
}

TEST_F(SoundFunctions, ADiscardedSoundIsPreparedAgainWhenPlayed) {
  eval("sound_loop(snd_tone)");
  eval("sound_discard(snd_tone)");
  EXPECT_EQ(audio_->playing_count(), 0);
  eval("sound_play(snd_tone)");
  EXPECT_EQ(audio_->playing_count(), 1);
}

TEST_F(SoundFunctions, TheCdFunctionsAnswerAsADriveWithoutADisc) {
  EXPECT_EQ(eval("cd_present()").real(), 0);
  EXPECT_EQ(eval("cd_number()").real(), 0);
  EXPECT_EQ(eval("cd_track_length(1)").real(), 0);
  EXPECT_EQ(eval("MCI_command(\"status cdaudio media present\")").str(), "false");
  EXPECT_EQ(eval("action_cd_playing()").real(), 0);
}

}  // namespace
}  // namespace kestrel
