// Tests of the upgrade parts fixed to a car: shared by file name, placed at their attachment point, hidden beyond
// their viewing distance and given back with the car.
#include "vehicle/part_models.h"

#include <gtest/gtest.h>

#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "render/resources/resource_manager.h"
#include "vehicle_fixture.h"

namespace vehicle {
namespace {

TEST(PartModels, UpgradePartsShareTheirModelHideFarAwayAndGiveItBack) {
  testing::NullDeviceFixture fixture;
  render::ResourceManager resources(nullptr, "/nonexistent-vehicle-parts/");
  const geometry::MeshModel* shared = nullptr;
  {
    VisualPartModel spoiler(fixture.device, &resources, "CARS/TEST/spoiler.mdl", {0, 40, -80});
    VisualPartModel twin(fixture.device, &resources, "CARS/TEST/spoiler.mdl", {0, 40, -80});
    ASSERT_NE(spoiler.model, nullptr) << "a missing file still gives a registered, empty model";
    EXPECT_EQ(spoiler.model, twin.model);
    shared = spoiler.model;
    EXPECT_EQ(resources.FindSharedRecord(render::ResourceKind::kMeshModel, shared)->refCount, 2);

    spoiler.UpdateVisibility(1e9f);
    EXPECT_TRUE(spoiler.visible) << "no viewing distance: always shown";
    spoiler.viewDistance = 500;
    spoiler.UpdateVisibility(500);
    EXPECT_TRUE(spoiler.visible);
    spoiler.UpdateVisibility(500.5f);
    EXPECT_FALSE(spoiler.visible);
    twin.SetTransform(platform::RotationYMatrix(0.7f) * platform::TranslationMatrix(100, 5, -40));
    const Vec3 expected = platform::TransformCoord({0, 40, -80}, platform::RotationYMatrix(0.7f) *
                                                                     platform::TranslationMatrix(100, 5, -40));
    EXPECT_NEAR(twin.placement.worldPosition.x, expected.x, 1e-3f);
    EXPECT_NEAR(twin.placement.worldPosition.z, expected.z, 1e-3f);
    twin.Render(nullptr, nullptr);  // an empty model draws nothing, without failing
  }
  const render::SharedRecord* record = resources.FindSharedRecord(render::ResourceKind::kMeshModel, shared);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->refCount, 0);
}

}  // namespace
}  // namespace vehicle
