#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrel::platform {

// The pictures of a video file in order, scaled to the size asked for, and
// its sound track.
class VideoReader {
 public:
  virtual ~VideoReader() = default;

  // The pictures' own size.
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The size next_picture gives from now on; the video's own until set.
  virtual void scale_to(int width, int height) = 0;
  // The next picture as 0xAARRGGBB pixels, rows from the top, and when it
  // shows in seconds from the start (never earlier than the one before).
  // False at the end; error() then tells when the file was damaged.
  virtual bool next_picture(std::vector<std::uint32_t>& argb, double& seconds) = 0;
  // Starts again from the first picture; false when the file cannot be read again.
  virtual bool rewind() = 0;
  // The sound track decoded whole into a wave file in memory (16-bit stereo
  // at the rate); empty when there is none or it cannot be decoded.
  virtual std::vector<std::uint8_t> sound_as_wave(int sample_rate) = 0;
  // Why reading stopped early; empty after a clean end.
  virtual const std::string& error() const = 0;
};

// Null with the reason when the file cannot be read or has no video stream.
std::unique_ptr<VideoReader> open_video_file(const std::string& path, std::string& error);
// The same over a file's bytes, which the reader copies.
std::unique_ptr<VideoReader> open_video_bytes(std::span<const std::uint8_t> bytes,
                                              std::string& error);

}  // namespace kestrel::platform
