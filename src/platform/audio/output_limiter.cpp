// Peak limiting with a fast attack, a slow release and a soft knee above the threshold.
#include "platform/audio/output_limiter.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

namespace {

constexpr float kFullScale = 32768.0f;

// Linear up to the knee, then a tanh curve that leaves the knee with slope 1 and approaches the ceiling.
float SoftKnee(float value) {
  const float knee = OutputLimiter::kKnee * kFullScale;
  const float room = (OutputLimiter::kCeiling - OutputLimiter::kKnee) * kFullScale;
  const float magnitude = std::fabs(value);
  if (magnitude <= knee) return value;
  const float shaped = knee + room * std::tanh((magnitude - knee) / room);
  return value < 0 ? -shaped : shaped;
}

float Coefficient(float seconds, int rate) {
  return 1.0f - std::exp(-1.0f / (seconds * static_cast<float>(std::max(rate, 1))));
}

}  // namespace

OutputLimiter::OutputLimiter(int rate)
    : attack_(Coefficient(kAttackSeconds, rate)), release_(Coefficient(kReleaseSeconds, rate)) {}

void OutputLimiter::Process(float& left, float& right) {
  const float peak = std::max(std::fabs(left), std::fabs(right));
  const float limit = kThreshold * kFullScale;
  // Not a number would poison the gain for good: treat it as silence.
  if (!(peak < 1e30f)) {
    left = right = 0;
    return;
  }
  const float target = peak > limit ? limit / peak : 1.0f;
  gain_ += (target - gain_) * (target < gain_ ? attack_ : release_);
  left = SoftKnee(left * gain_);
  right = SoftKnee(right * gain_);
}

}  // namespace platform::audio
