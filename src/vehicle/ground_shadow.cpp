// The soft shadow under a car: grid buffers, draping by vertical casts, fade with height, flat placement, drawing.
#include "vehicle/ground_shadow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/math/math.h"

namespace vehicle {

namespace gfx = platform::gfx;
using platform::Vec3;

namespace {

uint32_t Grey(uint32_t level) { return level << 24 | level << 16 | level << 8 | level; }

}  // namespace

GroundShadow::GroundShadow(gfx::Device* device, uint32_t columnCount, uint32_t rowCount, float gridWidth,
                           float frontEdge, float rearEdge)
    : columns(columnCount), rows(rowCount), width(gridWidth), front(frontEdge), rear(rearEdge) {
  vertexCount = columns * rows;
  indexCount = columns > 1 && rows > 1 ? (columns - 1) * (rows - 1) * 12 : 0;
  // Indices are 16-bit: a grid too large for them gets no cells rather than wrapped indices.
  if (vertexCount > 65536) indexCount = 0;

  vertices_.resize(vertexCount);
  for (uint32_t row = 0; row < rows; ++row) {
    for (uint32_t column = 0; column < columns; ++column) {
      ShadowVertex& vertex = vertices_[row * columns + column];
      vertex.colour = 0xff000000u;
      vertex.u = columns > 1 ? static_cast<float>(column) / static_cast<float>(columns - 1) : 0.0f;
      vertex.v = rows > 1 ? static_cast<float>(row) / static_cast<float>(rows - 1) : 0.0f;
    }
  }
  indices_.reserve(indexCount);
  if (indexCount > 0) {
    for (uint32_t row = 0; row + 1 < rows; ++row) {
      for (uint32_t column = 0; column + 1 < columns; ++column) {
        const uint16_t i = static_cast<uint16_t>(row * columns + column);
        const uint16_t right = static_cast<uint16_t>(i + 1);
        const uint16_t below = static_cast<uint16_t>(i + columns);
        const uint16_t diagonal = static_cast<uint16_t>(i + columns + 1);
        // Both windings, so the shadow shows from either side.
        for (uint16_t index : {i, right, diagonal, i, diagonal, below, diagonal, right, i, below, diagonal, i}) {
          indices_.push_back(index);
        }
      }
    }
  }

  if (device == nullptr || vertexCount == 0) return;
  createResult = device->CreateVertexBuffer(vertexCount * sizeof(ShadowVertex), gfx::usage::kWriteOnly,
                                            kShadowVertexFormat, gfx::Pool::Managed, &vertexBuffer_);
  if (platform::Failed(createResult)) {
    vertexBuffer_ = nullptr;
    return;
  }
  Upload();
  const uint32_t indexBytes = std::max<uint32_t>(indexCount, 1) * 2;
  createResult = device->CreateIndexBuffer(indexBytes, gfx::usage::kWriteOnly, gfx::Format::Index16,
                                           gfx::Pool::Managed, &indexBuffer_);
  if (platform::Failed(createResult)) {
    indexBuffer_ = nullptr;
    return;
  }
  if (indexCount == 0) return;
  uint8_t* data = nullptr;
  createResult = indexBuffer_->Lock(0, indexCount * 2, &data, 0);
  if (platform::Failed(createResult) || data == nullptr) return;
  std::memcpy(data, indices_.data(), indexCount * 2);
  indexBuffer_->Unlock();
}

GroundShadow::~GroundShadow() { Release(); }

void GroundShadow::Release() {
  if (vertexBuffer_ != nullptr) vertexBuffer_->Release();
  if (indexBuffer_ != nullptr) indexBuffer_->Release();
  vertexBuffer_ = nullptr;
  indexBuffer_ = nullptr;
}

void GroundShadow::Upload() {
  if (vertexBuffer_ == nullptr || vertices_.empty()) return;
  uint8_t* data = nullptr;
  const uint32_t bytes = vertexCount * sizeof(ShadowVertex);
  if (platform::Failed(vertexBuffer_->Lock(0, bytes, &data, 0)) || data == nullptr) return;
  std::memcpy(data, vertices_.data(), bytes);
  vertexBuffer_->Unlock();
}

std::vector<Vec3> GroundShadow::GridPoints(const Matrix4& car) const {
  const Vec3 across = platform::TransformNormal({width, 0, 0}, car);
  const Vec3 frontPoint = platform::TransformNormal({0, 0, front}, car);
  const Vec3 rearPoint = platform::TransformNormal({0, 0, rear}, car);
  Vec3 corner = frontPoint - across * 0.5f;
  corner.y = frontPoint.y;
  Vec3 columnStep = columns > 1 ? across / static_cast<float>(columns - 1) : Vec3{};
  Vec3 rowStep = rows > 1 ? (rearPoint - frontPoint) / static_cast<float>(rows - 1) : Vec3{};
  columnStep.y = 0;
  rowStep.y = 0;
  std::vector<Vec3> points;
  points.reserve(vertexCount);
  for (uint32_t row = 0; row < rows; ++row) {
    for (uint32_t column = 0; column < columns; ++column) {
      points.push_back(corner + columnStep * static_cast<float>(column) + rowStep * static_cast<float>(row));
    }
  }
  return points;
}

void GroundShadow::Update(VehicleWorld& world, const Matrix4& car) {
  const std::vector<Vec3> points = GridPoints(car);
  origin = {car.m[3][0], car.m[3][1], car.m[3][2]};

  Vec3 drop{0, -10000, 0};
  SphereHit hit;
  groundFound = world.CastSphere(origin + Vec3{0, kShadowCastAbove, 0}, origin - Vec3{0, kShadowCastBelow, 0}, 0,
                                 false, hit);
  if (groundFound) {
    groundPoint = hit.contact;
    groundNormal = hit.normal;
    drop = hit.contact - origin;
  }
  const float fade = 1.0f - std::min(platform::Length(drop) / kShadowFadeHeight, 1.0f);
  uint32_t level = 0;
  if (fade >= 1.0f) {
    level = 255;
  } else if (fade > 0.0f) {
    level = static_cast<uint32_t>(fade * 255.0f + 0.5f);
  }

  for (uint32_t k = 0; k < vertexCount; ++k) {
    const Vec3 point = origin + points[k];
    ShadowVertex& vertex = vertices_[k];
    SphereHit under;
    Vec3 position;
    if (world.CastSphere(point + Vec3{0, kShadowCastAbove, 0}, point - Vec3{0, kShadowCastBelow, 0}, 0, false,
                         under)) {
      position = under.contact - origin + under.normal * kShadowLift;
      vertex.colour = Grey(level);
    } else {
      // Over a hole: at the centre's ground height and invisible, so its triangles fade out.
      position = drop + points[k];
      vertex.colour = 0;
    }
    vertex.x = position.x;
    vertex.y = position.y;
    vertex.z = position.z;
  }
  Upload();
}

void GroundShadow::PlaceFlat(const Vec3& offset, const Matrix4& car) {
  const std::vector<Vec3> points = GridPoints(car);
  origin = Vec3{car.m[3][0], car.m[3][1], car.m[3][2]} + offset;
  for (uint32_t k = 0; k < vertexCount; ++k) {
    vertices_[k].x = points[k].x;
    vertices_[k].y = points[k].y;
    vertices_[k].z = points[k].z;
    vertices_[k].colour = 0xffffffffu;
  }
  Upload();
}

void GroundShadow::Render(gfx::Device* device, const Matrix4& view) const {
  if (device == nullptr || !HasBuffers() || indexCount == 0) return;
  device->SetTransform(gfx::TransformState::View, platform::TranslationMatrix(origin) * view);
  device->SetVertexShader(kShadowVertexFormat);
  device->SetStreamSource(0, vertexBuffer_, sizeof(ShadowVertex));
  device->SetIndices(indexBuffer_, 0);
  device->DrawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, vertexCount, 0, indexCount / 3);
}

}  // namespace vehicle
