// Writes the tests' small video into the file named by its argument, for the
// tests that play one in a real window.
#include <iostream>

#include "video_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_test_video FILE\n";
    return 2;
  }
  kestrel::fixtures::TestVideo video;
  // Long enough to be clicked away before its end.
  video.frames = 600;
  video.frames_per_second = 20;
  std::string error;
  if (!kestrel::fixtures::write_test_video(argv[1], video, error)) {
    std::cerr << error << '\n';
    return 1;
  }
  return 0;
}
