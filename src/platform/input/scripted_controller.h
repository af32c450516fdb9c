// A controller without hardware for tests and headless runs: its readings are set by hand and its force-feedback
// calls are recorded.
#pragma once

#include <vector>

#include "platform/input/controller.h"

namespace platform::input {

class ScriptedController final : public Controller {
 public:
  struct EffectRecord {
    ForceEffect effect;
    bool released = false;
    bool playing = false;
    int iterations = 0;
    int gain = kMaxForceGain;
    int starts = 0;
    int stops = 0;
  };

  ScriptedController(bool wheel, bool forceFeedback, int axisCount = kAxisCount, int buttonCount = 32)
      : wheel_(wheel), forceFeedback_(forceFeedback), axisCount_(axisCount), buttonCount_(buttonCount) {}

  std::string Name() const override { return wheel_ ? "scripted wheel" : "scripted gamepad"; }
  bool IsWheel() const override { return wheel_; }
  bool HasForceFeedback() const override { return forceFeedback_; }
  int AxisCount() const override { return axisCount_; }
  int ButtonCount() const override { return buttonCount_; }

  HResult Acquire() override {
    ++acquireCalls;
    if (lostAcquires > 0) {
      --lostAcquires;
      return kInputLost;
    }
    acquired = !unplugged;
    return unplugged ? kInputLost : kOk;
  }
  void Unacquire() override { acquired = false; }
  HResult Poll() override {
    if (!acquired) return kNotAcquired;
    if (unplugged) return kInputLost;
    return kOk;
  }
  HResult GetState(ControllerState& out) override {
    if (!acquired) return kNotAcquired;
    if (failReads) return kFail;
    out = state;
    return kOk;
  }

  int CreateEffect(const ForceEffect& effect) override {
    if (!forceFeedback_ || refuseEffects) return -1;
    effects.push_back({effect});
    return static_cast<int>(effects.size()) - 1;
  }
  void ReleaseEffect(int effect) override {
    if (Valid(effect)) {
      effects[effect].released = true;
      effects[effect].playing = false;
    }
  }
  bool StartEffect(int effect, int iterations) override {
    if (!Valid(effect)) return false;
    effects[effect].playing = true;
    effects[effect].iterations = iterations;
    ++effects[effect].starts;
    return true;
  }
  bool StopEffect(int effect) override {
    if (!Valid(effect)) return false;
    effects[effect].playing = false;
    ++effects[effect].stops;
    return true;
  }
  bool SetEffectGain(int effect, int gain) override {
    if (!Valid(effect)) return false;
    effects[effect].gain = gain;
    return true;
  }

  // The script: readings, faults and what was recorded.
  ControllerState state;
  bool acquired = false;
  bool unplugged = false;
  bool failReads = false;
  bool refuseEffects = false;
  int lostAcquires = 0;  // the next n Acquire calls report kInputLost
  int acquireCalls = 0;
  std::vector<EffectRecord> effects;

 private:
  bool Valid(int effect) const {
    return effect >= 0 && effect < static_cast<int>(effects.size()) && !effects[effect].released;
  }
  bool wheel_;
  bool forceFeedback_;
  int axisCount_;
  int buttonCount_;
};

}  // namespace platform::input
