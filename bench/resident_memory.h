// Resident memory of the benchmark process, for the figures the benchmarks report beside their times.
#pragma once

#include <fstream>
#include <string>

namespace bench {

// Megabytes resident now (0 where /proc is not there to ask).
inline double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

}  // namespace bench
