// Sample vertex-animated models: the steering driver and its clip list.
#include "contentgen/animated_models.h"

#include <cmath>
#include <cstdio>

#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

using platform::Vec3;

constexpr int32_t kDivisor = 64;
constexpr float kHalfWidth = 7, kHeight = 28, kHalfDepth = 5;
constexpr float kLean = 6;  // inches the shoulders move to each side at full lock
constexpr float kHelmet = 5;  // half the helmet's size

PackedVertex Pack(const Vec3& position, const Vec3& normal) {
  PackedVertex vertex;
  vertex.x = static_cast<int16_t>(std::lround(position.x * kDivisor));
  vertex.y = static_cast<int16_t>(std::lround(position.y * kDivisor));
  vertex.z = static_cast<int16_t>(std::lround(position.z * kDivisor));
  const auto [latitude, longitude] = PackLatitudeLongitude(normal);
  vertex.latitude = latitude;
  vertex.longitude = longitude;
  return vertex;
}

}  // namespace

std::string AnimationListText(const std::vector<AnimationClipLine>& clips) {
  std::string text = "# clip:first frame:last frame:rate\n";
  char line[256];
  for (const AnimationClipLine& clip : clips) {
    std::snprintf(line, sizeof line, "%s:%d:%d:%g\n", clip.name.c_str(), clip.first, clip.last, clip.rate);
    text += line;
    for (const auto& [time, name] : clip.keys) {
      std::snprintf(line, sizeof line, "<KEY>:%s:%g:%s\n", clip.name.c_str(), time, name.c_str());
      text += line;
    }
  }
  return text;
}

bool WriteAnimationList(const std::string& fileName, const std::vector<AnimationClipLine>& clips) {
  const std::string text = AnimationListText(clips);
  return WriteContentFile(fileName, std::vector<uint8_t>(text.begin(), text.end()));
}

ModelFileData DriverModelData(int version) {
  ModelFileData data;
  data.version = version;
  data.divisor = kDivisor;
  data.frameCount = kDriverFrames;
  data.textures = {{"driver.png", 0}};
  MdlMaterial suit;
  suit.name = "DRIVER";
  suit.textures[0] = 0;
  // Lit from all round, as the body is, so the driver does not sink into the dark cabin.
  suit.colours = {255, 255, 255, 255, 255, 255, 60, 60, 60, 40, 40, 40};
  data.materials = {suit};
  ModelTagRecord head;
  head.name = "HEAD";
  ModelSurface surface;
  surface.name = "torso";
  surface.frames = kDriverFrames;
  // Each side: outward normal n and tangents u, v with u × v = n, corners counter-clockwise seen from outside.
  const Vec3 sides[6][3] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
  };
  // A suited torso and a helmet above it; the picture's lower half is the suit, its upper half the helmet.
  struct Block {
    Vec3 centre, half;
    float vTop, vBottom;
  };
  const Block blocks[2] = {{{0, kHeight / 2, 0}, {kHalfWidth, kHeight / 2, kHalfDepth}, 0.55f, 1.0f},
                           {{0, kHeight + kHelmet, 0.5f}, {kHelmet, kHelmet, kHelmet + 0.5f}, 0.0f, 0.45f}};
  std::vector<std::pair<Vec3, Vec3>> rest;  // position, normal
  for (const Block& block : blocks) {
    auto scaled = [&](const Vec3& v) { return Vec3{v.x * block.half.x, v.y * block.half.y, v.z * block.half.z}; };
    for (const auto& side : sides) {
      const Vec3 n = scaled(side[0]), u = scaled(side[1]), v = scaled(side[2]);
      const int32_t first = static_cast<int32_t>(rest.size());
      const Vec3 corners[4] = {block.centre + n - u - v, block.centre + n + u - v, block.centre + n + u + v,
                               block.centre + n - u + v};
      const float us[4] = {0, 1, 1, 0}, vs[4] = {block.vBottom, block.vBottom, block.vTop, block.vTop};
      for (int c = 0; c < 4; ++c) {
        rest.emplace_back(corners[c], side[0]);
        surface.uvs.emplace_back(us[c], vs[c]);
      }
      surface.triangles.push_back({first, first + 1, first + 2, 0});
      surface.triangles.push_back({first, first + 2, first + 3, 0});
    }
  }
  for (int f = 0; f < kDriverFrames; ++f) {
    const float steer = -1.0f + 2.0f * f / (kDriverFrames - 1);
    std::vector<PackedVertex> frame;
    for (const auto& [position, normal] : rest) {
      Vec3 moved = position;
      moved.x += steer * kLean * (position.y / kHeight);  // the shoulders lean, the seat stays
      frame.push_back(Pack(moved, normal));
    }
    surface.frameVertices.push_back(std::move(frame));
    head.positions.push_back({steer * kLean, kHeight + 4, 0});
    head.rotations.push_back({1, 0, 0, 0, 1, 0, 0, 0, 1});
  }
  data.tags = {head};
  for (int f = 0; f < kDriverFrames; ++f) data.keyTimes.push_back(f);
  data.surfaces = {surface};
  return data;
}

bool WriteDriverModel(const std::string& folder) {
  // Suit below, a white helmet with a red band above.
  PictureData picture(8, 16);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 8; ++x) picture.Set(x, y, y >= 8 ? 0xFF2848A0 : (y == 4 || y == 5) ? 0xFFD02020 : 0xFFF0F0F0);
  }
  const std::vector<AnimationClipLine> clips = {
      {"STEER", 0, kDriverFrames - 1, 30, {{15, "CENTRE"}}},
      {"IDLE", 15, 15, 30, {}},
  };
  return WriteModelFile(folder + kDriverModel, DriverModelData()) &&
         WriteAnimationList(folder + kAnimationList, clips) && WritePng(folder + "driver.png", picture, false);
}

bool WriteAnimatedModelContent(const std::string& gameFolder) {
  std::string folder = gameFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return WriteDriverModel(folder + "MODELS/DRIVER/");
}

}  // namespace contentgen
