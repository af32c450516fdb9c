// Sample car pictures, drawn texel by texel.
#include "contentgen/car_pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/math/math.h"

namespace contentgen {

namespace {

using platform::Vec3;

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

uint32_t Argb(float r, float g, float b, float a = 255) {
  auto c = [](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// The colour scaled by k (alpha kept opaque).
uint32_t Shade(uint32_t argb, float k) {
  return Argb(Channel(argb, 16) * k, Channel(argb, 8) * k, Channel(argb, 0) * k);
}

uint32_t Grey(float level) { return Argb(level, level, level); }

// Repeatable texel noise in 0..1.
float Noise(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

template <typename F>
PictureData Draw(uint32_t width, uint32_t height, F texel) {
  PictureData picture(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      picture.Set(x, y, texel((x + 0.5f) / width, (y + 0.5f) / height, x, y));
    }
  }
  return picture;
}

// Distance in inches outside the car's outline on the ground grid (negative inside), from grid coordinates.
float OutlineDistance(const CarModelSpec& spec, float u, float v) {
  const float gridWidth = 2 * spec.bodyHalfWidth + 30, gridLength = spec.bodyLength + 20;
  const float x = std::fabs((u - 0.5f) * gridWidth), z = std::fabs((v - 0.5f) * gridLength);
  const float corner = 8;
  const float dx = x - (spec.bodyHalfWidth - corner), dz = z - (spec.bodyLength / 2 - corner);
  const float outside = std::hypot(std::max(dx, 0.0f), std::max(dz, 0.0f));
  return outside + std::min(std::max(dx, dz), 0.0f) - corner;
}

}  // namespace

// The paints mirror a seventh of their surroundings.
constexpr uint32_t kPaintReflectionGrey = 0xFF242424;

PictureData PaintPicture(uint32_t argb) {
  return Draw(8, 64, [&](float, float v, uint32_t, uint32_t) {
    // Bright along the top, a soft shoulder line, darker toward the sills.
    float k = 1.18f - 0.45f * v;
    if (std::fabs(v - 0.5f) < 0.02f) k *= 0.85f;
    return Shade(argb, k);
  });
}

PictureData ScrapedPaintPicture() {
  return Draw(64, 64, [](float, float, uint32_t x, uint32_t y) {
    const float n = Noise(x / 3, y, 7) * 0.6f + Noise(x, y, 11) * 0.4f;
    const bool scratch = Noise(x + y * 2, 0, 3) > 0.93f;
    return scratch ? Grey(200) : Argb(95 + 60 * n, 92 + 55 * n, 88 + 50 * n);
  });
}

PictureData GlassPicture() {
  return Draw(16, 64, [](float, float v, uint32_t, uint32_t) { return Argb(30 + 40 * (1 - v), 48 + 50 * (1 - v), 70 + 60 * (1 - v)); });
}

PictureData GlassAlpha() {
  return Draw(16, 64, [](float, float v, uint32_t, uint32_t) { return Grey(170 + 60 * (1 - v)); });
}

namespace {
// Crack lines radiating from two impact points, with rings around them.
float CrackAt(float u, float v) {
  float crack = 0;
  for (const auto& [cx, cy] : {std::pair{0.35f, 0.4f}, std::pair{0.7f, 0.65f}}) {
    const float dx = u - cx, dy = v - cy, r = std::hypot(dx, dy);
    const float angle = std::atan2(dy, dx);
    const float ray = std::fabs(std::sin(angle * 7.0f + r * 3.0f));
    if (ray < 0.06f + 0.02f / (r + 0.05f) * 0.05f) crack = 1;
    if (std::fabs(std::sin(r * 40.0f)) < 0.08f && r < 0.35f) crack = std::max(crack, 0.7f);
  }
  return crack;
}
}  // namespace

PictureData BrokenGlassPicture() {
  return Draw(64, 64, [](float u, float v, uint32_t, uint32_t) {
    return CrackAt(u, v) > 0 ? Grey(225) : Argb(45, 60, 78);
  });
}

PictureData BrokenGlassAlpha() {
  return Draw(64, 64, [](float u, float v, uint32_t, uint32_t) { return Grey(CrackAt(u, v) > 0 ? 255 : 215); });
}

PictureData TrimPicture() {
  return Draw(16, 16, [](float, float, uint32_t x, uint32_t y) { return Grey(34 + 14 * Noise(x, y, 5)); });
}

PictureData InteriorPicture() {
  return Draw(16, 16, [](float, float, uint32_t x, uint32_t y) { return Argb(52 + 10 * Noise(x, y, 9), 40, 34); });
}

PictureData ChromePicture() {
  return Draw(8, 32, [](float, float v, uint32_t, uint32_t) {
    const float k = 0.5f + 0.5f * std::fabs(std::sin(v * 6.0f));
    return Argb(150 + 100 * k, 155 + 100 * k, 165 + 90 * k);
  });
}

PictureData LampPicture(bool tail) {
  return Draw(32, 16, [tail](float u, float v, uint32_t, uint32_t) {
    const float cx = u < 0.5f ? 0.25f : 0.75f;
    const float r = std::hypot((u - cx) * 2.0f, v - 0.5f);
    const float k = std::clamp(1.2f - r * 1.4f, 0.55f, 1.0f);
    return tail ? Argb(255 * k, 30 * k, 24 * k) : Argb(255 * k, 250 * k, 228 * k);
  });
}

PictureData BadgePicture(uint32_t argb) {
  return Draw(32, 16, [argb](float u, float v, uint32_t, uint32_t) {
    const float r = std::hypot((u - 0.5f) * 2.0f, v - 0.5f);
    return r > 0.42f ? Grey(210) : Shade(argb, 1.1f - r);
  });
}

PictureData StripePicture(uint32_t argb) {
  return Draw(16, 16, [argb](float u, float, uint32_t, uint32_t) {
    return (u < 0.12f || u > 0.88f) ? Grey(20) : Shade(argb, 1.0f);
  });
}

PictureData StripeAlpha(bool visible) { return FlatPicture(visible ? 0xFFFFFFFF : 0xFF000000, 16); }

PictureData TyrePicture() {
  return Draw(64, 16, [](float u, float v, uint32_t, uint32_t) {
    // Tread blocks around the tyre, a groove down the middle.
    const bool groove = std::fabs(v - 0.5f) < 0.06f || std::fmod(u * 32.0f, 1.0f) < 0.18f;
    return Grey(groove ? 14 : 38);
  });
}

PictureData RimPicture(uint32_t argb, int spokes) {
  return Draw(64, 64, [argb, spokes](float u, float v, uint32_t, uint32_t) {
    const float dx = u - 0.5f, dy = v - 0.5f, r = std::hypot(dx, dy) * 2.0f;
    if (r > 0.98f) return Grey(30);       // sidewall
    if (r > 0.86f) return Shade(argb, 0.9f);  // rim lip
    if (r < 0.18f) return Shade(argb, 1.1f);  // hub
    const float angle = std::atan2(dy, dx) * spokes / 6.2831853f;
    const float spoke = std::fabs(angle - std::round(angle));
    return spoke < 0.16f + 0.1f * (1 - r) ? Shade(argb, 1.0f - 0.2f * r) : Grey(22);
  });
}

PictureData CarbonPicture() {
  return Draw(16, 16, [](float, float, uint32_t x, uint32_t y) {
    return ((x / 2 + y / 2) % 2 == 0) ? Grey(26) : Grey(44);
  });
}

PictureData FlatPicture(uint32_t argb, uint32_t size) {
  PictureData picture(size, size);
  picture.Fill(argb);
  return picture;
}

PictureData PaintReflectionAlpha(const PictureData& paint) {
  PictureData picture(paint.width, paint.height);
  picture.Fill(kPaintReflectionGrey);
  return picture;
}

// The shadow's colour and alpha pictures are merged into one texture, so they share their size.
constexpr uint32_t kShadowPictureSize = 64;

PictureData ShadowPicture() { return FlatPicture(0xFF050508, kShadowPictureSize); }

PictureData ShadowAlpha(const CarModelSpec& spec) {
  return Draw(kShadowPictureSize, kShadowPictureSize, [&](float u, float v, uint32_t, uint32_t) {
    const float d = OutlineDistance(spec, u, v);
    const float darkness = std::clamp(0.5f - d / 16.0f, 0.0f, 1.0f);
    return Grey(200 * darkness);
  });
}

PictureData NeonPicture(const CarModelSpec& spec, uint32_t argb, float strength) {
  return Draw(64, 64, [&](float u, float v, uint32_t, uint32_t) {
    const float d = OutlineDistance(spec, u, v);
    // Brightest just outside the body's edge, fading over a foot outward and less far inward.
    const float glow = d >= 0 ? std::exp(-d / 6.0f) : std::exp(d / 9.0f) * 0.8f + 0.15f;
    return Shade(argb, std::clamp(glow, 0.0f, 1.0f) * strength);
  });
}

PictureData HeadlightPicture() {
  return Draw(128, 128, [](float u, float v, uint32_t, uint32_t) {
    float light = 0;
    for (float cx : {0.38f, 0.62f}) {
      const float dx = (u - cx) / 0.2f, dy = (v - 0.58f) / 0.3f;
      light = std::max(light, std::exp(-(dx * dx + dy * dy)));
    }
    // Black along the border, so the projection never smears light beyond the pool.
    const float edge = std::min({u, v, 1 - u, 1 - v});
    light *= std::clamp(edge * 12.0f, 0.0f, 1.0f);
    return Argb(255 * light, 244 * light, 214 * light);
  });
}

PictureData SwatchPicture(uint32_t argb) {
  return Draw(25, 16, [argb](float, float v, uint32_t, uint32_t) { return Shade(argb, 1.15f - 0.3f * v); });
}

PictureData SideViewPicture(const CarMesh& mesh, uint32_t width, uint32_t height,
                            const std::function<uint32_t(int16_t material)>& colourOf, float tyreRadius,
                            float frontAxle, float rearAxle) {
  PictureData picture(width, height);
  picture.Fill(0xFFFF00FF);
  float minZ = 1e9f, maxZ = -1e9f, maxY = 0;
  for (const MeshTriangle& t : mesh.Triangles()) {
    for (const Vec3& c : t.corners) {
      minZ = std::min(minZ, c.z);
      maxZ = std::max(maxZ, c.z);
      maxY = std::max(maxY, c.y);
    }
  }
  const float scale = std::min((width - 6.0f) / std::max(1.0f, maxZ - minZ), (height - 6.0f) / std::max(1.0f, maxY));
  const float centreZ = (minZ + maxZ) * 0.5f;
  const float groundRow = (height + maxY * scale) * 0.5f;
  // Seen from the right the car faces left.
  auto column = [&](float z) { return width * 0.5f - (z - centreZ) * scale; };
  auto row = [&](float y) { return groundRow - y * scale; };
  auto fill = [&](const float (&px)[3], const float (&py)[3], uint32_t colour) {
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({px[0], px[1], px[2]}))));
    const int x1 = std::min<int>(width - 1, static_cast<int>(std::ceil(std::max({px[0], px[1], px[2]}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({py[0], py[1], py[2]}))));
    const int y1 = std::min<int>(height - 1, static_cast<int>(std::ceil(std::max({py[0], py[1], py[2]}))));
    const float area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    if (std::fabs(area) < 1e-6f) return;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const float sx = x + 0.5f, sy = y + 0.5f;
        const float a = ((px[1] - sx) * (py[2] - sy) - (px[2] - sx) * (py[1] - sy)) / area;
        const float b = ((px[2] - sx) * (py[0] - sy) - (px[0] - sx) * (py[2] - sy)) / area;
        if (a < 0 || b < 0 || a + b > 1) continue;
        picture.Set(static_cast<uint32_t>(x), static_cast<uint32_t>(y), colour);
      }
    }
  };
  std::vector<const MeshTriangle*> order;
  for (const MeshTriangle& t : mesh.Triangles()) order.push_back(&t);
  auto centreX = [](const MeshTriangle* t) { return t->corners[0].x + t->corners[1].x + t->corners[2].x; };
  std::stable_sort(order.begin(), order.end(), [&](auto* a, auto* b) { return centreX(a) < centreX(b); });
  auto drawTriangle = [&](const MeshTriangle& t) {
    const Vec3 n = FaceNormal(t);
    if (n.x < 0) return;
    const float px[3] = {column(t.corners[0].z), column(t.corners[1].z), column(t.corners[2].z)};
    const float py[3] = {row(t.corners[0].y), row(t.corners[1].y), row(t.corners[2].y)};
    fill(px, py, Shade(colourOf(t.material), 0.55f + 0.45f * n.x + 0.25f * std::max(0.0f, n.y)));
  };
  for (float axle : {frontAxle, rearAxle}) {
    const float cx = column(axle), cy = row(tyreRadius), r = tyreRadius * scale;
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) {
        const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
        if (d <= r) picture.Set(x, y, d < r * 0.6f ? Grey(190) : Grey(25));
      }
    }
  }
  for (const MeshTriangle* t : order) drawTriangle(*t);
  return picture;
}

}  // namespace contentgen
