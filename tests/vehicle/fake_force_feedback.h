// A force-feedback output for the car tests: keeps what each effect was last told.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "vehicle/force_feedback_output.h"

namespace vehicle::testing {

class RecordingForceFeedback final : public ForceFeedbackOutput {
 public:
  void PlayEffect(int effect, int iterations) override {
    playing[effect] = true;
    lastIterations[effect] = iterations;
    calls.push_back("play " + std::to_string(effect));
  }
  void StopEffect(int effect) override {
    playing[effect] = false;
    calls.push_back("stop " + std::to_string(effect));
  }
  void SetEffectGain(int effect, int gain) override { gains[effect] = gain; }
  void StopAllEffects() override {
    for (auto& entry : playing) entry.second = false;
    calls.push_back("stop all");
  }
  bool Ready() const override { return ready; }

  bool IsPlaying(int effect) const {
    auto found = playing.find(effect);
    return found != playing.end() && found->second;
  }

  bool ready = true;
  std::map<int, bool> playing;
  std::map<int, int> lastIterations;
  std::map<int, int> gains;
  std::vector<std::string> calls;
};

}  // namespace vehicle::testing
