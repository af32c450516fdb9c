// Sky boxes painted from a sky function: each face's texel shows the sky in the direction it sits in.
#include "contentgen/sky_box.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "contentgen/scn_writer.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

constexpr uint32_t kFaceSize = 256;      // the sky fills the screen's top half, so it needs the texels
constexpr uint32_t kGlowFaceSize = 64;   // the glow box is a soft band
constexpr float kSkyHalf = 400;    // inches: its corners stay inside the menus' 1000-inch far clip too
constexpr float kGlowHalf = 0.5f;  // times the far clip distance
constexpr float kHalfPi = 1.5707963f;

// Every face winds the same way round its normal: across x down = normal.
struct Face {
  const char* name;
  Vec3 normal, across, down;  // picture x runs along across, y along down
};
constexpr Face kFaces[6] = {
    {"e", {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},  {"w", {-1, 0, 0}, {0, 0, -1}, {0, -1, 0}},
    {"n", {0, 0, 1}, {-1, 0, 0}, {0, -1, 0}}, {"s", {0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
    {"up", {0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {"down", {0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
};

struct Rgb {
  float r, g, b;
};
Rgb Unpack(uint32_t argb) {
  return {static_cast<float>((argb >> 16) & 0xFF), static_cast<float>((argb >> 8) & 0xFF),
          static_cast<float>(argb & 0xFF)};
}
uint32_t Pack(const Rgb& c) {
  auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 255.0f)); };
  return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}
Rgb Mix(const Rgb& a, const Rgb& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Smooth value noise in 0-1 over the plane.
float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const float tx = x - fx, ty = y - fy;
  auto corner = [&](float cx, float cy) {
    return static_cast<float>(Speckle(static_cast<uint32_t>(static_cast<int32_t>(cx) + 4096) + seed,
                                      static_cast<uint32_t>(static_cast<int32_t>(cy) + 4096))) / 255.0f;
  };
  const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const float top = corner(fx, fy) + (corner(fx + 1, fy) - corner(fx, fy)) * sx;
  const float bottom = corner(fx, fy + 1) + (corner(fx + 1, fy + 1) - corner(fx, fy + 1)) * sx;
  return top + (bottom - top) * sy;
}

// Height of the skyline (radians above the horizon) at an azimuth: blocks of buildings of random heights.
float SkylineAt(const SkyLook& look, float azimuth) {
  if (look.skylineHeight <= 0) return -1;
  const float bins = 90;
  const auto bin = static_cast<uint32_t>((azimuth / (2 * platform::kPi) + 1.0f) * bins);
  const float level = static_cast<float>(Speckle(bin, look.seed) % 100) / 100.0f;
  return look.skylineHeight * (0.25f + 0.75f * level * level);
}

}  // namespace

uint32_t SkyColour(const SkyLook& look, const Vec3& direction) {
  const Vec3 d = platform::Normalize(direction);
  const float elevation = std::asin(std::clamp(d.y, -1.0f, 1.0f));
  const float azimuth = std::atan2(d.z, d.x);
  const Rgb horizon = Unpack(look.horizon);
  if (elevation < 0) return Pack(Mix(Mix(horizon, Unpack(look.ground), 0.6f), Unpack(look.ground), std::min(1.0f, -elevation * 4)));
  Rgb sky = Mix(horizon, Unpack(look.zenith), std::sqrt(elevation / kHalfPi));
  if (look.stars) {
    const auto x = static_cast<uint32_t>((azimuth + 4) * 300), y = static_cast<uint32_t>(elevation * 300);
    if (Speckle(x, y) > 252 && elevation > 0.08f) sky = Mix(sky, {255, 255, 240}, 0.8f);
  }
  if (look.cloudCover > 0 && d.y > 0.02f) {
    const float px = d.x / d.y, pz = d.z / d.y;
    const float n = ValueNoise(px * 1.5f, pz * 1.5f, look.seed) * 0.55f +
                    ValueNoise(px * 4, pz * 4, look.seed + 7) * 0.3f + ValueNoise(px * 11, pz * 11, look.seed + 13) * 0.15f;
    const float cover = std::clamp((n - (1 - look.cloudCover)) * 3, 0.0f, 1.0f) * std::min(1.0f, d.y * 6);
    const Rgb cloud = look.stars ? Rgb{40, 44, 60} : Mix(horizon, {250, 250, 250}, 0.7f);
    sky = Mix(sky, cloud, cover * 0.85f);
  }
  const Vec3 toSun = platform::Normalize(look.sunDirection * -1.0f);
  const float angle = std::acos(std::clamp(platform::Dot(d, toSun), -1.0f, 1.0f));
  const Rgb sun = Unpack(look.sun);
  sky = Mix(sky, sun, std::exp(-angle * 5) * 0.6f);
  if (angle < 0.05f) sky = Mix(sun, {255, 255, 255}, 0.5f);
  if (elevation < SkylineAt(look, azimuth)) {
    Rgb building = Unpack(look.skyline);
    const auto wx = static_cast<uint32_t>((azimuth + 4) * 400), wy = static_cast<uint32_t>(elevation * 400);
    if (look.litWindows && wx % 3 == 0 && wy % 3 == 0 && Speckle(wx, wy) % 3 == 0) building = {240, 210, 130};
    sky = building;
  }
  return Pack(sky);
}

uint32_t SkyGlowColour(const SkyLook& look, const Vec3& direction) {
  const Vec3 d = platform::Normalize(direction);
  const float elevation = std::asin(std::clamp(d.y, -1.0f, 1.0f));
  const float band = std::exp(-std::fabs(elevation - 0.03f) * 12);
  const Vec3 toSun = platform::Normalize(look.sunDirection * -1.0f);
  const float angle = std::acos(std::clamp(platform::Dot(d, toSun), -1.0f, 1.0f));
  const float sun = std::exp(-angle * 8);
  return Pack(Mix(Mix({0, 0, 0}, Unpack(look.glow), band * 0.7f), Unpack(look.sun), sun * 0.8f));
}

MdlFile SkyBoxModel(const std::string& name, float half, uint32_t faceSize) {
  MdlFile file;
  MdlObject object;
  object.hasUvs = true;
  // Half a texel in from each edge, so filtering never wraps to the far side of a picture.
  const float inset = 0.5f / static_cast<float>(faceSize);
  for (int16_t f = 0; f < 6; ++f) {
    const Face& face = kFaces[f];
    file.textures.push_back({name + "_" + face.name + ".png", f});
    MdlMaterial material;
    material.name = "SKY_" + std::string(face.name);
    material.id = f;
    material.collides = 0;
    material.colours = {255, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255};
    material.textures[0] = f;
    file.materials.push_back(material);
    MdlFaceGroup group;
    group.material = f;
    int32_t index[4];
    const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 4; ++k) {
      const Vec3 p = (face.normal + face.across * corner[k][0] + face.down * corner[k][1]) * half;
      index[k] = static_cast<int32_t>(object.vertexPositions.size());
      object.vertexPositions.push_back(static_cast<int32_t>(object.positions.size()));
      object.positions.push_back(p);
      object.vertexUvs.push_back(static_cast<int32_t>(object.uvs.size()));
      // Picture rows run down the face; the file's v grows the other way.
      const float u = corner[k][0] < 0 ? inset : 1 - inset;
      const float v = corner[k][1] < 0 ? inset : 1 - inset;
      object.uvs.emplace_back(u, -v);
      object.colours.push_back({255, 255, 255});
    }
    // Wound to face the eye inside the box.
    group.triangles.push_back({index[0], index[2], index[1]});
    group.triangles.push_back({index[0], index[3], index[2]});
    object.groups.push_back(std::move(group));
  }
  file.objects.push_back(std::move(object));
  return file;
}

bool WriteSkyBoxes(const std::string& folder, const std::string& name, const SkyLook& look) {
  const std::string glowName = name + "glow";
  // Each face's texel shows the sky in the direction its centre lies in.
  auto paint = [](const Face& face, uint32_t size, const std::function<uint32_t(const Vec3&)>& colour) {
    PictureData picture(size, size);
    for (uint32_t y = 0; y < size; ++y) {
      for (uint32_t x = 0; x < size; ++x) {
        const float a = (static_cast<float>(x) + 0.5f) / static_cast<float>(size) * 2 - 1;
        const float b = (static_cast<float>(y) + 0.5f) / static_cast<float>(size) * 2 - 1;
        picture.Set(x, y, colour(face.normal + face.across * a + face.down * b));
      }
    }
    return picture;
  };
  for (const Face& face : kFaces) {
    const PictureData sky = paint(face, kFaceSize, [&look](const Vec3& d) { return SkyColour(look, d); });
    const PictureData glow = paint(face, kGlowFaceSize, [&look](const Vec3& d) { return SkyGlowColour(look, d); });
    if (!WritePng(folder + name + "_" + face.name + ".png", sky, false) ||
        !WritePng(folder + glowName + "_" + face.name + ".png", glow, false)) {
      return false;
    }
  }
  return WriteMdl(folder + name + ".MDL", SkyBoxModel(name, kSkyHalf, kFaceSize)) &&
         WriteMdl(folder + glowName + ".MDL", SkyBoxModel(glowName, kGlowHalf, kGlowFaceSize));
}

}  // namespace contentgen
