// The opening scene: a camera sweep along the intro scene's camera path, a wing flying its own path, a logo,
// flares, sky box, reflections and motion blur, ending in a fade to black that tells the game it has finished.
#pragma once

#include <memory>
#include <string>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}
namespace geometry {
class MeshModel;
class Path;
}
namespace render {
class BoxCorners;
class ColorQuad;
class CubeMap;
class GlowTrailSystem;
class ParticleSystem;
class ResourceManager;
class Scene;
class SceneLighting;
class ScreenQuad;
}

namespace frontend {

inline constexpr char kIntroScene[] = "INTRO\\scene.scn";
// Intro progress per second; the camera covers its path while progress runs 0 to 1 and the fade starts at 2.
constexpr float kIntroProgressRate = 0.4f;

// The intro's blur alpha: the showroom formula never falls below a quarter, so the intro's limits hold it at their
// upper end, 0.15, at every frame rate.
inline constexpr float kIntroBlurAlpha = 0.15f;

// The intro's camera: a fixed perspective, look-at view and frustum from its eye and target.
class SceneCamera {
 public:
  explicit SceneCamera(const app::Settings* settings);
  // Left-handed, field of view π/4, the window's aspect, near 1, far 1000.
  void SetProjection();
  void SetView();
  void Update();

  render::ViewFrustum frustum;
  const app::Settings* settings;
  platform::Matrix4 view;
  platform::Matrix4 projection;
  // Rows: right, up, forward of the camera.
  platform::Matrix4 axes;
  platform::Vec3 eye{0, 0, 0};
  platform::Vec3 target{0, 0, 0};
  platform::Vec3 up{0, 1, 0};
};

// A model placed in the intro (the wing or the logo) with its bounds and, with cube mapping, an environment cube.
class IntroModel {
 public:
  IntroModel(render::ResourceManager* resources, const app::Settings* settings);
  ~IntroModel();
  IntroModel(const IntroModel&) = delete;
  IntroModel& operator=(const IntroModel&) = delete;

  void Load(platform::gfx::Device* device, const std::string& modelFile);
  // Returns whether the model was drawn (false without a model or outside the frustum).
  bool Render(platform::gfx::Device* device, render::SceneLighting* lighting, const platform::Matrix4& view,
              const render::ViewFrustum* frustum);
  bool RenderSecondPass(platform::gfx::Device* device, const platform::Matrix4& view,
                        const render::ViewFrustum* frustum);
  void Release();

  render::ResourceManager* resources;
  const app::Settings* settings;
  geometry::MeshModel* model = nullptr;
  render::CubeMap* cubeMap = nullptr;
  platform::Matrix4 orientation;
  platform::Vec3 position{0, 0, 0};
  std::unique_ptr<render::BoxCorners> bounds;

 private:
  // World matrix, or false when the bounds lie outside the frustum.
  bool Place(const render::ViewFrustum* frustum, platform::Matrix4& world);
};

class ShowroomScene {
 public:
  ShowroomScene(render::ResourceManager* resources, app::Settings* settings);
  ~ShowroomScene();
  ShowroomScene(const ShowroomScene&) = delete;
  ShowroomScene& operator=(const ShowroomScene&) = delete;

  void Load(platform::gfx::Device* device, const std::string& sceneFile);
  void LoadSceneObjects(platform::gfx::Device* device);
  // dt in seconds; nothing without a scene.
  void Update(float dt);
  void UpdateMotionBlur(float framesPerSecond);
  void Render(platform::gfx::Device* device);
  void RenderSecondPass(platform::gfx::Device* device);
  void RenderReflectionTexture(platform::gfx::Device* device);
  void RenderReflectionTargets(platform::gfx::Device* device);
  // Whether the CUBEMAPPING setting is on (the intro's models took their cube maps, or none, when they loaded).
  bool IsCubeMappingOn(platform::gfx::Device* device) const;
  void RestoreDeviceObjects(platform::gfx::Device* device);
  void Unload();
  void DrawSkyBox(platform::gfx::Device* device, const platform::Matrix4& view);

  app::Settings* settings;
  render::ResourceManager* resources;
  std::unique_ptr<render::ColorQuad> fadeQuad;
  float fade = 0;
  bool fading = false;
  std::unique_ptr<render::ScreenQuad> blurQuad;
  geometry::MeshModel* skyBox = nullptr;
  geometry::MeshModel* glowSkyBox = nullptr;
  render::Scene* scene = nullptr;
  std::unique_ptr<SceneCamera> camera;
  std::unique_ptr<render::SceneLighting> lighting;
  render::ViewFrustum reflectionFrustum;
  std::unique_ptr<render::ParticleSystem> particles;
  std::unique_ptr<render::GlowTrailSystem> glows;
  std::unique_ptr<IntroModel> wing;
  std::unique_ptr<IntroModel> logo;
  std::string sceneFolder;
  float cameraDistance = 0;
  float wingDistance = 0;
  float progress = 0;
  platform::Vec3 target{0, 0, 0};
  const geometry::Path* cameraPath = nullptr;
  const geometry::Path* wingPath = nullptr;
  float blurTimer = 0;
  bool finished = false;
  // Reflection targets drawn and blur captures taken, for the owner's statistics.
  uint32_t reflectionTargetsDrawn = 0;
  uint32_t blurCaptures = 0;
};

}  // namespace frontend
