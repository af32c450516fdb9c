// Movie textures: frames copied upright, looping with injected frame times, stopping on the last frame without
// decoding more, and streams that cannot be played.
#include "render/resources/movie_texture.h"

#include <limits>

#include <gtest/gtest.h>

#include "contentgen/movie_writer.h"
#include "render/resources/image_test_support.h"

namespace {

using render::MovieTexture;
using render_test::ReadTexel;

class MovieTextureTest : public render_test::NullDeviceFixture {
 protected:
  // A raw movie of frameCount frames at 16 frames per second (a duration of 1/16 s adds up exactly).
  std::string WriteMovie(uint32_t frameCount, uint32_t rate = 16, uint32_t scale = 1) {
    contentgen::MovieSpec spec;
    spec.width = 8;
    spec.height = 4;
    spec.frameCount = frameCount;
    spec.rate = rate;
    spec.scale = scale;
    const std::string path = folder_ + "movie.avi";
    EXPECT_TRUE(contentgen::WriteTestPatternMovie(path, spec));
    return path;
  }
  static constexpr float kFrame = 1.0f / 16.0f;
};

TEST_F(MovieTextureTest, LoopingMovieShowsUprightFramesButNeverItsLast) {
  MovieTexture movie(WriteMovie(10), device_, true);
  ASSERT_TRUE(movie.opened);
  EXPECT_EQ(ReadTexel(movie.GetTexture(), 0, 5, 3), contentgen::MovieFrameColour(0)) << "frame 0 from the start";
  movie.Advance(0.0f);  // full clock: frame 1 is due at once
  EXPECT_EQ(ReadTexel(movie.GetTexture(), 0, 0, 0), 0xFFFFFFFFu) << "the marked top-left texel stays on top";
  EXPECT_EQ(ReadTexel(movie.GetTexture(), 0, 5, 3), contentgen::MovieFrameColour(1));
  std::vector<uint32_t> shown{movie.currentFrame};
  for (int step = 1; step < 12; ++step) {
    movie.Advance(kFrame);
    shown.push_back(movie.currentFrame);
  }
  EXPECT_EQ(shown, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2, 3}));
  // A long pause wraps as many times as it covers, in one step.
  movie.Advance(9 * 100 * kFrame);
  EXPECT_EQ(movie.currentFrame, 3u);
}

TEST_F(MovieTextureTest, MovieThatDoesNotLoopStopsOnFrameCountMinusTwo) {
  MovieTexture movie(WriteMovie(5), device_, false);
  ASSERT_TRUE(movie.opened);
  for (int step = 0; step < 3; ++step) movie.Advance(step == 0 ? 0.0f : kFrame);
  EXPECT_EQ(movie.currentFrame, 3u);
  const uint32_t decoded = movie.decodedFrames;
  movie.Advance(kFrame);
  movie.Advance(10 * kFrame);
  EXPECT_EQ(movie.currentFrame, 3u);
  EXPECT_EQ(movie.decodedFrames, decoded) << "no more decoding at the end";
  // Jumping past the end in one step still shows the last frame.
  MovieTexture jumping(folder_ + "movie.avi", device_, false);
  jumping.Advance(50 * kFrame);
  EXPECT_EQ(jumping.currentFrame, 3u);
  EXPECT_EQ(ReadTexel(jumping.GetTexture(), 0, 3, 3), contentgen::MovieFrameColour(3));
}

TEST_F(MovieTextureTest, UnplayableFilesStayClosedAndIgnoreTime) {
  MovieTexture missing(folder_ + "missing.avi", device_, true);
  EXPECT_FALSE(missing.opened);
  EXPECT_EQ(missing.GetTexture(), nullptr);
  missing.Advance(1.0f);
  EXPECT_EQ(missing.currentFrame, 0u);
  ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "junk.avi", std::vector<uint8_t>(64, 0x41)));
  MovieTexture junk(folder_ + "junk.avi", device_, true);
  EXPECT_FALSE(junk.opened);
  MovieTexture empty(WriteMovie(0), device_, true);
  EXPECT_FALSE(empty.opened) << "a stream without frames has nothing to show";
  empty.Advance(1.0f);
  EXPECT_EQ(empty.currentFrame, 0u);
  // Bad frame times are ignored rather than poisoning the clock.
  MovieTexture movie(WriteMovie(4), device_, true);
  movie.Advance(-1.0f);
  movie.Advance(std::numeric_limits<float>::quiet_NaN());
  movie.Advance(std::numeric_limits<float>::infinity());
  EXPECT_FLOAT_EQ(movie.frameClock, kFrame);
  EXPECT_EQ(movie.currentFrame, 0u);
}

}  // namespace
