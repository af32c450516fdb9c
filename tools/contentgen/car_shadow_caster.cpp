// The stencil shadow caster of a sample car: one closed hull a little inside the drawn body, fitted to the body's
// shape at few stations.
#include "contentgen/car_shadow_caster.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "contentgen/car_body_shape.h"
#include "platform/math/math.h"

namespace contentgen {

namespace {

using namespace car_shape;
using platform::Vec3;

// The caster keeps this far inside the drawn skin (inches). The volume it sweeps is bounded by faces drawn from
// its edges along the light: drawn from an edge close to a surface the player sees, they graze that surface and
// tear across it as the car pitches and rolls.
constexpr float kCasterInset = 1.5f;
// Its ends stand this far inside the body's ends, behind the lamps, grille and badge set into them.
constexpr float kCasterEndInset = 4.0f;
// The steepest the caster's floor climbs onto an arch, or its top falls into an open bed or cockpit (height over
// length), and the least it keeps between its floor and its top edge while it does (inches).
constexpr float kCasterRampSlope = 0.6f;
constexpr float kCasterMinThickness = 2.0f;
// Stations closer than this along the car (inches) are one.
constexpr float kCasterStationGap = 0.25f;

// The drawn lower body along its length, for keeping the caster clear of it: its mesh runs straight from one
// station's ring to the next.
class DrawnProfile {
 public:
  // reach: how far along the car each value is looked for (inches), so the caster keeps as clear of a steep
  // face (an arch's flank, a tapering end) as of a flat one.
  DrawnProfile(std::vector<Section> sections, float reach) : sections_(std::move(sections)), reach_(reach) {}

  // The highest (or lowest) value of the drawn body within reach of z. A top (top = true) is taken as the lower
  // of two stations' between a closed top and an open bed or cockpit, where the face slants from one to the other.
  float Near(float z, const std::function<float(const Section&)>& value, bool top, bool highest) const {
    auto keep = [&](float out, float at) {
      const float here = At(at, value, top);
      return highest ? std::max(out, here) : std::min(out, here);
    };
    float out = keep(At(z - reach_, value, top), z + reach_);
    for (const Section& s : sections_) {
      if (std::fabs(s.z - z) < reach_) out = keep(out, s.z);
    }
    return out;
  }

  // Where the values Near gives bend strictly between z0 and z1: at the drawn stations, and reach either side.
  std::vector<float> Bends(float z0, float z1) const {
    std::vector<float> out;
    for (const Section& s : sections_) {
      for (const float at : {s.z - reach_, s.z, s.z + reach_}) {
        if (at > z0 + 1e-3f && at < z1 - 1e-3f) out.push_back(at);
      }
    }
    return out;
  }

 private:
  float At(float z, const std::function<float(const Section&)>& value, bool top) const {
    size_t i = 0;
    while (i + 2 < sections_.size() && z > sections_[i + 1].z) ++i;
    const Section& a = sections_[i];
    const Section& b = sections_[i + 1];
    const float share = std::clamp((z - a.z) / (b.z - a.z), 0.0f, 1.0f);
    if (top && a.open() != b.open() && share > 0.0f && share < 1.0f) return std::min(value(a), value(b));
    return value(a) + (value(b) - value(a)) * share;
  }

  std::vector<Section> sections_;  // rear to front
  float reach_;
};

// One value of the caster's rings along its stations (a height or a width), fitted so that each stretch between
// two stations keeps to one side of limit (above it, or below) at both ends and wherever the drawn body bends
// along it. Every station starts as far out as the limit reaches along the stretches on either side of it, and
// then, one at a time, comes back as far as both stretches allow.
std::vector<float> FitAlong(const std::vector<float>& z, const DrawnProfile& drawn, bool above,
                            const std::function<float(size_t stretch, float share)>& limit) {
  const size_t n = z.size();
  const float side = above ? 1.0f : -1.0f;
  // Along each stretch, the limit (signed so that larger lies further out) at each share checked.
  std::vector<std::vector<std::pair<float, float>>> checks(n - 1);
  std::vector<float> v(n, -1e9f);
  for (size_t k = 0; k + 1 < n; ++k) {
    std::vector<float> shares = {0.0f, 1.0f};
    for (const float at : drawn.Bends(z[k], z[k + 1])) shares.push_back((at - z[k]) / (z[k + 1] - z[k]));
    for (const float share : shares) {
      const float need = side * limit(k, share);
      checks[k].emplace_back(share, need);
      v[k] = std::max(v[k], need);
      v[k + 1] = std::max(v[k + 1], need);
    }
  }
  for (int pass = 0; pass < 64; ++pass) {
    bool moved = false;
    for (size_t k = 0; k < n; ++k) {
      float least = -1e9f;
      if (k > 0) {
        for (const auto& [share, need] : checks[k - 1]) {
          if (share > 1e-4f) least = std::max(least, (need - (1 - share) * v[k - 1]) / share);
        }
      }
      if (k + 1 < n) {
        for (const auto& [share, need] : checks[k]) {
          if (share < 1 - 1e-4f) least = std::max(least, (need - share * v[k + 1]) / (1 - share));
        }
      }
      if (least < v[k] - 1e-3f) {
        v[k] = least;
        moved = true;
      }
    }
    if (!moved) break;
  }
  for (float& value : v) value *= side;
  return v;
}

// Keeps a value of the caster's rings from changing faster than slope along the car, raising (or lowering) the
// stations beside a steep step, but no further than bound.
void Ramp(const std::vector<float>& z, std::vector<float>& v, float slope, const std::vector<float>& bound,
          bool raise) {
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t step = 1; step < z.size(); ++step) {
      const size_t k = pass == 0 ? step : z.size() - 1 - step, from = pass == 0 ? k - 1 : k + 1;
      const float reach = slope * std::fabs(z[k] - z[from]);
      v[k] = raise ? std::max(v[k], std::min(v[from] - reach, bound[k]))
                   : std::min(v[k], std::max(v[from] + reach, bound[k]));
    }
  }
}

// The glasshouse as the caster takes it: at each of its keys where its line bends, a point inside the roof's
// corner (or inside the foot of a windscreen's or rear window's side edge), the keys at each end drawn in along
// the car so the caster's top stands back from the slanting glass. Empty when the glasshouse does not close onto the
// body at both ends (a roadster's lone windscreen encloses nothing).
struct CabinPoint {
  float z, x, y;
  bool foot;
};

std::vector<CabinPoint> CasterCabin(const Body& body) {
  const auto& keys = body.table.cabin;  // front to rear
  std::vector<CabinPoint> points;
  if (keys.size() < 3 || keys.front().roof >= 0 || keys.back().roof >= 0) return points;
  const float half = body.half(), w = body.spec.bodyHalfWidth, h = body.spec.bodyHeight, i = kCasterInset;
  // A roof key between the first and last that lies on or outside the line between them adds nothing the caster
  // needs: the line keeps under the roof there.
  std::vector<CabinSection> bends;
  const CabinSection& front = keys[1];
  const CabinSection& rear = keys[keys.size() - 2];
  for (size_t k = 0; k < keys.size(); ++k) {
    const CabinSection& key = keys[k];
    if (k > 1 && k + 2 < keys.size() && front.t != rear.t) {
      const float s = (front.t - key.t) / (front.t - rear.t);
      auto line = [s](float a, float b) { return a + (b - a) * s; };
      if (key.roof >= line(front.roof, rear.roof) && key.roofWidth >= line(front.roofWidth, rear.roofWidth) &&
          key.baseWidth >= line(front.baseWidth, rear.baseWidth)) {
        continue;
      }
    }
    bends.push_back(key);
  }
  for (size_t k = 0; k < bends.size(); ++k) {
    const CabinSection& key = bends[k];
    const float z = key.t * half + (k <= 1 ? -i : 0.0f) + (k + 2 >= bends.size() ? i : 0.0f);
    const float baseWidth = key.baseWidth * w;
    if (key.roof < 0) {
      const float base = TopAt(body.At(key.t * half, false), baseWidth) - 0.3f;
      points.push_back({z, baseWidth * 0.8f - i, base - i, true});
    } else {
      points.push_back({z, key.roofWidth * w - i, key.roof * h - body.table.roofCrown - i, false});
    }
  }
  return points;
}

// The caster's glasshouse point at z, straight between its keys; nothing outside the glasshouse.
std::optional<CabinPoint> CabinAt(const std::vector<CabinPoint>& cabin, float z) {
  for (size_t k = 0; k + 1 < cabin.size(); ++k) {
    const CabinPoint& a = cabin[k];
    const CabinPoint& b = cabin[k + 1];
    if (z > a.z + 1e-3f || z < b.z - 1e-3f) continue;
    if (std::fabs(z - a.z) <= 1e-3f) return a;
    if (std::fabs(z - b.z) <= 1e-3f) return b;
    const float s = (a.z - z) / (a.z - b.z);
    return CabinPoint{z, a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, false};
  }
  return std::nullopt;
}

// Where the caster's rings stand along the car: its ends, where an open bed or cockpit begins and ends, the ends
// of each wheel arch and the glasshouse's bends. Every station draws two more edges of the shadow volume's
// outline, each swept down to the road and far under it, so there are as few as the shape allows; the fit keeps
// the caster inside the body between them.
std::vector<float> CasterStations(const Body& body, const std::vector<CabinPoint>& cabin, float end) {
  // Stations by how much they hold: where two stand closer than kCasterStationGap the one that holds more stays.
  std::vector<std::pair<float, int>> z = {{-end, 3}, {end, 3}};
  const auto& keys = body.table.body;
  for (size_t k = 0; k < keys.size(); ++k) {
    const bool open = keys[k].well >= 0;
    if ((k > 0 && (keys[k - 1].well >= 0) != open) || (k + 1 < keys.size() && (keys[k + 1].well >= 0) != open)) {
      z.emplace_back(keys[k].t * body.half(), 1);
    }
  }
  const float radius = body.spec.tyreRadius + 2.5f;
  for (const float axle : {body.spec.frontAxle, body.spec.rearAxle}) {
    z.emplace_back(axle - radius, 0);
    z.emplace_back(axle + radius, 0);
  }
  for (const CabinPoint& p : cabin) z.emplace_back(p.z, 2);
  std::sort(z.begin(), z.end());
  std::vector<std::pair<float, int>> kept;
  for (const auto& station : z) {
    if (std::fabs(station.first) > end + 1e-3f) continue;
    if (!kept.empty() && station.first - kept.back().first < kCasterStationGap) {
      if (station.second > kept.back().second) kept.back() = station;
      continue;
    }
    kept.push_back(station);
  }
  std::vector<float> out;
  for (const auto& station : kept) out.push_back(station.first);
  return out;
}

// A closed caster piece: rings of one size joined in order, each end closed by a fan, wound outward. Each
// four-sided stretch between two rings folds along the diagonal nearer the middle of the rings, so where it
// twists (from a windscreen's foot to the roof's corner) it folds inward rather than out through the glass.
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
    const Vec3 middle = (centre(rings[i]) + centre(rings[i + 1])) * 0.5f;
    auto offAxis = [&](const Vec3& p, const Vec3& q) {
      const Vec3 d = (p + q) * 0.5f - middle;
      return d.x * d.x + d.y * d.y;
    };
    for (size_t j = 0; j < n; ++j) {
      const size_t k = (j + 1) % n;
      const Vec3 &a = rings[i][j], &b = rings[i][k], &c = rings[i + 1][k], &d = rings[i + 1][j];
      if (offAxis(a, c) <= offAxis(b, d)) {
        triangle(a, b, c);
        triangle(a, c, d);
      } else {
        triangle(a, b, d);
        triangle(b, c, d);
      }
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

// The right half of a section's outline (bottom to top) mirrored onto the left: one closed ring.
std::vector<Vec3> Mirrored(const std::vector<Vec3>& right) {
  std::vector<Vec3> ring(right);
  for (auto p = right.rbegin(); p != right.rend(); ++p) ring.push_back({-p->x, p->y, p->z});
  return ring;
}

}  // namespace

CarMesh BuildShadowCaster(const CarModelSpec& spec) {
  const Body body{spec, Table(spec.shape), false};
  const float i = kCasterInset;
  std::vector<Section> drawnSections;
  for (const float z : body.Stations(BodyDetail::kFull)) drawnSections.push_back(body.At(z, true));
  const DrawnProfile drawn(std::move(drawnSections), i);
  const std::vector<CabinPoint> cabin = CasterCabin(body);
  const std::vector<float> z = CasterStations(body, cabin, body.half() - kCasterEndInset);
  auto at = [&](size_t k, float share) { return z[k] + (z[k + 1] - z[k]) * share; };
  auto along = [](const std::vector<float>& v, size_t k, float share) { return v[k] + (v[k + 1] - v[k]) * share; };
  // Heights first: the floor over the underside and the wheel arches, the top edge under the body's top or an
  // open bed's or cockpit's floor.
  std::vector<float> floorY = FitAlong(z, drawn, true, [&](size_t k, float s) {
    return drawn.Near(at(k, s), [](const Section& q) { return q.bottom; }, false, true) + i;
  });
  std::vector<float> edgeY = FitAlong(z, drawn, false, [&](size_t k, float s) {
    return drawn.Near(at(k, s), [](const Section& q) { return q.open() ? q.well : q.top; }, true, false) - i;
  });
  // The floor climbs onto an arch, and the top edge down into an open bed or cockpit, by ramps where the body
  // leaves room: a step that turns toward the sun draws another outline across the car's whole width, and its
  // shadow volume covers the road and the car behind it a second time.
  std::vector<float> floorLimit(z.size()), edgeLimit(z.size());
  for (size_t k = 0; k < z.size(); ++k) {
    floorLimit[k] = edgeY[k] - kCasterMinThickness;
    edgeLimit[k] = floorY[k] + kCasterMinThickness;
  }
  Ramp(z, floorY, kCasterRampSlope, floorLimit, true);
  Ramp(z, edgeY, kCasterRampSlope, edgeLimit, false);
  // Outside the glasshouse the sides stand upright, as narrow as the body between the floor and the top edge: a
  // side leaning toward the sun turns lit and unlit from one station to the next as the car rolls, and draws the
  // outline in a zigzag.
  const std::vector<float> width = FitAlong(z, drawn, false, [&](size_t k, float s) {
    const float low = along(floorY, k, s), high = along(edgeY, k, s);
    auto side = [low, high, i](const Section& q) {
      return std::min({OuterX(q, low - i), OuterX(q, low), OuterX(q, low + i), OuterX(q, high - i), OuterX(q, high),
                       OuterX(q, high + i)});
    };
    return drawn.Near(at(k, s), side, false, false) - i;
  });
  // Each ring is the floor's corners and the top's: the top edge's, or under the glasshouse the roof's, the sides
  // slanting in from the floor to it. The shadow only needs the outline, and every corner more draws the shadow
  // volume's outline in more pieces.
  std::vector<std::vector<Vec3>> rings;
  for (size_t k = 0; k < z.size(); ++k) {
    Vec3 top{width[k], edgeY[k], z[k]};
    if (const std::optional<CabinPoint> roof = CabinAt(cabin, z[k])) {
      top = {std::min(roof->x, width[k]), roof->foot ? std::min(roof->y, edgeY[k]) : roof->y, z[k]};
    }
    rings.push_back(Mirrored({Vec3{width[k], floorY[k], z[k]}, top}));
  }
  CarMesh mesh;
  LoftClosed(rings, mesh);
  return mesh;
}

}  // namespace contentgen
