// The sample circuits raced through the game's own headless race start: every circuit both ways round, with
// computer drivers for every car, the player's included.
#include "contentgen/sample_tracks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <set>

#include "contentgen/content.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/race_content.h"
#include "game/headless_race.h"
#include "platform/math/math.h"
#include "vehicle/vehicle.h"
#include "vehicle/track_world.h"
#include "vehicle/vehicle_world.h"

namespace contentgen {
namespace {

namespace fs = std::filesystem;

constexpr float kFrame = 0.05f;
constexpr float kLapLimit = 80;       // seconds for every car to finish its first lap
constexpr float kLongJump = 0.9f;     // seconds in the air off a ramp
// The canal's humpback bridges are low on purpose: the fastest cars reach them much quicker than anyone in a
// first lap does, and a longer flight tipped them onto their tails. A first-lap car still hops them.
constexpr float kBridgeHop = 0.55f;
constexpr float kJumpSpeedMph = 40;   // a car faster than this at take-off is jumping, not lying on its side
constexpr float kRampTop = 35;        // inches above the ground at take-off
constexpr int kOpponents = 2;
const char* const kCircuits[] = {kDowntownTrackScene, kDocksTrackScene, kCanalTrackScene};

class SampleTracks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string((fs::temp_directory_path() /
                               ("corsaire_tracks_" + std::to_string(std::random_device{}()))).string() + "/");
    ASSERT_TRUE(WriteAllContent(*folder_));
    // The practice list is replaced by plain lap races: each circuit forwards, then reversed.
    DataFileWriter list;
    for (const char* circuit : kCircuits) {
      for (bool reverse : {false, true}) {
        list.BeginBlock("RACE");
        list.Record("NAME", {circuit});
        list.Record("PATH", {circuit});
        if (reverse) list.Record("REVERSE", {1});
        list.Record("TYPE", {"LAP"});
        list.Record("MODE", {"QUICK"});
        list.Record("LAPS", {3});
        list.Record("OPPONENTS", {static_cast<double>(kOpponents)});
        list.EndBlock("RACE");
      }
    }
    ASSERT_TRUE(WriteTextFile(*folder_ + kQuickRaceFile, list.Text()));
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
  }
  static std::string* folder_;
};
std::string* SampleTracks::folder_ = nullptr;

// Every surface a car can drive on lies under some triangle of a circuit's collision file; the walls along the
// road are not undrivable scenery, so a car rubbing one slides along it (its wheels meet every steep face as
// undrivable whatever its material). Files a race cannot read are caught by the race report's check that races
// load without a word on standard error.
void ExpectEverySurface(race::RaceSession& session) {
  const geometry::ModelGeometry* geometry = session.Collision()->Geometry();
  ASSERT_NE(geometry, nullptr);
  const std::vector<uint32_t>& surfaces = session.World().MaterialSurfaces();
  std::set<uint32_t> used;
  for (uint32_t material : geometry->TriangleFlags()) {
    if (material < surfaces.size()) used.insert(surfaces[material]);
  }
  for (uint32_t surface = 0; surface < static_cast<uint32_t>(vehicle::kSurfaceNoDrive); ++surface) {
    EXPECT_EQ(used.count(surface), 1u) << "no " << vehicle::SurfaceTypeNames[surface];
  }
  // The walls: steep faces the car bodies slide along.
  size_t walls = 0, undrivableWalls = 0;
  for (size_t t = 0; t < geometry->TriangleCount(); ++t) {
    const platform::Vec3& a = geometry->GetPosition(geometry->CornerA()[t]);
    const platform::Vec3 n = platform::Normalize(platform::Cross(geometry->GetPosition(geometry->CornerB()[t]) - a,
                                                                 geometry->GetPosition(geometry->CornerC()[t]) - a));
    if (std::fabs(n.y) > 0.1f) continue;
    ++walls;
    const uint32_t material = geometry->TriangleFlags()[t];
    if (material < surfaces.size() && surfaces[material] == static_cast<uint32_t>(vehicle::kSurfaceNoDrive)) {
      ++undrivableWalls;
    }
  }
  EXPECT_GT(walls, 100u);
  EXPECT_LT(undrivableWalls * 10, walls) << "walls along the road hold a car against them";
}

TEST_F(SampleTracks, ComputerDriversLapEveryCircuitBothWaysAndJumpItsRamps) {
  for (int index = 0; index < 2 * static_cast<int>(std::size(kCircuits)); ++index) {
    const bool reverse = index % 2 == 1;
    SCOPED_TRACE(std::string(kCircuits[index / 2]) + (reverse ? " reversed" : ""));
    game::HeadlessRace race(*folder_, 11 + static_cast<uint32_t>(index));
    std::string error;
    ASSERT_TRUE(race.Load("QUICKRACE", index, error)) << error;
    race::RaceSession& session = *race.Session();
    ASSERT_EQ(session.Racers().size(), static_cast<size_t>(kOpponents + 1));
    if (!reverse) ExpectEverySurface(session);
    race.DriveEveryCar();

    const std::vector<vehicle::Vehicle*> cars = session.Racers();
    std::vector<float> airborne(cars.size(), 0), takeOffHeight(cars.size(), 0), takeOffSpeed(cars.size(), 0);
    float longestJump = 0;
    int nonFinite = 0;
    auto everyCarLapped = [&] {
      return std::all_of(cars.begin(), cars.end(), [](const vehicle::Vehicle* car) { return car->lapCount >= 1; });
    };
    while (race.Time() < kLapLimit && !everyCarLapped()) {
      race.Frame(kFrame);
      for (size_t i = 0; i < cars.size(); ++i) {
        const vehicle::Vehicle& car = *cars[i];
        if (!std::isfinite(car.position.x) || !std::isfinite(car.position.y) || !std::isfinite(car.position.z)) {
          ++nonFinite;
        }
        if (!car.AnyWheelOnGround()) {
          if (airborne[i] == 0) {
            takeOffHeight[i] = car.position.y;
            takeOffSpeed[i] = car.speedMph;
          }
          airborne[i] += kFrame;
        } else {
          if (takeOffHeight[i] > kRampTop && takeOffSpeed[i] > kJumpSpeedMph) longestJump = std::max(longestJump, airborne[i]);
          airborne[i] = 0;
        }
      }
    }
    EXPECT_EQ(nonFinite, 0);
    for (const vehicle::Vehicle* car : cars) {
      EXPECT_GE(car->lapCount, 1) << car->driverName << " stuck at " << car->position.x << ", " << car->position.z;
    }
    EXPECT_GT(longestJump, kCircuits[index / 2] == std::string(kCanalTrackScene) ? kBridgeHop : kLongJump);
  }
}

}  // namespace
}  // namespace contentgen
