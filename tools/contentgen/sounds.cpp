// Sound synthesis for the sample content: decaying tones, filtered noise and looping engine hums.
#include "contentgen/sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "contentgen/ffe_writer.h"
#include "contentgen/music.h"
#include "contentgen/wav_writer.h"

namespace contentgen {
namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<int16_t>;
// Sounds are made as floating-point waves (full scale ±1) and scaled and faded before they become samples.
using Wave = std::vector<double>;

// Impact and surface sounds peak at half of full scale (-6 dBFS), so several of them at once leave the mix
// room; the menu and engine sounds keep their own levels.
constexpr double kImpactPeak = 0.5;
// One-shots fade in and out over these times, so they start and end at zero instead of mid-waveform.
constexpr double kFadeInSeconds = 0.002;
constexpr double kFadeOutSeconds = 0.005;

int16_t ToSample(double value) { return static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0)); }

// A tone gliding from f0 to f1 Hz with an exponential decay (decay 0 keeps it level).
Wave Tone(double f0, double f1, double seconds, double amplitude, double decay) {
  const int count = static_cast<int>(seconds * kRate);
  Wave out(count);
  double phase = 0;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double f = f0 + (f1 - f0) * t / seconds;
    out[i] = amplitude * std::exp(-decay * t) * std::sin(phase);
    phase += 2 * kPi * f / kRate;
  }
  return out;
}

// Low-passed noise from a fixed generator, so the content is the same on every build.
Wave Noise(double seconds, double amplitude, double decay, double smoothing, uint32_t seed) {
  const int count = static_cast<int>(seconds * kRate);
  Wave out(count);
  uint32_t state = seed;
  double filtered = 0;
  for (int i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;
    const double white = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
    filtered += (white - filtered) * smoothing;
    out[i] = amplitude * std::exp(-decay * static_cast<double>(i) / kRate) * filtered * 2.0;
  }
  return out;
}

// A seamless loop: a whole number of periods of a buzzing engine tone with a few harmonics.
Wave EngineLoop(double hertz, int periods, double amplitude) {
  const int periodFrames = static_cast<int>(std::lround(kRate / hertz));
  Wave out(static_cast<size_t>(periodFrames) * periods);
  for (size_t i = 0; i < out.size(); ++i) {
    const double phase = 2 * kPi * static_cast<double>(i % periodFrames) / periodFrames;
    const double value = std::sin(phase) * 0.6 + std::sin(2 * phase) * 0.25 + std::sin(3 * phase) * 0.15;
    out[i] = amplitude * value;
  }
  return out;
}

// Noise that loops: the filter runs over the buffer twice so the end flows into the start.
Wave NoiseLoop(double seconds, double amplitude, double smoothing, uint32_t seed) {
  const int count = static_cast<int>(seconds * kRate);
  Wave twice = Noise(seconds * 2, amplitude, 0, smoothing, seed);
  return Wave(twice.begin() + count, twice.begin() + 2 * count);
}

Wave Concat(Wave a, const Wave& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// How a wave becomes samples.
enum class Kind {
  kLoop,        // kept as made: it must flow from its end into its start
  kOneShot,     // faded in and out
  kImpact,      // a one-shot scaled down to kImpactPeak when it is louder
  kSurfaceLoop  // a loop scaled down to kImpactPeak when it is louder
};

Samples Finish(Wave wave, Kind kind) {
  if (kind == Kind::kImpact || kind == Kind::kSurfaceLoop) {
    double peak = 0;
    for (double value : wave) peak = std::max(peak, std::fabs(value));
    if (peak > kImpactPeak) {
      for (double& value : wave) value *= kImpactPeak / peak;
    }
  }
  if (kind == Kind::kOneShot || kind == Kind::kImpact) {
    const size_t fadeIn = std::min(wave.size(), static_cast<size_t>(kFadeInSeconds * kRate));
    const size_t fadeOut = std::min(wave.size(), static_cast<size_t>(kFadeOutSeconds * kRate));
    // The first and the last sample are exactly zero.
    for (size_t i = 0; i < fadeIn; ++i) wave[i] *= static_cast<double>(i) / static_cast<double>(fadeIn);
    for (size_t i = 0; i < fadeOut; ++i) wave[wave.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(fadeOut);
  }
  Samples out(wave.size());
  std::transform(wave.begin(), wave.end(), out.begin(), ToSample);
  return out;
}

struct SoundFile {
  std::string path;
  std::function<Wave()> make;
  int bits;
  Kind kind;
};

std::vector<SoundFile> AllSounds() {
  const std::string car = kCarSoundFolder;
  const std::string engine = kEngineSoundFolder;
  return {
      {"SOUNDS/tally.wav", [] { return Tone(1200, 1200, 0.12, 0.4, 10); }, 16, Kind::kOneShot},
      {"SOUNDS/failure.wav", [] { return Tone(220, 110, 0.4, 0.5, 3); }, 16, Kind::kOneShot},
      {"SOUNDS/success.wav", [] { return Concat(Tone(660, 660, 0.12, 0.5, 4), Tone(990, 990, 0.25, 0.5, 4)); }, 16, Kind::kOneShot},
      {"SOUNDS/start1.wav", [] { return Tone(440, 440, 0.3, 0.6, 2); }, 16, Kind::kOneShot},
      {"SOUNDS/start2.wav", [] { return Tone(880, 880, 0.6, 0.6, 1.5); }, 16, Kind::kOneShot},
      {car + "skidpavement.wav", [] { return NoiseLoop(0.5, 0.5, 0.6, 11); }, 16, Kind::kSurfaceLoop},
      {car + "skiddirt.wav", [] { return NoiseLoop(0.5, 0.5, 0.15, 12); }, 8, Kind::kSurfaceLoop},
      {car + "skidgravel.wav", [] { return NoiseLoop(0.5, 0.5, 0.3, 13); }, 8, Kind::kSurfaceLoop},
      {car + "skidgrass.wav", [] { return NoiseLoop(0.5, 0.4, 0.08, 14); }, 8, Kind::kSurfaceLoop},
      {car + "skidwater.wav", [] { return NoiseLoop(0.5, 0.4, 0.05, 15); }, 8, Kind::kSurfaceLoop},
      {car + "paved.wav", [] { return NoiseLoop(0.5, 0.2, 0.02, 16); }, 16, Kind::kSurfaceLoop},
      {car + "dirt.wav", [] { return NoiseLoop(0.5, 0.3, 0.05, 17); }, 8, Kind::kSurfaceLoop},
      {car + "gravel.wav", [] { return NoiseLoop(0.5, 0.35, 0.2, 18); }, 8, Kind::kSurfaceLoop},
      {car + "grass.wav", [] { return NoiseLoop(0.5, 0.25, 0.03, 19); }, 8, Kind::kSurfaceLoop},
      {car + "wood.wav", [] { return NoiseLoop(0.5, 0.3, 0.1, 20); }, 8, Kind::kSurfaceLoop},
      {car + "water.wav", [] { return NoiseLoop(0.5, 0.3, 0.04, 21); }, 8, Kind::kSurfaceLoop},
      {car + "electric.wav", [] { return EngineLoop(120, 30, 0.3); }, 16, Kind::kSurfaceLoop},
      {car + "hitelectric.wav", [] { return Concat(Noise(0.1, 0.7, 8, 0.9, 22), Tone(240, 120, 0.3, 0.4, 6)); }, 16, Kind::kImpact},
      {car + "crash.wav", [] { return Noise(0.5, 0.8, 6, 0.4, 23); }, 16, Kind::kImpact},
      {car + "bigcrash.wav", [] { return Noise(0.9, 0.9, 4, 0.3, 24); }, 16, Kind::kImpact},
      {car + "scrapecrash.wav", [] { return Noise(0.4, 0.7, 5, 0.7, 25); }, 16, Kind::kImpact},
      {car + "scrape.wav", [] { return Noise(0.6, 0.5, 2, 0.8, 26); }, 16, Kind::kImpact},
      {car + "bigglass.wav", [] { return Concat(Noise(0.05, 0.8, 0, 0.95, 27), Tone(3200, 2800, 0.5, 0.3, 5)); }, 16, Kind::kImpact},
      {car + "smallglass.wav", [] { return Concat(Noise(0.03, 0.6, 0, 0.95, 28), Tone(4200, 3900, 0.3, 0.25, 8)); }, 16, Kind::kImpact},
      {car + "softtire.wav", [] { return Tone(90, 60, 0.2, 0.5, 12); }, 16, Kind::kImpact},
      {car + "tirehit.wav", [] { return Concat(Noise(0.04, 0.5, 0, 0.2, 29), Tone(70, 50, 0.25, 0.6, 10)); }, 16, Kind::kImpact},
      {engine + "ignition.wav", [] { return Concat(Noise(0.3, 0.4, 2, 0.3, 30), EngineLoop(40, 12, 0.5)); }, 16, Kind::kOneShot},
      {engine + "turbo.wav", [] { return EngineLoop(1800, 400, 0.15); }, 16, Kind::kLoop},
      {engine + "turboengage.wav", [] { return Tone(900, 1800, 0.3, 0.3, 2); }, 16, Kind::kOneShot},
      {engine + "turbodisengage.wav", [] { return Noise(0.35, 0.4, 8, 0.9, 31); }, 16, Kind::kOneShot},
      {engine + "nitro.wav", [] { return NoiseLoop(0.5, 0.35, 0.5, 32); }, 16, Kind::kLoop},
      {engine + "nitroengage.wav", [] { return Noise(0.3, 0.5, 4, 0.7, 33); }, 16, Kind::kOneShot},
      {engine + "nitrodisengage.wav", [] { return Noise(0.25, 0.4, 10, 0.5, 34); }, 16, Kind::kOneShot},
      {engine + "idle.wav", [] { return EngineLoop(30, 15, 0.5); }, 16, Kind::kLoop},
      {engine + "a.wav", [] { return EngineLoop(60, 30, 0.5); }, 16, Kind::kLoop},
      {engine + "b.wav", [] { return EngineLoop(90, 45, 0.5); }, 16, Kind::kLoop},
      {engine + "c.wav", [] { return EngineLoop(120, 60, 0.5); }, 16, Kind::kLoop},
      {engine + "d.wav", [] { return EngineLoop(150, 75, 0.5); }, 16, Kind::kLoop},
  };
}

}  // namespace

std::vector<std::string> SoundFileNames() {
  std::vector<std::string> names;
  for (const SoundFile& sound : AllSounds()) names.push_back(sound.path);
  return names;
}

bool WriteSounds(const std::string& gameFolder) {
  const std::string root = gameFolder.empty() || gameFolder.back() == '/' ? gameFolder : gameFolder + "/";
  for (const SoundFile& sound : AllSounds()) {
    if (!WriteWav(root + sound.path, Finish(sound.make(), sound.kind), kRate, 1, sound.bits)) {
      std::fprintf(stderr, "contentgen: cannot write %s%s\n", root.c_str(), sound.path.c_str());
      return false;
    }
  }
  return true;
}

bool WriteSoundAndForceContent(const std::string& gameFolder) {
  return WriteSounds(gameFolder) && WriteMusic(gameFolder) && WriteForceEffectFiles(gameFolder);
}

}  // namespace contentgen
