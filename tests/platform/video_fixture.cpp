#include "video_fixture.h"

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace kestrel::fixtures {
namespace {

constexpr int kSampleRate = 22050;

struct Encoder {
  AVCodecContext* context = nullptr;
  AVStream* stream = nullptr;
  ~Encoder() { avcodec_free_context(&context); }
};

struct Writer {
  AVFormatContext* format = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  ~Writer() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    if (format != nullptr && format->pb != nullptr) avio_closep(&format->pb);
    avformat_free_context(format);
  }
};

bool open_encoder(Writer& writer, Encoder& encoder, AVCodecID id, std::string& error) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (codec == nullptr) {
    error = std::string("no encoder for ") + avcodec_get_name(id);
    return false;
  }
  encoder.stream = avformat_new_stream(writer.format, nullptr);
  encoder.context = avcodec_alloc_context3(codec);
  return encoder.stream != nullptr && encoder.context != nullptr;
}

bool start(Encoder& encoder, AVFormatContext* format, std::string& error) {
  if (format->oformat->flags & AVFMT_GLOBALHEADER) {
    encoder.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (avcodec_open2(encoder.context, nullptr, nullptr) < 0 ||
      avcodec_parameters_from_context(encoder.stream->codecpar, encoder.context) < 0) {
    error = "cannot start the encoder";
    return false;
  }
  encoder.stream->time_base = encoder.context->time_base;
  return true;
}

// Sends a frame (null to drain) and writes what comes out.
bool encode(Writer& writer, Encoder& encoder, const AVFrame* frame) {
  if (avcodec_send_frame(encoder.context, frame) < 0) return false;
  while (avcodec_receive_packet(encoder.context, writer.packet) == 0) {
    av_packet_rescale_ts(writer.packet, encoder.context->time_base, encoder.stream->time_base);
    writer.packet->stream_index = encoder.stream->index;
    if (av_interleaved_write_frame(writer.format, writer.packet) < 0) return false;
  }
  return true;
}

bool write_pictures(Writer& writer, Encoder& encoder, const TestVideo& video) {
  AVFrame* frame = writer.frame;
  for (int i = 0; i < video.frames; ++i) {
    av_frame_unref(frame);
    frame->format = encoder.context->pix_fmt;
    frame->width = video.width;
    frame->height = video.height;
    if (av_frame_get_buffer(frame, 0) < 0) return false;
    // Red, then blue, as YUV.
    const bool red = i < video.frames / 2;
    const int values[3] = {red ? 81 : 41, red ? 90 : 240, red ? 240 : 110};
    for (int plane = 0; plane < 3; ++plane) {
      const int rows = plane == 0 ? video.height : video.height / 2;
      for (int y = 0; y < rows; ++y) {
        std::fill_n(frame->data[plane] + y * frame->linesize[plane],
                    plane == 0 ? video.width : video.width / 2, values[plane]);
      }
    }
    frame->pts = i;
    if (!encode(writer, encoder, frame)) return false;
  }
  return encode(writer, encoder, nullptr);
}

bool write_tone(Writer& writer, Encoder& encoder, const TestVideo& video) {
  AVFrame* frame = writer.frame;
  const int total = kSampleRate * video.frames / video.frames_per_second;
  const int chunk = 1024;
  for (int done = 0; done < total; done += chunk) {
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_S16;
    frame->nb_samples = std::min(chunk, total - done);
    frame->sample_rate = kSampleRate;
    if (av_channel_layout_copy(&frame->ch_layout, &encoder.context->ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0) {
      return false;
    }
    auto* samples = reinterpret_cast<std::int16_t*>(frame->data[0]);
    for (int s = 0; s < frame->nb_samples; ++s) {
      samples[s] =
          static_cast<std::int16_t>(8000 * std::sin((done + s) * 2 * M_PI * 440 / kSampleRate));
    }
    frame->pts = done;
    if (!encode(writer, encoder, frame)) return false;
  }
  return encode(writer, encoder, nullptr);
}

}  // namespace

bool write_test_video(const std::string& path, const TestVideo& video, std::string& error) {
  Writer writer;
  if (avformat_alloc_output_context2(&writer.format, nullptr, "avi", path.c_str()) < 0) {
    error = "no AVI writer";
    return false;
  }
  writer.frame = av_frame_alloc();
  writer.packet = av_packet_alloc();
  Encoder pictures;
  if (!open_encoder(writer, pictures, AV_CODEC_ID_MPEG4, error)) return false;
  pictures.context->width = video.width;
  pictures.context->height = video.height;
  pictures.context->pix_fmt = AV_PIX_FMT_YUV420P;
  pictures.context->time_base = {1, video.frames_per_second};
  pictures.context->framerate = {video.frames_per_second, 1};
  pictures.context->gop_size = 1;
  if (!start(pictures, writer.format, error)) return false;
  Encoder tone;
  if (video.sound) {
    if (!open_encoder(writer, tone, AV_CODEC_ID_PCM_S16LE, error)) return false;
    tone.context->sample_fmt = AV_SAMPLE_FMT_S16;
    tone.context->sample_rate = kSampleRate;
    tone.context->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    tone.context->time_base = {1, kSampleRate};
    if (!start(tone, writer.format, error)) return false;
  }
  if (avio_open(&writer.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
      avformat_write_header(writer.format, nullptr) < 0) {
    error = "cannot write " + path;
    return false;
  }
  if (!write_pictures(writer, pictures, video) ||
      (video.sound && !write_tone(writer, tone, video)) || av_write_trailer(writer.format) < 0) {
    error = "cannot encode the video";
    return false;
  }
  return true;
}

}  // namespace kestrel::fixtures
