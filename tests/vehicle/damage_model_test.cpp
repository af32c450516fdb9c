// Tests of body damage: parts sorted into zones by prefix, impacts spread over the zones, material swaps of
// badly damaged zones, repairs, and a model without meshes.
#include "vehicle/damage_model.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using namespace vehicle;

struct Recorder {
  std::map<uint32_t, int> damagedMaterial;  // body part → damaged part bound (−1 when its own)
  int dents = 0;
};

DamageMeshes Meshes(Recorder& recorder) {
  DamageMeshes meshes;
  meshes.bodyPartNames = {"front_left_fender", "FRONT_RIGHT_DOOR", "REAR_LEFTLIGHT", "ROOF", "BADGE", "GLASS_FRONT"};
  meshes.damagedPartNames = {"FRONT_LEFT_FENDER_D", "FRONT_D", "REAR_D", "GLASS_FRONT_D"};
  meshes.bodySize = {80, 50, 200};
  meshes.deform = [&recorder](platform::Vec3, float radius, float) {
    EXPECT_EQ(radius, kDentRadius);
    ++recorder.dents;
  };
  meshes.setMaterial = [&recorder](uint32_t body, uint32_t damaged, bool isDamaged) {
    recorder.damagedMaterial[body] = isDamaged ? static_cast<int>(damaged) : -1;
  };
  return meshes;
}

TEST(DamageModel, PartsGoToTheFirstZoneWhoseNamePrefixesThem) {
  EXPECT_EQ(ZoneOfPart("front_left_fender"), kZoneFrontLeft);
  EXPECT_EQ(ZoneOfPart("FRONT_RIGHT_DOOR"), kZoneFront);  // FRONT is tried before FRONT_RIGHT
  EXPECT_EQ(ZoneOfPart("REAR_LEFTLIGHT"), kZoneRear);
  EXPECT_EQ(ZoneOfPart("REAR_RIGHT"), kZoneRearRight);
  EXPECT_EQ(ZoneOfPart("BADGE"), -1);
  Recorder recorder;
  DamageModel model(Meshes(recorder));
  EXPECT_EQ(model.bodyPartIds[kZoneFrontLeft], std::vector<uint32_t>{0});
  EXPECT_EQ(model.bodyPartIds[kZoneFront], std::vector<uint32_t>{1});
  EXPECT_EQ(model.damagedPartIds[kZoneFront], std::vector<uint32_t>{1});
  // Construction repairs: every zoned body part gets its own material.
  EXPECT_EQ(recorder.damagedMaterial.size(), 5u);
}

TEST(DamageModel, HeadOnHitSpreadsOverTheFrontZones) {
  Recorder recorder;
  DamageModel model(Meshes(recorder));
  model.Dent(0, 10, 90, 4);
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneFront], 1.0f);
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneFrontLeft], 0.5f);
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneFrontRight], 0.5f);
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneGlassFront], 0.5f);
  model.Dent(-30, 10, 90, 8);  // amount 8 is capped at one unit of damage
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneFrontLeft], 1.5f);
  model.Dent(0, 40, 0, 4);  // the exact middle of a side adds nothing
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneLeft] + model.zoneDamage[kZoneRight], 0.0f);
  EXPECT_EQ(recorder.dents, 3);
  EXPECT_EQ(model.zoneDamage[kZoneRoof], 0.0f);
}

TEST(DamageModel, FourthFullHitOnACornerSwapsItsMaterialsUntilRepaired) {
  Recorder recorder;
  DamageModel model(Meshes(recorder));
  for (int i = 0; i < 3; ++i) model.Dent(-30, 10, 90, 4);
  EXPECT_EQ(recorder.damagedMaterial[0], -1);
  model.Dent(-30, 10, 90, 4);
  EXPECT_FLOAT_EQ(model.zoneDamage[kZoneFrontLeft], 4.0f);
  EXPECT_EQ(recorder.damagedMaterial[0], 0);
  EXPECT_TRUE(model.swapped[kZoneFrontLeft]);
  // Whatever put the fender's own material back since, the next dent binds the crumpled one again.
  recorder.damagedMaterial[0] = -1;
  model.Dent(-30, 10, 90, 1);
  EXPECT_EQ(recorder.damagedMaterial[0], 0);
  model.Reset();
  EXPECT_EQ(recorder.damagedMaterial[0], -1);
  EXPECT_EQ(model.zoneDamage[kZoneFrontLeft], 0.0f);
}

TEST(DamageModel, WithoutTheDamagedMeshNothingHappens) {
  Recorder recorder;
  DamageMeshes meshes = Meshes(recorder);
  meshes.damagedPartNames.clear();
  DamageModel model(std::move(meshes));
  model.Dent(0, 10, 90, 40);
  EXPECT_FALSE(model.Active());
  EXPECT_EQ(model.zoneDamage[kZoneFront], 0.0f);
  EXPECT_EQ(recorder.dents, 0);
}

}  // namespace
