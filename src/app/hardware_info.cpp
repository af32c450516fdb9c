// Hardware detection: the machine's facts and the graphics device's capabilities for the detail settings.
#include "app/hardware_info.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/os.h"
#include "platform/window_system.h"

namespace app {

namespace gfx = platform::gfx;

int GetTotalMemoryMB() {
  const uint64_t megabytes = platform::InstalledMemoryBytes() / 1048576u;
  return static_cast<int>(std::min<uint64_t>(megabytes, INT_MAX));
}

int GetCpuMhz() {
  const int mhz = platform::ProcessorMegahertz();
  return mhz > 0 ? mhz : -1;
}

// The graphics layer here is not one of the old consumer systems that lacked audio-CD support.
int GetOsVersionCode() { return 8; }

MachineFacts ReadMachineFacts() { return {GetCpuMhz(), GetTotalMemoryMB(), GetOsVersionCode()}; }

namespace {

// Texture-stage and render states a probe may change, saved first and put back after.
class SavedStageStates {
 public:
  explicit SavedStageStates(gfx::Device& device) : device_(device) {
    for (uint32_t stage = 0; stage < kProbedStages; ++stage) {
      for (uint32_t code = 1; code < gfx::kTextureStageStateCount; ++code) {
        const auto state = static_cast<gfx::TextureStageState>(code);
        uint32_t value = 0;
        if (platform::Succeeded(device.GetTextureStageState(stage, state, value))) {
          stageStates_.push_back({stage, state, value});
        }
      }
    }
    specularSaved_ = platform::Succeeded(device.GetRenderState(gfx::RenderState::SpecularEnable, specular_));
  }
  ~SavedStageStates() {
    for (const Entry& entry : stageStates_) device_.SetTextureStageState(entry.stage, entry.state, entry.value);
    if (specularSaved_) device_.SetRenderState(gfx::RenderState::SpecularEnable, specular_);
  }
  SavedStageStates(const SavedStageStates&) = delete;
  SavedStageStates& operator=(const SavedStageStates&) = delete;

 private:
  static constexpr uint32_t kProbedStages = 3;
  struct Entry {
    uint32_t stage;
    gfx::TextureStageState state;
    uint32_t value;
  };
  gfx::Device& device_;
  std::vector<Entry> stageStates_;
  uint32_t specular_ = 0;
  bool specularSaved_ = false;
};

platform::HResult Validate(gfx::Device& device) {
  uint32_t passes = 0;
  return device.ValidateDevice(passes);
}

using TSS = gfx::TextureStageState;
using gfx::TextureOp;
namespace arg = gfx::texture_arg;

platform::HResult ProbeCubeMap(gfx::Device& device) {
  SavedStageStates saved(device);
  device.SetTextureStageState(1, TSS::TextureTransformFlags, gfx::texture_transform::kDisable);
  device.SetTextureStageState(1, TSS::TexCoordIndex, gfx::texcoord_index::kCameraSpaceReflectionVector);
  return Validate(device);
}

platform::HResult ProbeReflectionSpecular(gfx::Device& device) {
  SavedStageStates saved(device);
  device.SetTextureStageState(0, TSS::AlphaArg1, arg::kTexture);
  device.SetTextureStageState(1, TSS::TexCoordIndex, gfx::texcoord_index::kCameraSpaceReflectionVector);
  device.SetTextureStageState(1, TSS::ColorArg1, arg::kCurrent);
  device.SetTextureStageState(1, TSS::ColorArg2, arg::kTexture);
  device.SetTextureStageState(1, TSS::ColorOp, TextureOp::ModulateAlphaAddColor);
  device.SetRenderState(gfx::RenderState::SpecularEnable, 0);
  device.SetTextureStageState(2, TSS::ColorArg1, arg::kCurrent);
  device.SetTextureStageState(2, TSS::ColorArg2, arg::kSpecular);
  device.SetTextureStageState(2, TSS::ColorOp, TextureOp::ModulateAlphaAddColor);
  return Validate(device);
}

platform::HResult ProbeSpecularStages(gfx::Device& device) {
  SavedStageStates saved(device);
  device.SetTextureStageState(0, TSS::AlphaArg1, arg::kTexture);
  for (uint32_t stage = 1; stage <= 2; ++stage) {
    device.SetTextureStageState(stage, TSS::ColorArg1, arg::kCurrent);
    device.SetTextureStageState(stage, TSS::ColorArg2, arg::kSpecular);
    device.SetTextureStageState(stage, TSS::ColorOp, TextureOp::ModulateAlphaAddColor);
  }
  device.SetRenderState(gfx::RenderState::SpecularEnable, 0);
  return Validate(device);
}

platform::HResult ProbeProjection(gfx::Device& device) {
  SavedStageStates saved(device);
  device.SetTextureStageState(1, TSS::TextureTransformFlags,
                              gfx::texture_transform::kCount3 | gfx::texture_transform::kProjected);
  device.SetTextureStageState(1, TSS::TexCoordIndex, gfx::texcoord_index::kCameraSpacePosition | 2u);
  return Validate(device);
}

std::string UpperCase(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool BeginsWith(const std::string& name, const char* literal) { return name.rfind(literal, 0) == 0; }
bool Contains(const std::string& name, const char* literal) { return name.find(literal) != std::string::npos; }

// A failed validation switches the probed feature off, except a lost device, which says nothing about it.
bool ProbeFailed(platform::HResult result) { return platform::Failed(result) && result != platform::kDeviceLost; }

int ToInt(uint32_t value) { return static_cast<int>(std::min<uint32_t>(value, INT_MAX)); }

}  // namespace

DeviceFacts GatherDeviceFacts(gfx::Device& device, const gfx::GraphicsSystem& graphics,
                              const gfx::PresentParameters& presentParameters) {
  DeviceFacts facts;
  device.GetDeviceCaps(facts.caps);
  gfx::AdapterIdentifier identifier;
  if (platform::Succeeded(graphics.GetAdapterIdentifier(0, 0, identifier))) {
    facts.adapterDescription = identifier.description;
  }
  facts.availableTextureMemory = device.GetAvailableTextureMemory();
  facts.autoDepthStencilFormat = presentParameters.autoDepthStencilFormat;

  gfx::SurfaceDesc backBuffer;
  device.GetBackBufferDesc(backBuffer);
  const auto formatSupported = [&](uint32_t usage, gfx::Format format) {
    return platform::Succeeded(graphics.CheckDeviceFormat(0, gfx::DeviceType::Hal, backBuffer.format, usage,
                                                          gfx::ResourceType::Texture, format));
  };
  facts.renderTargetTexture = formatSupported(gfx::usage::kRenderTarget, backBuffer.format);
  facts.dxt1 = formatSupported(0, gfx::Format::Dxt1);
  facts.dxt2 = formatSupported(0, gfx::Format::Dxt2);
  facts.dxt3 = formatSupported(0, gfx::Format::Dxt3);

  facts.cubeMapProbe = ProbeCubeMap(device);
  facts.reflectionSpecularProbe = ProbeReflectionSpecular(device);
  facts.specularStagesProbe = ProbeSpecularStages(device);
  facts.projectionProbe = ProbeProjection(device);
  return facts;
}

HardwareInfo::HardwareInfo() : HardwareInfo(ReadMachineFacts()) {}

HardwareInfo::HardwareInfo(const MachineFacts& machine) : machine_(machine) { capFlags_.fill(true); }

bool IsWeakIntelName(const std::string& name) {
  // Mesa names Intel chips "Mesa Intel(R) ..." (older drivers "Mesa DRI Intel(R) ..."). Arc cards are Intel's
  // discrete ones and not weak.
  const bool intel = BeginsWith(name, "INTEL") || BeginsWith(name, "MESA INTEL") || BeginsWith(name, "MESA DRI INTEL");
  return intel && !Contains(name, " ARC");
}

bool IsWeakIntegratedName(const std::string& name) {
  if (Contains(name, "INTEGRATED")) return true;
  // Drivers that draw on the processor.
  for (const char* software : {"LLVMPIPE", "SOFTPIPE", "SWRAST", "SOFTWARE RASTERIZER"}) {
    if (Contains(name, software)) return true;
  }
  // AMD's processor graphics: Mesa gives them no model number ("AMD Radeon Graphics (renoir, ...)") or a Vega
  // with its compute-unit count, and names the chip in brackets.
  if (!Contains(name, "AMD") && !Contains(name, "RADEON")) return false;
  if (Contains(name, "VEGA") && Contains(name, " GRAPHICS")) return true;
  if (Contains(name, "RADEON GRAPHICS") || Contains(name, "RADEON(TM) GRAPHICS")) return true;
  for (const char* chip : {"CARRIZO", "STONEY", "KAVERI", "KABINI", "MULLINS", "RAVEN", "PICASSO", "RENOIR", "CEZANNE",
                           "LUCIENNE", "BARCELO", "REMBRANDT", "MENDOCINO", "PHOENIX", "VANGOGH", "GFX1036", "GFX1103"}) {
    if (Contains(name, (std::string("(") + chip).c_str()) || BeginsWith(name, (std::string("AMD ") + chip).c_str())) {
      return true;
    }
  }
  return false;
}

void HardwareInfo::Detect(gfx::Device& device, const gfx::GraphicsSystem& graphics,
                          const gfx::PresentParameters& presentParameters) {
  DetectFrom(GatherDeviceFacts(device, graphics, presentParameters));
}

void HardwareInfo::DetectFrom(const DeviceFacts& facts) {
  namespace tex = gfx::texture_op_caps;
  const gfx::Caps& caps = facts.caps;
  capFlags_.fill(true);
  capValues_.fill(0);
  detected_ = true;
  const auto off = [this](Capability cap) { capFlags_[cap] = false; };

  adapterName_ = UpperCase(facts.adapterDescription);
  const std::string& name = adapterName_;
  videoMemoryMB_ = static_cast<int>(std::min<uint64_t>(facts.availableTextureMemory >> 20, INT_MAX));
  weakIntelAdapter_ = IsWeakIntelName(name);
  weakIntegratedAdapter_ = IsWeakIntegratedName(name);

  capValues_[VAL_MAX_TEXTURES] = ToInt(caps.maxSimultaneousTextures);
  capValues_[VAL_MAX_STAGES] = ToInt(caps.maxTextureBlendStages);
  capValues_[VAL_MAX_LIGHTS] = std::max(1, ToInt(caps.maxActiveLights));
  capValues_[VAL_MIP_FILTER] = (caps.textureFilterCaps & gfx::texture_filter_caps::kMipLinear) ? 2 : 1;
  capValues_[VAL_TARGET_SIZE] = 1024;

  if (!facts.renderTargetTexture) off(CAP_RENDER_TARGET);
  if (!facts.dxt1) off(CAP_DXT1);
  if (!facts.dxt2) off(CAP_DXT2);
  if (!facts.dxt3) off(CAP_DXT3);

  // Adapters known to misbehave with features their drivers report.
  if (Contains(name, "MATROX MILLENNIUM G450")) off(CAP_RENDER_TARGET);
  if (Contains(name, "VIPER") || Contains(name, "VOODOO")) {
    off(CAP_DXT1);
    off(CAP_DXT2);
    off(CAP_DXT3);
  }
  if (BeginsWith(name, "S3 GRAPHICS SAVAGE/IX") || BeginsWith(name, "S3 GRAPHICS SUPERSAVAGE/IX")) {
    off(CAP_RENDER_TARGET);
  }
  if (capFlags_[CAP_RENDER_TARGET] && BeginsWith(name, "MOBILITY")) capValues_[VAL_TARGET_SIZE] = 256;

  {
    namespace st = gfx::stencil_caps;
    namespace cmp = gfx::compare_caps;
    const uint32_t neededStencil = st::kKeep | st::kIncr | st::kIncrSat | st::kDecr;
    const uint32_t neededCompare = cmp::kLessEqual | cmp::kAlways;
    const gfx::Format depth = facts.autoDepthStencilFormat;
    if (BeginsWith(name, "DIAMOND VIPER II Z200") || BeginsWith(name, "TRIDENT CYBERBLADE") ||
        (caps.stencilCaps & neededStencil) != neededStencil || (caps.zCmpCaps & neededCompare) != neededCompare ||
        (depth != gfx::Format::D15S1 && depth != gfx::Format::D24S8 && depth != gfx::Format::D24X4S4)) {
      off(CAP_STENCIL_SHADOWS);
    }
  }

  if (!(caps.textureOpCaps & tex::kModulateAlphaAddColor)) off(CAP_MODULATE_ALPHA_ADD_COLOR);

  if (!(caps.textureCaps & gfx::texture_caps::kCubeMap) || caps.maxSimultaneousTextures < 2 ||
      BeginsWith(name, "MOBILITY") || BeginsWith(name, "TRIDENT CYBERBLADE")) {
    off(CAP_CUBE_MAP);
  }
  if (ProbeFailed(facts.cubeMapProbe)) off(CAP_CUBE_MAP);

  if (!capFlags_[CAP_CUBE_MAP] || !capFlags_[CAP_MODULATE_ALPHA_ADD_COLOR] ||
      ProbeFailed(facts.reflectionSpecularProbe)) {
    off(CAP_REFLECTION_SPECULAR);
  }
  if (!capFlags_[CAP_MODULATE_ALPHA_ADD_COLOR] || ProbeFailed(facts.specularStagesProbe)) off(CAP_SPECULAR_STAGES);

  if (!(caps.textureCaps & gfx::texture_caps::kProjected) || ProbeFailed(facts.projectionProbe) ||
      BeginsWith(name, "AG315-64")) {
    off(CAP_PROJECTED_TEXTURE);
  }

  {
    namespace address = gfx::texture_address_caps;
    if (caps.textureAddressCaps & address::kBorder) {
      capValues_[VAL_CLAMP_ADDRESS] = 4;
    } else if (caps.textureAddressCaps & address::kClamp) {
      capValues_[VAL_CLAMP_ADDRESS] = 3;
    } else {
      capValues_[VAL_CLAMP_ADDRESS] = 4;
      off(CAP_PROJECTED_TEXTURE);
    }
  }
  if (Contains(name, "INTEL(R) 82810")) off(CAP_RENDER_TARGET);

  if (!(caps.srcBlendCaps & gfx::blend_caps::kOne) || !(caps.destBlendCaps & gfx::blend_caps::kOne)) {
    off(CAP_ADDITIVE_BLEND);
  }
  if (!(caps.textureOpCaps & tex::kBlendFactorAlpha)) off(CAP_BLEND_FACTOR_ALPHA);
  if (!(caps.textureOpCaps & tex::kAddSmooth)) off(CAP_ADD_SMOOTH);
  if (!(caps.textureOpCaps & tex::kModulate2x)) off(CAP_MODULATE_2X);
  if (!(caps.textureOpCaps & tex::kModulate4x)) off(CAP_MODULATE_4X);
  if (!(caps.textureOpCaps & tex::kDotProduct3)) off(CAP_DOT_PRODUCT3);
  {
    namespace raster = gfx::raster_caps;
    if ((caps.rasterCaps & (raster::kFogTable | raster::kZFog)) != (raster::kFogTable | raster::kZFog)) {
      off(CAP_TABLE_FOG);
    }
  }
  if (!(caps.maxPointSize > 1.0f)) off(CAP_POINT_SPRITES);
  if (!(caps.alphaCmpCaps & gfx::compare_caps::kGreater)) off(CAP_ALPHA_TEST_GREATER);

  if (caps.maxUserClipPlanes == 0 && !BeginsWith(name, "NVIDIA GEFORCE4")) off(CAP_USER_CLIP);
  if (BeginsWith(name, "NVIDIA QUADRO FX") || BeginsWith(name, "NVIDIA GEFORCE FX")) off(CAP_USER_CLIP);
}

void HardwareInfo::ComplainIfUndetected(const char* question) const {
  if (detected_) return;
  const std::string text = std::string(question) + " requested before D3D setup completed";
  if (windows_ != nullptr) {
    windows_->MessageBox(text, "DETECTION ERROR", platform::message_box::kIconError);
  } else {
    std::fprintf(stderr, "DETECTION ERROR: %s\n", text.c_str());
  }
}

int HardwareInfo::GetCapability(int index) const {
  ComplainIfUndetected("D3D Capability Value");
  if (index < 0 || index >= kCapabilityValueCount) return 0;
  return capValues_[index];
}

bool HardwareInfo::HasCapability(int index) const {
  ComplainIfUndetected("D3D Capability");
  if (index < 0 || index >= kCapabilityCount) return false;
  return capFlags_[index];
}

const std::string& HardwareInfo::GetAdapterName() const {
  ComplainIfUndetected("Adapter name");
  return adapterName_;
}

int HardwareInfo::GetVideoMemory() const {
  ComplainIfUndetected("VRAM");
  return videoMemoryMB_;
}

}  // namespace app
