// Tests of the presentation hung on a car: its sounds come from the shared folders and go back with the car, and
// its sound step lets the same crash sound again after its second.
#include "vehicle/vehicle_presentation.h"

#include <gtest/gtest.h>

#include "vehicle_fixture.h"

namespace vehicle {
namespace {

TEST(VehiclePresentation, SoundsComeFromTheSharedFolderAndTheSoundStepRunsDownCrashCooldowns) {
  testing::FakeSoundSource sounds;
  Vehicle car(nullptr, nullptr, "Tester", false);
  car.folder = "CARS/TEST/";
  ChassisLayout layout;
  for (int i = 0; i < 4; ++i) layout.tyrePositions[i] = {i % 2 == 0 ? -30.0f : 30.0f, 0, i < 2 ? 60.0f : -60.0f};
  car.AssembleChassis(layout);
  PresentationServices services;
  services.sounds = &sounds;
  auto owned = std::make_unique<VehiclePresentation>(car, services);
  VehiclePresentation* presentation = owned.get();
  car.features = std::move(owned);
  presentation->LoadSounds();
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/paved.wav"), 0u);
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/crash.wav"), 0u);

  car.listenerDistance = 0;
  car.PlayCrashSound(0);
  const float start = car.crashCooldowns[0];
  ASSERT_GT(start, 0.0f);
  presentation->UpdateSounds(0.25f);
  EXPECT_FLOAT_EQ(car.crashCooldowns[0], start - 0.25f);
  for (int step = 0; step < 4; ++step) presentation->UpdateSounds(0.25f);
  EXPECT_LE(car.crashCooldowns[0], 0.0f);

  car.features.reset();
  EXPECT_EQ(sounds.Held(), 0) << "every sample given back with the car";
}

}  // namespace
}  // namespace vehicle
