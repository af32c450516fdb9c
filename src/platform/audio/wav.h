// WAV sample files decoded into 16-bit frames for the software mixer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::audio {

// Decoded PCM: interleaved signed 16-bit frames, one or two channels.
struct SampleData {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // frames × channels values
  size_t FrameCount() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// Parses a RIFF WAVE image holding 8-bit unsigned or 16-bit signed PCM, mono or stereo.
// Every chunk length is checked against the bytes left; a data chunk that runs past the end is cut to what is
// there. Returns false, leaves `out` empty and names the problem in `error` for anything else.
bool ParseWav(const uint8_t* bytes, size_t size, SampleData& out, std::string& error);

}  // namespace platform::audio
