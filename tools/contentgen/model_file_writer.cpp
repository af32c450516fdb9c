// Writer of the versioned vertex-animated model file.
#include "contentgen/model_file_writer.h"

#include <cstdio>
#include <cstring>

#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

constexpr size_t kNameBytes = 64;
constexpr int32_t kSurfaceHeaderBytes = 104;

void FixedName(ByteWriter& out, const std::string& name) {
  char buffer[kNameBytes] = {};
  std::memcpy(buffer, name.data(), std::min(name.size(), kNameBytes - 1));
  for (char c : buffer) out.Int8(c);
}

void WriteMaterialRecord(ByteWriter& out, const MdlMaterial& material) {
  // The material record is the .MDL file's: encode a one-material file and take its record back out.
  MdlFile file;
  file.materials = {material};
  const std::vector<unsigned char> bytes = EncodeMdl(file);
  constexpr size_t kMdlHeaderBytes = 28;
  out.Bytes().insert(out.Bytes().end(), bytes.begin() + kMdlHeaderBytes, bytes.end());
}

}  // namespace

std::pair<uint8_t, uint8_t> PackLatitudeLongitude(const platform::Vec3& direction) {
  // Same angles as the static model's packed normals.
  return PackNormalAngles(direction);
}

std::vector<unsigned char> EncodeModelFile(const ModelFileData& data) {
  ByteWriter out;
  if (data.version >= 2) {
    out.String(data.version == 3 ? "V3.0" : "V2.0");
    out.Float(data.scale);
    out.Int32(data.divisor);
  }
  out.Int32(data.frameCount);
  out.Int32(data.framePercent);
  out.Int32(static_cast<int32_t>(data.tags.size()));
  out.Int32(static_cast<int32_t>(data.surfaces.size()));
  int32_t vertices = 0;
  for (const ModelSurface& surface : data.surfaces) vertices += static_cast<int32_t>(surface.uvs.size());
  out.Int32(vertices);
  out.Int32(0);
  out.Int32(static_cast<int32_t>(data.materials.size()));
  out.Int32(static_cast<int32_t>(data.textures.size()));
  for (const MdlTextureName& texture : data.textures) {
    out.String(texture.fileName);
    out.Int32(texture.slot);
  }
  for (const MdlMaterial& material : data.materials) WriteMaterialRecord(out, material);
  for (const ModelTagRecord& tag : data.tags) FixedName(out, tag.name);
  for (int32_t f = 0; f < data.frameCount; ++f) {
    for (const ModelTagRecord& tag : data.tags) {
      const size_t i = static_cast<size_t>(f);
      out.Vec3(i < tag.positions.size() ? tag.positions[i] : platform::Vec3{});
      const std::array<float, 9> identity{1, 0, 0, 0, 1, 0, 0, 0, 1};
      for (float value : i < tag.rotations.size() ? tag.rotations[i] : identity) out.Float(value);
    }
  }
  if (data.version == 3) {
    for (int32_t f = 0; f < data.frameCount; ++f) {
      out.Int32(static_cast<size_t>(f) < data.keyTimes.size() ? data.keyTimes[static_cast<size_t>(f)] : f);
    }
  }
  for (const ModelSurface& surface : data.surfaces) {
    const int32_t vertexCount = static_cast<int32_t>(surface.uvs.size());
    const int32_t triangleOffset = kSurfaceHeaderBytes;
    const int32_t uvOffset = triangleOffset + static_cast<int32_t>(surface.triangles.size()) * 16;
    const int32_t vertexOffset = uvOffset + vertexCount * 8;
    const int32_t size = vertexOffset + surface.frames * vertexCount * 8;
    FixedName(out, surface.name);
    out.Int32(0);
    out.Int32(surface.frames);
    out.Int32(0);
    out.Int32(vertexCount);
    out.Int32(static_cast<int32_t>(surface.triangles.size()));
    out.Int32(triangleOffset);
    out.Int32(0);
    out.Int32(uvOffset);
    out.Int32(vertexOffset);
    out.Int32(size);
    for (const auto& triangle : surface.triangles)
      for (int32_t value : triangle) out.Int32(value);
    for (const auto& [u, v] : surface.uvs) {
      out.Float(u);
      out.Float(v);
    }
    for (int32_t f = 0; f < surface.frames; ++f) {
      for (int32_t v = 0; v < vertexCount; ++v) {
        const auto& frame = surface.frameVertices[static_cast<size_t>(f)];
        const PackedVertex vertex = static_cast<size_t>(v) < frame.size() ? frame[static_cast<size_t>(v)] : PackedVertex{};
        out.Int16(vertex.x);
        out.Int16(vertex.y);
        out.Int16(vertex.z);
        out.Int8(static_cast<int8_t>(vertex.latitude));
        out.Int8(static_cast<int8_t>(vertex.longitude));
      }
    }
  }
  return out.Bytes();
}

bool WriteModelFile(const std::string& fileName, const ModelFileData& data) {
  // Written through a temporary file and a rename, with its folder made first.
  return WriteContentFile(fileName, EncodeModelFile(data));
}

}  // namespace contentgen
