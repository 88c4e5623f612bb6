#pragma once

#include <string>

namespace kestrel::fixtures {

// A small video made for a test: its first half red, its second half blue,
// with a tone as its sound track when asked.
struct TestVideo {
  int width = 64;
  int height = 48;
  int frames = 10;
  int frames_per_second = 10;
  bool sound = true;
};

// Writes the video into an AVI file; false with the reason when it cannot.
bool write_test_video(const std::string& path, const TestVideo& video, std::string& error);

}  // namespace kestrel::fixtures
