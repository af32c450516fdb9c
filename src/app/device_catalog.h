// The catalog of what the graphics hardware can do: adapters, display modes, devices and the format combinations
// each device accepts, filtered by the game's minimum requirements, from which the framework picks its device.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/gfx/types.h"
#include "platform/result.h"

namespace app {

// How the device transforms and lights vertices; the numbers are those the device settings store.
enum class VertexProcessingType : int { Software = 0, Mixed = 1, Hardware = 2, PureHardware = 3 };

// One (adapter format, back-buffer format, windowed) triple a device accepts, with the options that go with it.
struct FormatCombo {
  uint32_t adapterOrdinal = 0;
  platform::gfx::DeviceType deviceType = platform::gfx::DeviceType::Hal;
  platform::gfx::Format adapterFormat = platform::gfx::Format::Unknown;
  platform::gfx::Format backBufferFormat = platform::gfx::Format::Unknown;
  bool windowed = false;
  std::vector<platform::gfx::Format> depthStencilFormats;
  std::vector<uint32_t> multiSampleTypes;  // 0 none, else the sample count
  std::vector<VertexProcessingType> vertexProcessingTypes;
  std::vector<uint32_t> presentIntervals;  // platform::gfx::present_interval values
};

struct DeviceEntry {
  uint32_t adapterOrdinal = 0;
  platform::gfx::DeviceType deviceType = platform::gfx::DeviceType::Hal;
  platform::gfx::Caps caps;
  std::vector<FormatCombo> formatCombos;
};

struct AdapterEntry {
  uint32_t adapterOrdinal = 0;
  platform::gfx::AdapterIdentifier identifier;
  std::vector<platform::gfx::DisplayMode> displayModes;
  std::vector<DeviceEntry> devices;
};

// Bits per colour channel of a display format (0 for formats that are not colour formats).
int ColorChannelBits(platform::gfx::Format format);
// Alpha bits of a back-buffer format.
int AlphaChannelBits(platform::gfx::Format format);
// Depth and stencil bits of a depth/stencil format (0 and 0 for any other format).
int DepthBits(platform::gfx::Format format);
int StencilBits(platform::gfx::Format format);

class DeviceCatalog {
 public:
  // The graphics system is not owned and must outlive the catalog.
  DeviceCatalog(const platform::gfx::GraphicsSystem* direct3D, uint32_t minWidth, uint32_t minHeight, int minColorBits,
                int minAlphaBits, int minDepthBits, int minStencilBits);

  // Rebuilds the adapter list from the graphics system. kFail without a graphics system; a failing device query
  // ends the enumeration with its code (the adapters listed so far stay).
  platform::HResult Enumerate();

  // Adapters that have at least one usable device, in adapter order. Records stay where they are until the next
  // Enumerate, so pointers into them are valid until then.
  const std::vector<AdapterEntry>& Adapters() const { return adapters_; }

  // Minimum requirements; the device choice lowers minStencilBits when no device meets it.
  uint32_t minWidth;
  uint32_t minHeight;
  int minColorBits;
  int minAlphaBits;
  int minDepthBits;
  int minStencilBits;
  // Nothing in the game asks for mixed vertex processing, so it is never offered.
  bool allowMixedVertexProcessing = false;

 private:
  platform::HResult EnumerateDevices(AdapterEntry& adapter, const std::vector<platform::gfx::Format>& adapterFormats);
  void EnumerateFormatCombos(DeviceEntry& device, const std::vector<platform::gfx::Format>& adapterFormats);
  void BuildDepthStencilFormats(FormatCombo& combo) const;
  void BuildMultiSampleTypes(FormatCombo& combo) const;
  void BuildVertexProcessingTypes(const DeviceEntry& device, FormatCombo& combo) const;
  void BuildPresentIntervals(const DeviceEntry& device, FormatCombo& combo) const;

  const platform::gfx::GraphicsSystem* direct3D_;
  std::vector<AdapterEntry> adapters_;
};

}  // namespace app
