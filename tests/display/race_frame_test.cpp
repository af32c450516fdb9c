// The race as the game draws it, on the OpenGL device under Xvfb: the generated city track with its cars, placed
// by hand during the countdown, rendered by the game application's own frame (reflection, cube map and mirror
// passes, the 3D pass, the HUD, the glow capture) and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/app_timer.h"
#include "app/data_file.h"
#include "contentgen/car_upgrades.h"
#include "contentgen/content.h"
#include "contentgen/png_writer.h"
#include "contentgen/vehicle_content.h"
#include "frontend/menu_manager.h"
#include "frontend/race_request.h"
#include "frontend/showroom_scene.h"
#include "game/game_application.h"
#include "platform/gfx/gl_device.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/race_definition.h"
#include "race/player_profile.h"
#include "race/hud/race_hud.h"
#include "race/race_list.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_presentation.h"
#include "render/effects/race_camera.h"
#include "render/effects/scene_lighting.h"
#include "geometry/scene_records.h"
#include "gl_game_services.h"

namespace game {
namespace {

namespace fs = std::filesystem;
namespace gs = app::game_state;
using app::SettingId;
using platform::Matrix4;
using platform::Vec3;

// The application with its device and race in reach of the test.
class RaceGame : public GameApplication {
 public:
  using GameApplication::GameApplication;
  platform::gfx::GlDevice& Gl() { return *static_cast<platform::gfx::GlDevice*>(device); }
  race::RaceSession* Race() { return raceSession.get(); }
};

// One frame as read back: ARGB pixels, rows top-down.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Area() const { return std::max(right - left, 0) * std::max(bottom - top, 0); }
};

double Luminance(uint32_t argb) {
  return 0.299 * ((argb >> 16) & 0xFF) + 0.587 * ((argb >> 8) & 0xFF) + 0.114 * (argb & 0xFF);
}

// A colour as hue (degrees) and saturation (0..1).
struct Hsv {
  double hue = 0, saturation = 0;
};

Hsv ToHsv(double r, double g, double b) {
  const double high = std::max({r, g, b}), low = std::min({r, g, b}), span = high - low;
  Hsv hsv;
  hsv.saturation = high > 0 ? span / high : 0;
  if (span <= 0) return hsv;
  if (high == r) hsv.hue = 60 * std::fmod((g - b) / span + 6, 6.0);
  else if (high == g) hsv.hue = 60 * ((b - r) / span + 2);
  else hsv.hue = 60 * ((r - g) / span + 4);
  return hsv;
}

Hsv ToHsv(uint32_t argb) { return ToHsv((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

double HueDistance(double a, double b) {
  const double d = std::fabs(a - b);
  return std::min(d, 360 - d);
}

class RaceFrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(fs::temp_directory_path() / ("corsaire_race_frame_" + std::to_string(std::random_device{}())));
    ASSERT_TRUE(contentgen::WriteAllContent(folder_->string() + "/"));
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
    folder_ = nullptr;
  }

  void TearDown() override {
    app_.reset();
    windows_.reset();
  }

  // Starts the game with every detail setting on unless the test says otherwise, and the first car of the
  // content list as the player's, as it comes from the catalogue.
  void StartGame(const std::function<void(app::Settings&)>& adjust) {
    app_.reset();
    windows_.reset();
    windows_ = platform::CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr) << "no display";
    platform::WindowSystem& desktop = *windows_;
    app::GraphicsAppServices services = display_test::GlGameServices(desktop);
    services.timer = [this](int command) {
      if (command == static_cast<int>(app::TimerCommand::ElapsedTime)) return elapsed_;
      if (command == static_cast<int>(app::TimerCommand::ApplicationTime)) return clock_;
      return 0.0;
    };
    GameServices game;
    game.programFolder = folder_->string() + "/";
    game.mixer = &mixer_;
    game.randomSeed = [] { return 7u; };
    game.raceListClock = &raceListClock_;
    game.controllerOpener = [](bool) -> std::unique_ptr<platform::input::Controller> { return nullptr; };
    game.machine = app::MachineFacts{1500, 1024, 64};
    app_ = std::make_unique<RaceGame>(services, game);
    ASSERT_EQ(app_->Create(), platform::kOk);

    app::Settings& settings = *app_->GetSettings();
    for (SettingId id : {SettingId::STENCILSHADOWS, SettingId::CUBEMAPPING, SettingId::SCENEREFLECTION,
                         SettingId::DYNAMICREFLECTIONS, SettingId::HEADLIGHTS, SettingId::REARVIEW,
                         SettingId::FOGVERTEX}) {
      settings.SetInt(id, 1);
    }
    settings.SetInt(SettingId::GLOWDETAIL, 2);
    settings.SetInt(SettingId::MOTIONBLUR, 0);
    if (adjust) adjust(settings);
    race::ContentDatabase& database = *app_->GetContentDatabase();
    const std::string gameFolder = folder_->string() + "/";
    database.LoadFrom(app::DataFile(gameFolder + kContentListFile), gameFolder, gameFolder);
    ASSERT_FALSE(database.vehicleNames.empty());
    settings.SetString(app::StringSettingId::VEHICLE, database.vehicleNames[0]);
    app_->GetPlayerProfile()->SetWorkingSelection(vehicle::UpgradeSelection());
  }

  // Starts the game and its quick race with the given number of opponents, all in the player's car. Returns at
  // the countdown, with the cars held on the grid.
  void StartRace(uint32_t opponents, const std::function<void(app::Settings&)>& adjust = {}, bool neon = false) {
    StartGame(adjust);
    if (HasFatalFailure()) return;
    race::ContentDatabase& database = *app_->GetContentDatabase();
    ASSERT_NE(database.quickRaces, nullptr);
    race::RaceDefinition* race = database.quickRaces->At(0);
    ASSERT_NE(race, nullptr);
    // Named opponents, so the field is the same at every run.
    race->opponents = opponents;
    race->playerStart = 0;
    race->reverse = false;
    race->aiRacerNames.clear();
    race->aiVehicles.clear();
    race->aiStartPositions.clear();
    race->aiUpgrades.clear();
    // The opponents' cars as they come, or with the Blue Neon when asked.
    std::vector<uint32_t> upgrades{contentgen::kUpgradeStockBody};
    if (neon) upgrades.push_back(contentgen::kUpgradeNeonBlue);
    for (uint32_t n = 0; n < opponents; ++n) {
      race->AddAiRacer("Rival" + std::to_string(n + 1), database.vehiclePaths[0], n + 1, upgrades);
    }
    app_->GetScreenFlow()->Reset(gs::kMenus, 0, app::menu_screen::NoScreenChange);
    ASSERT_TRUE(frontend::RequestRace(*app_->GetScreenFlow(), database, race));
    for (int frame = 0; frame < 200 && app_->GetScreenFlow()->state != gs::kCountdown; ++frame) Step(0.0);
    ASSERT_EQ(app_->GetScreenFlow()->state, gs::kCountdown);
    ASSERT_NE(app_->Race(), nullptr);
    ASSERT_NE(app_->Race()->Player(), nullptr);
  }

  // One frame of the game: the update with dt seconds, then the render (not presented, so it can be read).
  void Step(double dt) {
    elapsed_ = dt;
    clock_ += dt;
    ASSERT_EQ(app_->FrameMove(), platform::kOk);
    ASSERT_EQ(app_->Render(), platform::kOk);
  }

  // Lets the cars settle on their springs and the camera come round behind the player (half a second of the
  // countdown), then draws a frame with the world standing still and reads it back.
  Frame Settle(const char* name = nullptr) {
    for (int frame = 0; frame < 40; ++frame) Step(0.02);
    // The countdown's band across the middle of the screen would dim what the tests look at.
    if (app_->Race()->hud != nullptr) app_->Race()->hud->overlaySprites.DeleteAll();
    return Shoot(name);
  }

  // Hides a car (and its shadows) as the respawn blink does, or shows it again.
  static void Hide(vehicle::Vehicle& car, bool hidden) {
    car.respawning = hidden;
    car.respawnVisible = !hidden;
  }

  // A rectangle of the 800 × 600 virtual screen in pixels.
  Rect VirtualRect(int left, int top, int right, int bottom) const {
    const int width = app_->GetSettings()->GetInt(SettingId::SCREENWIDTH);
    const int height = app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT);
    return Rect{left * width / 800, top * height / 600, right * width / 800, bottom * height / 600};
  }

  static double MeanLuminance(const Frame& frame, const Rect& rect) {
    double sum = 0;
    int count = 0;
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, frame.height); ++y)
      for (int x = std::max(rect.left, 0); x < std::min(rect.right, frame.width); ++x, ++count) {
        sum += Luminance(frame.At(x, y));
      }
    return count > 0 ? sum / count : 0;
  }

  // Pixels of the rectangle whose luminance differs by more than the threshold between two frames.
  static int CountChanged(const Frame& a, const Frame& b, const Rect& rect, double threshold) {
    int changed = 0;
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, a.height); ++y)
      for (int x = std::max(rect.left, 0); x < std::min(rect.right, a.width); ++x) {
        if (std::fabs(Luminance(a.At(x, y)) - Luminance(b.At(x, y))) > threshold) ++changed;
      }
    return changed;
  }

  // The sample car's paint where the point lands on the screen shows the paint's own hue, lit or shaded, and
  // keeps most of its saturation: light, specular and mirrored surroundings never wash it out toward white.
  void ExpectPaint(const Frame& frame, const Vec3& point) const {
    double rgb[3] = {};
    for (int c = 0; c < 3; ++c) {
      const int shift = 16 - 8 * c;
      rgb[c] = MeanChannel(frame, point, 2, [shift](uint32_t argb) { return static_cast<double>((argb >> shift) & 0xFF); });
    }
    const Hsv seen = ToHsv(rgb[0], rgb[1], rgb[2]);
    const Hsv paint = ToHsv(contentgen::SampleCars()[0].paintArgb);
    EXPECT_LT(HueDistance(seen.hue, paint.hue), 15.0) << "seen " << rgb[0] << ", " << rgb[1] << ", " << rgb[2];
    EXPECT_GT(seen.saturation, paint.saturation * 0.7) << "seen " << rgb[0] << ", " << rgb[1] << ", " << rgb[2];
  }

  double MeanBlue(const Frame& frame, const Vec3& point, int r) const {
    return MeanChannel(frame, point, r, [](uint32_t argb) { return static_cast<double>(argb & 0xFF); });
  }

  // Mean luminance of the (2r+1)² pixels around where the point lands on the screen.
  double MeanLuminance(const Frame& frame, const Vec3& point, int r) const {
    return MeanChannel(frame, point, r, Luminance);
  }

  double MeanChannel(const Frame& frame, const Vec3& point, int r, const std::function<double(uint32_t)>& value) const {
    int x = 0, y = 0;
    EXPECT_TRUE(Project(point, &x, &y));
    double sum = 0;
    int count = 0;
    for (int dy = -r; dy <= r; ++dy)
      for (int dx = -r; dx <= r; ++dx) {
        if (!frame.Inside(x + dx, y + dy)) continue;
        sum += value(frame.At(x + dx, y + dy));
        ++count;
      }
    EXPECT_GT(count, 0) << "the point lies on the screen";
    return count > 0 ? sum / count : 0;
  }

  Frame Shoot(const char* name = nullptr) {
    Step(0.0);
    Frame frame;
    frame.width = app_->GetSettings()->GetInt(SettingId::SCREENWIDTH);
    frame.height = app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT);
    frame.pixels = app_->Gl().ReadPixels(0, 0, static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height));
    EXPECT_EQ(frame.pixels.size(), static_cast<size_t>(frame.width) * frame.height);
    if (const char* dump = std::getenv("CORSAIRE_FRAME_DUMP"); dump != nullptr && name != nullptr) {
      contentgen::PictureData picture(static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height));
      for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) picture.Set(x, y, frame.At(x, y));
      contentgen::WritePng(std::string(dump) + "/" + name + ".png", picture, false);
    }
    return frame;
  }

  // Puts a car on the ground at (x, z), heading along the unit vector (hx, 0, hz).
  static void Place(vehicle::Vehicle& car, float x, float z, float hx, float hz) {
    const Vec3 forward = platform::Normalize(Vec3{hx, 0, hz});
    const Vec3 up{0, 1, 0};
    const Vec3 right = platform::Cross(up, forward);
    Matrix4 rotation = platform::IdentityMatrix();
    rotation.m[0][0] = right.x, rotation.m[0][1] = right.y, rotation.m[0][2] = right.z;
    rotation.m[1][0] = up.x, rotation.m[1][1] = up.y, rotation.m[1][2] = up.z;
    rotation.m[2][0] = forward.x, rotation.m[2][1] = forward.y, rotation.m[2][2] = forward.z;
    car.SetTransform(Vec3{x, car.GetRestHeight(), z}, rotation);
  }

  // Where a world point lands on the screen through the race camera; false behind the eye.
  bool Project(const Vec3& point, int* x, int* y) const {
    const render::RaceCamera& camera = *app_->Race()->Scenery().camera;
    const Matrix4 clip = camera.view * camera.projection;
    const float cx = point.x * clip.m[0][0] + point.y * clip.m[1][0] + point.z * clip.m[2][0] + clip.m[3][0];
    const float cy = point.x * clip.m[0][1] + point.y * clip.m[1][1] + point.z * clip.m[2][1] + clip.m[3][1];
    const float cw = point.x * clip.m[0][3] + point.y * clip.m[1][3] + point.z * clip.m[2][3] + clip.m[3][3];
    if (cw <= 0) return false;
    const int width = app_->GetSettings()->GetInt(SettingId::SCREENWIDTH);
    const int height = app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT);
    *x = static_cast<int>((cx / cw * 0.5f + 0.5f) * static_cast<float>(width));
    *y = static_cast<int>((0.5f - cy / cw * 0.5f) * static_cast<float>(height));
    return true;
  }

  vehicle::Vehicle& Player() { return *app_->Race()->Player(); }
  vehicle::Vehicle& Opponent(size_t n) {
    size_t seen = 0;
    for (vehicle::Vehicle* car : app_->Race()->Racers()) {
      if (car == app_->Race()->Player()) continue;
      if (seen++ == n) return *car;
    }
    ADD_FAILURE() << "no opponent " << n;
    return Player();
  }

  static fs::path* folder_;
  std::unique_ptr<platform::WindowSystem> windows_;
  platform::audio::Mixer mixer_{8000, 8};
  platform::FixedClock raceListClock_{1};
  std::unique_ptr<RaceGame> app_;
  double elapsed_ = 0.0;
  double clock_ = 0.0;
};

fs::path* RaceFrameTest::folder_ = nullptr;

TEST_F(RaceFrameTest, TheSunLightsTheCarsSideFacingItAndItsShadowFallsOnTheRoadBeyond) {
  StartRace(1);
  // The sun shines from behind the chase camera's left. The opponent stands just ahead of the player's car and
  // to its right, showing the camera its left flank, which faces the sun.
  Place(Player(), 0, -3000, 1, 0);
  vehicle::Vehicle& car = Opponent(0);
  Place(car, 500, -3130, 1, 0);
  const Frame sunlit = Settle("sun");
  const Vec3 flank = car.position + Vec3{0, car.bodyMin.y + (car.bodyMax.y - car.bodyMin.y) * 0.3f, 0} -
                     car.rightAxis * (car.bodyMax.x - 1) - car.forwardAxis * 20.0f;
  // With the sun moved round to the car's right, the same flank is in shade.
  geometry::SceneNode& sun = *app_->Race()->Scenery().lighting->lights->front();
  const Vec3 direction = sun.direction;
  sun.direction = Vec3{-direction.x, direction.y, -direction.z};
  const Frame turned = Shoot("sun_turned");
  sun.direction = direction;
  EXPECT_GT(MeanLuminance(sunlit, flank, 3), MeanLuminance(turned, flank, 3) * 1.5 + 5)
      << "the flank is brighter while it faces the sun";
  ExpectPaint(sunlit, flank);
  ExpectPaint(turned, flank);

  // Now to the player's left, showing its right flank, which turns away from the sun: its stencil shadow falls
  // on the road to its right and no further. Turning stencil shadows off brightens the road beside the flank
  // and leaves the road a car's width further out as it was.
  Place(car, 250, -2820, 1, 0);
  const Frame shaded = Settle("shadow");
  app_->GetSettings()->SetInt(SettingId::STENCILSHADOWS, 0);
  const Frame unshaded = Shoot("shadow_off");
  const Vec3 ground = car.position - Vec3{0, car.GetRestHeight(), 0} + car.forwardAxis * 10.0f;
  const Vec3 inShadow = ground + car.rightAxis * (car.bodyMax.x + 22);
  const Vec3 beyond = ground + car.rightAxis * (car.bodyMax.x + 90);
  EXPECT_GT(MeanLuminance(unshaded, inShadow, 2), MeanLuminance(shaded, inShadow, 2) + 6);
  EXPECT_NEAR(MeanLuminance(unshaded, beyond, 2), MeanLuminance(shaded, beyond, 2), 1.0);
}

// Seen from either side, each wheel facing the camera shows its rim and tyre: taking the wheels away changes
// most of the picture inside the tyre's outline.
TEST_F(RaceFrameTest, EveryWheelShowsItsFaceFromEitherSideOfTheCar) {
  StartRace(1, [](app::Settings& settings) { settings.SetInt(SettingId::STENCILSHADOWS, 0); });
  ASSERT_FALSE(HasFatalFailure());
  Place(Player(), 0, -3000, 1, 0);
  vehicle::Vehicle& car = Opponent(0);
  vehicle::VehicleBody& body = *vehicle::PresentationOf(car)->body;
  // Heading +z the car shows the chase camera its left flank, heading -z its right flank.
  for (const float heading : {1.0f, -1.0f}) {
    SCOPED_TRACE(heading > 0 ? "left flank" : "right flank");
    Place(car, 300, -2850, 0, heading);
    for (auto& level : body.lods) level.drawWheels = true;
    const Frame wheels = Settle(heading > 0 ? "wheels_left" : "wheels_right");
    for (auto& level : body.lods) level.drawWheels = false;
    const Frame bare = Shoot(heading > 0 ? "wheels_left_bare" : "wheels_right_bare");
    const Vec3 towardCamera{-1, 0, 0};
    int seen = 0;
    for (int i = 0; i < 4; ++i) {
      const vehicle::Wheel& wheel = *car.wheels[i];
      const Vec3 centre = wheel.position + wheel.up * wheel.suspensionOffset;
      const float side = platform::Dot(centre - car.position, towardCamera);
      if (side <= 0) continue;  // the far wheels hide behind the body
      ++seen;
      // The outer face's middle half, where the rim's disc is.
      const Vec3 face = centre + towardCamera * (wheel.width * 0.5f);
      int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      ASSERT_TRUE(Project(face - Vec3{0, wheel.radius * 0.5f, 0} - car.forwardAxis * (wheel.radius * 0.5f), &x0, &y0));
      ASSERT_TRUE(Project(face + Vec3{0, wheel.radius * 0.5f, 0} + car.forwardAxis * (wheel.radius * 0.5f), &x1, &y1));
      const Rect disc{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
      ASSERT_GT(disc.Area(), 16) << "wheel " << i << " is large enough on the screen to judge";
      EXPECT_GT(CountChanged(wheels, bare, disc, 12), disc.Area() * 2 / 3) << "wheel " << i;
    }
    EXPECT_EQ(seen, 2) << "two wheels face the camera";
  }
  for (auto& level : body.lods) level.drawWheels = true;
}

TEST_F(RaceFrameTest, TheMirrorShowsTheCarBehind) {
  StartRace(1);
  Place(Player(), 0, -3000, 1, 0);
  vehicle::Vehicle& follower = Opponent(0);
  Place(follower, -280, -3000, 1, 0);
  const Frame followed = Settle("mirror");
  Hide(follower, true);
  const Frame alone = Shoot("mirror_alone");
  // The mirror's picture in the HUD: top middle of the screen.
  const Rect mirror = VirtualRect(220, 30, 580, 105);
  EXPECT_GT(CountChanged(followed, alone, mirror, 20), mirror.Area() / 100);
  EXPECT_GT(MeanLuminance(alone, mirror), 10.0) << "the mirror shows the track behind";
}

TEST_F(RaceFrameTest, TheRoadReflectionShowsACar) {
  StartRace(1, [](app::Settings& settings) { settings.SetInt(SettingId::STENCILSHADOWS, 0); });
  // From the player's seat, looking across the pond at a car standing in it.
  Place(Player(), -2500, 0, 1, 0);
  vehicle::Vehicle& car = Opponent(0);
  Place(car, -1600, 0, 0, 1);
  app_->Race()->Scenery().camera->NextView();
  const Frame mirrored = Settle("reflection");
  Hide(car, true);
  const Frame empty = Shoot("reflection_empty");
  // Under the car's feet on the screen: its image in the water, a car's height deep.
  int x = 0, top = 0, bottom = 0;
  ASSERT_TRUE(Project(car.position - Vec3{0, car.GetRestHeight(), 0}, &x, &bottom));
  ASSERT_TRUE(Project(car.position + Vec3{0, car.bodyMax.y, 0}, &x, &top));
  const int height = bottom - top;
  ASSERT_GT(height, 10);
  const Rect water{x - height / 2, bottom + height / 4, x + height / 2, bottom + height * 3 / 4};
  EXPECT_GT(CountChanged(mirrored, empty, water, 12), water.Area() / 4);
}

TEST_F(RaceFrameTest, HeadlightsBrightenTheRoadAhead) {
  StartRace(1);
  Place(Player(), 0, -3000, 1, 0);
  vehicle::Vehicle& car = Opponent(0);
  Place(car, 500, -2830, 1, 0);
  app_->Race()->Scenery().camera->NextView();
  const Frame lit = Settle("headlights");
  Player().headlightsOn = false;
  car.headlightsOn = false;
  const Frame dark = Shoot("headlights_off");
  // The player's beam, thrown onto the road from the car's roof.
  for (float ahead : {150.0f, 250.0f, 400.0f}) {
    const Vec3 road = Player().position - Vec3{0, Player().GetRestHeight(), 0} + Player().forwardAxis * ahead;
    EXPECT_GT(MeanLuminance(lit, road, 2), MeanLuminance(dark, road, 2) + 10) << ahead << " inches ahead";
  }
  // The other car's beam on the road before it.
  const Vec3 road = car.position - Vec3{0, car.GetRestHeight(), 0} + car.forwardAxis * (car.bodyMax.z + 120);
  EXPECT_GT(MeanLuminance(lit, road, 2), MeanLuminance(dark, road, 2) + 10) << "the other car's beam";
}

TEST_F(RaceFrameTest, GlowCaptureAddsOnlyTheGlowTrailsToTheFrame) {
  StartRace(1, [](app::Settings& settings) { settings.SetInt(SettingId::MOTIONBLUR, 1); });
  Place(Player(), 0, -3000, 1, 0);
  Place(Opponent(0), 500, -2830, 1, 0);
  const Frame trails = Settle("glow_trails");
  app_->GetSettings()->SetInt(SettingId::MOTIONBLUR, 0);
  const Frame plain = Shoot("glow_trails_off");
  // The 3D picture between the HUD's top and bottom rows.
  const Rect view = VirtualRect(0, 140, 800, 430);
  const double with = MeanLuminance(trails, view), without = MeanLuminance(plain, view);
  EXPECT_GT(with, without) << "the trails add light";
  EXPECT_LT(with, without * 1.05 + 1) << "and no more than the trails: the scene is not added a second time";
}

TEST_F(RaceFrameTest, ReflectiveCarsMirrorTheTrackDrawnIntoTheirOwnCube) {
  StartRace(1);
  Place(Player(), 0, -3000, 1, 0);
  vehicle::Vehicle& car = Opponent(0);
  Place(car, 250, -2820, 1, 0);
  const uint64_t before = app_->Gl().GetCounters().draws;
  const Frame mirrored = Settle("cube");
  const uint64_t withCubes = app_->Gl().GetCounters().draws - before;
  // The same frames without environment cubes.
  app_->GetSettings()->SetInt(SettingId::CUBEMAPPING, 0);
  const uint64_t start = app_->Gl().GetCounters().draws;
  for (int frame = 0; frame < 41; ++frame) Step(0.0);
  const uint64_t withoutCubes = app_->Gl().GetCounters().draws - start;
  const Frame plain = Shoot("cube_off");
  EXPECT_GT(withCubes, withoutCubes + 41 * 6) << "every frame draws the six faces of one car's cube";
  // The paint shows what the cube holds.
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_TRUE(Project(car.position - car.forwardAxis * car.bodyMax.z + car.rightAxis * car.bodyMax.x, &x0, &y1));
  ASSERT_TRUE(Project(car.position + car.forwardAxis * car.bodyMax.z - car.rightAxis * car.bodyMax.x +
                          Vec3{0, car.bodyMax.y, 0}, &x1, &y0));
  const Rect body{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
  EXPECT_GT(CountChanged(mirrored, plain, body, 6), body.Area() / 20);
  // Mirroring a bright sky, the door still shows the paint: the reflection adds only a share of the surroundings.
  const float doorHeight = car.bodyMin.y + (car.bodyMax.y - car.bodyMin.y) * 0.35f;
  for (const float along : {-30.0f, 0.0f, 30.0f}) {
    SCOPED_TRACE(testing::Message() << along << " inches along the door");
    const Vec3 door = car.position + car.rightAxis * (car.bodyMax.x - 1) + car.forwardAxis * along + Vec3{0, doorHeight, 0};
    ExpectPaint(mirrored, door);
    ExpectPaint(plain, door);
  }
}

TEST_F(RaceFrameTest, TheGroundUnderACarShowsItsShadowPictureOrItsNeon) {
  for (const bool neon : {false, true}) {
    SCOPED_TRACE(neon ? "neon" : "plain");
    StartRace(1, [](app::Settings& settings) { settings.SetInt(SettingId::STENCILSHADOWS, 0); }, neon);
    // Ahead of the player's car and to its left, the opponent shows the camera its right flank.
    Place(Player(), 0, -3000, 1, 0);
    vehicle::Vehicle& car = Opponent(0);
    Place(car, 250, -2820, 1, 0);
    vehicle::VehiclePresentation& presentation = *vehicle::PresentationOf(car);
    if (!neon && presentation.neonTexture != nullptr) {
      // The sample cars glow warm white underneath; without it the shadow shows on its own.
      presentation.imageOwner->ReleaseImage(presentation.neonTexture);
      presentation.neonTexture = nullptr;
    }
    const Frame shown = Settle(neon ? "ground_neon" : "ground_shadow");
    Hide(car, true);
    const Frame hidden = Shoot(neon ? "ground_neon_hidden" : "ground_shadow_hidden");
    // The road just off the flank, inside the grid's margin.
    const Vec3 ground = car.position - Vec3{0, car.GetRestHeight(), 0} + car.rightAxis * (car.bodyMax.x + 5);
    for (const float along : {-30.0f, 0.0f, 30.0f}) {
      const Vec3 road = ground + car.forwardAxis * along;
      if (neon) {
        EXPECT_GT(MeanBlue(shown, road, 2), MeanBlue(hidden, road, 2) + 10) << "neon light on the road";
      } else {
        EXPECT_LT(MeanLuminance(shown, road, 2), MeanLuminance(hidden, road, 2) - 4) << "the shadow darkens";
      }
    }
  }
}

// The frames behind the menus, drawn by the game with the car on the showroom's turntable and the intro's street.
TEST_F(RaceFrameTest, TheMenusFloorsMirrorTheirScenesAndTheCarShowsItsShadowAndGlow) {
  StartGame({});
  ASSERT_FALSE(HasFatalFailure());
  // The intro's wet street shows its reflection target.
  Step(0.0);
  ASSERT_EQ(app_->GetScreenFlow()->state, gs::kIntro);
  const Rect screen{0, 0, 640, 480};
  const Frame street = Shoot("intro");
  app_->GetSettings()->SetInt(SettingId::SCENEREFLECTION, 0);
  const Frame dryStreet = Shoot("intro_no_reflection");
  EXPECT_GT(CountChanged(street, dryStreet, screen, 4), screen.Area() / 100) << "the street mirrors the scene";
  app_->GetSettings()->SetInt(SettingId::SCENEREFLECTION, 1);

  // The showroom's polished floor mirrors the car; the car's neon lights the floor, its shadow darkens it.
  app_->GetScreenFlow()->Reset(gs::kMenus, 0, app::menu_screen::NoScreenChange);
  for (int frame = 0; frame < 10; ++frame) Step(0.0);
  auto* showroom = dynamic_cast<frontend::Showroom*>(app_->GetMenuManager()->Showroom());
  ASSERT_NE(showroom, nullptr);
  ASSERT_NE(showroom->car, nullptr);
  const Frame mirrored = Shoot("showroom");
  app_->GetSettings()->SetInt(SettingId::SCENEREFLECTION, 0);
  const Frame dry = Shoot("showroom_no_reflection");
  EXPECT_GT(CountChanged(mirrored, dry, screen, 4), screen.Area() / 100) << "the floor mirrors the car";
  // Each of the car's pictures on the floor, taken away in turn.
  vehicle::VehiclePresentation& presentation = *vehicle::PresentationOf(*showroom->car);
  ASSERT_NE(presentation.neonTexture, nullptr);
  ASSERT_NE(presentation.shadowTexture, nullptr);
  const auto takeAway = [&](render::ImageResource*& picture) {
    presentation.imageOwner->ReleaseImage(picture);
    picture = nullptr;
  };
  takeAway(presentation.neonTexture);
  const Frame unlit = Shoot("showroom_no_neon");
  takeAway(presentation.shadowTexture);
  const Frame bare = Shoot("showroom_bare");
  int glowing = 0, shaded = 0;
  for (size_t i = 0; i < bare.pixels.size(); ++i) {
    if (Luminance(dry.pixels[i]) > Luminance(unlit.pixels[i]) + 4) ++glowing;
    if (Luminance(unlit.pixels[i]) < Luminance(bare.pixels[i]) - 4) ++shaded;
  }
  EXPECT_GT(glowing, 200) << "the neon lights the floor";
  EXPECT_GT(shaded, 200) << "the shadow darkens the floor";
}

}  // namespace
}  // namespace game
