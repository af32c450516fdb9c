// Levels, full-scale samples, jumps and silences of a capture, and its WAV copy.
#include "sound_capture/sound_capture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

#include "contentgen/wav_writer.h"

namespace sound_capture {

double Dbfs(double value) {
  return value > 0 ? 20.0 * std::log10(value / 32768.0) : -std::numeric_limits<double>::infinity();
}

CaptureFigures Measure(const std::vector<int16_t>& stereo, int rate, size_t from, size_t to) {
  CaptureFigures figures;
  const size_t total = stereo.size() / 2;
  to = std::min(to, total);
  if (from >= to) return figures;
  figures.frames = to - from;
  const size_t minimumRun = static_cast<size_t>(std::ceil(kSilenceSeconds * std::max(rate, 1)));
  auto frameLevel = [&](size_t f) {
    return std::max(std::abs(static_cast<int>(stereo[2 * f])), std::abs(static_cast<int>(stereo[2 * f + 1])));
  };
  double sumSquares = 0;
  size_t runStart = from;
  bool inRun = false;
  for (size_t f = from; f < to; ++f) {
    for (int side = 0; side < 2; ++side) {
      const int value = stereo[2 * f + side];
      if (value >= 32767 || value <= -32768) ++figures.fullScaleSamples;
      figures.peak = std::max(figures.peak, std::abs(value));
      sumSquares += static_cast<double>(value) * value;
      if (f > from) figures.largestJump = std::max(figures.largestJump, std::abs(value - stereo[2 * (f - 1) + side]));
    }
    const bool zero = stereo[2 * f] == 0 && stereo[2 * f + 1] == 0;
    if (zero && !inRun) {
      inRun = true;
      runStart = f;
    }
    if (inRun && (!zero || f + 1 == to)) {
      const size_t end = zero ? f + 1 : f;
      if (end - runStart >= minimumRun) {
        Silence silence;
        silence.startFrame = runStart;
        silence.frames = end - runStart;
        silence.stepIn = runStart > from ? frameLevel(runStart - 1) : 0;
        silence.stepOut = end < to ? frameLevel(end) : 0;
        figures.silences.push_back(silence);
      }
      inRun = false;
    }
  }
  figures.rms = std::sqrt(sumSquares / static_cast<double>(2 * figures.frames));
  return figures;
}

double ToneHertz(const std::vector<int16_t>& stereo, int rate, size_t from, size_t to) {
  to = std::min(to, stereo.size() / 2);
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t f = from + 1; f < to; ++f) {
    const double before = stereo[2 * (f - 1)];
    const double now = stereo[2 * f];
    if (before < 0 && now >= 0) {
      const double at = static_cast<double>(f - 1) + (-before) / (now - before);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2 || last <= first) return 0;
  return (crossings - 1) * static_cast<double>(rate) / (last - first);
}

bool ReadRawCapture(const std::string& path, std::vector<int16_t>& stereo) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  stereo.resize(bytes.size() / 4 * 2);
  for (size_t i = 0; i < stereo.size(); ++i) {
    stereo[i] = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
  }
  return true;
}

bool WriteCaptureWav(const std::string& path, const std::vector<int16_t>& stereo, int rate) {
  return contentgen::WriteWav(path, stereo, rate, 2, 16);
}

}  // namespace sound_capture
