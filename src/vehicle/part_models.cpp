// Models fixed to a car's body: placement, steering pose, visibility by distance and drawing.
#include "vehicle/part_models.h"

#include "geometry/models/animated_model.h"
#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "render/effects/scene_lighting.h"
#include "render/resources/resource_manager.h"

namespace vehicle {

void PartPlacement::SetTransform(const Matrix4& car) {
  worldPosition = platform::TransformCoord(attachPoint, car);
  rotation = car;
  rotation.m[3][0] = rotation.m[3][1] = rotation.m[3][2] = 0;
}

Matrix4 PartPlacement::Local() const { return rotation * platform::TranslationMatrix(worldPosition); }

Vec3 PartLightDirection(render::SceneLighting* lighting, platform::gfx::Device* device, const Matrix4& local) {
  const Vec3 down{0, -1, 0};
  if (lighting == nullptr) return down;
  if (device != nullptr) lighting->Apply(device, local);
  const Vec3* sun = lighting->FindSunLight();
  if (sun == nullptr) return down;
  Matrix4 inverse;
  if (!platform::Inverse(local, &inverse)) return down;
  return platform::TransformNormal(*sun, inverse);
}

float SteerClipPosition(float steer, int frames) { return (steer + 1.0f) * 0.5f * static_cast<float>(frames); }

SharedAnimatedModel::SharedAnimatedModel(platform::gfx::Device* device, render::ResourceManager* resources,
                                         const std::string& fileName)
    : resources_(resources) {
  if (resources_ != nullptr) model = geometry::LoadAnimatedModel(*resources_, device, fileName, "", "");
}

SharedAnimatedModel::~SharedAnimatedModel() {
  if (model != nullptr && resources_ != nullptr) geometry::ReleaseAnimatedModel(*resources_, model);
}

int SharedAnimatedModel::ClipLength(const std::string& clip) const {
  return model != nullptr ? static_cast<int>(model->GetClipLength(clip)) : 0;
}

void SharedAnimatedModel::PlayClip(const std::string& clip, float position) {
  if (model != nullptr) model->PlayClipByName(clip, position);
}

void SharedAnimatedModel::Draw(platform::gfx::Device* device, const Matrix4& world, const Vec3&) {
  if (model != nullptr && device != nullptr) model->Draw(device, world);
}

void SharedAnimatedModel::DrawWithEnvironment(platform::gfx::Device* device, const Matrix4& world,
                                              platform::gfx::BaseTexture* environment, const Vec3&) {
  if (model != nullptr && device != nullptr) model->DrawWithEnvironment(device, world, environment);
}

void SharedAnimatedModel::DrawSimple(platform::gfx::Device* device, const Matrix4& world) {
  if (model != nullptr && device != nullptr) model->DrawSimple(device, world);
}

PartModel::PartModel(PosableModel* partModel, const Vec3& attachPoint) : model(partModel) {
  placement.attachPoint = attachPoint;
}

void PartModel::UpdateSteerPose() {
  if (model == nullptr) return;
  model->PlayClip(kSteerClip, SteerClipPosition(steer, model->ClipLength(kSteerClip)));
}

void PartModel::Render(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& matrix,
                       platform::gfx::BaseTexture* environment) {
  if (!visible || model == nullptr) return;
  const Matrix4 local = placement.Local();
  const Vec3 light = PartLightDirection(lighting, device, local);
  const Matrix4 world = local * matrix;
  if (environment != nullptr) {
    model->DrawWithEnvironment(device, world, environment, light);
  } else {
    model->Draw(device, world, light);
  }
}

void PartModel::RenderSimple(platform::gfx::Device* device, const Matrix4& matrix) {
  if (!visible || model == nullptr) return;
  model->DrawSimple(device, placement.Local() * matrix);
}

VisualPartModel::VisualPartModel(platform::gfx::Device* partDevice, render::ResourceManager* partResources,
                                 const std::string& fileName, const Vec3& attachPoint)
    : device(partDevice), resources(partResources) {
  placement.attachPoint = attachPoint;
  if (resources != nullptr) model = geometry::LoadModel(*resources, device, fileName, "", false, true);
}

VisualPartModel::~VisualPartModel() { Release(); }

void VisualPartModel::Release() {
  if (model != nullptr && resources != nullptr) geometry::ReleaseModel(*resources, model);
  model = nullptr;
}

void VisualPartModel::Render(render::SceneLighting* lighting, const Matrix4* matrix, int32_t group) {
  if (!visible || model == nullptr || device == nullptr) return;
  const Matrix4 local = placement.Local();
  const Vec3 light = PartLightDirection(lighting, device, local);
  model->DrawByKind(device, matrix != nullptr ? local * *matrix : local, nullptr, group, light);
}

void VisualPartModel::RenderWithMatrix(const Matrix4& matrix) {
  if (!visible || model == nullptr || device == nullptr) return;
  model->DrawPass(device, placement.Local() * matrix);
}

}  // namespace vehicle
