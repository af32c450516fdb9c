// Tests of the sample car's model set as the car loads it: part markers, damage zones the crash damage can
// fill, crumpled and kit bodies that match the clean one corner for corner, a closed shadow caster, and the
// steering driver.
#include "contentgen/car_models.h"

#include <gtest/gtest.h>

#include <set>

#include "contentgen/animated_models.h"
#include "geometry/models/animated_model.h"
#include "geometry/models/shadow_volume.h"
#include "model_test_support.h"
#include "render/resources/image_resource.h"
#include "vehicle/damage_model.h"

namespace {

class CarModelSetTest : public model_test::ModelFixture {
 protected:
  std::unique_ptr<geometry::MeshModel> Load(const char* file, bool withMaterials = true) {
    auto model = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
    EXPECT_TRUE(model->Load(device_, folder_ + file, "", false, withMaterials)) << file;
    return model;
  }
};

TEST_F(CarModelSetTest, EveryShapeCarriesItsPartsDamageZonesAndMatchingBodies) {
  for (contentgen::CarShape shape : {contentgen::CarShape::kSaloon, contentgen::CarShape::kPickup,
                                     contentgen::CarShape::kCoupe, contentgen::CarShape::kRoadster}) {
    SCOPED_TRACE(static_cast<int>(shape));
    contentgen::CarModelSpec spec;
    spec.shape = shape;
    ASSERT_TRUE(contentgen::WriteCarModels(folder_, spec));
    auto body = Load(contentgen::kCarBodyModel);
    for (const char* part : {"FRONT_LEFT_TIRE", "FRONT_RIGHT_TIRE", "REAR_LEFT_TIRE", "REAR_RIGHT_TIRE", "COLLISION",
                             "DRIVER", "HEADLIGHT_LEFT", "BRAKELIGHT_LEFT", "REVERSELIGHT", "EXHAUST_LEFT",
                             contentgen::kWingMount, contentgen::kScoopMount, contentgen::kExhaustTipsMount}) {
      EXPECT_NE(body->FindMarker(part), nullptr) << part;
    }
    for (const auto& batch : body->meshData->Batches()) EXPECT_TRUE(batch->image->loaded);

    // Crashes fill every zone a part name can reach (a name starting FRONT_RIGHT or REAR_LEFT falls into FRONT
    // and REAR), and the damaged body has parts in the same zones to swap in.
    auto damaged = Load(contentgen::kCarDamagedModel);
    auto zonesOf = [](const geometry::MeshModel& model) {
      std::set<int32_t> zones;
      for (const std::string& name : model.materialNames) zones.insert(vehicle::ZoneOfPart(name));
      return zones;
    };
    const std::set<int32_t> zones = zonesOf(*body);
    for (int32_t zone = 0; zone < vehicle::kDamageZoneCount; ++zone) {
      if (zone == vehicle::kZoneFrontRight || zone == vehicle::kZoneRearLeft) continue;
      EXPECT_TRUE(zones.count(zone)) << vehicle::DamageZoneNames[zone];
    }
    EXPECT_EQ(zonesOf(*damaged), zones);

    // The crumpled body and the kit keep every corner in the same order, so dents pull toward the damage
    // whichever body is fitted.
    auto kit = Load(contentgen::kCarKitModel);
    ASSERT_EQ(damaged->meshData->SourcePositions().size(), body->meshData->SourcePositions().size());
    ASSERT_EQ(kit->meshData->SourcePositions().size(), body->meshData->SourcePositions().size());
    body->MakeDeformable();
    const auto clean = body->meshData->SourcePositions();
    const platform::Vec3 nose{0, spec.bodyHeight * 0.3f, spec.bodyLength / 2};
    body->DeformTowards(*damaged, nose, 60, 1);
    size_t dented = 0;
    for (size_t i = 0; i < clean.size(); ++i) {
      const float moved = body->meshData->SourcePositions()[i].z;
      if (moved == clean[i].z) continue;
      ++dented;
      EXPECT_LT(moved, clean[i].z);  // the nose is pushed in, toward the damaged body
    }
    EXPECT_GT(dented, 0u);

    // The shadow caster is closed: every edge of its silhouette from above joins a lit and an unlit face.
    auto shadow = Load(contentgen::kCarShadowModel, false);
    const size_t boxes = shape == contentgen::CarShape::kRoadster ? 1 : 2;
    EXPECT_EQ(geometry::ShadowVolume::SilhouetteEdges(*shadow->geometry, {0.3f, 1, 0.2f}).size(), 6 * boxes);

    for (const char* file : {contentgen::kCarCollisionModel, contentgen::kCarTyreModel, contentgen::kCarLodModel,
                             contentgen::kCarFarLodModel, contentgen::kCarWingModel, contentgen::kCarScoopModel}) {
      EXPECT_FALSE(Load(file)->meshData->Batches().empty()) << file;
    }
  }
  geometry::AnimatedModel driver(manager_.get(), settings_.get());
  driver.Load(device_, folder_ + contentgen::kDriverModel, "", "");
  EXPECT_EQ(driver.GetClipLength("STEER"), uint32_t(contentgen::kDriverFrames - 1));
}

}  // namespace
