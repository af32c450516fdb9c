// A material image: up to five pictures (colour with its separate alpha, a second layer, a normal map, an
// environment picture or cube map), the Direct3D-style material and drawing flags, an optional render target,
// and three animation channels of texture-coordinate offsets.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "platform/result.h"
#include "render/resources/texture.h"

namespace render {

class ResourceManager;
class MovieTexture;
class CubeMap;

constexpr int kAnimationChannels = 3;
// Side of the black stand-in texture of a movie that cannot be played.
constexpr uint32_t kMovieStandInSize = 32;

class ImageResource {
 public:
  ImageResource(ResourceManager* owner, bool compressed);
  // Gives back the movies through the manager and frees the textures and the render target.
  ~ImageResource();
  ImageResource(const ImageResource&) = delete;
  ImageResource& operator=(const ImageResource&) = delete;

  // Loads never report failure: each returns kOk and what loaded shows in the flags.
  // The colour slot from one file: a picture, or an AVI movie (a black stand-in when it cannot be played).
  platform::HResult LoadFromFile(platform::gfx::Device* device, const std::string& name, bool keyed,
                                 uint32_t colourKey = kDefaultColourKey);
  // The colour slot from a picture and a separate alpha picture merged into it.
  platform::HResult LoadWithAlpha(platform::gfx::Device* device, const std::string& colour, const std::string& alpha);
  platform::HResult LoadLayer(platform::gfx::Device* device, const std::string& name);
  platform::HResult LoadNormalMap(platform::gfx::Device* device, const std::string& name);
  // A name ending in "DDS" (any case) loads a cube map, any other a 2D texture.
  platform::HResult LoadEnvironmentMap(platform::gfx::Device* device, const std::string& name);
  platform::HResult LoadCubeMap(platform::gfx::Device* device, const std::string& name);

  // The colour movie's texture when there is one, else the colour texture (null when none loaded).
  platform::gfx::Texture* GetImageTexture() const;
  platform::gfx::Texture* GetLayerTexture() const;
  platform::gfx::Texture* GetImageSurface() const { return GetLayerTexture(); }
  platform::gfx::Texture* GetAlphaTexture() const;
  platform::gfx::Texture* GetNormalMapTexture() const;
  platform::gfx::Texture* GetEnvironmentTexture() const;
  platform::gfx::Texture* GetRenderTargetTexture() const { return targetTexture; }
  CubeMap* GetCubeMap() const { return cubeMap; }
  // Size of the first present of: colour, alpha and layer texture, colour and layer movie; 0 when none.
  uint32_t GetImageWidth() const;
  uint32_t GetImageHeight() const;

  void SetReflective(bool on) { reflective = on; }
  void SetImageVisible(bool on) { SetReflective(on); }
  // Turning the normal map off is always possible; turning it on only keeps what loading found.
  void EnableNormalMap(bool on) {
    if (!on) normalMapped = false;
  }
  // Flip-book over a sheet of columns × rows frames, one frame every frameSeconds (stepping when the timer is
  // strictly past it). Channels outside 0-2 are ignored.
  void SetImageAnimation(int channel, uint32_t columnCount, uint32_t rowCount, float frameSeconds);
  // Scrolling at (u, v) texture units per second.
  void SetImageScroll(int channel, float speedU, float speedV);
  void QueueImageAnimation(int channel, float speedU, float speedV) { SetImageScroll(channel, speedU, speedV); }
  bool IsImageAnimating(int channel) const;
  void UpdateAnimation(float dt);
  void ResetAnimation();

  // Render target of width × height (height 0: square) in the back buffer's format.
  void CreateRenderTarget(platform::gfx::Device* device, uint32_t width, uint32_t height);
  void RestoreRenderTarget(platform::gfx::Device* device);
  void InvalidateRenderTarget();
  // Drawing into the render target; callers test targetReady first.
  platform::HResult BeginRenderToTexture();
  platform::HResult EndRenderToTexture();
  void SetReflectionPlane(const platform::Vec3& point, const platform::Vec3& normal);

  ResourceManager* owner = nullptr;
  platform::gfx::Material material;
  std::string colourName, alphaName, layerName, normalName, environmentName, cubeName;
  int32_t layerMode = 6;
  int32_t layerParam = 0;
  uint32_t targetWidth = 128;
  uint32_t targetHeight = 128;
  bool depthWrite = true;
  bool loaded = false;
  bool targetReady = false;
  bool hasAlpha = false;
  bool colourKeyed = false;
  bool alphaBlend = false;
  bool additive = false;
  bool hasLayer = false;
  bool reflective = false;
  bool isRenderTarget = false;
  bool alphaMerged = false;
  bool normalMapped = false;
  bool hasEnvironment = false;
  bool hasCubeMap = false;
  bool hasTexture = false;
  bool blankStandIn = false;
  std::array<bool, kAnimationChannels> flipRunning{};
  std::array<bool, kAnimationChannels> scrolling{};
  std::array<float, kAnimationChannels> scrollSpeedU{}, scrollSpeedV{};
  std::array<float, kAnimationChannels> offsetU{}, offsetV{};
  std::array<float, kAnimationChannels> frameTimer{}, frameDuration{};
  std::array<float, kAnimationChannels> rowStep{}, columnStep{};
  std::array<uint32_t, kAnimationChannels> columns{}, rows{}, column{};
  CubeMap* cubeMap = nullptr;
  std::unique_ptr<Texture> colourTexture, alphaTexture, layerTexture, normalTexture, environmentTexture;
  MovieTexture* colourMovie = nullptr;
  MovieTexture* layerMovie = nullptr;
  platform::gfx::Texture* targetTexture = nullptr;
  platform::Plane reflectionPlane;
  platform::Vec3 reflectionNormal;
  bool compressed = false;

  // The same fields under the names the model, scene and menu code use for them.
  int32_t& overlayPass = layerMode;
  int32_t& lightValue = layerParam;
  bool& renderTargetReady = targetReady;
  bool& additiveBlend = additive;
  bool& hasOverlay = hasLayer;
  bool& hasSeparateAlpha = alphaMerged;
  bool& hasNormalMap = normalMapped;
  bool& hasEnvironmentMap = hasEnvironment;
  bool& hasBaseTexture = hasTexture;
  bool& isBlank = blankStandIn;
  std::array<bool, kAnimationChannels>& frameRunning = flipRunning;
  std::array<bool, kAnimationChannels>& scrollRunning = scrolling;
  std::array<float, kAnimationChannels>& uOffset = offsetU;
  std::array<float, kAnimationChannels>& vOffset = offsetV;

 private:
  // What drawing into the target needs: its depth buffer and the target and viewport it replaces.
  struct RenderToSurface {
    platform::gfx::Device* device = nullptr;
    platform::gfx::Surface* depthStencil = nullptr;
    platform::gfx::Surface* savedTarget = nullptr;
    platform::gfx::Surface* savedDepth = nullptr;
    platform::gfx::Viewport savedViewport;
    bool drawing = false;
  };
  void ReleaseRenderTarget();
  platform::HResult RestoreSavedTarget();
  std::unique_ptr<RenderToSurface> renderToSurface_;
};

// The last three characters of a name longer than three, in upper case; empty otherwise.
std::string FileExtension(const std::string& name);

// Access by handle for widgets and effects that hold only the image pointer (null gives null / 0).
inline platform::gfx::Texture* GetImageTexture(const ImageResource* image) {
  return image != nullptr ? image->GetImageTexture() : nullptr;
}
inline platform::gfx::Texture* GetImageSurface(const ImageResource* image) {
  return image != nullptr ? image->GetLayerTexture() : nullptr;
}
inline uint32_t GetImageWidth(const ImageResource* image) { return image != nullptr ? image->GetImageWidth() : 0; }
inline uint32_t GetImageHeight(const ImageResource* image) { return image != nullptr ? image->GetImageHeight() : 0; }

}  // namespace render
