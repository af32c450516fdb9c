// The force-feedback effects a car drives on the player's controller, as one small interface, with the adapter
// onto the game's input devices.
#pragma once

#include "app/input_devices.h"

namespace vehicle {

// Effect numbers index the controller's loaded effect list; gains run 0..10000.
class ForceFeedbackOutput {
 public:
  virtual ~ForceFeedbackOutput() = default;
  virtual void PlayEffect(int effect, int iterations) = 0;  // iterations 0 loops until stopped
  virtual void StopEffect(int effect) = 0;
  virtual void SetEffectGain(int effect, int gain) = 0;
  virtual void StopAllEffects() = 0;
  // The device is there, acquired and has effects.
  virtual bool Ready() const = 0;
};

class InputDevicesForceFeedback final : public ForceFeedbackOutput {
 public:
  explicit InputDevicesForceFeedback(app::InputDevices& devices) : devices_(devices) {}
  void PlayEffect(int effect, int iterations) override { devices_.PlayForceEffect(effect, iterations); }
  void StopEffect(int effect) override { devices_.StopForceEffect(effect); }
  void SetEffectGain(int effect, int gain) override { devices_.SetForceEffectGain(effect, gain); }
  void StopAllEffects() override { devices_.StopAllForceEffects(); }
  bool Ready() const override { return devices_.AreForceEffectsLoaded(); }

 private:
  app::InputDevices& devices_;
};

}  // namespace vehicle
