// Shared sound samples by canonical name and reference count.
#include "app/sound_samples.h"

#include <algorithm>
#include <cctype>

#include "app/paths.h"

namespace app {
namespace {

// A name with ':' after its first character (a drive) or a leading '/' is already absolute.
bool IsAbsoluteName(const std::string& name) {
  return (name.size() > 1 && name.find(':', 1) != std::string::npos) || (!name.empty() && name[0] == '/');
}

}  // namespace

SoundSampleCache::SoundSampleCache(platform::audio::Mixer& mixer, std::string folder)
    : mixer_(mixer), folder_(std::move(folder)) {}

SoundSampleCache::~SoundSampleCache() {
  for (const Record& record : records_) mixer_.FreeSample(record.sample);
}

std::string SoundSampleCache::CanonicalName(const std::string& name) const {
  std::string path = NormalizePathSlashes(IsAbsoluteName(name) ? name : folder_ + name);
  std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return path;
}

SoundSample SoundSampleCache::Load(const std::string& name, bool loop) {
  const std::string canonical = CanonicalName(name);
  for (Record& record : records_) {
    if (record.name == canonical) {
      ++record.referenceCount;
      return record.sample;
    }
  }
  const SoundSample sample = mixer_.LoadSample(IsAbsoluteName(name) ? name : folder_ + name, loop);
  if (sample == platform::audio::kNoSample) return sample;
  records_.push_back({sample, 1, canonical});
  return sample;
}

void SoundSampleCache::Release(SoundSample sample) {
  if (sample == platform::audio::kNoSample) return;
  for (Record& record : records_) {
    if (record.sample == sample) {
      if (record.referenceCount > 0) --record.referenceCount;
      return;
    }
  }
}

void SoundSampleCache::PurgeUnreferenced() {
  auto unused = std::stable_partition(records_.begin(), records_.end(), [](const Record& r) { return r.referenceCount > 0; });
  for (auto it = unused; it != records_.end(); ++it) mixer_.FreeSample(it->sample);
  records_.erase(unused, records_.end());
}

int SoundSampleCache::ReferenceCount(SoundSample sample) const {
  for (const Record& record : records_) {
    if (record.sample == sample) return record.referenceCount;
  }
  return 0;
}

}  // namespace app
