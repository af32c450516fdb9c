// Lofted car bodies: cross-sections along the car, interpolated between a few key sections per shape.
#include "contentgen/car_body.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "contentgen/car_body_shape.h"
#include "platform/math/math.h"

namespace contentgen {

namespace {

using namespace car_shape;
using platform::Vec3;

// Working surfaces, turned into zone materials once the whole body stands.
constexpr int16_t kPaintSurface = 100;
constexpr int16_t kRoofSurface = 101;
constexpr int16_t kGlassSurface = 102;

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

}  // namespace contentgen
