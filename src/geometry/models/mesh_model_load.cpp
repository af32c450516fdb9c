// Reading a .MDL file into a MeshModel: texture names, materials and their kinds, objects with their face
// groups, light nodes, markers and paths. Nothing in the file is trusted.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "app/binary_reader.h"
#include "app/box_tests.h"
#include "geometry/models/model_materials.h"
#include "geometry/models/mesh_model.h"
#include "platform/file_system.h"
#include "render/resources/resource_manager.h"

namespace geometry {

namespace {

using platform::Vec3;

constexpr uint64_t kObjectMinBytes = 12 + 4 + 4 + 2 + 2 + 4 + 4 + 4;
constexpr uint64_t kFaceGroupMinBytes = 2 + 4;
constexpr uint64_t kNodeMinBytes = 1 + 2 + 12 + 24 + 12 + 12 + 4 + 2;
constexpr uint64_t kMarkerMinBytes = 1 + 12 + 36 + 2;
constexpr uint64_t kPathMinBytes = 1 + 12 + 2 + 2;
constexpr uint64_t kSubpathMinBytes = 2 + 1;
// The step of a packed normal's byte angles, kept as the files were made with it (a little over 2π/255).
constexpr double kAngleStep = 6.28318 / 255.0;

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vec3 ReadVec3(app::BinaryReader& reader) {
  Vec3 v;
  v.x = app::ReadFloat(reader);
  v.y = app::ReadFloat(reader);
  v.z = app::ReadFloat(reader);
  return v;
}

std::string ReadOptionalText(app::BinaryReader& reader) {
  return app::ReadInt16(reader) != 0 ? app::ReadZeroTerminatedString(reader) : std::string();
}

Vec3 UnpackNormal(int a, int b) {
  const double polar = a * kAngleStep, azimuth = b * kAngleStep;
  return {static_cast<float>(std::sin(polar) * std::cos(azimuth)), static_cast<float>(std::cos(polar)),
          static_cast<float>(std::sin(polar) * std::sin(azimuth))};
}

}  // namespace

bool MeshModel::Load(platform::gfx::Device* device, const std::string& path, const std::string& textureFolder,
                     bool ignoreOrigins, bool withMaterialsIn) {
  Clear();
  withMaterials = withMaterialsIn;
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes, platform::kMaxModelFileBytes)) return false;
  return LoadFromMemory(device, bytes, path, textureFolder, ignoreOrigins, withMaterialsIn);
}

bool MeshModel::LoadFromMemory(platform::gfx::Device* device, const std::vector<unsigned char>& bytes,
                               const std::string& path, const std::string& textureFolderIn, bool ignoreOrigins,
                               bool withMaterialsIn) {
  Clear();
  withMaterials = withMaterialsIn;
  std::string folder = textureFolderIn;
  if (folder.empty()) {
    const size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) folder = path.substr(0, separator + 1);
  }

  // Everything is read and checked first; images and device buffers are made only from a sound file.
  std::vector<MaterialSlot> slots;
  std::vector<std::string> names;
  std::vector<std::string> table;
  std::vector<uint32_t> cornerPositions, cornerUvs, cornerNormals;
  std::vector<Vec3> positions, uvs, normals;
  std::vector<MeshTriangle> triangles;
  auto collision = std::make_unique<ModelGeometry>();
  std::vector<std::unique_ptr<SceneNode>> fileNodes;
  std::vector<std::unique_ptr<SceneMarker>> fileMarkers;
  std::vector<std::unique_ptr<Path>> filePaths;
  bool haveBox = false;
  app::Aabb modelBox{};
  uint32_t fileMaterialCount = 0, readTriangles = 0, readGroups = 0;

  try {
    app::BinaryReader reader(bytes);
    Require(reader.Size() >= 28, "the header is truncated");
    const float scale = app::ReadFloat(reader);
    Require(std::isfinite(scale), "the scale is not finite");
    const int32_t objectValue = app::ReadInt32(reader);
    const int32_t nodeValue = app::ReadInt32(reader);
    const int32_t markerValue = app::ReadInt32(reader);
    const int32_t pathValue = app::ReadInt32(reader);
    const int32_t materialValue = app::ReadInt32(reader);
    const int32_t textureValue = app::ReadInt32(reader);

    Require(textureValue >= 0, "texture name count is negative");
    const uint32_t textureCount = static_cast<uint32_t>(textureValue);
    ReadTextureTable(reader, textureCount, table);
    fileMaterialCount = materialValue >= 0 ? static_cast<uint32_t>(materialValue) : ~0u;
    ReadMaterialRecords(reader, fileMaterialCount, textureCount, slots, names);
    const uint32_t slotCount = static_cast<uint32_t>(slots.size());
    const uint32_t objectCount = ReadCount(reader, objectValue, kObjectMinBytes, "object count is beyond the end of the file");
    for (uint32_t object = 0; object < objectCount; ++object) {
      const uint32_t positionBase = static_cast<uint32_t>(positions.size());
      const uint32_t uvBase = static_cast<uint32_t>(uvs.size());
      const uint32_t normalBase = static_cast<uint32_t>(normals.size());
      const uint32_t vertexBase = static_cast<uint32_t>(cornerPositions.size());
      Vec3 origin = ReadVec3(reader) * scale;
      if (ignoreOrigins) origin = {};
      Require(Finite(origin), "an object origin is not finite");

      const uint32_t vertexCount = ReadCount(reader, app::ReadInt32(reader), 4, "vertex count is beyond the end of the file");
      std::vector<int32_t> vertexPositions(vertexCount);
      for (int32_t& index : vertexPositions) index = app::ReadInt32(reader);
      const uint32_t positionCount = ReadCount(reader, app::ReadInt32(reader), 12, "position count is beyond the end of the file");
      app::Aabb objectBox{};
      for (uint32_t p = 0; p < positionCount; ++p) {
        const Vec3 position = ReadVec3(reader) * scale + origin;
        Require(Finite(position), "a position is not finite");
        positions.push_back(position);
        collision->SetPosition(position);
        if (p == 0) objectBox = {position, position};
        objectBox.AddPoint(position);
      }
      for (int32_t index : vertexPositions) {
        Require(index >= 0 && static_cast<uint32_t>(index) < positionCount, "a vertex names a missing position");
        cornerPositions.push_back(positionBase + static_cast<uint32_t>(index));
      }

      if (app::ReadInt16(reader) == 1) {
        Require(reader.CanRead(vertexCount, 4), "texture coordinates are beyond the end of the file");
        std::vector<int32_t> vertexUvs(vertexCount);
        for (int32_t& index : vertexUvs) index = app::ReadInt32(reader);
        const uint32_t uvCount = ReadCount(reader, app::ReadInt32(reader), 8, "texture coordinate count is beyond the end of the file");
        for (uint32_t t = 0; t < uvCount; ++t) {
          const float u = app::ReadFloat(reader);
          const float v = app::ReadFloat(reader);
          uvs.push_back({u, -v, 0});
        }
        for (int32_t index : vertexUvs) {
          Require(index >= 0 && static_cast<uint32_t>(index) < uvCount, "a vertex names a missing texture coordinate");
          cornerUvs.push_back(uvBase + static_cast<uint32_t>(index));
        }
      } else {
        uvs.push_back({0, 0, 0});
        cornerUvs.insert(cornerUvs.end(), vertexCount, 0u);
      }

      if (app::ReadInt16(reader) > 0) {
        Require(reader.CanRead(vertexCount, 4), "normals are beyond the end of the file");
        std::vector<int32_t> vertexNormals(vertexCount);
        for (int32_t& index : vertexNormals) index = app::ReadInt32(reader);
        const uint32_t normalCount = ReadCount(reader, app::ReadInt32(reader), 2, "normal count is beyond the end of the file");
        for (uint32_t n = 0; n < normalCount; ++n) {
          const int a = app::ReadByte(reader);
          const int b = app::ReadByte(reader);
          normals.push_back(UnpackNormal(a, b));
        }
        for (int32_t index : vertexNormals) {
          Require(index >= 0 && static_cast<uint32_t>(index) < normalCount, "a vertex names a missing normal");
          cornerNormals.push_back(normalBase + static_cast<uint32_t>(index));
        }
      } else {
        if (normals.empty()) normals.push_back({0, 1, 0});
        cornerNormals.insert(cornerNormals.end(), vertexCount, static_cast<uint32_t>(normals.size() - 1));
      }

      // Vertex colours are read past: the mesh's vertices carry none.
      const int32_t colourValue = app::ReadInt32(reader);
      const uint32_t colourCount = std::min<uint32_t>(vertexCount, colourValue > 0 ? static_cast<uint32_t>(colourValue) : 0);
      Require(reader.CanRead(colourCount, 6), "vertex colours are beyond the end of the file");
      reader.Skip(size_t{colourCount} * 6);
      app::ReadInt32(reader);  // no meaning

      const uint32_t groups = ReadCount(reader, app::ReadInt32(reader), kFaceGroupMinBytes, "face group count is beyond the end of the file");
      for (uint32_t g = 0; g < groups; ++g) {
        uint32_t material = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
        if (material >= slotCount) material = slotCount - 1;
        slots[material].used = true;
        const uint32_t faces = ReadCount(reader, app::ReadInt32(reader), 12, "triangle count is beyond the end of the file");
        readTriangles += faces;
        for (uint32_t f = 0; f < faces; ++f) {
          const int32_t a = app::ReadInt32(reader), b = app::ReadInt32(reader), c = app::ReadInt32(reader);
          Require(a >= 0 && b >= 0 && c >= 0 && static_cast<uint32_t>(a) < vertexCount &&
                      static_cast<uint32_t>(b) < vertexCount && static_cast<uint32_t>(c) < vertexCount,
                  "a triangle names a missing vertex");
          const MeshTriangle triangle{vertexBase + static_cast<uint32_t>(a), vertexBase + static_cast<uint32_t>(b),
                                      vertexBase + static_cast<uint32_t>(c), static_cast<int32_t>(material)};
          triangles.push_back(triangle);
          if (slots[material].collides) {
            collision->AddTriangle(cornerPositions[triangle.c], cornerPositions[triangle.b], cornerPositions[triangle.a]);
          }
        }
        ++readGroups;
      }
      Require(!reader.Overrun(), "an object is truncated");
      if (positionCount > 0) {
        if (!haveBox) {
          modelBox = objectBox;
          haveBox = true;
        } else {
          modelBox.AddPoint(objectBox.min);
          modelBox.AddPoint(objectBox.max);
        }
      }
    }

    const uint32_t nodeCount = ReadCount(reader, nodeValue, kNodeMinBytes, "node count is beyond the end of the file");
    for (uint32_t i = 0; i < nodeCount; ++i) {
      std::string name = app::ReadZeroTerminatedString(reader);
      const int32_t kind = app::ReadInt16(reader);
      const Vec3 position = ReadVec3(reader) * scale;
      reader.Skip(6 * 4);  // no meaning
      const Vec3 direction = ReadVec3(reader);
      const Vec3 colour = ReadVec3(reader);
      const float range = app::ReadFloat(reader);
      auto node = std::make_unique<SceneNode>(std::move(name), kind, range, position, direction, colour);
      node->SetRange(range);
      node->leadingString = ReadOptionalText(reader);
      fileNodes.push_back(std::move(node));
    }
    Require(!reader.Overrun(), "light nodes are truncated");

    const uint32_t markerCount = ReadCount(reader, markerValue, kMarkerMinBytes, "marker count is beyond the end of the file");
    for (uint32_t i = 0; i < markerCount; ++i) {
      std::string name = app::ReadZeroTerminatedString(reader);
      const Vec3 position = ReadVec3(reader) * scale;
      platform::Matrix4 matrix;
      for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) matrix.m[row][col] = app::ReadFloat(reader);
      auto marker = std::make_unique<SceneMarker>(std::move(name), position, matrix);
      marker->leadingString = ReadOptionalText(reader);
      fileMarkers.push_back(std::move(marker));
    }
    Require(!reader.Overrun(), "markers are truncated");

    const uint32_t pathCount = ReadCount(reader, pathValue, kPathMinBytes, "path count is beyond the end of the file");
    for (uint32_t i = 0; i < pathCount; ++i) {
      std::string name = app::ReadZeroTerminatedString(reader);
      const Vec3 origin = ReadVec3(reader) * scale;
      const int32_t subpathValue = app::ReadInt16(reader);
      const uint32_t subpaths = ReadCount(reader, std::max(subpathValue, 0), kSubpathMinBytes, "sub-path count is beyond the end of the file");
      std::unique_ptr<Path> path;
      for (uint32_t s = 0; s < subpaths; ++s) {
        const int32_t pointValue = app::ReadInt16(reader);
        const bool closed = app::ReadSignedByte(reader) != 0;
        const uint32_t points = ReadCount(reader, std::max(pointValue, 0), 12, "point count is beyond the end of the file");
        if (s == 0) path = std::make_unique<Path>(name, closed, origin);
        for (uint32_t p = 0; p < points; ++p) {
          const Vec3 point = ReadVec3(reader) * scale;
          if (s == 0) path->AddPoint(point, kDefaultLeftEdge, kDefaultRightEdge);
        }
      }
      std::string text = ReadOptionalText(reader);
      if (path) {
        path->leadingString = std::move(text);
        filePaths.push_back(std::move(path));
      }
    }
    Require(!reader.Overrun(), "paths are truncated");
  } catch (const ModelFileError& error) {
    std::printf("%s: %s\n", path.c_str(), error.what);
    Clear();
    return false;
  }

  // The device side: mesh first, so a mesh that cannot be built requests no image. Without it the model
  // still collides, keeps its parts and nodes, and draws nothing.
  auto mesh = std::make_unique<MeshData>();
  if (haveBox) mesh->SetBox(modelBox.min, modelBox.max);
  if (device == nullptr ||
      !mesh->Build(device, readTriangles, cornerPositions, cornerUvs, positions, uvs, cornerNormals, normals)) {
    std::printf("%s: the mesh cannot be built (no device buffers); it collides but is not drawn\n", path.c_str());
    mesh.reset();
  }

  if (mesh) {
    MakeMaterialImages(slots, fileMaterialCount, table, folder, resourceManager, device, withMaterials);
    for (uint32_t i = 0; i < fileMaterialCount; ++i) {
      const MaterialSlot& slot = slots[i];
      if (!slot.used) continue;
      const int32_t batch = mesh->AddBatch(resourceManager, settings, cornerPositions, triangles,
                                           static_cast<int32_t>(i), slot.kind, slot.doubleSided);
      mesh->SetBatchImage(slot.image, static_cast<size_t>(batch));
      if (!slot.visible) mesh->SetBatchEnabled(static_cast<size_t>(batch), false);
    }
    mesh->Optimize(device);
    for (const auto& batch : mesh->Batches()) kindLists[static_cast<size_t>(KindIndex(batch->kind))].push_back(batch.get());
  }
  collision->MergeDuplicatePositions();
  collision->Finalize();
  collision->ComputeFaceNormals();

  materialCount = static_cast<uint32_t>(slots.size());
  triangleCount = readTriangles;
  groupCount = readGroups;
  materialNames = std::move(names);
  materialGroups.assign(materialCount, 0);
  if (haveBox) {
    boundsMin = modelBox.min;
    boundsMax = modelBox.max;
  }
  meshData = std::move(mesh);
  geometry = std::move(collision);
  nodes = std::move(fileNodes);
  markers = std::move(fileMarkers);
  paths = std::move(filePaths);
  ReleaseMaterialImages(slots, resourceManager);
  return true;
}

}  // namespace geometry
