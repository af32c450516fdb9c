// sound_capture: figures and a WAV copy of a raw game capture (SDL's disk audio driver writes 16-bit stereo at
// 44.1 kHz). `sound_capture measure CAPTURE.raw [FROM_S TO_S]` prints the figures of the capture or of a
// stretch of it; `sound_capture wav CAPTURE.raw OUT.wav` writes the WAV copy.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound_capture/sound_capture.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: sound_capture measure CAPTURE.raw [FROM_S TO_S]\n"
                       "       sound_capture wav CAPTURE.raw OUT.wav\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sound_capture;
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  std::vector<int16_t> stereo;
  if (!ReadRawCapture(argv[2], stereo)) {
    std::fprintf(stderr, "sound_capture: cannot read %s\n", argv[2]);
    return 1;
  }
  if (command == "wav" && argc == 4) {
    if (!WriteCaptureWav(argv[3], stereo, kCaptureRate)) {
      std::fprintf(stderr, "sound_capture: cannot write %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (command != "measure" || (argc != 3 && argc != 5)) return Usage();
  size_t from = 0, to = SIZE_MAX;
  if (argc == 5) {
    from = static_cast<size_t>(std::max(0.0, std::atof(argv[3])) * kCaptureRate);
    to = static_cast<size_t>(std::max(0.0, std::atof(argv[4])) * kCaptureRate);
  }
  const CaptureFigures figures = Measure(stereo, kCaptureRate, from, to);
  const double seconds = static_cast<double>(figures.frames) / kCaptureRate;
  std::printf("seconds %.3f\nfull_scale_samples %zu\nfull_scale_per_minute %.1f\npeak_dbfs %.2f\nrms_dbfs %.2f\n"
              "largest_jump %d (%.2f dBFS)\ntone_hz %.1f\nsilences %zu\n",
              seconds, figures.fullScaleSamples, seconds > 0 ? figures.fullScaleSamples / seconds * 60 : 0.0,
              Dbfs(figures.peak), Dbfs(figures.rms), figures.largestJump, Dbfs(figures.largestJump),
              ToneHertz(stereo, kCaptureRate, from, to), figures.silences.size());
  for (const Silence& silence : figures.silences) {
    std::printf("silence at %.4f s for %.1f ms: step in %d (%.1f dBFS), step out %d (%.1f dBFS)\n",
                static_cast<double>(silence.startFrame) / kCaptureRate,
                static_cast<double>(silence.frames) * 1000.0 / kCaptureRate, silence.stepIn, Dbfs(silence.stepIn),
                silence.stepOut, Dbfs(silence.stepOut));
  }
  return 0;
}
