#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sound/Support_CD.h"

namespace kestrel {
namespace {

using Commands = std::vector<std::string>;

// A drive that records the commands it gets and answers from a table.
struct FakeDrive {
  Commands sent;
  std::map<std::string, std::string, std::less<>> replies;

  CdAudio cd() {
    return CdAudio([this](std::string_view command, int) {
      sent.emplace_back(command);
      auto found = replies.find(command);
      return found == replies.end() ? std::string() : found->second;
    });
  }
};

// A ten-track disc, stopped in track 3 at 2:05.
FakeDrive disc_in_drive() {
  FakeDrive drive;
  drive.replies = {{"status cdaudio media present", "true"},
                   {"status cdaudio number of tracks", "10"},
                   {"status cdaudio mode", "stopped"},
                   {"status cdaudio position", "03:02:05:10"},
                   {"status cdaudio length wait", "2400000"}};
  return drive;
}

TEST(CdAudio, AMachineWithoutADiscAnswersZero) {
  CdAudio cd;
  EXPECT_FALSE(cd.present());
  EXPECT_EQ(cd.track_count(), 0);
  EXPECT_FALSE(cd.playing());
  EXPECT_FALSE(cd.paused());
  EXPECT_EQ(cd.track(), 0);
  EXPECT_EQ(cd.length(), 0);
  EXPECT_EQ(cd.track_length(1), 0);
  EXPECT_EQ(cd.position(), 0);
  EXPECT_EQ(cd.track_position(), 0);
  EXPECT_EQ(cd.command("status cdaudio mode"), "");
  cd.play(1, 3);
  cd.set_track_position(1000);
}

TEST(CdAudio, NothingButPresenceIsAskedWithoutADisc) {
  FakeDrive drive;
  CdAudio cd = drive.cd();
  cd.play(1, 2);
  cd.stop();
  EXPECT_EQ(drive.sent, Commands({"open cdaudio", "status cdaudio media present", "open cdaudio",
                                  "status cdaudio media present"}));
}

TEST(CdAudio, PlayRangesBecomeTrackCommands) {
  struct Case {
    int first, last;
    Commands played;
  };
  for (const Case& c :
       {Case{0, 3, {"play cdaudio from 1 to 4"}}, Case{2, 1, {}},
        Case{4, 10, {"play cdaudio from 4"}}, Case{5, 12, {"play cdaudio from 5"}}}) {
    FakeDrive drive = disc_in_drive();
    drive.cd().play(c.first, c.last);
    Commands played;
    for (const std::string& command : drive.sent) {
      if (command.starts_with("play")) played.push_back(command);
    }
    EXPECT_EQ(played, c.played) << c.first << ".." << c.last;
  }
}

TEST(CdAudio, RepliesAreReadAsNumbers) {
  FakeDrive drive = disc_in_drive();
  CdAudio cd = drive.cd();
  EXPECT_TRUE(cd.present());
  EXPECT_EQ(cd.track_count(), 10);
  EXPECT_EQ(cd.track(), 3);
  EXPECT_EQ(cd.track_position(), 2 * 60000 + 5 * 1000);
  EXPECT_EQ(cd.length(), 2400000);
  EXPECT_EQ(cd.track_length(11), 0);
  EXPECT_TRUE(cd.paused());  // a stopped drive counts as paused
  EXPECT_FALSE(cd.playing());
  EXPECT_EQ(reply_number("1:2x3"), 123);
  EXPECT_EQ(reply_number("none"), 0);
}

TEST(CdAudio, SeeksWithinTheCurrentTrackWhenStopped) {
  FakeDrive drive = disc_in_drive();
  drive.cd().set_track_position(125500);
  EXPECT_EQ(drive.sent[drive.sent.size() - 2], "seek cdaudio to 3:2:5");
  EXPECT_EQ(drive.sent.back(), "set cdaudio time format tmsf");

  drive.replies["status cdaudio mode"] = "playing";
  drive.cd().set_position(90000);
  EXPECT_EQ(drive.sent[drive.sent.size() - 2], "play cdaudio from 90000");
}

TEST(CdAudio, RepliesAreCutToTheirBuffer) {
  EXPECT_EQ(answer_without_disc("status cdaudio media present", 255), "false");
  EXPECT_EQ(answer_without_disc("status cdaudio media present", 4), "fal");
  EXPECT_EQ(answer_without_disc("open cdaudio", 20), "");
}

}  // namespace
}  // namespace kestrel
