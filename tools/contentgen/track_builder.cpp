// A circuit's geometry built once and written as collision triangles and scene parts, with its records.
#include "contentgen/track_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

constexpr Vec3 kUp{0, 1, 0};
// Scene and model files store v growing upward (the loaders turn it over), so a wall's picture stands upright
// with v = height / size.
constexpr float kStraightStep = 400;    // longest section on a straight
constexpr float kBendStep = 0.12f;      // radians of bend per section
constexpr float kMergeDistance = 10;    // breaks nearer than this to a sample are the sample
constexpr int kSectionsPerGroup = 10;
constexpr float kWallFootShade = 0.7f;  // light lost where a wall meets the ground
constexpr float kCollisionWallHeight = 150;

int16_t Channel(float value) { return static_cast<int16_t>(std::clamp(std::lround(value * 255.0f), 0L, 255L)); }

// Picture repeats along the loop rounded to a whole number, so the road's texture closes without a seam.
float RepeatLength(float loopLength, float size) {
  return loopLength / std::max(1.0f, std::round(loopLength / size));
}

}  // namespace

float Hump::HeightAt(float d) const {
  if (d <= start || d >= End()) return 0;
  if (d < start + up) return height * (d - start) / up;
  if (d <= start + up + top) return height;
  return height * (End() - d) / down;
}

TrackBuilder::TrackBuilder(const std::vector<TrackCorner>& corners, const TrackWidths& widths)
    : loop_(corners), widths_(widths) {
  StartGroup();
}

int16_t TrackBuilder::AddMaterial(const TrackMaterial& material) {
  materials_.push_back(material);
  return static_cast<int16_t>(materials_.size() - 1);
}

void TrackBuilder::StartGroup() {
  if (groups_.empty() || !groups_.back().part.positions.empty()) groups_.emplace_back();
}

TrackBuilder::Group& TrackBuilder::Current() { return groups_.back(); }

float TrackBuilder::Shade(const Vec3& normal) const {
  // Baked daylight: floors full, walls between 0.6 (turned from the sun) and 0.85 (facing it).
  const Vec3 toSun = platform::Normalize(sunDirection * -1.0f);
  const Vec3 flat = platform::Normalize(Vec3{toSun.x, 0, toSun.z});
  if (normal.y > 0.7f) return 1.0f;
  return 0.6f + 0.25f * std::max(0.0f, platform::Dot(platform::Normalize(Vec3{normal.x, 0, normal.z}), flat));
}

void TrackBuilder::AddQuad(int16_t material, const std::array<Vec3, 4>& corners, const std::array<UvPair, 4>& uvs,
                           const Vec3& facing, const std::array<float, 4>& shade, const std::array<float, 3>& tint) {
  AddFace(material, corners.data(), uvs.data(), shade.data(), 4, facing, tint);
}

void TrackBuilder::AddTriangle(int16_t material, const std::array<Vec3, 3>& corners,
                               const std::array<UvPair, 3>& uvs, const Vec3& facing) {
  const float shade[3] = {1, 1, 1};
  AddFace(material, corners.data(), uvs.data(), shade, 3, facing, {1, 1, 1});
}

void TrackBuilder::AddFace(int16_t material, const Vec3* corners, const UvPair* uvs, const float* shade, int count,
                           const Vec3& facing, const std::array<float, 3>& tint) {
  // Corners in the order whose (b - a) x (c - a) points to the front.
  std::array<int, 4> order{0, 1, 2, 3};
  const Vec3 normal = platform::Cross(corners[1] - corners[0], corners[2] - corners[0]);
  if (platform::Dot(normal, facing) < 0) order = count == 4 ? std::array<int, 4>{0, 3, 2, 1} : std::array<int, 4>{0, 2, 1, 3};
  const float light = Shade(platform::Normalize(facing));
  Group& group = Current();
  const bool collides = materials_[static_cast<size_t>(material)].collides && target_ != Target::kSceneOnly;
  const bool drawn = target_ != Target::kCollisionOnly;
  std::array<int32_t, 4> sceneIndex{}, colIndex{};
  for (int k = 0; k < count; ++k) {
    const int i = order[static_cast<size_t>(k)];
    const std::array<int16_t, 3> colour{Channel(shade[i] * light * tint[0]), Channel(shade[i] * light * tint[1]),
                                        Channel(shade[i] * light * tint[2])};
    if (drawn) {
      ScnPart& part = group.part;
      sceneIndex[static_cast<size_t>(k)] = static_cast<int32_t>(part.positions.size());
      part.positions.push_back(corners[i]);
      part.positionIndices.push_back(sceneIndex[static_cast<size_t>(k)]);
      part.uvs.push_back(uvs[i]);
      part.uvIndices.push_back(sceneIndex[static_cast<size_t>(k)]);
      part.colours.push_back(colour);
    }
    if (collides) {
      ColMeshBlock& block = group.block;
      colIndex[static_cast<size_t>(k)] = static_cast<int32_t>(block.vertices.size());
      block.vertices.push_back(corners[i]);
      block.cornerVertices.push_back(colIndex[static_cast<size_t>(k)]);
      block.cornerColours.push_back(colour);
    }
  }
  if (drawn) {
    group.part.hasUv = 1;
    ScnBatch* batch = nullptr;
    for (ScnBatch& b : group.part.batches)
      if (b.material == material) batch = &b;
    if (batch == nullptr) {
      group.part.batches.push_back({material, 0, {}});
      batch = &group.part.batches.back();
    }
    batch->triangles.push_back({sceneIndex[0], sceneIndex[1], sceneIndex[2]});
    if (count == 4) batch->triangles.push_back({sceneIndex[0], sceneIndex[2], sceneIndex[3]});
  }
  if (!collides) return;
  ColGroup* target = nullptr;
  for (ColGroup& g : group.block.groups)
    if (g.material == material) target = &g;
  if (target == nullptr) {
    group.block.groups.push_back({material, {}});
    target = &group.block.groups.back();
  }
  target->triangles.push_back({colIndex[0], colIndex[1], colIndex[2]});
  if (count == 4) target->triangles.push_back({colIndex[0], colIndex[2], colIndex[3]});
}

float TrackBuilder::SurfaceHeight(float distance) const {
  const float d = loop_.Wrap(distance);
  float height = 0;
  for (const Hump& hump : humps_) height += hump.HeightAt(d);
  for (const Hump& ramp : ramps_) height += ramp.HeightAt(d);
  return height;
}

void TrackBuilder::BuildRoad(const std::function<SectionStyle(float)>& style, const std::vector<float>& breaks,
                             const std::vector<Hump>& humps) {
  humps_ = humps;
  std::vector<float> cuts = loop_.Samples(kStraightStep, kBendStep);
  std::vector<float> extra = breaks;
  for (const Hump& hump : humps) {
    for (float d : {hump.start, hump.start + hump.up, hump.start + hump.up + hump.top, hump.End()}) {
      extra.push_back(d);
    }
  }
  for (float d : extra) {
    d = loop_.Wrap(d);
    const bool near = std::any_of(cuts.begin(), cuts.end(), [d](float c) { return std::fabs(c - d) < kMergeDistance; });
    if (!near) cuts.push_back(d);
  }
  std::sort(cuts.begin(), cuts.end());

  const TrackWidths& w = widths_;
  const float length = loop_.Length();
  // Offsets across, from the right wall to the left: verge, kerb rise, kerb fall, road, road, kerbs, verge.
  const std::array<float, 9> offsets{-w.wall, -w.road - w.kerb, -w.road - w.kerb / 2, -w.road, 0,
                                     w.road,  w.road + w.kerb / 2, w.road + w.kerb, w.wall};
  const size_t n = cuts.size();
  std::vector<SectionStyle> styles(n);
  for (size_t i = 0; i < n; ++i) {
    const float next = i + 1 < n ? cuts[i + 1] : length;
    styles[i] = style((cuts[i] + next) / 2);
  }
  auto point = [&](size_t i, float offset, float lift) {
    const float d = i < n ? cuts[i] : length;
    return loop_.CentreAt(d) + loop_.LeftAt(d) * offset + Vec3{0, SurfaceHeight(d) + lift, 0};
  };
  // A kerb rises at a section shared with a kerbed interval on either side.
  auto kerbLift = [&](size_t i, bool left) {
    const SectionStyle& before = styles[(i + n - 1) % n];
    const SectionStyle& after = styles[i % n];
    const bool on = left ? (before.left.kerb || after.left.kerb) : (before.right.kerb || after.right.kerb);
    return on ? w.kerbHeight : 0.0f;
  };
  for (size_t i = 0; i < n; ++i) {
    if (i % kSectionsPerGroup == 0) StartGroup();
    const SectionStyle& s = styles[i];
    const float d0 = cuts[i], d1 = i + 1 < n ? cuts[i + 1] : length;
    auto lifts = [&](size_t section) {
      std::array<float, 9> lift{};
      lift[2] = kerbLift(section, false);
      lift[6] = kerbLift(section, true);
      return lift;
    };
    const auto lift0 = lifts(i), lift1 = lifts(i + 1);
    for (size_t j = 0; j + 1 < offsets.size(); ++j) {
      const bool left = j >= 4;
      const SideStyle& side = left ? s.left : s.right;
      int16_t material;
      UvPair a, b, c, e;  // uvs at (i, j), (i, j + 1), (i + 1, j + 1), (i + 1, j)
      const Vec3 p00 = point(i, offsets[j], lift0[j]), p01 = point(i, offsets[j + 1], lift0[j + 1]);
      const Vec3 p11 = point(i + 1, offsets[j + 1], lift1[j + 1]), p10 = point(i + 1, offsets[j], lift1[j]);
      if (j >= 3 && j <= 4) {
        material = s.road;
        const float along = RepeatLength(length, materials_[static_cast<size_t>(material)].uvSize);
        auto across = [&](float offset) { return (offset + w.road) / (2 * w.road); };
        a = {across(offsets[j]), d0 / along};
        b = {across(offsets[j + 1]), d0 / along};
        c = {across(offsets[j + 1]), d1 / along};
        e = {across(offsets[j]), d1 / along};
      } else if ((j == 1 || j == 2 || j == 5 || j == 6) && side.kerb) {
        material = kerbMaterial;
        const float along = RepeatLength(length, materials_[static_cast<size_t>(material)].uvSize);
        auto across = [&](float offset) { return (std::fabs(offset) - w.road) / w.kerb; };
        a = {across(offsets[j]), d0 / along};
        b = {across(offsets[j + 1]), d0 / along};
        c = {across(offsets[j + 1]), d1 / along};
        e = {across(offsets[j]), d1 / along};
      } else {
        material = side.verge;
        const float size = materials_[static_cast<size_t>(material)].uvSize;
        a = {p00.x / size, p00.z / size};
        b = {p01.x / size, p01.z / size};
        c = {p11.x / size, p11.z / size};
        e = {p10.x / size, p10.z / size};
      }
      std::array<float, 4> shade{1, 1, 1, 1};
      if (j == 0) shade = {kWallFootShade, 1, 1, kWallFootShade};
      if (j + 2 == offsets.size()) shade = {1, kWallFootShade, kWallFootShade, 1};
      AddQuad(material, {p00, p01, p11, p10}, {a, b, c, e}, kUp, shade);
    }
    for (bool left : {false, true}) {
      const SideStyle& side = left ? s.left : s.right;
      if (side.wall < 0) continue;
      const float offset = left ? w.wall : -w.wall;
      const Vec3 f0 = point(i, offset, 0), f1 = point(i + 1, offset, 0);
      const Vec3 up{0, side.wallHeight, 0};
      const float size = materials_[static_cast<size_t>(side.wall)].uvSize;
      const float along = RepeatLength(length, size);
      const float v = side.wallHeight / size;
      const Vec3 facing = loop_.LeftAt((d0 + d1) / 2) * (left ? -1.0f : 1.0f);
      // A low wall looks low but stops a car like a high one: cars ride up over a short face.
      const bool low = side.wallHeight < kCollisionWallHeight;
      if (low) target_ = Target::kSceneOnly;
      AddQuad(side.wall, {f0, f0 + up, f1 + up, f1}, {{{d0 / along, 0}, {d0 / along, v}, {d1 / along, v}, {d1 / along, 0}}},
              facing, {kWallFootShade, 1, 1, kWallFootShade});
      if (low) {
        const Vec3 high{0, kCollisionWallHeight, 0};
        target_ = Target::kCollisionOnly;
        AddQuad(side.wall, {f0, f0 + high, f1 + high, f1}, {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}}, facing);
        target_ = Target::kBoth;
      }
    }
  }
  StartGroup();
}

void TrackBuilder::AddRamp(const Hump& ramp, int16_t topMaterial, int16_t sideMaterial) {
  StartGroup();
  const float rows[4] = {ramp.start, ramp.start + ramp.up, ramp.start + ramp.up + ramp.top, ramp.End()};
  const float size = materials_[static_cast<size_t>(topMaterial)].uvSize;
  // Wall to wall: a ramp narrower than the street leaves an edge that throws a car with only one side's wheels
  // on it onto its roof.
  const float r = widths_.wall;
  auto at = [&](int row, float offset, bool top) {
    const float d = rows[row];
    const float lift = top ? ramp.HeightAt(d) : 0.0f;
    float base = 0;
    for (const Hump& hump : humps_) base += hump.HeightAt(loop_.Wrap(d));
    return loop_.CentreAt(d) + loop_.LeftAt(d) * offset + Vec3{0, base + lift, 0};
  };
  for (int row = 0; row < 3; ++row) {
    const float v0 = (rows[row] - ramp.start) / size, v1 = (rows[row + 1] - ramp.start) / size;
    for (float from : {-r, 0.0f}) {
      const float to = from + r;
      const float u0 = (from + r) / (2 * r), u1 = (to + r) / (2 * r);
      AddQuad(topMaterial, {at(row, from, true), at(row, to, true), at(row + 1, to, true), at(row + 1, from, true)},
              {{{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}}}, kUp);
    }
    for (float offset : {-r, r}) {
      const Vec3 facing = loop_.LeftAt(rows[row]) * (offset > 0 ? 1.0f : -1.0f);
      const Vec3 low0 = at(row, offset, false), low1 = at(row + 1, offset, false);
      const Vec3 high0 = at(row, offset, true), high1 = at(row + 1, offset, true);
      const float h0 = high0.y - low0.y, h1 = high1.y - low1.y;
      if (h0 < 1 && h1 < 1) continue;
      // A slope's side is a triangle: its low end has no height.
      if (h0 < 1) {
        AddTriangle(sideMaterial, {low0, low1, high1}, {{{v0, 0}, {v1, 0}, {v1, h1 / size}}}, facing);
      } else if (h1 < 1) {
        AddTriangle(sideMaterial, {low0, low1, high0}, {{{v0, 0}, {v1, 0}, {v0, h0 / size}}}, facing);
      } else {
        AddQuad(sideMaterial, {low0, low1, high1, high0}, {{{v0, 0}, {v1, 0}, {v1, h1 / size}, {v0, h0 / size}}},
                facing);
      }
    }
  }
  ramps_.push_back(ramp);
  StartGroup();
}

void TrackBuilder::AddBlock(const std::array<Vec3, 4>& foot, float bottom, float top, int16_t wallMaterial,
                            int16_t roofMaterial, const std::array<float, 3>& tint) {
  const Vec3 centre = (foot[0] + foot[1] + foot[2] + foot[3]) * 0.25f;
  if (wallMaterial >= 0) {
    const float size = materials_[static_cast<size_t>(wallMaterial)].uvSize;
    float u = 0;
    for (size_t k = 0; k < 4; ++k) {
      const Vec3 a = foot[k], b = foot[(k + 1) % 4];
      const float width = platform::Length(b - a);
      const Vec3 mid = (a + b) * 0.5f;
      const Vec3 outward = platform::Normalize(Vec3{mid.x - centre.x, 0, mid.z - centre.z});
      const float u0 = std::round(u / size), u1 = u0 + std::max(1.0f, std::round(width / size));
      const Vec3 low{0, bottom, 0}, high{0, top, 0};
      const Vec3 a0{a.x, 0, a.z}, b0{b.x, 0, b.z};
      AddQuad(wallMaterial, {a0 + low, a0 + high, b0 + high, b0 + low},
              {{{u0, bottom / size}, {u0, top / size}, {u1, top / size}, {u1, bottom / size}}}, outward,
              {kWallFootShade, 1, 1, kWallFootShade}, tint);
      u += width;
    }
  }
  if (roofMaterial >= 0) {
    const float size = materials_[static_cast<size_t>(roofMaterial)].uvSize;
    std::array<Vec3, 4> roof;
    std::array<UvPair, 4> uvs;
    for (size_t k = 0; k < 4; ++k) {
      roof[k] = Vec3{foot[k].x, top, foot[k].z};
      uvs[k] = {foot[k].x / size, foot[k].z / size};
    }
    AddQuad(roofMaterial, roof, uvs, kUp, {1, 1, 1, 1}, tint);
  }
}

void TrackBuilder::AddBuildingRow(bool left, float from, float to, float minHeight, float maxHeight, int16_t facade,
                                  int16_t roof, const std::vector<std::array<float, 3>>& palette, uint32_t seed) {
  StartGroup();
  uint32_t state = seed * 2654435761u + 12345u;
  auto next = [&state](float low, float high) {
    state = state * 1664525u + 1013904223u;
    return low + (high - low) * static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
  };
  constexpr float kSetBack = 4;  // behind the wall line, so the wall in front wins the depth test
  constexpr float kDepth = 700;
  const float side = left ? 1.0f : -1.0f;
  const float front = widths_.wall + kSetBack, back = widths_.wall + kDepth;
  for (float d = from; d < to - 200;) {
    const float width = std::min(next(500, 1300), to - d);
    const float height = std::round(next(minHeight, maxHeight) / 50) * 50;
    const Vec3 c0 = loop_.CentreAt(d), c1 = loop_.CentreAt(d + width);
    const Vec3 l = loop_.LeftAt(d + width / 2) * side;
    std::array<Vec3, 4> foot{c0 + l * front, c1 + l * front, c1 + l * back, c0 + l * back};
    const auto& tint = palette[static_cast<size_t>(next(0, 0.999f) * static_cast<float>(palette.size()))];
    AddBlock(foot, 0, height, facade, roof, tint);
    d += width + (next(0, 1) < 0.2f ? 200 : 0);
  }
  StartGroup();
}

void TrackBuilder::AddFlat(int16_t material, float x0, float z0, float x1, float z1, float y, float shade) {
  const float size = materials_[static_cast<size_t>(material)].uvSize;
  AddQuad(material, {Vec3{x0, y, z0}, {x1, y, z0}, {x1, y, z1}, {x0, y, z1}},
          {{{x0 / size, z0 / size}, {x1 / size, z0 / size}, {x1 / size, z1 / size}, {x0 / size, z1 / size}}}, kUp,
          {shade, shade, shade, shade});
}

}  // namespace contentgen
