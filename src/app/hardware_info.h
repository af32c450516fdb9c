// What the game knows of the machine and its graphics device: adapter name, video memory, capability values
// and flags for the detail settings, and the processor, memory and system facts behind the machine tier.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/gfx/types.h"
#include "platform/result.h"

namespace platform {
class WindowSystem;
}  // namespace platform
namespace platform::gfx {
class Device;
class GraphicsSystem;
}  // namespace platform::gfx

namespace app {

// Capability values, read with HardwareInfo::GetCapability.
enum CapabilityValue : int {
  VAL_MIP_FILTER = 0,     // 2 linear mip filtering, else 1 point
  VAL_CLAMP_ADDRESS = 1,  // 4 border addressing, else 3 clamp
  VAL_MAX_LIGHTS = 2,     // active lights, at least 1
  VAL_MAX_TEXTURES = 3,   // simultaneous textures
  VAL_MAX_STAGES = 4,     // texture blend stages
  VAL_TARGET_SIZE = 5,    // width of the scene's render-target images: 1024, or 256 on weak mobile adapters
  kCapabilityValueCount = 6
};

// Capability flags, read with HardwareInfo::HasCapability. Indices 4, 5, 11 and 17 are unused.
enum Capability : int {
  CAP_RENDER_TARGET = 0,
  CAP_STENCIL_SHADOWS = 1,
  CAP_CUBE_MAP = 2,
  CAP_PROJECTED_TEXTURE = 3,
  CAP_BLEND_FACTOR_ALPHA = 6,
  CAP_POINT_SPRITES = 7,
  CAP_MODULATE_ALPHA_ADD_COLOR = 8,
  CAP_ADDITIVE_BLEND = 9,
  CAP_ADD_SMOOTH = 10,
  CAP_MODULATE_2X = 12,
  CAP_MODULATE_4X = 13,
  CAP_DOT_PRODUCT3 = 14,
  CAP_ALPHA_TEST_GREATER = 15,
  CAP_TABLE_FOG = 16,
  CAP_USER_CLIP = 18,
  CAP_REFLECTION_SPECULAR = 19,
  CAP_SPECULAR_STAGES = 20,
  CAP_DXT1 = 21,
  CAP_DXT2 = 22,
  CAP_DXT3 = 23,
  kCapabilityCount = 24
};

// Processor, memory and system facts. Unknown processor clock is -1 (the tier then assumes 1000 MHz).
struct MachineFacts {
  int processorMhz = -1;
  int installedMemoryMB = 0;
  // 0-2 old consumer systems (no audio CD playback), 3-7 other old systems, 8 anything else.
  int osVersionCode = 8;
};

// Reads the machine facts from the operating system.
MachineFacts ReadMachineFacts();
// Installed memory in MB; processor clock in MHz or -1 when unknown; the system version code (8 here).
int GetTotalMemoryMB();
int GetCpuMhz();
int GetOsVersionCode();

// Everything detection reads from the graphics device, gathered first so the rules can be tested without one.
// A probe result is what validating a texture-stage set-up answered.
struct DeviceFacts {
  std::string adapterDescription;
  uint64_t availableTextureMemory = 0;  // bytes
  platform::gfx::Caps caps;
  platform::gfx::Format autoDepthStencilFormat = platform::gfx::Format::Unknown;
  bool renderTargetTexture = true;  // a texture in the back-buffer format can be rendered into
  bool dxt1 = true, dxt2 = true, dxt3 = true;
  platform::HResult cubeMapProbe = platform::kOk;             // reflection-vector coordinates on stage 1
  platform::HResult reflectionSpecularProbe = platform::kOk;  // cube reflection plus specular, three stages
  platform::HResult specularStagesProbe = platform::kOk;      // specular added on two stages
  platform::HResult projectionProbe = platform::kOk;          // projected camera-space coordinates
};

// Reads the facts from the device: its capabilities, adapter 0, texture memory, format checks, and the four
// texture-stage probes, each of which puts back every state it changed.
DeviceFacts GatherDeviceFacts(platform::gfx::Device& device, const platform::gfx::GraphicsSystem& graphics,
                              const platform::gfx::PresentParameters& presentParameters);

// Adapter names (upper case) of weak graphics, as the drivers of either desktop spell them: Intel's integrated
// chips; and any integrated chip, software renderers and AMD's processor graphics included.
bool IsWeakIntelName(const std::string& name);
bool IsWeakIntegratedName(const std::string& name);

class HardwareInfo {
 public:
  // Reads the machine facts from the system; the device part waits for Detect.
  HardwareInfo();
  // Uses the given machine facts (tests, tools).
  explicit HardwareInfo(const MachineFacts& machine);

  // Examines the device; run each time device objects are created.
  void Detect(platform::gfx::Device& device, const platform::gfx::GraphicsSystem& graphics,
              const platform::gfx::PresentParameters& presentParameters);
  // Applies the detection rules to gathered facts.
  void DetectFrom(const DeviceFacts& facts);

  // Where a question asked too early is shown: a message box titled "DETECTION ERROR"; without a window system
  // it goes to the error output.
  void SetWindowSystem(platform::WindowSystem* windows) { windows_ = windows; }
  // Asked before detection these show a box naming the question, then answer the initial value.
  // Indices outside the tables answer 0 / false.
  int GetCapability(int index) const;
  bool HasCapability(int index) const;
  const std::string& GetAdapterName() const;
  int GetVideoMemory() const;  // MB

  bool IsDetected() const { return detected_; }
  bool IsWeakIntelAdapter() const { return weakIntelAdapter_; }
  bool IsWeakIntegratedAdapter() const { return weakIntegratedAdapter_; }
  const MachineFacts& Machine() const { return machine_; }
  void SetMachine(const MachineFacts& machine) { machine_ = machine; }

 private:
  void ComplainIfUndetected(const char* question) const;

  std::string adapterName_ = "UNKNOWN";
  int videoMemoryMB_ = 0;
  std::array<int, kCapabilityValueCount> capValues_{};
  std::array<bool, kCapabilityCount> capFlags_{};
  bool detected_ = false;
  bool weakIntelAdapter_ = false;
  bool weakIntegratedAdapter_ = false;
  MachineFacts machine_;
  platform::WindowSystem* windows_ = nullptr;
};

}  // namespace app
