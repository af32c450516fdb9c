// Ogg Vorbis and MP3 decoding through libvorbisfile and libmpg123.
#include "platform/audio/stream_decoder.h"

#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <mutex>

#include "platform/file_system.h"

namespace platform::audio {
namespace {

class VorbisDecoder final : public StreamDecoder {
 public:
  ~VorbisDecoder() override { ov_clear(&file_); }
  // A file whose end cannot be read (cut short) is opened again as a plain stream: it plays what it has.
  bool Open(std::FILE* handle) {
    if (ov_open_callbacks(handle, &file_, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
      if (std::fseek(handle, 0, SEEK_SET) != 0) return false;
      if (ov_open_callbacks(handle, &file_, nullptr, 0, OV_CALLBACKS_STREAMONLY) != 0) return false;
    }
    opened_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 2 || info->rate <= 0) return false;
    rate_ = static_cast<int>(info->rate);
    channels_ = info->channels;
    return true;
  }
  bool IsOpened() const { return opened_; }
  int Rate() const override { return rate_; }
  int Channels() const override { return channels_; }
  int Read(int16_t* frames, int maxFrames) override {
    int written = 0;
    const int frameBytes = 2 * channels_;
    while (written < maxFrames) {
      int section = 0;
      const long got = ov_read(&file_, reinterpret_cast<char*>(frames + written * channels_),
                               (maxFrames - written) * frameBytes, 0, 2, 1, &section);
      if (got == OV_HOLE) continue;  // a gap in the data: keep going
      if (got <= 0) break;
      written += static_cast<int>(got / frameBytes);
    }
    return written;
  }
  bool Rewind() override { return ov_raw_seek(&file_, 0) == 0; }

 private:
  OggVorbis_File file_{};
  bool opened_ = false;
  int rate_ = 0;
  int channels_ = 0;
};

void InitMpg123Once() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

class Mp3Decoder final : public StreamDecoder {
 public:
  ~Mp3Decoder() override {
    if (handle_ != nullptr) {
      mpg123_close(handle_);
      mpg123_delete(handle_);
    }
  }
  bool Open(const std::string& path) {
    InitMpg123Once();
    handle_ = mpg123_new(nullptr, nullptr);
    if (handle_ == nullptr) return false;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle_);
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L}) {
      mpg123_format(handle_, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(handle_, path.c_str()) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (channels < 1 || channels > 2 || rate <= 0 || encoding != MPG123_ENC_SIGNED_16) return false;
    mpg123_format_none(handle_);  // keep this format for the whole file
    mpg123_format(handle_, rate, channels, encoding);
    rate_ = static_cast<int>(rate);
    channels_ = channels;
    return true;
  }
  int Rate() const override { return rate_; }
  int Channels() const override { return channels_; }
  int Read(int16_t* frames, int maxFrames) override {
    const size_t frameBytes = 2 * static_cast<size_t>(channels_);
    size_t total = 0;
    const size_t wanted = static_cast<size_t>(maxFrames) * frameBytes;
    while (total < wanted) {
      size_t done = 0;
      const int result = mpg123_read(handle_, reinterpret_cast<unsigned char*>(frames) + total, wanted - total, &done);
      total += done;
      if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done > 0)) continue;
      break;  // end of file, an error, or no progress
    }
    return static_cast<int>(total / frameBytes);
  }
  bool Rewind() override { return mpg123_seek(handle_, 0, SEEK_SET) >= 0; }

 private:
  mpg123_handle* handle_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
};

}  // namespace

std::unique_ptr<StreamDecoder> OpenStreamDecoder(const std::string& path) {
  const std::string resolved = ResolveDataPath(path);
  if (std::FILE* handle = std::fopen(resolved.c_str(), "rb")) {
    auto vorbis = std::make_unique<VorbisDecoder>();
    if (vorbis->Open(handle)) return vorbis;
    // ov_open_callbacks owns the handle once it has accepted it; otherwise it is still ours.
    if (!vorbis->IsOpened()) std::fclose(handle);
  } else {
    return nullptr;
  }
  auto mp3 = std::make_unique<Mp3Decoder>();
  if (mp3->Open(resolved)) return mp3;
  return nullptr;
}

}  // namespace platform::audio
