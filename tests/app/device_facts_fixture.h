// Test fixture: the device facts of a graphics device that offers everything the detail settings ask about.
#pragma once

#include <string>

#include "app/hardware_info.h"

namespace app::testing_support {

inline DeviceFacts CapableDeviceFacts(const std::string& adapter = "Corsaire Test Adapter", int videoMB = 128) {
  namespace gfx = platform::gfx;
  DeviceFacts facts;
  facts.adapterDescription = adapter;
  facts.availableTextureMemory = static_cast<uint64_t>(videoMB) << 20;
  gfx::Caps& caps = facts.caps;
  caps.textureFilterCaps = gfx::texture_filter_caps::kMipLinear | gfx::texture_filter_caps::kMinLinear;
  caps.textureAddressCaps = gfx::texture_address_caps::kClamp | gfx::texture_address_caps::kBorder;
  caps.maxActiveLights = 8;
  caps.maxSimultaneousTextures = 4;
  caps.maxTextureBlendStages = 8;
  caps.stencilCaps = 0xFF;
  caps.zCmpCaps = 0xFF;
  caps.alphaCmpCaps = 0xFF;
  caps.srcBlendCaps = 0x1FFF;
  caps.destBlendCaps = 0x1FFF;
  caps.textureOpCaps = 0x3FFFFFF;
  caps.textureCaps = gfx::texture_caps::kCubeMap | gfx::texture_caps::kProjected | gfx::texture_caps::kMipMap;
  caps.rasterCaps = gfx::raster_caps::kFogTable | gfx::raster_caps::kZFog | gfx::raster_caps::kFogVertex;
  caps.maxPointSize = 64.0f;
  caps.maxUserClipPlanes = 6;
  facts.autoDepthStencilFormat = gfx::Format::D24S8;
  return facts;
}

inline MachineFacts FastMachine() { return {3000, 4096, 8}; }

}  // namespace app::testing_support
