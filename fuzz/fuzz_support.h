// Shared by the fuzz targets: generated seeds written into the corpus folder when a target starts (so mutation
// begins from the real layouts without binary files in the repository), a scratch file for the readers that only
// open files by name, a null device for the loaders that build device buffers, and the check that turns a broken
// property of a loaded result into a finding.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/gfx/null_graphics.h"

namespace fuzz_support {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline std::string Text(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

struct GeneratedSeed {
  std::string name;
  std::vector<unsigned char> bytes;
};

inline GeneratedSeed TextSeed(std::string name, const std::string& text) {
  return {std::move(name), std::vector<unsigned char>(text.begin(), text.end())};
}

// The first argument that is not a flag is the corpus folder: the seeds go there under their names.
inline void WriteGeneratedSeeds(int argc, char** argv, const std::vector<GeneratedSeed>& seeds) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.empty() || argument[0] == '-') continue;
    for (const GeneratedSeed& seed : seeds) {
      platform::WriteFileAtomically(argument + "/generated_" + seed.name, seed.bytes.data(), seed.bytes.size());
    }
    return;
  }
}

// A light node, a marker and a closed three-point path of the given names, so that mutating a seed reaches every
// record reader of its file.
template <typename File>
void AddRecords(File& file, const char* node, const char* marker, const char* path) {
  file.nodes.emplace_back().name = node;
  file.nodes.back().text = "T";
  file.markers.emplace_back().name = marker;
  file.paths.emplace_back().name = path;
  file.paths.back().lists.push_back({true, {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}}});
}

// A 64 × 64 windowed device on the null graphics system, made once and kept for the whole run.
inline platform::gfx::Device* NullDevice() {
  static platform::gfx::Device* device = [] {
    static platform::gfx::NullGraphicsSystem graphics;
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 64;
    parameters.backBufferHeight = 64;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    platform::gfx::Device* made = nullptr;
    if (graphics.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &made) != platform::kOk) std::abort();
    return made;
  }();
  return device;
}

// The null device records every call; dropping the records after each input keeps the run's memory balanced, so
// the fuzzer does not suspect a leak.
inline void ClearDeviceRecords() { static_cast<platform::gfx::NullDevice*>(NullDevice())->ClearRecords(); }

// A folder of this process's own under the system's temporary folder (memory-backed where there is one); made
// once, with a trailing '/', and removed again when the target exits.
inline const std::string& ScratchFolder() {
  // Never destroyed, so the removal at exit still has its name.
  static const std::string* folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/corsaire-fuzz-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    auto* made = new std::string(pattern + "/");
    std::atexit([] { std::filesystem::remove_all(ScratchFolder()); });
    return made;
  }();
  return *folder;
}

// Writes the bytes to a scratch file of that name (replacing the last input) and returns its path.
inline std::string ScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
  return path;
}

}  // namespace fuzz_support

using fuzz_support::Check;
