// Captured game sound (16-bit stereo, as the disk audio driver or the mixer's recording output gives it): the
// figures a listener's complaints are checked against, and a WAV copy to listen to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sound_capture {

constexpr int kCaptureRate = 44100;
// A run of exact zeros at least this long is a silence (a pause, a gap between tracks), not a zero crossing.
constexpr double kSilenceSeconds = 0.002;

// A silence and the steps into and out of it: the largest |sample| of the frame before and of the frame after.
struct Silence {
  size_t startFrame = 0;
  size_t frames = 0;
  int stepIn = 0;   // 0 when the capture starts silent
  int stepOut = 0;  // 0 when the capture ends silent
};

struct CaptureFigures {
  size_t frames = 0;
  size_t fullScaleSamples = 0;  // samples at 32767 or -32768
  int peak = 0;                 // largest |sample|
  double rms = 0;               // over every sample, 16-bit units
  int largestJump = 0;          // largest sample-to-sample change on one side
  std::vector<Silence> silences;
};

// Figures of frames [from, to) of interleaved stereo samples (to is clipped to the capture).
CaptureFigures Measure(const std::vector<int16_t>& stereo, int rate, size_t from = 0, size_t to = SIZE_MAX);

// The pitch of a steady tone in frames [from, to) of the left side, in Hz: the rising zero crossings, placed
// between samples, counted over the time from the first to the last. 0 with fewer than two crossings.
double ToneHertz(const std::vector<int16_t>& stereo, int rate, size_t from = 0, size_t to = SIZE_MAX);

// A level in dB relative to full scale (32768); -inf for 0.
double Dbfs(double value);

// Reads a raw capture of little-endian 16-bit stereo frames. False when it cannot be read.
bool ReadRawCapture(const std::string& path, std::vector<int16_t>& stereo);

// Writes stereo samples as a 16-bit WAV file. False when it cannot be written.
bool WriteCaptureWav(const std::string& path, const std::vector<int16_t>& stereo, int rate);

}  // namespace sound_capture
