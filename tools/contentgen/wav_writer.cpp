// WAV writer: the canonical 44-byte header followed by the PCM data.
#include "contentgen/wav_writer.h"

#include <filesystem>
#include <fstream>

namespace contentgen {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate, int channels, int bits) {
  const uint32_t bytesPerSample = bits == 8 ? 1 : 2;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size()) * bytesPerSample;
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes + 1);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataBytes + (dataBytes & 1));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(channels));
  Put32(out, static_cast<uint32_t>(rate));
  Put32(out, static_cast<uint32_t>(rate) * channels * bytesPerSample);
  Put16(out, static_cast<uint16_t>(channels * bytesPerSample));
  Put16(out, static_cast<uint16_t>(bits == 8 ? 8 : 16));
  PutTag(out, "data");
  Put32(out, dataBytes);
  for (int16_t sample : samples) {
    if (bits == 8) {
      out.push_back(static_cast<uint8_t>((sample >> 8) + 128));
    } else {
      Put16(out, static_cast<uint16_t>(sample));
    }
  }
  if (dataBytes & 1) out.push_back(0);
  return out;
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels, int bits) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  const std::vector<uint8_t> bytes = EncodeWav(samples, rate, channels, bits);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace contentgen
