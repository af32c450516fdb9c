// The city circuit's scene: the collision world's blocks turned into textured parts, its records copied.
#include "contentgen/track_scene.h"

#include <cstdio>

#include "contentgen/png_writer.h"
#include "contentgen/sky_box.h"
#include "contentgen/test_world.h"
#include "contentgen/track_sounds.h"

namespace contentgen {

namespace {

using platform::Vec3;
using test_world::Material;

constexpr float kGroundUvSize = 256;
constexpr platform::Vec3 kCitySunDirection = kRaceSunDirection;
constexpr float kWallUvSize = 150;

const char* const kTextureFiles[kTrackTextureCount] = {"asphalt.png", "dirt.png",  "grass.png",
                                                       "cobble.png",  "water.png", "waterreflect.png",
                                                       "wall.png",    "kerb.png",  "ramp.png"};

std::pair<float, float> UvAt(const Vec3& p, int16_t material) {
  if (material == test_world::kWall) return {(p.x + p.z) / kWallUvSize, -p.y / kWallUvSize};
  return {p.x / kGroundUvSize, p.z / kGroundUvSize};
}

ScnPart PartFromBlock(const ColMeshBlock& block) {
  ScnPart part;
  part.origin = block.position;
  part.positions = block.vertices;
  part.hasUv = 1;
  part.colours = block.cornerColours;
  if (part.colours.size() > block.cornerVertices.size()) part.colours.resize(block.cornerVertices.size());
  // One file vertex per vertex of the block; a vertex shared by two materials keeps the first one's uv mapping,
  // which only walls and ground share along their foot.
  std::vector<int16_t> materialOf(block.vertices.size(), test_world::kPave);
  for (const ColGroup& group : block.groups)
    for (const auto& triangle : group.triangles)
      for (int32_t corner : triangle) materialOf[static_cast<size_t>(corner)] = group.material;
  for (size_t v = 0; v < block.vertices.size(); ++v) {
    part.positionIndices.push_back(static_cast<int32_t>(v));
    part.uvIndices.push_back(static_cast<int32_t>(v));
    part.uvs.push_back(UvAt(block.vertices[v], materialOf[v]));
  }
  for (const ColGroup& group : block.groups) part.batches.push_back({group.material, 0, group.triangles});
  return part;
}

ScnMaterial TrackMaterial(const std::string& name, int32_t slot, int32_t texture) {
  ScnMaterial material;
  material.name = name;
  material.slot = slot;
  material.textures[kScnBase] = texture;
  return material;
}

bool WriteTextures(const std::string& folder) {
  const auto grey = [](uint32_t base, uint32_t noise) {
    const uint32_t c = base + noise;
    return 0xFF000000u | c << 16 | c << 8 | c;
  };
  const PictureData pictures[kTrackTextureCount] = {
      PatternPicture(64, [&](uint32_t x, uint32_t y) { return grey(60, Speckle(x, y) % 24); }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF7A5A3Au + (Speckle(x, y) % 20) * 0x010101u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF2E6B22u + (Speckle(x, y) % 32) * 0x000100u; }),
      PatternPicture(64,
                     [&](uint32_t x, uint32_t y) {
                       return (x % 16 == 0 || y % 16 == 0) ? grey(50, 0) : grey(120, Speckle(x, y) % 16);
                     }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF1E4C7Au + (Speckle(x, y) % 16); }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF000000u | (100 + Speckle(x, y) % 60) * 0x010101u; }),
      PatternPicture(64,
                     [&](uint32_t x, uint32_t y) {
                       const bool mortar = y % 16 == 0 || (x + (y / 16 % 2) * 16) % 32 == 0;
                       return mortar ? grey(180, 0) : 0xFF8A3B2Au + (Speckle(x, y) % 16) * 0x010000u;
                     }),
      PatternPicture(64, [](uint32_t x, uint32_t) { return x / 16 % 2 == 0 ? 0xFFD01818u : 0xFFF0F0F0u; }),
      PatternPicture(64, [](uint32_t x, uint32_t y) { return (x + y) / 16 % 2 == 0 ? 0xFFE0C020u : 0xFF202020u; }),
  };
  for (int i = 0; i < kTrackTextureCount; ++i) {
    if (!WritePng(folder + "/" + kTextureFiles[i], pictures[i], false)) return false;
  }
  return true;
}

}  // namespace

ScnFile BuildTrackScene() {
  const ColFile world = BuildTestWorld();
  ScnFile scene;
  scene.colour1 = world.colour1;
  scene.colour2 = world.colour2;
  scene.scale = world.scale;
  for (int32_t i = 0; i < kTrackTextureCount; ++i) scene.textureNames.push_back({kTextureFiles[i], i});
  const int32_t textureOf[test_world::kMaterialCount] = {kTrackAsphalt, kTrackDirt, kTrackGrass, kTrackCobble,
                                                         kTrackWater,   kTrackWall, kTrackKerb,  kTrackRamp};
  for (int32_t slot = 0; slot < test_world::kMaterialCount; ++slot) {
    scene.materials.push_back(TrackMaterial(world.materialNames[static_cast<size_t>(slot)], slot, textureOf[slot]));
  }
  // The pond mirrors the sky: a planar reflection masked by its own picture.
  scene.materials[test_world::kWater].textures[kScnReflectionAlpha] = kTrackWaterReflection;
  scene.materials[test_world::kWater].specular = {200, 200, 220};
  scene.materials[test_world::kWater].glossiness = 0.4f;
  for (const ColMeshBlock& block : world.blocks) scene.parts.push_back(PartFromBlock(block));
  scene.nodes = world.nodes;
  scene.markers = world.markers;
  scene.paths = world.paths;
  // Lights, sky boxes, flares and sounds live in the scene alone: the collision file keeps its records.
  NodeRecord sun;
  sun.name = "SUN ";
  sun.kind = 2;
  sun.direction = kCitySunDirection;
  sun.colour = {1, 0.95f, 0.85f};
  sun.range = 100000;
  scene.nodes.push_back(sun);
  for (const auto& [name, file] : {std::pair{"SKYBOX", "sky.MDL"}, std::pair{"GLOWSKYBOX", "skyglow.MDL"}}) {
    NodeRecord node;
    node.name = name;
    node.text = file;
    scene.nodes.push_back(node);
  }
  // The pond lies far inside the park: its fountain carries to the road.
  for (NodeRecord& node : scene.nodes) {
    if (node.name == "SOUNDFOUNTAIN") node.text = "PATH=fountain.wav\nRADIUS=3600\nVOLUME=200";
  }
  // Flares and sounds also as markers, so the track reads the same whichever record list looks for them.
  for (const NodeRecord& node : scene.nodes) {
    const bool object = node.name.rfind("FLARE", 0) == 0 || node.name.rfind("SOUND", 0) == 0 ||
                        node.name.rfind("SKYBOX", 0) == 0 || node.name.rfind("GLOWSKYBOX", 0) == 0;
    if (!object) continue;
    MarkerRecord marker;
    marker.name = node.name;
    marker.position = node.position;
    marker.text = node.text;
    scene.markers.push_back(marker);
  }
  return scene;
}

ScnFile MirrorScene(const ScnFile& original) {
  ScnFile mirrored = original;
  for (ScnPart& part : mirrored.parts) {
    part.origin.y = -part.origin.y;
    for (Vec3& position : part.positions) position.y = -position.y;
    for (ScnBatch& batch : part.batches)
      for (auto& triangle : batch.triangles) std::swap(triangle[1], triangle[2]);
  }
  for (NodeRecord& node : mirrored.nodes) {
    node.position.y = -node.position.y;
    node.direction.y = -node.direction.y;
  }
  for (MarkerRecord& marker : mirrored.markers) marker.position.y = -marker.position.y;
  for (PathRecord& path : mirrored.paths) {
    path.origin.y = -path.origin.y;
    for (PathPointList& list : path.lists)
      for (Vec3& point : list.points) point.y = -point.y;
  }
  return mirrored;
}

bool WriteTrackScene(const std::string& gameFolder) {
  const std::string folder = gameFolder + "/" + kTestWorldFolder;
  if (!WriteTextures(folder)) return false;
  SkyLook sky;
  sky.sunDirection = kCitySunDirection;
  sky.seed = 5;
  if (!WriteSkyBoxes(folder + "/", "sky", sky) || !WriteTrackSound(folder + "/", TrackSound::kFountain)) return false;
  const ScnFile scene = BuildTrackScene();
  return WriteSceneFile(folder + "/" + kTrackSceneFile, scene) &&
         WriteSceneFile(folder + "/" + kTrackReflectionFile, MirrorScene(scene));
}

}  // namespace contentgen
