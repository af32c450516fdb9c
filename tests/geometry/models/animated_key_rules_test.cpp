// Clips of a model whose file stores key times: an authored time maps to the key at or before it plus the frames
// since, and an animated model without a resource manager loads and maps its own copy of the model.
#include <gtest/gtest.h>

#include "contentgen/animated_models.h"
#include "geometry/models/animated_model.h"
#include "model_test_support.h"

namespace {

class AnimatedKeyRulesTest : public model_test::ModelFixture {
 protected:
  // Six stored frames authored at times 0, 10, ... 50 (a frame scale of 1), in a file of its own name.
  void WriteKeyed(const std::string& name, const std::string& clips) {
    ASSERT_TRUE(contentgen::WriteModelFile(folder_ + name,
                                           model_test::TriangleModel(6, 0, {0, 10, 20, 30, 40, 50})));
    ASSERT_TRUE(
        contentgen::WriteContentFile(folder_ + "animation.dat", std::vector<uint8_t>(clips.begin(), clips.end())));
  }
};

TEST_F(AnimatedKeyRulesTest, AuthoredTimesMapThroughTheKeyAtOrBeforeThem) {
  WriteKeyed("keyed.MOD", "RUN:21:40:30\nTAIL:55:99:30\n");
  for (const bool withManager : {true, false}) {
    geometry::AnimatedModel animated(withManager ? manager_.get() : nullptr, settings_.get());
    animated.Load(device_, folder_ + "keyed.MOD", "", "");
    ASSERT_EQ(animated.clips.size(), 2u) << withManager;
    const struct {
      size_t clip;
      uint32_t first, last;
    } cases[] = {
        {0, 3, 4},  // 21: key 2 (20) and one frame on; 40: key 4 exactly
        {1, 5, 5},  // past the last key: the last stored frame
    };
    for (const auto& c : cases) {
      EXPECT_EQ(animated.clips[c.clip]->firstFrame, c.first) << "clip " << c.clip << " manager " << withManager;
      EXPECT_EQ(animated.clips[c.clip]->lastFrame, c.last) << "clip " << c.clip << " manager " << withManager;
    }
  }
}

}  // namespace
