// Tests of a car's body and appearance built from the sample car models: the parts lay out the chassis, every
// car dents a body of its own over shared tyres, upgrade parts sit on their body parts, material upgrades
// repaint and swap the logo, a body without its parts is refused, upgrade parts share their model and give it
// back; and drawing the car: level of detail, the
// respawn blink, culling and the ground's light. What a car looks like in a race frame is tested on the display
// (race_frame_test).
#include "vehicle/vehicle_assembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "contentgen/car_models.h"
#include "contentgen/mdl_writer.h"
#include "geometry/models/animated_model.h"
#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "render/effects/glow_trails.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "vehicle_fixture.h"
#include "vehicle/part_models.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_renderer.h"

namespace vehicle {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class AssemblyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A folder of this process's own: the suite runs each test in a process of its own, and two writing the
    // same car files at once replace each other's half-written files.
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "vehicle_assembly" /
               std::to_string(std::random_device{}())).string() + "/";
    std::filesystem::create_directories(folder_ + "CAR");
    ASSERT_TRUE(contentgen::WriteCarModels(folder_ + "CAR/", contentgen::CarModelSpec{}));
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  AssemblyTest() : car(&resources, nullptr, "Assembled", false) {
    car.folder = "CAR/";
    car.vehicleModelFile = contentgen::kCarBodyModel;
    car.upgrades = std::make_unique<UpgradeList>();
  }

  VehiclePresentation* Assemble(const std::string& upgrades, const std::string& definition = "",
                                const AppearanceOptions& options = {}) {
    car.upgrades->LoadFromText(upgrades);
    for (auto& upgrade : car.upgrades->Upgrades()) upgrade->installed = true;
    PresentationServices services;
    services.sounds = &sounds;
    services.device = fixture.device;
    return AssembleAppearance(car, app::DataFile::FromText(definition), &resources, services, &glows, options);
  }

  // The colour picture's name of the first material of that name on the body.
  std::string PictureOf(const VehiclePresentation& view, const char* material) {
    const geometry::MeshModel& model = *view.body->lods[0].model;
    for (size_t slot = 0; slot < model.materialNames.size(); ++slot) {
      if (Upper(model.materialNames[slot]) != material) continue;
      const render::ImageResource* image = model.GetMaterialImage(static_cast<int32_t>(slot));
      return image != nullptr ? Upper(image->colourName) : std::string();
    }
    return {};
  }

  testing::NullDeviceFixture fixture;
  testing::FakeSoundSource sounds;
  render::ResourceManager resources{nullptr, folder_};
  // Outlives the car: a car lets go of its glows when it goes.
  render::GlowTrailSystem glows{nullptr, nullptr, nullptr};
  Vehicle car;
  static std::string folder_;
};
std::string AssemblyTest::folder_;

TEST_F(AssemblyTest, BodyPartsLayOutTheChassisAndEachCarDentsItsOwnBodyOverSharedTyres) {
  VehicleBody first(fixture.device, &resources);
  VehicleBody second(fixture.device, &resources);
  ASSERT_TRUE(first.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  ASSERT_TRUE(second.LoadBodyModel("CAR/", contentgen::kCarBodyModel, nullptr));
  const contentgen::CarModelSpec spec;
  const ChassisLayout layout = first.Layout();
  // The tyres' centres at the origin's height, the body's floor below it and over the ground.
  EXPECT_EQ(layout.tyrePositions[kRearRight], (Vec3{spec.halfTrack, 0, spec.rearAxle}));
  EXPECT_LT(layout.bodyMin.y, 0.0f);
  EXPECT_GT(layout.bodyMin.y, -spec.tyreRadius);
  EXPECT_FLOAT_EQ(layout.tyreRadius[0], first.tyreModels[0]->boundsMax.y);
  EXPECT_EQ(layout.collisionMax, first.collisionModel->boundsMax);

  EXPECT_NE(first.lods[0].model, second.lods[0].model);
  EXPECT_EQ(first.tyreModels[0], second.tyreModels[0]);
  const render::SharedRecord* tyres = resources.FindSharedRecord(render::ResourceKind::kMeshModel, first.tyreModels[0]);
  ASSERT_NE(tyres, nullptr);
  EXPECT_EQ(tyres->refCount, 8);
  second.Release();
  EXPECT_EQ(tyres->refCount, 4);
}

TEST_F(AssemblyTest, BuildsTheCarWithItsLevelsUpgradePartsAndDriver) {
  car.exhaustPartNames = {"EXHAUST_LEFT", "EXHAUST_RIGHT"};
  VehiclePresentation* view =
      Assemble("[UPGRADE]\n<ID>,6\n<CATEGORY>,Spoiler\n<VISUAL_PART>,tyre.MDL,exhaust_left\n<VIEWABLE_DISTANCE>,500\n"
               "[/UPGRADE]\n[UPGRADE]\n<ID>,7\n<CATEGORY>,Scoop\n<VISUAL_PART>,tyre.MDL\n[/UPGRADE]\n",
               "<LOD>,lod1.MDL,1500,NO\n<LOD>,lod1.MDL,4000,yes\n");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(car.features.get(), view);
  ASSERT_EQ(view->body->lods.size(), 3u);
  EXPECT_FLOAT_EQ(view->body->lods[2].distance, 4000.0f);
  EXPECT_TRUE(view->body->lods[2].drawWheels) << "YES in any case";
  EXPECT_NE(view->body->lods[1].model, view->body->lods[2].model) << "each level is a copy of its own";
  for (const auto& wheel : car.wheels) ASSERT_NE(wheel, nullptr);
  EXPECT_EQ(view->lights.exhaustPoints.size(), 2u);
  ASSERT_NE(view->driverModel, nullptr);
  EXPECT_GT(static_cast<SharedAnimatedModel*>(view->driverAnimation.get())->ClipLength(kSteerClip), 0);

  ASSERT_EQ(view->visualParts.size(), 2u);
  Vec3 exhaust;
  ASSERT_TRUE(view->body->FindPart("EXHAUST_LEFT", exhaust));
  EXPECT_EQ(view->visualParts[0]->placement.attachPoint, exhaust);
  EXPECT_FLOAT_EQ(view->visualParts[0]->viewDistance, 500.0f);
  EXPECT_EQ(view->visualParts[1]->placement.attachPoint, (Vec3{0, 0, 0})) << "no part named: the car's origin";
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO1.PNG"), std::string::npos) << "no MATERIAL upgrade: logo kept";
}

// The body mirrors its surroundings, so with cube mapping on the car holds an environment cube of its own: the
// cube file's, or with dynamic reflections one the game draws into. Deleting the upgrade parts gives their model
// back.
TEST_F(AssemblyTest, TheCarsOwnCubeFollowsTheSettingsAndDeletedUpgradePartsGiveTheirModelBack) {
  const struct {
    const char* what;
    AppearanceOptions options;
    bool cube, drawnInto;
  } cases[] = {
      {"cube mapping off", {false, true}, false, false},
      {"the cube file", {true, false}, true, false},
      {"drawn by the game", {true, true}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    VehiclePresentation* view = Assemble("", "", c.options);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HasReflectionCubeMap(), c.cube);
    if (c.cube) EXPECT_EQ(view->cubeMap->mode == render::kCubeRenderTarget, c.drawnInto);
  }

  VehiclePresentation* view =
      Assemble("[UPGRADE]\n<ID>,6\n<CATEGORY>,Spoiler\n<VISUAL_PART>,tyre.MDL\n[/UPGRADE]\n"
               "[UPGRADE]\n<ID>,7\n<CATEGORY>,Scoop\n<VISUAL_PART>,tyre.MDL\n[/UPGRADE]\n");
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->visualParts.size(), 2u);
  const geometry::MeshModel* model = view->visualParts[0]->model;
  const render::SharedRecord* record = resources.FindSharedRecord(render::ResourceKind::kMeshModel, model);
  ASSERT_NE(record, nullptr);
  const int held = record->refCount;
  view->DeleteVisualParts();
  EXPECT_TRUE(view->visualParts.empty());
  EXPECT_EQ(record->refCount, held - 2) << "each part gives its reference back";
  view->DeleteVisualParts();  // nothing left: nothing more given back
  EXPECT_EQ(record->refCount, held - 2);
}

TEST_F(AssemblyTest, MaterialUpgradeRepaintsAndSwapsTheLogo) {
  VehiclePresentation* view =
      Assemble("[UPGRADE]\n<ID>,5\n<CATEGORY>,Color\n<MATERIAL>,roof_paint,glass.png,glassa.png,1\n[/UPGRADE]\n");
  ASSERT_NE(view, nullptr);
  EXPECT_NE(PictureOf(*view, "ROOF_PAINT").find("GLASS.PNG"), std::string::npos);
  EXPECT_EQ(PictureOf(*view, "FRONT_PAINT").find("GLASS.PNG"), std::string::npos) << "only the named material";
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO2.PNG"), std::string::npos);
}

// Other cars, wheels and probes meet the sample car's hull where its body is, not anywhere in the box around it.
TEST_F(AssemblyTest, HitTestsFindTheHullsShapeInsideItsBoxWhereverTheCarStands) {
  ASSERT_NE(Assemble(""), nullptr);
  ASSERT_NE(car.collisionModel, nullptr);
  const contentgen::CarModelSpec spec;
  const float half = spec.bodyLength / 2, w = spec.bodyHalfWidth, h = spec.bodyHeight;
  EXPECT_NEAR(car.collisionMax.y, h, 0.5f) << "the hull reaches the roof";
  // The car stands at (1000, 0, 500) with its nose along +x: car z is world x, car x is world -z.
  const Vec3 at{1000, 0, 500};
  car.SetTransform(at, platform::RotationYMatrix(1.5707963f));
  auto world = [&](float x, float y, float z) { return at + Vec3{z, y, -x}; };
  struct Case {
    const char* what;
    Vec3 start, end;
    float radius;
    bool hit;
    float along;  // on a hit: how far along the segment the sphere's centre stops (0..1)
    Vec3 normal;  // on a hit, in world space
  };
  const Case cases[] = {
      {"down onto the bonnet from inside the box, above it", world(0, h - 2, 0.8f * half),
       world(0, -10, 0.8f * half), 0, true, 0.35f, {0, 1, 0}},
      {"across the box's empty top front corner", world(-w - 20, h - 3, half - 2), world(w + 20, h - 3, half - 2), 0,
       false, 0, {}},
      {"into the door", world(-w - 30, 20, 0), world(0, 20, 0), 0, true, 0.45f, {0, 0, 1}},
      {"a sphere into the nose", world(0, 15, half + 100), world(0, 15, half - 20), 5, true, 0.79f, {1, 0, 0}},
      {"a sphere over the boot, below the roof line", world(0, h - 6, -half - 50), world(0, h - 6, -0.7f * half),
       4, false, 0, {}},
      {"a sphere onto the roof", world(0, h + 40, 0), world(0, h - 10, 0), 3, true, 0.74f, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Vec3 centre, point, normal;
    const bool hit = c.radius > 0 ? car.HitTestSweptSphere(c.start, c.end, c.radius, centre, point, normal)
                                  : car.HitTestRay(c.start, c.end, point, normal);
    ASSERT_EQ(hit, c.hit);
    if (!hit) continue;
    if (c.radius == 0) centre = point;
    const float along = platform::Dot(centre - c.start, c.end - c.start) / platform::LengthSquared(c.end - c.start);
    EXPECT_NEAR(along, c.along, 0.06f);
    EXPECT_GT(platform::Dot(normal, c.normal), 0.8f) << normal.x << ", " << normal.y << ", " << normal.z;
    EXPECT_NEAR(platform::Length(normal), 1.0f, 1e-3f);
    EXPECT_NEAR(platform::Length(point - centre), c.radius, 0.05f) << "the contact lies a radius from the centre";
  }
  // A car out of the race (the showroom's) is passed through by moving spheres but still seen by segments.
  car.inert = true;
  Vec3 centre, point, normal;
  EXPECT_FALSE(car.HitTestSweptSphere(cases[3].start, cases[3].end, 5, centre, point, normal));
  EXPECT_TRUE(car.HitTestRay(cases[2].start, cases[2].end, point, normal));
}

// A part named twice takes the later file; a tyre whose model does not load has no size.
TEST_F(AssemblyTest, TheLastOfARepeatedPartCountsAndATyreThatFailsToLoadHasNoSize) {
  contentgen::MdlFile body;
  body.materials.resize(1);
  body.materials[0].name = "BODY";
  body.objects.push_back(contentgen::BoxObject({-30, 5, -80}, {30, 40, 80}, 0));
  const contentgen::CarModelSpec spec;
  auto part = [](const char* name, Vec3 at, const char* file) {
    contentgen::MarkerRecord marker;
    marker.name = name;
    marker.position = at;
    marker.text = file;
    return marker;
  };
  body.markers = {part("FRONT_LEFT_TIRE", {-30, 12, 50}, contentgen::kCarTyreModel),
                  part("FRONT_LEFT_TIRE", {-30, 12, 50}, "missing.MDL"),
                  part("FRONT_RIGHT_TIRE", {30, 12, 50}, "missing.MDL"),
                  part("FRONT_RIGHT_TIRE", {30, 12, 50}, contentgen::kCarTyreModel),
                  part("REAR_LEFT_TIRE", {-30, 12, -50}, contentgen::kCarTyreModel),
                  part("REAR_RIGHT_TIRE", {30, 12, -50}, contentgen::kCarTyreModel),
                  part("COLLISION", {}, contentgen::kCarCollisionModel),
                  part("COLLISION", {}, "twice.MDL")};
  ASSERT_TRUE(contentgen::WriteMdl(folder_ + "CAR/twice.MDL", body));
  VehicleBody loaded(fixture.device, &resources);
  loaded.LoadBodyModel("CAR/", "twice.MDL", nullptr);
  const ChassisLayout layout = loaded.Layout();
  EXPECT_FLOAT_EQ(layout.tyreRadius[kFrontLeft], 0.0f) << "the later part's model is missing";
  EXPECT_FLOAT_EQ(layout.tyreWidth[kFrontLeft], 0.0f);
  EXPECT_NEAR(layout.tyreRadius[kFrontRight], spec.tyreRadius, 0.5f) << "the later part's model loads";
  EXPECT_EQ(layout.collisionMax, (Vec3{30, 40, 80})) << "the later hull: the body itself";
  const render::SharedRecord* tyre = resources.FindSharedRecord(render::ResourceKind::kMeshModel, loaded.tyreModels[kRearLeft]);
  ASSERT_NE(tyre, nullptr);
  EXPECT_EQ(tyre->refCount, 3) << "the replaced front-left tyre was given back";
}

// Every MATERIAL property swaps the badge again, and the wheels take the colour they are given.
TEST_F(AssemblyTest, EachMaterialPropertySwapsTheBadgeAndWheelsTakeTheirColour) {
  VehiclePresentation* view = Assemble("");
  ASSERT_NE(view, nullptr);
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO1.PNG"), std::string::npos);
  car.upgrades->LoadFromText(
      "[UPGRADE]\n<ID>,5\n<CATEGORY>,Color\n<MATERIAL>,roof_paint,glass.png,glassa.png,1\n"
      "<MATERIAL>,front_paint,glass.png\n[/UPGRADE]\n");
  for (auto& upgrade : car.upgrades->Upgrades()) upgrade->installed = true;
  const int badges = static_cast<int>(std::count_if(
      view->body->lods[0].model->materialNames.begin(), view->body->lods[0].model->materialNames.end(),
      [](const std::string& name) { return Upper(name) == "LOGO1"; }));
  ASSERT_GT(badges, 0);
  int repainted = 0;
  for (const char* name : {"ROOF_PAINT", "FRONT_PAINT"}) {
    for (const std::string& material : view->body->lods[0].model->materialNames) repainted += Upper(material) == name;
  }
  EXPECT_EQ(ApplyMaterialUpgrades(*view, car, &resources, fixture.device), repainted + 2 * badges)
      << "two properties: the badge is swapped twice";
  EXPECT_NE(PictureOf(*view, "LOGO1").find("LOGO2.PNG"), std::string::npos);

  car.SetWheelColour(0.25f, 0.5f, 0.75f);
  for (const auto& wheel : car.wheels) EXPECT_EQ(wheel->groundColour, (Vec3{0.25f, 0.5f, 0.75f}));
}

// Brake lights follow the rear-left wheel's brake (above 0.1 either way), reverse lights the reverse gear; the
// driver's STEER clip follows the steering from full left (first frame) to full right (last frame).
TEST_F(AssemblyTest, BrakeAndReverseLightsFollowTheirRulesAndTheDriverTurnsWithTheSteering) {
  VehiclePresentation* view = Assemble("");
  ASSERT_NE(view, nullptr);
  car.engine = std::make_unique<Engine>(app::DataFile::FromText(""), 0, nullptr);
  ASSERT_FALSE(view->lights.brakeGlows.empty());
  ASSERT_FALSE(view->lights.reverseGlows.empty());
  struct LightCase {
    float brake;
    int gear;
    bool brakeOn, reverseOn;
  };
  const LightCase lights[] = {{0, 1, false, false},     {0.1f, 2, false, false}, {0.11f, 1, true, false},
                              {-0.5f, 1, true, false},  {0, 0, false, true},     {1, 0, true, true}};
  for (const LightCase& c : lights) {
    SCOPED_TRACE(::testing::Message() << "brake " << c.brake << ", gear " << c.gear);
    car.wheels[kRearLeft]->brake = c.brake;
    car.engine->ForceGear(c.gear);
    ASSERT_EQ(car.engine->Gear(), c.gear);
    view->UpdateLightGlows({0, 0, 1});
    for (const render::GlowPoint* glow : view->lights.brakeGlows) EXPECT_EQ(glow->visible, c.brakeOn);
    for (const render::GlowPoint* glow : view->lights.reverseGlows) EXPECT_EQ(glow->visible, c.reverseOn);
  }

  ASSERT_NE(view->driverModel, nullptr);
  car.steering = std::make_unique<Steering>();
  const geometry::AnimatedModel& driver = *static_cast<SharedAnimatedModel*>(view->driverAnimation.get())->model;
  const int clip = driver.FindClip(kSteerClip);
  ASSERT_GE(clip, 0);
  const geometry::AnimationClip& steer = *driver.clips[static_cast<size_t>(clip)];
  ASSERT_GT(steer.lastFrame, steer.firstFrame + 1);
  const float middle = (steer.firstFrame + steer.lastFrame) * 0.5f;
  struct SteerCase {
    float share;  // steering angle over its range
    float frame;  // the frame shown, with its fraction
  };
  const SteerCase poses[] = {{-1, float(steer.firstFrame)}, {0, middle}, {0.5f, (middle + steer.lastFrame) * 0.5f},
                             {1, float(steer.lastFrame)}};
  for (const SteerCase& c : poses) {
    SCOPED_TRACE(::testing::Message() << "steering " << c.share);
    car.steering->angle = c.share * car.steering->range;
    car.features->UpdateAttachments(car, 0.02f);
    const geometry::ClipState* state = driver.ActiveState();
    ASSERT_NE(state, nullptr);
    EXPECT_NEAR(state->frame + state->fraction, c.frame, 1e-3f);
  }
}

TEST_F(AssemblyTest, BodyWithoutItsPartsIsRefusedAndLeavesTheCarAlone) {
  VehicleBody tyreOnly(fixture.device, &resources);
  EXPECT_FALSE(tyreOnly.LoadBodyModel("CAR/", contentgen::kCarTyreModel, nullptr)) << "no tyre or hull parts";
  for (const char* file : {"missing.MDL", ""}) {
    car.vehicleModelFile = file;
    EXPECT_EQ(Assemble(""), nullptr) << file;
    EXPECT_EQ(car.features, nullptr);
    EXPECT_EQ(car.wheels[0], nullptr);
  }
}

TEST_F(AssemblyTest, UpgradePartsShareTheirModelHideFarAwayAndGiveItBack) {
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

TEST(VehicleRendererShadow, VolumeEndsJustBelowTheGroundItFallsOn) {
  struct Case {
    const char* what;
    Vec3 sun, normal;
    float height, reach;
  };
  const Case cases[] = {
      {"straight down onto flat ground", {0, -1, 0}, {0, 1, 0}, 50, 50 + vehicle::kShadowVolumeDepth},
      {"a slanting sun goes further", {0.6f, -0.8f, 0}, {0, 1, 0}, 40, (40 + vehicle::kShadowVolumeDepth) / 0.8f},
      {"a caster below the plane still passes it by the depth", {0, -1, 0}, {0, 1, 0}, -30, vehicle::kShadowVolumeDepth},
      {"a sun along the ground keeps the full length", {1, 0, 0}, {0, 1, 0}, 50, vehicle::kShadowVolumeLength},
      {"a sun from below keeps the full length", {0, 1, 0}, {0, 1, 0}, 50, vehicle::kShadowVolumeLength},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(vehicle::ShadowVolumeReach(c.sun, c.normal, c.height), c.reach, 1e-3f) << c.what;
  }
}

TEST(VehicleRenderer, LastLevelNotBeyondTheDepthWins) {
  std::vector<LodLevel> lods = {{nullptr, 0, true}, {nullptr, 1500, true}, {nullptr, 4000, false}};
  EXPECT_EQ(SelectLodIndex(lods, 2000), 1u);
  EXPECT_EQ(SelectLodIndex(lods, -10), 0u);
  EXPECT_EQ(SelectLodIndex(lods, 4000), 2u);
  EXPECT_EQ(SelectLodIndex({}, 100), 0u);
}

class DrawnCar : public AssemblyTest {
 protected:
  void SetUp() override {
    view = Assemble("[UPGRADE]\n<ID>,6\n<CATEGORY>,Spoiler\n<VISUAL_PART>," + std::string(contentgen::kCarExhaustTipsModel) +
                        "\n[/UPGRADE]\n",
                    "<LOD>," + std::string(contentgen::kCarLodModel) + ",0.5,NO\n");  // beyond the near plane
    ASSERT_NE(view, nullptr);
    car.SetTransform({0, 0, 0}, platform::IdentityMatrix());
    camera = platform::LookAtLH({0, 150, -600}, {0, 0, 0}, {0, 1, 0});
    frustum.BuildOrdinary(camera, platform::PerspectiveFovLH(1.0f, 4.0f / 3.0f, 10.0f, 20000.0f));
  }
  bool Render(float bias = 0) {
    return view->renderer->Render(fixture.device, nullptr, platform::IdentityMatrix(), &frustum, bias, nullptr);
  }
  size_t Draws() { return fixture.Null().Draws().size(); }

  VehiclePresentation* view = nullptr;
  Matrix4 camera;
  render::ViewFrustum frustum;
};

TEST_F(DrawnCar, LevelsChooseBodyAndWhetherWheelsAreDrawn) {
  ASSERT_TRUE(Render());
  EXPECT_EQ(view->renderer->lodIndex, 1u);
  const size_t farDraws = Draws();
  EXPECT_GT(farDraws, 0u);
  fixture.Null().ClearRecords();
  ASSERT_TRUE(Render(-1e6f));
  EXPECT_EQ(view->renderer->lodIndex, 0u) << "a large negative bias brings the full body back";
  EXPECT_GT(Draws(), farDraws) << "the full body comes with its four wheels";
}

TEST_F(DrawnCar, RespawnBlinkHidesEveryPassCullingHidesACarBehindAndInertCarsSkipTheNormalPass) {
  VehicleRenderer& renderer = *view->renderer;
  const Matrix4 identity = platform::IdentityMatrix();
  render::ViewFrustum mirrored;
  fixture.Null().ClearRecords();
  car.respawning = true;
  car.respawnVisible = false;
  EXPECT_FALSE(Render());
  EXPECT_FALSE(renderer.RenderAlternatePass(fixture.device, identity, &frustum, 0));
  EXPECT_FALSE(renderer.RenderReflected(fixture.device, nullptr, camera, identity, &mirrored, 0, nullptr));
  EXPECT_FALSE(renderer.RenderGroundShadow(fixture.device, camera, &frustum));
  EXPECT_EQ(Draws(), 0u);
  car.respawnVisible = true;
  EXPECT_TRUE(Render());
  EXPECT_TRUE(renderer.RenderGroundShadow(fixture.device, camera, &frustum));

  car.respawning = false;
  car.SetTransform({0, 0, -5000}, identity);  // behind the camera
  EXPECT_FALSE(Render());
  EXPECT_FALSE(renderer.RenderGroundShadow(fixture.device, camera, &frustum));
  car.SetTransform({0, 0, 0}, identity);
  car.inert = true;
  EXPECT_FALSE(Render());
  EXPECT_TRUE(renderer.RenderAlternatePass(fixture.device, identity, &frustum, 0)) << "the second pass ignores inert";
}

TEST_F(DrawnCar, DrawingTintsTheBodyAndItsUpgradePartsWithTheGroundsLight) {
  car.groundTint[0] = 0.25f, car.groundTint[1] = 0.5f, car.groundTint[2] = 0.75f;
  ASSERT_TRUE(Render());
  ASSERT_EQ(view->visualParts.size(), 1u);
  for (const geometry::MeshModel* model : {view->body->lods[0].model, view->visualParts[0]->model}) {
    ASSERT_NE(model, nullptr);
    int tinted = 0;
    for (uint32_t slot = 0; slot < model->materialCount; ++slot) {
      const render::ImageResource* image = model->GetMaterialImage(static_cast<int32_t>(slot));
      if (image == nullptr) continue;
      EXPECT_FLOAT_EQ(image->material.diffuse.r, 0.25f);
      EXPECT_FLOAT_EQ(image->material.diffuse.b, 0.75f);
      ++tinted;
    }
    EXPECT_GT(tinted, 0);
  }
}

}  // namespace
}  // namespace vehicle
