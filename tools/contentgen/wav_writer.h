// WAV writer for the sample content: 8-bit unsigned or 16-bit signed PCM, mono or stereo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

// A RIFF WAVE image of interleaved 16-bit samples; with bits 8 each sample is stored as (s >> 8) + 128.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate, int channels, int bits = 16);

// Writes EncodeWav to path (folders created). False when the file cannot be written.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels, int bits = 16);

}  // namespace contentgen
