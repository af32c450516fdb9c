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

int16_t ToSample(double value) { return static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0)); }

// A tone gliding from f0 to f1 Hz with an exponential decay (decay 0 keeps it level).
Samples Tone(double f0, double f1, double seconds, double amplitude, double decay) {
  const int count = static_cast<int>(seconds * kRate);
  Samples out(count);
  double phase = 0;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double f = f0 + (f1 - f0) * t / seconds;
    phase += 2 * kPi * f / kRate;
    out[i] = ToSample(amplitude * std::exp(-decay * t) * std::sin(phase));
  }
  return out;
}

// Low-passed noise from a fixed generator, so the content is the same on every build.
Samples Noise(double seconds, double amplitude, double decay, double smoothing, uint32_t seed) {
  const int count = static_cast<int>(seconds * kRate);
  Samples out(count);
  uint32_t state = seed;
  double filtered = 0;
  for (int i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;
    const double white = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
    filtered += (white - filtered) * smoothing;
    out[i] = ToSample(amplitude * std::exp(-decay * static_cast<double>(i) / kRate) * filtered * 2.0);
  }
  return out;
}

// A seamless loop: a whole number of periods of a buzzing engine tone with a few harmonics.
Samples EngineLoop(double hertz, int periods, double amplitude) {
  const int periodFrames = static_cast<int>(std::lround(kRate / hertz));
  Samples out(static_cast<size_t>(periodFrames) * periods);
  for (size_t i = 0; i < out.size(); ++i) {
    const double phase = 2 * kPi * static_cast<double>(i % periodFrames) / periodFrames;
    const double value = std::sin(phase) * 0.6 + std::sin(2 * phase) * 0.25 + std::sin(3 * phase) * 0.15;
    out[i] = ToSample(amplitude * value);
  }
  return out;
}

// Noise that loops: the filter runs over the buffer twice so the end flows into the start.
Samples NoiseLoop(double seconds, double amplitude, double smoothing, uint32_t seed) {
  const int count = static_cast<int>(seconds * kRate);
  Samples first = Noise(seconds * 2, amplitude, 0, smoothing, seed);
  return Samples(first.begin() + count, first.begin() + 2 * count);
}

Samples Concat(Samples a, const Samples& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct SoundFile {
  std::string path;
  std::function<Samples()> make;
  int bits;
};

std::vector<SoundFile> AllSounds() {
  const std::string car = kCarSoundFolder;
  const std::string engine = kEngineSoundFolder;
  return {
      {"SOUNDS/tally.wav", [] { return Tone(1200, 1200, 0.12, 0.4, 10); }, 16},
      {"SOUNDS/failure.wav", [] { return Tone(220, 110, 0.4, 0.5, 3); }, 16},
      {"SOUNDS/success.wav", [] { return Concat(Tone(660, 660, 0.12, 0.5, 4), Tone(990, 990, 0.25, 0.5, 4)); }, 16},
      {"SOUNDS/start1.wav", [] { return Tone(440, 440, 0.3, 0.6, 2); }, 16},
      {"SOUNDS/start2.wav", [] { return Tone(880, 880, 0.6, 0.6, 1.5); }, 16},
      {car + "skidpavement.wav", [] { return NoiseLoop(0.5, 0.5, 0.6, 11); }, 16},
      {car + "skiddirt.wav", [] { return NoiseLoop(0.5, 0.5, 0.15, 12); }, 8},
      {car + "skidgravel.wav", [] { return NoiseLoop(0.5, 0.5, 0.3, 13); }, 8},
      {car + "skidgrass.wav", [] { return NoiseLoop(0.5, 0.4, 0.08, 14); }, 8},
      {car + "skidwater.wav", [] { return NoiseLoop(0.5, 0.4, 0.05, 15); }, 8},
      {car + "paved.wav", [] { return NoiseLoop(0.5, 0.2, 0.02, 16); }, 16},
      {car + "dirt.wav", [] { return NoiseLoop(0.5, 0.3, 0.05, 17); }, 8},
      {car + "gravel.wav", [] { return NoiseLoop(0.5, 0.35, 0.2, 18); }, 8},
      {car + "grass.wav", [] { return NoiseLoop(0.5, 0.25, 0.03, 19); }, 8},
      {car + "wood.wav", [] { return NoiseLoop(0.5, 0.3, 0.1, 20); }, 8},
      {car + "water.wav", [] { return NoiseLoop(0.5, 0.3, 0.04, 21); }, 8},
      {car + "electric.wav", [] { return EngineLoop(120, 30, 0.3); }, 16},
      {car + "hitelectric.wav", [] { return Concat(Noise(0.1, 0.7, 8, 0.9, 22), Tone(240, 120, 0.3, 0.4, 6)); }, 16},
      {car + "crash.wav", [] { return Noise(0.5, 0.8, 6, 0.4, 23); }, 16},
      {car + "bigcrash.wav", [] { return Noise(0.9, 0.9, 4, 0.3, 24); }, 16},
      {car + "scrapecrash.wav", [] { return Noise(0.4, 0.7, 5, 0.7, 25); }, 16},
      {car + "scrape.wav", [] { return Noise(0.6, 0.5, 2, 0.8, 26); }, 16},
      {car + "bigglass.wav", [] { return Concat(Noise(0.05, 0.8, 0, 0.95, 27), Tone(3200, 2800, 0.5, 0.3, 5)); }, 16},
      {car + "smallglass.wav", [] { return Concat(Noise(0.03, 0.6, 0, 0.95, 28), Tone(4200, 3900, 0.3, 0.25, 8)); }, 16},
      {car + "softtire.wav", [] { return Tone(90, 60, 0.2, 0.5, 12); }, 16},
      {car + "tirehit.wav", [] { return Concat(Noise(0.04, 0.5, 0, 0.2, 29), Tone(70, 50, 0.25, 0.6, 10)); }, 16},
      {engine + "ignition.wav", [] { return Concat(Noise(0.3, 0.4, 2, 0.3, 30), EngineLoop(40, 12, 0.5)); }, 16},
      {engine + "turbo.wav", [] { return EngineLoop(1800, 400, 0.15); }, 16},
      {engine + "turboengage.wav", [] { return Tone(900, 1800, 0.3, 0.3, 2); }, 16},
      {engine + "turbodisengage.wav", [] { return Noise(0.35, 0.4, 8, 0.9, 31); }, 16},
      {engine + "nitro.wav", [] { return NoiseLoop(0.5, 0.35, 0.5, 32); }, 16},
      {engine + "nitroengage.wav", [] { return Noise(0.3, 0.5, 4, 0.7, 33); }, 16},
      {engine + "nitrodisengage.wav", [] { return Noise(0.25, 0.4, 10, 0.5, 34); }, 16},
      {engine + "idle.wav", [] { return EngineLoop(30, 15, 0.5); }, 16},
      {engine + "a.wav", [] { return EngineLoop(60, 30, 0.5); }, 16},
      {engine + "b.wav", [] { return EngineLoop(90, 45, 0.5); }, 16},
      {engine + "c.wav", [] { return EngineLoop(120, 60, 0.5); }, 16},
      {engine + "d.wav", [] { return EngineLoop(150, 75, 0.5); }, 16},
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
    if (!WriteWav(root + sound.path, sound.make(), kRate, 1, sound.bits)) {
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
