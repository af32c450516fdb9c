// Drawing a car: level of detail, culling, body, wheels and riding parts in three passes, and its shadow.
#include "vehicle/vehicle_renderer.h"

#include <algorithm>

#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "render/effects/box_corners.h"
#include "render/effects/scene_lighting.h"
#include "vehicle/ground_shadow.h"
#include "vehicle/vehicle_presentation.h"

namespace vehicle {

namespace gfx = platform::gfx;

size_t SelectLodIndex(const std::vector<LodLevel>& lods, float depth) {
  size_t index = 0;
  for (size_t i = 0; i < lods.size(); ++i) {
    if (lods[i].distance <= depth) index = i;
  }
  return index;
}

float LodDepth(const render::ViewFrustum& frustum, const Vec3& position, float bias) {
  const platform::Plane& plane = frustum.planes[0];
  return plane.a * position.x + plane.b * position.y + plane.c * position.z + plane.d + bias;
}

float ShadowVolumeReach(const Vec3& sun, const Vec3& groundNormal, float height) {
  const float descent = -platform::Dot(sun, groundNormal);
  const float drop = std::max(height, 0.0f) + kShadowVolumeDepth;
  if (descent * kShadowVolumeLength <= drop) return kShadowVolumeLength;
  return drop / descent;
}

Matrix4 BodyTransform(const Vehicle& car, const Matrix4& extra) {
  return car.tilt * car.orientation * platform::TranslationMatrix(car.position) * extra;
}

Matrix4 WheelTransform(const Wheel& wheel) {
  return platform::RotationXMatrix(wheel.spinAngle) * wheel.drawOrientation *
         platform::TranslationMatrix(wheel.position + wheel.up * wheel.suspensionOffset);
}

void VehicleRenderer::SelectLod(const render::ViewFrustum& frustum, float bias) {
  const float depth = LodDepth(frustum, car_.position, bias);
  lodIndex = SelectLodIndex(body_.lods, depth);
  if (presentation_ != nullptr) {
    for (auto& part : presentation_->visualParts) part->UpdateVisibility(depth);
    if (presentation_->driverModel != nullptr) presentation_->driverModel->UpdateVisibility(depth);
  }
}

bool VehicleRenderer::IsInView(const render::ViewFrustum& frustum) const {
  render::BoxCorners box(car_.bodyMin, car_.bodyMax);
  box.BoxTransform(car_.worldMatrix);
  return render::BoxInFrustum(frustum, box.corners);
}

Vec3 VehicleRenderer::LightDirection(gfx::Device* device, render::SceneLighting* lighting) const {
  Vec3 light{0, -1, 0};
  if (lighting == nullptr) return light;
  if (device != nullptr) lighting->Apply(device, car_.worldMatrix);
  const Vec3* sun = lighting->FindSunLight();
  Matrix4 inverse;
  if (sun != nullptr && platform::Inverse(car_.worldMatrix, &inverse)) light = platform::TransformNormal(*sun, inverse);
  return light;
}

void VehicleRenderer::DrawCar(gfx::Device* device, render::SceneLighting* lighting, const Matrix4& extra,
                              gfx::BaseTexture* environment) {
  if (presentation_ != nullptr && presentation_->driverModel != nullptr) {
    presentation_->driverModel->Render(device, lighting, extra, environment);
  }
  const Vec3 light = LightDirection(device, lighting);
  const Matrix4 world = BodyTransform(car_, extra);
  if (lodIndex < body_.lods.size() && body_.lods[lodIndex].model != nullptr) {
    body_.ApplyGroundTint(lodIndex, car_.groundTint);
    geometry::MeshModel& model = *body_.lods[lodIndex].model;
    if (environment != nullptr) {
      model.DrawWithEnvironment(device, world, environment, light);
    } else {
      model.Draw(device, world, light);
    }
  }
  if (lodIndex < body_.lods.size() && body_.lods[lodIndex].drawWheels) {
    for (int i = 0; i < 4; ++i) {
      const Wheel* wheel = car_.wheels[i].get();
      geometry::MeshModel* tyre = body_.tyreModels[i];
      if (wheel == nullptr || tyre == nullptr) continue;
      const Matrix4 local = WheelTransform(*wheel);
      Vec3 wheelLight{0, -1, 0};
      if (lighting != nullptr) {
        lighting->Apply(device, local);
        Matrix4 inverse;
        const Vec3* sun = lighting->FindSunLight();
        if (sun != nullptr && platform::Inverse(local, &inverse)) wheelLight = platform::TransformNormal(*sun, inverse);
      }
      body_.ApplyTyreColour(i, wheel->groundColour);
      tyre->Draw(device, local * extra, wheelLight);
    }
  }
  if (presentation_ != nullptr) {
    for (auto& part : presentation_->visualParts) {
      if (part->model != nullptr) TintModel(*part->model, car_.groundTint[0], car_.groundTint[1], car_.groundTint[2]);
      part->Render(lighting, &extra);
    }
  }
}

bool VehicleRenderer::Render(gfx::Device* device, render::SceneLighting* lighting, const Matrix4& extra,
                             const render::ViewFrustum* frustum, float bias, gfx::BaseTexture* environment) {
  if (car_.inert || RespawnHidden(car_)) return false;
  if (frustum != nullptr) {
    SelectLod(*frustum, bias);
    if (!IsInView(*frustum)) return false;
  }
  DrawCar(device, lighting, extra, environment);
  return true;
}

bool VehicleRenderer::RenderAlternatePass(gfx::Device* device, const Matrix4& extra,
                                          const render::ViewFrustum* frustum, float bias) {
  if (RespawnHidden(car_)) return false;
  if (frustum != nullptr) {
    SelectLod(*frustum, bias);
    if (!IsInView(*frustum)) return false;
  }
  if (presentation_ != nullptr && presentation_->driverModel != nullptr) {
    presentation_->driverModel->RenderSimple(device, extra);
  }
  if (lodIndex < body_.lods.size() && body_.lods[lodIndex].model != nullptr) {
    body_.lods[lodIndex].model->DrawPass(device, BodyTransform(car_, extra));
  }
  if (lodIndex < body_.lods.size() && body_.lods[lodIndex].drawWheels) {
    for (int i = 0; i < 4; ++i) {
      if (car_.wheels[i] == nullptr || body_.tyreModels[i] == nullptr) continue;
      body_.tyreModels[i]->DrawPass(device, WheelTransform(*car_.wheels[i]) * extra);
    }
  }
  if (presentation_ != nullptr) {
    for (auto& part : presentation_->visualParts) part->RenderWithMatrix(extra);
  }
  return true;
}

bool VehicleRenderer::RenderReflected(gfx::Device* device, render::SceneLighting* lighting, const Matrix4& view,
                                      const Matrix4& projection, render::ViewFrustum* mirrored, float bias,
                                      gfx::BaseTexture* environment) {
  if (mirrored == nullptr || presentation_ == nullptr || presentation_->shadow == nullptr) return false;
  const GroundShadow& shadow = *presentation_->shadow;
  const platform::Plane ground = platform::PlaneFromPointNormal(shadow.groundPoint, shadow.groundNormal);
  const Matrix4 reflection = platform::ReflectionMatrix(ground);
  mirrored->Build(reflection * view, projection);
  if (RespawnHidden(car_)) return false;
  SelectLod(*mirrored, bias);
  if (!IsInView(*mirrored)) return false;
  // Mirroring reverses the winding of every triangle.
  if (device != nullptr) {
    device->SetRenderState(gfx::RenderState::CullMode, static_cast<uint32_t>(gfx::CullMode::Clockwise));
  }
  // The mirror image seen through the view.
  DrawCar(device, lighting, reflection * view, environment);
  if (device != nullptr) {
    device->SetRenderState(gfx::RenderState::CullMode, static_cast<uint32_t>(gfx::CullMode::CounterClockwise));
  }
  return true;
}

bool VehicleRenderer::RenderGroundShadow(gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum) {
  if (RespawnHidden(car_) || presentation_ == nullptr || presentation_->shadow == nullptr) return false;
  if (frustum != nullptr && !IsInView(*frustum)) return false;
  presentation_->shadow->Render(device, view);
  return true;
}

}  // namespace vehicle

namespace vehicle {

bool VehicleRenderer::RenderShadowModel(gfx::Device* device, render::SceneLighting* lighting, const Matrix4& view,
                                        const render::ViewFrustum* frustum, bool stencilShadows, Vec3* volumeMin,
                                        Vec3* volumeMax) {
  if (!stencilShadows || RespawnHidden(car_) || presentation_ == nullptr || presentation_->shadowModel == nullptr) {
    return false;
  }
  if (frustum != nullptr && !IsInView(*frustum)) return false;
  Vec3 light{0, -1, 0};
  if (lighting != nullptr) {
    const Vec3* sun = lighting->FindSunLight();
    Matrix4 inverse;
    if (sun != nullptr && platform::Inverse(car_.worldMatrix, &inverse)) light = platform::TransformNormal(*sun, inverse);
  }
  // The volume runs from the silhouette away from the sun, far enough to reach any ground below the car.
  geometry::MeshModel& caster = *presentation_->shadowModel;
  const Matrix4 body = BodyTransform(car_, platform::IdentityMatrix());
  const Vec3 lightInWorld = platform::TransformNormal(light, body);
  float reach = kShadowVolumeLength;
  render::BoxCorners box(caster.boundsMin, caster.boundsMax);
  box.BoxTransform(body);
  const GroundShadow* ground = presentation_->shadow.get();
  if (ground != nullptr && ground->groundFound) {
    float height = -kShadowVolumeLength;
    for (const Vec3& corner : box.corners) {
      height = std::max(height, platform::Dot(corner - ground->groundPoint, ground->groundNormal));
    }
    reach = ShadowVolumeReach(lightInWorld, ground->groundNormal, height);
  }
  caster.DrawShadow(device, BodyTransform(car_, view), light * -reach);
  if (volumeMin != nullptr && volumeMax != nullptr) {
    // The silhouette lies in the caster's box and its extrusion in that box moved along the light.
    const Vec3 extrusion = lightInWorld * reach;
    *volumeMin = platform::ComponentMin(box.worldMin, box.worldMin + extrusion);
    *volumeMax = platform::ComponentMax(box.worldMax, box.worldMax + extrusion);
  }
  return true;
}

bool VehicleRenderer::RenderLightPool(gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum) {
  if (RespawnHidden(car_)) return false;
  if (frustum != nullptr && !IsInView(*frustum)) return false;
  struct PoolVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };
  const float ground = kLightPoolLift - car_.GetRestHeight();
  const float halfWidth = car_.bodyMax.x * kLightPoolWidthFactor;
  const float nose = car_.bodyMax.z;
  const float far = nose + kLightPoolLength;
  // The picture's bottom edge lies at the nose, its top edge far ahead; spread flat over the road the beam
  // gives half the light it throws where the player's projected beam falls.
  const uint32_t light = kLightPoolColour;
  const PoolVertex quad[4] = {{-halfWidth, ground, nose, light, 0, 1},
                              {-halfWidth, ground, far, light, 0, 0},
                              {halfWidth, ground, nose, light, 1, 1},
                              {halfWidth, ground, far, light, 1, 0}};
  device->SetTransform(gfx::TransformState::View, car_.worldMatrix * view);
  device->SetVertexShader(gfx::fvf::kXyz | gfx::fvf::kDiffuse | gfx::fvf::kTex1);
  device->SetRenderState(gfx::RenderState::CullMode, static_cast<uint32_t>(gfx::CullMode::None));
  device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(PoolVertex));
  device->SetRenderState(gfx::RenderState::CullMode, static_cast<uint32_t>(gfx::CullMode::CounterClockwise));
  return true;
}

}  // namespace vehicle
