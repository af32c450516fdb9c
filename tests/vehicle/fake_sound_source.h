// A sample source for the car sound tests: every name gets a short generated sample on a headless mixer, with
// the names, loop flags and reference counts kept for the tests to read.
#pragma once

#include <map>
#include <set>
#include <string>

#include "app/sound_samples.h"
#include "platform/audio/mixer.h"

namespace vehicle::testing {

class FakeSoundSource final : public app::SoundSampleSource {
 public:
  explicit FakeSoundSource(int channels = platform::audio::kDefaultChannelCount) : mixer_(22050, channels) {}

  app::SoundSample AcquireSample(const std::string& name, bool loop) override {
    if (missing.count(name) != 0) return 0;
    auto found = byName_.find(name);
    if (found != byName_.end()) {
      ++references[found->second];
      return found->second;
    }
    platform::audio::SampleData data;
    data.rate = 22050;
    data.channels = 1;
    data.samples.assign(2205, 1000);
    const app::SoundSample sample = mixer_.CreateSample(std::move(data), loop);
    byName_[name] = sample;
    names[sample] = name;
    loops[sample] = loop;
    references[sample] = 1;
    return sample;
  }
  void DropSample(app::SoundSample sample) override {
    if (sample != 0 && references.count(sample) != 0) --references[sample];
  }
  platform::audio::Mixer& SampleMixer() override { return mixer_; }

  // The sample loaded under that name, or 0.
  app::SoundSample Find(const std::string& name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? 0 : found->second;
  }
  int Held() const {
    int total = 0;
    for (const auto& entry : references) total += entry.second;
    return total;
  }

  std::set<std::string> missing;  // names that fail to load
  std::map<app::SoundSample, std::string> names;
  std::map<app::SoundSample, bool> loops;
  std::map<app::SoundSample, int> references;

 private:
  platform::audio::Mixer mixer_;
  std::map<std::string, app::SoundSample> byName_;
};

}  // namespace vehicle::testing
