// Emitter updates: distance, start and stop at the range edge, and volume by distance.
#include "app/sound_emitter.h"

#include <algorithm>
#include <cmath>

namespace app {

SoundEmitterList::SoundEmitterList(SoundSampleSource& resources) : resources_(resources) {}

SoundEmitterList::~SoundEmitterList() { Clear(); }

SoundEmitter& SoundEmitterList::Add(const platform::Vec3& position, const std::string& sampleName,
                                    unsigned int maxVolume, float range) {
  SoundEmitter emitter;
  emitter.sample = LoadSoundSample(resources_, sampleName, true);
  emitter.range = range;
  emitter.maxVolume = maxVolume;
  emitter.position = position;
  emitters_.push_front(emitter);
  return emitters_.front();
}

void SoundEmitterList::UpdateEmitter(SoundEmitter& emitter, const platform::Vec3& listener) {
  platform::audio::Mixer& mixer = resources_.SampleMixer();
  const float dx = listener.x - emitter.position.x;
  const float dy = listener.y - emitter.position.y;
  const float dz = listener.z - emitter.position.z;
  const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  // A range of 0 or less (or not a number) is never in reach: silent, and no division by it.
  if (!(emitter.range > 0.0f) || !(distance <= emitter.range)) {
    if (emitter.channel != platform::audio::kNoChannel) {
      mixer.StopSound(emitter.channel);
      emitter.channel = platform::audio::kNoChannel;
    }
    return;
  }
  // A channel taken over by a more important sound is gone: start again rather than stay mute.
  if (emitter.channel != platform::audio::kNoChannel && !mixer.IsPlaying(emitter.channel)) {
    emitter.channel = platform::audio::kNoChannel;
  }
  if (emitter.channel == platform::audio::kNoChannel) {
    emitter.channel = mixer.PlaySound(platform::audio::kFreeChannel, emitter.sample);
  }
  // A listener too far out for its distance to be a number hears nothing rather than an undefined volume.
  const float volume = std::min(static_cast<float>(emitter.maxVolume) * (1.0f - distance / emitter.range), 255.0f);
  mixer.SetVolume(emitter.channel, volume >= 0.0f ? static_cast<int>(volume) : 0);
}

void SoundEmitterList::Update(const platform::Vec3& listener, float /*frameTime*/) {
  for (SoundEmitter& emitter : emitters_) UpdateEmitter(emitter, listener);
}

void SoundEmitterList::Clear() {
  for (SoundEmitter& emitter : emitters_) {
    if (emitter.channel != platform::audio::kNoChannel) resources_.SampleMixer().StopSound(emitter.channel);
    ReleaseSoundSample(resources_, emitter.sample);
  }
  emitters_.clear();
}

}  // namespace app
