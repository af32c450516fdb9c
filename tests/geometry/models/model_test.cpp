// Test of the versioned vertex-animated model file: bad files are refused with one line, their work bounded by
// their size.
#include "geometry/models/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "model_test_support.h"
#include "platform/math/math.h"

namespace {

using geometry::Model;
using model_test::TriangleModel;
using platform::Vec3;

class ModelTest : public model_test::ModelFixture {};

TEST_F(ModelTest, BadFilesAreRefusedWithOneLine) {
  auto refused = [&](const std::vector<unsigned char>& bytes, const std::string& label) {
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, bytes, "bad.mod", "")) << label;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << label;
    EXPECT_TRUE(model.Empty() && model.frameCount == 0) << label;
  };
  const std::vector<unsigned char> good = contentgen::EncodeModelFile(TriangleModel(2));
  Model loaded(manager_.get(), settings_.get());
  ASSERT_TRUE(loaded.LoadFromMemory(device_, good, "good.mod", ""));
  for (size_t size = 0; size < good.size(); ++size) refused({good.begin(), good.begin() + long(size)}, "cut");

  std::vector<contentgen::ModelFileData> bad(4, TriangleModel(1));
  bad[0].divisor = 0;
  bad[1].surfaces[0].triangles[0][2] = 3;  // a corner beyond the vertices
  bad[2].surfaces[0].frames = 2;           // more surface frames than the model has
  bad[2].surfaces[0].frameVertices.push_back(bad[2].surfaces[0].frameVertices[0]);
  // A billion frames cost a file without vertices nothing, but walking them would take seconds.
  bad[3].surfaces.clear();
  bad[3].frameCount = 1 << 30;
  for (size_t i = 0; i < bad.size(); ++i) refused(contentgen::EncodeModelFile(bad[i]), "case " + std::to_string(i));
  // A surface must hold its records: one of size 0 would be read again and again at the same place.
  const std::vector<unsigned char> one = contentgen::EncodeModelFile(TriangleModel(1));
  const size_t surfaceBytes = 104 + 16 + 3 * 8 + 3 * 8;
  for (int32_t size : {0, 104, int32_t(surfaceBytes) - 1}) {
    std::vector<unsigned char> bytes = one;
    std::memcpy(&bytes[bytes.size() - surfaceBytes + 100], &size, 4);
    refused(bytes, "surface size " + std::to_string(size));
  }
}

// Version 1 files (no prefix) are read from the start with the divisor 64; later versions carry scale and
// divisor. The frame scale comes from framePercent, clamped; normals unpack from their byte angles with y up.
TEST_F(ModelTest, VersionsDivisorsFrameScaleAndNormalsAreReadAsTheFileSays) {
  struct VersionCase {
    int version;
    float scale;
    int32_t divisor;
    float frameOneX;  // vertex 0 of frame 1 is stored 64 units along x
  };
  const VersionCase versions[] = {{1, 3.0f, 32, 1.0f}, {2, 1.0f, 64, 1.0f}, {2, 2.0f, 32, 4.0f}, {3, 0.5f, 16, 2.0f}};
  for (const VersionCase& c : versions) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << ", divisor " << c.divisor);
    contentgen::ModelFileData data = TriangleModel(2, 0, c.version == 3 ? std::vector<int32_t>{0, 5} : std::vector<int32_t>{});
    data.version = c.version;
    data.scale = c.scale;
    data.divisor = c.divisor;  // a version 1 file has no room for them: 1 and 64 hold
    Model model(manager_.get(), settings_.get());
    ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(data), folder_ + "tri.MOD", folder_));
    ASSERT_EQ(model.frameCount, 2u);
    EXPECT_FLOAT_EQ(model.FramePositions()[model.VertexCount() + 0].x, c.frameOneX);
    EXPECT_FLOAT_EQ(model.FramePositions()[1].x, 64.0f / (c.version == 1 ? 64 : c.divisor) * (c.version == 1 ? 1 : c.scale));
  }

  struct PercentCase {
    int32_t framePercent;
    float frameScale;
  };
  for (const PercentCase& c : {PercentCase{0, 1.0f}, PercentCase{50, 0.5f}, PercentCase{95, 0.1f},
                               PercentCase{100, 0.1f}, PercentCase{-20, 1.0f}}) {
    Model model(manager_.get(), settings_.get());
    ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(TriangleModel(2, c.framePercent)),
                                     folder_ + "tri.MOD", folder_));
    EXPECT_FLOAT_EQ(model.frameScale, c.frameScale) << "framePercent " << c.framePercent;
  }

  struct NormalCase {
    uint8_t latitude, longitude;
    platform::Vec3 normal;
  };
  // A latitude step is 2π/255 (a quarter turn is 64 steps, give or take a third of a degree).
  const NormalCase normals[] = {{0, 0, {0, 1, 0}}, {0, 200, {0, 1, 0}}, {64, 0, {1, 0, 0}},
                                {64, 64, {0, 0, 1}}, {64, 128, {-1, 0, 0}}, {128, 0, {0, -1, 0}}};
  for (const NormalCase& c : normals) {
    SCOPED_TRACE(testing::Message() << "angles " << int(c.latitude) << ", " << int(c.longitude));
    contentgen::ModelFileData data = TriangleModel(1);
    data.surfaces[0].frameVertices[0][0].latitude = c.latitude;
    data.surfaces[0].frameVertices[0][0].longitude = c.longitude;
    Model model(manager_.get(), settings_.get());
    ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(data), folder_ + "tri.MOD", folder_));
    const platform::Vec3 n = model.FrameNormals()[0];
    EXPECT_NEAR(n.x, c.normal.x, 0.02f);
    EXPECT_NEAR(n.y, c.normal.y, 0.02f);
    EXPECT_NEAR(n.z, c.normal.z, 0.02f);
  }
}

// Showing a pose writes positions and normals between two stored frames; frames past the last show the last, and
// the same pose again writes nothing.
TEST_F(ModelTest, PosesBlendBetweenFramesAndAreWrittenOnlyWhenTheyChange) {
  Model model(manager_.get(), settings_.get());
  ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(TriangleModel(3)), folder_ + "tri.MOD", folder_));
  struct Case {
    uint32_t a, b;
    float t, x;  // vertex 0 is at x = frame
  };
  const Case cases[] = {{0, 1, 0.25f, 0.25f}, {1, 2, 0.5f, 1.5f}, {2, 0, 0.5f, 1.0f}, {7, 9, 0.3f, 2.0f}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " to " << c.b << " at " << c.t);
    const uint32_t writes = model.PoseWrites();
    model.ShowPose(c.a, c.b, c.t);
    EXPECT_EQ(model.PoseWrites(), writes + 1);
    model.ShowPose(c.a, c.b, c.t);
    EXPECT_EQ(model.PoseWrites(), writes + 1) << "the pose already shown";
    const auto vertices = model_test::Vertices(*model.mesh->Drawable().meshData);
    ASSERT_FALSE(vertices.empty());
    EXPECT_NEAR(vertices[0].position.x, c.x, 1e-5f);
  }
}

// The mesh of a model: empty when made; SetGeometry shows frame 0 and keeps every frame; a batch is listed under
// its kind; the front state's pose is shown, and no state leaves the last pose in the buffer.
TEST_F(ModelTest, ModelMeshKeepsTheFramesShowsFrameZeroAndThenTheFrontStatesPose) {
  geometry::ModelMesh mesh(manager_.get(), settings_.get());
  EXPECT_TRUE(mesh.FramePositions().empty() && mesh.VertexCount() == 0 && mesh.Drawable().meshData == nullptr);
  EXPECT_EQ(mesh.AddBatch(manager_.get(), settings_.get(), {}, 0, geometry::MaterialKind::Plain, false), -1);

  // Three vertices over two frames: frame 1 moves every vertex 10 along x and turns the normals to +x.
  const std::vector<Vec3> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {10, 0, 0}, {11, 0, 0}, {10, 1, 0}};
  const std::vector<Vec3> normals = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
  const std::vector<Vec3> uvs = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  ASSERT_TRUE(mesh.SetGeometry(device_, 3, 1, positions, uvs, normals));
  EXPECT_EQ(mesh.FrameCount(), 2u);
  EXPECT_EQ(mesh.FramePositions(), positions);
  EXPECT_EQ(mesh.AddBatch(manager_.get(), settings_.get(), {{0, 1, 2, 4}}, 4, geometry::MaterialKind::AlphaLast, true),
            0);
  EXPECT_EQ(mesh.Drawable().kindLists[geometry::KindIndex(geometry::MaterialKind::AlphaLast)].size(), 1u);
  EXPECT_EQ(mesh.Drawable().meshData->Batches()[0]->faceCount, 2u) << "double-sided";
  mesh.Optimize(device_);
  ASSERT_EQ(mesh.VertexCount(), 3u);
  auto vertexOf = [&](const Vec3& framePosition) {
    const auto vertices = model_test::Vertices(*mesh.Drawable().meshData);
    for (const auto& vertex : vertices) {
      if (vertex.position == framePosition) return vertex;
    }
    return geometry::MeshVertex{{-1, -1, -1}, {}, 0, 0};
  };
  EXPECT_EQ(vertexOf({1, 0, 0}).normal, (Vec3{0, 1, 0})) << "frame 0 shown after building";

  mesh.ApplyClipStates(nullptr);
  EXPECT_EQ(mesh.PoseWrites(), 0u) << "no state: the buffer keeps its pose";
  geometry::ClipState state;
  state.frame = 0;
  state.nextFrame = 1;
  state.fraction = 0.5f;
  mesh.ApplyClipStates(&state);
  EXPECT_EQ(mesh.PoseWrites(), 1u);
  const geometry::MeshVertex halfway = vertexOf({6, 0, 0});
  EXPECT_EQ(halfway.normal, (Vec3{0.5f, 0.5f, 0})) << "normals blend without renormalising";
  EXPECT_FLOAT_EQ(halfway.u, 1.0f) << "texture coordinates stay";
  mesh.ApplyClipStates(&state);
  EXPECT_EQ(mesh.PoseWrites(), 1u) << "the pose already shown";
  EXPECT_FALSE(mesh.SetGeometry(device_, 4, 1, positions, uvs, normals)) << "fewer frame entries than vertices";
}

// The versioned file's first string: "V1.0" is no version of its own, so a file starting with it is read from
// offset 0 and those bytes land in the header (here as an impossible frame count: refused). A file without
// materials has one slot "NONE" that every triangle counts as: no batch, nothing drawn, while its frames, box
// and tags load. A triangle of slot -1 counts as the last slot.
TEST_F(ModelTest, AV1PrefixIsHeaderBytesNoMaterialsMeansOneNoneSlotAndSlotMinusOneIsTheLast) {
  contentgen::ModelFileData v1 = TriangleModel(2);
  v1.version = 1;
  const std::vector<unsigned char> plain = contentgen::EncodeModelFile(v1);
  Model model(manager_.get(), settings_.get());
  ASSERT_TRUE(model.LoadFromMemory(device_, plain, "v1.mod", ""));
  EXPECT_EQ(model.frameCount, 2u);
  std::vector<unsigned char> prefixed = {'V', '1', '.', '0', '\0'};
  prefixed.insert(prefixed.end(), plain.begin(), plain.end());
  testing::internal::CaptureStdout();
  EXPECT_FALSE(model.LoadFromMemory(device_, prefixed, "prefixed.mod", ""));
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("prefixed.mod"), std::string::npos) << printed;
  EXPECT_TRUE(model.Empty() && model.frameCount == 0);

  contentgen::ModelFileData bare = TriangleModel(2);
  bare.materials.clear();
  bare.tags = {{"TAG_HEAD", {{1, 2, 3}, {4, 5, 6}}, {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}}}};
  ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(bare), "bare.mod", ""));
  EXPECT_EQ(model.slotCount, 1u);
  EXPECT_EQ(model.materialNames, std::vector<std::string>{"NONE"});
  ASSERT_NE(model.mesh, nullptr);
  EXPECT_TRUE(model.mesh->Drawable().meshData->Batches().empty()) << "no batch for the NONE slot";
  EXPECT_EQ(model.FramePositions().size(), 2u * model.VertexCount());
  EXPECT_EQ(model.boxMax, (Vec3{1, 1, 0}));
  ASSERT_EQ(model.tags.size(), 1u);
  EXPECT_EQ(model.tags[0].positions[1], (Vec3{4, 5, 6}));
  device_->ClearRecords();
  model.DrawByKind(device_, platform::IdentityMatrix(), nullptr, nullptr);
  EXPECT_TRUE(device_->Draws().empty()) << "draws nothing";

  const struct {
    int32_t slot;
    int32_t batchOf;
  } slots[] = {{-1, 1}, {0, 0}, {1, 1}};
  for (const auto& c : slots) {
    SCOPED_TRACE(c.slot);
    contentgen::ModelFileData two = TriangleModel(1);
    two.materials = {model_test::Material("FIRST", 0), model_test::Material("LAST", 1)};
    two.surfaces[0].triangles[0][3] = c.slot;
    ASSERT_TRUE(model.LoadFromMemory(device_, contentgen::EncodeModelFile(two), "two.mod", ""));
    const auto& batches = model.mesh->Drawable().meshData->Batches();
    ASSERT_EQ(batches.size(), 1u) << "only the slot the triangle counts as is used";
    EXPECT_EQ(batches[0]->materialId, c.batchOf);
    EXPECT_EQ(batches[0]->faceCount, 1u);
  }
}

}  // namespace
