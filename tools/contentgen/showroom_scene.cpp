// The showroom scene: a square hall around a turntable with a mirror-polished floor.
#include "contentgen/showroom_scene.h"

#include <cmath>

#include "contentgen/showroom_movie.h"

namespace contentgen {

namespace {

using platform::Vec3;

constexpr float kHallHalf = 600;  // inches from the centre to each wall
constexpr float kHallHeight = 300;
constexpr float kTurntableHalf = 160;
constexpr float kTurntableHeight = 4;
constexpr float kCameraPathRadius = 380;
constexpr int kCameraPathPoints = 24;
// The wall screen: half its width (it is twice as wide as tall) and its lower edge, inches.
constexpr float kScreenHalfWidth = 200;
constexpr float kScreenBottom = 60;

enum ShowroomMaterial : int16_t { kFloor, kWalls, kTurntable, kCeiling, kScreen, kScreenFrame, kMaterialCount };
enum ShowroomTexture : int32_t {
  kFloorTexture, kFloorReflection, kWallTexture, kTurntableTexture, kScreenMovie, kFrameTexture, kTextureCount
};
const char* const kTextureFiles[kTextureCount] = {"floor.png", "floorreflect.png", "wall.png", "turntable.png",
                                                  kShowroomMovie, "frame.png"};

PathRecord Circle(const std::string& name, float radius, float height, float phase) {
  PathRecord path;
  path.name = name;
  PathPointList list;
  list.closed = true;
  for (int i = 0; i < kCameraPathPoints; ++i) {
    const float angle = phase + 6.2831853f * static_cast<float>(i) / kCameraPathPoints;
    list.points.push_back({radius * std::cos(angle), height + 30 * std::sin(2 * angle), radius * std::sin(angle)});
  }
  path.lists.push_back(list);
  return path;
}

NodeRecord Node(const std::string& name, const Vec3& position, int16_t kind = 0, const std::string& text = "") {
  NodeRecord node;
  node.name = name;
  node.position = position;
  node.kind = kind;
  node.text = text;
  return node;
}

}  // namespace

ScnFile BuildShowroomScene() {
  ScnFile scene;
  scene.colour2 = {0.35f, 0.35f, 0.4f};
  AddTextureTable(scene, kTextureFiles, kTextureCount);
  const char* names[kMaterialCount] = {"PAVE_FLOOR", "NODRIVE_WALLS", "PAVE_TURNTABLE", "NODRIVE_CEILING",
                                       "NODRIVE_SCREEN", "NODRIVE_SCREENFRAME"};
  const int32_t textures[kMaterialCount] = {kFloorTexture, kWallTexture, kTurntableTexture, kWallTexture,
                                            kScreenMovie, kFrameTexture};
  AddBaseMaterials(scene, names, textures, kMaterialCount);
  // The polished floor reflects the car.
  scene.materials[kFloor].textures[kScnReflectionAlpha] = kFloorReflection;
  scene.materials[kFloor].specular = {255, 255, 255};
  scene.materials[kFloor].glossiness = 0.6f;
  scene.materials[kTurntable].lightValue = 100;
  // The wall screen plays a looping movie and lights itself.
  scene.materials[kScreen].lightValue = 100;

  ScnPartBuilder floor;
  floor.AddFloor(kFloor, -kHallHalf, -kHallHalf, kHallHalf, kHallHalf, 0, 120);
  scene.parts.push_back(floor.Take());

  ScnPartBuilder walls;
  // Inward-facing walls: each quad seen from inside the hall.
  const float h = kHallHalf, top = kHallHeight;
  walls.AddQuad(kWalls, {Vec3{h, 0, -h}, {h, top, -h}, {-h, top, -h}, {-h, 0, -h}}, {{{0, 2}, {0, 0}, {4, 0}, {4, 2}}});
  walls.AddQuad(kWalls, {Vec3{h, 0, h}, {h, top, h}, {h, top, -h}, {h, 0, -h}}, {{{0, 2}, {0, 0}, {4, 0}, {4, 2}}});
  walls.AddQuad(kWalls, {Vec3{-h, 0, h}, {-h, top, h}, {h, top, h}, {h, 0, h}}, {{{0, 2}, {0, 0}, {4, 0}, {4, 2}}});
  walls.AddQuad(kWalls, {Vec3{-h, 0, -h}, {-h, top, -h}, {-h, top, h}, {-h, 0, h}}, {{{0, 2}, {0, 0}, {4, 0}, {4, 2}}});
  walls.AddQuad(kCeiling, {Vec3{-h, top, -h}, {h, top, -h}, {h, top, h}, {-h, top, h}},
                {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}});
  scene.parts.push_back(walls.Take());

  // A movie screen on the far wall, in a dark frame.
  ScnPartBuilder screen;
  const float sx = kScreenHalfWidth, sy0 = kScreenBottom, sy1 = kScreenBottom + kScreenHalfWidth;
  screen.AddQuad(kScreenFrame, {Vec3{sx + 12, sy0 - 12, -h + 1}, {sx + 12, sy1 + 12, -h + 1},
                                {-sx - 12, sy1 + 12, -h + 1}, {-sx - 12, sy0 - 12, -h + 1}},
                 {{{0, 1}, {0, 0}, {1, 0}, {1, 1}}});
  screen.AddQuad(kScreen, {Vec3{sx, sy0, -h + 2}, {sx, sy1, -h + 2}, {-sx, sy1, -h + 2}, {-sx, sy0, -h + 2}},
                 {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}});
  scene.parts.push_back(screen.Take());

  ScnPartBuilder turntable;
  turntable.AddBox(kTurntable, {-kTurntableHalf, 0, -kTurntableHalf},
                   {kTurntableHalf, kTurntableHeight, kTurntableHalf}, 80);
  scene.parts.push_back(turntable.Take());

  scene.nodes.push_back(Node("SHOWROOM", {0, kTurntableHeight, 0}));
  scene.nodes.push_back(Node("VEHICLE", {0, kTurntableHeight, 0}));
  scene.nodes.push_back(Node("CAMERA", {-350, 90, -300}));
  scene.nodes.push_back(Node("TARGET", {0, 40, 0}));
  NodeRecord light = Node("KEYLIGHT", {0, 280, 0}, 2);
  light.direction = {0.3f, -1, 0.2f};
  scene.nodes.push_back(light);
  scene.nodes.push_back(Node("FLARE_WHITE1", {-h + 20, 260, -h + 20}, 0, "2.0"));
  scene.nodes.push_back(Node("FLARE_WHITE2", {h - 20, 260, -h + 20}, 0, "2.0"));
  scene.nodes.push_back(Node("FLARE_BLUE1", {0, 260, h - 20}, 0, ""));
  scene.paths.push_back(Circle("CAMERAPATH1", kCameraPathRadius, 80, 0));
  scene.paths.push_back(Circle("CAMERAPATH2", kCameraPathRadius * 0.7f, 140, 1.5f));
  return scene;
}

bool WriteShowroomScene(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/" + kShowroomFolder + "/";
  const PictureData pictures[kTextureCount] = {
      PatternPicture(64, [](uint32_t x, uint32_t y) { return (x / 32 + y / 32) % 2 == 0 ? 0xFF303038u : 0xFF404048u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF000000u | (90 + Speckle(x, y) % 10) * 0x010101u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFFB8B8C0u - (Speckle(x, y) % 12) * 0x010101u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return (x % 8 == 0 || y % 8 == 0) ? 0xFF2A2A30u : 0xFF48484Eu; }),
      PictureData(),
      PatternPicture(16, [](uint32_t, uint32_t) { return 0xFF18181Cu; }),
  };
  for (int i = 0; i < kTextureCount; ++i) {
    if (i == kScreenMovie) continue;
    if (!WritePng(folder + kTextureFiles[i], pictures[i], false)) return false;
  }
  if (!WriteShowroomMovie(folder + kShowroomMovie)) return false;
  return WriteSceneFile(folder + kShowroomSceneFile, BuildShowroomScene());
}

}  // namespace contentgen
