// Track sound loops from filtered noise and tones; every loop ends where it began so it repeats without a click.
#include "contentgen/track_sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "contentgen/wav_writer.h"

namespace contentgen {

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 6.283185307179586;

// Low-passed noise whose filter has run once round the loop already, so its end flows into its start.
std::vector<double> NoiseLoop(int count, double smoothing, uint32_t seed) {
  std::vector<double> out(static_cast<size_t>(count));
  uint32_t state = seed;
  double filtered = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      state = state * 1664525u + 1013904223u;
      const double white = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
      filtered += (white - filtered) * smoothing;
      out[static_cast<size_t>(i)] = filtered;
    }
  }
  return out;
}

// A level that rises and falls a whole number of times over the loop.
double Swell(int i, int count, int cycles, double depth) {
  return 1.0 - depth * 0.5 * (1 + std::cos(kTwoPi * cycles * i / count));
}

// Loops peak at half of full scale at most: a few of them play at once beside the cars, and a loop that was
// clipped when it was made keeps its hard edges at any volume.
constexpr double kLoudestPeak = 0.5;

std::vector<int16_t> ToSamples(const std::vector<double>& values, double gain) {
  double peak = 0;
  for (double v : values) peak = std::max(peak, std::abs(v * gain));
  if (peak > kLoudestPeak) gain *= kLoudestPeak / peak;
  std::vector<int16_t> out;
  out.reserve(values.size());
  for (double v : values) out.push_back(static_cast<int16_t>(std::lround(v * gain * 32767)));
  return out;
}

}  // namespace

const char* TrackSoundFile(TrackSound sound) {
  switch (sound) {
    case TrackSound::kFountain: return "fountain.wav";
    case TrackSound::kWaves: return "waves.wav";
    case TrackSound::kFoghorn: return "foghorn.wav";
    case TrackSound::kWeir: return "weir.wav";
    case TrackSound::kTraffic: return "traffic.wav";
    case TrackSound::kWorks: return "works.wav";
  }
  return "";
}

std::vector<int16_t> TrackSoundLoop(TrackSound sound) {
  const int second = kRate;
  switch (sound) {
    case TrackSound::kFountain: {
      // Splashing: bright noise with a quick flutter.
      std::vector<double> v = NoiseLoop(second * 2, 0.5, 101);
      for (size_t i = 0; i < v.size(); ++i) v[i] *= Swell(static_cast<int>(i), second * 2, 14, 0.4);
      return ToSamples(v, 1.4);
    }
    case TrackSound::kWaves: {
      // Slow swells of soft noise breaking on the quay.
      std::vector<double> v = NoiseLoop(second * 4, 0.06, 202);
      for (size_t i = 0; i < v.size(); ++i) v[i] *= Swell(static_cast<int>(i), second * 4, 2, 0.85);
      return ToSamples(v, 3.0);
    }
    case TrackSound::kFoghorn: {
      // A low horn for the first second and a half, then the harbour is quiet.
      const int count = second * 6;
      std::vector<double> v(static_cast<size_t>(count), 0.0);
      const int blast = second * 3 / 2;
      for (int i = 0; i < blast; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double envelope = std::min({1.0, t * 8, (static_cast<double>(blast - i) / kRate) * 8});
        v[static_cast<size_t>(i)] =
            envelope * (0.6 * std::sin(kTwoPi * 110 * t) + 0.3 * std::sin(kTwoPi * 220 * t) + 0.1 * std::sin(kTwoPi * 330 * t));
      }
      return ToSamples(v, 0.8);
    }
    case TrackSound::kWeir: {
      // Water pouring over a lock gate: a steady rush.
      std::vector<double> v = NoiseLoop(second * 2, 0.2, 303);
      return ToSamples(v, 2.0);
    }
    case TrackSound::kTraffic: {
      // Distant traffic: a low rumble with passing swells.
      std::vector<double> v = NoiseLoop(second * 4, 0.03, 404);
      for (size_t i = 0; i < v.size(); ++i) v[i] *= Swell(static_cast<int>(i), second * 4, 3, 0.5);
      return ToSamples(v, 4.0);
    }
    case TrackSound::kWorks: {
      // Road works: a compressor's thump at ten beats a second over grit.
      const int count = second;
      std::vector<double> grit = NoiseLoop(count, 0.7, 505);
      std::vector<double> v(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double beat = std::fmod(t * 10, 1.0);
        v[static_cast<size_t>(i)] = std::exp(-beat * 12) * std::sin(kTwoPi * 70 * t) * 0.8 + grit[static_cast<size_t>(i)] * 0.3;
      }
      return ToSamples(v, 1.0);
    }
  }
  return {};
}

bool WriteTrackSound(const std::string& folder, TrackSound sound) {
  const std::string path = folder + TrackSoundFile(sound);
  if (!WriteWav(path, TrackSoundLoop(sound), kRate, 1, 8)) {
    std::fprintf(stderr, "contentgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace contentgen
