// Effect-file reading: every field of each effect kind through the writer and back, and damaged files refused whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "contentgen/ffe_writer.h"
#include "platform/input/ffe_reader.h"
#include "loader_refusal.h"

namespace {

using platform::input::ForceEffect;
using platform::input::ForceEffectKind;
using platform::input::ReadForceEffects;

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
  using loader_refusal::Patched;
  const std::vector<uint8_t> good = contentgen::EncodeForceEffects(contentgen::GameForceEffects(false));
  const size_t parm = std::search(good.begin(), good.end(), std::begin("parm"), std::end("parm") - 1) - good.begin();
  ForceEffect wave;
  wave.kind = ForceEffectKind::kSine;
  const std::vector<uint8_t> sine = contentgen::EncodeForceEffects({wave});
  const size_t tspc = std::search(sine.begin(), sine.end(), std::begin("tspc"), std::end("tspc") - 1) - sine.begin();
  const size_t id = std::search(good.begin(), good.end(), std::begin("id  "), std::end("id  ") - 1) - good.begin();
  ForceEffect faded;
  faded.hasEnvelope = true;
  faded.envelope = {5000, 100000, 2000, 0};  // the zero fade time reads as an empty chunk once the envelope is cut
  const std::vector<uint8_t> enveloped = contentgen::EncodeForceEffects({faded});
  {
    std::vector<ForceEffect> read;
    std::string error;
    ASSERT_TRUE(ReadForceEffects(enveloped.data(), enveloped.size(), read, error)) << error;
  }
  const size_t envl =
      std::search(enveloped.begin(), enveloped.end(), std::begin("envl"), std::end("envl") - 1) - enveloped.begin();
  // Cut anywhere, the RIFF size no longer fits: the file is refused instead of half-read.
  loader_refusal::ExpectAllRefused(
      {loader_refusal::Cut(good, 0), loader_refusal::Cut(good, 13), loader_refusal::Cut(good, good.size() / 3),
       loader_refusal::Cut(good, good.size() - 1), {"wrong form", Patched(good, 8, 'X', 1)},
       {"more axes than the chunks hold", Patched(good, parm + 8 + 24, 5)},
       {"an absurd axis count", Patched(good, parm + 8 + 24, 0x40000000)},
       {"a chunk longer than its list", Patched(good, parm + 4, 0x00FFFFFF)},
       // Claims 8 bytes; the rest of the old body becomes an unknown chunk.
       {"periodic parameters cut short", Patched(sine, tspc + 4, 8, 1)},
       {"an effect without its type", Patched(good, id + 1, 'X', 1)},
       {"an envelope cut short", Patched(enveloped, envl + 4, 8, 1)},
       {"a list longer than the file", Patched(good, 16, 0x00FFFFFF)}},
      [](const uint8_t* data, size_t size) {
        std::vector<ForceEffect> read;
        std::string error;
        return ReadForceEffects(data, size, read, error) || !read.empty();
      });
}

}  // namespace
