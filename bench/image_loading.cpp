// Time to load every picture of the sample content (fonts, cube map, textures) through the resource manager on
// the null device, and the texture memory the loaded images take.
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "contentgen/dds_writer.h"
#include "contentgen/images.h"
#include "platform/gfx/null_graphics.h"
#include "render/resources/resource_manager.h"

namespace {

// The picture content written once into a scratch folder: the game's own image content plus a spread of
// texture formats and sizes like a track's.
const std::string& ContentFolder() {
  static const std::string folder = [] {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "corsaire_bench_images";
    std::filesystem::remove_all(path);
    contentgen::WriteImageContent(path.string());
    contentgen::PictureData picture(256, 256);
    for (uint32_t y = 0; y < 256; ++y) {
      for (uint32_t x = 0; x < 256; ++x) picture.Set(x, y, 0xFF000000u | (x << 16) | (y << 8) | ((x ^ y) & 0xFF));
    }
    contentgen::WritePng((path / "TEXTURES/road.png").string(), picture, false);
    contentgen::WritePng((path / "TEXTURES/roada.png").string(), picture, false);
    contentgen::WriteJpeg((path / "TEXTURES/wall.jpg").string(), picture, 85);
    contentgen::WriteDds((path / "TEXTURES/car.dds").string(), platform::gfx::Format::Dxt1, {picture}, 0);
    contentgen::WriteDds((path / "TEXTURES/glass.dds").string(), platform::gfx::Format::A4R4G4B4, {picture}, 0);
    return path.string() + "/";
  }();
  return folder;
}

std::vector<std::string> PictureFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".png" || extension == ".jpg" || extension == ".dds") {
      files.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
  }
  return files;
}

uint64_t TextureBytes(platform::gfx::Texture* texture) {
  uint64_t bytes = 0;
  if (texture == nullptr) return 0;
  for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
    platform::gfx::SurfaceDesc desc;
    texture->GetLevelDesc(level, desc);
    const int texel = platform::gfx::BytesPerPixel(desc.format);
    bytes += texel > 0 ? uint64_t{desc.width} * desc.height * texel
                       : uint64_t{(desc.width + 3) / 4} * ((desc.height + 3) / 4) *
                             (desc.format == platform::gfx::Format::Dxt1 ? 8 : 16);
  }
  return bytes;
}

void BM_LoadSampleImages(benchmark::State& state) {
  const std::string folder = ContentFolder();
  const std::vector<std::string> files = PictureFiles(folder);
  platform::gfx::NullGraphicsSystem system;
  platform::gfx::PresentParameters parameters;
  parameters.backBufferWidth = 640;
  parameters.backBufferHeight = 480;
  parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
  platform::gfx::Device* device = nullptr;
  if (platform::Failed(system.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &device))) {
    state.SkipWithError("no null device");
    return;
  }
  uint64_t textureBytes = 0;
  size_t loaded = 0;
  for (auto _ : state) {
    render::ResourceManager manager(nullptr, folder);
    textureBytes = 0;
    loaded = 0;
    for (const std::string& file : files) {
      if (file.find("CUBEMAPS") != std::string::npos) {
        render::CubeMap* cube = manager.LoadCubeMap(device, file);
        loaded += cube->ready ? 1 : 0;
        textureBytes += cube->ready ? uint64_t{cube->size} * cube->size * 4 * 6 : 0;
        continue;
      }
      render::ImageResource* image = manager.LoadImage(device, file, false, 0, false, false);
      loaded += image->loaded ? 1 : 0;
      textureBytes += TextureBytes(image->GetImageTexture());
    }
    benchmark::DoNotOptimize(loaded);
  }
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["loaded"] = static_cast<double>(loaded);
  state.counters["texture_KiB"] = static_cast<double>(textureBytes) / 1024.0;
  device->Release();
}
BENCHMARK(BM_LoadSampleImages)->Unit(benchmark::kMillisecond);

}  // namespace
