// Movie decoding: frame count and rate from the container, frames of long movies in any order, and refusal of
// frames past the end and of files that hold no video.
#include "platform/movie/movie_decoder.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "contentgen/movie_writer.h"
#include "contentgen/png_writer.h"

namespace {

std::string ScratchPath(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "movie";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

uint32_t TexelAt(const std::vector<uint8_t>& texels, uint32_t width, uint32_t x, uint32_t y) {
  const uint8_t* t = &texels[(size_t{y} * width + x) * 4];
  return uint32_t{t[0]} | uint32_t{t[1]} << 8 | uint32_t{t[2]} << 16 | uint32_t{t[3]} << 24;
}

TEST(MovieDecoder, JumpsFarAheadAndBackInLongMovies) {
  for (contentgen::MovieCodec codec : {contentgen::MovieCodec::kRawVideo, contentgen::MovieCodec::kMotionJpeg}) {
    const std::string path = ScratchPath(codec == contentgen::MovieCodec::kRawVideo ? "long_raw.avi" : "long_mjpeg.avi");
    contentgen::MovieSpec spec;
    spec.width = 16;
    spec.height = 16;
    spec.frameCount = 40;
    spec.rate = 30000;
    spec.scale = 1001;
    spec.codec = codec;
    ASSERT_TRUE(contentgen::WriteTestPatternMovie(path, spec));
    platform::movie::MovieDecoder decoder;
    std::string error;
    ASSERT_TRUE(decoder.Open(path, error)) << error;
    EXPECT_EQ(decoder.Rate() / decoder.Scale(), 29u) << "a fractional rate is kept as rate over scale";
    std::vector<uint8_t> texels;
    EXPECT_EQ(decoder.FrameCount(), 40u);
    for (uint32_t frame : {0u, 37u, 3u, 20u, 21u, 39u, 39u, 12u}) {
      ASSERT_TRUE(decoder.DecodeFrame(frame, texels)) << frame;
      ASSERT_EQ(texels.size(), 16u * 16 * 4);
      if (codec == contentgen::MovieCodec::kRawVideo) {
        EXPECT_EQ(TexelAt(texels, 16, 0, 0), 0xFFFFFFFFu) << "top row first";
      }
      const uint32_t got = TexelAt(texels, 16, 8, 8);
      const uint32_t want = contentgen::MovieFrameColour(frame);
      for (int shift = 0; shift < 24; shift += 8) {
        EXPECT_NEAR(double((got >> shift) & 0xFF), double((want >> shift) & 0xFF), 6) << frame;
      }
    }
    const std::vector<uint8_t> before = texels;
    EXPECT_FALSE(decoder.DecodeFrame(40, texels));
    EXPECT_EQ(texels, before);
  }
}

TEST(MovieDecoder, FilesWithoutVideoDoNotOpen) {
  platform::movie::MovieDecoder decoder;
  std::string error;
  EXPECT_FALSE(decoder.Open(ScratchPath("missing.avi"), error));
  EXPECT_FALSE(decoder.IsOpen());
  contentgen::PictureData picture(4, 4);
  const std::string png = ScratchPath("not_a_movie.avi");
  ASSERT_TRUE(contentgen::WriteContentFile(png, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}));
  EXPECT_FALSE(decoder.Open(png, error));
  std::vector<uint8_t> texels;
  EXPECT_FALSE(decoder.DecodeFrame(0, texels));
  EXPECT_EQ(decoder.FrameCount(), 0u);
}

}  // namespace
