// Drawing a car: level of detail by depth, culling against the view, the body (environment-mapped when asked),
// the four wheels, the driver and the upgrade parts, in the normal pass, the second pass and the mirror image in
// the ground, hidden while a respawned car blinks; and its ground shadow.
#pragma once

#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/scene/view_frustum.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_model.h"

namespace render {
class SceneLighting;
}

namespace vehicle {

class VehiclePresentation;

// How far a stencil shadow volume reaches from the car's silhouette at most (inches), and how far below the plane
// of the ground under the car it ends when that ground is known: past every surface near the car the shadow
// falls on, while the rasteriser no longer walks the buried rest of the volume down to the screen's edge.
constexpr float kShadowVolumeLength = 10000.0f;
constexpr float kShadowVolumeDepth = 200.0f;
// The factor the sun's vector is scaled by to extrude the volume of a caster whose highest point lies `height`
// above the ground plane of that normal: its open end kShadowVolumeDepth below the plane, never more than
// kShadowVolumeLength; the full length for a sun that does not descend toward the plane.
float ShadowVolumeReach(const Vec3& sun, const Vec3& groundNormal, float height);
// The headlights' beam on the road: how far it reaches ahead of the nose, its width against the car's, and its
// height above the ground the tyres stand on (inches).
constexpr float kLightPoolLength = 500.0f;
constexpr float kLightPoolWidthFactor = 3.0f;
constexpr float kLightPoolLift = 1.0f;
// The colour the beam's picture is multiplied by (half its light).
constexpr uint32_t kLightPoolColour = 0xFF808080u;

// The last level whose switch distance does not exceed the depth (0 when none does or there are none).
size_t SelectLodIndex(const std::vector<LodLevel>& lods, float depth);
// Depth of a point for level-of-detail choices: the frustum's first plane at the point, plus the bias.
float LodDepth(const render::ViewFrustum& frustum, const Vec3& position, float bias);
// A respawned car blinks: hidden while respawning in the off half of each tenth of a second.
inline bool RespawnHidden(const Vehicle& car) { return car.respawning && !car.respawnVisible; }
// tilt × orientation × translation(position) × extra.
Matrix4 BodyTransform(const Vehicle& car, const Matrix4& extra);
// rotation about x by the spin, times the drawing orientation, times a translation to the wheel on its spring.
Matrix4 WheelTransform(const Wheel& wheel);

class VehicleRenderer {
 public:
  // presentation (driver, upgrade parts, shadow) may be null.
  VehicleRenderer(Vehicle& car, VehicleBody& body, VehiclePresentation* presentation)
      : car_(car), body_(body), presentation_(presentation) {}

  // Chooses lodIndex from the frustum's depth and tells the riding parts the depth.
  void SelectLod(const render::ViewFrustum& frustum, float bias);
  // Each returns whether the car was drawn. A null frustum draws at the current level without culling.
  bool Render(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& extra,
              const render::ViewFrustum* frustum, float bias, platform::gfx::BaseTexture* environment);
  bool RenderAlternatePass(platform::gfx::Device* device, const Matrix4& extra, const render::ViewFrustum* frustum,
                           float bias);
  // The mirror image about the ground under the car; fills mirrored with the mirrored view's frustum. Nothing
  // without a frustum or without a ground shadow (which knows the ground).
  bool RenderReflected(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& view,
                       const Matrix4& projection, render::ViewFrustum* mirrored, float bias,
                       platform::gfx::BaseTexture* environment);
  // The shadow grid, unless the car blinks or is out of view.
  bool RenderGroundShadow(platform::gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum);
  // The stencil shadow volume of the shadow model, cast away from the scene's sun (straight down without one),
  // under the same skip rules as the ground shadow and only with stencil shadows on. When drawn, and the box is
  // asked for, *volumeMin and *volumeMax take a world box around the volume.
  bool RenderShadowModel(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& view,
                         const render::ViewFrustum* frustum, bool stencilShadows, Vec3* volumeMin = nullptr,
                         Vec3* volumeMax = nullptr);
  // The beam of the car's headlights on the road: a flat quad on the ground ahead of its nose, textured by the
  // caller (its HEADLIGHT picture) and blended as the caller set; drawn from both sides. Nothing while the car
  // blinks or is out of view.
  bool RenderLightPool(platform::gfx::Device* device, const Matrix4& view, const render::ViewFrustum* frustum);
  bool IsInView(const render::ViewFrustum& frustum) const;

  size_t lodIndex = 0;

 private:
  // Driver, body, wheels (when the level says so) and upgrade parts with the body transform.
  void DrawCar(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& extra,
               platform::gfx::BaseTexture* environment);
  Vec3 LightDirection(platform::gfx::Device* device, render::SceneLighting* lighting) const;

  Vehicle& car_;
  VehicleBody& body_;
  VehiclePresentation* presentation_;
};

}  // namespace vehicle
