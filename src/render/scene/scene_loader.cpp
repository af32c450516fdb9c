// The scene-file reader: header, texture names, materials, parts with their batches, light nodes, markers and
// paths; every count is bounded by the bytes left and every index checked before it is used.
#include <cmath>
#include <cstdio>

#include "app/binary_reader.h"
#include "app/box_tests.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "platform/file_system.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "render/scene/scene.h"
#include "render/scene/scene_material.h"

namespace render {

namespace {

using geometry::MaterialKind;

constexpr float kStartDiagonal = 1000.0f;
constexpr float kStartShortestEdge = 1000.0f;
constexpr float kBoundsEdgeFraction = 1.0f / 1000.0f;
constexpr float kPathEdgeOffset = 60.0f;
constexpr uint32_t kFallbackTargetSize = 256;

// Smallest size of each record on file, for bounding counts by the bytes left.
constexpr uint64_t kTextureNameMinBytes = 1 + 4;
constexpr uint64_t kMaterialMinBytes = 1 + 6 * 4 + 4 * 4 + 2 * 4 + 12 * 2 + 2 * 4 + 7 * 4;
constexpr uint64_t kPartMinBytes = 12 + 2 + 4 + 4 + 2 + 2 + 4 + 4 + 4;
constexpr uint64_t kBatchMinBytes = 2 + 4;
constexpr uint64_t kNodeMinBytes = 1 + 2 + 12 + 24 + 12 + 12 + 4 + 2;
constexpr uint64_t kMarkerMinBytes = 1 + 12 + 36 + 2;
constexpr uint64_t kPathMinBytes = 1 + 12 + 2 + 2;
constexpr uint64_t kPointListMinBytes = 2 + 1;

Vec3 ReadVec3(app::BinaryReader& reader) {
  Vec3 v;
  v.x = app::ReadFloat(reader);
  v.y = app::ReadFloat(reader);
  v.z = app::ReadFloat(reader);
  return v;
}

std::string ReadOptionalText(app::BinaryReader& reader) {
  if (app::ReadInt16(reader) == 0) return {};
  return app::ReadZeroTerminatedString(reader);
}

// Low 8 bits of value × 255 truncated toward zero; values that are not numbers or out of range give 0.
uint32_t PackHeaderChannel(float value) {
  const float scaled = value * 255.0f;
  if (!std::isfinite(scaled) || std::fabs(scaled) > 2.0e9f) return 0;
  return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFF;
}

uint32_t PackHeaderColour(const Vec3& colour) {
  return PackHeaderChannel(colour.x) << 16 | PackHeaderChannel(colour.y) << 8 | PackHeaderChannel(colour.z);
}

// A vertex colour component as the vertex buffer takes it; a negative one packs as 255 (read as unsigned).
uint32_t PackVertexChannel(int16_t component) {
  const uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(component));
  if (value >= 255) return 255;
  return value;
}

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vec3 ReadColour(app::BinaryReader& reader) {
  Vec3 colour;
  colour.x = app::ReadInt16(reader) / 255.0f;
  colour.y = app::ReadInt16(reader) / 255.0f;
  colour.z = app::ReadInt16(reader) / 255.0f;
  return colour;
}

// Per material slot, what the parts need while they are read.
struct SlotInfo {
  bool doubleSided = false;
  bool collidable = false;
  // A slot no material record fills shows nothing: its pieces start hidden.
  bool visible = false;
  MaterialKind kind = MaterialKind::Plain;
  uint32_t kindIndex = 0;
  uint32_t nameIndex = 0;  // the filling record's place in materialNames
};

}  // namespace

class SceneLoader {
 public:
  SceneLoader(Scene& scene, platform::gfx::Device* device, bool makeReflectionTargets, bool useQuadtree)
      : scene_(scene), device_(device), makeTargets_(makeReflectionTargets), useQuadtree_(useQuadtree) {}

  // Fills the scene; on false *problem names the fault.
  bool Parse(app::BinaryReader& reader, const std::string& folder, std::string* problem);

 private:
  bool ReadMaterials(app::BinaryReader& reader, uint32_t recordCount, const std::string& folder);
  bool ReadPart(app::BinaryReader& reader);
  bool ReadNamedRecords(app::BinaryReader& reader);
  bool Fail(const char* why) {
    problem_ = why;
    return false;
  }

  Scene& scene_;
  platform::gfx::Device* device_;
  bool makeTargets_;
  bool useQuadtree_;
  const char* problem_ = "";
  float scale_ = 1;
  uint32_t nodeCount_ = 0, markerCount_ = 0, pathCount_ = 0;
  std::vector<std::string> textureNames_;
  std::vector<SlotInfo> slots_;
  uint32_t vertexBase_ = 0;
  float smallestPartDiagonal_ = kStartDiagonal;
  float shortestEdge_ = kStartShortestEdge;
};

bool SceneLoader::Parse(app::BinaryReader& reader, const std::string& folder, std::string* problem) {
  const bool ok = [&] {
    const Vec3 colour1 = ReadVec3(reader);
    scene_.ambient = ReadVec3(reader);
    scene_.packedColour1 = PackHeaderColour(colour1);
    scene_.packedAmbient = PackHeaderColour(scene_.ambient);
    scale_ = app::ReadFloat(reader);
    if (!std::isfinite(scale_)) return Fail("the scale is not a number");
    const uint32_t partCount = static_cast<uint32_t>(app::ReadInt32(reader));
    nodeCount_ = static_cast<uint32_t>(app::ReadInt32(reader));
    markerCount_ = static_cast<uint32_t>(app::ReadInt32(reader));
    pathCount_ = static_cast<uint32_t>(app::ReadInt32(reader));
    const uint32_t materialRecords = static_cast<uint32_t>(app::ReadInt32(reader));
    const uint32_t textureCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (reader.Overrun()) return Fail("the header is truncated");
    if (!reader.CanRead(textureCount, kTextureNameMinBytes)) return Fail("texture count is beyond the end of the file");
    if (!reader.CanRead(materialRecords, kMaterialMinBytes))
      return Fail("material count is beyond the end of the file");
    if (!reader.CanRead(partCount, kPartMinBytes)) return Fail("part count is beyond the end of the file");

    textureNames_.assign(textureCount, std::string());
    for (uint32_t i = 0; i < textureCount; ++i) {
      std::string name = app::ReadZeroTerminatedString(reader);
      const int32_t index = app::ReadInt32(reader);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const size_t cut = name.find_last_of('\\');
      if (cut != std::string::npos) name = name.substr(cut + 1);
      if (index < 0 || static_cast<uint32_t>(index) >= textureCount) return Fail("a texture index is out of range");
      textureNames_[index] = std::move(name);
    }
    if (reader.Overrun()) return Fail("the texture names are truncated");

    scene_.materialCount = materialRecords == 0 ? 1 : materialRecords;
    scene_.materialImages.assign(scene_.materialCount, nullptr);
    scene_.materialNames.assign(scene_.materialCount, std::string());
    slots_.assign(scene_.materialCount, SlotInfo());
    if (!ReadMaterials(reader, materialRecords, folder)) return false;
    for (int kind = 0; kind < geometry::kMaterialKindCount; ++kind) {
      uint32_t count = 0;
      for (const SlotInfo& slot : slots_) count += geometry::KindIndex(slot.kind) == kind ? 1 : 0;
      scene_.allParts[kind].assign(count, {});
      scene_.visibleParts[kind].assign(count, {});
    }

    for (uint32_t i = 0; i < partCount; ++i) {
      if (!ReadPart(reader)) return false;
    }
    std::vector<ScenePart*> built;
    for (auto& part : scene_.parts) built.push_back(part.get());
    ShareBuffers(device_, built);
    for (auto& part : scene_.parts) part->ReleaseBuildData();
    if (!Finite(scene_.boundsMin) || !Finite(scene_.boundsMax)) return Fail("the bounds are not finite");

    if (scene_.keepGeometry) {
      const float diagonal = platform::Length(scene_.boundsMax - scene_.boundsMin);
      shortestEdge_ = std::max(shortestEdge_, diagonal * kBoundsEdgeFraction);
      scene_.geometry.Finalize();
      scene_.geometry.ComputeFaceNormals();
    }
    if (useQuadtree_) {
      scene_.renderQuadtree =
          std::make_unique<RenderQuadtree>(scene_.boundsMin, scene_.boundsMax, smallestPartDiagonal_);
    } else {
      scene_.renderOctree = std::make_unique<RenderOctree>(scene_.boundsMin, scene_.boundsMax, smallestPartDiagonal_);
    }
    for (auto& part : scene_.parts) {
      for (auto& piece : part->pieces) {
        piece->kindIndex = slots_[piece->materialSlot].kindIndex;
        if (scene_.renderQuadtree) scene_.renderQuadtree->Insert(piece.get());
        if (scene_.renderOctree) scene_.renderOctree->Insert(piece.get());
        scene_.allParts[geometry::KindIndex(piece->kind)][piece->kindIndex].push_back(piece.get());
      }
    }
    if (scene_.keepGeometry) {
      if (useQuadtree_) {
        scene_.collisionQuadtree =
            std::make_unique<geometry::Quadtree>(scene_.boundsMin, scene_.boundsMax, shortestEdge_);
      } else {
        scene_.collisionOctree = std::make_unique<geometry::Octree>(scene_.boundsMin, scene_.boundsMax, shortestEdge_);
      }
      for (uint32_t t = 0; t < scene_.geometry.TriangleCount(); ++t) {
        const Vec3& low = scene_.geometry.GetTriangleMin(t);
        const Vec3& high = scene_.geometry.GetTriangleMax(t);
        if (scene_.collisionQuadtree) scene_.collisionQuadtree->Insert(t, low, high);
        if (scene_.collisionOctree) scene_.collisionOctree->Insert(t, low, high);
      }
    }
    return ReadNamedRecords(reader);
  }();
  if (!ok) *problem = problem_;
  return ok;
}

bool SceneLoader::ReadMaterials(app::BinaryReader& reader, uint32_t recordCount, const std::string& folder) {
  std::array<uint32_t, geometry::kMaterialKindCount> kindCounters{};
  uint32_t targetSize = kFallbackTargetSize;
  if (makeTargets_ && scene_.settings != nullptr && scene_.settings->Hardware().IsDetected()) {
    const int size = scene_.settings->Hardware().GetCapability(app::VAL_TARGET_SIZE);
    if (size > 0) targetSize = static_cast<uint32_t>(size);
  }
  std::vector<bool> filled(scene_.materialCount, false);
  for (uint32_t i = 0; i < recordCount; ++i) {
    SceneMaterialRecord record;
    record.name = app::ReadZeroTerminatedString(reader);
    record.slot = app::ReadInt32(reader);
    record.doubleSided = app::ReadInt32(reader);
    record.collidable = app::ReadInt32(reader);
    record.visible = app::ReadInt32(reader);
    record.lightValue = app::ReadInt32(reader);
    record.hasFlatColour = app::ReadInt32(reader);
    if (record.hasFlatColour != 0) {
      const uint32_t r = static_cast<uint16_t>(app::ReadInt16(reader)) & 255;
      const uint32_t g = static_cast<uint16_t>(app::ReadInt16(reader)) & 255;
      const uint32_t b = static_cast<uint16_t>(app::ReadInt16(reader)) & 255;
      record.flatColour = 0xFF000000u | r << 16 | g << 8 | b;
    }
    record.hasScroll0 = app::ReadInt32(reader) != 0;
    if (record.hasScroll0) {
      record.scroll0[0] = app::ReadFloat(reader);
      record.scroll0[1] = app::ReadFloat(reader);
    }
    record.hasAnim0 = app::ReadInt32(reader) != 0;
    if (record.hasAnim0) {
      record.anim0Grid[0] = app::ReadInt16(reader);
      record.anim0Grid[1] = app::ReadInt16(reader);
      record.anim0Rate = app::ReadFloat(reader);
    }
    record.hasScroll1 = app::ReadInt32(reader) != 0;
    if (record.hasScroll1) {
      record.scroll1[0] = app::ReadFloat(reader);
      record.scroll1[1] = app::ReadFloat(reader);
    }
    record.hasAnim1 = app::ReadInt32(reader) != 0;
    if (record.hasAnim1) {
      record.anim1Grid[0] = app::ReadInt16(reader);
      record.anim1Grid[1] = app::ReadInt16(reader);
      record.anim1Rate = app::ReadFloat(reader);
    }
    record.variantA = app::ReadInt32(reader);
    record.variantB = app::ReadInt32(reader);
    record.diffuse = ReadColour(reader);
    record.ambient = ReadColour(reader);
    record.specular = ReadColour(reader);
    record.emissive = ReadColour(reader);
    record.glossiness = app::ReadFloat(reader);
    record.specularLevel = app::ReadFloat(reader);
    for (int32_t& texture : record.textures) texture = app::ReadInt32(reader);
    if (reader.Overrun()) return Fail("the materials are truncated");
    if (record.slot < 0 || static_cast<uint32_t>(record.slot) >= scene_.materialCount) {
      return Fail("a material slot is out of range");
    }
    if (filled[record.slot]) return Fail("two materials fill the same slot");
    filled[record.slot] = true;

    scene_.materialNames[i] = record.name;
    const MaterialFiles files = DeriveMaterialFiles(record, textureNames_, folder);
    MaterialKind kind = files.kind;
    ImageResource* image = nullptr;
    if (scene_.resourceManager != nullptr) {
      image = MakeMaterialImage(*scene_.resourceManager, device_, record, files, makeTargets_, targetSize, &kind);
    }
    scene_.materialImages[record.slot] = image;
    SlotInfo& slot = slots_[record.slot];
    slot.doubleSided = record.doubleSided != 0;
    slot.collidable = record.collidable != 0;
    slot.visible = record.visible != 0;
    slot.kind = kind;
    slot.kindIndex = kindCounters[geometry::KindIndex(kind)]++;
    slot.nameIndex = static_cast<uint32_t>(i);
  }
  // Slots no record filled stay plain and hidden, each with its own place among the plain materials.
  for (size_t s = 0; s < slots_.size(); ++s) {
    if (!filled[s]) {
      slots_[s] = SlotInfo();
      slots_[s].kindIndex = kindCounters[0]++;
    }
  }
  return true;
}

bool SceneLoader::ReadPart(app::BinaryReader& reader) {
  const Vec3 origin = ReadVec3(reader) * scale_;
  const bool hasSecondUv = app::ReadInt16(reader) != 0;
  const uint32_t vertexCount = static_cast<uint32_t>(app::ReadInt32(reader));
  if (!reader.CanRead(vertexCount, 4)) return Fail("vertex count is beyond the end of the file");
  PartVertexInput input;
  input.hasSecondUv = hasSecondUv;
  input.positionIndices.resize(vertexCount);
  for (uint32_t& index : input.positionIndices) index = static_cast<uint32_t>(app::ReadInt32(reader));
  const uint32_t positionCount = static_cast<uint32_t>(app::ReadInt32(reader));
  if (!reader.CanRead(positionCount, 12)) return Fail("position count is beyond the end of the file");
  input.positions.resize(positionCount);
  for (Vec3& position : input.positions) position = ReadVec3(reader) * scale_ + origin;
  for (uint32_t index : input.positionIndices) {
    if (index >= positionCount) return Fail("a position index is out of range");
  }

  const bool hasUv = app::ReadInt16(reader) == 1;
  if (hasUv) {
    if (!reader.CanRead(vertexCount, hasSecondUv ? 8 : 4)) return Fail("uv indices are beyond the end of the file");
    input.uvIndices.resize(vertexCount);
    if (hasSecondUv) input.secondUvIndices.resize(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) {
      input.uvIndices[i] = static_cast<uint32_t>(app::ReadInt32(reader));
      if (hasSecondUv) input.secondUvIndices[i] = static_cast<uint32_t>(app::ReadInt32(reader));
    }
    const uint32_t uvCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(uvCount, 8)) return Fail("uv count is beyond the end of the file");
    input.uvs.resize(uvCount);
    for (Vec2& uv : input.uvs) {
      uv.x = app::ReadFloat(reader);
      uv.y = -app::ReadFloat(reader);
    }
    for (uint32_t i = 0; i < vertexCount; ++i) {
      if (input.uvIndices[i] >= uvCount) return Fail("a uv index is out of range");
      if (hasSecondUv && input.secondUvIndices[i] >= uvCount) return Fail("a second uv index is out of range");
    }
  }
  const bool hasNormals = app::ReadInt16(reader) > 0;
  input.hasNormals = hasNormals;
  if (hasNormals) {
    if (!reader.CanRead(vertexCount, 4)) return Fail("normal indices are beyond the end of the file");
    input.normalIndices.resize(vertexCount);
    for (uint32_t& index : input.normalIndices) index = static_cast<uint32_t>(app::ReadInt32(reader));
    const uint32_t normalCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(normalCount, 2)) return Fail("normal count is beyond the end of the file");
    input.normals.resize(normalCount);
    for (Vec3& normal : input.normals) {
      const int a = app::ReadByte(reader);
      const int b = app::ReadByte(reader);
      normal = {app::AngleBytesToDirection(a, b, 0), app::AngleBytesToDirection(a, b, 2),
                app::AngleBytesToDirection(a, b, 1)};
    }
    for (uint32_t index : input.normalIndices) {
      if (index >= normalCount) return Fail("a normal index is out of range");
    }
  }
  const uint32_t colourCount = static_cast<uint32_t>(app::ReadInt32(reader));
  const uint32_t coloured = std::min(colourCount, vertexCount);
  if (!reader.CanRead(coloured, 6)) return Fail("vertex colours are beyond the end of the file");
  input.colours.assign(vertexCount, 0xFFFFFFFFu);
  std::vector<Vec3> geometryColours(vertexCount, Vec3{1, 1, 1});
  for (uint32_t i = 0; i < coloured; ++i) {
    uint32_t packed = 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
      const uint32_t channel = PackVertexChannel(app::ReadInt16(reader));
      packed |= channel << (16 - 8 * c);
      (&geometryColours[i].x)[c] = channel / 255.0f;
    }
    input.colours[i] = packed;
  }
  app::ReadInt32(reader);  // the file's own triangle total: the index buffer is sized from the batches instead
  const uint32_t batchCount = static_cast<uint32_t>(app::ReadInt32(reader));
  if (!reader.CanRead(batchCount, kBatchMinBytes)) return Fail("batch count is beyond the end of the file");
  if (reader.Overrun()) return Fail("a part is truncated");

  struct Batch {
    uint32_t slot = 0, secondSlot = 0;
    std::vector<std::array<uint32_t, 3>> triangles;
  };
  std::vector<Batch> batches(batchCount);
  auto clampSlot = [this](int16_t value) {
    const uint32_t slot = static_cast<uint32_t>(static_cast<int32_t>(value));
    return slot >= scene_.materialCount ? scene_.materialCount - 1 : slot;
  };
  for (Batch& batch : batches) {
    batch.slot = clampSlot(app::ReadInt16(reader));
    if (hasSecondUv) batch.secondSlot = clampSlot(app::ReadInt16(reader));
    const uint32_t count = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(count, 12)) return Fail("triangle count is beyond the end of the file");
    batch.triangles.resize(count);
    for (auto& triangle : batch.triangles) {
      for (uint32_t& corner : triangle) {
        corner = static_cast<uint32_t>(app::ReadInt32(reader));
        if (corner >= vertexCount) return Fail("a triangle corner is out of range");
      }
    }
    scene_.triangleCount += count;
  }
  if (reader.Overrun()) return Fail("the batches are truncated");

  auto part = std::make_unique<ScenePart>();
  // The file vertices as the geometry takes them, before welding renames them.
  const std::vector<uint32_t> filePositionIndices = input.positionIndices;
  if (!part->BuildVertices(input)) return Fail("a part has more vertices than 16-bit indices reach");

  if (positionCount > 0) {
    part->boxMin = part->boxMax = input.positions[0];
    for (const Vec3& position : input.positions) {
      part->boxMin = platform::ComponentMin(part->boxMin, position);
      part->boxMax = platform::ComponentMax(part->boxMax, position);
    }
  }
  smallestPartDiagonal_ = std::min(smallestPartDiagonal_, platform::Length(part->boxMax - part->boxMin));

  if (scene_.keepGeometry) {
    for (uint32_t i = 0; i < vertexCount; ++i) {
      scene_.geometry.SetPosition(input.positions[filePositionIndices[i]]);
      scene_.geometry.SetColor(geometryColours[i]);
    }
  }
  for (const Batch& batch : batches) {
    const SlotInfo& slot = slots_[batch.slot];
    std::vector<std::array<uint32_t, 3>> bufferTriangles;
    bufferTriangles.reserve(batch.triangles.size());
    for (const auto& t : batch.triangles) {
      bufferTriangles.push_back(
          {input.positionIndices[t[0]], input.positionIndices[t[1]], input.positionIndices[t[2]]});
    }
    const size_t piece = part->AddPiece(scene_.resourceManager, scene_.settings, bufferTriangles, batch.slot, slot.kind,
                                        slot.doubleSided);
    ImageResource* image = scene_.materialImages[batch.slot];
    part->SetPieceImage(image, piece);
    if (hasSecondUv) part->SetPieceSecondImage(scene_.materialImages[batch.secondSlot], piece);
    if (slot.kind == MaterialKind::SharedReflection && image != nullptr && !bufferTriangles.empty()) {
      Vec3 sum;
      for (const auto& t : bufferTriangles) {
        const Vec3& a = part->positions[t[0]];
        const Vec3& b = part->positions[t[1]];
        const Vec3& c = part->positions[t[2]];
        sum += platform::Normalize(platform::Cross(c - b, b - a));
      }
      image->SetReflectionPlane(origin, sum * (1.0f / static_cast<float>(bufferTriangles.size())));
    }
    if (!slot.visible) part->SetPieceEnabled(piece, false);
    ++scene_.pieceCount;

    if (scene_.keepGeometry && slot.collidable) {
      for (const auto& t : batch.triangles) {
        scene_.geometry.SetTriangle(t[2] + vertexBase_, t[1] + vertexBase_, t[0] + vertexBase_, 0xFFFFFFFFu);
        scene_.triangleMaterials.push_back(slot.nameIndex);
        if (slot.doubleSided) {
          scene_.geometry.SetTriangle(t[0] + vertexBase_, t[1] + vertexBase_, t[2] + vertexBase_, 0xFFFFFFFFu);
          scene_.triangleMaterials.push_back(slot.nameIndex);
        }
        const float edge =
            platform::Length(input.positions[filePositionIndices[t[0]]] - input.positions[filePositionIndices[t[1]]]);
        shortestEdge_ = std::min(shortestEdge_, edge);
      }
    }
  }
  part->OptimizeOrder();
  if (part->HasNormalMappedPiece()) part->ComputeTangentFrames();
  vertexBase_ += vertexCount;
  if (scene_.parts.empty()) {
    scene_.boundsMin = part->boxMin;
    scene_.boundsMax = part->boxMax;
  } else {
    scene_.boundsMin = platform::ComponentMin(scene_.boundsMin, part->boxMin);
    scene_.boundsMax = platform::ComponentMax(scene_.boundsMax, part->boxMax);
  }
  scene_.parts.push_back(std::move(part));
  return true;
}

bool SceneLoader::ReadNamedRecords(app::BinaryReader& reader) {
  if (!reader.CanRead(nodeCount_, kNodeMinBytes)) return Fail("node count is beyond the end of the file");
  for (uint32_t i = 0; i < nodeCount_; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    const int32_t kind = app::ReadInt16(reader);
    const Vec3 position = ReadVec3(reader) * scale_;
    reader.Skip(6 * 4);  // six values with no use here
    const Vec3 direction = ReadVec3(reader);
    const Vec3 colour = ReadVec3(reader);
    const float range = app::ReadFloat(reader);
    auto node = std::make_unique<geometry::SceneNode>(std::move(name), kind, range, position, direction, colour);
    node->SetRange(range);
    node->leadingString = ReadOptionalText(reader);
    scene_.nodes.push_back(std::move(node));
  }
  if (reader.Overrun()) return Fail("the light nodes are truncated");

  if (!reader.CanRead(markerCount_, kMarkerMinBytes)) return Fail("marker count is beyond the end of the file");
  for (uint32_t i = 0; i < markerCount_; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    const Vec3 position = ReadVec3(reader) * scale_;
    Matrix4 matrix;
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) matrix.m[row][col] = app::ReadFloat(reader);
    matrix.m[3][3] = 1;
    auto marker = std::make_unique<geometry::SceneMarker>(std::move(name), position, matrix);
    marker->leadingString = ReadOptionalText(reader);
    scene_.markers.push_back(std::move(marker));
  }
  if (reader.Overrun()) return Fail("the markers are truncated");

  if (!reader.CanRead(pathCount_, kPathMinBytes)) return Fail("path count is beyond the end of the file");
  for (uint32_t i = 0; i < pathCount_; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    const Vec3 origin = ReadVec3(reader) * scale_;
    const uint32_t listCount = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
    if (!reader.CanRead(listCount, kPointListMinBytes)) return Fail("point list count is beyond the end of the file");
    std::unique_ptr<geometry::Path> path;
    for (uint32_t list = 0; list < listCount; ++list) {
      const uint32_t pointCount = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
      const bool closed = app::ReadSignedByte(reader) != 0;
      if (!reader.CanRead(pointCount, 12)) return Fail("point count is beyond the end of the file");
      if (list == 0) path = std::make_unique<geometry::Path>(name, closed, origin);
      for (uint32_t p = 0; p < pointCount; ++p) {
        const Vec3 point = ReadVec3(reader) * scale_;
        if (list == 0) path->AddPoint(point, -kPathEdgeOffset, kPathEdgeOffset);
      }
    }
    // The closing segment counts once, and only for a path that is itself a loop.
    if (path && path->Closed()) path->UpdateClosingSegment();
    std::string text = ReadOptionalText(reader);
    if (path) {
      path->leadingString = std::move(text);
      scene_.paths.push_back(std::move(path));
    }
  }
  if (reader.Overrun()) return Fail("the paths are truncated");
  return true;
}

// The folder part of a path: up to and including whichever separator comes last.
std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool Scene::Load(platform::gfx::Device* device, std::string fileName, std::string textureFolder, bool keep,
                 bool makeReflectionTargets, bool useQuadtree) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(fileName, bytes, platform::kMaxModelFileBytes)) return false;
  return LoadFromMemory(device, bytes.data(), bytes.size(), fileName, std::move(textureFolder), keep,
                        makeReflectionTargets, useQuadtree);
}

bool Scene::LoadFromMemory(platform::gfx::Device* device, const void* data, size_t size, const std::string& fileName,
                           std::string textureFolder, bool keep, bool makeReflectionTargets, bool useQuadtree) {
  Teardown();
  if (textureFolder.empty()) textureFolder = FolderOf(fileName);
  keepGeometry = keep;
  app::BinaryReader reader(data, size);
  SceneLoader loader(*this, device, makeReflectionTargets, useQuadtree);
  std::string problem;
  if (!loader.Parse(reader, textureFolder, &problem)) {
    std::fprintf(stderr, "scene file %s: %s\n", fileName.c_str(), problem.c_str());
    Teardown();
    return false;
  }
  return true;
}

}  // namespace render
