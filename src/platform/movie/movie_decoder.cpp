// Movie decoding: demux the first video stream, decode forward to the asked frame (rewinding when asked for an
// earlier one), and convert each frame to BGRA with swscale.
#include "platform/movie/movie_decoder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace platform::movie {

struct MovieDecoder::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* scaler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int streamIndex = -1;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t frameCount = 0;
  uint32_t rate = 0;
  uint32_t scale = 0;
  // Index of the next frame the decoder will hand out, and whether counting frames from the last rewind gives it
  // (after a seek only the frames' time stamps tell where the stream is).
  int64_t nextFrame = 0;
  bool countingKnown = true;
  bool endOfInput = false;
  // Time stamp of frame 0 and the length of one frame, in the stream's time base.
  int64_t startTime = 0;
  AVRational timeBase{0, 1};
  AVRational frameLength{0, 1};

  ~State() {
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  // Receives the next decoded frame into `frame`; false at the end of the stream or on an error.
  bool NextFrame() {
    for (;;) {
      const int received = avcodec_receive_frame(codec, frame);
      if (received == 0) return true;
      if (received != AVERROR(EAGAIN)) return false;
      if (endOfInput) return false;
      const int read = av_read_frame(format, packet);
      if (read < 0) {
        endOfInput = true;
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (packet->stream_index == streamIndex) {
        const int sent = avcodec_send_packet(codec, packet);
        av_packet_unref(packet);
        if (sent < 0 && sent != AVERROR(EAGAIN)) return false;
      } else {
        av_packet_unref(packet);
      }
    }
  }

  bool Rewind() {
    if (av_seek_frame(format, streamIndex, startTime, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(format, streamIndex, std::numeric_limits<int64_t>::min(), 0, 0, 0) < 0) {
      return false;
    }
    avcodec_flush_buffers(codec);
    nextFrame = 0;
    countingKnown = true;
    endOfInput = false;
    return true;
  }

  // Jumps to the key frame at or before index; false when the container cannot seek.
  bool SeekTo(uint32_t index) {
    if (frameLength.num <= 0 || timeBase.num <= 0) return false;
    const int64_t target = startTime + av_rescale_q(index, frameLength, timeBase);
    if (av_seek_frame(format, streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec);
    countingKnown = false;
    endOfInput = false;
    return true;
  }

  // The index of the frame just received: from its time stamp when it has one, else by counting.
  // -1 when neither is known.
  int64_t FrameIndex() const {
    const int64_t stamp = frame->best_effort_timestamp;
    if (stamp != AV_NOPTS_VALUE && frameLength.num > 0 && timeBase.num > 0) {
      return av_rescale_q_rnd(stamp - startTime, timeBase, frameLength,
                              static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    }
    return countingKnown ? nextFrame : -1;
  }

  // Leaves frame index (or the first frame after it, when the stream skips it) in `frame`.
  bool ReceiveFrame(uint32_t index) {
    for (;;) {
      if (!NextFrame()) return false;
      const int64_t at = FrameIndex();
      if (at < 0) {
        av_frame_unref(frame);
        return false;
      }
      nextFrame = at + 1;
      countingKnown = true;
      if (at >= index) return true;
      av_frame_unref(frame);
    }
  }
};

namespace {

uint32_t LittleEndian32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// Walks the chunks between begin and end (RIFF and LIST chunks hold more chunks after a four-letter type) and
// checks that every chunk holding data fits in the file. The AVI reader allocates some chunks (text tags among
// them) by their declared size before reading them, so a damaged size would ask for gigabytes on a small file.
// A list running past the file's end is walked as far as the file goes, and the frame data ('movi') and the
// index are only read as far as the file goes, so a recording cut short still plays what it holds.
bool ChunksFit(std::ifstream& file, uint64_t begin, uint64_t end, int depth) {
  if (depth > 8) return false;
  uint64_t at = begin;
  while (at + 8 <= end) {
    unsigned char header[12];
    file.seekg(static_cast<std::streamoff>(at));
    if (!file.read(reinterpret_cast<char*>(header), 8)) return false;
    const uint64_t size = LittleEndian32(header + 4);
    const bool holdsChunks = std::memcmp(header, "RIFF", 4) == 0 || std::memcmp(header, "LIST", 4) == 0;
    const uint64_t chunkEnd = at + 8 + size;
    if (holdsChunks) {
      if (size < 4 || !file.read(reinterpret_cast<char*>(header + 8), 4)) return false;
      const bool frameData = std::memcmp(header + 8, "movi", 4) == 0;
      if (!frameData && !ChunksFit(file, at + 12, std::min(chunkEnd, end), depth + 1)) return false;
    } else if (chunkEnd > end && std::memcmp(header, "idx1", 4) != 0) {
      return false;
    }
    at = chunkEnd + (size & 1);
  }
  return true;
}

// True when the file is a RIFF AVI whose header chunks all fit in the file.
bool AviChunksFit(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const auto length = static_cast<uint64_t>(std::max<std::streamoff>(file.tellg(), 0));
  unsigned char header[12];
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(header), 12)) return false;
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "AVI ", 4) != 0) return false;
  return ChunksFit(file, 0, length, 0);
}

}  // namespace

// Frames ahead of the decoder that are decoded through rather than sought to.
constexpr int64_t kDecodeAheadLimit = 8;

MovieDecoder::MovieDecoder() = default;
MovieDecoder::~MovieDecoder() = default;

void MovieDecoder::Close() { state_.reset(); }
bool MovieDecoder::IsOpen() const { return state_ != nullptr; }
uint32_t MovieDecoder::Width() const { return state_ ? state_->width : 0; }
uint32_t MovieDecoder::Height() const { return state_ ? state_->height : 0; }
uint32_t MovieDecoder::FrameCount() const { return state_ ? state_->frameCount : 0; }
uint32_t MovieDecoder::Rate() const { return state_ ? state_->rate : 0; }
uint32_t MovieDecoder::Scale() const { return state_ ? state_->scale : 0; }

bool MovieDecoder::Open(const std::string& path, std::string& error) {
  Close();
  av_log_set_level(AV_LOG_QUIET);
  if (!AviChunksFit(path)) {
    error = "not an AVI movie, or its header is damaged";
    return false;
  }
  auto state = std::make_unique<State>();
  // Only the AVI reader: the game's movies are AVI files and nothing else should be probed.
  if (avformat_open_input(&state->format, path.c_str(), av_find_input_format("avi"), nullptr) < 0) {
    error = "cannot open movie";
    return false;
  }
  if (avformat_find_stream_info(state->format, nullptr) < 0) {
    error = "cannot read movie streams";
    return false;
  }
  const AVCodec* codec = nullptr;
  state->streamIndex = av_find_best_stream(state->format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (state->streamIndex < 0 || codec == nullptr) {
    error = "no decodable video stream";
    return false;
  }
  AVStream* stream = state->format->streams[state->streamIndex];
  state->codec = avcodec_alloc_context3(codec);
  if (state->codec == nullptr || avcodec_parameters_to_context(state->codec, stream->codecpar) < 0 ||
      avcodec_open2(state->codec, codec, nullptr) < 0) {
    error = "cannot start the video decoder";
    return false;
  }
  const int width = state->codec->width;
  const int height = state->codec->height;
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
    error = "movie frame size out of range";
    return false;
  }
  state->width = static_cast<uint32_t>(width);
  state->height = static_cast<uint32_t>(height);
  // The container's frame rate: AVI stores it as rate over scale.
  AVRational frameRate = stream->avg_frame_rate;
  if (frameRate.num <= 0 || frameRate.den <= 0) frameRate = stream->r_frame_rate;
  if (frameRate.num > 0 && frameRate.den > 0) {
    state->rate = static_cast<uint32_t>(frameRate.num);
    state->scale = static_cast<uint32_t>(frameRate.den);
  }
  state->timeBase = stream->time_base;
  if (stream->start_time != AV_NOPTS_VALUE) state->startTime = stream->start_time;
  if (state->rate > 0 && state->scale > 0) {
    state->frameLength = AVRational{static_cast<int>(state->scale), static_cast<int>(state->rate)};
  }
  if (stream->nb_frames > 0 && stream->nb_frames < std::numeric_limits<uint32_t>::max()) {
    state->frameCount = static_cast<uint32_t>(stream->nb_frames);
  } else if (stream->duration > 0 && state->scale > 0 && stream->time_base.den > 0) {
    const double seconds = static_cast<double>(stream->duration) * stream->time_base.num / stream->time_base.den;
    const double frames = seconds * state->rate / state->scale;
    if (frames > 0 && frames < 1e9) state->frameCount = static_cast<uint32_t>(frames + 0.5);
  }
  state->packet = av_packet_alloc();
  state->frame = av_frame_alloc();
  if (state->packet == nullptr || state->frame == nullptr) {
    error = "out of memory";
    return false;
  }
  state_ = std::move(state);
  return true;
}

bool MovieDecoder::DecodeFrame(uint32_t index, std::vector<uint8_t>& texels) {
  if (!state_ || index >= state_->frameCount) return false;
  State& s = *state_;
  // Behind the decoder or far ahead of it: seek (to the key frame before it) instead of decoding every frame
  // between; a stream that cannot seek or has no time stamps is read again from the start.
  const bool jump = !s.countingKnown || index < s.nextFrame || index > s.nextFrame + kDecodeAheadLimit;
  if (jump && !s.SeekTo(index) && !s.Rewind()) return false;
  if (!s.ReceiveFrame(index)) {
    if (s.countingKnown && s.nextFrame <= index) return false;
    // A seek that left the decoder without time stamps: count from the start instead.
    if (!s.Rewind() || !s.ReceiveFrame(index)) return false;
  }
  if (s.frame->width != static_cast<int>(s.width) || s.frame->height != static_cast<int>(s.height)) {
    av_frame_unref(s.frame);
    return false;
  }
  s.scaler = sws_getCachedContext(s.scaler, s.frame->width, s.frame->height,
                                  static_cast<AVPixelFormat>(s.frame->format), s.frame->width, s.frame->height,
                                  AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
  if (s.scaler == nullptr) {
    av_frame_unref(s.frame);
    return false;
  }
  // The scaler's vector code writes whole blocks past the end of a row: it gets rows padded to 64 bytes and a
  // spare block at the end, and the picture is packed tightly afterwards.
  const size_t row = size_t{s.width} * 4;
  const size_t paddedRow = (row + 63) & ~size_t{63};
  std::vector<uint8_t> scaled(paddedRow * s.height + 64);
  uint8_t* planes[4] = {scaled.data(), nullptr, nullptr, nullptr};
  int strides[4] = {static_cast<int>(paddedRow), 0, 0, 0};
  const int rows = sws_scale(s.scaler, s.frame->data, s.frame->linesize, 0, s.frame->height, planes, strides);
  av_frame_unref(s.frame);
  if (rows != static_cast<int>(s.height)) return false;
  texels.resize(row * s.height);
  for (uint32_t y = 0; y < s.height; ++y) {
    std::copy_n(scaled.data() + paddedRow * y, row, texels.data() + row * y);
  }
  return true;
}

}  // namespace platform::movie
