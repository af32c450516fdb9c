// Shared by the fuzz targets: generated seeds written into the corpus folder when a target starts (so mutation
// begins from the real layouts without binary files in the repository), and a scratch file for the readers that
// only open files by name.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace fuzz_support {

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

// A folder of this process's own under the system's temporary folder (memory-backed where there is one); made
// once, with a trailing '/'.
// Removed again when the target exits.
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
