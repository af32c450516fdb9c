// The sound-sample records the resource manager keeps: samples loaded once per name and shared by reference
// count, freed when nothing refers to them any more.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/mixer.h"

namespace app {

using SoundSample = platform::audio::SampleId;  // 0 = none

// Whatever hands out shared samples by name (the resource manager, or the cache below) and the mixer that
// plays them. Sound emitters and other players of samples go through this.
class SoundSampleSource {
 public:
  virtual ~SoundSampleSource() = default;
  // The sample with one more reference; 0 when the file cannot be loaded.
  virtual SoundSample AcquireSample(const std::string& name, bool loop) = 0;
  // Drops one reference; nothing for 0 or an unknown sample.
  virtual void DropSample(SoundSample sample) = 0;
  virtual platform::audio::Mixer& SampleMixer() = 0;
};

class SoundSampleCache final : public SoundSampleSource {
 public:
  // folder: prefixed to relative names (with its trailing separator).
  SoundSampleCache(platform::audio::Mixer& mixer, std::string folder);
  ~SoundSampleCache();
  SoundSampleCache(const SoundSampleCache&) = delete;
  SoundSampleCache& operator=(const SoundSampleCache&) = delete;

  // The sample of that name with one more reference, whatever loop flag it was first loaded with; a new one is
  // loaded as looping or one-shot. A missing or bad file returns 0 and records nothing, so the next call tries
  // the file again.
  SoundSample Load(const std::string& name, bool loop);
  // Drops one reference of the record with that sample; nothing for 0 or an unknown sample.
  void Release(SoundSample sample);
  // Frees every sample no longer referred to (stopping its channels).
  void PurgeUnreferenced();

  int ReferenceCount(SoundSample sample) const;
  size_t Count() const { return records_.size(); }

  SoundSample AcquireSample(const std::string& name, bool loop) override { return Load(name, loop); }
  void DropSample(SoundSample sample) override { Release(sample); }
  platform::audio::Mixer& SampleMixer() override { return mixer_; }

  // Names compare after this: made absolute, upper-cased, backslashes to '/', doubled slashes collapsed.
  std::string CanonicalName(const std::string& name) const;

 private:
  struct Record {
    SoundSample sample;
    int referenceCount;
    std::string name;
  };
  platform::audio::Mixer& mixer_;
  std::string folder_;
  std::vector<Record> records_;
};

// The resource manager's sound-sample services, by these names.
inline SoundSample LoadSoundSample(SoundSampleSource& source, const std::string& name, bool loop) {
  return source.AcquireSample(name, loop);
}
inline void ReleaseSoundSample(SoundSampleSource& source, SoundSample sample) { source.DropSample(sample); }

}  // namespace app
