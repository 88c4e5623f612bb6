// Writes the tests' small video into the file named by its first argument,
// for the tests that play one in a real window; a second argument gives its
// number of pictures (a short one seeds the video fuzzer).
#include <cstdlib>
#include <iostream>

#include "video_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: make_test_video FILE [PICTURES]\n";
    return 2;
  }
  kestrel::fixtures::TestVideo video;
  // Long enough to be clicked away before its end.
  video.frames = argc == 3 ? std::atoi(argv[2]) : 600;
  video.frames_per_second = 20;
  if (argc == 3) {
    video.width = 16;
    video.height = 16;
  }
  std::string error;
  if (!kestrel::fixtures::write_test_video(argv[1], video, error)) {
    std::cerr << error << '\n';
    return 1;
  }
  return 0;
}
