// AVI movies decoded frame by frame into 32-bit BGRA pictures, through libavformat, libavcodec and libswscale.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::movie {

// The first video stream of a movie file. Frames are numbered from 0 in stream order.
class MovieDecoder {
 public:
  MovieDecoder();
  ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  // Opens the file (a real path); false, with one line in error, when it has no decodable video stream.
  bool Open(const std::string& path, std::string& error);
  void Close();
  bool IsOpen() const;

  uint32_t Width() const;
  uint32_t Height() const;
  // Frames in the stream as its container declares them (0 when it does not say and cannot be estimated).
  uint32_t FrameCount() const;
  // Frame rate as the fraction rate / scale frames per second; either may be 0 in a broken file.
  uint32_t Rate() const;
  uint32_t Scale() const;

  // Decodes frame index into texels (Width × Height BGRA, rows top to bottom, alpha 0xFF). False when the
  // index is past the stream or the frame cannot be decoded; texels are then left as they were.
  bool DecodeFrame(uint32_t index, std::vector<uint8_t>& texels);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform::movie
