// Device catalog: walks the graphics system's adapters, modes and devices and keeps what meets the minimums.
#include "app/device_catalog.h"

#include <algorithm>

namespace app {

using platform::HResult;
using platform::gfx::Format;

namespace {

// Back-buffer formats in the order they are preferred.
constexpr Format kBackBufferFormats[] = {Format::A8R8G8B8, Format::X8R8G8B8, Format::R5G6B5, Format::A1R5G5B5,
                                         Format::X1R5G5B5};

// Depth/stencil formats in the order they are preferred.
constexpr Format kDepthStencilFormats[] = {Format::D16, Format::D15S1, Format::D24X8,
                                           Format::D24S8, Format::D24X4S4, Format::D32};

constexpr uint32_t kMaxMultiSamples = 16;

constexpr uint32_t kPresentIntervals[] = {
    platform::gfx::present_interval::kImmediate, platform::gfx::present_interval::kDefault,
    platform::gfx::present_interval::kOne,       platform::gfx::present_interval::kTwo,
    platform::gfx::present_interval::kThree,     platform::gfx::present_interval::kFour};

}  // namespace

int ColorChannelBits(Format format) {
  switch (format) {
    case Format::R8G8B8:
    case Format::A8R8G8B8:
    case Format::X8R8G8B8:
      return 8;
    case Format::R5G6B5:
    case Format::X1R5G5B5:
    case Format::A1R5G5B5:
      return 5;
    case Format::A4R4G4B4:
    case Format::X4R4G4B4:
      return 4;
    case Format::R3G3B2:
    case Format::A8R3G3B2:
      return 2;
    case Format::A2B10G10R10:
      return 10;
    default:
      return 0;
  }
}

int AlphaChannelBits(Format format) {
  switch (format) {
    case Format::A8R8G8B8:
    case Format::A8R3G3B2:
      return 8;
    case Format::A1R5G5B5:
      return 1;
    case Format::A4R4G4B4:
      return 4;
    case Format::A2B10G10R10:
      return 2;
    default:
      return 0;
  }
}

int DepthBits(Format format) {
  switch (format) {
    case Format::D16:
      return 16;
    case Format::D15S1:
      return 15;
    case Format::D24X8:
    case Format::D24S8:
    case Format::D24X4S4:
      return 24;
    case Format::D32:
      return 32;
    default:
      return 0;
  }
}

int StencilBits(Format format) {
  switch (format) {
    case Format::D15S1:
      return 1;
    case Format::D24S8:
      return 8;
    case Format::D24X4S4:
      return 4;
    default:
      return 0;
  }
}

DeviceCatalog::DeviceCatalog(const platform::gfx::GraphicsSystem* direct3D, uint32_t minWidth, uint32_t minHeight,
                             int minColorBits, int minAlphaBits, int minDepthBits, int minStencilBits)
    : minWidth(minWidth),
      minHeight(minHeight),
      minColorBits(minColorBits),
      minAlphaBits(minAlphaBits),
      minDepthBits(minDepthBits),
      minStencilBits(minStencilBits),
      direct3D_(direct3D) {}

HResult DeviceCatalog::Enumerate() {
  adapters_.clear();
  if (direct3D_ == nullptr) return platform::kFail;

  const uint32_t adapterCount = direct3D_->GetAdapterCount();
  for (uint32_t ordinal = 0; ordinal < adapterCount; ++ordinal) {
    AdapterEntry adapter;
    adapter.adapterOrdinal = ordinal;
    direct3D_->GetAdapterIdentifier(ordinal, 0, adapter.identifier);

    // Each adapter format is tested once: a format shared by many modes gives the same combinations every time.
    std::vector<Format> adapterFormats;
    const uint32_t modeCount = direct3D_->GetAdapterModeCount(ordinal);
    for (uint32_t index = 0; index < modeCount; ++index) {
      platform::gfx::DisplayMode mode;
      if (platform::Failed(direct3D_->EnumAdapterModes(ordinal, index, mode))) continue;
      if (mode.width < minWidth || mode.height < minHeight) continue;
      if (ColorChannelBits(mode.format) < minColorBits) continue;
      adapter.displayModes.push_back(mode);
      if (std::find(adapterFormats.begin(), adapterFormats.end(), mode.format) == adapterFormats.end()) {
        adapterFormats.push_back(mode.format);
      }
    }

    const HResult result = EnumerateDevices(adapter, adapterFormats);
    if (platform::Failed(result)) return result;
    if (!adapter.devices.empty()) adapters_.push_back(std::move(adapter));
  }
  return platform::kOk;
}

HResult DeviceCatalog::EnumerateDevices(AdapterEntry& adapter, const std::vector<Format>& adapterFormats) {
  // Only hardware devices are of use to a game.
  DeviceEntry device;
  device.adapterOrdinal = adapter.adapterOrdinal;
  device.deviceType = platform::gfx::DeviceType::Hal;
  const HResult result = direct3D_->GetDeviceCaps(device.adapterOrdinal, device.deviceType, device.caps);
  if (platform::Failed(result)) return result;
  EnumerateFormatCombos(device, adapterFormats);
  if (!device.formatCombos.empty()) adapter.devices.push_back(std::move(device));
  return platform::kOk;
}

void DeviceCatalog::EnumerateFormatCombos(DeviceEntry& device, const std::vector<Format>& adapterFormats) {
  for (Format adapterFormat : adapterFormats) {
    for (Format backBufferFormat : kBackBufferFormats) {
      if (AlphaChannelBits(backBufferFormat) < minAlphaBits) continue;
      for (bool windowed : {false, true}) {
        if (platform::Failed(direct3D_->CheckDeviceType(device.adapterOrdinal, device.deviceType, adapterFormat,
                                                         backBufferFormat, windowed))) {
          continue;
        }
        FormatCombo combo;
        combo.adapterOrdinal = device.adapterOrdinal;
        combo.deviceType = device.deviceType;
        combo.adapterFormat = adapterFormat;
        combo.backBufferFormat = backBufferFormat;
        combo.windowed = windowed;
        BuildDepthStencilFormats(combo);
        if (combo.depthStencilFormats.empty()) continue;
        BuildMultiSampleTypes(combo);
        if (combo.multiSampleTypes.empty()) continue;
        BuildVertexProcessingTypes(device, combo);
        if (combo.vertexProcessingTypes.empty()) continue;
        BuildPresentIntervals(device, combo);
        if (combo.presentIntervals.empty()) continue;
        device.formatCombos.push_back(std::move(combo));
      }
    }
  }
}

void DeviceCatalog::BuildDepthStencilFormats(FormatCombo& combo) const {
  for (Format format : kDepthStencilFormats) {
    if (DepthBits(format) < minDepthBits || StencilBits(format) < minStencilBits) continue;
    if (platform::Failed(direct3D_->CheckDeviceFormat(combo.adapterOrdinal, combo.deviceType, combo.adapterFormat,
                                                      platform::gfx::usage::kDepthStencil,
                                                      platform::gfx::ResourceType::Surface, format))) {
      continue;
    }
    if (platform::Failed(direct3D_->CheckDepthStencilMatch(combo.adapterOrdinal, combo.deviceType,
                                                           combo.adapterFormat, combo.backBufferFormat, format))) {
      continue;
    }
    combo.depthStencilFormats.push_back(format);
  }
}

void DeviceCatalog::BuildMultiSampleTypes(FormatCombo& combo) const {
  for (uint32_t samples = 0; samples <= kMaxMultiSamples; ++samples) {
    if (samples == 1) continue;  // 0 is "none"; counts start at 2
    if (platform::Succeeded(direct3D_->CheckDeviceMultiSampleType(combo.adapterOrdinal, combo.deviceType,
                                                                   combo.backBufferFormat, combo.windowed, samples))) {
      combo.multiSampleTypes.push_back(samples);
    }
  }
}

void DeviceCatalog::BuildVertexProcessingTypes(const DeviceEntry& device, FormatCombo& combo) const {
  const uint32_t devCaps = device.caps.devCaps;
  if (devCaps & platform::gfx::dev_caps::kHwTransformAndLight) {
    if (devCaps & platform::gfx::dev_caps::kPureDevice) {
      combo.vertexProcessingTypes.push_back(VertexProcessingType::PureHardware);
    }
    combo.vertexProcessingTypes.push_back(VertexProcessingType::Hardware);
    if (allowMixedVertexProcessing) combo.vertexProcessingTypes.push_back(VertexProcessingType::Mixed);
  }
  combo.vertexProcessingTypes.push_back(VertexProcessingType::Software);
}

void DeviceCatalog::BuildPresentIntervals(const DeviceEntry& device, FormatCombo& combo) const {
  for (uint32_t interval : kPresentIntervals) {
    if (combo.windowed && (interval == platform::gfx::present_interval::kTwo ||
                           interval == platform::gfx::present_interval::kThree ||
                           interval == platform::gfx::present_interval::kFour)) {
      continue;
    }
    if (interval != platform::gfx::present_interval::kDefault &&
        (device.caps.presentationIntervals & interval) == 0) {
      continue;
    }
    combo.presentIntervals.push_back(interval);
  }
}

}  // namespace app
