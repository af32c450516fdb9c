// Tests of the stencil shadow volume: silhouette edges, extrusion, buffer capacity and ring placement, and the
// two stencil passes with their restore.
#include "geometry/models/shadow_volume.h"

#include <cmath>
#include <map>

#include <gtest/gtest.h>

#include "model_test_support.h"
#include "platform/math/math.h"

namespace {

using geometry::ModelGeometry;
using geometry::ShadowVolume;
using model_test::Call;
using model_test::R;
using platform::Vec3;
using platform::gfx::RenderState;

// A closed unit cube of 12 outward-facing triangles.
ModelGeometry Cube() {
  ModelGeometry cube;
  for (int i = 0; i < 8; ++i) cube.SetPosition({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
  // Each side as two triangles (a, b, c) whose normal (C - B) x (B - A) points outward.
  const uint32_t sides[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
  for (const auto& q : sides) {
    cube.AddTriangle(q[2], q[1], q[0]);
    cube.AddTriangle(q[3], q[2], q[0]);
  }
  cube.Finalize();
  cube.ComputeFaceNormals();
  return cube;
}

// An open fan of `triangles` flat triangles around a centre: triangles + 2 silhouette edges when lit.
ModelGeometry Fan(uint32_t triangles) {
  ModelGeometry fan;
  fan.SetPosition({0, 0, 0});
  for (uint32_t i = 0; i <= triangles; ++i) {
    const float angle = 3.0f * float(i) / float(triangles);
    fan.SetPosition({std::cos(angle), 0, std::sin(angle)});
  }
  for (uint32_t i = 1; i <= triangles; ++i) fan.AddTriangle(0, i, i + 1);
  fan.Finalize();
  fan.ComputeFaceNormals();
  return fan;
}

class ShadowVolumeTest : public model_test::ModelFixture {};

TEST_F(ShadowVolumeTest, CubeOutwardNormalsAndDiagonalSilhouetteIsAClosedHexagon) {
  const ModelGeometry cube = Cube();
  for (size_t t = 0; t < cube.TriangleCount(); ++t) {
    const Vec3 centre = (cube.GetPosition(cube.CornerA()[t]) + cube.GetPosition(cube.CornerB()[t]) +
                         cube.GetPosition(cube.CornerC()[t])) * (1.0f / 3.0f);
    EXPECT_GT(platform::Dot(cube.FaceNormals()[t], centre - Vec3{0.5f, 0.5f, 0.5f}), 0.0f) << "triangle " << t;
  }
  const Vec3 light{1, 1, 1};
  const auto edges = ShadowVolume::SilhouetteEdges(cube, light);
  ASSERT_EQ(edges.size(), 6u);
  // A closed loop: every corner of the silhouette starts one edge and ends one edge.
  std::map<uint32_t, int> starts, ends;
  for (const auto& [a, b] : edges) {
    ++starts[a];
    ++ends[b];
    EXPECT_NE(a, 0u);  // the corners nearest to and farthest from the light are inside the silhouette
    EXPECT_NE(a, 7u);
  }
  EXPECT_EQ(starts.size(), 6u);
  for (const auto& [corner, count] : starts) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(ends[corner], 1);
  }

  ShadowVolume volume(device_);
  ASSERT_EQ(volume.Build(cube, light * 100.0f), platform::kOk);
  EXPECT_EQ(volume.VertexCount(), 36u);
  // Each quad: P[a], P[b], P[a] - L, then P[b], P[b] - L, P[a] - L.
  uint8_t* data = nullptr;
  ASSERT_EQ(volume.Buffer()->Lock(0, 36 * 12, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  const Vec3* written = reinterpret_cast<const Vec3*>(data);
  for (size_t e = 0; e < edges.size(); ++e) {
    const Vec3 a = cube.GetPosition(edges[e].first), b = cube.GetPosition(edges[e].second);
    const Vec3 expected[6] = {a, b, a - light * 100.0f, b, b - light * 100.0f, a - light * 100.0f};
    for (int k = 0; k < 6; ++k) {
      EXPECT_FLOAT_EQ(written[e * 6 + k].x, expected[k].x);
      EXPECT_FLOAT_EQ(written[e * 6 + k].y, expected[k].y);
      EXPECT_FLOAT_EQ(written[e * 6 + k].z, expected[k].z);
    }
  }
  volume.Buffer()->Unlock();
}

TEST_F(ShadowVolumeTest, EdgesCancelInEitherDirectionAndPerpendicularFacesCountAsLit) {
  ModelGeometry quad;
  quad.SetPosition({0, 0, 0});
  quad.SetPosition({1, 0, 0});
  quad.SetPosition({1, 0, 1});
  quad.SetPosition({0, 0, 1});
  quad.AddTriangle(0, 1, 2);
  quad.AddTriangle(0, 2, 3);  // meets the shared edge 0-2 in the same direction
  quad.Finalize();
  quad.ComputeFaceNormals();
  const Vec3 up = quad.FaceNormals()[0];
  EXPECT_EQ(ShadowVolume::SilhouetteEdges(quad, up).size(), 4u);
  // Light along the plane: normal . L = 0 still counts as lit.
  EXPECT_EQ(ShadowVolume::SilhouetteEdges(quad, {1, 0, 0}).size(), 4u);
  EXPECT_TRUE(ShadowVolume::SilhouetteEdges(quad, up * -1.0f).empty());
}

TEST_F(ShadowVolumeTest, CapacityLimitSwitchesTheVolumeOffUntilRestore) {
  const ModelGeometry fits = Fan(5331);      // 5333 edges: 31998 positions
  const ModelGeometry tooLarge = Fan(5332);  // 5334 edges
  const Vec3 light = fits.FaceNormals()[0];
  ShadowVolume volume(device_);
  ASSERT_EQ(volume.Build(fits, light), platform::kOk);
  EXPECT_EQ(volume.VertexCount(), 31998u);
  EXPECT_EQ(volume.StartVertex(), 0u);
  EXPECT_EQ(volume.Build(tooLarge, light), platform::kFail);
  EXPECT_FALSE(volume.Valid());
  EXPECT_EQ(volume.Build(fits, light), platform::kFail);
  volume.Release();
  volume.Restore(device_);
  EXPECT_TRUE(volume.Valid());
  EXPECT_EQ(volume.Build(fits, light), platform::kOk);
}

TEST_F(ShadowVolumeTest, VolumesFollowEachOtherInTheRingAndWrapToTheStart) {
  const ModelGeometry cube = Cube();
  ShadowVolume volume(device_);
  uint32_t expectedStart = 0;
  for (int build = 0; build < 900; ++build) {
    ASSERT_EQ(volume.Build(cube, {1, 1, 1}), platform::kOk);
    ASSERT_EQ(volume.StartVertex(), expectedStart) << "build " << build;
    expectedStart += 36;
    if (expectedStart + 36 >= geometry::kShadowVertexCapacity) expectedStart = 0;
  }
}

TEST_F(ShadowVolumeTest, DrawCountsFrontFacesUpAndBackFacesDownThenRestores) {
  const ModelGeometry cube = Cube();
  ShadowVolume volume(device_);
  ASSERT_EQ(volume.Build(cube, {1, 1, 1}), platform::kOk);
  device_->log.clear();
  volume.Draw(device_, platform::IdentityMatrix());
  const size_t up = device_->Find(R(RenderState::StencilPass, platform::gfx::StencilOp::IncrSat));
  const size_t firstDraw = device_->Find({Call::Kind::Draw, 0, 0, 12});
  const size_t clockwise = device_->Find(R(RenderState::CullMode, platform::gfx::CullMode::Clockwise));
  const size_t down = device_->Find(R(RenderState::StencilPass, platform::gfx::StencilOp::Decr));
  const size_t secondDraw = device_->Find({Call::Kind::Draw, 0, 0, 12}, firstDraw + 1);
  ASSERT_NE(secondDraw, std::string::npos);
  EXPECT_LT(up, firstDraw);
  EXPECT_LT(firstDraw, clockwise);
  EXPECT_LT(clockwise, down);
  EXPECT_LT(down, secondDraw);
  EXPECT_EQ(device_->RenderValue(RenderState::StencilEnable), 0u);
  EXPECT_EQ(device_->RenderValue(RenderState::ZWriteEnable), 1u);
  EXPECT_EQ(device_->RenderValue(RenderState::AlphaBlendEnable), 0u);
  EXPECT_EQ(device_->RenderValue(RenderState::CullMode), uint32_t(platform::gfx::CullMode::CounterClockwise));
  EXPECT_EQ(device_->RenderValue(RenderState::SrcBlend), uint32_t(platform::gfx::Blend::One));
  EXPECT_EQ(device_->RenderValue(RenderState::DestBlend), uint32_t(platform::gfx::Blend::Zero));
  EXPECT_EQ(device_->RenderValue(RenderState::ShadeMode), uint32_t(platform::gfx::ShadeMode::Gouraud));
}

TEST_F(ShadowVolumeTest, EmptySilhouetteDrawsNothingButStillSetsAndRestoresStates) {
  const ModelGeometry cube = Cube();
  ShadowVolume volume(device_);
  ModelGeometry empty;
  ASSERT_EQ(volume.Build(empty, {0, 1, 0}), platform::kOk);
  EXPECT_EQ(volume.VertexCount(), 0u);
  device_->log.clear();
  const uint32_t drawsBefore = device_->Stats().draws;
  volume.Draw(device_, platform::IdentityMatrix());
  EXPECT_EQ(device_->Stats().draws, drawsBefore);
  EXPECT_NE(device_->Find(R(RenderState::StencilEnable, true)), std::string::npos);
  EXPECT_EQ(device_->RenderValue(RenderState::StencilEnable), 0u);
}

TEST_F(ShadowVolumeTest, ModelShadowIsOffUntilEnabledAndSurvivesAReset) {
  contentgen::MdlFile file = model_test::BoxesFile({model_test::Material("body", 0)});
  auto model = Load(file, false);
  ASSERT_FALSE(model->Empty());
  device_->log.clear();
  model->DrawShadow(device_, platform::IdentityMatrix(), {0, -10000, 0});
  EXPECT_TRUE(device_->log.empty());
  model->EnableShadow(device_);
  EXPECT_TRUE(model->shadowEnabled);
  model->DrawShadow(device_, platform::IdentityMatrix(), {0, -10000, 0});
  EXPECT_EQ(device_->Count(Call::Kind::Draw), 2u);
  model->ReleaseShadow();
  EXPECT_FALSE(model->meshData->Shadow()->Valid());
  model->RestoreShadow(device_);
  EXPECT_TRUE(model->meshData->Shadow()->Valid());
}

}  // namespace
