// Positional looping sounds fixed at points of a track: each plays while the listener is within its range,
// louder as the listener comes closer.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "app/sound_samples.h"
#include "platform/math/types.h"

namespace app {

struct SoundEmitter {
  SoundSample sample = platform::audio::kNoSample;
  float range = 0;           // inches; 0 or less is never heard
  unsigned int maxVolume = 0;  // 0-255
  int channel = platform::audio::kNoChannel;
  platform::Vec3 position;
};

class SoundEmitterList {
 public:
  explicit SoundEmitterList(SoundSampleSource& resources);
  ~SoundEmitterList();
  SoundEmitterList(const SoundEmitterList&) = delete;
  SoundEmitterList& operator=(const SoundEmitterList&) = delete;

  // Loads the sample as a looping sample and puts a silent emitter at the front of the list.
  SoundEmitter& Add(const platform::Vec3& position, const std::string& sampleName, unsigned int maxVolume, float range);
  // For each emitter, front to back: out of range (farther than its range) stops its channel; in range starts
  // one when it has none and sets the volume maxVolume · (1 − d / range), capped at 255, truncated.
  void Update(const platform::Vec3& listener, float frameTime = 0);
  // Stops every playing emitter, releases the samples and empties the list.
  void Clear();

  const std::list<SoundEmitter>& Emitters() const { return emitters_; }

 private:
  void UpdateEmitter(SoundEmitter& emitter, const platform::Vec3& listener);

  SoundSampleSource& resources_;
  std::list<SoundEmitter> emitters_;
};

}  // namespace app
