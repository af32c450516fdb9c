// Cube environment maps for reflections: loaded from a DDS cube file, built from six face pictures, created
// empty, or created as a render target the race draws its surroundings into face by face.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/gfx/graphics.h"
#include "platform/result.h"

namespace render {

enum CubeMapMode : uint32_t {
  kCubeFromFile = 0,
  kCubeFromFaces = 1,
  kCubeEmpty = 2,
  kCubeRenderTarget = 3,
};

class CubeMap {
 public:
  CubeMap();
  ~CubeMap();
  CubeMap(const CubeMap&) = delete;
  CubeMap& operator=(const CubeMap&) = delete;

  // An empty map of edge size in the back buffer's format (mode 0 counts as 2); kFail when it cannot be made.
  platform::HResult Create(platform::gfx::Device* device, uint32_t edge, uint32_t createMode);
  // Mode 0: a DDS cube file (one level, its own format). kFail when the file is missing or not a cube map.
  platform::HResult LoadFromFile(platform::gfx::Device* device, const std::string& fileName);
  // Mode 1: six pictures in face order +X, −X, +Y, −Y, +Z, −Z. kFail (and not ready) when any face fails to load.
  platform::HResult LoadFaces(platform::gfx::Device* device, const std::array<std::string, 6>& names);
  // Edge = width of the first texture; each square texture is scaled into its face, others leave it as it was.
  platform::HResult BuildFromTextures(platform::gfx::Device* device,
                                      const std::array<platform::gfx::Texture*, 6>& textures);
  void CopyFace(platform::gfx::Device* device, uint32_t face, platform::gfx::Texture* texture);

  // The device-reset pair: release before the reset, rebuild by mode after it.
  void Invalidate();
  void Restore(platform::gfx::Device* device);

  // Drawing into a mode-3 map; each returns kFail in any other mode.
  platform::HResult BeginCubeRender();
  platform::HResult SetCubeRenderFace(uint32_t face);
  platform::HResult EndCubeRender();

  platform::gfx::CubeTexture* GetCubeTexture() const { return cubeTexture; }

  platform::gfx::CubeTexture* cubeTexture = nullptr;
  std::string name;
  std::array<std::string, 6> faceNames;
  uint32_t size = 64;
  bool ready = false;
  uint32_t mode = kCubeEmpty;

 private:
  // What drawing into the map needs: its own depth buffer, and the target it replaces while drawing.
  struct CubeRenderer {
    platform::gfx::Device* device = nullptr;
    platform::gfx::Surface* depthStencil = nullptr;
    platform::gfx::Surface* savedTarget = nullptr;
    platform::gfx::Surface* savedDepth = nullptr;
    platform::gfx::Viewport savedViewport;
    bool drawing = false;
  };
  void ReleaseDeviceObjects();
  platform::HResult RestoreSavedTarget();
  CubeRenderer* envRenderer_ = nullptr;
};

}  // namespace render
