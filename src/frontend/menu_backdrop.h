// What the menu manager needs of the 3D showroom behind the menus; the showroom implements it, the game supplies
// the factory that builds one, and a manager without a factory runs its menus over no showroom.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gfx/graphics.h"

namespace vehicle {
class Vehicle;
}

namespace frontend {

struct ScreenServices;

class MenuBackdrop {
 public:
  virtual ~MenuBackdrop() = default;
  // Loads the scene file with the device.
  virtual void Load(platform::gfx::Device* device, const std::string& sceneFile) = 0;
  virtual void Update(float frameTime) = 0;
  virtual void UpdateMotionBlur(float framesPerSecond) = 0;
  virtual void RestoreDeviceObjects(platform::gfx::Device* device) = 0;
  virtual void RenderSecondPass(platform::gfx::Device* device) = 0;
  virtual void RenderReflections(platform::gfx::Device* device) = 0;
  virtual void RenderCubeMap(platform::gfx::Device* device) = 0;
  // The per-frame step of the main pass; true when what it shows changed (the screen then rebuilds).
  virtual bool RenderMain(platform::gfx::Device* device) = 0;
  // The car on display, or null.
  virtual vehicle::Vehicle* DisplayedVehicle() const = 0;
  // Clears the option given when it was opened (entering the garage does).
  virtual void ClearOption() = 0;
};

using BackdropFactory = std::function<std::unique_ptr<MenuBackdrop>(const ScreenServices& services, int option)>;

}  // namespace frontend
