// The 3D showroom behind the menus: the player's car on its spot, sky boxes, flares, scene reflections, the car's
// cube map, a camera gliding along the scene's camera paths with faded cuts, and the motion-blur overlay.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/menu_backdrop.h"
#include "platform/math/types.h"
#include "render/scene/view_frustum.h"
#include "vehicle/upgrades.h"

namespace app {
class Settings;
}
namespace geometry {
class MeshModel;
class Path;
}
namespace race {
class ContentDatabase;
class PlayerProfile;
}
namespace render {
class ColorQuad;
class CubeMap;
class GlowTrailSystem;
class ParticleSystem;
class RaceCamera;
class ResourceManager;
class Scene;
class SceneLighting;
class ScreenQuad;
}

namespace frontend {

// Camera travel along a path, inches per second.
constexpr float kShowroomCameraSpeed = 50.0f;
// Seconds before the first cut.
constexpr float kFirstShotSeconds = 5.0f;
// The blur capture runs at most this often (seconds between captures).
constexpr float kBlurCaptureInterval = 0.025f;

// The overlay alpha for a frame rate: 1 below 15 frames per second, down to 0.25 at 75 and above.
float ShowroomBlurAlpha(float framesPerSecond);

class Showroom : public MenuBackdrop {
 public:
  // random draws the game's random numbers (the C-runtime generator when empty). With randomCar the car is
  // drawn from the database's list; an empty list keeps the VEHICLE setting's car.
  Showroom(render::ResourceManager* resources, app::Settings* settings, race::ContentDatabase* database,
           race::PlayerProfile* profile, bool randomCar, std::function<int()> random = {});
  ~Showroom() override;
  Showroom(const Showroom&) = delete;
  Showroom& operator=(const Showroom&) = delete;

  void Load(platform::gfx::Device* device, const std::string& sceneFile) override;
  void LoadSceneObjects(platform::gfx::Device* device);
  // Builds the car of carFile on the VEHICLE node; a scene without one, or a car that will not load, shows none.
  void LoadVehicle(platform::gfx::Device* device);
  void Update(float frameTime) override;
  void UpdateMotionBlur(float framesPerSecond) override;
  void Render(platform::gfx::Device* device);
  void RenderSecondPass(platform::gfx::Device* device) override;
  void RenderReflections(platform::gfx::Device* device) override;
  void RenderCubeMap(platform::gfx::Device* device) override;
  void RestoreDeviceObjects(platform::gfx::Device* device) override;
  bool RenderMain(platform::gfx::Device* device) override {
    Render(device);
    return carLoaded;
  }
  vehicle::Vehicle* DisplayedVehicle() const override { return car.get(); }
  void ClearOption() override { randomCar = false; }

  void RenderReflectionTargets(platform::gfx::Device* device);
  void RenderCarCubeMap(platform::gfx::Device* device, const platform::Vec3& eye, render::CubeMap* cubeMap);
  void DrawSkyBox(platform::gfx::Device* device, const platform::Matrix4& view);
  void DrawGlowSkyBox(platform::gfx::Device* device, const platform::Matrix4& view);
  void DrawCarShadow(platform::gfx::Device* device, const platform::Matrix4& view,
                     const render::ViewFrustum* frustum);
  // The car's neon picture added onto the floor through its shadow grid.
  void DrawCarGlow(platform::gfx::Device* device, const platform::Matrix4& view,
                     const render::ViewFrustum* frustum);
  // The car's own cube map when it may be drawn into now, else null.
  render::CubeMap* CarCubeMapToRender() const;

  race::PlayerProfile* profile = nullptr;
  app::Settings* settings = nullptr;
  render::ResourceManager* resources = nullptr;
  race::ContentDatabase* database = nullptr;
  std::unique_ptr<render::ColorQuad> fadeQuad;
  float fade = 0;
  bool fading = false;
  std::unique_ptr<render::ScreenQuad> blurQuad;
  geometry::MeshModel* skyBox = nullptr;
  geometry::MeshModel* glowSkyBox = nullptr;
  render::Scene* scene = nullptr;
  std::unique_ptr<render::RaceCamera> camera;
  std::unique_ptr<vehicle::Vehicle> car;
  std::vector<const geometry::Path*> cameraPaths;
  std::unique_ptr<render::SceneLighting> lighting;
  render::ViewFrustum cubeFrustum;
  render::ViewFrustum reflectionFrustum;
  std::unique_ptr<render::ParticleSystem> particles;
  std::unique_ptr<render::GlowTrailSystem> glows;
  std::string carName;
  std::string carFile;
  std::string sceneFolder;
  float pathDistance = 0;
  platform::Vec3 target{0, 0, 0};
  int32_t currentPath = -1;
  int32_t nextPath = -1;
  float shotTimer = kFirstShotSeconds;
  float blurTimer = 0;
  bool randomCar = false;
  bool carLoaded = false;
  // Where the car stands: the last VEHICLE node.
  bool hasCarSpot = false;
  platform::Vec3 carSpot{0, 0, 0};
  platform::Matrix4 carSpotOrientation;
  // Reflection targets drawn and cube faces rendered, for the owner's statistics.
  uint32_t reflectionTargetsDrawn = 0;
  uint32_t cubeFacesDrawn = 0;

 private:
  void ReleaseModels();
  int Random();

  std::function<int()> random_;
  vehicle::UpgradeSelection selection_;
};

// The factory the game gives the menu manager: a showroom over the screens' services, random car when option
// is not 0.
BackdropFactory MakeShowroomFactory(std::function<int()> random = {});

}  // namespace frontend
