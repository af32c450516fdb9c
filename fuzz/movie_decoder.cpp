// Fuzzing movie opening and frame decoding: any file is refused or gives frames of exactly its declared size,
// whatever frame is asked for (the first, the next, one far ahead, one past the end, one behind).

#include "contentgen/movie_writer.h"
#include "fuzz_support.h"
#include "platform/movie/movie_decoder.h"

namespace {

std::vector<unsigned char> GeneratedMovie(const contentgen::MovieSpec& spec, const std::string& name) {
  const std::string path = fuzz_support::ScratchFolder() + name;
  std::vector<unsigned char> bytes;
  Check(contentgen::WriteTestPatternMovie(path, spec) &&
        platform::ReadWholeFile(path, bytes, platform::kMaxImageFileBytes));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  contentgen::MovieSpec raw;
  raw.width = 8;
  raw.height = 6;
  raw.frameCount = 4;
  contentgen::MovieSpec jpeg = raw;
  jpeg.width = 16;
  jpeg.height = 16;
  jpeg.rate = 15;
  jpeg.codec = contentgen::MovieCodec::kMotionJpeg;
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"raw.avi", GeneratedMovie(raw, "raw.avi")},
                                     {"mjpeg.avi", GeneratedMovie(jpeg, "mjpeg.avi")}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::ScratchFile("input.avi", data, size);
  platform::movie::MovieDecoder movie;
  std::string error;
  if (!movie.Open(path, error)) {
    Check(!movie.IsOpen() && !error.empty());
    return 0;
  }
  Check(movie.Width() > 0 && movie.Height() > 0);
  const uint32_t count = movie.FrameCount();
  std::vector<uint8_t> texels;
  for (uint32_t frame : {0u, 1u, count / 2 + 20, count, 0u}) {
    texels.clear();
    Check(!movie.DecodeFrame(frame, texels) || texels.size() == size_t{movie.Width()} * movie.Height() * 4);
  }
  return 0;
}
