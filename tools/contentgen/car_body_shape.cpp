// Key cross-sections per car shape and the cross-section at any point along the body, interpolated between them.
#include "contentgen/car_body_shape.h"

#include <algorithm>
#include <cmath>

namespace contentgen::car_shape {

using platform::Vec3;

namespace {

float Smooth(float a, float b, float s) {
  const float k = s * s * (3 - 2 * s);
  return a + (b - a) * k;
}

}  // namespace

ShapeTable Table(CarShape shape) {
  switch (shape) {
    case CarShape::kPickup:
      return {{{-1.00f, .95f, .22f, .50f, .70f, .93f, 0, -1},
               {-0.97f, .97f, .21f, .52f, .70f, .95f, 0, -1},
               // The bed's floor stands over the rear wheel arch, so the tyre stays under it and the body has a
               // floor's thickness over the wheel.
               {-0.94f, .97f, .21f, .52f, .70f, .95f, 0, .55f},
               {-0.14f, .97f, .21f, .52f, .70f, .95f, 0, .55f},
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

Section Body::At(float z, bool arches) const {
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

std::vector<float> Body::Stations(BodyDetail detail) const {
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

}  // namespace contentgen::car_shape
