// The software sound mixer: samples and music streams played on a fixed set of channels with volume, pitch,
// pan and priority, mixed into 16-bit stereo for the audio device (or, on the null output, for nothing or for a
// recording). Sounds never start or stop with a step: a channel stopped before its end, a pause and a change of
// volume each take a few milliseconds, and a limiter keeps the sum below full scale.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio/output_limiter.h"
#include "platform/audio/stream_decoder.h"
#include "platform/audio/wav.h"

namespace platform::audio {

// Handles: 0 is "no sample" / "no stream"; channel handles are non-negative, -1 is "no channel".
using SampleId = uint32_t;
using StreamId = uint32_t;
constexpr SampleId kNoSample = 0;
constexpr StreamId kNoStream = 0;
constexpr int kNoChannel = -1;
constexpr int kFreeChannel = -1;  // PlaySound/PlayStream: choose a free channel

constexpr int kMaxVolume = 255;
constexpr int kPanLeft = 0;
constexpr int kPanCenter = 128;
constexpr int kPanRight = 255;
constexpr int kDefaultPriority = 128;
constexpr int kStreamPriority = 255;
constexpr int kDefaultOutputRate = 44100;
constexpr int kDefaultChannelCount = 32;
constexpr int kMaxChannelCount = 256;
// How long a stop, a pause or a volume change takes to reach its level: short enough to sound immediate, long
// enough not to click.
constexpr double kRampSeconds = 0.006;

class Mixer {
 public:
  explicit Mixer(int outputRate = kDefaultOutputRate, int channelCount = kDefaultChannelCount);
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Opens the default audio device and feeds it from this mixer. Without a device (headless, no driver) the
  // mixer keeps the null output: every call behaves the same and Advance moves the sounds on. Always true.
  bool OpenOutput();
  void CloseOutput();
  bool HasDevice() const;

  int OutputRate() const { return outputRate_; }
  int ChannelCount() const { return static_cast<int>(channels_.size()); }

  // Samples. A loop sample repeats until stopped; a one-shot frees its channel at its end.
  // Returns kNoSample (and prints one line) when the file is missing or not a usable WAV.
  SampleId LoadSample(const std::string& path, bool loop);
  SampleId CreateSample(SampleData data, bool loop);
  // Stops every channel playing it, then forgets it.
  void FreeSample(SampleId sample);

  // Starts the sample on `channel` (an index below ChannelCount) or, with kFreeChannel, on an idle channel, else
  // on the playing channel of lowest priority not above the default priority (the longest-playing first).
  // The channel starts at full volume, centred, at the sample's own rate (a loop fading in over kRampSeconds).
  // Returns the channel handle or kNoChannel.
  // A one-shot already started on a free channel and not yet heard (nothing of it mixed) is not started a second
  // time at the same place: the start returns that channel, and until it is heard the volume and priority set
  // on it are the larger of those asked for.
  int PlaySound(int channel, SampleId sample);
  // Handles of stopped or stolen channels are stale: every call on them does nothing and returns false. What
  // was audible fades out over kRampSeconds.
  bool StopSound(int channel);
  // 0-255. A playing channel moves to a new volume over kRampSeconds; the first volume set before it is heard
  // applies at once.
  bool SetVolume(int channel, int volume);          // scaled by the effects master volume
  bool SetVolumeAbsolute(int channel, int volume);  // not scaled by the master volume
  bool SetFrequency(int channel, int hertz);        // playback rate in Hz (pitch)
  bool SetPan(int channel, int pan);                // 0 left, 128 centre, 255 right
  bool SetPriority(int channel, int priority);      // 0-255
  // A paused channel fades out and then holds its place; unpaused, it fades in from there.
  bool SetPaused(int channel, bool paused);
  bool IsPlaying(int channel) const;
  int GetVolume(int channel) const;
  int GetChannelsPlaying() const;
  // A change a caller made to a channel, for tools and tests that record what was heard: the channel's handle,
  // its sample, and its volume and priority after the change.
  struct ChannelEvent {
    int channel = kNoChannel;
    SampleId sample = kNoSample;
    int volume = 0;
    int priority = 0;
  };
  // Called (outside the mixer's lock) after every successful PlaySound, SetVolume, SetVolumeAbsolute and
  // SetPriority; empty for none. Set it before sounds play, from the thread that plays them.
  void SetObserver(std::function<void(const ChannelEvent&)> observer) { observer_ = std::move(observer); }
  void SetSfxMasterVolume(int volume);  // 0-255; reached over kRampSeconds once sound has been mixed
  // For reports and tests: the sample and volume of every busy sample channel, and how many times each loaded
  // sample has been started on a channel.
  struct ChannelUse {
    SampleId sample = kNoSample;
    int volume = 0;
  };
  std::vector<ChannelUse> BusyChannels() const;
  std::vector<std::pair<SampleId, uint32_t>> SampleStarts() const;
  int GetSfxMasterVolume() const;

  // Music streams: opened here, decoded a block at a time while they play. OpenStream returns kNoStream when
  // the file cannot be decoded. A stream ends at its decoder's end of file unless it loops.
  StreamId OpenStream(const std::string& path, bool loop);
  // A stream from a decoder the caller made (an audio CD track read from its drive); kNoStream for none.
  StreamId OpenStream(std::unique_ptr<StreamDecoder> decoder, bool loop);
  int PlayStream(int channel, StreamId stream);
  bool IsStreamEnded(StreamId stream) const;
  // True once the stream's last frames are decoded (a second or less is left to play): the time to
  // queue what follows it. Never for a looping stream.
  bool IsStreamEnding(StreamId stream) const;
  // Queues `next` on the channel playing a stream: when that stream ends, the channel goes on with `next` from
  // the very next frame, without a gap. False for a stale channel, one playing no stream, or an unknown stream.
  bool QueueStream(int channel, StreamId next);
  // Stops its channel (fading out) and closes the file.
  void CloseStream(StreamId stream);

  // Mixes `frames` interleaved 16-bit stereo frames into `out` and moves every channel on.
  void Render(int16_t* out, int frames);
  // On the null output: renders `seconds` of sound into a scratch buffer so sounds still end and streams advance.
  // Nothing with a device, whose own clock pulls the sound.
  void Advance(double seconds);
  // The recording output: while on, what Advance renders on the null output is also kept, 16-bit stereo at
  // OutputRate. TakeRecording hands it over and starts an empty one.
  void SetRecording(bool on);
  std::vector<int16_t> TakeRecording();

 private:
  struct Sample {
    SampleId id = kNoSample;
    SampleData data;
    bool loop = false;
    uint32_t starts = 0;
  };

  struct Stream {
    StreamId id = kNoStream;
    std::unique_ptr<StreamDecoder> decoder;
    bool loop = false;
    std::vector<int16_t> buffer;  // decoded frames from bufferStart on, interleaved
    int64_t bufferStart = 0;
    bool decoderEnded = false;  // every frame of the file is in the buffer
    bool waiting = false;       // its decoder had nothing yet in this mix: asked again at the next
    bool ended = false;         // its channel has played the last frame
    int64_t BufferedEnd() const { return bufferStart + static_cast<int64_t>(buffer.size()) / decoder->Channels(); }
  };

  struct Channel {
    uint32_t generation = 0;
    bool playing = false;
    bool paused = false;
    bool absolute = false;
    Sample* sample = nullptr;
    Stream* stream = nullptr;
    int volume = kMaxVolume;
    int frequency = 0;
    int pan = kPanCenter;
    int priority = kDefaultPriority;
    double position = 0;  // in source frames
    uint64_t startOrder = 0;
    Stream* queued = nullptr;  // plays on once `stream` ends
    bool heard = false;        // some of it has been mixed
    bool shared = false;       // a second start of the same one-shot was merged into it before it was heard
    bool volumeSet = false;    // a volume was set on it before it was heard
    float gain = 1.0f;         // volume / 255 as mixed now, moving to the volume
    float pauseGain = 1.0f;    // 0 once a pause has faded it out
  };

  Channel* Find(int handle);
  const Channel* Find(int handle) const;
  int StartChannel(int channel, int priority);
  void StopChannel(Channel& channel);
  // StopChannel, keeping what the channel would have played over the next kRampSeconds, faded to nothing.
  void FadeOutChannel(Channel& channel);
  // Adds the channel's next `frames` frames to `mix` (stereo) with `sfxGains` the effects master gain of each
  // frame, and moves it on. A tail copy only plays out: it neither ends its stream nor moves to a queued one.
  void MixChannel(Channel& channel, float* mix, int frames, const float* sfxGains, bool tail);
  bool FetchFrame(Channel& channel, int64_t index, float& left, float& right);
  // Decodes the channel's stream on until it holds the read-ahead past `index`, its end, or what its decoder has
  // for now.
  void FillStream(Channel& channel, int64_t index);
  // The channel's stream has less than a fade's worth of frames left and its decoder nothing more for now.
  bool RunningDry(const Channel& channel, double step) const;
  void SetChannelVolume(Channel& channel, int volume, bool absolute);
  Stream* FindStream(StreamId id) const;
  // Tells the observer about the channel, when there is one; true, for the caller's return.
  bool Report(int handle);

  mutable std::mutex mutex_;
  int outputRate_;
  std::vector<Channel> channels_;
  std::vector<std::unique_ptr<Sample>> samples_;
  std::vector<std::unique_ptr<Stream>> streams_;
  uint32_t nextId_ = 1;
  uint64_t startCounter_ = 0;
  int sfxMasterVolume_ = kMaxVolume;
  double pendingNullFrames_ = 0;
  std::vector<int16_t> scratch_;
  std::vector<float> mixBuffer_;
  std::vector<float> sfxGains_;
  int rampFrames_;
  float sfxGain_ = 1.0f;  // the effects master gain as mixed now
  bool mixedAny_ = false;
  // Faded-out ends of stopped channels, mixed in until used up.
  struct Tail {
    std::vector<float> frames;  // stereo
    size_t next = 0;
  };
  std::vector<Tail> tails_;
  OutputLimiter limiter_;
  bool recording_ = false;
  std::vector<int16_t> recorded_;
  std::function<void(const ChannelEvent&)> observer_;
  bool outputOpen_ = false;
  uint32_t device_ = 0;  // the audio device id; 0 on the null output
};

// The one mixer of the running game, made on first use.
Mixer& SystemMixer();

}  // namespace platform::audio
