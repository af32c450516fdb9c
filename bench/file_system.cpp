// Speed of data-path resolution: exact names, and names whose case and separators differ from the disk.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_system.h"

namespace {

// A data folder shaped like the game's: a few folders of a couple of hundred files each.
class DataTree {
 public:
  DataTree() {
    char pattern[] = "/tmp/corsaire-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    root_ = pattern;
    for (const char* folder : {"Sounds", "Textures", "Models"}) {
      std::filesystem::create_directories(root_ + "/Data/" + folder);
      for (int i = 0; i < 200; ++i) {
        std::ofstream(root_ + "/Data/" + folder + "/Item" + std::to_string(i) + ".dat") << i;
      }
    }
    // Installed data has not changed for a while; folders changed this very second are listed afresh each time.
    const timespec installed[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const char* folder : {"", "/Data", "/Data/Sounds", "/Data/Textures", "/Data/Models"}) {
      utimensat(AT_FDCWD, (root_ + folder).c_str(), installed, 0);
    }
  }
  ~DataTree() {
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
};

void BM_ResolveExactName(benchmark::State& state) {
  DataTree tree;
  const std::string name = tree.Root() + "/Data/Textures/Item150.dat";
  for (auto _ : state) benchmark::DoNotOptimize(platform::ResolveDataPath(name));
}
BENCHMARK(BM_ResolveExactName);

void BM_ResolveMixedCaseName(benchmark::State& state) {
  DataTree tree;
  const std::string name = tree.Root() + "\\DATA\\\\textures\\ITEM150.DAT";
  for (auto _ : state) benchmark::DoNotOptimize(platform::ResolveDataPath(name));
}
BENCHMARK(BM_ResolveMixedCaseName);

void BM_ResolveNewFileName(benchmark::State& state) {
  DataTree tree;
  const std::string name = tree.Root() + "/data/SAVES/slot1.dat";
  for (auto _ : state) benchmark::DoNotOptimize(platform::ResolveDataPath(name));
}
BENCHMARK(BM_ResolveNewFileName);

}  // namespace
