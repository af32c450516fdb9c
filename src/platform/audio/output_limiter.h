// The last stage of the mix: a peak limiter that keeps stacked sounds below full scale. Quiet passages pass
// through untouched; loud peaks turn the gain down quickly and let it come back slowly, and a soft knee rounds
// off what gets through before the gain has fallen, so nothing is ever clipped or wrapped.
#pragma once

namespace platform::audio {

class OutputLimiter {
 public:
  // Fractions of full scale. Below kThreshold the gain stays 1; the knee starts at kKnee and the output never
  // reaches kCeiling.
  static constexpr float kThreshold = 0.80f;
  static constexpr float kKnee = 0.90f;
  static constexpr float kCeiling = 0.98f;
  static constexpr float kAttackSeconds = 0.001f;
  static constexpr float kReleaseSeconds = 0.150f;

  explicit OutputLimiter(int rate);

  // Limits one stereo frame in place; values are in 16-bit sample units (full scale 32768).
  void Process(float& left, float& right);
  // The gain now applied before the knee (1 while nothing is limited).
  float Gain() const { return gain_; }

 private:
  float attack_;
  float release_;
  float gain_ = 1.0f;
};

}  // namespace platform::audio
