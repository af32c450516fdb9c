// Fuzzing the opening of music streams (Ogg Vorbis, then MPEG audio): any file is refused or opens with a sane
// format and reads whole frames, including after a rewind.

#include "contentgen/music.h"
#include "fuzz_support.h"
#include "platform/audio/stream_decoder.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const std::vector<int16_t> tune = contentgen::SynthesiseTune(0, 0.2, 22050);
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"tune.ogg", contentgen::EncodeOggVorbis(tune, 22050, 2)},
                                     {"tune.mp2", contentgen::EncodeMpegAudio(tune, 22050, 2)}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto stream = platform::audio::OpenStreamDecoder(fuzz_support::ScratchFile("input.music", data, size));
  if (stream == nullptr) return 0;
  const int channels = stream->Channels();
  Check((channels == 1 || channels == 2) && stream->Rate() > 0);
  std::vector<int16_t> block(1024 * 2);
  for (int pass = 0; pass < 2; ++pass) {
    // A stream of a few kilobytes holds a bounded number of frames; stop reading well past any of them.
    for (int reads = 0; reads < 64; ++reads) {
      const int frames = stream->Read(block.data(), 1024);
      Check(frames >= 0 && frames <= 1024);
      if (frames == 0) break;
    }
    if (!stream->Rewind()) break;
  }
  return 0;
}
