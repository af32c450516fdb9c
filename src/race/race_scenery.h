// What a race shows around its cars: track and reflection scenes, sky boxes, flares, track sounds, the effect
// systems, the camera and the overlays, with the render passes the application calls each frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/settings.h"
#include "app/sound_emitter.h"
#include "platform/gfx/graphics.h"
#include "render/effects/glow_trails.h"
#include "render/effects/particle_system.h"
#include "render/effects/race_camera.h"
#include "render/effects/scene_lighting.h"
#include "render/effects/screen_quad.h"
#include "render/effects/skidmark_manager.h"
#include "render/scene/scene.h"
#include "render/scene/view_frustum.h"

namespace geometry {
class MeshModel;
}
namespace render {
class ImageResource;
class ResourceManager;
}  // namespace render

namespace race {

using platform::Matrix4;
using platform::Vec3;

// A positional track sound read from a "SOUND" marker's text ("PATH=x", "RADIUS=r", "VOLUME=v", '#' comments).
struct TrackSound {
  std::string path;
  float radius = 100.0f;
  uint32_t volume = 255;
};
TrackSound ParseSoundNode(const std::string& text);

constexpr uint32_t kReflectionTargetSize = 256;
constexpr uint32_t kMirrorTargetWidth = 256;
constexpr uint32_t kMirrorTargetHeight = 64;
constexpr float kShadeAlpha = 0.4f;

class RaceScenery {
 public:
  // Neither is owned; both outlive the scenery.
  RaceScenery(render::ResourceManager* resources, app::Settings* settings);
  ~RaceScenery();
  RaceScenery(const RaceScenery&) = delete;
  RaceScenery& operator=(const RaceScenery&) = delete;

  // Load stages 1-6 of the session: shade quad, sounds, skid marks (capacity from SKIDMARKS), glows, particles.
  void CreateEffects(platform::gfx::Device* device, uint32_t stage);
  // The track scene and its folder (the sky-box and sound files are named relative to it).
  void LoadTrackScene(platform::gfx::Device* device, const std::string& trackFile);
  // Flares, sky boxes and sounds from the track scene's markers.
  void SetupSceneObjects(platform::gfx::Device* device);
  // Blur overlay, the reflection target and scene (when the track has geometry and targets are offered) and
  // the mirror target (REARVIEW); the ambient light from the track.
  void CreateOverlays(platform::gfx::Device* device, const std::string& reflectionFile, bool renderTargets);

  // The frame's effects: particles and glow trails move on, track sounds follow the camera's eye.
  void UpdateEffects(float dt);
  // Motion-blur alpha from the frame rate (only with MOTIONBLUR on).
  void UpdateOverlayAlpha(float framesPerSecond, bool nitrous);
  void RestoreOverlays(platform::gfx::Device* device);

  // Drawing helpers of the race's passes (race_session_render.cpp). Projection: perspective of the field of
  // view (radians) and aspect between the near clip and the far clip times farScale. The sky boxes stay
  // centred on the eye and write no depth; the glowing one is scaled out to the far clip and leaves depth
  // writes off.
  Matrix4 Projection(float fov, float aspect, float farScale) const;
  Matrix4 CameraProjection(float farScale) const;
  void DrawSkyBox(platform::gfx::Device* device, const Matrix4& view);
  // The sky box squeezed onto the far plane: drawn after the opaque scenery it fills only the pixels still at
  // the cleared depth, the picture it would give drawn first with everything else over it.
  void DrawSkyBehind(platform::gfx::Device* device, const Matrix4& view);
  // Draws the track's visible pieces with the sky behind them; only the sky without a track.
  void DrawTrackAndSky(platform::gfx::Device* device, const Matrix4& view);
  void DrawGlowSkyBox(platform::gfx::Device* device, const Matrix4& view);
  // Linear vertex fog toward black from start to end, only with FOGVERTEX on; EndFog switches it off again.
  bool BeginFog(platform::gfx::Device* device, float start, float end) const;
  static void EndFog(platform::gfx::Device* device, bool fogOn);
  int Setting(app::SettingId id) const { return settings_ != nullptr ? settings_->GetInt(id) : 0; }
  float FloatSetting(app::FloatSettingId id) const { return settings_ != nullptr ? settings_->GetFloat(id) : 0; }
  // Frees everything; safe to call twice.
  void Unload();

  render::Scene* track = nullptr;
  render::Scene* reflection = nullptr;
  geometry::MeshModel* skyBox = nullptr;
  geometry::MeshModel* glowSkyBox = nullptr;
  std::string trackFolder;
  std::unique_ptr<render::RaceCamera> camera;
  std::unique_ptr<render::SceneLighting> lighting;
  std::unique_ptr<app::SoundEmitterList> sounds;
  std::unique_ptr<render::SkidmarkManager> skids;
  std::unique_ptr<render::GlowTrailSystem> glows;
  std::unique_ptr<render::ParticleSystem> particles;
  std::unique_ptr<render::ScreenQuad> blurOverlay;
  std::unique_ptr<render::ColorQuad> shadeQuad;
  render::ImageResource* reflectionTarget = nullptr;
  render::ImageResource* mirrorTarget = nullptr;
  render::ViewFrustum reflectionView;
  render::ViewFrustum mirrorView;
  render::ViewFrustum cubeView;
  // The racer whose environment cube was drawn last (one car's per frame, in turn); null at first.
  const void* cubeMapCursor = nullptr;

 private:
  geometry::MeshModel* LoadSkyBox(platform::gfx::Device* device, const std::string& text);
  void DrawBox(platform::gfx::Device* device, geometry::MeshModel* box, const Matrix4& view, float scale);

  render::ResourceManager* resources_;
  app::Settings* settings_;
};

}  // namespace race
