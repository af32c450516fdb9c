// Fuzz target: WAV parsing must refuse or read any bytes without a fault, and a read sample must be whole frames.

#include "contentgen/wav_writer.h"
#include "fuzz_support.h"
#include "platform/audio/wav.h"

namespace {

void Read(const uint8_t* data, size_t size) {
  platform::audio::SampleData sample;
  std::string error;
  if (!platform::audio::ParseWav(data, size, sample, error)) return Check(sample.samples.empty());
  Check(sample.FrameCount() > 0 && sample.samples.size() % static_cast<size_t>(sample.channels) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const std::vector<int16_t> samples = {0, 1000, -1000, 32767, -32768, 5, 6, 7};
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"stereo16.wav", contentgen::EncodeWav(samples, 22050, 2)},
                                     {"mono8.wav", contentgen::EncodeWav(samples, 11025, 1, 8)}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Read(data, size);
  // The same bytes behind a RIFF WAVE header, so the fuzzer reaches the chunk walk without guessing it.
  std::vector<uint8_t> wrapped = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  wrapped.insert(wrapped.end(), data, data + size);
  Read(wrapped.data(), wrapped.size());
  return 0;
}
