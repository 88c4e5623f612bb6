// Plays the sound_output game in real time through SDL's "disk" audio
// driver, which writes the mixed samples (stereo floats) to a file, and
// measures what the game's sound calls put there. The game plays its tone
// (0.1 s of a 441 Hz sine at half amplitude, made with
// `sox -n -D -r 44100 -b 16 -c 1 snd_tone.wav synth 0.1 sine 441 vol 0.5`)
// at full volume, then at volume 0.5, then loops it until it stops it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kFramesPerMillisecond = 44.1;
// Shorter runs of silent frames are the sine crossing zero.
constexpr int kGapFrames = 441;

struct Segment {
  double start_ms;
  double length_ms;
  float peak;
};

// The stretches of sound between silences, and where the output ends.
std::vector<Segment> segments_of(const std::vector<float>& samples, double& end_ms) {
  std::vector<Segment> found;
  long start = -1;
  long last = -1;
  float peak = 0;
  const auto close = [&] {
    if (start >= 0) {
      found.push_back(
          {start / kFramesPerMillisecond, (last - start + 1) / kFramesPerMillisecond, peak});
    }
  };
  const long frames = static_cast<long>(samples.size() / 2);
  for (long frame = 0; frame < frames; ++frame) {
    const float level = std::max(std::abs(samples[2 * frame]), std::abs(samples[2 * frame + 1]));
    if (level == 0) continue;
    if (start < 0 || frame - last > kGapFrames) {
      close();
      start = frame;
      peak = 0;
    }
    last = frame;
    peak = std::max(peak, level);
  }
  close();
  end_ms = frames / kFramesPerMillisecond;
  return found;
}

std::string quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

// The sound_output game, built in a scratch folder of its own.
class SoundOutput : public testing::Test {
 protected:
  SoundOutput() {
    std::filesystem::create_directories(work_);
    const std::string build = quoted(KESTREL_DEV) + " build " + quoted(SOUND_OUTPUT_PROJECT) +
                              " --data-only -o " + quoted(work_ / "game") + " 2>" + quoted(log_);
    built_ = std::system(build.c_str()) == 0;
  }
  ~SoundOutput() override { std::filesystem::remove_all(work_); }

  // Plays the game headless with the audio settings in front of the command;
  // true when it ended well. What it wrote to standard error is in errors().
  bool play(const std::string& audio, const std::string& options) {
    const std::string run = "cd " + quoted(work_) + " && " + audio + " " + quoted(KESTREL_DEV) +
                            " run game --headless " + options + " >/dev/null 2>" + quoted(log_);
    return std::system(run.c_str()) == 0;
  }
  std::string errors() const {
    std::ifstream log(log_);
    return {std::istreambuf_iterator<char>(log), {}};
  }

  const std::filesystem::path work_ =
      std::filesystem::temp_directory_path() /
      ("kestrel_sound_output_" + std::to_string(std::random_device{}()));
  const std::filesystem::path log_ = work_ / "errors.txt";
  bool built_ = false;
};

TEST_F(SoundOutput, TheGamesSoundsReachTheSoundCardAtTheirLevels) {
  ASSERT_TRUE(built_) << errors();
  const std::filesystem::path samples_file = work_ / "out.raw";
  ASSERT_TRUE(play("SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + quoted(samples_file),
                   "--audio --real-time --frames 100"))
      << errors();

  std::ifstream file(samples_file, std::ios::binary);
  std::vector<float> samples(std::filesystem::file_size(samples_file) / sizeof(float));
  file.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * sizeof(float)));

  double end_ms = 0;
  const std::vector<Segment> segments = segments_of(samples, end_ms);
  ASSERT_EQ(segments.size(), 3u);
  const Segment& full = segments[0];
  const Segment& half = segments[1];
  const Segment& looped = segments[2];

  EXPECT_NEAR(full.length_ms, 100, 1);
  EXPECT_NEAR(full.peak, 0.5, 0.01);
  // Volume 0.5 is 48 dB down.
  EXPECT_NEAR(half.length_ms, 100, 1);
  EXPECT_NEAR(half.peak, 0.5 * std::pow(10, -48.0 / 20), 1e-4);
  // Longer than one play of the tone, and over long before the game ends.
  EXPECT_NEAR(looped.peak, 0.5, 0.01);
  EXPECT_GT(looped.length_ms, 150);
  EXPECT_GT(end_ms - (looped.start_ms + looped.length_ms), 300) << "the loop was not stopped";
}

TEST_F(SoundOutput, WithoutASoundCardTheGamePlaysOnAfterTellingThePlayer) {
  ASSERT_TRUE(built_) << errors();
  EXPECT_TRUE(play("SDL_AUDIODRIVER=none_such", "--audio --frames 50")) << errors();
  EXPECT_NE(errors().find("No sound device detected. Sounds might not play."), std::string::npos)
      << errors();
}

// Without --audio a headless run plays on the null device: it needs no sound
// card and says nothing about one.
TEST_F(SoundOutput, AHeadlessRunLeavesTheSoundCardAloneUnlessAsked) {
  ASSERT_TRUE(built_) << errors();
  EXPECT_TRUE(play("SDL_AUDIODRIVER=none_such", "--frames 50")) << errors();
  EXPECT_EQ(errors(), "");
}

}  // namespace
