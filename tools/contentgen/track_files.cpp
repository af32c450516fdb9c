// A circuit's records (racing line, grid, lights, flares, sounds, sky boxes) and the files written from it.
#include "contentgen/track_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "contentgen/vehicle_content.h"

#include "platform/file_system.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

constexpr int kRacingLinePoints = 290;  // below the race's own thinning, so every point stays where it is put
constexpr int kOutlinePoints = 400;
constexpr int kGridSlots = 8;
constexpr float kGridFirstRow = 150;    // behind the start line
constexpr float kGridRowSpacing = 250;
constexpr float kGridLateral = 120;
// A racing line keeps the widest car this far inside the road's edges.
constexpr float kLineInsideEdge = 20;

std::string ReflectionMaskOf(const std::string& texture) { return "reflect" + texture; }

// Keeps only the vertices the batches use, renumbered.
void Compact(ScnPart& part) {
  std::vector<int32_t> remap(part.positions.size(), -1);
  ScnPart out;
  out.hasUv = part.hasUv;
  for (ScnBatch& batch : part.batches) {
    for (auto& triangle : batch.triangles) {
      for (int32_t& corner : triangle) {
        const auto old = static_cast<size_t>(corner);
        if (remap[old] < 0) {
          remap[old] = static_cast<int32_t>(out.positions.size());
          out.positions.push_back(part.positions[old]);
          out.positionIndices.push_back(remap[old]);
          out.uvs.push_back(part.uvs[old]);
          out.uvIndices.push_back(remap[old]);
          out.colours.push_back(part.colours[old]);
        }
        corner = remap[old];
      }
    }
  }
  out.batches = std::move(part.batches);
  part = std::move(out);
}

}  // namespace

float TrackBuilder::RacingLineRoom() const { return widths_.road - (WidestSampleCarHalfWidth() + kLineInsideEdge); }

float TrackBuilder::RacingLineOffset(float distance, const RacingLineShape& shape) const {
  const float length = loop_.Length();
  const float offset = std::min(shape.bendOffset, RacingLineRoom());
  const std::vector<TrackLoop::Bend> all = loop_.Bends();
  const float d = loop_.Wrap(distance);
  // The nearest bend decides: between two bends the line crosses over from one outside to the other.
  float best = 0, weightOfBest = 0;
  const size_t count = all.size();
  // A kink against the run of the road between two bends that turn the other way does not pull the line out:
  // the line keeps to the outside of the bends around it and takes the kink on its inside, where it would
  // otherwise have to jump across the road and back.
  auto isKink = [&](size_t i) {
    const TrackLoop::Bend& bend = all[i];
    return bend.to - bend.from < shape.kink && all[(i + count - 1) % count].side != bend.side &&
           all[(i + 1) % count].side != bend.side;
  };
  for (size_t i = 0; i < count; ++i) {
    if (isKink(i)) continue;
    const TrackLoop::Bend& bend = all[i];
    const float into = std::min(shape.into, (bend.to - bend.from) / 2);
    // Where the kink runs straight on from the bend before it into the bend after it, the line holds its swing
    // through the kink from one bend to the other rather than easing back while it rounds the kink's inside.
    float end = bend.to;
    const TrackLoop::Bend& kink = all[(i + 1) % count];
    const TrackLoop::Bend& next = all[(i + 2) % count];
    if (isKink((i + 1) % count) && next.side == bend.side) {
      const float kinkFrom = loop_.Wrap(kink.from - bend.to), nextFrom = loop_.Wrap(next.from - kink.to);
      if (kinkFrom < shape.into && nextFrom < shape.into) {
        end = bend.to + kinkFrom + (kink.to - kink.from) + nextFrom + 2 * into;
      }
    }
    for (float shift : {-length, 0.0f, length}) {
      const float from = bend.from + shift + into, to = end + shift - into;
      float weight = 0;
      if (d >= from && d < to) {
        weight = 1;
      } else if (d < from && d >= from - into - shape.lead) {
        weight = 1 - (from - d) / (into + shape.lead);
      } else if (d >= to && d < to + into + shape.trail) {
        weight = 1 - (d - to) / (into + shape.trail);
      }
      if (weight > weightOfBest) {
        weightOfBest = weight;
        best = -bend.side * offset * weight;
      }
    }
  }
  return best;
}

void TrackBuilder::AddRacingLine(const std::string& name, const RacingLineShape& shape) {
  PathRecord path;
  path.name = name;
  PathPointList line;
  line.closed = true;
  const float length = loop_.Length();
  for (int i = 0; i < kRacingLinePoints; ++i) {
    const float d = length * static_cast<float>(i) / kRacingLinePoints;
    line.points.push_back(loop_.CentreAt(d) + loop_.LeftAt(d) * RacingLineOffset(d, shape) +
                          Vec3{0, SurfaceHeight(d), 0});
  }
  path.lists.push_back(std::move(line));
  paths_.push_back(std::move(path));
}

void TrackBuilder::AddStartGrid() {
  for (int i = 0; i < kGridSlots; ++i) {
    const float d = -kGridFirstRow - kGridRowSpacing * static_cast<float>(i / 2);
    Vec3 forward;
    const Vec3 centre = loop_.CentreAt(d, &forward);
    const Vec3 right = loop_.LeftAt(d) * -1.0f;
    MarkerRecord marker;
    marker.name = "START" + std::to_string(i + 1);
    marker.position = centre + right * (i % 2 == 0 ? kGridLateral : -kGridLateral) + Vec3{0, SurfaceHeight(d), 0};
    const Vec3 rows[3] = {right, {0, 1, 0}, forward};
    for (int row = 0; row < 3; ++row) {
      marker.rotation[row][0] = rows[row].x;
      marker.rotation[row][1] = rows[row].y;
      marker.rotation[row][2] = rows[row].z;
    }
    markers_.push_back(marker);
  }
}

void TrackBuilder::AddFlare(const std::string& name, const Vec3& position) {
  NodeRecord node;
  node.name = name;
  node.position = position;
  node.range = 300;
  nodes_.push_back(node);
  MarkerRecord marker;
  marker.name = name;
  marker.position = position;
  markers_.push_back(marker);
}

void TrackBuilder::AddLamp(const std::string& flareName, float distance, bool left, float height,
                           int16_t postMaterial) {
  constexpr float kPostHalfWidth = 5;
  constexpr float kBeforeWall = 8;  // the post stands against the wall, in front of the buildings
  const float base = SurfaceHeight(distance);
  const Vec3 foot = loop_.CentreAt(distance) + loop_.LeftAt(distance) * ((widths_.wall - kBeforeWall) * (left ? 1.0f : -1.0f));
  const float w = kPostHalfWidth;
  AddBlock({foot + Vec3{-w, 0, -w}, foot + Vec3{w, 0, -w}, foot + Vec3{w, 0, w}, foot + Vec3{-w, 0, w}}, base,
           base + height, postMaterial, -1, {0.6f, 0.62f, 0.65f});
  AddFlare(flareName, foot + Vec3{0, base + height + 8, 0});
}

void TrackBuilder::AddSound(const std::string& name, const Vec3& position, const std::string& file, float radius,
                            int volume) {
  const std::string text = "PATH=" + file + "\nRADIUS=" + std::to_string(static_cast<int>(radius)) +
                           "\nVOLUME=" + std::to_string(volume);
  NodeRecord node;
  node.name = name;
  node.position = position;
  node.range = radius;
  node.text = text;
  nodes_.push_back(node);
  MarkerRecord marker;
  marker.name = name;
  marker.position = position;
  marker.text = text;
  markers_.push_back(marker);
}

void TrackBuilder::AddSkyBoxes(const std::string& skyFile, const std::string& glowFile) {
  for (const auto& [name, file] : {std::pair{"SKYBOX", skyFile}, std::pair{"GLOWSKYBOX", glowFile}}) {
    NodeRecord node;
    node.name = name;
    node.text = file;
    nodes_.push_back(node);
    MarkerRecord marker;
    marker.name = name;
    marker.text = file;
    markers_.push_back(marker);
  }
}

ColFile TrackBuilder::Collision() const {
  ColFile file;
  file.colour1 = {0.6f, 0.65f, 0.7f};
  file.colour2 = ambient;
  file.scale = 1;
  for (const TrackMaterial& material : materials_) file.materialNames.push_back(material.name);
  for (const Group& group : groups_) {
    if (!group.block.groups.empty()) file.blocks.push_back(group.block);
  }
  // The race finds its grid and racing line here, and the sun among the lights.
  for (const MarkerRecord& marker : markers_) {
    if (marker.name.rfind("START", 0) == 0) file.markers.push_back(marker);
  }
  for (const NodeRecord& node : nodes_) {
    if (node.kind == 2) file.nodes.push_back(node);
  }
  file.paths = paths_;
  return file;
}

ScnFile TrackBuilder::Scene() const {
  ScnFile scene;
  scene.colour1 = {0.6f, 0.65f, 0.7f};
  scene.colour2 = ambient;
  std::vector<std::string> textures;
  auto textureIndex = [&textures](const std::string& file) {
    auto it = std::find(textures.begin(), textures.end(), file);
    if (it != textures.end()) return static_cast<int32_t>(it - textures.begin());
    textures.push_back(file);
    return static_cast<int32_t>(textures.size() - 1);
  };
  for (size_t slot = 0; slot < materials_.size(); ++slot) {
    const TrackMaterial& source = materials_[slot];
    ScnMaterial material;
    material.name = source.name;
    material.slot = static_cast<int32_t>(slot);
    material.collidable = source.collides ? 1 : 0;
    if (!source.texture.empty()) material.textures[kScnBase] = textureIndex(source.texture);
    if (source.reflective && !source.texture.empty()) {
      material.textures[kScnReflectionAlpha] = textureIndex(ReflectionMaskOf(source.texture));
      material.specular = {200, 200, 220};
      material.glossiness = 0.4f;
    }
    scene.materials.push_back(material);
  }
  for (size_t i = 0; i < textures.size(); ++i) scene.textureNames.push_back({textures[i], static_cast<int32_t>(i)});
  for (const Group& group : groups_) {
    if (!group.part.batches.empty()) scene.parts.push_back(group.part);
  }
  scene.nodes = nodes_;
  scene.markers = markers_;
  scene.paths = paths_;
  return scene;
}

ScnFile TrackBuilder::MirrorScene(float waterLevel) const {
  ScnFile mirrored = Scene();
  mirrored.nodes.clear();
  mirrored.markers.clear();
  mirrored.paths.clear();
  std::vector<ScnPart> parts;
  for (ScnPart& part : mirrored.parts) {
    std::vector<ScnBatch> kept;
    for (ScnBatch& batch : part.batches) {
      if (materials_[static_cast<size_t>(batch.material)].floor) continue;
      for (auto& triangle : batch.triangles) std::swap(triangle[1], triangle[2]);
      kept.push_back(std::move(batch));
    }
    if (kept.empty()) continue;
    part.batches = std::move(kept);
    Compact(part);
    for (Vec3& position : part.positions) position.y = 2 * waterLevel - position.y;
    parts.push_back(std::move(part));
  }
  mirrored.parts = std::move(parts);
  return mirrored;
}

MdlFile TrackBuilder::Outline() const {
  PathPointList loop;
  loop.closed = true;
  for (int i = 0; i < kOutlinePoints; ++i) {
    loop.points.push_back(loop_.CentreAt(loop_.Length() * static_cast<float>(i) / kOutlinePoints));
  }
  PathRecord path;
  path.name = "outline";
  path.lists.push_back(std::move(loop));
  MdlFile file;
  file.paths.push_back(std::move(path));
  return file;
}

bool TrackBuilder::Write(const std::string& gameFolder, const std::string& folder, const std::string& base,
                         float waterLevel) const {
  const std::string root = gameFolder + "/" + folder + "/";
  if (!platform::CreateFolders(root)) {
    std::fprintf(stderr, "contentgen: cannot create %s\n", root.c_str());
    return false;
  }
  for (const auto& [file, picture] : pictures_) {
    if (!WritePng(root + file, picture, false)) return false;
  }
  // Water without a mask of its own mirrors evenly, with a little ripple.
  for (const TrackMaterial& material : materials_) {
    const std::string mask = ReflectionMaskOf(material.texture);
    if (!material.reflective || material.texture.empty() || pictures_.count(mask) != 0) continue;
    const PictureData ripple =
        PatternPicture(64, [](uint32_t x, uint32_t y) { return 0xFF000000u | (150 + Speckle(x / 2, y) % 50) * 0x010101u; });
    if (!WritePng(root + mask, ripple, false)) return false;
  }
  return WriteCollisionFile(root + base + ".COL", Collision()) && WriteSceneFile(root + base + ".SCN", Scene()) &&
         WriteSceneFile(root + base + "reflect.SCN", MirrorScene(waterLevel)) && WriteMdl(root + base + ".MDL", Outline());
}

}  // namespace contentgen
