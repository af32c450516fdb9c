// The sound-sample services the game's sounds go through: samples handed out by name with a reference count by
// their owner (the resource manager), and the mixer that plays them.
#pragma once

#include <string>

#include "platform/audio/mixer.h"

namespace app {

using SoundSample = platform::audio::SampleId;  // 0 = none

// Whatever hands out shared samples by name and the mixer that plays them. Sound emitters and other players of
// samples go through this, so they need not know the resource manager above them.
class SoundSampleSource {
 public:
  virtual ~SoundSampleSource() = default;
  // The sample with one more reference; 0 when the file cannot be loaded.
  virtual SoundSample AcquireSample(const std::string& name, bool loop) = 0;
  // Drops one reference; nothing for 0 or an unknown sample.
  virtual void DropSample(SoundSample sample) = 0;
  // The mixer the samples play on.
  virtual platform::audio::Mixer& SampleMixer() = 0;
};

// The resource manager's sound-sample services, by these names.
inline SoundSample LoadSoundSample(SoundSampleSource& source, const std::string& name, bool loop) {
  return source.AcquireSample(name, loop);
}
inline void ReleaseSoundSample(SoundSampleSource& source, SoundSample sample) { source.DropSample(sample); }

}  // namespace app
