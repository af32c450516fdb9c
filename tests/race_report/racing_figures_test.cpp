// The racing figures from scripted car states: a spin counts once however long it lasts, laps are timed from
// the start signal, respawns and wall contacts count from the start, and the goals name what they miss.
#include "race_report/racing_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "vehicle/wheel.h"

namespace race_report {
namespace {

constexpr float kFrame = 0.1f;

struct Frame {
  float headingDegrees;  // of the velocity, from the nose (the nose points along +z)
  float mph;
  int32_t lap = 0;
  bool respawning = false;
  bool wrongWay = false;
  uint32_t contacts = 0;
  float progress = 0;  // lap count plus the share of the lap driven
  bool grounded = true;  // its wheels on the ground
  bool overturned = false;
  platform::Vec3 position{};
};

void Place(vehicle::Vehicle& car, const Frame& frame) {
  const float a = frame.headingDegrees * 3.14159265f / 180;
  car.forwardAxis = {0, 0, 1};
  car.velocity = platform::Vec3{std::sin(a), 0, std::cos(a)} * (frame.mph * 17.6f);
  car.speedMph = frame.mph;
  car.lapCount = frame.lap;
  car.respawning = frame.respawning;
  car.wrongWay = frame.wrongWay;
  car.trackContacts = frame.contacts;
  car.progress = frame.progress;
  car.position = frame.position;
  car.upAxis = frame.overturned ? platform::Vec3{0, -1, 0} : platform::Vec3{0, 1, 0};
  for (auto& wheel : car.wheels) {
    if (!wheel) wheel = std::make_unique<vehicle::Wheel>();
    wheel->onGround = frame.grounded;
  }
}

// Plays frames after a countdown frame; returns the car's figures.
CarFigures Play(const std::vector<Frame>& frames, bool reversed = false, Frame countdown = {0, 0, -1}) {
  vehicle::Vehicle car(nullptr, nullptr, "Test", true);
  std::vector<vehicle::Vehicle*> racing{&car};
  FigureKeeper keeper({&car}, {reversed});
  Place(car, countdown);
  double now = 1;
  keeper.Observe(racing, now, kFrame, false);
  for (const Frame& frame : frames) {
    now += kFrame;
    Place(car, frame);
    keeper.Observe(racing, now, kFrame, true);
  }
  return keeper.Figures()[0];
}

std::vector<Frame> Repeat(const Frame& frame, int count) { return std::vector<Frame>(static_cast<size_t>(count), frame); }

std::vector<Frame> Join(std::initializer_list<std::vector<Frame>> parts) {
  std::vector<Frame> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(RacingFigures, SpinsCountOncePerPirouetteAndTimeTheCarFacesBackwards) {
  struct Case {
    const char* name;
    std::vector<Frame> frames;
    int spins;
    float spunSeconds;
  };
  const Case cases[] = {
      {"straight", Repeat({0, 60}, 20), 0, 0},
      {"sliding at 80 degrees", Repeat({80, 60}, 20), 0, 0},
      {"backwards too slowly to count", Repeat({180, 15}, 20), 0, 0},
      {"one pirouette", Join({Repeat({0, 50}, 3), {{60, 50}, {120, 45}, {180, 40}, {240, 35}, {300, 30}}, Repeat({0, 30}, 5)}),
       1, 3 * kFrame},
      // Swinging back through 90 degrees for a moment is still the same spin.
      {"wobble within one spin", Join({Repeat({150, 40}, 3), Repeat({60, 40}, 2), Repeat({150, 40}, 3)}), 1, 6 * kFrame},
      {"two spins apart", Join({Repeat({150, 40}, 3), Repeat({0, 40}, 10), Repeat({150, 40}, 3)}), 2, 6 * kFrame},
      {"respawning does not spin", Repeat({180, 40, 0, true}, 5), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CarFigures figures = Play(c.frames);
    EXPECT_EQ(figures.spins, c.spins);
    EXPECT_NEAR(figures.spunSeconds, c.spunSeconds, 1e-4);
  }
}

TEST(RacingFigures, LapsAreTimedFromTheStartSignalAndTheLineCrossingBehindTheGridStartsTheFirst) {
  // Behind the line at the start (lap -1): 1 s to the line, then laps of 3 s and 2 s.
  std::vector<Frame> frames = Join({Repeat({0, 50, -1}, 10), Repeat({0, 50, 0}, 30), Repeat({0, 50, 1}, 20), {{0, 50, 2}}});
  CarFigures figures = Play(frames);
  ASSERT_EQ(figures.lapTimes.size(), 2u);
  EXPECT_NEAR(figures.lapTimes[0], 3.0f, 1e-3);
  EXPECT_NEAR(figures.lapTimes[1], 2.0f, 1e-3);
  EXPECT_NEAR(figures.BestLap(), 2.0f, 1e-3);

  // A grid ahead of the line: the first lap runs from the start signal. Dropping back a lap and crossing again
  // closes no lap twice.
  frames = Join({Repeat({0, 50, 0}, 40), Repeat({0, 50, 1}, 5), Repeat({0, 50, 0}, 5), Repeat({0, 50, 1}, 5)});
  figures = Play(frames, false, {0, 0, 0});
  ASSERT_EQ(figures.lapTimes.size(), 1u);
  EXPECT_NEAR(figures.lapTimes[0], 4.0f + kFrame, 1e-3);
  EXPECT_EQ(CarFigures{}.BestLap(), 0.0f);
}

TEST(RacingFigures, ACarRacingTheOtherWayRoundClosesALapEachTimeItCrossesTheLineBackwards) {
  // A chicken opponent's lap count never rises: its place on the lap runs down from the line and wraps.
  auto at = [](float progress, bool respawning = false) {
    Frame frame{0, 50, -1, respawning};
    frame.progress = progress;
    return frame;
  };
  const Frame countdown = at(-0.02f);
  std::vector<Frame> frames = Join({Repeat(at(-0.3f), 10), Repeat(at(-0.8f), 10), Repeat(at(-0.1f), 10),
                                    Repeat(at(-0.5f), 10), Repeat(at(-0.9f), 10), Repeat(at(-0.2f), 5)});
  CarFigures figures = Play(frames, true, countdown);
  ASSERT_EQ(figures.lapTimes.size(), 2u);
  EXPECT_NEAR(figures.lapTimes[0], 2.1f, 1e-3);  // from the start signal, a frame before the first
  EXPECT_NEAR(figures.lapTimes[1], 3.0f, 1e-3);
  // Put back on the track behind the line is no lap.
  figures = Play({at(-0.9f), at(-0.1f, true), at(-0.1f)}, true, countdown);
  EXPECT_TRUE(figures.lapTimes.empty());
}

TEST(RacingFigures, RespawnsWrongWayAndWallContactsCountFromTheStart) {
  Frame countdown{0, 0, -1};
  countdown.contacts = 7;  // bumps on the grid are not the race's
  std::vector<Frame> frames = Join({Repeat({0, 50, 0, false, false, 10}, 3), Repeat({0, 50, 0, true, false, 12}, 4),
                                    Repeat({0, 50, 0, false, true, 20}, 5), Repeat({0, 50, 0, true, true, 30}, 1)});
  CarFigures figures = Play(frames, false, countdown);
  EXPECT_EQ(figures.respawns, 2);
  EXPECT_NEAR(figures.wrongWaySeconds, 6 * kFrame, 1e-4);
  EXPECT_EQ(figures.wallContacts, 23u);
  // A chicken opponent drives against the path: its flag is set while it races the way it should.
  figures = Play(Join({Repeat({0, 50, 0, false, true}, 8), Repeat({0, 50, 0, false, false}, 2)}), true);
  EXPECT_NEAR(figures.wrongWaySeconds, 2 * kFrame, 1e-4);
}

TEST(RacingFigures, PutBacksRecordWhereTheCarWasWhatItWasDoingAndHowFastItHadBeen) {
  const Frame plain{0, 50};
  auto with = [](Frame frame, auto change) {
    change(frame);
    return frame;
  };
  const Frame fast = with(plain, [](Frame& f) { f.mph = 90; });
  const Frame respawning = with(plain, [](Frame& f) {
    f.respawning = true;
    f.position = {9999, 0, 9999};  // put back somewhere else
  });
  struct Case {
    const char* name;
    Frame before;  // the last frame before the put-back
    bool reversed;
    const char* cause;
  };
  const Case cases[] = {
      {"on its roof", with(plain, [](Frame& f) { f.overturned = true; }), false, "overturned"},
      {"in the air", with(plain, [](Frame& f) { f.grounded = false; }), false, "airborne"},
      {"against its path", with(plain, [](Frame& f) { f.wrongWay = true; }), false, "wrong way"},
      {"a chicken opponent turned to race with the field", plain, true, "wrong way"},
      {"nose in against a wall", with(plain, [](Frame& f) { f.mph = 0; }), false, "stuck"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Frame before = c.before;
    before.position = {120, 10, -340};
    // Fast long before the look-back, then 70 mph within it, then the frame before the put-back.
    const int oldFrames = 10, gapFrames = static_cast<int>(kPutBackLookBack / kFrame) + 10, lateFrames = 5;
    const Frame racing = c.reversed ? with(plain, [](Frame& f) { f.wrongWay = true; }) : plain;
    const CarFigures figures =
        Play(Join({Repeat(with(racing, [](Frame& f) { f.mph = 120; }), oldFrames), Repeat(racing, gapFrames),
                   Repeat(with(racing, [](Frame& f) { f.mph = 70; }), 1), Repeat(racing, lateFrames), {before},
                   Repeat(respawning, 3), Repeat(fast, 2)}),
             c.reversed);
    ASSERT_EQ(figures.putBacks.size(), 1u);
    EXPECT_EQ(figures.respawns, 1);
    const PutBack& put = figures.putBacks[0];
    EXPECT_EQ(put.cause, c.cause);
    EXPECT_NEAR(put.at, (oldFrames + gapFrames + 1 + lateFrames + 2) * kFrame, 1e-3);
    EXPECT_EQ(put.place.x, 120);
    EXPECT_EQ(put.place.z, -340);
    EXPECT_EQ(put.fastestMph, 70);
    EXPECT_EQ(put.nearestCar, 0);  // it raced alone
    // The goal it misses says where and why, so the sweep's line leads to the corner.
    const auto missed = MissedGoals({"Test", "CHICKEN", 2, 200}, {figures}, {});
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_NE(missed[0].find(std::string("at path point 0 (120, -340), ") + c.cause + " after 70 mph"), std::string::npos)
        << missed[0];
  }
}

TEST(RacingFigures, APutBackNamesTheNearestOtherRacer) {
  vehicle::Vehicle car(nullptr, nullptr, "Test", true), near(nullptr, nullptr, "Near", true),
      far(nullptr, nullptr, "Far", true);
  std::vector<vehicle::Vehicle*> racing{&car, &near, &far};
  FigureKeeper keeper({&car, &near, &far}, {false, false, false});
  Frame frame{0, 30};
  for (vehicle::Vehicle* each : racing) Place(*each, frame);
  keeper.Observe(racing, 1, kFrame, false);
  car.position = {0, 0, 0};
  near.position = {300, 80, 400};  // 500 away on the level, whatever the height
  far.position = {-2000, 0, 0};
  keeper.Observe(racing, 1 + kFrame, kFrame, true);
  car.respawning = true;
  keeper.Observe(racing, 1 + 2 * kFrame, kFrame, true);
  ASSERT_EQ(keeper.Figures()[0].putBacks.size(), 1u);
  EXPECT_NEAR(keeper.Figures()[0].putBacks[0].nearestCar, 500, 1e-2);
  EXPECT_EQ(keeper.Figures()[0].putBacks[0].cause, "stuck");
}

TEST(RacingFigures, GoalsNameEveryCarAndClassThatMissesThem) {
  auto car = [](int32_t carClass, float spun, int32_t respawns, uint32_t contacts, std::vector<float> laps) {
    CarFigures figures;
    figures.carClass = carClass;
    figures.spunSeconds = spun;
    figures.respawns = respawns;
    figures.wallContacts = contacts;
    figures.lapTimes = std::move(laps);
    return figures;
  };
  RaceGoals goals;
  goals.maxWallContacts = 100;
  const RaceFacts lap{"Test", "LAP", 3, 200};
  struct Case {
    const char* name;
    RaceFacts race;
    std::vector<CarFigures> cars;
    std::vector<bool> knockedOut;
    size_t missed;
  };
  const std::vector<float> three{30, 28, 28}, six{30, 28, 28, 28, 28, 28};
  const Case cases[] = {
      {"clean", lap, {car(1, 3.9f, 0, 100, three), car(1, 0, 0, 0, {31, 30.5f, 30.7f})}, {}, 0},
      {"spun too long", lap, {car(1, 4.1f, 0, 0, three)}, {}, 1},
      {"one respawn in six laps, two in six", lap, {car(1, 0, 1, 0, six), car(2, 0, 2, 0, six)}, {}, 1},
      {"a respawn in three laps", lap, {car(1, 0, 1, 0, three)}, {}, 1},
      {"grinding the walls", lap, {car(1, 0, 0, 101, three)}, {}, 1},
      {"short of its laps", lap, {car(1, 0, 0, 0, {30, 30})}, {}, 1},
      {"a procession in one class", lap, {car(1, 0, 0, 0, {28, 28, 28}), car(1, 0, 0, 0, {31, 31, 31}), car(2, 0, 0, 0, {20, 40, 40})}, {}, 1},
      {"knocked out early", {"Test", "KNOCKOUT", 3, 200}, {car(1, 0, 0, 0, {30})}, {true}, 0},
      {"spread only matters in lap races", {"Test", "KNOCKOUT", 1, 200}, {car(1, 0, 0, 0, {20}), car(1, 0, 0, 0, {40})}, {}, 0},
      {"chicken cars count no laps", {"Test", "CHICKEN", 2, 200}, {car(1, 0, 0, 0, {})}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.race.type == "LAP") {
      // The spread the goal holds to, as the sweep reports it: widest of any class.
      const float spread = BestLapSpread(c.cars);
      EXPECT_EQ(spread > goals.bestLapSpread, std::string(c.name) == "a procession in one class") << spread;
    }
    const auto missed = MissedGoals(c.race, c.cars, c.knockedOut, goals);
    EXPECT_EQ(missed.size(), c.missed);
    for (const std::string& line : missed) EXPECT_FALSE(line.empty());
  }
}

}  // namespace
}  // namespace race_report
