// Tests of the sample car's model set as the car loads it: part markers, materials and kinds, a damaged body
// that matches the clean one vertex for vertex, a closed shadow caster, and the steering driver.
#include "contentgen/car_models.h"

#include <gtest/gtest.h>

#include "contentgen/animated_models.h"
#include "geometry/models/animated_model.h"
#include "geometry/models/shadow_volume.h"
#include "model_test_support.h"
#include "render/resources/image_resource.h"

namespace {

class CarModelSetTest : public model_test::ModelFixture {};

TEST_F(CarModelSetTest, BodyCarriesThePartsTheCarIsBuiltFrom) {
  contentgen::CarModelSpec spec;
  ASSERT_TRUE(contentgen::WriteCarModels(folder_, spec));
  auto body = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
  ASSERT_TRUE(body->Load(device_, folder_ + contentgen::kCarBodyModel, "", false, true));
  for (const char* part : {"FRONT_LEFT_TIRE", "FRONT_RIGHT_TIRE", "REAR_LEFT_TIRE", "REAR_RIGHT_TIRE", "COLLISION",
                           "DRIVER", "HEADLIGHT_LEFT", "BRAKELIGHT_LEFT", "REVERSELIGHT", "EXHAUST_LEFT"}) {
    EXPECT_NE(body->FindMarker(part), nullptr) << part;
  }
  EXPECT_EQ(body->FindMarker("FRONT_LEFT_TIRE")->leadingString, contentgen::kCarTyreModel);
  EXPECT_FLOAT_EQ(body->FindMarker("FRONT_LEFT_TIRE")->position.z, spec.frontAxle);
  EXPECT_EQ(body->materialNames, (std::vector<std::string>{"PAINT", "GLASS", "LIGHTS", "LOGO1"}));
  const auto& batches = body->meshData->Batches();
  ASSERT_EQ(batches.size(), 4u);
  EXPECT_EQ(batches[0]->kind, geometry::MaterialKind::Plain);
  EXPECT_EQ(batches[1]->kind, geometry::MaterialKind::Alpha);
  EXPECT_EQ(batches[2]->image->lightValue, geometry::kSelfLitValue);
  for (const auto& batch : batches) EXPECT_TRUE(batch->image->loaded);
  EXPECT_FLOAT_EQ(body->boundsMax.z - body->boundsMin.z, spec.bodyLength + 1);  // lights stand 1 inch proud

  // The damaged body has the same positions in the same order, so dents pull toward it.
  auto damaged = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
  ASSERT_TRUE(damaged->Load(device_, folder_ + contentgen::kCarDamagedModel, "", false, true));
  ASSERT_EQ(damaged->meshData->SourcePositions().size(), body->meshData->SourcePositions().size());
  body->MakeDeformable();
  const auto clean = body->meshData->SourcePositions();
  const platform::Vec3 nose{0, spec.bodyHeight * 0.3f, spec.bodyLength / 2};
  body->DeformTowards(*damaged, nose, 60, 1);
  size_t dented = 0;
  for (size_t i = 0; i < clean.size(); ++i) {
    const float moved = body->meshData->SourcePositions()[i].z;
    if (moved != clean[i].z) {
      ++dented;
      EXPECT_LT(moved, clean[i].z);  // the nose is pushed in, toward the damaged body
      EXPECT_GE(moved, damaged->meshData->SourcePositions()[i].z);
    }
  }
  EXPECT_GT(dented, 0u);

  // The shadow caster is closed: its silhouette from above is one loop.
  auto shadow = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
  ASSERT_TRUE(shadow->Load(device_, folder_ + contentgen::kCarShadowModel, "", false, false));
  EXPECT_EQ(geometry::ShadowVolume::SilhouetteEdges(*shadow->geometry, {0.3f, 1, 0.2f}).size(), 6u);

  for (const char* file : {contentgen::kCarCollisionModel, contentgen::kCarTyreModel, contentgen::kCarLodModel}) {
    geometry::MeshModel part(manager_.get(), settings_.get());
    EXPECT_TRUE(part.Load(device_, folder_ + file, "", false, true)) << file;
    EXPECT_FALSE(part.meshData->Batches().empty()) << file;
  }
  geometry::AnimatedModel driver(manager_.get(), settings_.get());
  driver.Load(device_, folder_ + contentgen::kDriverModel, "", "");
  EXPECT_EQ(driver.GetClipLength("STEER"), uint32_t(contentgen::kDriverFrames - 1));
}

}  // namespace
