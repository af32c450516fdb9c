// Loading the versioned model file into frames, batches and kind lists, and showing poses between frames.
#include "geometry/models/model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/binary_reader.h"
#include "app/box_tests.h"
#include "geometry/models/model_materials.h"
#include "platform/file_system.h"
#include "platform/math/math.h"

namespace geometry {

namespace {

using platform::Vec3;

constexpr size_t kNameBytes = 64;
constexpr uint64_t kTagRecordBytes = 48;
constexpr size_t kSurfaceHeaderBytes = 104;
constexpr uint64_t kTriangleRecordBytes = 16;
constexpr uint64_t kUvRecordBytes = 8;
constexpr uint64_t kVertexRecordBytes = 8;
constexpr int32_t kVersion1Divisor = 64;
// Frames × vertices any file may claim whatever its size (small models with few stored frames).
constexpr uint64_t kMinFrameEntryAllowance = 4096;
// The step of the packed normals' byte angles, as the files were made with it (a little over 2π/255).
constexpr double kAngleStep = 6.28318 / 255.0;

// The normal of latitude and longitude bytes, with y as the pole axis.
Vec3 DecodeNormal(int latitude, int longitude) {
  const double a = latitude * kAngleStep, b = longitude * kAngleStep;
  return {static_cast<float>(std::sin(a) * std::cos(b)), static_cast<float>(std::cos(a)),
          static_cast<float>(std::sin(a) * std::sin(b))};
}

std::string ReadName(app::BinaryReader& reader) {
  char name[kNameBytes + 1] = {};
  reader.ReadBytes(name, kNameBytes);
  return std::string(name);
}

int32_t Int32At(const std::vector<unsigned char>& bytes, size_t offset) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

// True when count records of size bytes fit from offset within the file.
bool RangeFits(uint64_t offset, uint64_t count, uint64_t size, uint64_t fileSize) {
  return offset <= fileSize && (size == 0 || count <= (fileSize - offset) / size);
}

}  // namespace

Model::Model(render::ResourceManager* resourceManager, const app::Settings* settings)
    : resourceManager_(resourceManager), settings_(settings) {}

Model::~Model() { Release(); }

void Model::Release() {
  mesh.reset();
  tags.clear();
  keyTimes.clear();
  materialNames.clear();
  boxMin = boxMax = {};
  frameScale = 1.0f;
  slotCount = frameCount = 0;
  meshName.clear();
}

const std::vector<Vec3>& Model::FramePositions() const {
  static const std::vector<Vec3> kNone;
  return mesh ? mesh->FramePositions() : kNone;
}

const std::vector<Vec3>& Model::FrameNormals() const {
  static const std::vector<Vec3> kNone;
  return mesh ? mesh->FrameNormals() : kNone;
}

bool Model::Load(platform::gfx::Device* device, const std::string& path, const std::string& textureFolder) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes, platform::kMaxModelFileBytes)) return false;
  return LoadFromMemory(device, bytes, path, textureFolder);
}

bool Model::LoadFromMemory(platform::gfx::Device* device, const std::vector<unsigned char>& bytes,
                           const std::string& path, const std::string& textureFolder) {
  Release();
  std::vector<MaterialSlot> slots;
  std::vector<std::string> names, table;
  std::vector<ModelTag> fileTags;
  std::vector<int32_t> fileKeyTimes;
  std::vector<Vec3> positions, normals, uvs;
  std::vector<MeshTriangle> triangles;
  uint32_t fileMaterialCount = 0, frames = 0, vertices = 0;
  float scaleOfFrames = 1.0f;
  std::string firstSurfaceName;
  app::Aabb box{};
  bool haveBox = false;

  try {
    app::BinaryReader reader(bytes);
    const std::string version = app::ReadZeroTerminatedString(reader);
    float scale = 1.0f;
    int32_t divisor = kVersion1Divisor;
    const bool versioned = version == "V2.0" || version == "V3.0";
    if (versioned) {
      scale = app::ReadFloat(reader);
      divisor = app::ReadInt32(reader);
    } else {
      reader = app::BinaryReader(bytes);
    }
    Require(std::isfinite(scale), "the position scale is not finite");
    Require(divisor != 0, "the position divisor is zero");

    Require(reader.CanRead(1, 24 + 8), "the header is truncated");
    const int32_t frameValue = app::ReadInt32(reader);
    const int32_t framePercent = app::ReadInt32(reader);
    const int32_t tagValue = app::ReadInt32(reader);
    const int32_t surfaceValue = app::ReadInt32(reader);
    const int32_t vertexValue = app::ReadInt32(reader);
    app::ReadInt32(reader);  // reserved
    Require(frameValue >= 0 && tagValue >= 0 && surfaceValue >= 0 && vertexValue >= 0, "a header count is negative");
    frames = static_cast<uint32_t>(frameValue);
    vertices = static_cast<uint32_t>(vertexValue);
    Require(vertices <= kMaxMeshVertices, "more vertices than 16-bit indices reach");
    // Each stored vertex of each frame takes 8 bytes of the file; a header claiming far more frames of vertices
    // than the file could hold is refused before anything is allocated for them. A model without vertices still
    // walks its frames, so they count as one vertex each.
    const uint64_t entries = uint64_t{frames} * std::max(vertices, 1u);
    Require(entries <= kMaxModelFrameEntries && entries <= std::max<uint64_t>(bytes.size(), kMinFrameEntryAllowance),
            "too many frames of vertices for the file");
    Require(vertices == 0 || frames > 0, "vertices without any frame");
    scaleOfFrames = static_cast<float>(std::clamp((100.0 - framePercent) / 100.0, 0.1, 1.0));

    const int32_t materialValue = app::ReadInt32(reader);
    const int32_t textureValue = app::ReadInt32(reader);
    Require(materialValue >= 0 && textureValue >= 0, "a material or texture count is negative");
    fileMaterialCount = static_cast<uint32_t>(materialValue);
    ReadTextureTable(reader, static_cast<uint32_t>(textureValue), table);
    ReadMaterialRecords(reader, fileMaterialCount, static_cast<uint32_t>(textureValue), slots, names);
    const uint32_t slotTotal = static_cast<uint32_t>(slots.size());

    const uint32_t tagCount = ReadCount(reader, tagValue, kNameBytes, "tag count is beyond the end of the file");
    for (uint32_t t = 0; t < tagCount; ++t) fileTags.push_back({ReadName(reader), {}, {}});
    Require(tagCount == 0 || reader.CanRead(uint64_t{frames} * tagCount, kTagRecordBytes),
            "tag frames are beyond the end of the file");
    for (uint32_t f = 0; f < frames && tagCount > 0; ++f) {
      for (ModelTag& tag : fileTags) {
        const Vec3 position{app::ReadFloat(reader) * scale, app::ReadFloat(reader) * scale, app::ReadFloat(reader) * scale};
        platform::Matrix4 rotation = platform::IdentityMatrix();
        for (int row = 0; row < 3; ++row)
          for (int col = 0; col < 3; ++col) rotation.m[row][col] = app::ReadFloat(reader);
        tag.positions.push_back(position);
        tag.rotations.push_back(platform::QuaternionFromMatrix(rotation));
      }
    }
    if (version == "V3.0") {
      Require(reader.CanRead(frames, 4), "key times are beyond the end of the file");
      for (uint32_t f = 0; f < frames; ++f) fileKeyTimes.push_back(app::ReadInt32(reader));
    }
    Require(!reader.Overrun(), "tags are truncated");

    positions.assign(size_t{frames} * vertices, Vec3{});
    normals.assign(size_t{frames} * vertices, Vec3{0, 1, 0});
    uvs.assign(vertices, Vec3{});
    const uint32_t surfaceCount = static_cast<uint32_t>(surfaceValue);
    const uint64_t fileSize = bytes.size();
    uint64_t start = reader.Position();
    uint32_t base = 0;
    for (uint32_t s = 0; s < surfaceCount; ++s) {
      Require(RangeFits(start, 1, kSurfaceHeaderBytes, fileSize), "a surface header is beyond the end of the file");
      const size_t at = static_cast<size_t>(start);
      if (s == 0) {
        char name[kNameBytes + 1] = {};
        std::memcpy(name, bytes.data() + at, kNameBytes);
        firstSurfaceName = name;
      }
      const int32_t surfaceFrames = Int32At(bytes, at + 68);
      const int32_t surfaceVertices = Int32At(bytes, at + 76);
      const int32_t surfaceTriangles = Int32At(bytes, at + 80);
      const int32_t triangleOffset = Int32At(bytes, at + 84);
      const int32_t uvOffset = Int32At(bytes, at + 92);
      const int32_t vertexOffset = Int32At(bytes, at + 96);
      const int32_t surfaceSize = Int32At(bytes, at + 100);
      Require(surfaceFrames >= 0 && surfaceVertices >= 0 && surfaceTriangles >= 0 && triangleOffset >= 0 &&
                  uvOffset >= 0 && vertexOffset >= 0 && surfaceSize >= 0,
              "a surface field is negative");
      Require(static_cast<uint32_t>(surfaceFrames) <= frames, "a surface has more frames than the model");
      Require(uint64_t{base} + static_cast<uint32_t>(surfaceVertices) <= vertices,
              "the surfaces have more vertices than the model");
      const uint32_t surfaceVertexCount = static_cast<uint32_t>(surfaceVertices);
      // Every surface holds its own records after its header, so surfaces never share bytes and the work of
      // reading them all stays within the size of the file.
      Require(static_cast<uint32_t>(surfaceSize) >= kSurfaceHeaderBytes && RangeFits(start, 1, surfaceSize, fileSize),
              "a surface's size is out of range");
      const uint64_t end = start + static_cast<uint32_t>(surfaceSize);
      Require(RangeFits(start + triangleOffset, static_cast<uint32_t>(surfaceTriangles), kTriangleRecordBytes, end) &&
                  RangeFits(start + uvOffset, surfaceVertexCount, kUvRecordBytes, end) &&
                  RangeFits(start + vertexOffset, uint64_t{surfaceVertexCount} * static_cast<uint32_t>(surfaceFrames),
                            kVertexRecordBytes, end),
              "surface records are beyond the end of the surface");

      app::BinaryReader records(bytes);
      records.Seek(static_cast<size_t>(start + triangleOffset));
      for (int32_t t = 0; t < surfaceTriangles; ++t) {
        const int32_t a = app::ReadInt32(records), b = app::ReadInt32(records), c = app::ReadInt32(records);
        uint32_t slot = static_cast<uint32_t>(app::ReadInt32(records));
        Require(a >= 0 && b >= 0 && c >= 0 && static_cast<uint32_t>(a) < surfaceVertexCount &&
                    static_cast<uint32_t>(b) < surfaceVertexCount && static_cast<uint32_t>(c) < surfaceVertexCount,
                "a triangle names a missing vertex");
        if (slot >= slotTotal) slot = slotTotal - 1;
        slots[slot].used = true;
        triangles.push_back({base + static_cast<uint32_t>(a), base + static_cast<uint32_t>(b),
                             base + static_cast<uint32_t>(c), static_cast<int32_t>(slot)});
      }
      records.Seek(static_cast<size_t>(start + uvOffset));
      for (uint32_t v = 0; v < surfaceVertexCount; ++v) {
        const float u = app::ReadFloat(records);
        const float w = app::ReadFloat(records);
        uvs[base + v] = {u, w, 0};
      }
      records.Seek(static_cast<size_t>(start + vertexOffset));
      bool surfaceBox = false;
      app::Aabb sbox{};
      for (int32_t f = 0; f < surfaceFrames && surfaceVertexCount > 0; ++f) {
        for (uint32_t v = 0; v < surfaceVertexCount; ++v) {
          const float x = app::ReadInt16(records), y = app::ReadInt16(records), z = app::ReadInt16(records);
          const int latitude = app::ReadByte(records), longitude = app::ReadByte(records);
          const Vec3 position{x / divisor * scale, y / divisor * scale, z / divisor * scale};
          const size_t entry = size_t(f) * vertices + base + v;
          positions[entry] = position;
          normals[entry] = DecodeNormal(latitude, longitude);
          if (!surfaceBox) {
            sbox = {position, position};
            surfaceBox = true;
          }
          sbox.AddPoint(position);
        }
      }
      Require(!records.Overrun(), "surface records are truncated");
      if (surfaceBox) {
        if (!haveBox) {
          box = sbox;
          haveBox = true;
        } else {
          box.AddPoint(sbox.min);
          box.AddPoint(sbox.max);
        }
      }
      base += surfaceVertexCount;
      start += static_cast<uint32_t>(surfaceSize);
    }
  } catch (const ModelFileError& error) {
    std::printf("%s: %s\n", path.c_str(), error.what);
    Release();
    return false;
  }

  auto built = std::make_unique<ModelMesh>(resourceManager_, settings_);
  if (haveBox) built->SetBox(box.min, box.max);
  if (!built->SetGeometry(device, vertices, static_cast<uint32_t>(triangles.size()), positions, uvs, normals)) {
    std::printf("%s: the mesh cannot be built\n", path.c_str());
    Release();
    return false;
  }
  MakeMaterialImages(slots, fileMaterialCount, table, textureFolder, resourceManager_, device, true);
  for (uint32_t i = 0; i < fileMaterialCount; ++i) {
    const MaterialSlot& slot = slots[i];
    if (!slot.used) continue;
    const int32_t batch =
        built->AddBatch(resourceManager_, settings_, triangles, static_cast<int32_t>(i), slot.kind, slot.doubleSided);
    built->SetBatchImage(slot.image, static_cast<size_t>(batch));
    if (!slot.visible) built->SetBatchEnabled(static_cast<size_t>(batch), false);
  }
  built->Optimize(device);

  frameCount = frames;
  frameScale = scaleOfFrames;
  keyTimes = std::move(fileKeyTimes);
  tags = std::move(fileTags);
  materialNames = names;
  slotCount = static_cast<uint32_t>(slots.size());
  meshName = firstSurfaceName;
  if (haveBox) {
    boxMin = box.min;
    boxMax = box.max;
  }
  MeshModel& drawable = built->Drawable();
  drawable.materialCount = slotCount;
  drawable.materialNames = std::move(names);
  drawable.materialGroups.assign(slotCount, 0);
  mesh = std::move(built);
  ReleaseMaterialImages(slots, resourceManager_);
  return true;
}

uint32_t Model::FindKeyFrame(int32_t time) const {
  uint32_t found = 0;
  for (size_t i = 0; i < keyTimes.size(); ++i) {
    if (keyTimes[i] <= time) found = static_cast<uint32_t>(i);
  }
  return found;
}

void Model::DrawByKind(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* frontState,
                       platform::gfx::BaseTexture* environment) {
  if (!mesh) return;
  mesh->ApplyClipStates(frontState);
  mesh->Drawable().DrawByKind(device, matrix, environment, -1, {0, -1, 0});
}

void Model::DrawPass(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* frontState) {
  if (!mesh) return;
  mesh->ApplyClipStates(frontState);
  mesh->Drawable().DrawPass(device, matrix);
}

}  // namespace geometry
