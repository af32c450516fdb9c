// Tests of animated models: animation.dat clips and keys, frame mapping by frame scale and key times, and shared
// loads posed and drawn each their own way.
#include "geometry/models/animated_model.h"

#include <gtest/gtest.h>

#include "contentgen/animated_models.h"
#include "model_test_support.h"

namespace {

using geometry::AnimatedModel;

// A model of `frames` frames of one triangle, loaded with the given animation.dat text beside it.
class AnimatedModelTest : public model_test::ModelFixture {
 protected:
  std::unique_ptr<AnimatedModel> LoadWith(const std::string& clips, int frames, int framePercent = 0,
                                          std::vector<int32_t> keyTimes = {}, const std::string& name = "part.MOD") {
    // Each model gets its own file name: the manager shares a model loaded twice under one name.
    EXPECT_TRUE(contentgen::WriteModelFile(folder_ + name, model_test::TriangleModel(frames, framePercent, keyTimes)));
    EXPECT_TRUE(contentgen::WriteContentFile(folder_ + "animation.dat", std::vector<uint8_t>(clips.begin(), clips.end())));
    auto animated = std::make_unique<AnimatedModel>(manager_.get(), settings_.get());
    animated->Load(device_, folder_ + name, "", "");
    return animated;
  }
};

TEST_F(AnimatedModelTest, ClipLinesMapFramesByTheFrameScaleOrKeyTimesAndKeysAttachToTheirClip) {
  auto animated = LoadWith("<KEY>:WALK:1:early # before its clip: ignored\n"
                           "WALK:10:21:30\n"
                           "<KEY>:WALK:4:STEP\n"
                           "<key>:x:1:y\n"
                           "SPACED 1 2 3\n"
                           "LONG:0:99:10\n",
                           12, 50);
  ASSERT_EQ(animated->clips.size(), 3u);
  const geometry::AnimationClip& walk = *animated->clips[0];
  EXPECT_EQ(walk.firstFrame, 5u);
  EXPECT_EQ(walk.lastFrame, 11u);  // 10.5 rounds up
  EXPECT_FLOAT_EQ(walk.rate, 15.0f);
  EXPECT_EQ(walk.keyNames, (std::vector<std::string>{"STEP"}));
  EXPECT_FLOAT_EQ(walk.keyTimes[0], 2.0f);
  EXPECT_EQ(animated->FindClip("<key>"), 1);      // lower case is a clip name
  EXPECT_EQ(animated->clips[2]->lastFrame, 11u);  // past the end: the last stored frame
  EXPECT_EQ(animated->GetClipLength("walk"), 0u);
  ASSERT_NE(animated->ActiveState(), nullptr);  // loading plays clip 0 at its first frame
  EXPECT_EQ(animated->ActiveState()->frame, 5u);

  auto keyed = LoadWith("RUN:5:6:30\n", 4, 0, {0, 2, 4, 6}, "keyed.MOD");
  ASSERT_EQ(keyed->clips.size(), 1u);
  EXPECT_EQ(keyed->clips[0]->firstFrame, 3u);  // key 2 (time 4) + round(1.0)
  EXPECT_EQ(keyed->clips[0]->lastFrame, 3u);
}

// Playing a clip at an offset poses it: the frame, the next one (wrapping from the last back to the first) and
// the fraction between; offsets past the end loop by whole clip lengths.
TEST_F(AnimatedModelTest, PlayingAClipAtAnOffsetLoopsFromItsLastFrameToItsFirst) {
  auto animated = LoadWith("SWING:10:20:30\nHOLD:5:5:30\n", 24, 0);
  ASSERT_EQ(animated->clips.size(), 2u);
  ASSERT_EQ(animated->clips[0]->firstFrame, 10u);
  ASSERT_EQ(animated->clips[0]->lastFrame, 20u);
  struct Case {
    const char* clip;
    float offset;
    uint32_t frame, next;
    float fraction;
  };
  const Case cases[] = {{"SWING", 0, 10, 11, 0},     {"SWING", 9.5f, 19, 20, 0.5f}, {"SWING", 10, 20, 10, 0},
                        {"SWING", 25, 15, 16, 0},    {"SWING", 10.25f, 10, 11, 0.25f}, {"SWING", -3, 10, 11, 0},
                        {"HOLD", 7, 5, 5, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.clip << " at " << c.offset);
    animated->PlayClipByName(c.clip, c.offset);
    const geometry::ClipState* state = animated->ActiveState();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->frame, c.frame);
    EXPECT_EQ(state->nextFrame, c.next);
    EXPECT_NEAR(state->fraction, c.fraction, 1e-4f);
    EXPECT_EQ(animated->activeStates.size(), 1u);
  }
  animated->PlayClipByName("NOSUCH", 3);
  EXPECT_EQ(animated->ActiveState()->frame, 5u) << "an unknown clip changes nothing";
}

TEST_F(AnimatedModelTest, EveryLoadMakesItsOwnPosedObjectOverOneSharedModel) {
  ASSERT_TRUE(contentgen::WriteDriverModel(folder_));
  const std::string path = folder_ + contentgen::kDriverModel;
  AnimatedModel* first = geometry::LoadAnimatedModel(*manager_, device_, path, "", "");
  AnimatedModel* second = geometry::LoadAnimatedModel(*manager_, device_, path, "", "");
  ASSERT_NE(first, second) << "two drivers, two poses";
  EXPECT_EQ(first->model, second->model);
  EXPECT_EQ(manager_->Count(render::ResourceKind::kModel), 1u);
  const uint32_t frames = first->GetClipLength("STEER");
  EXPECT_EQ(frames, uint32_t(contentgen::kDriverFrames - 1));
  first->PlayClipByName("STEER", 0.0f);
  second->PlayClipByName("STEER", static_cast<float>(frames));
  EXPECT_EQ(first->ActiveState()->frame, 0u);
  EXPECT_EQ(second->ActiveState()->frame, frames);
  // Each draw shows its own driver's pose on the shared vertices, and drawing a pose again writes nothing.
  const uint32_t writes = first->model->PoseWrites();
  first->Draw(device_, platform::gfx::IdentityMatrix());
  second->Draw(device_, platform::gfx::IdentityMatrix());
  second->DrawSimple(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(first->model->PoseWrites(), writes + 2);
  geometry::ReleaseAnimatedModel(*manager_, first);
  geometry::ReleaseAnimatedModel(*manager_, second);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kAnimatedModel, first)->refCount, 0);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kAnimatedModel, second)->refCount, 0);
}

}  // namespace
