// The device side of a scene's meshes: a ScenePart holds one vertex and one 16-bit index buffer, and each of its
// MeshParts (pieces) is the index range of one material inside them, with its box and material images.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/models/material_kind.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;
class ScenePart;
struct ViewFrustum;

using platform::Vec2;
using platform::Vec3;

// Vertex formats of the four layouts: no normals or second uv (24 bytes), second uv (32), normals (36), both (44).
constexpr uint32_t kSceneFormatPlain = 0x142;
constexpr uint32_t kSceneFormatSecondUv = 0x242;
constexpr uint32_t kSceneFormatNormals = 0x152;
constexpr uint32_t kSceneFormatNormalsSecondUv = 0x252;
// Indices are 16-bit, so one part holds at most this many distinct vertices.
constexpr uint32_t kMaxPartVertices = 65536;
// Triangles of one run of a large opaque piece: small enough that a view skips most of a piece spread over the
// whole track, large enough that the runs it sees cost few draws.
constexpr uint32_t kRunTriangles = 512;

// The per-vertex lists of one part record, every index already checked against its list.
struct PartVertexInput {
  bool hasSecondUv = false;
  bool hasNormals = false;
  std::vector<uint32_t> positionIndices;  // per file vertex
  std::vector<uint32_t> uvIndices;        // per file vertex, or empty: every vertex at (0, 0)
  std::vector<uint32_t> secondUvIndices;  // per file vertex when hasSecondUv and uvs are present
  std::vector<uint32_t> normalIndices;    // per file vertex when hasNormals
  std::vector<Vec3> positions;
  std::vector<Vec2> uvs;  // as used: v already negated
  std::vector<Vec3> normals;
  std::vector<uint32_t> colours;  // per file vertex, 0xAARRGGBB
};

// One material's triangles inside a part.
class MeshPart {
 public:
  MeshPart(ResourceManager* resourceManager, app::Settings* settings, ScenePart* part);
  ~MeshPart();
  MeshPart(const MeshPart&) = delete;
  MeshPart& operator=(const MeshPart&) = delete;

  // A non-empty image is stored with one more reference taken through the resource manager.
  void SetImage(ImageResource* newImage);
  void SetSecondImage(ImageResource* newImage);
  // Gives both image references back.
  void Release();
  // Whether the piece draws without blending, so its triangles may be drawn in any order.
  bool Opaque() const;

  // Stream 0 and indices from the owning part.
  void Bind(platform::gfx::Device* device) const;
  // One indexed triangle list over the piece's range; nothing for an empty piece. With a frustum, a piece cut
  // into runs draws only the runs whose boxes reach into it, neighbouring ones in one draw.
  void Draw(platform::gfx::Device* device, const ViewFrustum* frustum = nullptr) const;

  // The material (colours, textures, blending, uv scroll) for a list's first piece, then the draw.
  void DrawWithMaterial(platform::gfx::Device* device, const ViewFrustum* frustum = nullptr) const;
  // Undoes what DrawWithMaterial set that the next list would not set itself.
  void RestoreMaterialStates(platform::gfx::Device* device) const;
  // The second-uv image on its stage (modulated twice over what is below), and its undo.
  void BindSecondTexture(platform::gfx::Device* device) const;
  void UnbindSecondTexture(platform::gfx::Device* device) const;

  bool enabled = true;
  ResourceManager* resourceManager = nullptr;
  app::Settings* settings = nullptr;
  ScenePart* part = nullptr;
  uint32_t kindIndex = 0;
  Vec3 boxMax, boxMin;
  std::array<Vec3, 8> corners{};
  ImageResource* image = nullptr;
  ImageResource* secondImage = nullptr;
  uint32_t primitiveCount = 0;
  uint32_t startIndex = 0;
  uint32_t materialSlot = 0;
  geometry::MaterialKind kind = geometry::MaterialKind::Plain;
  uint32_t minIndex = 0, maxIndex = 0;
  // A large opaque piece is cut into runs of nearby triangles, one after another in the index buffer, so the
  // draws of a view skip the runs it cannot see; empty for a piece drawn whole.
  struct Run {
    uint32_t startIndex = 0, primitiveCount = 0, minIndex = 0, maxIndex = 0;
    Vec3 centre, halfSize;
  };
  std::vector<Run> runs;

 private:
  // Stage that channel 0's scroll and the normal map use: 1 when the normal map takes stage 0.
  uint32_t ScrollStage() const;
  bool NormalMapping() const;
  // Stage 2 when the normal map or the environment / reflection texture holds stage 1, else 1.
  uint32_t SecondTextureStage() const;
};

class ScenePart {
 public:
  ScenePart() = default;
  ~ScenePart();
  ScenePart(const ScenePart&) = delete;
  ScenePart& operator=(const ScenePart&) = delete;

  // Welds equal vertices (a file vertex shares its position's slot when colour, uvs and normal are equal, else
  // it is appended) and rewrites input.positionIndices to vertex indices. False when the welded vertices would
  // not fit 16-bit indices.
  bool BuildVertices(PartVertexInput& input);
  // Makes a piece from triangles of buffer indices; a double-sided material also gets every triangle reversed.
  // Returns the piece's index.
  size_t AddPiece(ResourceManager* resourceManager, app::Settings* settings,
                  const std::vector<std::array<uint32_t, 3>>& triangles, uint32_t materialSlot,
                  geometry::MaterialKind kind, bool doubleSided);
  void SetPieceImage(ImageResource* image, size_t piece);
  void SetPieceSecondImage(ImageResource* image, size_t piece);
  void SetPieceEnabled(size_t piece, bool flag);
  // Orders each piece's triangles for the vertex cache (pieces stay contiguous), renumbers the vertices in first
  // use order dropping unused ones, and creates both buffers. A part whose buffers cannot be made keeps empty
  // pieces, which draw nothing.
  void Optimize(platform::gfx::Device* device);
  // Optimize in two steps: the orders without buffers, then the part's own buffers (or ShareBuffers below).
  void OptimizeOrder();
  void CreateBuffers(platform::gfx::Device* device);
  // Whether the copies of the vertices and indices that building keeps are still here.
  bool HasBuildData() const { return !vertices_.empty() && indices_.size() == indexCount; }
  // The vertices as the buffer holds them (vertexCount x stride bytes), and the indices (indexCount x 2 bytes).
  void WriteVertices(uint8_t* data) const;
  void WriteIndices(uint8_t* data) const;
  bool HasNormalMappedPiece() const;
  // Per-vertex tangent, binormal and normal from the uvs (normal-mapped parts only).
  void ComputeTangentFrames();
  // Frees the copies of the vertices and indices that building keeps; the device buffers stay.
  void ReleaseBuildData();
  void Release();

  uint32_t stride = 24;
  uint32_t vertexFormat = kSceneFormatPlain;
  uint32_t vertexCount = 0;
  uint32_t triangleCount = 0;
  uint32_t indexCount = 0;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  platform::gfx::IndexBuffer* indexBuffer = nullptr;
  // Where the part's vertices start in its vertex buffer: 0 unless the buffers are shared with other parts.
  uint32_t baseVertex = 0;
  Vec3 boxMin, boxMax;
  std::vector<Vec3> positions;
  std::vector<Vec3> binormals, tangents, normals;
  std::vector<std::unique_ptr<MeshPart>> pieces;

 private:
  // Everything a buffer vertex holds, in buffer order.
  struct Vertex {
    Vec3 position;
    Vec3 normal;
    uint32_t colour = 0xFFFFFFFF;
    Vec2 uv, secondUv;
  };
  bool CreateVertexBuffer(platform::gfx::Device* device);
  std::vector<Vertex> vertices_;
  std::vector<uint16_t> indices_;
  bool hasNormals_ = false;
  bool hasSecondUv_ = false;
};

// Puts the parts of each vertex format into one vertex and one index buffer that they all reference, each part's
// vertices from its own base vertex and its pieces' index ranges moved along, so the pieces of one material in
// different parts are drawn from the same buffers and the device can send them together. Parts must hold their
// build data and no buffers yet; a format with one part, or buffers the device will not give, leaves each part to
// make its own.
void ShareBuffers(platform::gfx::Device* device, const std::vector<ScenePart*>& parts);

}  // namespace render
