// WAV parsing: RIFF chunks walked with every length bounded by the bytes left.
#include "platform/audio/wav.h"

#include <cstring>

namespace platform::audio {
namespace {

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxRate = 384000;

}  // namespace

bool ParseWav(const uint8_t* bytes, size_t size, SampleData& out, std::string& error) {
  out = SampleData{};
  if (bytes == nullptr || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  bool haveFormat = false;
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t offset = 12;
  while (size - offset >= 8) {
    const uint8_t* chunk = bytes + offset;
    const size_t length = Read32(chunk + 4);
    const size_t left = size - offset - 8;
    const uint8_t* body = chunk + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || length > left) {
        error = "format chunk is truncated";
        return false;
      }
      format = Read16(body);
      channels = Read16(body + 2);
      rate = Read32(body + 4);
      bits = Read16(body + 14);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        error = "data chunk before the format chunk";
        return false;
      }
      if ((format != kFormatPcm && format != kFormatExtensible) || (bits != 8 && bits != 16) ||
          (channels != 1 && channels != 2) || rate == 0 || rate > kMaxRate) {
        error = "unsupported sample format (PCM 8/16-bit, mono or stereo only)";
        return false;
      }
      const size_t available = length < left ? length : left;
      const size_t frameBytes = static_cast<size_t>(bits / 8) * channels;
      const size_t frames = available / frameBytes;
      if (frames == 0) {
        error = "no sample frames";
        return false;
      }
      out.rate = static_cast<int>(rate);
      out.channels = channels;
      out.samples.resize(frames * channels);
      for (size_t i = 0; i < frames * channels; ++i) {
        if (bits == 8) {
          out.samples[i] = static_cast<int16_t>((static_cast<int>(body[i]) - 128) * 256);
        } else {
          out.samples[i] = static_cast<int16_t>(Read16(body + i * 2));
        }
      }
      return true;
    }
    if (length > left) break;
    offset += 8 + length + (length & 1);  // chunks are padded to an even length
    if (offset > size) break;
  }
  error = haveFormat ? "no data chunk" : "no format chunk";
  return false;
}

}  // namespace platform::audio
