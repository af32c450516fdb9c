// Lofted car bodies: cross-sections along the car, interpolated between a few key sections per shape.
#include "contentgen/car_body.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/math/math.h"

namespace contentgen {

namespace {

using platform::Vec3;

// Working surfaces, turned into zone materials once the whole body stands.
constexpr int16_t kPaintSurface = 100;
constexpr int16_t kRoofSurface = 101;
constexpr int16_t kGlassSurface = 102;

// One key cross-section of the lower body. t runs from -1 (rear) to 1 (front) along the body; heights are
// shares of the body height, widths shares of the half width; crown is in inches; well < 0 for a closed top,
// else the height share of an open bed or cockpit floor.
struct KeySection {
  float t, halfWidth, bottom, shoulder, top, topWidth, crown, well;
};

enum class Pane { kWindscreen, kSideGlass, kPillar, kRearWindow };

// One key section of the glasshouse, front to rear; roof < 0 sits flat on the body (the foot of a windscreen or
// rear window). pane is the kind of the stretch from this section to the next.
struct CabinSection {
  float t, roof, baseWidth, roofWidth;
  Pane pane;
};

struct ShapeTable {
  std::vector<KeySection> body;
  std::vector<CabinSection> cabin;
  float roofCrown = 2;
};

ShapeTable Table(CarShape shape) {
  switch (shape) {
    case CarShape::kPickup:
      return {{{-1.00f, .95f, .22f, .50f, .70f, .93f, 0, -1},
               {-0.97f, .97f, .21f, .52f, .70f, .95f, 0, -1},
               {-0.94f, .97f, .21f, .52f, .70f, .95f, 0, .36f},
               {-0.14f, .97f, .21f, .52f, .70f, .95f, 0, .36f},
               {-0.11f, .97f, .21f, .52f, .70f, .95f, 1, -1},
               {0.45f, .97f, .21f, .52f, .68f, .92f, 2, -1},
               {0.85f, .95f, .21f, .50f, .64f, .88f, 2, -1},
               {0.97f, .92f, .22f, .48f, .60f, .84f, 1, -1},
               {1.00f, .86f, .24f, .45f, .56f, .78f, 0, -1}},
              {{0.40f, -1, .92f, .92f, Pane::kWindscreen},
               {0.15f, 1.0f, .92f, .80f, Pane::kSideGlass},
               {-0.02f, 1.0f, .92f, .80f, Pane::kPillar},
               {-0.05f, 1.0f, .92f, .80f, Pane::kSideGlass},
               {-0.09f, 1.0f, .92f, .80f, Pane::kRearWindow},
               {-0.11f, -1, .92f, .92f, Pane::kRearWindow}},
              2.0f};
    case CarShape::kCoupe:
      return {{{-1.00f, .86f, .17f, .42f, .54f, .78f, 0, -1},
               {-0.95f, .95f, .15f, .46f, .60f, .86f, 1, -1},
               {-0.70f, 1.0f, .14f, .48f, .62f, .88f, 1.5f, -1},
               {0.30f, 1.0f, .14f, .48f, .60f, .88f, 2, -1},
               {0.75f, .97f, .14f, .44f, .53f, .84f, 2.5f, -1},
               {0.95f, .92f, .15f, .38f, .45f, .76f, 1.5f, -1},
               {1.00f, .84f, .16f, .32f, .39f, .68f, 0, -1}},
              {{0.30f, -1, .86f, .86f, Pane::kWindscreen},
               {0.00f, 1.0f, .86f, .66f, Pane::kSideGlass},
               {-0.25f, .99f, .86f, .66f, Pane::kPillar},
               {-0.35f, .97f, .86f, .64f, Pane::kRearWindow},
               {-0.85f, -1, .86f, .86f, Pane::kRearWindow}},
              1.5f};
    case CarShape::kRoadster:
      return {{{-1.00f, .86f, .19f, .45f, .60f, .78f, 0, -1},
               {-0.95f, .95f, .17f, .50f, .66f, .86f, 1, -1},
               {-0.60f, 1.0f, .16f, .52f, .70f, .90f, 1.5f, -1},
               {-0.40f, 1.0f, .16f, .52f, .70f, .90f, 1, -1},
               {-0.37f, 1.0f, .16f, .52f, .70f, .90f, 0, .30f},
               {0.20f, 1.0f, .16f, .52f, .68f, .90f, 0, .30f},
               {0.23f, 1.0f, .16f, .52f, .66f, .90f, 1, -1},
               {0.80f, .97f, .16f, .46f, .58f, .86f, 2, -1},
               {0.96f, .92f, .17f, .40f, .50f, .78f, 1, -1},
               {1.00f, .84f, .18f, .36f, .45f, .70f, 0, -1}},
              {{0.25f, -1, .88f, .88f, Pane::kWindscreen}, {0.11f, 1.0f, .88f, .84f, Pane::kWindscreen}},
              0.5f};
    case CarShape::kSaloon:
    default:
      return {{{-1.00f, .88f, .17f, .40f, .55f, .80f, 0, -1},
               {-0.96f, .96f, .15f, .44f, .60f, .86f, 1, -1},
               {-0.80f, 1.0f, .14f, .46f, .62f, .88f, 1.5f, -1},
               {-0.55f, 1.0f, .14f, .46f, .62f, .88f, 1.5f, -1},
               {0.40f, 1.0f, .14f, .46f, .60f, .88f, 2, -1},
               {0.80f, .98f, .14f, .44f, .55f, .86f, 2, -1},
               {0.96f, .94f, .15f, .40f, .49f, .80f, 1, -1},
               {1.00f, .86f, .17f, .36f, .44f, .72f, 0, -1}},
              {{0.42f, -1, .86f, .86f, Pane::kWindscreen},
               {0.08f, 1.0f, .86f, .70f, Pane::kSideGlass},
               {-0.18f, 1.0f, .86f, .70f, Pane::kPillar},
               {-0.22f, 1.0f, .86f, .70f, Pane::kSideGlass},
               {-0.40f, .99f, .86f, .70f, Pane::kRearWindow},
               {-0.62f, -1, .86f, .86f, Pane::kRearWindow}},
              2.0f};
  }
}

// A cross-section in inches.
struct Section {
  float z, halfWidth, bottom, shoulder, top, topWidth, crown, well;
  bool open() const { return well >= 0; }
};

float Smooth(float a, float b, float s) {
  const float k = s * s * (3 - 2 * s);
  return a + (b - a) * k;
}

struct Body {
  const CarModelSpec& spec;
  ShapeTable table;
  bool kit;
  float half() const { return spec.bodyLength / 2; }

  // The section at a point along the body, from the key sections, the wheel arches and the kit.
  Section At(float z, bool arches) const {
    const float t = std::clamp(z / half(), -1.0f, 1.0f);
    const auto& keys = table.body;
    size_t i = 0;
    while (i + 2 < keys.size() && t > keys[i + 1].t) ++i;
    const KeySection& a = keys[i];
    const KeySection& b = keys[i + 1];
    const float s = b.t > a.t ? std::clamp((t - a.t) / (b.t - a.t), 0.0f, 1.0f) : 0.0f;
    const float w = spec.bodyHalfWidth, h = spec.bodyHeight;
    Section out;
    out.z = z;
    out.halfWidth = Smooth(a.halfWidth, b.halfWidth, s) * w;
    out.bottom = Smooth(a.bottom, b.bottom, s) * h;
    out.shoulder = Smooth(a.shoulder, b.shoulder, s) * h;
    out.top = Smooth(a.top, b.top, s) * h;
    out.topWidth = Smooth(a.topWidth, b.topWidth, s) * out.halfWidth;
    out.crown = Smooth(a.crown, b.crown, s);
    // A bed or cockpit is open only between two open key sections (or on an open key itself).
    const bool open = (a.well >= 0 && (b.well >= 0 || s == 0.0f)) || (b.well >= 0 && s == 1.0f);
    out.well = open ? (a.well >= 0 ? a.well : b.well) * h : -1;
    if (kit) {
      // Side skirts and flares; a deeper lip at both ends.
      out.halfWidth += 1.2f;
      out.bottom = std::max(3.5f, out.bottom - (std::fabs(t) > 0.9f ? 3.5f : 2.5f));
    }
    if (arches) {
      const float radius = spec.tyreRadius + 2.5f;
      for (float axle : {spec.frontAxle, spec.rearAxle}) {
        const float dz = z - axle;
        if (std::fabs(dz) >= radius) continue;
        const float arch = spec.tyreRadius + std::sqrt(radius * radius - dz * dz);
        out.bottom = std::max(out.bottom, std::min(arch, out.shoulder - 3.0f));
      }
    }
    return out;
  }

  // Where the sections stand along the body: every key, evenly between them, and closely over the arches.
  std::vector<float> Stations(BodyDetail detail) const {
    std::vector<float> z;
    for (const KeySection& k : table.body) z.push_back(k.t * half());
    if (detail != BodyDetail::kFar) {
      const float step = detail == BodyDetail::kFull ? 11.0f : 24.0f;
      const int archSteps = detail == BodyDetail::kFull ? 4 : 2;
      const size_t keys = z.size();
      for (size_t i = 0; i + 1 < keys; ++i) {
        const int n = static_cast<int>(std::ceil((z[i + 1] - z[i]) / step));
        for (int k = 1; k < n; ++k) z.push_back(z[i] + (z[i + 1] - z[i]) * k / n);
      }
      const float radius = spec.tyreRadius + 2.5f;
      for (float axle : {spec.frontAxle, spec.rearAxle}) {
        for (int k = -archSteps; k <= archSteps; ++k) z.push_back(axle + radius * k / archSteps);
      }
    }
    std::sort(z.begin(), z.end());
    std::vector<float> kept;
    for (float value : z) {
      if (value < -half() || value > half()) continue;
      if (kept.empty() || value - kept.back() > 0.4f) kept.push_back(value);
    }
    return kept;
  }
};

// The right half of a section, from the bottom centre to the top centre: nine points (x >= 0, y).
std::array<Vec3, 9> HalfRing(const Section& s) {
  const float hw = s.halfWidth, b = s.bottom, sh = s.shoulder, tp = s.top, tw = s.topWidth;
  std::array<Vec3, 9> p;
  p[0] = {0, b, s.z};
  p[1] = {hw * 0.86f, b, s.z};
  p[2] = {hw * 0.98f, b + 0.3f * (sh - b), s.z};
  p[3] = {hw, sh, s.z};
  p[4] = {hw + (tw - hw) * 0.65f, sh + (tp - sh) * 0.75f, s.z};
  p[5] = {tw, tp, s.z};
  if (s.open()) {
    const float inner = std::max(0.0f, tw - 2.5f);
    p[6] = {inner, tp, s.z};
    p[7] = {inner, s.well, s.z};
    p[8] = {0, s.well, s.z};
  } else {
    p[6] = {tw * 0.62f, tp + s.crown * 0.7f, s.z};
    p[7] = {tw * 0.3f, tp + s.crown * 0.93f, s.z};
    p[8] = {0, tp + s.crown, s.z};
  }
  return p;
}

// The whole section as a loop of 16 points: the right half, then the left half mirrored back down.
std::array<Vec3, 16> Ring(const Section& s) {
  const auto half = HalfRing(s);
  std::array<Vec3, 16> ring;
  for (int i = 0; i < 9; ++i) ring[i] = half[i];
  for (int i = 1; i < 8; ++i) ring[8 + i] = {-half[8 - i].x, half[8 - i].y, half[8 - i].z};
  return ring;
}

int Band(int segment) { return segment < 8 ? segment : 15 - segment; }

int16_t BandSurface(int band, bool open) {
  if (band <= 1) return kTrim;
  if (band >= 6 && open) return kInterior;
  return kPaintSurface;
}

// Paint and glass by where they sit: the damage zones the car's crashes fill.
int16_t ZoneMaterial(int16_t surface, const Vec3& c, const Vec3& normal, float halfWidth, float halfLength) {
  if (surface == kRoofSurface) return kRoofPaint;
  if (surface == kGlassSurface) {
    if (normal.z > 0.45f) return kGlassFront;
    if (normal.z < -0.45f) return kGlassRear;
    return c.x < 0 ? kGlassLeft : kGlassRight;
  }
  if (surface != kPaintSurface) return surface;
  const float w = 2 * halfWidth, l = 2 * halfLength;
  if (c.z > l / 4) return c.x < -w / 4 ? kFrontLeftPaint : kFrontPaint;
  if (c.z < -l / 4) return c.x > w / 4 ? kRearRightPaint : kRearPaint;
  return c.x < 0 ? kLeftPaint : kRightPaint;
}

struct Lofter {
  const CarModelSpec& spec;
  CarMesh& mesh;

  float U(float z) const { return z / spec.bodyLength + 0.5f; }
  float V(float y) const { return 1.0f - y / spec.bodyHeight; }

  void Quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, int16_t material) {
    mesh.AddQuad({a, b, c, d},
                 {{U(a.z), V(a.y)}, {U(b.z), V(b.y)}, {U(c.z), V(c.y)}, {U(d.z), V(d.y)}}, material);
  }

  // A ring closed by triangles from its centre, facing the way the ring runs round by the right hand, or the
  // other way when reversed.
  void Fan(const std::array<Vec3, 16>& ring, int16_t (*surface)(int band, bool open), bool open, bool reversed) {
    Vec3 centre{0, 0, 0};
    for (const Vec3& p : ring) centre = centre + p;
    centre = centre * (1.0f / 16.0f);
    for (int j = 0; j < 16; ++j) {
      MeshTriangle t;
      t.material = surface(Band(j), open);
      t.corners[0] = centre;
      t.corners[reversed ? 2 : 1] = ring[j];
      t.corners[reversed ? 1 : 2] = ring[(j + 1) % 16];
      for (int c = 0; c < 3; ++c) {
        t.uvs[c][0] = U(t.corners[c].z) + t.corners[c].x / spec.bodyLength;
        t.uvs[c][1] = V(t.corners[c].y);
      }
      mesh.AddTriangle(t);
    }
  }
};

// The lower body: rings along the stations, closed by a fan at each end.
void LoftLowerBody(const Body& body, BodyDetail detail, CarMesh& mesh, std::vector<Section>& sections) {
  const bool arches = detail != BodyDetail::kFar;
  for (float z : body.Stations(detail)) {
    Section s = body.At(z, arches);
    if (detail == BodyDetail::kFar) s.well = -1;
    sections.push_back(s);
  }
  Lofter loft{body.spec, mesh};
  mesh.BeginPiece();
  for (size_t i = 0; i + 1 < sections.size(); ++i) {
    const auto a = Ring(sections[i]), b = Ring(sections[i + 1]);
    const bool open = sections[i].open() || sections[i + 1].open();
    for (int j = 0; j < 16; ++j) {
      const int k = (j + 1) % 16;
      loft.Quad(a[j], a[k], b[k], b[j], BandSurface(Band(j), open));
    }
  }
  // The rings run the same way round at both ends, so the rear fan turns the other way to face out as well.
  loft.Fan(Ring(sections.front()), BandSurface, false, true);
  loft.Fan(Ring(sections.back()), BandSurface, false, false);
  mesh.EndPiece({0, body.spec.bodyHeight * 0.3f, 0});
}

// Height of the lower body's top at a point across a section.
float TopAt(const Section& s, float x) {
  const auto p = HalfRing(s);
  x = std::fabs(x);
  for (int i = 8; i > 5; --i) {
    if (x <= p[i - 1].x && p[i - 1].x > p[i].x) {
      const float k = (x - p[i].x) / (p[i - 1].x - p[i].x);
      return p[i].y + (p[i - 1].y - p[i].y) * k;
    }
  }
  return p[5].y;
}

// The glasshouse: rings of seven points over the body, glass or paint by stretch.
void LoftCabin(const Body& body, const std::vector<CabinSection>& keys, CarMesh& mesh) {
  if (keys.size() < 2) return;
  const float half = body.half(), w = body.spec.bodyHalfWidth, h = body.spec.bodyHeight;
  auto ring = [&](const CabinSection& k) {
    const Section s = body.At(k.t * half, false);
    const float z = k.t * half;
    const float baseWidth = k.baseWidth * w + (body.kit ? 1.2f : 0.0f);
    const float base = TopAt(s, baseWidth) - 0.3f;
    std::array<Vec3, 7> r;
    if (k.roof < 0) {
      r[0] = {baseWidth, base, z};
      r[1] = {baseWidth * 0.8f, base, z};
      r[2] = {baseWidth * 0.4f, base, z};
      r[3] = {0, base, z};
    } else {
      const float roof = k.roof * h - body.table.roofCrown, roofWidth = k.roofWidth * w;
      r[0] = {baseWidth, base, z};
      r[1] = {roofWidth, roof, z};
      r[2] = {roofWidth * 0.5f, roof + body.table.roofCrown * 0.75f, z};
      r[3] = {0, roof + body.table.roofCrown, z};
    }
    for (int i = 1; i < 4; ++i) r[3 + i] = {-r[3 - i].x, r[3 - i].y, r[3 - i].z};
    return r;
  };
  Lofter loft{body.spec, mesh};
  mesh.BeginPiece();
  for (size_t i = 0; i + 1 < keys.size(); ++i) {
    const auto a = ring(keys[i]), b = ring(keys[i + 1]);
    const Pane pane = keys[i].pane;
    const int16_t side = pane == Pane::kSideGlass ? kGlassSurface : kPaintSurface;
    const int16_t top = (pane == Pane::kWindscreen || pane == Pane::kRearWindow) ? kGlassSurface : kRoofSurface;
    for (int j = 0; j < 6; ++j) loft.Quad(a[j], a[j + 1], b[j + 1], b[j], (j == 0 || j == 5) ? side : top);
  }
  const float midZ = (keys.front().t + keys.back().t) * 0.5f * half;
  mesh.EndPiece({0, body.At(midZ, false).top, midZ});
}

Section SectionAt(const std::vector<Section>& sections, float z) {
  for (const Section& s : sections) {
    if (s.z >= z) return s;
  }
  return sections.back();
}

// Racing stripes: two bands down the middle of the bonnet, roof and boot, standing a little proud of the paint.
// Their picture is clear until a vinyl upgrade gives the STRIPE material one.
void AddStripes(const Body& body, const std::vector<Section>& sections, CarMesh& mesh) {
  const auto& cabin = body.table.cabin;
  const float half = body.half();
  const float cabinFront = cabin.empty() ? -1e9f : cabin.front().t * half;
  const float cabinRear = cabin.empty() ? 1e9f : cabin.back().t * half;
  constexpr float kInner = 3.0f, kOuter = 7.5f, kLift = 0.3f;
  // One band from the section at a (inner and outer edge) to the section at b, facing up.
  auto band = [&](const Vec3& a0, const Vec3& a1, const Vec3& b0, const Vec3& b1) {
    Vec3 corners[4] = {a0, a1, b1, b0};
    float uvs[4][2] = {{0, a0.z / 20}, {1, a1.z / 20}, {1, b1.z / 20}, {0, b0.z / 20}};
    if (platform::Cross(corners[1] - corners[0], corners[2] - corners[0]).y < 0) {
      std::swap(corners[1], corners[3]);
      std::swap(uvs[1], uvs[3]);
    }
    mesh.AddQuad({corners[0], corners[1], corners[2], corners[3]},
                 {{uvs[0][0], uvs[0][1]}, {uvs[1][0], uvs[1][1]}, {uvs[2][0], uvs[2][1]}, {uvs[3][0], uvs[3][1]}},
                 kStripe);
  };
  for (size_t i = 0; i + 1 < sections.size(); ++i) {
    const Section& a = sections[i];
    const Section& b = sections[i + 1];
    if (a.open() || b.open()) continue;
    if (b.z > cabinRear && a.z < cabinFront) continue;  // under the glasshouse
    for (float side : {-1.0f, 1.0f}) {
      const float x0 = side * kInner, x1 = side * kOuter;
      band({x0, TopAt(a, x0) + kLift, a.z}, {x1, TopAt(a, x1) + kLift, a.z}, {x0, TopAt(b, x0) + kLift, b.z},
           {x1, TopAt(b, x1) + kLift, b.z});
    }
  }
  // Over the roof, between the sections that stand at roof height.
  const float crown = body.table.roofCrown, h = body.spec.bodyHeight, w = body.spec.bodyHalfWidth;
  auto roofAt = [&](const CabinSection& k, float x) {
    const float roof = k.roof * h, roofWidth = k.roofWidth * w;
    const float s = std::clamp(std::fabs(x) / (roofWidth * 0.5f), 0.0f, 1.0f);
    return roof - crown * 0.25f * s + kLift;
  };
  for (size_t i = 0; i + 1 < cabin.size(); ++i) {
    const CabinSection& a = cabin[i];
    const CabinSection& b = cabin[i + 1];
    if (a.roof < 0 || b.roof < 0 || body.spec.shape == CarShape::kRoadster) continue;
    const float za = a.t * half, zb = b.t * half;
    for (float side : {-1.0f, 1.0f}) {
      const float x0 = side * kInner, x1 = side * kOuter;
      band({x0, roofAt(a, x0), za}, {x1, roofAt(a, x1), za}, {x0, roofAt(b, x0), zb}, {x1, roofAt(b, x1), zb});
    }
  }
}

// The shadow caster keeps this far inside the body's skin (inches): more than the body's curved sections stray
// from the straight chords between the caster's stations, so no part of the caster stands outside the body.
constexpr float kCasterInset = 1.5f;
// A bed's or cockpit's walls are a couple of inches thick; their casters keep this far inside each face.
constexpr float kCasterWallInset = 0.5f;
// Caster sections thinner than this are left out (where an arch lifts the body's underside past a bed's floor).
constexpr float kCasterMinThickness = 1.0f;
// How far the glasshouse's caster reaches down into the lower body, so the two pieces overlap.
constexpr float kCasterCabinRoot = 3.0f;

// x of the section's outer side at height y, from the floor's outer corner up to the top edge.
float OuterX(const Section& s, float y) {
  const auto p = HalfRing(s);
  for (int i = 1; i < 5; ++i) {
    if (y > p[i + 1].y && i < 4) continue;
    const float span = p[i + 1].y - p[i].y;
    const float k = span > 1e-4f ? std::clamp((y - p[i].y) / span, 0.0f, 1.0f) : 1.0f;
    return p[i].x + (p[i + 1].x - p[i].x) * k;
  }
  return p[5].x;
}

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

const char* BodyMaterialName(int16_t material) {
  static const char* const names[kBodyMaterialCount] = {
      "FRONT_LEFT_PAINT", "FRONT_PAINT", "RIGHT_PAINT", "REAR_RIGHT_PAINT", "REAR_PAINT", "LEFT_PAINT",
      "ROOF_PAINT", "GLASS_FRONT", "GLASS_RIGHT", "GLASS_REAR", "GLASS_LEFT", "TRIM", "LIGHTS", "TAILLIGHTS",
      "CHROME", "LOGO1", "STRIPE", "INTERIOR"};
  return material >= 0 && material < kBodyMaterialCount ? names[material] : "";
}

bool IsPaintMaterial(int16_t material) { return material >= kFrontLeftPaint && material <= kRoofPaint; }
bool IsGlassMaterial(int16_t material) { return material >= kGlassFront && material <= kGlassLeft; }

CarMesh BuildBody(const CarModelSpec& spec, BodyDetail detail, bool withKit, BodyLayout* layout) {
  Body body{spec, Table(spec.shape), withKit};
  const float half = body.half(), w = spec.bodyHalfWidth;
  CarMesh mesh;
  std::vector<Section> sections;
  LoftLowerBody(body, detail, mesh, sections);
  LoftCabin(body, body.table.cabin, mesh);
  if (detail != BodyDetail::kFar) AddStripes(body, sections, mesh);

  const Section front = sections.back(), rear = sections.front();
  const float lampLow = front.shoulder - 3.0f, lampHigh = std::min(front.top - 0.5f, front.shoulder + 2.5f);
  const float tailLow = rear.shoulder - 3.0f, tailHigh = std::min(rear.top - 0.5f, rear.shoulder + 2.0f);
  const float exhaustY = rear.bottom + 2.5f, exhaustX = w * 0.5f;
  if (detail != BodyDetail::kFar) {
    for (float side : {-1.0f, 1.0f}) {
      const float x0 = side * front.halfWidth * 0.42f, x1 = side * front.halfWidth * 0.80f;
      mesh.AddBox({std::min(x0, x1), lampLow, half - 3}, {std::max(x0, x1), lampHigh, half + 0.6f}, kHeadlights);
      const float r0 = side * rear.halfWidth * 0.50f, r1 = side * rear.halfWidth * 0.86f;
      mesh.AddBox({std::min(r0, r1), tailLow, -half - 0.6f}, {std::max(r0, r1), tailHigh, -half + 3}, kTailLights);
    }
    const float grilleLow = front.bottom + 0.35f * (front.shoulder - front.bottom);
    mesh.AddBox({-front.halfWidth * 0.36f, grilleLow, half - 2}, {front.halfWidth * 0.36f, lampLow + 1, half + 0.4f},
                kTrim);
    mesh.AddBox({-2.5f, lampLow + 1.3f, half - 1}, {2.5f, lampLow + 3.3f, half + 0.7f}, kLogo);
    const int exhausts = spec.shape == CarShape::kPickup ? 1 : 2;
    for (int i = 0; i < exhausts; ++i) {
      const float x = i == 0 ? -exhaustX : exhaustX;
      mesh.AddCylinderZ(x, exhaustY, -half - 1.5f, -half + 8, 1.6f, detail == BodyDetail::kFull ? 10 : 6, kChrome);
    }
  }
  if (detail == BodyDetail::kFull && !body.table.cabin.empty()) {
    // Door mirrors at the foot of the windscreen.
    const float z = body.table.cabin.front().t * half - 4;
    const Section s = body.At(z, false);
    for (float side : {-1.0f, 1.0f}) {
      const float x0 = side * (s.topWidth + 0.5f), x1 = side * (s.topWidth + 4.5f);
      mesh.AddBox({std::min(x0, x1), s.top + 1.5f, z - 3}, {std::max(x0, x1), s.top + 5.5f, z}, kPaintSurface);
    }
  }
  if (spec.shape == CarShape::kRoadster && detail != BodyDetail::kFar) {
    // Roll hoops behind the seats and a frame along the windscreen's top edge.
    const float z = -0.35f * half;
    const Section s = body.At(z, false);
    for (float side : {-1.0f, 1.0f}) {
      const float cx = side * w * 0.4f;
      mesh.AddBox({cx - 7, s.top + 10, z - 1.5f}, {cx + 7, s.top + 12, z + 1.5f}, kChrome);
      for (float leg : {-6.0f, 6.0f}) mesh.AddBox({cx + leg - 1, s.top - 1, z - 1.5f}, {cx + leg + 1, s.top + 10, z + 1.5f}, kChrome);
    }
    const CabinSection& top = body.table.cabin.back();
    const float topZ = top.t * half, topY = top.roof * spec.bodyHeight;
    mesh.AddBox({-top.roofWidth * w, topY - 0.6f, topZ - 1}, {top.roofWidth * w, topY + 1.2f, topZ + 0.6f}, kTrim);
  }

  mesh.Remap([&](const MeshTriangle& t, const Vec3& centroid, const Vec3& normal) {
    return ZoneMaterial(t.material, centroid, normal, w, half);
  });

  if (layout != nullptr) {
    const float lampY = (lampLow + lampHigh) * 0.5f, tailY = (tailLow + tailHigh) * 0.5f;
    for (int i = 0; i < 2; ++i) {
      const float side = i == 0 ? -1.0f : 1.0f;
      layout->headlights[i] = {side * front.halfWidth * 0.61f, lampY, half + 1};
      layout->brakeLights[i] = {side * rear.halfWidth * 0.68f, tailY, -half - 1};
      layout->exhausts[i] = {side * exhaustX, exhaustY, -half - 2};
    }
    layout->reverseLight = {0, tailY, -half - 1};
    const float cabinZ = body.table.cabin.empty()
                             ? 0.0f
                             : (body.table.cabin.front().t + body.table.cabin.back().t) * 0.5f * half;
    const Section seat = SectionAt(sections, cabinZ);
    const float floor = seat.open() ? seat.well : seat.bottom + 4.5f;
    layout->driverSeat = {-w * 0.36f, floor, cabinZ - (spec.shape == CarShape::kRoadster ? 14.0f : 4.0f)};
    const Section deck = body.At(-0.86f * half, false);
    layout->wingMount = {0, deck.top + deck.crown, deck.z};
    const Section bonnet = body.At(0.62f * half, false);
    layout->scoopMount = {0, bonnet.top + bonnet.crown - 0.5f, bonnet.z};
    layout->bonnetHeight = bonnet.top + bonnet.crown;
    layout->exhaustTips = {0, exhaustY, -half - 1.5f};
  }
  return mesh;
}

CarMesh BuildHull(const CarModelSpec& spec) {
  const Body body{spec, Table(spec.shape), false};
  const float half = body.half(), w = spec.bodyHalfWidth, h = spec.bodyHeight;
  const auto& cabin = body.table.cabin;  // front to rear
  // The glasshouse's height and half width over the body at t, or false outside it.
  auto cabinAt = [&](float t, const Section& s, float& roof, float& width) {
    for (size_t i = 0; i + 1 < cabin.size(); ++i) {
      const CabinSection& a = cabin[i];
      const CabinSection& b = cabin[i + 1];
      if (t > a.t || t < b.t) continue;
      const float share = a.t > b.t ? (a.t - t) / (a.t - b.t) : 0.0f;
      const float roofA = a.roof < 0 ? s.top : a.roof * h, roofB = b.roof < 0 ? s.top : b.roof * h;
      const float widthA = (a.roof < 0 ? a.baseWidth : a.roofWidth) * w;
      const float widthB = (b.roof < 0 ? b.baseWidth : b.roofWidth) * w;
      roof = roofA + (roofB - roofA) * share;
      width = widthA + (widthB - widthA) * share;
      return true;
    }
    return false;
  };
  // Stations at the body's key sections outside the glasshouse and at the glasshouse's own keys where its
  // line bends; just outside a glasshouse that ends in the air (a roadster's windscreen) the top drops straight
  // back to the body. Few stations keep the hull cheap to test against.
  std::vector<float> stations;
  const float cabinFront = cabin.empty() ? 2.0f : cabin.front().t, cabinRear = cabin.empty() ? 2.0f : cabin.back().t;
  for (const KeySection& k : body.table.body) {
    if (cabin.empty() || k.t > cabinFront || k.t < cabinRear) stations.push_back(k.t);
  }
  auto sameLine = [](const CabinSection& a, const CabinSection& b) {
    return a.roof == b.roof && a.roofWidth == b.roofWidth && a.baseWidth == b.baseWidth;
  };
  for (size_t i = 0; i < cabin.size(); ++i) {
    const bool straight = i > 0 && i + 1 < cabin.size() && sameLine(cabin[i - 1], cabin[i]) &&
                          sameLine(cabin[i], cabin[i + 1]);
    if (!straight) stations.push_back(cabin[i].t);
  }
  if (!cabin.empty() && cabin.front().roof >= 0) stations.push_back(std::min(cabinFront + 0.01f, 1.0f));
  if (!cabin.empty() && cabin.back().roof >= 0) stations.push_back(std::max(cabinRear - 0.01f, -1.0f));
  std::sort(stations.begin(), stations.end());
  stations.erase(std::unique(stations.begin(), stations.end(),
                             [](float a, float b) { return std::fabs(a - b) < 0.005f; }),
                 stations.end());
  // Six points around each station: floor, shoulder and top on either side.
  std::vector<std::array<Vec3, 6>> rings;
  for (const float t : stations) {
    const Section s = body.At(t * half, false);
    float top = s.top + s.crown, topWidth = s.topWidth;
    float roof = 0, roofWidth = 0;
    if (cabinAt(t, s, roof, roofWidth) && roof > top) {
      top = roof;
      topWidth = roofWidth;
    }
    const float z = t * half;
    rings.push_back({Vec3{s.halfWidth, 0, z}, Vec3{s.halfWidth, s.shoulder, z}, Vec3{topWidth, top, z},
                     Vec3{-topWidth, top, z}, Vec3{-s.halfWidth, s.shoulder, z}, Vec3{-s.halfWidth, 0, z}});
  }
  CarMesh mesh;
  mesh.BeginPiece();
  // Every face turned away from the hull's spine, a line just above the floor.
  auto face = [&](Vec3 a, Vec3 b, Vec3 c, const Vec3& outward) {
    MeshTriangle t;
    t.corners[0] = a;
    t.corners[1] = b;
    t.corners[2] = c;
    if (platform::Dot(platform::Cross(b - a, c - a), outward) < 0) std::swap(t.corners[1], t.corners[2]);
    mesh.AddTriangle(t);
  };
  for (size_t i = 0; i + 1 < rings.size(); ++i) {
    const auto& a = rings[i];
    const auto& b = rings[i + 1];
    for (int j = 0; j < 6; ++j) {
      const int k = (j + 1) % 6;
      const Vec3 middle = (a[j] + a[k] + b[j] + b[k]) * 0.25f;
      const Vec3 outward{middle.x, middle.y - 5.0f, 0};
      face(a[j], a[k], b[k], outward);
      face(a[j], b[k], b[j], outward);
    }
  }
  for (const auto* end : {&rings.front(), &rings.back()}) {
    const Vec3 outward{0, 0, end == &rings.front() ? -1.0f : 1.0f};
    for (int j = 1; j + 1 < 6; ++j) face((*end)[0], (*end)[j], (*end)[j + 1], outward);
  }
  mesh.EndPiece({0, h * 0.3f, 0});
  return mesh;
}

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
