// Tests of the versioned vertex-animated model file: versions and scales, frames and normals, tags, key times,
// materials, bad files, and poses written between frames.
#include "geometry/models/model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

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
  contentgen::MdlMaterial material;
  material.name = "SKIN";
  data.materials = {material};
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
  // Vertex v of the vertex buffer (after optimisation the order is the buffer's).
  geometry::MeshVertex BufferVertex(const Model& model, uint32_t v) {
    geometry::MeshVertex vertex;
    uint8_t* data = nullptr;
    EXPECT_EQ(model.Drawable().meshData->VertexBuffer()->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly),
              platform::kOk);
    std::memcpy(&vertex, data + v * sizeof(vertex), sizeof(vertex));
    model.Drawable().meshData->VertexBuffer()->Unlock();
    return vertex;
  }
};

TEST_F(ModelTest, VersionOneUsesDivisor64AndVersionTwoItsOwnScale) {
  auto v1 = LoadData(Triangle(1, 2));
  ASSERT_FALSE(v1->Empty());
  EXPECT_EQ(v1->frameCount, 2u);
  EXPECT_FLOAT_EQ(v1->boxMax.x, 1.0f);  // 64 file units
  EXPECT_FLOAT_EQ(v1->boxMax.y, 2.0f);
  EXPECT_EQ(v1->meshName, "body");
  ModelFileData whole = Triangle(2, 2);
  whole.divisor = 1;
  whole.scale = 0.5f;
  auto v2 = LoadData(whole);
  EXPECT_FLOAT_EQ(v2->boxMax.x, 32.0f);
  EXPECT_FLOAT_EQ(v2->boxMax.y, 64.0f);
  EXPECT_EQ(v2->materialNames, (std::vector<std::string>{"SKIN"}));
  ASSERT_EQ(v2->Drawable().kindLists[0].size(), 1u);
}

TEST_F(ModelTest, FramePercentSetsTheFrameScaleWithinItsLimits) {
  const std::pair<int, float> cases[] = {{0, 1.0f}, {50, 0.5f}, {95, 0.1f}, {-20, 1.0f}};
  for (const auto& [percent, scale] : cases) {
    ModelFileData data = Triangle(2, 1);
    data.framePercent = percent;
    EXPECT_FLOAT_EQ(LoadData(data)->frameScale, scale) << percent;
  }
}

TEST_F(ModelTest, NormalsDecodeWithYAsThePole) {
  auto model = LoadData(Triangle(2, 1));
  ASSERT_FALSE(model->Empty());
  bool sawUp = false, sawSide = false;
  for (uint32_t v = 0; v < model->VertexCount(); ++v) {
    const Vec3 n = model->FrameNormals()[v];
    sawUp = sawUp || (n.x == 0.0f && n.y == 1.0f);
    sawSide = sawSide || (std::fabs(n.x - 1.0f) < 1e-3f && std::fabs(n.y) < 0.01f);
  }
  EXPECT_TRUE(sawUp);
  EXPECT_TRUE(sawSide);
}

TEST_F(ModelTest, PosesBlendTwoFramesAndAreWrittenOnlyWhenTheyChange) {
  auto model = LoadData(Triangle(2, 3));
  ASSERT_FALSE(model->Empty());
  // Find the buffer vertex that moves (vertex 0 of the file).
  uint32_t moving = 0;
  for (uint32_t v = 0; v < model->VertexCount(); ++v)
    if (model->FramePositions()[2 * model->VertexCount() + v].x == 2.0f) moving = v;
  model->ShowPose(0, 2, 0.25f);
  EXPECT_FLOAT_EQ(BufferVertex(*model, moving).position.x, 0.5f);
  const uint32_t writes = model->PoseWrites();
  model->ShowPose(0, 2, 0.25f);
  EXPECT_EQ(model->PoseWrites(), writes);
  model->ShowPose(1, 1, 0.7f);  // the same frame twice shows that frame
  EXPECT_FLOAT_EQ(BufferVertex(*model, moving).position.x, 1.0f);
  model->ShowPose(9, 9, 0);  // beyond the last frame: the last frame
  EXPECT_FLOAT_EQ(BufferVertex(*model, moving).position.x, 2.0f);
}

TEST_F(ModelTest, KeyTimesAndTagsLoadFromVersionThree) {
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
  ASSERT_FALSE(model->Empty());
  EXPECT_EQ(model->keyTimes, (std::vector<int32_t>{0, 2, 4, 6}));
  EXPECT_EQ(model->FindKeyFrame(5), 2u);
  EXPECT_EQ(model->FindKeyFrame(6), 3u);
  EXPECT_EQ(model->FindKeyFrame(-1), 0u);
  ASSERT_EQ(model->tags.size(), 1u);
  EXPECT_EQ(model->tags[0].name, "HEAD");
  EXPECT_EQ(model->tags[0].positions[3].x, 3.0f);
  EXPECT_FLOAT_EQ(model->tags[0].rotations[0].w, 1.0f);
}

TEST_F(ModelTest, NoMaterialsLoadFramesButDrawNothingAndLastSlotTakesStraySlots) {
  ModelFileData none = Triangle(2, 1);
  none.materials.clear();
  auto model = LoadData(none);
  ASSERT_FALSE(model->Empty());
  EXPECT_EQ(model->materialNames, (std::vector<std::string>{"NONE"}));
  EXPECT_TRUE(model->Drawable().meshData->Batches().empty());
  ModelFileData stray = Triangle(2, 1);
  stray.materials.push_back(stray.materials[0]);
  stray.materials[1].id = 1;
  stray.surfaces[0].triangles[0][3] = -1;
  auto clamped = LoadData(stray);
  ASSERT_EQ(clamped->Drawable().meshData->Batches().size(), 1u);
  EXPECT_EQ(clamped->Drawable().meshData->Batches()[0]->materialId, 1);
}

TEST_F(ModelTest, BadFilesAreRefusedWithOneLine) {
  const std::vector<unsigned char> good = contentgen::EncodeModelFile(Triangle(2, 2));
  for (size_t size = 0; size < good.size(); ++size) {
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, std::vector<unsigned char>(good.begin(), good.begin() + long(size)),
                                      "cut.mod", ""))
        << size;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << size;
    EXPECT_TRUE(model.Empty());
  }
  auto refused = [&](ModelFileData data, const char* what) {
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(data), "bad.mod", "")) << what;
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(model.Empty()) << what;
  };
  ModelFileData zeroDivisor = Triangle(2, 1);
  zeroDivisor.divisor = 0;
  refused(zeroDivisor, "divisor");
  ModelFileData badCorner = Triangle(2, 1);
  badCorner.surfaces[0].triangles[0][2] = 3;
  refused(badCorner, "corner");
  ModelFileData tooManyFrames = Triangle(2, 1);
  tooManyFrames.surfaces[0].frames = 2;
  tooManyFrames.surfaces[0].frameVertices.push_back(tooManyFrames.surfaces[0].frameVertices[0]);
  refused(tooManyFrames, "surface frames");
  // A billion frames cost a file without vertices nothing, but walking them would take seconds.
  ModelFileData framesWithoutVertices = Triangle(2, 1);
  framesWithoutVertices.surfaces.clear();
  framesWithoutVertices.frameCount = 1 << 30;
  refused(framesWithoutVertices, "frames without vertices");
  // A surface must hold its records: one of size 0 would be read again and again at the same place.
  const std::vector<unsigned char> one = contentgen::EncodeModelFile(Triangle(2, 1));
  const size_t surfaceBytes = 104 + 16 + 3 * 8 + 3 * 8;
  for (int32_t size : {0, 104, int32_t(surfaceBytes) - 1}) {
    std::vector<unsigned char> bytes = one;
    std::memcpy(&bytes[bytes.size() - surfaceBytes + 100], &size, 4);
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, bytes, "overlap.mod", "")) << size;
    testing::internal::GetCapturedStdout();
  }
  Model missing(manager_.get(), settings_.get());
  EXPECT_FALSE(missing.Load(device_, folder_ + "absent.mod", ""));
}

TEST_F(ModelTest, DriverSampleLoadsWithItsSteeringFrames) {
  ASSERT_TRUE(contentgen::WriteDriverModel(folder_));
  Model model(manager_.get(), settings_.get());
  ASSERT_TRUE(model.Load(device_, folder_ + contentgen::kDriverModel, folder_));
  EXPECT_EQ(model.frameCount, uint32_t(contentgen::kDriverFrames));
  EXPECT_EQ(model.Drawable().meshData->Batches().size(), 1u);
  EXPECT_TRUE(model.Drawable().meshData->Batches()[0]->image->loaded);
  EXPECT_LT(model.boxMin.x, -7.0f);  // leaning left at frame 0
  EXPECT_GT(model.boxMax.x, 7.0f);   // and right at the last frame
}

}  // namespace
