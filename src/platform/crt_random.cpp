// The C runtime's rand/srand generator, reproduced so random choices are the same on every machine.
#include <atomic>

#include "platform/os.h"

namespace platform {
namespace {

constexpr uint32_t kMultiplier = 214013;
constexpr uint32_t kIncrement = 2531011;

// Atomic only so a stray call from another thread is not undefined behaviour; the sequence belongs to the main thread.
std::atomic<uint32_t> randomState{1};

}  // namespace

void CrtSeed(uint32_t seed) { randomState.store(seed, std::memory_order_relaxed); }

int CrtRand() {
  const uint32_t next = randomState.load(std::memory_order_relaxed) * kMultiplier + kIncrement;
  randomState.store(next, std::memory_order_relaxed);
  return static_cast<int>((next >> 16) & kCrtRandMax);
}

}  // namespace platform
