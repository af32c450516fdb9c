// AVI writing: one video stream, frames converted from BGRA by swscale and encoded by libavcodec.
#include "contentgen/movie_writer.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace contentgen {

uint32_t MovieFrameColour(uint32_t frame) {
  const uint32_t red = (frame * 37 + 40) & 0xFF;
  const uint32_t green = (frame * 91 + 10) & 0xFF;
  const uint32_t blue = (255 - frame * 23) & 0xFF;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

namespace {

bool Fail(const std::string& path, const char* what) {
  std::fprintf(stderr, "contentgen: cannot write movie %s: %s\n", path.c_str(), what);
  return false;
}

struct Writer {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  bool fileOpen = false;

  ~Writer() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (format != nullptr) {
      if (fileOpen) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  bool Drain(AVStream* stream) {
    for (;;) {
      const int received = avcodec_receive_packet(codec, packet);
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
      if (received < 0) return false;
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
  }
};

}  // namespace

bool WriteMovie(const std::string& path, const MovieSpec& spec,
                const std::function<void(uint32_t frame, PictureData& picture)>& paint) {
  if (spec.width == 0 || spec.height == 0 || spec.rate == 0 || spec.scale == 0) return Fail(path, "bad size or rate");
  std::error_code error;
  const std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
  av_log_set_level(AV_LOG_QUIET);

  Writer writer;
  if (avformat_alloc_output_context2(&writer.format, nullptr, "avi", path.c_str()) < 0) return Fail(path, "no AVI");
  const bool raw = spec.codec == MovieCodec::kRawVideo;
  const AVCodec* encoder = avcodec_find_encoder(raw ? AV_CODEC_ID_RAWVIDEO : AV_CODEC_ID_MJPEG);
  if (encoder == nullptr) return Fail(path, "no encoder");
  AVStream* stream = avformat_new_stream(writer.format, nullptr);
  writer.codec = avcodec_alloc_context3(encoder);
  if (stream == nullptr || writer.codec == nullptr) return Fail(path, "out of memory");
  writer.codec->width = static_cast<int>(spec.width);
  writer.codec->height = static_cast<int>(spec.height);
  writer.codec->time_base = AVRational{static_cast<int>(spec.scale), static_cast<int>(spec.rate)};
  writer.codec->framerate = AVRational{static_cast<int>(spec.rate), static_cast<int>(spec.scale)};
  writer.codec->pix_fmt = raw ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_YUVJ420P;
  if (!raw) {
    writer.codec->flags |= AV_CODEC_FLAG_QSCALE;
    writer.codec->global_quality = FF_QP2LAMBDA * 2;
  }
  if (avcodec_open2(writer.codec, encoder, nullptr) < 0) return Fail(path, "cannot start the encoder");
  if (avcodec_parameters_from_context(stream->codecpar, writer.codec) < 0) return Fail(path, "bad parameters");
  stream->time_base = writer.codec->time_base;
  stream->avg_frame_rate = writer.codec->framerate;
  if (avio_open(&writer.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return Fail(path, "cannot create the file");
  writer.fileOpen = true;
  if (avformat_write_header(writer.format, nullptr) < 0) return Fail(path, "cannot write the header");

  writer.frame = av_frame_alloc();
  writer.packet = av_packet_alloc();
  if (writer.frame == nullptr || writer.packet == nullptr) return Fail(path, "out of memory");
  writer.frame->format = writer.codec->pix_fmt;
  writer.frame->width = writer.codec->width;
  writer.frame->height = writer.codec->height;
  if (av_frame_get_buffer(writer.frame, 0) < 0) return Fail(path, "out of memory");
  writer.scaler = sws_getContext(writer.codec->width, writer.codec->height, AV_PIX_FMT_BGRA, writer.codec->width,
                                 writer.codec->height, writer.codec->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
  if (writer.scaler == nullptr) return Fail(path, "no converter");

  PictureData picture(spec.width, spec.height);
  for (uint32_t index = 0; index < spec.frameCount; ++index) {
    paint(index, picture);
    if (av_frame_make_writable(writer.frame) < 0) return Fail(path, "frame busy");
    const uint8_t* planes[4] = {picture.texels.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(spec.width * 4), 0, 0, 0};
    sws_scale(writer.scaler, planes, strides, 0, writer.codec->height, writer.frame->data, writer.frame->linesize);
    writer.frame->pts = index;
    if (avcodec_send_frame(writer.codec, writer.frame) < 0 || !writer.Drain(stream)) return Fail(path, "encoding");
  }
  if (avcodec_send_frame(writer.codec, nullptr) < 0 || !writer.Drain(stream)) return Fail(path, "encoding");
  if (av_write_trailer(writer.format) < 0) return Fail(path, "cannot finish the file");
  return true;
}

bool WriteTestPatternMovie(const std::string& path, const MovieSpec& spec) {
  return WriteMovie(path, spec, [](uint32_t frame, PictureData& picture) {
    picture.Fill(MovieFrameColour(frame));
    picture.Set(0, 0, 0xFFFFFFFF);
  });
}

}  // namespace contentgen
