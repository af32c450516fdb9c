// Tests of the versioned vertex-animated model file: versions and scales, tags, key times, poses written between
// frames, and bad files.
#include "geometry/models/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "contentgen/animated_models.h"
#include "contentgen/model_file_writer.h"
#include "model_test_support.h"

namespace {

using contentgen::ModelFileData;
using contentgen::PackedVertex;
using geometry::Model;
using platform::Vec3;

// One triangle over three vertices, `frames` frames: vertex 0 moves by 64 file units along x per frame.
ModelFileData Triangle(int version, int frames) {
  ModelFileData data;
  data.version = version;
  data.frameCount = frames;
  data.materials = {model_test::Material("SKIN", 0)};
  contentgen::ModelSurface surface;
  surface.name = "body";
  surface.frames = frames;
  surface.triangles = {{0, 1, 2, 0}};
  surface.uvs = {{0, 0}, {1, 0}, {0, 1}};
  for (int f = 0; f < frames; ++f) {
    surface.frameVertices.push_back({PackedVertex{int16_t(64 * f), 0, 0, 0, 0}, PackedVertex{64, 0, 0, 64, 0},
                                     PackedVertex{0, 128, 0, 0, 0}});
  }
  data.surfaces = {surface};
  return data;
}

class ModelTest : public model_test::ModelFixture {
 protected:
  std::unique_ptr<Model> LoadData(const ModelFileData& data) {
    auto model = std::make_unique<Model>(manager_.get(), settings_.get());
    model->LoadFromMemory(device_, contentgen::EncodeModelFile(data), folder_ + "test.mod", folder_);
    return model;
  }
};

TEST_F(ModelTest, VersionsScaleTheFramesAndVersionThreeAddsKeyTimesAndTags) {
  EXPECT_FLOAT_EQ(LoadData(Triangle(1, 2))->boxMax.y, 2.0f);  // 128 file units over 64
  ModelFileData whole = Triangle(2, 2);
  whole.divisor = 1;
  whole.scale = 0.5f;
  EXPECT_FLOAT_EQ(LoadData(whole)->boxMax.x, 32.0f);
  ModelFileData data = Triangle(3, 4);
  data.keyTimes = {0, 2, 4, 6};
  contentgen::ModelTagRecord tag;
  tag.name = "HEAD";
  for (int f = 0; f < 4; ++f) {
    tag.positions.push_back({float(f), 0, 0});
    tag.rotations.push_back({1, 0, 0, 0, 1, 0, 0, 0, 1});
  }
  data.tags = {tag};
  auto model = LoadData(data);
  for (const auto& [time, frame] : {std::pair{5, 2u}, {6, 3u}, {-1, 0u}}) EXPECT_EQ(model->FindKeyFrame(time), frame) << time;
  ASSERT_EQ(model->tags.size(), 1u);
  EXPECT_EQ(model->tags[0].positions[3].x, 3.0f);
}

TEST_F(ModelTest, PosesBlendTwoFramesAndAreWrittenOnlyWhenTheyChange) {
  auto model = LoadData(Triangle(2, 3));
  ASSERT_FALSE(model->Empty());
  // The buffer vertex that moves (vertex 0 of the file); after optimisation the order is the buffer's.
  uint32_t moving = 0;
  for (uint32_t v = 0; v < model->VertexCount(); ++v)
    if (model->FramePositions()[2 * model->VertexCount() + v].x == 2.0f) moving = v;
  auto shownX = [&] { return model_test::Vertices(*model->Drawable().meshData)[moving].position.x; };
  model->ShowPose(0, 2, 0.25f);
  EXPECT_FLOAT_EQ(shownX(), 0.5f);
  const uint32_t writes = model->PoseWrites();
  model->ShowPose(0, 2, 0.25f);
  EXPECT_EQ(model->PoseWrites(), writes);
  model->ShowPose(1, 1, 0.7f);  // the same frame twice shows that frame
  EXPECT_FLOAT_EQ(shownX(), 1.0f);
  model->ShowPose(9, 9, 0);  // beyond the last frame: the last frame
  EXPECT_FLOAT_EQ(shownX(), 2.0f);
}

TEST_F(ModelTest, BadFilesAreRefusedWithOneLine) {
  auto refused = [&](const std::vector<unsigned char>& bytes, const std::string& label) {
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, bytes, "bad.mod", "")) << label;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << label;
    EXPECT_TRUE(model.Empty() && model.frameCount == 0) << label;
  };
  const std::vector<unsigned char> good = contentgen::EncodeModelFile(Triangle(2, 2));
  for (size_t size = 0; size < good.size(); ++size) refused({good.begin(), good.begin() + long(size)}, "cut");

  std::vector<ModelFileData> bad(4, Triangle(2, 1));
  bad[0].divisor = 0;
  bad[1].surfaces[0].triangles[0][2] = 3;  // a corner beyond the vertices
  bad[2].surfaces[0].frames = 2;           // more surface frames than the model has
  bad[2].surfaces[0].frameVertices.push_back(bad[2].surfaces[0].frameVertices[0]);
  // A billion frames cost a file without vertices nothing, but walking them would take seconds.
  bad[3].surfaces.clear();
  bad[3].frameCount = 1 << 30;
  for (size_t i = 0; i < bad.size(); ++i) refused(contentgen::EncodeModelFile(bad[i]), "case " + std::to_string(i));
  // A surface must hold its records: one of size 0 would be read again and again at the same place.
  const std::vector<unsigned char> one = contentgen::EncodeModelFile(Triangle(2, 1));
  const size_t surfaceBytes = 104 + 16 + 3 * 8 + 3 * 8;
  for (int32_t size : {0, 104, int32_t(surfaceBytes) - 1}) {
    std::vector<unsigned char> bytes = one;
    std::memcpy(&bytes[bytes.size() - surfaceBytes + 100], &size, 4);
    refused(bytes, "surface size " + std::to_string(size));
  }
}

}  // namespace
