// Fuzz target: the force-feedback effect-file reader must refuse or read any bytes without a fault.

#include "contentgen/ffe_writer.h"
#include "fuzz_support.h"
#include "platform/input/ffe_reader.h"

namespace {

void Read(const uint8_t* data, size_t size) {
  std::vector<platform::input::ForceEffect> effects;
  std::string error;
  const bool ok = platform::input::ReadForceEffects(data, size, effects, error);
  Check(ok || effects.empty());  // a refused file must leave nothing behind
  for (const auto& effect : effects) {
    Check(effect.axes.size() == effect.directions.size() && effect.axes.size() <= platform::input::kMaxEffectAxes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const auto effects = contentgen::GameForceEffects(true);
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"wheel.ffe", contentgen::EncodeForceEffects(effects)},
                                     {"two.ffe", contentgen::EncodeForceEffects({effects[0], effects[1]})}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Read(data, size);
  // The same bytes behind a valid file header, so the fuzzer reaches the chunk walk without guessing it.
  std::vector<uint8_t> wrapped = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'F', 'O', 'R', 'C'};
  const uint32_t length = static_cast<uint32_t>(size + 4);
  for (int i = 0; i < 4; ++i) wrapped[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  wrapped.insert(wrapped.end(), data, data + size);
  Read(wrapped.data(), wrapped.size());
  return 0;
}
