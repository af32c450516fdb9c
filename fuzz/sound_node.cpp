// Fuzzing the text of a track's SOUND node and the positional sound made from it: the emitter's volume stays
// within a byte wherever the listener stands, whatever radius and volume the text gives.

#include "app/sound_emitter.h"
#include "app/sound_samples.h"
#include "fuzz_support.h"
#include "platform/audio/mixer.h"
#include "race/race_scenery.h"

namespace {

// Every name gives the same short looping sample, so the emitter plays whatever path the text names.
class OneSample : public app::SoundSampleSource {
 public:
  OneSample() {
    platform::audio::SampleData data;
    data.rate = 22050;
    data.channels = 1;
    data.samples.assign(256, 1000);
    sample_ = mixer_.CreateSample(data, true);
  }
  app::SoundSample AcquireSample(const std::string&, bool) override { return sample_; }
  void DropSample(app::SoundSample) override {}
  platform::audio::Mixer& SampleMixer() override { return mixer_; }

 private:
  platform::audio::Mixer mixer_;
  app::SoundSample sample_ = platform::audio::kNoSample;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(
      *argc, *argv, {fuzz_support::TextSeed("sound.txt", "PATH=SOUNDS\\fountain.wav\r\nRADIUS= 800 # wide\nVOLUME=200\n")});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static OneSample samples;
  const race::TrackSound sound = race::ParseSoundNode(fuzz_support::Text(data, size));
  Check(sound.volume <= 255);
  app::SoundEmitterList emitters(samples);
  app::SoundEmitter& emitter = emitters.Add({10, 0, 10}, sound.path, sound.volume, sound.radius);
  for (const platform::Vec3& listener : std::vector<platform::Vec3>{{10, 0, 10}, {10, 0, 60}, {1e30f, 0, 0}}) {
    emitters.Update(listener, 0.016f);
    if (emitter.channel != platform::audio::kNoChannel) {
      const int volume = samples.SampleMixer().GetVolume(emitter.channel);
      Check(volume >= 0 && volume <= 255);
    }
  }
  emitters.Clear();
  return 0;
}
