// A movie played into a texture: the frame clock advanced by the frame time, one decoded frame copied into a
// one-level A8R8G8B8 texture per step that shows a new frame.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/movie/movie_decoder.h"
#include "platform/result.h"

namespace render {

// Frame rates a movie is played at: a slower stream plays at the lowest, a faster one at the highest, so a
// broken header can neither stop the clock nor make one step run for ages.
constexpr uint32_t kMinMovieFrameRate = 1;
constexpr uint32_t kMaxMovieFrameRate = 120;

// The whole frames per second of a stream of rate / scale: 0 when the stream cannot be played (scale or rate
// 0), otherwise the integer quotient kept within the limits above.
uint32_t MovieFrameRate(uint32_t rate, uint32_t scale);

class MovieTexture {
 public:
  // Opens the movie (a normalised or real path) and, when it has a video stream, runs Open.
  MovieTexture(const std::string& fileName, platform::gfx::Device* device, bool loop);
  ~MovieTexture();
  MovieTexture(const MovieTexture&) = delete;
  MovieTexture& operator=(const MovieTexture&) = delete;

  // True when the stream, the buffers and the texture are ready.
  bool Open(platform::gfx::Device* device);
  // Moves the clock by dt seconds; when one or more frame durations have passed, shows the due frame (only that
  // one is decoded). The stream's last frame counts as its end (see currentFrame).
  void Advance(float dt);
  // Decodes frame index into the frame buffer; nothing at or past frameCount.
  void DecodeFrame(uint32_t index);
  // Copies the frame buffer into level 0 of the texture, top row first. The lock's result on failure.
  platform::HResult CopyToTexture(platform::gfx::Texture* target);
  void Close();

  platform::gfx::Texture* GetTexture() const { return texture; }

  std::string fileName;
  bool loop = false;
  bool opened = false;
  uint16_t frameRate = 0;
  uint16_t frameWidth = 0;
  uint16_t frameHeight = 0;
  // The frame shown; a looping movie cycles through 0 .. frameCount − 2, one that does not loop stops on
  // frameCount − 2.
  uint32_t currentFrame = 0;
  uint32_t frameCount = 0;
  float frameClock = 0;
  float frameDuration = 0;
  platform::gfx::Texture* texture = nullptr;
  uint32_t rowBytes = 0;
  // Frames decoded so far (for tests and statistics).
  uint32_t decodedFrames = 0;

 private:
  std::mutex lock_;
  platform::movie::MovieDecoder decoder_;
  std::vector<uint8_t> outputBuffer_;
};

}  // namespace render
