// Device choice: picks from the device catalog one device setting for windowed use and one for full screen.
#include <algorithm>

#include "app/fatal_errors.h"
#include "app/graphics_app.h"

namespace app {

using platform::HResult;
namespace gfx = platform::gfx;

namespace {

// True when the list offers two samples beyond its first entry (the first is the no-multisampling default).
bool OffersTwoSamples(const std::vector<uint32_t>& types) {
  return types.size() > 1 && std::find(types.begin() + 1, types.end(), 2u) != types.end();
}

}  // namespace

bool GraphicsApp::FindBestWindowedMode() {
  // Records of an earlier catalog may be gone: a failed search leaves no stale choice behind.
  deviceSettings.windowedChoice = DeviceChoice{};
  if (!direct3D || !deviceCatalog) return false;

  gfx::DisplayMode desktop;
  if (platform::Failed(direct3D->GetAdapterDisplayMode(0, desktop))) return false;

  const AdapterEntry* bestAdapter = nullptr;
  const DeviceEntry* bestDevice = nullptr;
  const FormatCombo* bestCombo = nullptr;
  for (const AdapterEntry& adapter : deviceCatalog->Adapters()) {
    for (const DeviceEntry& device : adapter.devices) {
      for (const FormatCombo& combo : device.formatCombos) {
        if (!combo.windowed || combo.adapterFormat != desktop.format) continue;
        const bool exactMatch =
            device.deviceType == gfx::DeviceType::Hal && combo.backBufferFormat == combo.adapterFormat;
        if (bestCombo == nullptr || exactMatch) {
          bestAdapter = &adapter;
          bestDevice = &device;
          bestCombo = &combo;
          if (exactMatch) goto found;
        }
      }
    }
  }
found:
  if (bestCombo == nullptr) return false;

  DeviceChoice& choice = deviceSettings.windowedChoice;
  choice.adapter = bestAdapter;
  choice.device = bestDevice;
  choice.formatCombo = bestCombo;
  choice.displayMode = desktop;
  choice.clientWidth = clientRect.Width();
  choice.clientHeight = clientRect.Height();
  deviceSettings.isWindowed = true;
  choice.depthStencilFormat = bestCombo->depthStencilFormats.front();
  choice.multiSampleType = bestCombo->multiSampleTypes.front();
  choice.presentInterval = gfx::present_interval::kDefault;
  choice.vertexProcessingType = bestCombo->vertexProcessingTypes.front();

  windowedMultisampleOn = false;
  if ((bestDevice->caps.rasterCaps & gfx::raster_caps::kStretchBltMultisample) == 0) multisampleByRenderState = true;
  if (OffersTwoSamples(bestCombo->multiSampleTypes)) {
    windowedMultisampleAvailable = true;
    if (multisampleWanted) {
      windowedMultisampleOn = true;
      choice.multiSampleType = 2;
    }
  }
  return true;
}

bool GraphicsApp::FindBestFullscreenMode() {
  deviceSettings.fullscreenChoice = DeviceChoice{};
  if (!direct3D || !deviceCatalog) return false;

  const AdapterEntry* bestAdapter = nullptr;
  const DeviceEntry* bestDevice = nullptr;
  const FormatCombo* bestCombo = nullptr;
  gfx::DisplayMode bestDesktop;
  for (const AdapterEntry& adapter : deviceCatalog->Adapters()) {
    gfx::DisplayMode desktop;
    if (platform::Failed(direct3D->GetAdapterDisplayMode(adapter.adapterOrdinal, desktop))) continue;
    for (const DeviceEntry& device : adapter.devices) {
      if (device.deviceType != gfx::DeviceType::Hal) continue;
      for (const FormatCombo& combo : device.formatCombos) {
        if (combo.windowed) continue;
        bool take = bestCombo == nullptr;
        if (!take && combo.adapterFormat == desktop.format) {
          take = bestCombo->adapterFormat != desktop.format || combo.backBufferFormat == combo.adapterFormat;
        }
        if (!take) continue;
        bestAdapter = &adapter;
        bestDevice = &device;
        bestCombo = &combo;
        bestDesktop = desktop;
        if (combo.adapterFormat == desktop.format && combo.backBufferFormat == desktop.format) goto found;
      }
    }
  }
found:
  if (bestCombo == nullptr) return false;

  // The mode of the wanted size at the desktop's refresh rate, else the fastest of that size, else the first
  // of that width, else the first of the format.
  const gfx::DisplayMode* chosen = nullptr;
  bool sizeMatched = false;
  bool exactSizeTaken = false;
  for (const gfx::DisplayMode& mode : bestAdapter->displayModes) {
    if (mode.format != bestCombo->adapterFormat) continue;
    const bool sameSize =
        mode.width == static_cast<uint32_t>(width) && mode.height == static_cast<uint32_t>(height);
    if (sameSize && mode.refreshRate == bestDesktop.refreshRate) {
      chosen = &mode;
      break;
    }
    if (sameSize) {
      // A mode of another size taken earlier never outranks one of the wanted size.
      if (!exactSizeTaken || mode.refreshRate > chosen->refreshRate) {
        chosen = &mode;
        sizeMatched = true;
        exactSizeTaken = true;
      }
    } else if (mode.width == static_cast<uint32_t>(width)) {
      if (!sizeMatched) {
        chosen = &mode;
        sizeMatched = true;
      }
    } else if (chosen == nullptr && !sizeMatched) {
      chosen = &mode;
    }
  }
  if (chosen == nullptr) return false;

  DeviceChoice& choice = deviceSettings.fullscreenChoice;
  choice.adapter = bestAdapter;
  choice.device = bestDevice;
  choice.formatCombo = bestCombo;
  choice.displayMode = *chosen;
  deviceSettings.isWindowed = false;
  choice.depthStencilFormat = bestCombo->depthStencilFormats.front();
  choice.multiSampleType = bestCombo->multiSampleTypes.front();
  choice.vertexProcessingType = bestCombo->vertexProcessingTypes.front();
  choice.presentInterval = gfx::present_interval::kImmediate;

  fullscreenMultisampleOn = false;
  if ((bestDevice->caps.rasterCaps & gfx::raster_caps::kStretchBltMultisample) == 0) multisampleByRenderState = true;
  if (OffersTwoSamples(bestCombo->multiSampleTypes)) {
    fullscreenMultisampleAvailable = true;
    if (multisampleWanted) {
      fullscreenMultisampleOn = true;
      choice.multiSampleType = 2;
    }
  }
  return true;
}

HResult GraphicsApp::ChooseInitialSettings() {
  if (!deviceCatalog) return app_error::kNoCompatibleDevice;
  for (;;) {
    const bool fullscreenFound = FindBestFullscreenMode();
    const bool windowedFound = FindBestWindowedMode();
    if (startFullscreen && fullscreenFound) deviceSettings.isWindowed = false;
    if (!windowedFound && fullscreenFound) deviceSettings.isWindowed = false;
    if (windowedFound || (fullscreenFound && startFullscreen)) return platform::kOk;

    // Cards without a stencil depth format still run, without stencil shadows.
    if (deviceCatalog->minStencilBits == 0) break;
    deviceCatalog->minStencilBits = 0;
    const HResult result = deviceCatalog->Enumerate();
    if (platform::Failed(result)) return result;
  }
  // Here no windowed choice exists: isWindowed is already clear when a fullscreen one does.
  if (deviceSettings.fullscreenChoice.formatCombo != nullptr) return platform::kOk;
  return app_error::kNoCompatibleDevice;
}

}  // namespace app
