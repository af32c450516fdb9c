// Tests of the stencil shadow volume: silhouette edges, extrusion, buffer capacity and ring placement, and the
// two stencil passes with their restore.
#include "geometry/models/shadow_volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "model_test_support.h"
#include "platform/math/math.h"

namespace {

using geometry::ModelGeometry;
using geometry::ShadowVolume;
using platform::Vec3;
using platform::gfx::RenderState;

// A closed unit cube of 12 triangles whose normals (C − B) × (B − A) point outward.
ModelGeometry Cube() {
  ModelGeometry cube;
  for (int i = 0; i < 8; ++i) cube.SetPosition({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
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
  for (uint32_t i = 0; i <= triangles; ++i) fan.SetPosition({std::cos(3.0f * i / triangles), 0, std::sin(3.0f * i / triangles)});
  for (uint32_t i = 1; i <= triangles; ++i) fan.AddTriangle(0, i, i + 1);
  fan.Finalize();
  fan.ComputeFaceNormals();
  return fan;
}

class ShadowVolumeTest : public model_test::ModelFixture {};

TEST_F(ShadowVolumeTest, DiagonalSilhouetteOfACubeIsAClosedHexagonExtrudedAwayFromTheLight) {
  const ModelGeometry cube = Cube();
  const Vec3 light{1, 1, 1};
  const auto edges = ShadowVolume::SilhouetteEdges(cube, light);
  ASSERT_EQ(edges.size(), 6u);
  // A closed loop: every corner of the silhouette starts one edge and ends one edge; the corners nearest to and
  // farthest from the light are inside it.
  std::map<uint32_t, int> starts, ends;
  for (const auto& [a, b] : edges) ++starts[a], ++ends[b];
  EXPECT_EQ(starts, ends);
  EXPECT_EQ(starts.size(), 6u);
  EXPECT_FALSE(starts.count(0) || starts.count(7));

  ShadowVolume volume(device_);
  ASSERT_EQ(volume.Build(cube, light * 100.0f), platform::kOk);
  ASSERT_EQ(volume.VertexCount(), 36u);
  // Each quad: P[a], P[b], P[a] - L, then P[b], P[b] - L, P[a] - L.
  uint8_t* data = nullptr;
  ASSERT_EQ(volume.Buffer()->Lock(0, 36 * 12, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  const Vec3* written = reinterpret_cast<const Vec3*>(data);
  for (size_t e = 0; e < edges.size(); ++e) {
    const Vec3 a = cube.GetPosition(edges[e].first), b = cube.GetPosition(edges[e].second), far = light * 100.0f;
    const Vec3 expected[6] = {a, b, a - far, b, b - far, a - far};
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(written[e * 6 + k] == expected[k]) << e << " " << k;
  }
  volume.Buffer()->Unlock();
}

TEST_F(ShadowVolumeTest, VolumesFollowEachOtherInTheRingAndTheCapacityLimitSwitchesTheVolumeOffUntilRestore) {
  // Volumes follow each other in the ring and wrap to its start before they would run past its end.
  ShadowVolume volume(device_);
  uint32_t expectedStart = 0;
  for (int build = 0; build < 900; ++build) {
    ASSERT_EQ(volume.Build(Cube(), {1, 1, 1}), platform::kOk);
    ASSERT_EQ(volume.StartVertex(), expectedStart) << "build " << build;
    expectedStart += 36;
    if (expectedStart + 36 >= geometry::kShadowVertexCapacity) expectedStart = 0;
  }
  const ModelGeometry fits = Fan(5331);      // 5333 edges: 31998 positions
  const ModelGeometry tooLarge = Fan(5332);  // 5334 edges
  const Vec3 light = fits.FaceNormals()[0];
  ShadowVolume fresh(device_);
  ASSERT_EQ(fresh.Build(fits, light), platform::kOk);
  EXPECT_EQ(fresh.VertexCount(), 31998u);
  EXPECT_EQ(fresh.Build(tooLarge, light), platform::kFail);
  EXPECT_FALSE(fresh.Valid());
  EXPECT_EQ(fresh.Build(fits, light), platform::kFail);
  fresh.Release();
  fresh.Restore(device_);
  EXPECT_EQ(fresh.Build(fits, light), platform::kOk);
}

TEST_F(ShadowVolumeTest, DrawCountsFrontFacesUpAndBackFacesDownThenRestoresAndModelsCastOnlyOnceEnabled) {
  ShadowVolume volume(device_);
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty silhouette" : "cube");
    ASSERT_EQ(volume.Build(empty ? ModelGeometry() : Cube(), {1, 1, 1}), platform::kOk);
    const uint32_t drawsBefore = device_->Stats().draws;
    device_->drawn.clear();
    volume.Draw(device_, platform::IdentityMatrix());
    EXPECT_EQ(device_->Stats().draws - drawsBefore, empty ? 0u : 2u);
    if (!empty) {
      ASSERT_EQ(device_->drawn.size(), 2u);
      for (const auto& drawn : device_->drawn) EXPECT_EQ(drawn.first, volume.StartVertex());
      EXPECT_EQ(device_->drawn[0].Render(RenderState::StencilPass), uint32_t(platform::gfx::StencilOp::IncrSat));
      EXPECT_EQ(device_->drawn[1].Render(RenderState::StencilPass), uint32_t(platform::gfx::StencilOp::Decr));
      EXPECT_EQ(device_->drawn[1].Render(RenderState::CullMode), uint32_t(platform::gfx::CullMode::Clockwise));
      EXPECT_EQ(device_->drawn[0].Render(RenderState::ZWriteEnable), 0u);
    }
    const auto& state = device_->State();  // restored
    EXPECT_EQ(state.Render(RenderState::StencilEnable), 0u);
    EXPECT_EQ(state.Render(RenderState::ZWriteEnable), 1u);
    EXPECT_EQ(state.Render(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(state.Render(RenderState::CullMode), uint32_t(platform::gfx::CullMode::CounterClockwise));
  }

  auto model = Load(model_test::BoxesFile({model_test::Material("body", 0)}), false);
  device_->drawn.clear();
  model->DrawShadow(device_, platform::IdentityMatrix(), {0, -10000, 0});
  model->EnableShadow(device_);
  model->DrawShadow(device_, platform::IdentityMatrix(), {0, -10000, 0});
  EXPECT_EQ(device_->drawn.size(), 2u);  // only the draw after enabling
  model->ReleaseShadow();  // as a device reset does
  EXPECT_FALSE(model->meshData->Shadow()->Valid());
  model->RestoreShadow(device_);
  EXPECT_TRUE(model->meshData->Shadow()->Valid());
}

}  // namespace
