// Music decoders for streamed playback: Ogg Vorbis (libvorbisfile) and MP3 (libmpg123), read a block at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::audio {

class StreamDecoder {
 public:
  virtual ~StreamDecoder() = default;
  virtual int Rate() const = 0;
  virtual int Channels() const = 0;  // 1 or 2
  // Decodes up to maxFrames interleaved 16-bit frames; returns the frames written, 0 at the end of the file (or
  // when Waiting() says so, for now).
  virtual int Read(int16_t* frames, int maxFrames) = 0;
  // True when the last Read returned 0 only because a decoder fed by another thread (a CD track read off its
  // drive) has nothing yet: more follows later, the stream has not ended. A file never waits.
  virtual bool Waiting() const { return false; }
  // Back to the first frame; false when the file cannot seek.
  virtual bool Rewind() = 0;
};

// Opens an Ogg Vorbis or MP3 file (recognised by content, not by name). Null when neither decoder accepts it or
// the file has more than two channels.
std::unique_ptr<StreamDecoder> OpenStreamDecoder(const std::string& path);

}  // namespace platform::audio
