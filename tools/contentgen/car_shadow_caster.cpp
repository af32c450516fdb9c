// The stencil shadow caster of a sample car, built from the body's shape inside its skin.
#include "contentgen/car_shadow_caster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "contentgen/car_body_shape.h"
#include "platform/math/math.h"

namespace contentgen {

namespace {

using namespace car_shape;
using platform::Vec3;

// The shadow caster keeps this far inside the body's skin (inches): more than the body's curved sections stray
// from the straight chords between the caster's stations, so no part of the caster stands outside the body.
constexpr float kCasterInset = 1.5f;
// A bed's or cockpit's walls are a couple of inches thick; their casters keep this far inside each face.
constexpr float kCasterWallInset = 0.5f;
// Caster sections thinner than this are left out (where an arch lifts the body's underside past a bed's floor).
constexpr float kCasterMinThickness = 1.0f;
// How far the glasshouse's caster reaches down into the lower body, so the two pieces overlap.
constexpr float kCasterCabinRoot = 3.0f;

// A closed caster piece: rings of one size joined in order, each end closed by a fan, wound outward.
void LoftClosed(const std::vector<std::vector<Vec3>>& rings, CarMesh& mesh) {
  if (rings.size() < 2) return;
  auto triangle = [&](const Vec3& a, const Vec3& b, const Vec3& c) {
    MeshTriangle t;
    t.corners[0] = a;
    t.corners[1] = b;
    t.corners[2] = c;
    mesh.AddTriangle(t);
  };
  auto centre = [](const std::vector<Vec3>& ring) {
    Vec3 sum{0, 0, 0};
    for (const Vec3& p : ring) sum = sum + p;
    return sum * (1.0f / static_cast<float>(ring.size()));
  };
  mesh.BeginPiece();
  const size_t n = rings.front().size();
  for (size_t i = 0; i + 1 < rings.size(); ++i) {
    for (size_t j = 0; j < n; ++j) {
      const size_t k = (j + 1) % n;
      triangle(rings[i][j], rings[i][k], rings[i + 1][k]);
      triangle(rings[i][j], rings[i + 1][k], rings[i + 1][j]);
    }
  }
  // The two ends meet the sides' edges in opposite directions, so their fans turn opposite ways.
  const Vec3 first = centre(rings.front()), last = centre(rings.back());
  for (size_t j = 0; j < n; ++j) {
    const size_t k = (j + 1) % n;
    triangle(first, rings.front()[k], rings.front()[j]);
    triangle(last, rings.back()[j], rings.back()[k]);
  }
  mesh.EndPiece(first);
}

// The right half of a section's outline mirrored onto the left: one closed ring.
std::vector<Vec3> Mirrored(const std::array<Vec3, 4>& right) {
  std::vector<Vec3> ring(right.begin(), right.end());
  for (int i = 3; i >= 0; --i) ring.push_back({-right[i].x, right[i].y, right[i].z});
  return ring;
}

// A caster piece's ring at one station. Rings of different shapes (a slab under a floor, a floor hanging below
// an arch) never join: their corners are not the same points of the body.
struct CasterRing {
  enum Shape { kUnderTop, kUnderArch } shape = kUnderTop;
  std::vector<Vec3> points;
};
using CasterStations = std::vector<std::optional<CasterRing>>;

// Lofts each run of consecutive stations that have a ring of one shape as one closed piece.
void LoftRuns(const CasterStations& stations, CarMesh& mesh) {
  std::vector<std::vector<Vec3>> run;
  for (size_t k = 0; k < stations.size(); ++k) {
    if (!stations[k]) continue;
    run.push_back(stations[k]->points);
    const bool joins = k + 1 < stations.size() && stations[k + 1] && stations[k + 1]->shape == stations[k]->shape;
    if (joins) continue;
    LoftClosed(run, mesh);
    run.clear();
  }
}

// The lower body's caster at a section: under a closed top and its crown, under the floor of an open bed or
// cockpit, or, where an arch lifts the underside above a bed's floor, between the two inside the bed's walls;
// nothing where the body is too thin. The floor's corners stay over the flat of the underside, clear of the
// bevel beside it, which twists where an arch's underside rises steeply from one station to the next.
std::optional<CasterRing> SlabRing(const Section& s) {
  const float i = kCasterInset, z = s.z;
  if (!s.open() || s.bottom < s.well) {
    const float lo = s.bottom + i, hi = (s.open() ? s.well : s.top) - i;
    if (hi - lo < kCasterMinThickness) return std::nullopt;
    const float side = s.shoulder > lo + 0.5f && s.shoulder < hi - 0.5f ? s.shoulder : (lo + hi) * 0.5f;
    const float floorX = HalfRing(s)[1].x - i, sideX = OuterX(s, side) - i, topX = OuterX(s, hi) - i;
    const float crown = s.open() ? 0.0f : s.crown * 0.6f;
    return CasterRing{CasterRing::kUnderTop, Mirrored({Vec3{floorX, lo, z}, Vec3{sideX, side, z}, Vec3{topX, hi, z},
                                                       Vec3{topX * 0.5f, hi + crown, z}})};
  }
  const float lo = s.well + i, hi = s.bottom - i, x = HalfRing(s)[6].x - i;
  if (hi - lo < kCasterMinThickness || x < kCasterMinThickness) return std::nullopt;
  return CasterRing{CasterRing::kUnderArch,
                    Mirrored({Vec3{x, lo, z}, Vec3{x, (lo + hi) * 0.5f, z}, Vec3{x, hi, z}, Vec3{x * 0.5f, hi, z}})};
}

// One wall of an open bed or cockpit (side -1 left, 1 right), from below the floor, or from above an arch that
// lifts the underside past it, to the wall's top edge; nothing where the section is closed. The wall's low
// corners sit on the bevel beside the underside, so they keep above the underside's highest point at the
// neighbouring stations (highestBottom): there an arch's bevel twists as the underside rises.
std::optional<CasterRing> WallRing(Section s, float highestBottom, float side) {
  if (!s.open()) return std::nullopt;
  s.bottom = highestBottom;
  const auto p = HalfRing(s);
  const float i = kCasterWallInset, z = s.z;
  const float lo = std::max(s.well - kCasterInset, p[2].y + i), hi = s.top - i;
  const float inner = p[6].x + i, outerLow = OuterX(s, lo) - i, outerHigh = OuterX(s, hi) - i;
  if (hi - lo < kCasterMinThickness || std::min(outerLow, outerHigh) - inner < kCasterMinThickness) {
    return std::nullopt;
  }
  return CasterRing{CasterRing::kUnderTop, {{side * inner, lo, z}, {side * outerLow, lo, z},
                                            {side * outerHigh, hi, z}, {side * inner, hi, z}}};
}

// The glasshouse's caster when the glasshouse closes onto the body at both ends (a roadster's lone windscreen
// encloses nothing): under the glass and the roof, and a little down into the lower body. The ends and the
// tops of the windscreen and rear window stand back from the slanting glass.
void AddCabinCaster(const Body& body, CarMesh& mesh) {
  const auto& keys = body.table.cabin;  // front to rear
  if (keys.size() < 3 || keys.front().roof >= 0 || keys.back().roof >= 0) return;
  const float half = body.half(), w = body.spec.bodyHalfWidth, h = body.spec.bodyHeight;
  const float i = kCasterInset, crown = body.table.roofCrown;
  std::vector<std::vector<Vec3>> rings;
  for (size_t k = 0; k < keys.size(); ++k) {
    const CabinSection& key = keys[k];
    float z = key.t * half;
    if (k <= 1) z -= i;
    if (k + 2 >= keys.size()) z += i;
    const Section s = body.At(z, false);
    const float baseWidth = key.baseWidth * w, base = TopAt(s, baseWidth) - 0.3f;
    const Vec3 root{baseWidth - i, base - kCasterCabinRoot, z}, foot{baseWidth - i, base - i, z};
    if (key.roof < 0) {
      rings.push_back(Mirrored({root, foot, Vec3{baseWidth * 0.6f, base - i, z}, Vec3{baseWidth * 0.3f, base - i, z}}));
    } else {
      const float roof = key.roof * h - crown, roofWidth = key.roofWidth * w;
      rings.push_back(Mirrored({root, foot, Vec3{roofWidth - i, roof - i, z},
                                Vec3{roofWidth * 0.5f, roof + crown * 0.5f - i, z}}));
    }
  }
  LoftClosed(rings, mesh);
}

}  // namespace

CarMesh BuildShadowCaster(const CarModelSpec& spec) {
  const Body body{spec, Table(spec.shape), false};
  const float end = body.half() - kCasterInset;
  // The drawn body's own stations (its keys, its steps between them and its arches), the ends pulled in.
  std::vector<Section> sections;
  for (const float z : body.Stations(BodyDetail::kFull)) {
    if (std::fabs(z) < end - 0.4f) sections.push_back(body.At(z, true));
  }
  sections.insert(sections.begin(), body.At(-end, true));
  sections.push_back(body.At(end, true));
  CarMesh mesh;
  CasterStations slab, left, right;
  for (size_t k = 0; k < sections.size(); ++k) {
    const float before = sections[k > 0 ? k - 1 : k].bottom;
    const float after = sections[std::min(k + 1, sections.size() - 1)].bottom;
    const float highest = std::max({before, sections[k].bottom, after});
    slab.push_back(SlabRing(sections[k]));
    left.push_back(WallRing(sections[k], highest, -1));
    right.push_back(WallRing(sections[k], highest, 1));
  }
  LoftRuns(slab, mesh);
  LoftRuns(left, mesh);
  LoftRuns(right, mesh);
  AddCabinCaster(body, mesh);
  return mesh;
}

}  // namespace contentgen
