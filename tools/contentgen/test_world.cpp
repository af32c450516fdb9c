// The procedural test world: a city circuit built as collision triangles, with markers, lights and paths.
#include "contentgen/test_world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/file_system.h"
#include "contentgen/track_builder.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace test_world {

namespace {

constexpr float kStraightX = 2 * (kHalfWidthX - kCornerRadius);
constexpr float kStraightZ = 2 * (kHalfWidthZ - kCornerRadius);
constexpr float kArc = platform::kPi * kCornerRadius / 2;
constexpr int kRoadLanes = 6;

}  // namespace

float Perimeter() { return 2 * kStraightX + 2 * kStraightZ + 4 * kArc; }

Vec3 CentreAt(float distance, Vec3* heading) {
  float perimeter = Perimeter();
  float d = std::fmod(distance, perimeter);
  if (d < 0) d += perimeter;
  const float ax = kHalfWidthX - kCornerRadius, az = kHalfWidthZ - kCornerRadius, r = kCornerRadius;
  Vec3 point, direction;
  auto arcAngle = [](float along) { return along / kCornerRadius; };
  if (d < kStraightX / 2) {
    point = {d, 0, -kHalfWidthZ};
    direction = {1, 0, 0};
  } else if ((d -= kStraightX / 2) < kArc) {
    float t = arcAngle(d);
    point = {ax + r * std::sin(t), 0, -az - r * std::cos(t)};
    direction = {std::cos(t), 0, std::sin(t)};
  } else if ((d -= kArc) < kStraightZ) {
    point = {kHalfWidthX, 0, -az + d};
    direction = {0, 0, 1};
  } else if ((d -= kStraightZ) < kArc) {
    float t = arcAngle(d);
    point = {ax + r * std::cos(t), 0, az + r * std::sin(t)};
    direction = {-std::sin(t), 0, std::cos(t)};
  } else if ((d -= kArc) < kStraightX) {
    point = {ax - d, 0, kHalfWidthZ};
    direction = {-1, 0, 0};
  } else if ((d -= kStraightX) < kArc) {
    float t = arcAngle(d);
    point = {-ax - r * std::sin(t), 0, az + r * std::cos(t)};
    direction = {-std::cos(t), 0, -std::sin(t)};
  } else if ((d -= kArc) < kStraightZ) {
    point = {-kHalfWidthX, 0, az - d};
    direction = {0, 0, -1};
  } else if ((d -= kStraightZ) < kArc) {
    float t = arcAngle(d);
    point = {-ax - r * std::cos(t), 0, -az - r * std::sin(t)};
    direction = {std::sin(t), 0, -std::cos(t)};
  } else {
    d -= kArc;
    point = {-ax + d, 0, -kHalfWidthZ};
    direction = {1, 0, 0};
  }
  if (heading) *heading = direction;
  return point;
}

Vec3 InwardAt(float distance) {
  Vec3 heading;
  CentreAt(distance, &heading);
  return {-heading.z, 0, heading.x};
}

// A little past the middle of the north straight, so a car jumping it either way round lands with straight
// left to settle before the next corner: one coming out of the last corner is slower there than one that has
// run the whole straight the other way.
float RampStart() {
  constexpr float kRampLength = kRampUpLength + kRampTopLength + kRampDownLength;
  return kStraightX / 2 + kArc + kStraightZ + kArc + (kStraightX - kRampLength) / 2 + 200;
}

float RacingLineOffset(float distance) {
  // Every corner turns left; the line swings out through each one, from a wide entry to a wide exit.
  const RacingLineShape shape;
  const float offset = kRacingLineOffset, lead = shape.lead, trail = shape.trail;
  const float perimeter = Perimeter();
  float d = std::fmod(distance, perimeter);
  if (d < 0) d += perimeter;
  float weight = 0;
  float start = kStraightX / 2;
  for (int corner = 0; corner < 4; ++corner) {
    const float end = start + kArc;
    for (float shift : {-perimeter, 0.0f, perimeter}) {
      const float from = start + shift, to = end + shift;
      if (d >= from && d < to) weight = 1;
      else if (d < from && d >= from - lead) weight = std::max(weight, 1 - (from - d) / lead);
      else if (d >= to && d < to + trail) weight = std::max(weight, 1 - (d - to) / trail);
    }
    start = end + (corner % 2 == 0 ? kStraightZ : kStraightX);
  }
  return offset * weight;
}

Material RoadMaterialAt(float distance) {
  float fraction = std::fmod(distance, Perimeter()) / Perimeter();
  if (fraction < 0) fraction += 1;
  if (fraction >= 0.30f && fraction < 0.40f) return kDirt;
  if (fraction >= 0.60f && fraction < 0.68f) return kCobble;
  return kPave;
}

}  // namespace test_world

namespace {

using namespace test_world;

// Collects one mesh block: vertices double as corners, triangles grouped by material, wound to face a side.
class BlockBuilder {
 public:
  int32_t AddVertex(const Vec3& position) {
    block_.vertices.push_back(position);
    block_.cornerVertices.push_back(static_cast<int32_t>(block_.cornerVertices.size()));
    return static_cast<int32_t>(block_.vertices.size() - 1);
  }
  void SetColour(int32_t vertex, int16_t r, int16_t g, int16_t b) {
    if (static_cast<size_t>(vertex) >= block_.cornerColours.size()) block_.cornerColours.resize(vertex + 1, {255, 255, 255});
    block_.cornerColours[vertex] = {r, g, b};
  }
  // Adds the triangle so that its front face (b − a) × (c − a) points along facing.
  void AddTriangle(Material material, int32_t a, int32_t b, int32_t c, const Vec3& facing) {
    const Vec3& pa = block_.vertices[a];
    Vec3 normal = platform::Cross(block_.vertices[b] - pa, block_.vertices[c] - pa);
    if (platform::Dot(normal, facing) < 0) std::swap(b, c);
    Group(material).triangles.push_back({a, b, c});
  }
  void AddQuad(Material material, int32_t a, int32_t b, int32_t c, int32_t d, const Vec3& facing) {
    AddTriangle(material, a, b, c, facing);
    AddTriangle(material, a, c, d, facing);
  }
  ColMeshBlock Take() { return std::move(block_); }

 private:
  ColGroup& Group(Material material) {
    for (ColGroup& group : block_.groups)
      if (group.material == material) return group;
    block_.groups.push_back({material, {}});
    return block_.groups.back();
  }
  ColMeshBlock block_;
};

constexpr Vec3 kUp{0, 1, 0};

struct CrossSection {
  Vec3 centre;
  Vec3 inward;
  float distance;
};

std::vector<CrossSection> Sections() {
  int count = static_cast<int>(std::lround(Perimeter() / kSampleStep));
  float step = Perimeter() / static_cast<float>(count);
  std::vector<CrossSection> sections;
  for (int i = 0; i < count; ++i) {
    float d = static_cast<float>(i) * step;
    sections.push_back({CentreAt(d), InwardAt(d), d});
  }
  return sections;
}

// Rows of vertices across the loop at the given offsets (toward the inside) and heights; returns row starts.
std::vector<int32_t> AddRows(BlockBuilder& block, const std::vector<CrossSection>& sections,
                             const std::vector<float>& offsets, const std::vector<float>& heights) {
  std::vector<int32_t> rows;
  for (const CrossSection& section : sections) {
    rows.push_back(-1);
    for (size_t j = 0; j < offsets.size(); ++j) {
      Vec3 p = section.centre + section.inward * offsets[j] + Vec3{0, heights[j], 0};
      int32_t v = block.AddVertex(p);
      if (j == 0) rows.back() = v;
    }
  }
  return rows;
}

ColMeshBlock BuildRoad(const std::vector<CrossSection>& sections) {
  BlockBuilder block;
  std::vector<float> offsets, heights;
  for (int lane = 0; lane <= kRoadLanes; ++lane) {
    offsets.push_back(-kRoadWidth / 2 + kRoadWidth * static_cast<float>(lane) / kRoadLanes);
    heights.push_back(0);
  }
  std::vector<int32_t> rows = AddRows(block, sections, offsets, heights);
  // Grey shading on the first half of the corners only; the rest read as white.
  int32_t shaded = rows[rows.size() / 2];
  for (int32_t v = 0; v < shaded; ++v) block.SetColour(v, 96, 96, static_cast<int16_t>(100 + v % 8));
  for (size_t i = 0; i < sections.size(); ++i) {
    size_t next = (i + 1) % sections.size();
    Material material = RoadMaterialAt(sections[i].distance);
    for (int lane = 0; lane < kRoadLanes; ++lane)
      block.AddQuad(material, rows[i] + lane, rows[i] + lane + 1, rows[next] + lane + 1, rows[next] + lane, kUp);
  }
  return block.Take();
}

ColMeshBlock BuildRoadside(const std::vector<CrossSection>& sections) {
  BlockBuilder block;
  const float edge = kRoadWidth / 2;
  const std::vector<float> offsets = {-kWallOffset, -edge - kKerbWidth, -edge - kKerbWidth / 2, -edge,
                                      edge, edge + kKerbWidth / 2, edge + kKerbWidth, kWallOffset};
  const std::vector<float> heights = {0, 0, kKerbHeight, 0, 0, kKerbHeight, 0, 0};
  std::vector<int32_t> rows = AddRows(block, sections, offsets, heights);
  // Red and white kerb stones, alternating every cross-section.
  for (size_t i = 0; i < sections.size(); ++i) {
    bool red = i % 2 == 0;
    for (int32_t j : {1, 2, 3, 4, 5, 6}) block.SetColour(rows[i] + j, 255, red ? 40 : 255, red ? 40 : 255);
  }
  for (size_t i = 0; i < sections.size(); ++i) {
    size_t next = (i + 1) % sections.size();
    for (int32_t j = 0; j + 1 < static_cast<int32_t>(offsets.size()); ++j) {
      if (j == 3) continue;  // the road lies between the two kerbs
      Material material = (j == 0 || j == 6) ? kGrass : kKerb;
      block.AddQuad(material, rows[i] + j, rows[i] + j + 1, rows[next] + j + 1, rows[next] + j, kUp);
    }
  }
  return block.Take();
}

ColMeshBlock BuildWalls(const std::vector<CrossSection>& sections) {
  BlockBuilder block;
  std::vector<int32_t> rows;
  for (const CrossSection& s : sections) {
    Vec3 outer = s.centre - s.inward * kWallOffset, inner = s.centre + s.inward * kWallOffset;
    rows.push_back(block.AddVertex(outer));
    block.AddVertex(outer + Vec3{0, kWallHeight, 0});
    block.AddVertex(inner);
    block.AddVertex(inner + Vec3{0, kWallHeight, 0});
  }
  for (size_t i = 0; i < sections.size(); ++i) {
    size_t next = (i + 1) % sections.size();
    Vec3 inward = sections[i].inward;
    // Both walls face the road.
    block.AddQuad(kWall, rows[i], rows[i] + 1, rows[next] + 1, rows[next], inward);
    block.AddQuad(kWall, rows[i] + 2, rows[i] + 3, rows[next] + 3, rows[next] + 2, inward * -1.0f);
  }
  return block.Take();
}

ColMeshBlock BuildRamp() {
  BlockBuilder block;
  // Along the ramp: distance from its start and height, rising, flat, then dropping back to the road.
  const float along[] = {0, kRampUpLength * 0.25f, kRampUpLength * 0.5f, kRampUpLength * 0.75f, kRampUpLength,
                         kRampUpLength + kRampTopLength, kRampUpLength + kRampTopLength + kRampDownLength * 0.5f,
                         kRampUpLength + kRampTopLength + kRampDownLength};
  const float height[] = {0, kRampRise * 0.25f, kRampRise * 0.5f, kRampRise * 0.75f, kRampRise, kRampRise,
                          kRampRise * 0.5f, 0};
  constexpr int kRows = 8;
  std::vector<int32_t> rows;
  for (int i = 0; i < kRows; ++i) {
    float d = RampStart() + along[i];
    Vec3 centre = CentreAt(d), inward = InwardAt(d);
    // Wall to wall, so no car catches the ramp with the wheels of one side only and rolls.
    rows.push_back(block.AddVertex(centre - inward * kWallOffset + Vec3{0, height[i], 0}));
    for (int lane = 1; lane <= kRoadLanes; ++lane)
      block.AddVertex(centre + inward * (-kWallOffset + 2 * kWallOffset * static_cast<float>(lane) / kRoadLanes) +
                      Vec3{0, height[i], 0});
  }
  for (int i = 0; i + 1 < kRows; ++i)
    for (int lane = 0; lane < kRoadLanes; ++lane)
      block.AddQuad(kRamp, rows[i] + lane, rows[i] + lane + 1, rows[i + 1] + lane + 1, rows[i + 1] + lane, kUp);
  return block.Take();
}

ColMeshBlock BuildPark() {
  BlockBuilder block;
  constexpr float kCell = 100;
  int columns = static_cast<int>(2 * kParkHalfX / kCell), depth = static_cast<int>(2 * kParkHalfZ / kCell);
  for (int row = 0; row <= depth; ++row)
    for (int column = 0; column <= columns; ++column)
      block.AddVertex({-kParkHalfX + kCell * static_cast<float>(column), 0, -kParkHalfZ + kCell * static_cast<float>(row)});
  auto vertex = [columns](int column, int row) { return static_cast<int32_t>(row * (columns + 1) + column); };
  for (int row = 0; row < depth; ++row) {
    for (int column = 0; column < columns; ++column) {
      float x = -kParkHalfX + kCell * (static_cast<float>(column) + 0.5f);
      float z = -kParkHalfZ + kCell * (static_cast<float>(row) + 0.5f);
      float dx = x - kPondCentreX, dz = z - kPondCentreZ;
      Material material = dx * dx + dz * dz < kPondRadius * kPondRadius ? kWater : kGrass;
      block.AddQuad(material, vertex(column, row), vertex(column + 1, row), vertex(column + 1, row + 1),
                    vertex(column, row + 1), kUp);
    }
  }
  return block.Take();
}

}  // namespace

ColFile BuildTestWorld() {
  ColFile file;
  file.colour1 = {0.6f, 0.65f, 0.7f};
  file.colour2 = {0.2f, 0.2f, 0.25f};
  file.scale = 1;
  // The walls are solid ground to a car body, so a car that rubs one slides along it.
  file.materialNames = {"PAVE_ASPHALT", "DIRT_TRACK", "GRASS_VERGE", "COBBLE_STREET",
                        "WATER_POND",   "ROUGHPAVE_WALL", "COBBLE_KERB", "PAVE_RAMP"};
  std::vector<CrossSection> sections = Sections();
  file.blocks.push_back(BuildRoad(sections));
  file.blocks.push_back(BuildRoadside(sections));
  file.blocks.push_back(BuildWalls(sections));
  file.blocks.push_back(BuildRamp());
  file.blocks.push_back(BuildPark());

  // Starting grid behind the line in the middle of the south straight, two abreast, facing +x.
  for (int i = 0; i < 8; ++i) {
    MarkerRecord marker;
    marker.name = "START" + std::to_string(i + 1);
    float lateral = i % 2 == 0 ? -120.0f : 120.0f;
    marker.position = {-150.0f - 250.0f * static_cast<float>(i / 2), 0, -kHalfWidthZ + lateral};
    float facingPlusX[3][3] = {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) marker.rotation[row][col] = facingPlusX[row][col];
    file.markers.push_back(marker);
  }
  MarkerRecord rampCamera;
  rampCamera.name = "CAMERA_RAMP";
  rampCamera.position = CentreAt(RampStart()) + InwardAt(RampStart()) * (kWallOffset - 50) + Vec3{0, 200, 0};
  rampCamera.text = "FOV=60";
  file.markers.push_back(rampCamera);

  NodeRecord sun;
  sun.name = "SUN";
  sun.kind = 2;
  sun.direction = {0.4f, -1, 0.3f};
  sun.colour = {1, 0.95f, 0.85f};
  sun.range = 100000;
  file.nodes.push_back(sun);
  NodeRecord flare;
  flare.name = "FLARE_RED1";
  flare.kind = 0;
  flare.position = CentreAt(Perimeter() * 0.125f) - InwardAt(Perimeter() * 0.125f) * kWallOffset + Vec3{0, 160, 0};
  flare.colour = {1, 0.1f, 0.1f};
  flare.range = 300;
  file.nodes.push_back(flare);
  NodeRecord lamp;
  lamp.name = "LAMP1";
  lamp.kind = 1;
  lamp.position = {0, 400, -kHalfWidthZ};
  lamp.direction = {0, -2, 0};
  lamp.colour = {1, 1, 0.8f};
  lamp.range = 800;
  file.nodes.push_back(lamp);
  NodeRecord fountain;
  fountain.name = "SOUNDFOUNTAIN";
  fountain.position = {kPondCentreX, 0, kPondCentreZ};
  fountain.range = 400;
  fountain.text = "PATH=fountain.wav\nRADIUS=400\nVOLUME=200";
  file.nodes.push_back(fountain);

  // The racing line: the centreline every 200 inches, closed.
  PathRecord aiPath;
  aiPath.name = "AIPATH1";
  PathPointList line;
  line.closed = true;
  int points = static_cast<int>(std::lround(Perimeter() / 200));
  for (int i = 0; i < points; ++i) {
    const float d = Perimeter() * static_cast<float>(i) / points;
    line.points.push_back(CentreAt(d) - InwardAt(d) * RacingLineOffset(d));
  }
  aiPath.lists.push_back(line);
  file.paths.push_back(aiPath);
  // A camera flight over the park, open, with a dropped second list as some exporters write.
  PathRecord camera;
  camera.name = "CAMPATH_INTRO";
  camera.origin = {0, 600, 0};
  camera.lists.push_back({false, {{-2500, 0, -1500}, {-1000, 100, 0}, {1000, 0, 1000}, {2500, -100, 1500}}});
  camera.lists.push_back({true, {{0, 0, 0}, {10, 0, 0}}});
  camera.text = "SPEED=1";
  file.paths.push_back(camera);
  return file;
}

bool WriteTestWorld(const std::string& gameFolder) {
  std::string folder = gameFolder + "/" + kTestWorldFolder;
  if (!platform::CreateFolders(folder)) {
    std::fprintf(stderr, "contentgen: cannot create %s\n", folder.c_str());
    return false;
  }
  return WriteCollisionFile(folder + "/" + kTestWorldCollisionFile, BuildTestWorld());
}

}  // namespace contentgen
