// Cost of the software mixer: one second of 44.1 kHz stereo output with 32 channels playing, pitched and
// panned loops, rendered in device-sized blocks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/audio/mixer.h"

namespace {

void BM_MixOneSecondOf32Channels(benchmark::State& state) {
  const int channels = static_cast<int>(state.range(0));
  platform::audio::Mixer mixer(platform::audio::kDefaultOutputRate, channels);
  platform::audio::SampleData data;
  data.rate = 22050;
  data.channels = 1;
  data.samples.resize(22050);
  for (size_t i = 0; i < data.samples.size(); ++i) {
    data.samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.05));
  }
  const auto sample = mixer.CreateSample(data, true);
  for (int i = 0; i < channels; ++i) {
    const int channel = mixer.PlaySound(platform::audio::kFreeChannel, sample);
    mixer.SetFrequency(channel, 11025 + i * 997);
    mixer.SetPan(channel, (i * 37) % 256);
    mixer.SetVolume(channel, 40 + i * 5);
  }
  constexpr int kBlock = 1024;
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    for (int done = 0; done < platform::audio::kDefaultOutputRate; done += kBlock) {
      mixer.Render(out.data(), kBlock);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["audio_seconds_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixOneSecondOf32Channels)->Arg(32)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
