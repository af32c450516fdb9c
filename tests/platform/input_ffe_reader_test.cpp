// Effect-file reading: every field of each effect kind through the writer and back, and damaged files refused whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "contentgen/ffe_writer.h"
#include "platform/input/ffe_reader.h"

namespace {

using platform::input::ForceEffect;
using platform::input::ForceEffectKind;
using platform::input::ReadForceEffects;

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

TEST(ForceEffectFile, ReadsEveryFieldOfEachKind) {
  ForceEffect constant;
  constant.name = "push";
  constant.kind = ForceEffectKind::kConstant;
  constant.flags = platform::input::force_flags::kPolar;
  constant.duration = 250000;
  constant.samplePeriod = 1000;
  constant.gain = 7000;
  constant.triggerButton = 3;
  constant.triggerRepeatInterval = 500000;
  constant.startDelay = 20000;
  constant.axes = {0, 4};
  constant.directions = {9000, -1};
  constant.hasEnvelope = true;
  constant.envelope = {1, 2, 3, 4};
  constant.magnitude = -6000;
  ForceEffect ramp;
  ramp.kind = ForceEffectKind::kRamp;
  ramp.rampStart = -100;
  ramp.rampEnd = 200;
  ForceEffect wave;
  wave.kind = ForceEffectKind::kSawtoothDown;
  wave.periodicMagnitude = 4000;
  wave.periodicOffset = -50;
  wave.phase = 18000;
  wave.period = 33000;
  ForceEffect spring;
  spring.kind = ForceEffectKind::kSpring;
  spring.conditions = {{1, 2, 3, 4, 5, 6}, {-1, -2, -3, 7, 8, -9}};

  const std::vector<uint8_t> bytes = contentgen::EncodeForceEffects({constant, ramp, wave, spring});
  std::vector<ForceEffect> read;
  std::string error;
  ASSERT_TRUE(ReadForceEffects(bytes.data(), bytes.size(), read, error)) << error;
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].directions, (std::vector<int32_t>{9000, -1}));
  EXPECT_EQ(read[3].conditions[1].deadBand, -9);
  // Every field came back: written again, the effects give the same file.
  EXPECT_EQ(contentgen::EncodeForceEffects(read), bytes);
}

TEST(ForceEffectFile, LeavesOutEffectsOfAnUnknownTypeButKeepsTheRest) {
  std::vector<uint8_t> bytes = contentgen::EncodeForceEffects(contentgen::GameForceEffects(false));
  // The first effect's type GUID sits after "RIFF" size "FORC" "LIST" size "efct" and its name chunk.
  const std::string name = "Pavement";
  const size_t guidOffset = 12 + 8 + 4 + 8 + ((name.size() + 1 + 1) & ~size_t{1}) + 8;
  ASSERT_EQ(bytes[guidOffset], 0x23) << "the sine GUID";
  bytes[guidOffset] = 0x7F;
  std::vector<ForceEffect> read;
  std::string error;
  ASSERT_TRUE(ReadForceEffects(bytes.data(), bytes.size(), read, error)) << error;
  ASSERT_EQ(read.size(), contentgen::GameForceEffects(false).size() - 1);
  EXPECT_EQ(read[0].name, "Dirt");
}

TEST(ForceEffectFile, RefusesDamagedFilesWhole) {
  const std::vector<uint8_t> good = contentgen::EncodeForceEffects(contentgen::GameForceEffects(false));
  std::vector<ForceEffect> read;
  std::string error;

  EXPECT_FALSE(ReadForceEffects(nullptr, 0, read, error));
  std::vector<uint8_t> wrongForm = good;
  wrongForm[8] = 'X';
  EXPECT_FALSE(ReadForceEffects(wrongForm.data(), wrongForm.size(), read, error));

  // Cut anywhere: the RIFF size no longer fits, so the file is refused instead of half-read.
  for (size_t cut : {size_t{13}, good.size() / 3, good.size() - 1}) {
    EXPECT_FALSE(ReadForceEffects(good.data(), cut, read, error)) << "cut at " << cut;
    EXPECT_TRUE(read.empty());
  }

  // An effect claiming more axes than its chunks hold.
  std::vector<uint8_t> axes = good;
  const size_t parm = std::search(axes.begin(), axes.end(), std::begin("parm"), std::end("parm") - 1) - axes.begin();
  const std::vector<uint8_t> many = Le32(5);
  std::copy(many.begin(), many.end(), axes.begin() + parm + 8 + 24);
  EXPECT_FALSE(ReadForceEffects(axes.data(), axes.size(), read, error));
  const std::vector<uint8_t> huge = Le32(0x40000000);
  std::copy(huge.begin(), huge.end(), axes.begin() + parm + 8 + 24);
  EXPECT_FALSE(ReadForceEffects(axes.data(), axes.size(), read, error));

  // A chunk inside a list longer than the list.
  std::vector<uint8_t> longChunk = good;
  const std::vector<uint8_t> big = Le32(0x00FFFFFF);
  std::copy(big.begin(), big.end(), longChunk.begin() + parm + 4);
  EXPECT_FALSE(ReadForceEffects(longChunk.data(), longChunk.size(), read, error));

  // A periodic effect with its parameters cut short.
  ForceEffect wave;
  wave.kind = ForceEffectKind::kSine;
  std::vector<uint8_t> shortSpecific = contentgen::EncodeForceEffects({wave});
  const size_t tspc = std::search(shortSpecific.begin(), shortSpecific.end(), std::begin("tspc"), std::end("tspc") - 1) -
                      shortSpecific.begin();
  shortSpecific[tspc + 4] = 8;  // claims 8 bytes; the rest of the old body becomes an unknown chunk
  EXPECT_FALSE(ReadForceEffects(shortSpecific.data(), shortSpecific.size(), read, error));
  EXPECT_TRUE(read.empty());
}

}  // namespace
