#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/version.h>
#include <libavformat/avformat.h>
#include <libavformat/version.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/version.h>
#include <libswresample/swresample.h>
#include <libswresample/version.h>
#include <libswscale/swscale.h>
#include <libswscale/version.h>
}

namespace kestrel::platform {
namespace {

// The video libraries and what they need take a twentieth of a second to
// load, which every start of a game would pay: they are loaded when the
// first video is opened.
#define KESTREL_VIDEO_FUNCTIONS(X)          \
  X(avutil, av_channel_layout_copy)         \
  X(avutil, av_channel_layout_default)      \
  X(avutil, av_channel_layout_uninit)       \
  X(avutil, av_dict_free)                   \
  X(avutil, av_dict_set)                    \
  X(avutil, av_frame_alloc)                 \
  X(avutil, av_frame_free)                  \
  X(avutil, av_frame_unref)                 \
  X(avutil, av_free)                        \
  X(avutil, av_freep)                       \
  X(avutil, av_log_set_level)               \
  X(avutil, av_malloc)                      \
  X(avutil, av_strerror)                    \
  X(avcodec, av_packet_alloc)               \
  X(avcodec, av_packet_free)                \
  X(avcodec, av_packet_unref)               \
  X(avcodec, avcodec_alloc_context3)        \
  X(avcodec, avcodec_free_context)          \
  X(avcodec, avcodec_open2)                 \
  X(avcodec, avcodec_parameters_to_context) \
  X(avcodec, avcodec_receive_frame)         \
  X(avcodec, avcodec_send_packet)           \
  X(avformat, av_find_best_stream)          \
  X(avformat, av_read_frame)                \
  X(avformat, avformat_alloc_context)       \
  X(avformat, avformat_close_input)         \
  X(avformat, avformat_find_stream_info)    \
  X(avformat, avformat_open_input)          \
  X(avformat, avio_alloc_context)           \
  X(avformat, avio_context_free)            \
  X(swscale, sws_freeContext)               \
  X(swscale, sws_getCachedContext)          \
  X(swscale, sws_scale)                     \
  X(swresample, swr_alloc_set_opts2)        \
  X(swresample, swr_convert)                \
  X(swresample, swr_free)                   \
  X(swresample, swr_get_out_samples)        \
  X(swresample, swr_init)

enum class VideoLibrary { avutil, avcodec, avformat, swscale, swresample };

struct VideoFunctions {
#define KESTREL_DECLARE(library, name) decltype(&::name) name = nullptr;
  KESTREL_VIDEO_FUNCTIONS(KESTREL_DECLARE)
#undef KESTREL_DECLARE
};

// The library of the major version of the headers built against; never
// closed, as decoders may keep threads of their own.
void* open_library(VideoLibrary library) {
  static constexpr struct {
    const char* name;
    int major;
  } kFiles[] = {{"libavutil.so.", LIBAVUTIL_VERSION_MAJOR},
                {"libavcodec.so.", LIBAVCODEC_VERSION_MAJOR},
                {"libavformat.so.", LIBAVFORMAT_VERSION_MAJOR},
                {"libswscale.so.", LIBSWSCALE_VERSION_MAJOR},
                {"libswresample.so.", LIBSWRESAMPLE_VERSION_MAJOR}};
  const auto& file = kFiles[static_cast<int>(library)];
  const std::string name = file.name + std::to_string(file.major);
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// The loaded functions, null when a library or a function is missing.
const VideoFunctions* loaded_functions() {
  static const std::optional<VideoFunctions> loaded = []() -> std::optional<VideoFunctions> {
    void* handles[5] = {};
    for (int i = 0; i < 5; ++i) {
      handles[i] = open_library(static_cast<VideoLibrary>(i));
      if (handles[i] == nullptr) return std::nullopt;
    }
    VideoFunctions functions;
    bool complete = true;
#define KESTREL_LOAD(library, name)                                    \
  functions.name = reinterpret_cast<decltype(functions.name)>(         \
      dlsym(handles[static_cast<int>(VideoLibrary::library)], #name)); \
  complete = complete && functions.name != nullptr;
    KESTREL_VIDEO_FUNCTIONS(KESTREL_LOAD)
#undef KESTREL_LOAD
    if (!complete) return std::nullopt;
    return functions;
  }();
  return loaded ? &*loaded : nullptr;
}

#undef KESTREL_VIDEO_FUNCTIONS

// Only called once open_source found the libraries loaded.
const VideoFunctions& av() {
  return *loaded_functions();
}

// Larger pictures are refused rather than given memory a damaged header
// asks for.
constexpr int kLargestSide = 8192;
// Sound tracks are cut after this long: the whole track is held in memory.
constexpr int kLongestSoundSeconds = 1200;
// A damaged file may put a picture far into the future; it waits no longer
// than this after the one before.
constexpr double kLongestPictureGap = 5.0;
constexpr int kReadBufferSize = 1 << 16;

std::string ffmpeg_error(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av().av_strerror(code, text, sizeof text);
  return text;
}

// The libraries' own messages go nowhere: readers report in their words.
void quiet_libraries() {
  static std::once_flag once;
  std::call_once(once, [] { av().av_log_set_level(AV_LOG_QUIET); });
}

// Where a reader reads from: a file by name, or bytes it holds.
struct Source {
  std::string path;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
};

// The bytes of a source read through the libraries' input callbacks.
struct MemoryInput {
  const std::vector<std::uint8_t>* bytes = nullptr;
  std::int64_t position = 0;

  static int read(void* opaque, std::uint8_t* buffer, int size) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const std::int64_t left = static_cast<std::int64_t>(input->bytes->size()) - input->position;
    const int count = static_cast<int>(std::min<std::int64_t>(size, left));
    if (count <= 0) return AVERROR_EOF;
    std::memcpy(buffer, input->bytes->data() + input->position, static_cast<std::size_t>(count));
    input->position += count;
    return count;
  }

  static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<std::int64_t>(input->bytes->size());
    if (whence & AVSEEK_SIZE) return size;
    std::int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
      case SEEK_SET:
        base = 0;
        break;
      case SEEK_CUR:
        base = input->position;
        break;
      case SEEK_END:
        base = size;
        break;
      default:
        return -1;
    }
    if (offset > size || offset < -size) return -1;
    const std::int64_t target = base + offset;
    if (target < 0 || target > size) return -1;
    input->position = target;
    return target;
  }
};

// An opened container with one stream's decoder.
class Demuxer {
 public:
  Demuxer() = default;
  Demuxer(const Demuxer&) = delete;
  Demuxer& operator=(const Demuxer&) = delete;
  ~Demuxer() {
    av().avcodec_free_context(&decoder_);
    av().avformat_close_input(&format_);
    if (io_ != nullptr) {
      av().av_freep(&io_->buffer);
      av().avio_context_free(&io_);
    }
  }

  bool open(const Source& source, AVMediaType kind, std::string& error) {
    quiet_libraries();
    format_ = av().avformat_alloc_context();
    if (format_ == nullptr) return fail("out of memory", error);
    if (source.bytes) {
      memory_.bytes = source.bytes.get();
      auto* buffer = static_cast<std::uint8_t*>(av().av_malloc(kReadBufferSize));
      io_ = buffer != nullptr
                ? av().avio_alloc_context(buffer, kReadBufferSize, 0, &memory_, &MemoryInput::read,
                                          nullptr, &MemoryInput::seek)
                : nullptr;
      if (io_ == nullptr) {
        av().av_free(buffer);
        return fail("out of memory", error);
      }
      format_->pb = io_;
    }
    // A playlist inside a video may name other files: a file may name local
    // files only, and bytes none.
    if (source.bytes) format_->io_open = &refuse_nested_input;
    AVDictionary* options = nullptr;
    av().av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The context is freed when opening fails.
    const int code = av().avformat_open_input(&format_, source.path.c_str(), nullptr, &options);
    av().av_dict_free(&options);
    if (code < 0) {
      return fail("not a video file (" + ffmpeg_error(code) + ")", error);
    }
    if (const int code = av().avformat_find_stream_info(format_, nullptr); code < 0) {
      return fail("damaged (" + ffmpeg_error(code) + ")", error);
    }
    const AVCodec* codec = nullptr;
    stream_ = av().av_find_best_stream(format_, kind, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) {
      return fail(kind == AVMEDIA_TYPE_VIDEO ? "it has no video stream that can be decoded"
                                             : "it has no sound track that can be decoded",
                  error);
    }
    decoder_ = av().avcodec_alloc_context3(codec);
    if (decoder_ == nullptr) return fail("out of memory", error);
    const AVCodecParameters* parameters = format_->streams[stream_]->codecpar;
    if (av().avcodec_parameters_to_context(decoder_, parameters) < 0) {
      return fail("its stream cannot be decoded", error);
    }
    decoder_->thread_count = 1;
    if (const int code = av().avcodec_open2(decoder_, codec, nullptr); code < 0) {
      return fail("its stream cannot be decoded (" + ffmpeg_error(code) + ")", error);
    }
    return true;
  }

  AVStream* stream() const { return format_->streams[stream_]; }
  AVCodecContext* decoder() const { return decoder_; }

  // The next decoded frame of the stream; false at the end, with the reason
  // when a read failed for another cause than the end.
  bool next_frame(AVFrame* frame, AVPacket* packet, std::string& error) {
    for (;;) {
      const int received = av().avcodec_receive_frame(decoder_, frame);
      if (received == 0) return true;
      if (received == AVERROR_EOF) return false;
      if (received != AVERROR(EAGAIN)) {
        error = "damaged (" + ffmpeg_error(received) + ")";
        return false;
      }
      const int read = av().av_read_frame(format_, packet);
      if (read < 0) {
        if (read != AVERROR_EOF) error = "damaged (" + ffmpeg_error(read) + ")";
        // What the decoder still holds comes out before its end.
        av().avcodec_send_packet(decoder_, nullptr);
        continue;
      }
      // A damaged packet is left out; the decoder goes on with the next.
      if (packet->stream_index == stream_) av().avcodec_send_packet(decoder_, packet);
      av().av_packet_unref(packet);
    }
  }

 private:
  static int refuse_nested_input(AVFormatContext*, AVIOContext**, const char*, int,
                                 AVDictionary**) {
    return AVERROR(EPERM);
  }

  static bool fail(const std::string& reason, std::string& error) {
    error = reason;
    return false;
  }

  MemoryInput memory_;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* decoder_ = nullptr;
  int stream_ = -1;
};

struct FrameDeleter {
  void operator()(AVFrame* frame) const { av().av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av().av_packet_free(&packet); }
};
struct ScalerDeleter {
  void operator()(SwsContext* scaler) const { av().sws_freeContext(scaler); }
};
struct ResamplerDeleter {
  void operator()(SwrContext* resampler) const {
    SwrContext* owned = resampler;
    av().swr_free(&owned);
  }
};
using FramePointer = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPointer = std::unique_ptr<AVPacket, PacketDeleter>;

void put_le(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 16-bit stereo wave file around the samples.
std::vector<std::uint8_t> wave_file(const std::vector<std::int16_t>& samples, int sample_rate) {
  const auto data_size = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + data_size);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put_le(out, 36 + data_size, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put_le(out, 16, 4);
  put_le(out, 1, 2);  // plain samples
  put_le(out, 2, 2);  // channels
  put_le(out, static_cast<std::uint32_t>(sample_rate), 4);
  put_le(out, static_cast<std::uint32_t>(sample_rate) * 4, 4);
  put_le(out, 4, 2);
  put_le(out, 16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put_le(out, data_size, 4);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(samples.data());
  out.insert(out.end(), bytes, bytes + data_size);
  return out;
}

class FfmpegVideoReader final : public VideoReader {
 public:
  explicit FfmpegVideoReader(Source source) : source_(std::move(source)) {}

  bool open(std::string& error) {
    auto video = std::make_unique<Demuxer>();
    if (!video->open(source_, AVMEDIA_TYPE_VIDEO, error)) return false;
    const AVCodecContext* decoder = video->decoder();
    if (decoder->width < 1 || decoder->height < 1 || decoder->width > kLargestSide ||
        decoder->height > kLargestSide) {
      error = "its pictures are " + std::to_string(decoder->width) + " by " +
              std::to_string(decoder->height) + " pixels";
      return false;
    }
    frame_.reset(av().av_frame_alloc());
    packet_.reset(av().av_packet_alloc());
    if (!frame_ || !packet_) {
      error = "out of memory";
      return false;
    }
    width_ = out_width_ = decoder->width;
    height_ = out_height_ = decoder->height;
    const AVRational rate = video->stream()->avg_frame_rate;
    frame_duration_ =
        rate.num > 0 && rate.den > 0 ? std::clamp(av_q2d(av_inv_q(rate)), 0.001, 1.0) : 1.0 / 25;
    video_ = std::move(video);
    return true;
  }

  int width() const override { return width_; }
  int height() const override { return height_; }

  void scale_to(int width, int height) override {
    out_width_ = std::clamp(width, 1, kLargestSide);
    out_height_ = std::clamp(height, 1, kLargestSide);
  }

  bool next_picture(std::vector<std::uint32_t>& argb, double& seconds) override {
    while (video_->next_frame(frame_.get(), packet_.get(), error_)) {
      const bool converted = convert(argb);
      const double shown = time_of(*frame_);
      av().av_frame_unref(frame_.get());
      if (!converted) continue;
      seconds = last_seconds_ = shown;
      return true;
    }
    return false;
  }

  bool rewind() override {
    std::string error;
    auto fresh = std::make_unique<FfmpegVideoReader>(source_);
    if (!fresh->open(error)) {
      error_ = error;
      return false;
    }
    fresh->scale_to(out_width_, out_height_);
    std::swap(video_, fresh->video_);
    first_timestamp_.reset();
    last_seconds_ = -1;
    error_.clear();
    return true;
  }

  std::vector<std::uint8_t> sound_as_wave(int sample_rate) override;

  const std::string& error() const override { return error_; }

 private:
  bool convert(std::vector<std::uint32_t>& argb) {
    const AVFrame& frame = *frame_;
    if (frame.width < 1 || frame.height < 1 || frame.width > kLargestSide ||
        frame.height > kLargestSide) {
      return false;
    }
    scaler_.reset(av().sws_getCachedContext(
        scaler_.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
        out_width_, out_height_, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_) return false;
    argb.assign(static_cast<std::size_t>(out_width_) * out_height_, 0);
    std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(argb.data()), nullptr, nullptr,
                               nullptr};
    const int strides[4] = {out_width_ * 4, 0, 0, 0};
    if (av().sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes,
                       strides) <= 0) {
      return false;
    }
    // Videos without an alpha channel are opaque.
    for (std::uint32_t& pixel : argb) pixel |= 0xFF000000;
    return true;
  }

  // Seconds from the first picture: its time stamp where it has one, else one
  // frame after the one before.
  double time_of(const AVFrame& frame) {
    const double next = last_seconds_ < 0 ? 0 : last_seconds_ + frame_duration_;
    const std::int64_t stamp = frame.best_effort_timestamp;
    if (stamp == AV_NOPTS_VALUE) return next;
    if (!first_timestamp_) first_timestamp_ = stamp;
    const double seconds =
        static_cast<double>(stamp - *first_timestamp_) * av_q2d(video_->stream()->time_base);
    if (!std::isfinite(seconds)) return next;
    const double earliest = std::max(last_seconds_, 0.0);
    return std::clamp(seconds, earliest, earliest + kLongestPictureGap);
  }

  Source source_;
  std::unique_ptr<Demuxer> video_;
  FramePointer frame_;
  PacketPointer packet_;
  std::unique_ptr<SwsContext, ScalerDeleter> scaler_;
  int width_ = 0;
  int height_ = 0;
  int out_width_ = 0;
  int out_height_ = 0;
  double frame_duration_ = 1.0 / 25;
  std::optional<std::int64_t> first_timestamp_;
  double last_seconds_ = -1;
  std::string error_;
};

std::vector<std::uint8_t> FfmpegVideoReader::sound_as_wave(int sample_rate) {
  Demuxer sound;
  std::string error;
  if (sample_rate < 1 || !sound.open(source_, AVMEDIA_TYPE_AUDIO, error)) return {};
  AVCodecContext* decoder = sound.decoder();
  if (decoder->ch_layout.nb_channels < 1 || decoder->sample_rate < 1) return {};
  AVChannelLayout in_layout{};
  if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av().av_channel_layout_default(&in_layout, decoder->ch_layout.nb_channels);
  } else if (av().av_channel_layout_copy(&in_layout, &decoder->ch_layout) < 0) {
    return {};
  }
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  SwrContext* made = nullptr;
  const int set =
      av().swr_alloc_set_opts2(&made, &stereo, AV_SAMPLE_FMT_S16, sample_rate, &in_layout,
                               decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
  av().av_channel_layout_uninit(&in_layout);
  std::unique_ptr<SwrContext, ResamplerDeleter> resampler(made);
  if (set < 0 || av().swr_init(resampler.get()) < 0) return {};

  const std::size_t most_samples = static_cast<std::size_t>(sample_rate) * 2 * kLongestSoundSeconds;
  std::vector<std::int16_t> samples;
  const auto append = [&](const std::uint8_t** input, int input_count) {
    const int room = av().swr_get_out_samples(resampler.get(), input_count);
    if (room <= 0) return;
    const std::size_t start = samples.size();
    samples.resize(start + static_cast<std::size_t>(room) * 2);
    auto* out = reinterpret_cast<std::uint8_t*>(samples.data() + start);
    const int made_count = av().swr_convert(resampler.get(), &out, room, input, input_count);
    samples.resize(start + static_cast<std::size_t>(std::max(made_count, 0)) * 2);
  };
  FramePointer frame(av().av_frame_alloc());
  PacketPointer packet(av().av_packet_alloc());
  if (!frame || !packet) return {};
  while (samples.size() < most_samples && sound.next_frame(frame.get(), packet.get(), error)) {
    // A damaged frame may claim another layout than the stream's.
    if (frame->ch_layout.nb_channels == decoder->ch_layout.nb_channels &&
        frame->format == decoder->sample_fmt && frame->sample_rate == decoder->sample_rate) {
      append(const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    }
    av().av_frame_unref(frame.get());
  }
  append(nullptr, 0);
  samples.resize(std::min(samples.size(), most_samples));
  if (samples.empty()) return {};
  return wave_file(samples, sample_rate);
}

std::unique_ptr<VideoReader> open_source(Source source, std::string& error) {
  if (loaded_functions() == nullptr) {
    error = "the video libraries cannot be loaded";
    return nullptr;
  }
  auto reader = std::make_unique<FfmpegVideoReader>(std::move(source));
  if (!reader->open(error)) return nullptr;
  return reader;
}

}  // namespace

std::unique_ptr<VideoReader> open_video_file(const std::string& path, std::string& error) {
  return open_source({path, nullptr}, error);
}

std::unique_ptr<VideoReader> open_video_bytes(std::span<const std::uint8_t> bytes,
                                              std::string& error) {
  return open_source(
      {"", std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end())}, error);
}

}  // namespace kestrel::platform
