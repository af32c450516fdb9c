// Tests of animated models: animation.dat clips and keys, frame mapping by frame scale and key times, clip
// posing with its loop, drawing at the pose, and the shared loads.
#include "geometry/models/animated_model.h"

#include <gtest/gtest.h>

#include "contentgen/animated_models.h"
#include "contentgen/model_file_writer.h"
#include "model_test_support.h"

namespace {

using geometry::AnimatedModel;

// A model of `frames` frames of one triangle, written into the folder with the given animation.dat text.
class AnimatedModelTest : public model_test::ModelFixture {
 protected:
  std::string WriteModel(int frames, int framePercent = 0, std::vector<int32_t> keyTimes = {}) {
    contentgen::ModelFileData data;
    data.version = keyTimes.empty() ? 2 : 3;
    data.frameCount = frames;
    data.framePercent = framePercent;
    data.keyTimes = keyTimes;
    contentgen::MdlMaterial material;
    material.name = "SKIN";
    data.materials = {material};
    contentgen::ModelSurface surface;
    surface.frames = frames;
    surface.triangles = {{0, 1, 2, 0}};
    surface.uvs = {{0, 0}, {1, 0}, {0, 1}};
    for (int f = 0; f < frames; ++f) {
      surface.frameVertices.push_back({{int16_t(64 * f), 0, 0, 0, 0}, {64, 0, 0, 0, 0}, {0, 64, 0, 0, 0}});
    }
    data.surfaces = {surface};
    const std::string path = folder_ + "part.MOD";
    EXPECT_TRUE(contentgen::WriteModelFile(path, data));
    return path;
  }
  void WriteAnimation(const std::string& text) {
    EXPECT_TRUE(contentgen::WriteContentFile(folder_ + "animation.dat", std::vector<uint8_t>(text.begin(), text.end())));
  }
};

TEST_F(AnimatedModelTest, ClipLinesMapFramesByTheFrameScaleAndKeysAttachToTheirClip) {
  const std::string path = WriteModel(12, 50);
  WriteAnimation("<KEY>:WALK:1:early # before its clip: ignored\n"
                 "WALK:10:21:30\n"
                 "<KEY>:WALK:4:STEP\n"
                 "<key>:x:1:y\n"
                 "SPACED 1 2 3\n"
                 "LONG:0:99:10\n");
  AnimatedModel animated(manager_.get(), settings_.get());
  animated.Load(device_, path, "", "");
  ASSERT_NE(animated.model, nullptr);
  ASSERT_EQ(animated.clips.size(), 3u);
  const geometry::AnimationClip& walk = *animated.clips[0];
  EXPECT_EQ(walk.firstFrame, 5u);
  EXPECT_EQ(walk.lastFrame, 11u);  // 10.5 rounds up
  EXPECT_FLOAT_EQ(walk.rate, 15.0f);
  EXPECT_EQ(walk.keyNames, (std::vector<std::string>{"STEP"}));
  EXPECT_FLOAT_EQ(walk.keyTimes[0], 2.0f);
  EXPECT_EQ(animated.FindClip("<key>"), 1);  // lower case is a clip name
  EXPECT_EQ(animated.clips[2]->lastFrame, 11u);  // past the end: the last stored frame
  EXPECT_EQ(animated.GetClipLength("WALK"), 6u);
  EXPECT_EQ(animated.GetClipLength("walk"), 0u);
  // Loading plays clip 0 at its first frame.
  ASSERT_NE(animated.ActiveState(), nullptr);
  EXPECT_EQ(animated.ActiveState()->frame, 5u);
}

TEST_F(AnimatedModelTest, KeyTimesMapAuthoringFramesToStoredFrames) {
  const std::string path = WriteModel(4, 0, {0, 2, 4, 6});
  WriteAnimation("RUN:5:6:30\n");
  AnimatedModel animated(manager_.get(), settings_.get());
  animated.Load(device_, path, "", "");
  ASSERT_EQ(animated.clips.size(), 1u);
  EXPECT_EQ(animated.clips[0]->firstFrame, 3u);  // key 2 (time 4) + round(1.0)
  EXPECT_EQ(animated.clips[0]->lastFrame, 3u);
}

TEST_F(AnimatedModelTest, PlayingLoopsFromTheLastFrameBackToTheFirst) {
  const std::string path = WriteModel(30);
  WriteAnimation("SPIN:10:20:30\nHOLD:4:4:30\n");
  AnimatedModel animated(manager_.get(), settings_.get());
  animated.Load(device_, path, "", "");
  auto expect = [&](float offset, uint32_t frame, uint32_t next, float fraction) {
    animated.PlayClipByName("SPIN", offset);
    ASSERT_NE(animated.ActiveState(), nullptr);
    EXPECT_EQ(animated.ActiveState()->frame, frame) << offset;
    EXPECT_EQ(animated.ActiveState()->nextFrame, next) << offset;
    EXPECT_FLOAT_EQ(animated.ActiveState()->fraction, fraction) << offset;
    EXPECT_EQ(animated.activeStates.size(), 1u);
  };
  expect(25, 15, 16, 0);
  expect(10, 20, 10, 0);
  expect(9.5f, 19, 20, 0.5f);
  animated.PlayClipByName("HOLD", 100);  // a one-frame clip stays on its frame
  EXPECT_EQ(animated.ActiveState()->frame, 4u);
  animated.PlayClipByName("NOPE", 3);  // unknown names keep the pose
  EXPECT_EQ(animated.ActiveState()->frame, 4u);
  animated.PlayClip(7, 0);
  EXPECT_EQ(animated.ActiveState()->frame, 4u);
  animated.StopAll();
  EXPECT_EQ(animated.ActiveState(), nullptr);
}

TEST_F(AnimatedModelTest, DrawingShowsThePlayedPoseOnce) {
  const std::string path = WriteModel(30);
  WriteAnimation("SPIN:10:20:30\n");
  AnimatedModel animated(manager_.get(), settings_.get());
  animated.Load(device_, path, "", "");
  animated.PlayClipByName("SPIN", 2.5f);
  device_->log.clear();
  animated.Draw(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(device_->Count(model_test::Call::Kind::IndexedDraw), 1u);
  const uint32_t writes = animated.model->PoseWrites();
  animated.Draw(device_, platform::gfx::IdentityMatrix());
  animated.DrawSimple(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(animated.model->PoseWrites(), writes);
}

TEST_F(AnimatedModelTest, MissingFilesLeaveNoClipsAndDrawNothing) {
  AnimatedModel animated(manager_.get(), settings_.get());
  animated.Load(device_, folder_ + "absent.MOD", "", "");
  EXPECT_TRUE(animated.clips.empty());
  EXPECT_EQ(animated.ActiveState(), nullptr);
  device_->log.clear();
  animated.Draw(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(device_->Count(model_test::Call::Kind::IndexedDraw), 0u);
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
  // Each draw shows its own driver's pose on the shared vertices.
  const uint32_t writes = first->model->PoseWrites();
  first->Draw(device_, platform::gfx::IdentityMatrix());
  second->Draw(device_, platform::gfx::IdentityMatrix());
  EXPECT_EQ(first->model->PoseWrites(), writes + 2);
  geometry::ReleaseAnimatedModel(*manager_, first);
  geometry::ReleaseAnimatedModel(*manager_, second);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kAnimatedModel, first)->refCount, 0);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kAnimatedModel, second)->refCount, 0);
}

}  // namespace
