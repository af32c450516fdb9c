// The intro scene: a straight wet road between rows of buildings, seen from a sweeping camera.
#include "contentgen/intro_scene.h"

#include "contentgen/sky_box.h"

namespace contentgen {

namespace {

using platform::Vec3;

constexpr float kRoadHalfWidth = 300;
constexpr float kStreetLength = 6000;
constexpr float kPavementWidth = 200;
constexpr float kBlockDepth = 500;
constexpr float kBlockSpacing = 800;
constexpr Vec3 kMoonDirection{-0.2f, -1, 0.4f};

enum IntroMaterial : int16_t { kRoad, kPavement, kBuilding, kWindows, kMaterialCount };
enum IntroTexture : int32_t {
  kRoadTexture,
  kRoadReflection,
  kPavementTexture,
  kBuildingTexture,
  kWindowTexture,
  kTextureCount
};
const char* const kTextureFiles[kTextureCount] = {"road.png", "roadreflect.png", "pavement.png", "building.png",
                                                  "windows.png"};

NodeRecord Node(const std::string& name, const Vec3& position, const std::string& text = "") {
  NodeRecord node;
  node.name = name;
  node.position = position;
  node.text = text;
  return node;
}

PathRecord OpenPath(const std::string& name, std::vector<Vec3> points) {
  PathRecord path;
  path.name = name;
  path.lists.push_back({false, std::move(points)});
  return path;
}

}  // namespace

ScnFile BuildIntroScene() {
  ScnFile scene;
  scene.colour2 = {0.15f, 0.15f, 0.25f};
  AddTextureTable(scene, kTextureFiles, kTextureCount);
  const char* names[kMaterialCount] = {"PAVE_ROAD", "COBBLE_PAVEMENT", "NODRIVE_BUILDING", "NODRIVE_WINDOWS"};
  const int32_t textures[kMaterialCount] = {kRoadTexture, kPavementTexture, kBuildingTexture, -1};
  AddBaseMaterials(scene, names, textures, kMaterialCount);
  scene.materials[kRoad].textures[kScnReflectionAlpha] = kRoadReflection;
  // Lit windows: an additive overlay without a base, slowly flickering through a scroll.
  scene.materials[kWindows].textures[kScnOverlayAdd] = kWindowTexture;
  scene.materials[kWindows].hasScroll0 = true;
  scene.materials[kWindows].scroll0[1] = 0.02f;
  scene.materials[kWindows].collidable = 0;

  const float half = kStreetLength / 2;
  ScnPartBuilder street;
  street.AddFloor(kRoad, -kRoadHalfWidth, -half, kRoadHalfWidth, half, 0, 300);
  street.AddFloor(kPavement, -kRoadHalfWidth - kPavementWidth, -half, -kRoadHalfWidth, half, 6, 100);
  street.AddFloor(kPavement, kRoadHalfWidth, -half, kRoadHalfWidth + kPavementWidth, half, 6, 100);
  scene.parts.push_back(street.Take());

  // Blocks on both sides, one part each so the render partition can cull them.
  int index = 0;
  for (float z = -half + kBlockSpacing / 2; z < half; z += kBlockSpacing, ++index) {
    for (float side : {-1.0f, 1.0f}) {
      const float inner = kRoadHalfWidth + kPavementWidth;
      const float height = 400.0f + 150.0f * static_cast<float>((index * 7 + (side > 0 ? 3 : 0)) % 4);
      const Vec3 low{side < 0 ? -inner - kBlockDepth : inner, 0, z - 300};
      const Vec3 high{side < 0 ? -inner : inner + kBlockDepth, height, z + 300};
      ScnPartBuilder block;
      block.AddBox(kBuilding, low, high, 200);
      // A window strip just off the street-facing wall.
      const float x = side < 0 ? high.x + 1 : low.x - 1;
      const float z0 = z - 250, z1 = z + 250;
      if (side < 0) {
        block.AddQuad(kWindows, {Vec3{x, 100, z0}, {x, height - 60, z0}, {x, height - 60, z1}, {x, 100, z1}},
                      {{{0, 4}, {0, 0}, {3, 0}, {3, 4}}});
      } else {
        block.AddQuad(kWindows, {Vec3{x, 100, z1}, {x, height - 60, z1}, {x, height - 60, z0}, {x, 100, z0}},
                      {{{0, 4}, {0, 0}, {3, 0}, {3, 4}}});
      }
      scene.parts.push_back(block.Take());
    }
  }

  scene.nodes.push_back(Node("CAMERA", {0, 150, -half + 200}));
  scene.nodes.push_back(Node("TARGET", {0, 80, 0}));
  scene.nodes.push_back(Node("WING", {0, 200, 0}));  // no model named: the intro flies nothing
  scene.nodes.push_back(Node("FLARE_ORANGE1", {-kRoadHalfWidth - 20, 250, -1000}, "1.5"));
  scene.nodes.push_back(Node("FLARE_ORANGE2", {kRoadHalfWidth + 20, 250, 0}, "1.5"));
  scene.nodes.push_back(Node("FLARE_ORANGE3", {-kRoadHalfWidth - 20, 250, 1000}, "1.5"));
  NodeRecord moon = Node("MOON", {0, 3000, 0});
  moon.kind = 2;
  moon.direction = kMoonDirection;
  moon.colour = {0.5f, 0.55f, 0.8f};
  scene.nodes.push_back(moon);
  scene.nodes.push_back(Node("SKYBOX", {}, "sky.MDL"));
  scene.nodes.push_back(Node("GLOWSKYBOX", {}, "skyglow.MDL"));
  scene.paths.push_back(OpenPath(
      "CAMERAPATH1", {{-150, 120, -half + 300}, {-50, 140, -1500}, {100, 180, -500}, {200, 260, 500}, {0, 400, 1500}}));
  scene.paths.push_back(OpenPath("WINGPATH1", {{0, 300, -2000}, {200, 250, -500}, {-200, 220, 500}, {0, 600, 2000}}));
  return scene;
}

bool WriteIntroScene(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/" + kIntroFolder + "/";
  const PictureData pictures[kTextureCount] = {
      PatternPicture(64,
                     [](uint32_t x, uint32_t y) {
                       const bool line = x >= 30 && x < 34 && y % 32 < 16;
                       return line ? 0xFFE0E0E0u : 0xFF000000u | (30 + Speckle(x, y) % 16) * 0x010101u;
                     }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF000000u | (140 + Speckle(x, y) % 40) * 0x010101u; }),
      PatternPicture(64,
                     [](uint32_t x, uint32_t y) { return (x % 32 == 0 || y % 32 == 0) ? 0xFF505050u : 0xFF787878u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF4A4038u + (Speckle(x, y) % 12) * 0x010101u; }),
      PatternPicture(64,
                     [](uint32_t x, uint32_t y) {
                       const bool lit = x % 16 > 3 && y % 16 > 5 && Speckle(x / 16, y / 16) % 3 != 0;
                       return lit ? 0xFFFFD890u : 0xFF000000u;
                     }),
  };
  for (int i = 0; i < kTextureCount; ++i) {
    if (!WritePng(folder + kTextureFiles[i], pictures[i], false)) return false;
  }
  // A clear night over the city: stars, the moon's glow and lit windows on the skyline.
  SkyLook night;
  night.zenith = 0xFF060A1Cu;
  night.horizon = 0xFF27304Eu;
  night.ground = 0xFF1A1E2Au;
  night.sun = 0xFFC8D0F0u;
  night.sunDirection = kMoonDirection;
  night.cloudCover = 0.25f;
  night.stars = true;
  night.skyline = 0xFF10131Cu;
  night.skylineHeight = 0.14f;
  night.litWindows = true;
  night.glow = 0xFFFF9A50u;
  night.seed = 17;
  return WriteSkyBoxes(folder, "sky", night) && WriteSceneFile(folder + kIntroSceneFile, BuildIntroScene());
}

}  // namespace contentgen
