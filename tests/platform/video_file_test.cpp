#include "platform/video_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "video_fixture.h"

namespace kestrel::platform {
namespace {

namespace fs = std::filesystem;

class VideoFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("kestrel_video_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string make(const std::string& name, const fixtures::TestVideo& video) {
    const std::string path = (folder_ / name).string();
    std::string error;
    EXPECT_TRUE(fixtures::write_test_video(path, video, error)) << error;
    return path;
  }

  static std::vector<std::uint8_t> bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path folder_;
};

// Red and blue as the fixture paints them, allowing for the encoder's loss.
bool reddish(std::uint32_t pixel) {
  return (pixel >> 16 & 0xFF) > 200 && (pixel & 0xFF) < 60 && pixel >> 24 == 0xFF;
}
bool bluish(std::uint32_t pixel) {
  return (pixel & 0xFF) > 200 && (pixel >> 16 & 0xFF) < 60;
}

TEST_F(VideoFile, GivesEveryPictureScaledAndTimedAndStartsAgain) {
  const std::string path = make("clip.avi", {64, 48, 10, 10, true});
  std::string error;
  std::unique_ptr<VideoReader> reader = open_video_file(path, error);
  ASSERT_NE(reader, nullptr) << error;
  EXPECT_EQ(reader->width(), 64);
  EXPECT_EQ(reader->height(), 48);
  reader->scale_to(32, 96);
  std::vector<std::uint32_t> argb;
  std::vector<double> times;
  std::vector<std::uint32_t> middles;
  double seconds = 0;
  while (reader->next_picture(argb, seconds)) {
    ASSERT_EQ(argb.size(), 32u * 96);
    times.push_back(seconds);
    middles.push_back(argb[48 * 32 + 16]);
  }
  EXPECT_EQ(reader->error(), "");
  ASSERT_EQ(times.size(), 10u);
  for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], 0.1 * i, 1e-6);
  EXPECT_TRUE(reddish(middles.front())) << std::hex << middles.front();
  EXPECT_TRUE(bluish(middles.back())) << std::hex << middles.back();

  ASSERT_TRUE(reader->rewind());
  ASSERT_TRUE(reader->next_picture(argb, seconds));
  EXPECT_EQ(seconds, 0);
  EXPECT_EQ(argb.size(), 32u * 96);
  EXPECT_TRUE(reddish(argb[0]));
}

TEST_F(VideoFile, DecodesTheSoundTrackIntoAWaveFile) {
  std::string error;
  std::unique_ptr<VideoReader> reader =
      open_video_file(make("tone.avi", {32, 32, 20, 10, true}), error);
  ASSERT_NE(reader, nullptr) << error;
  const std::vector<std::uint8_t> wave = reader->sound_as_wave(44100);
  ASSERT_GT(wave.size(), 44u);
  EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
  // Two seconds of 16-bit stereo, give or take the resampler's edges.
  EXPECT_NEAR(static_cast<double>(wave.size() - 44), 2 * 44100 * 4, 2000);

  std::unique_ptr<VideoReader> silent =
      open_video_file(make("silent.avi", {32, 32, 4, 10, false}), error);
  ASSERT_NE(silent, nullptr) << error;
  EXPECT_TRUE(silent->sound_as_wave(44100).empty());
}

TEST_F(VideoFile, RefusesOrStopsCleanlyOnFilesThatAreNotWholeVideos) {
  const std::vector<std::uint8_t> video = bytes_of(make("whole.avi", {64, 48, 10, 10, true}));
  std::string error;
  const std::vector<std::uint8_t> wave = open_video_bytes(video, error)->sound_as_wave(22050);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* refusal;  // null when it opens and only ends early
  };
  const std::vector<Case> cases = {
      {"empty", {}, "not a video file"},
      {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, "not a video file"},
      {"sound only", wave, "it has no video stream that can be decoded"},
      {"first half", {video.begin(), video.begin() + video.size() / 2}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    error.clear();
    std::unique_ptr<VideoReader> reader = open_video_bytes(c.bytes, error);
    if (c.refusal != nullptr) {
      EXPECT_EQ(reader, nullptr);
      EXPECT_EQ(error.substr(0, std::string(c.refusal).size()), c.refusal) << error;
      continue;
    }
    ASSERT_NE(reader, nullptr) << error;
    std::vector<std::uint32_t> argb;
    double seconds = 0;
    int pictures = 0;
    while (reader->next_picture(argb, seconds)) ++pictures;
    EXPECT_LT(pictures, 10);
  }
  EXPECT_EQ(open_video_file((folder_ / "missing.avi").string(), error), nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kestrel::platform
