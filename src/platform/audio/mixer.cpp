// The mixer's channels: free-channel choice with priority stealing, linear-interpolated resampling, volume and
// pan with short ramps, streams decoded a block ahead inside the mix and handed on without a gap, and the
// limited 16-bit output.
#include "platform/audio/mixer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/file_system.h"

namespace platform::audio {

namespace {

constexpr int kStreamBlockFrames = 4096;
// A stream keeps this much decoded ahead of where it plays, so its end is known before it is heard.
constexpr double kStreamReadAheadSeconds = 1.0;
constexpr uint32_t kMaxGeneration = INT_MAX / kMaxChannelCount;

int Clamp255(int value) { return std::clamp(value, 0, 255); }

}  // namespace

Mixer::Mixer(int outputRate, int channelCount)
    : outputRate_(outputRate > 0 ? outputRate : kDefaultOutputRate),
      channels_(static_cast<size_t>(std::clamp(channelCount, 1, kMaxChannelCount))),
      rampFrames_(std::max(1, static_cast<int>(std::lround(kRampSeconds * outputRate_)))),
      limiter_(outputRate_) {}

Mixer::Channel* Mixer::Find(int handle) {
  if (handle < 0) return nullptr;
  const size_t index = static_cast<size_t>(handle % kMaxChannelCount);
  const uint32_t generation = static_cast<uint32_t>(handle / kMaxChannelCount);
  if (index >= channels_.size()) return nullptr;
  Channel& channel = channels_[index];
  if (!channel.playing || channel.generation != generation) return nullptr;
  return &channel;
}

const Mixer::Channel* Mixer::Find(int handle) const { return const_cast<Mixer*>(this)->Find(handle); }

SampleId Mixer::LoadSample(const std::string& path, bool loop) {
  std::vector<unsigned char> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, kMaxSoundFileBytes, &error)) {
    std::printf("sound: %s: %s\n", path.c_str(), error.c_str());
    return kNoSample;
  }
  SampleData data;
  if (!ParseWav(bytes.data(), bytes.size(), data, error)) {
    std::printf("sound: %s: %s\n", path.c_str(), error.c_str());
    return kNoSample;
  }
  return CreateSample(std::move(data), loop);
}

SampleId Mixer::CreateSample(SampleData data, bool loop) {
  if (data.rate <= 0 || (data.channels != 1 && data.channels != 2) || data.FrameCount() == 0) return kNoSample;
  std::lock_guard lock(mutex_);
  auto sample = std::make_unique<Sample>();
  sample->id = nextId_++;
  sample->data = std::move(data);
  sample->loop = loop;
  const SampleId id = sample->id;
  samples_.push_back(std::move(sample));
  return id;
}

void Mixer::FreeSample(SampleId id) {
  std::lock_guard lock(mutex_);
  for (auto it = samples_.begin(); it != samples_.end(); ++it) {
    if ((*it)->id != id) continue;
    for (Channel& channel : channels_) {
      if (channel.playing && channel.sample == it->get()) FadeOutChannel(channel);
    }
    samples_.erase(it);
    return;
  }
}

void Mixer::StopChannel(Channel& channel) {
  channel.playing = false;
  channel.paused = false;
  channel.sample = nullptr;
  channel.stream = nullptr;
  channel.queued = nullptr;
}

void Mixer::FadeOutChannel(Channel& channel) {
  if (channel.playing && channel.heard && channel.pauseGain > 0) {
    // The copy plays on from here for the ramp's length; the real channel is free at once.
    Channel copy = channel;
    copy.queued = nullptr;
    Tail tail;
    tail.frames.assign(static_cast<size_t>(rampFrames_) * 2, 0.0f);
    std::vector<float> gains(static_cast<size_t>(rampFrames_), sfxGain_);
    MixChannel(copy, tail.frames.data(), rampFrames_, gains.data(), true);
    bool audible = false;
    for (int f = 0; f < rampFrames_; ++f) {
      const float fade = 1.0f - static_cast<float>(f + 1) / static_cast<float>(rampFrames_ + 1);
      tail.frames[2 * f] *= fade;
      tail.frames[2 * f + 1] *= fade;
      audible = audible || tail.frames[2 * f] != 0 || tail.frames[2 * f + 1] != 0;
    }
    if (audible) tails_.push_back(std::move(tail));
  }
  StopChannel(channel);
}

int Mixer::StartChannel(int requested, int priority) {
  int index = -1;
  if (requested >= 0) {
    if (requested >= static_cast<int>(channels_.size())) return -1;
    index = requested;
  } else {
    for (size_t i = 0; i < channels_.size() && index < 0; ++i) {
      if (!channels_[i].playing) index = static_cast<int>(i);
    }
    if (index < 0) {
      // Every channel busy: take the least important one, never one that matters more than the new sound.
      for (size_t i = 0; i < channels_.size(); ++i) {
        const Channel& candidate = channels_[i];
        if (candidate.priority > priority) continue;
        if (index < 0 || candidate.priority < channels_[index].priority ||
            (candidate.priority == channels_[index].priority && candidate.startOrder < channels_[index].startOrder)) {
          index = static_cast<int>(i);
        }
      }
      if (index < 0) return -1;
    }
  }
  Channel& channel = channels_[index];
  FadeOutChannel(channel);
  const uint32_t generation = channel.generation >= kMaxGeneration ? 1 : channel.generation + 1;
  channel = Channel{};
  channel.generation = generation;
  channel.playing = true;
  channel.priority = priority;
  channel.startOrder = ++startCounter_;
  return index;
}

int Mixer::PlaySound(int requested, SampleId id) {
  int handle = kNoChannel;
  {
    std::lock_guard lock(mutex_);
    Sample* sample = nullptr;
    for (const auto& candidate : samples_) {
      if (candidate->id == id) sample = candidate.get();
    }
    if (sample == nullptr) return kNoChannel;
    if (requested < 0 && !sample->loop) {
      // The same one-shot twice at the same place would only play it twice as loud.
      for (size_t i = 0; i < channels_.size() && handle == kNoChannel; ++i) {
        Channel& twin = channels_[i];
        if (!twin.playing || twin.heard || twin.paused || twin.sample != sample) continue;
        twin.shared = true;
        handle = static_cast<int>(twin.generation) * kMaxChannelCount + static_cast<int>(i);
      }
    }
    if (handle == kNoChannel) {
      const int index = StartChannel(requested, kDefaultPriority);
      if (index < 0) return kNoChannel;
      Channel& channel = channels_[index];
      channel.sample = sample;
      channel.frequency = sample->data.rate;
      // A loop is cut to flow from its end into its start, not to start at silence: it fades in like a resume.
      if (sample->loop) channel.pauseGain = 0;
      ++sample->starts;
      handle = static_cast<int>(channel.generation) * kMaxChannelCount + index;
    }
  }
  Report(handle);
  return handle;
}

bool Mixer::Report(int handle) {
  if (!observer_) return true;
  ChannelEvent event;
  {
    std::lock_guard lock(mutex_);
    const Channel* channel = Find(handle);
    if (channel == nullptr) return true;
    event.channel = handle;
    event.sample = channel->sample != nullptr ? channel->sample->id : kNoSample;
    event.volume = channel->volume;
    event.priority = channel->priority;
  }
  observer_(event);
  return true;
}

bool Mixer::StopSound(int handle) {
  std::lock_guard lock(mutex_);
  Channel* channel = Find(handle);
  if (channel == nullptr) return false;
  FadeOutChannel(*channel);
  return true;
}

void Mixer::SetChannelVolume(Channel& channel, int volume, bool absolute) {
  volume = Clamp255(volume);
  // Merged starts of one sound each set their volume: the loudest request wins.
  if (channel.shared && !channel.heard && channel.volumeSet) volume = std::max(volume, channel.volume);
  channel.volume = volume;
  channel.absolute = absolute;
  channel.volumeSet = true;
}

bool Mixer::SetVolume(int handle, int volume) {
  {
    std::lock_guard lock(mutex_);
    Channel* channel = Find(handle);
    if (channel == nullptr) return false;
    SetChannelVolume(*channel, volume, false);
  }
  return Report(handle);
}

bool Mixer::SetVolumeAbsolute(int handle, int volume) {
  {
    std::lock_guard lock(mutex_);
    Channel* channel = Find(handle);
    if (channel == nullptr) return false;
    SetChannelVolume(*channel, volume, true);
  }
  return Report(handle);
}

bool Mixer::SetFrequency(int handle, int hertz) {
  std::lock_guard lock(mutex_);
  Channel* channel = Find(handle);
  if (channel == nullptr || hertz <= 0) return false;
  channel->frequency = std::min(hertz, outputRate_ * 64);
  return true;
}

bool Mixer::SetPan(int handle, int pan) {
  std::lock_guard lock(mutex_);
  Channel* channel = Find(handle);
  if (channel == nullptr) return false;
  channel->pan = Clamp255(pan);
  return true;
}

bool Mixer::SetPriority(int handle, int priority) {
  {
    std::lock_guard lock(mutex_);
    Channel* channel = Find(handle);
    if (channel == nullptr) return false;
    const int wanted = Clamp255(priority);
    channel->priority = channel->shared && !channel->heard ? std::max(wanted, channel->priority) : wanted;
  }
  return Report(handle);
}

bool Mixer::SetPaused(int handle, bool paused) {
  std::lock_guard lock(mutex_);
  Channel* channel = Find(handle);
  if (channel == nullptr) return false;
  channel->paused = paused;
  if (paused && !channel->heard) channel->pauseGain = 0;  // nothing was heard: nothing to fade
  return true;
}

bool Mixer::IsPlaying(int handle) const {
  std::lock_guard lock(mutex_);
  return Find(handle) != nullptr;
}

int Mixer::GetVolume(int handle) const {
  std::lock_guard lock(mutex_);
  const Channel* channel = Find(handle);
  return channel != nullptr ? channel->volume : 0;
}

int Mixer::GetChannelsPlaying() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(channels_.begin(), channels_.end(), [](const Channel& c) { return c.playing; }));
}

std::vector<Mixer::ChannelUse> Mixer::BusyChannels() const {
  std::lock_guard lock(mutex_);
  std::vector<ChannelUse> busy;
  for (const Channel& channel : channels_) {
    if (channel.playing && channel.sample != nullptr) busy.push_back({channel.sample->id, channel.volume});
  }
  return busy;
}

std::vector<std::pair<SampleId, uint32_t>> Mixer::SampleStarts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<SampleId, uint32_t>> starts;
  for (const auto& sample : samples_) starts.emplace_back(sample->id, sample->starts);
  return starts;
}

void Mixer::SetSfxMasterVolume(int volume) {
  std::lock_guard lock(mutex_);
  sfxMasterVolume_ = Clamp255(volume);
}

int Mixer::GetSfxMasterVolume() const {
  std::lock_guard lock(mutex_);
  return sfxMasterVolume_;
}

Mixer::Stream* Mixer::FindStream(StreamId id) const {
  for (const auto& stream : streams_) {
    if (stream->id == id) return stream.get();
  }
  return nullptr;
}

StreamId Mixer::OpenStream(const std::string& path, bool loop) {
  std::unique_ptr<StreamDecoder> decoder = OpenStreamDecoder(path);
  if (decoder == nullptr) {
    std::printf("music: %s: cannot be decoded\n", path.c_str());
    return kNoStream;
  }
  return OpenStream(std::move(decoder), loop);
}

StreamId Mixer::OpenStream(std::unique_ptr<StreamDecoder> decoder, bool loop) {
  if (decoder == nullptr || decoder->Rate() <= 0 || decoder->Channels() < 1 || decoder->Channels() > 2) return kNoStream;
  std::lock_guard lock(mutex_);
  auto stream = std::make_unique<Stream>();
  stream->id = nextId_++;
  stream->decoder = std::move(decoder);
  stream->loop = loop;
  const StreamId id = stream->id;
  streams_.push_back(std::move(stream));
  return id;
}

int Mixer::PlayStream(int requested, StreamId id) {
  std::lock_guard lock(mutex_);
  Stream* stream = FindStream(id);
  if (stream == nullptr || stream->ended) return kNoChannel;
  for (Channel& channel : channels_) {
    if (channel.playing && channel.stream == stream) FadeOutChannel(channel);  // one channel per stream
    if (channel.queued == stream) channel.queued = nullptr;
  }
  const int index = StartChannel(requested, kStreamPriority);
  if (index < 0) return kNoChannel;
  Channel& channel = channels_[index];
  channel.stream = stream;
  channel.absolute = true;
  channel.frequency = stream->decoder->Rate();
  channel.position = static_cast<double>(stream->bufferStart);
  return static_cast<int>(channel.generation) * kMaxChannelCount + index;
}

bool Mixer::IsStreamEnded(StreamId id) const {
  std::lock_guard lock(mutex_);
  const Stream* stream = FindStream(id);
  return stream == nullptr || stream->ended;
}

bool Mixer::IsStreamEnding(StreamId id) const {
  std::lock_guard lock(mutex_);
  const Stream* stream = FindStream(id);
  return stream != nullptr && !stream->loop && stream->decoderEnded;
}

bool Mixer::QueueStream(int handle, StreamId next) {
  std::lock_guard lock(mutex_);
  Channel* channel = Find(handle);
  Stream* stream = FindStream(next);
  if (channel == nullptr || channel->stream == nullptr || stream == nullptr || stream == channel->stream ||
      stream->ended) {
    return false;
  }
  channel->queued = stream;
  return true;
}

void Mixer::CloseStream(StreamId id) {
  std::lock_guard lock(mutex_);
  for (auto it = streams_.begin(); it != streams_.end(); ++it) {
    if ((*it)->id != id) continue;
    for (Channel& channel : channels_) {
      if (channel.playing && channel.stream == it->get()) FadeOutChannel(channel);
      if (channel.queued == it->get()) channel.queued = nullptr;
    }
    streams_.erase(it);
    return;
  }
}

// One source frame as floats; false past the end of a one-shot sample or an ended stream.
bool Mixer::FetchFrame(Channel& channel, int64_t index, float& left, float& right) {
  const int16_t* frame = nullptr;
  int channelsInSource = 1;
  if (channel.sample != nullptr) {
    const SampleData& data = channel.sample->data;
    const int64_t count = static_cast<int64_t>(data.FrameCount());
    if (index >= count) {
      if (!channel.sample->loop) return false;
      index %= count;
    }
    channelsInSource = data.channels;
    frame = &data.samples[static_cast<size_t>(index) * channelsInSource];
  } else if (channel.stream != nullptr) {
    Stream& stream = *channel.stream;
    channelsInSource = stream.decoder->Channels();
    FillStream(channel, index);
    if (index < stream.bufferStart || index >= stream.BufferedEnd()) return false;
    frame = &stream.buffer[static_cast<size_t>(index - stream.bufferStart) * channelsInSource];
  } else {
    return false;
  }
  left = frame[0];
  right = channelsInSource == 2 ? frame[1] : frame[0];
  return true;
}

void Mixer::FillStream(Channel& channel, int64_t index) {
  Stream& stream = *channel.stream;
  const int channelsInSource = stream.decoder->Channels();
  const int64_t readAhead = static_cast<int64_t>(kStreamReadAheadSeconds * stream.decoder->Rate());
  // A decoder with nothing yet is not asked again in this mix: a second of silence in its place would only push
  // the music back by as much once its frames come.
  while (index + readAhead >= stream.BufferedEnd() && !stream.decoderEnded && !stream.waiting) {
    // Drop what the channel has passed, then decode the next block (rewinding at the end of a looping stream).
    const int64_t keepFrom = std::clamp<int64_t>(static_cast<int64_t>(channel.position), stream.bufferStart, stream.BufferedEnd());
    stream.buffer.erase(stream.buffer.begin(), stream.buffer.begin() + (keepFrom - stream.bufferStart) * channelsInSource);
    stream.bufferStart = keepFrom;
    const size_t old = stream.buffer.size();
    stream.buffer.resize(old + static_cast<size_t>(kStreamBlockFrames) * channelsInSource);
    int got = stream.decoder->Read(stream.buffer.data() + old, kStreamBlockFrames);
    if (got == 0 && !stream.decoder->Waiting() && stream.loop && stream.decoder->Rewind()) {
      got = stream.decoder->Read(stream.buffer.data() + old, kStreamBlockFrames);
    }
    stream.buffer.resize(old + static_cast<size_t>(got) * channelsInSource);
    if (got == 0) (stream.decoder->Waiting() ? stream.waiting : stream.decoderEnded) = true;
  }
}

bool Mixer::RunningDry(const Channel& channel, double step) const {
  const Stream* stream = channel.stream;
  // Two frames to spare: the fade ends on a frame still read, with its neighbour for the interpolation.
  return stream != nullptr && stream->waiting &&
         static_cast<double>(stream->BufferedEnd()) - channel.position <= (rampFrames_ + 2) * step;
}

void Mixer::MixChannel(Channel& channel, float* mix, int frames, const float* sfxGains, bool tail) {
  const float panLeft = channel.pan <= kPanCenter ? 1.0f : static_cast<float>(255 - channel.pan) / 127.0f;
  const float panRight = channel.pan >= kPanCenter ? 1.0f : static_cast<float>(channel.pan) / 128.0f;
  const float rampStep = 1.0f / static_cast<float>(rampFrames_);
  double step = static_cast<double>(channel.frequency) / outputRate_;
  // The first volume a channel is heard at needs no ramp: it starts there.
  if (!channel.heard) channel.gain = static_cast<float>(channel.volume) / 255.0f;
  channel.heard = true;
  if (channel.stream != nullptr && !tail) {
    // Each mix asks a waiting decoder once more, before the fade below decides whether the stream runs dry.
    channel.stream->waiting = false;
    FillStream(channel, static_cast<int64_t>(channel.position));
  }
  for (int f = 0; f < frames && channel.playing; ++f) {
    // The fade is counted in whole frames: what float steps leave over at either end is rounded away.
    // A stream whose decoder fell behind (a CD drive on a scratch) is held like a pause: it fades out on its
    // last frames and picks up from there, fading in, at the first mix that has more. Nothing of the music is
    // lost or played twice, and it never waits for the decoder.
    if (channel.paused || RunningDry(channel, step)) {
      channel.pauseGain -= rampStep;
      if (channel.pauseGain < 0.5f * rampStep) channel.pauseGain = 0;
      if (channel.pauseGain == 0) break;  // faded out: it holds its place until unpaused or fed
    } else if (channel.pauseGain < 1) {
      channel.pauseGain += rampStep;
      if (channel.pauseGain > 1.0f - 0.5f * rampStep) channel.pauseGain = 1;
    }
    const float target = static_cast<float>(channel.volume) / 255.0f;
    if (channel.gain < target) {
      channel.gain = std::min(target, channel.gain + rampStep);
    } else if (channel.gain > target) {
      channel.gain = std::max(target, channel.gain - rampStep);
    }
    const int64_t index = static_cast<int64_t>(channel.position);
    const float fraction = static_cast<float>(channel.position - static_cast<double>(index));
    float left0 = 0, right0 = 0, left1 = 0, right1 = 0;
    if (!FetchFrame(channel, index, left0, right0)) {
      if (channel.stream != nullptr && channel.stream->waiting) {
        // Dry before a fade could finish (the decoder had less than a ramp to give): it holds here all the same.
        channel.pauseGain = 0;
        break;
      }
      if (channel.stream != nullptr && !tail) {
        channel.stream->ended = true;
        if (channel.queued != nullptr) {
          // The next stream takes over in this very frame.
          channel.stream = channel.queued;
          channel.queued = nullptr;
          channel.frequency = channel.stream->decoder->Rate();
          channel.position = static_cast<double>(channel.stream->bufferStart);
          step = static_cast<double>(channel.frequency) / outputRate_;
          --f;
          continue;
        }
      }
      StopChannel(channel);
      break;
    }
    if (!FetchFrame(channel, index + 1, left1, right1)) {
      left1 = left0;
      right1 = right0;
    }
    const float gain = channel.gain * channel.pauseGain * (channel.absolute ? 1.0f : sfxGains[f]);
    mix[2 * f] += (left0 + (left1 - left0) * fraction) * gain * panLeft;
    mix[2 * f + 1] += (right0 + (right1 - right0) * fraction) * gain * panRight;
    channel.position += step;
    if (channel.sample != nullptr) {
      const double count = static_cast<double>(channel.sample->data.FrameCount());
      if (channel.position >= count) {
        if (channel.sample->loop) {
          channel.position = std::fmod(channel.position, count);
        } else {
          StopChannel(channel);  // a one-shot frees its channel at its last frame
        }
      }
    }
  }
}

void Mixer::Render(int16_t* out, int frames) {
  if (out == nullptr || frames <= 0) return;
  std::lock_guard lock(mutex_);
  std::vector<float>& mix = mixBuffer_;
  mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
  // The effects master volume moves by a ramp; the first mix starts at it.
  const float sfxTarget = static_cast<float>(sfxMasterVolume_) / 255.0f;
  if (!mixedAny_) sfxGain_ = sfxTarget;
  mixedAny_ = true;
  sfxGains_.resize(static_cast<size_t>(frames));
  const float rampStep = 1.0f / static_cast<float>(rampFrames_);
  for (float& gain : sfxGains_) {
    sfxGain_ = sfxGain_ < sfxTarget ? std::min(sfxTarget, sfxGain_ + rampStep) : std::max(sfxTarget, sfxGain_ - rampStep);
    gain = sfxGain_;
  }
  for (Channel& channel : channels_) {
    if (!channel.playing || (channel.paused && channel.pauseGain == 0)) continue;
    MixChannel(channel, mix.data(), frames, sfxGains_.data(), false);
  }
  for (Tail& tail : tails_) {
    const size_t count = std::min(mix.size(), tail.frames.size() - tail.next);
    for (size_t i = 0; i < count; ++i) mix[i] += tail.frames[tail.next + i];
    tail.next += count;
  }
  tails_.erase(std::remove_if(tails_.begin(), tails_.end(), [](const Tail& t) { return t.next >= t.frames.size(); }),
               tails_.end());
  for (int f = 0; f < frames; ++f) {
    float left = mix[2 * f];
    float right = mix[2 * f + 1];
    limiter_.Process(left, right);
    out[2 * f] = static_cast<int16_t>(std::clamp(std::lrint(left), -32768L, 32767L));
    out[2 * f + 1] = static_cast<int16_t>(std::clamp(std::lrint(right), -32768L, 32767L));
  }
}

void Mixer::Advance(double seconds) {
  if (HasDevice() || !(seconds > 0)) return;
  pendingNullFrames_ += seconds * outputRate_;
  constexpr int kChunk = 1024;
  scratch_.resize(kChunk * 2);
  while (pendingNullFrames_ >= 1.0) {
    const int frames = static_cast<int>(std::min<double>(pendingNullFrames_, kChunk));
    Render(scratch_.data(), frames);
    if (recording_) recorded_.insert(recorded_.end(), scratch_.begin(), scratch_.begin() + frames * 2);
    pendingNullFrames_ -= frames;
  }
}

void Mixer::SetRecording(bool on) { recording_ = on; }

std::vector<int16_t> Mixer::TakeRecording() {
  std::vector<int16_t> taken;
  taken.swap(recorded_);
  return taken;
}

}  // namespace platform::audio
