// A shared vertex-animated model posed by the named clips of its animation.dat; playing a clip at an offset
// picks the two stored frames shown and the fraction between them (posing, not a clock).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "geometry/models/model.h"
#include "platform/gfx/graphics.h"

namespace app {
class Settings;
}
namespace render {
class ResourceManager;
}

namespace geometry {

struct AnimationClip {
  std::vector<std::string> keyNames;
  std::vector<float> keyTimes;
  std::string name;
  uint32_t firstFrame = 0, lastFrame = 0;  // stored frame indices
  uint32_t length = 0;
  float rate = 0;
};

class AnimatedModel {
 public:
  AnimatedModel(render::ResourceManager* resourceManager, const app::Settings* settings);
  ~AnimatedModel();
  AnimatedModel(const AnimatedModel&) = delete;
  AnimatedModel& operator=(const AnimatedModel&) = delete;

  // Loads the shared model (folder empty: the path's folder) and the clips of animationFile (empty: the folder's
  // animation.dat), then plays clip 0 at offset 0. Missing files leave no frames or no clips.
  void Load(platform::gfx::Device* device, const std::string& path, const std::string& folder,
            const std::string& animationFile);
  // Reads clips from animation.dat text; false when the file cannot be read.
  bool ReadAnimationFile(const std::string& path);
  void ReadAnimationText(const std::string& text);
  // Deletes the clips and states and gives the model back.
  void Release();

  // Index of the first clip of exactly that name, or -1.
  int32_t FindClip(const std::string& name) const;
  // Last minus first stored frame of the clip; 0 when there is none of that name.
  uint32_t GetClipLength(const std::string& name) const;
  // Shows the clip at offset frames from its first frame, looping from its last frame back to its first.
  // Invalid indices and unknown names change nothing; negative offsets count as 0.
  void PlayClip(int32_t index, float offset);
  void PlayClipByName(const std::string& name, float offset);
  void StopAll();
  const ClipState* ActiveState() const { return activeStates.empty() ? nullptr : activeStates.front().get(); }

  // The front state's pose drawn by material kind, without and with an environment cube (the second also named
  // DrawWithParams), and the self-lit pass.
  void Draw(platform::gfx::Device* device, const platform::Matrix4& matrix);
  void DrawWithEnvironment(platform::gfx::Device* device, const platform::Matrix4& matrix,
                           platform::gfx::BaseTexture* environment);
  void DrawSimple(platform::gfx::Device* device, const platform::Matrix4& matrix);

  render::ResourceManager* resourceManager = nullptr;
  const app::Settings* settings = nullptr;
  Model* model = nullptr;
  std::vector<std::unique_ptr<AnimationClip>> clips;
  std::deque<std::unique_ptr<ClipState>> activeStates;

 private:
  // A model of our own when there is no resource manager to share one.
  std::unique_ptr<Model> ownModel_;
};

// Shared loads through the resource manager: one more reference when already loaded; a file that cannot be
// read still gives a registered, empty object. The releases drop one reference.
Model* LoadModel(render::ResourceManager& manager, platform::gfx::Device* device, const std::string& path,
                 const std::string& textureFolder);
void ReleaseModel(render::ResourceManager& manager, const Model* model);
// A new animated model on every call (its pose is its own); the Model under it is shared by file name.
AnimatedModel* LoadAnimatedModel(render::ResourceManager& manager, platform::gfx::Device* device,
                                 const std::string& path, const std::string& folder,
                                 const std::string& animationFile);
void ReleaseAnimatedModel(render::ResourceManager& manager, const AnimatedModel* model);

}  // namespace geometry
