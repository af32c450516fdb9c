// Models fixed to a car's body: the driver, posed by the steering through its "STEER" clip, and the static
// upgrade parts (spoilers, scoops...) hidden beyond their viewing distance.
#pragma once

#include <string>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace geometry {
class AnimatedModel;
class MeshModel;
}
namespace render {
class ResourceManager;
class SceneLighting;
}  // namespace render

namespace vehicle {

using platform::Matrix4;
using platform::Vec3;

// Where a part sits: its attachment point in car space, and, after SetTransform, its world position and the
// car's rotation without translation.
struct PartPlacement {
  Vec3 attachPoint;
  Vec3 worldPosition;
  Matrix4 rotation{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

  void SetTransform(const Matrix4& car);
  // rotation × translation(worldPosition).
  Matrix4 Local() const;
};

// Applies the scene's lights for the part's matrix and returns the sun's direction in the part's frame;
// (0, −1, 0) without lighting or without a sun.
Vec3 PartLightDirection(render::SceneLighting* lighting, platform::gfx::Device* device, const Matrix4& local);

// Drawn when the viewing distance is 0 (unlimited) or the depth does not exceed it.
inline bool WithinViewDistance(float viewDistance, float depth) { return viewDistance == 0 || depth <= viewDistance; }

// The clip position that shows a steering position: −1 the first frame, 0 the middle, +1 the clip's end.
float SteerClipPosition(float steer, int frames);
constexpr char kSteerClip[] = "STEER";

// An animated model as a part shows it.
class PosableModel {
 public:
  virtual ~PosableModel() = default;
  virtual int ClipLength(const std::string& clip) const = 0;
  virtual void PlayClip(const std::string& clip, float position) = 0;
  virtual void Draw(platform::gfx::Device* device, const Matrix4& world, const Vec3& light) = 0;
  virtual void DrawWithEnvironment(platform::gfx::Device* device, const Matrix4& world,
                                   platform::gfx::BaseTexture* environment, const Vec3& light) = 0;
  virtual void DrawSimple(platform::gfx::Device* device, const Matrix4& world) = 0;
};

// An animated model of its own, loaded through the resource manager (given back when this goes).
class SharedAnimatedModel final : public PosableModel {
 public:
  SharedAnimatedModel(platform::gfx::Device* device, render::ResourceManager* resources, const std::string& fileName);
  ~SharedAnimatedModel() override;
  SharedAnimatedModel(const SharedAnimatedModel&) = delete;
  SharedAnimatedModel& operator=(const SharedAnimatedModel&) = delete;

  int ClipLength(const std::string& clip) const override;
  void PlayClip(const std::string& clip, float position) override;
  // The animated model lights itself; the light direction is not used.
  void Draw(platform::gfx::Device* device, const Matrix4& world, const Vec3& light) override;
  void DrawWithEnvironment(platform::gfx::Device* device, const Matrix4& world,
                           platform::gfx::BaseTexture* environment, const Vec3& light) override;
  void DrawSimple(platform::gfx::Device* device, const Matrix4& world) override;

  geometry::AnimatedModel* model = nullptr;

 private:
  render::ResourceManager* resources_;
};

// The driver: an animated model turning with the steering.
class PartModel {
 public:
  // model is shared, not owned; null makes a part that draws nothing.
  PartModel(PosableModel* model, const Vec3& attachPoint);

  void SetTransform(const Matrix4& car) { placement.SetTransform(car); }
  void SetSteer(float value) { steer = value; }
  void UpdateSteerPose();
  void UpdateVisibility(float depth) { visible = WithinViewDistance(viewDistance, depth); }
  void Render(platform::gfx::Device* device, render::SceneLighting* lighting, const Matrix4& matrix,
              platform::gfx::BaseTexture* environment);
  void RenderSimple(platform::gfx::Device* device, const Matrix4& matrix);
  void Release() { model = nullptr; }

  PartPlacement placement;
  PosableModel* model;
  float steer = 0;
  float viewDistance = 0;
  bool visible = true;
};

// A static upgrade model on the body, loaded through the resource manager by file name.
class VisualPartModel {
 public:
  VisualPartModel(platform::gfx::Device* device, render::ResourceManager* resources, const std::string& fileName,
                  const Vec3& attachPoint);
  // Gives the model back.
  ~VisualPartModel();
  VisualPartModel(const VisualPartModel&) = delete;
  VisualPartModel& operator=(const VisualPartModel&) = delete;

  void SetTransform(const Matrix4& car) { placement.SetTransform(car); }
  void UpdateVisibility(float depth) { visible = WithinViewDistance(viewDistance, depth); }
  // Only when visible: local × matrix (when given), lit by the scene when a lighting object is given; the
  // model's group, or every group when group is kAllGroups.
  static constexpr int32_t kAllGroups = -1;
  void Render(render::SceneLighting* lighting, const Matrix4* matrix, int32_t group = kAllGroups);
  void RenderWithMatrix(const Matrix4& matrix);
  void Release();

  platform::gfx::Device* device;
  render::ResourceManager* resources;
  PartPlacement placement;
  geometry::MeshModel* model = nullptr;
  float viewDistance = 0;
  bool visible = true;
};

}  // namespace vehicle
