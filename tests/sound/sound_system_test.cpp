#include <gtest/gtest.h>

#include <cmath>

#include "fake_audio.h"
#include "sound/Sound_Main.h"

namespace kestrel {
namespace {

class SoundSystemTest : public testing::Test {
 protected:
  SoundSystemTest() {
    auto device = std::make_unique<FakeAudio>();
    audio = device.get();
    system.start(std::move(device));
  }

  int add_sound(int kind, std::string_view data, bool preload = true, double volume = 1) {
    CSound sound;
    sound.kind = kind;
    sound.file_type = ".mid";
    sound.data = bytes(data);
    sound.preload = preload;
    sound.volume = volume;
    sounds.add("snd" + std::to_string(sounds.count()), std::move(sound));
    return sounds.count() - 1;
  }

  ResourceList<CSound> sounds;
  TempDirectory temp = [] {
    TempDirectoryPlaces places;
    places.system_temp = std::filesystem::temp_directory_path();
    return TempDirectory::Create(places);
  }();
  std::vector<std::string> messages;
  SoundSystem system{sounds, temp, [this](const std::string& text) { messages.push_back(text); }};
  FakeAudio* audio = nullptr;
};

TEST_F(SoundSystemTest, PreloadingPreparesOnlyMarkedSounds) {
  add_sound(kSoundNormal, "RIFF", true);
  add_sound(kSoundNormal, "RIFF", false);
  sounds.add_empty();
  system.prepare_all();
  EXPECT_EQ(system.engine().entry_kind(0), kSoundNormal);
  EXPECT_EQ(system.engine().entry_kind(1), -1);
  // The second sound is prepared on first use.
  EXPECT_EQ(system.entry_of(1), 1);
  EXPECT_EQ(system.entry_of(2), std::nullopt);
  EXPECT_EQ(system.entry_of(-1), std::nullopt);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SoundSystemTest, DataTheMixerCannotDecodeIsPlayedFromATemporaryFile) {
  const int song = add_sound(kSoundBackground, "bad: a song for the media player");
  const int entry = *system.entry_of(song);
  EXPECT_EQ(system.engine().entry_kind(entry), kSoundMultimedia);
  EXPECT_EQ(sounds.get(song)->kind, kSoundMultimedia);
  EXPECT_FALSE(sounds.get(song)->data);

  system.engine().play(entry, false);
  const std::filesystem::path file = audio->media_file;
  EXPECT_EQ(file.parent_path(), temp.path());
  EXPECT_TRUE(file.filename().string().starts_with("a"));
  EXPECT_EQ(file.extension(), ".mid");
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "bad: a song for the media player");
}

TEST_F(SoundSystemTest, TheSoundsVolumeIsAppliedWhenItIsPrepared) {
  const int sound = add_sound(kSoundNormal, "RIFF", true, 0.5);
  system.engine().play(*system.entry_of(sound), false);
  EXPECT_NEAR(audio->process(audio->plays.rbegin()->first).first, std::pow(10, -48.0 / 20), 1e-6);
}

TEST_F(SoundSystemTest, ForgettingASoundFreesItsEntry) {
  const int sound = add_sound(kSoundNormal, "RIFF");
  const int entry = *system.entry_of(sound);
  system.engine().play(entry, true);
  system.forget(sound);
  EXPECT_EQ(system.engine().entry_kind(entry), -1);
  EXPECT_EQ(audio->playing_count(), 0);
}

TEST_F(SoundSystemTest, WithoutADeviceThePlayerIsToldAndSoundsGoToTheMediaPlayer) {
  system.start(nullptr);
  EXPECT_EQ(messages, std::vector<std::string>{kNoSoundDeviceMessage});
  const int sound = add_sound(kSoundNormal, "RIFF");
  EXPECT_EQ(system.engine().entry_kind(*system.entry_of(sound)), kSoundMultimedia);
}

}  // namespace
}  // namespace kestrel
