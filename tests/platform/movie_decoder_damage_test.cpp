// Damaged and unusual movies: a recording whose header promises more frames than were written, header chunks
// whose sizes run past what holds them, a movie whose only stream is not video, and frames too large for the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "contentgen/movie_writer.h"
#include "platform/movie/movie_decoder.h"

namespace {

std::string ScratchFile(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "movie";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint32_t CentreTexel(const std::vector<uint8_t>& texels, uint32_t width, uint32_t height) {
  const uint8_t* t = &texels[(size_t{height / 2} * width + width / 2) * 4];
  return uint32_t{t[0]} | uint32_t{t[1]} << 8 | uint32_t{t[2]} << 16 | uint32_t{t[3]} << 24;
}

TEST(MovieDecoderDamage, ACutRecordingPlaysWhatItHoldsAndRefusesTheRest) {
  contentgen::MovieSpec spec;
  spec.width = 8;
  spec.height = 6;
  spec.frameCount = 12;
  const std::string source = ScratchFile("cut_source.avi");
  ASSERT_TRUE(contentgen::WriteTestPatternMovie(source, spec));
  std::vector<char> bytes = ReadBytes(source);
  // Keep the first four frame chunks whole (id, size, texels) and drop everything after.
  const char movi[] = {'m', 'o', 'v', 'i'};
  const auto frames = std::search(bytes.begin(), bytes.end(), movi, movi + 4);
  ASSERT_NE(frames, bytes.end());
  const size_t firstFrame = static_cast<size_t>(frames - bytes.begin()) + 4;
  ASSERT_LT(firstFrame + 8, bytes.size());
  uint32_t frameSize = 0;
  for (int i = 0; i < 4; ++i) frameSize |= uint32_t{static_cast<uint8_t>(bytes[firstFrame + 4 + i])} << (8 * i);
  ASSERT_GT(frameSize, 0u);
  bytes.resize(firstFrame + 4 * (8 + ((frameSize + 1) & ~1u)));
  const std::string path = ScratchFile("cut_four.avi");
  WriteBytes(path, bytes);

  platform::movie::MovieDecoder decoder;
  std::string error;
  ASSERT_TRUE(decoder.Open(path, error)) << error;
  EXPECT_EQ(decoder.FrameCount(), 12u) << "the header's count is all there is to go by";
  std::vector<uint8_t> texels;
  const struct {
    uint32_t frame;
    bool decodes;
  } steps[] = {{0, true}, {3, true}, {4, false}, {1, true}, {11, false}, {2, true}, {3, true}, {5, false}};
  for (const auto& step : steps) {
    EXPECT_EQ(decoder.DecodeFrame(step.frame, texels), step.decodes) << "frame " << step.frame;
    if (step.decodes) {
      EXPECT_EQ(CentreTexel(texels, 8, 6), contentgen::MovieFrameColour(step.frame)) << "frame " << step.frame;
    }
  }
}

void SetChunkSize(std::vector<char>& bytes, const char* id, uint32_t size) {
  const auto at = std::search(bytes.begin(), bytes.end(), id, id + 4);
  ASSERT_NE(at, bytes.end()) << id;
  for (int i = 0; i < 4; ++i) at[4 + i] = static_cast<char>(size >> (8 * i));
}

// A header chunk is allocated by its declared size before it is read, so a size running past the list or file
// holding it is refused outright.
TEST(MovieDecoderDamage, HeaderChunksRunningPastWhatHoldsThemAreRefused) {
  contentgen::MovieSpec spec;
  spec.width = 8;
  spec.height = 6;
  spec.frameCount = 12;
  const std::string source = ScratchFile("whole.avi");
  ASSERT_TRUE(contentgen::WriteTestPatternMovie(source, spec));
  const std::vector<char> whole = ReadBytes(source);
  const struct {
    const char* what;
    const char* chunk;
    uint32_t size;
  } cases[] = {
      {"a text tag claiming 1.8 GB", "ISFT", 0x6E6E6E6Eu},
      {"the stream header claiming more than the file", "strh", 0x00100000u},
      {"the stream format running past its list, not the file", "strf", 4200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<char> bytes = whole;
    SetChunkSize(bytes, c.chunk, c.size);
    const std::string path = ScratchFile("damaged_header.avi");
    WriteBytes(path, bytes);
    platform::movie::MovieDecoder decoder;
    std::string error;
    EXPECT_FALSE(decoder.Open(path, error));
    EXPECT_FALSE(error.empty());
    std::vector<uint8_t> texels;
    EXPECT_FALSE(decoder.DecodeFrame(0, texels));
  }
}

TEST(MovieDecoderDamage, MoviesTheGameCannotShowDoNotOpen) {
  struct Case {
    const char* what;
    uint32_t width;
    uint32_t height;
    const char* streamType;  // replaces the stream header's "vids"; null keeps it
  } cases[] = {
      {"frames wider than the game shows", 8200, 2, nullptr},
      {"frames taller than the game shows", 2, 8200, nullptr},
      {"no video stream", 8, 6, "txts"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    contentgen::MovieSpec spec;
    spec.width = c.width;
    spec.height = c.height;
    spec.frameCount = 1;
    const std::string path = ScratchFile("unshowable.avi");
    ASSERT_TRUE(contentgen::WriteTestPatternMovie(path, spec));
    if (c.streamType != nullptr) {
      std::vector<char> bytes = ReadBytes(path);
      const char vids[] = {'v', 'i', 'd', 's'};
      const auto type = std::search(bytes.begin(), bytes.end(), vids, vids + 4);
      ASSERT_NE(type, bytes.end());
      std::copy_n(c.streamType, 4, type);
      WriteBytes(path, bytes);
    }
    platform::movie::MovieDecoder decoder;
    std::string error;
    EXPECT_FALSE(decoder.Open(path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decoder.IsOpen());
    std::vector<uint8_t> texels;
    EXPECT_FALSE(decoder.DecodeFrame(0, texels));
  }
}

}  // namespace
