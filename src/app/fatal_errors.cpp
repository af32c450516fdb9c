// The table of fatal-error messages shown in the framework's message box.
#include "app/fatal_errors.h"

namespace app {

const char* FatalErrorMessage(platform::HResult code) {
  switch (code) {
    case app_error::kNoGraphicsSystem:
      return "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
             "DirectX is correctly installed on your\nsystem.";
    case app_error::kNoCompatibleDevice:
      return "Could not find any compatible Direct3D\ndevices.";
    case app_error::kNoWindowableDevice:
      return "This game cannot run in a desktop\nwindow with the current display settings.\n"
             "Please change your desktop settings to a\n16- or 32-bit display mode and re-run this\nsample.";
    case app_error::kNoHardwareDevice:
      return "No hardware-accelerated Direct3D devices\nwere found.";
    case app_error::kHardwareLacksFeatures:
      return "This game requires functionality that is\nnot available on your Direct3D hardware\naccelerator.";
    case app_error::kHardwareCannotWindow:
      return "Your Direct3D hardware accelerator cannot\nrender into a window.\n"
             "Press F2 while the app is running to see a\nlist of available devices and modes.";
    case app_error::kHardwareCannotUseDesktop:
      return "Your Direct3D hardware accelerator cannot\nrender into a window with the current\n"
             "desktop display settings.\n";
    case app_error::kHardwareLacksFeaturesOnDesktop:
      return "This game requires functionality that is\nnot available on your Direct3D hardware\n"
             "accelerator with the current desktop display\nsettings.\n";
    case app_error::kObjectsStillReferenced:
      return "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up).";
    case app_error::kMediaNotFound:
    case platform::kFileNotFound:
      return "Could not load required media.";
    case app_error::kResetFailed:
      return "Could not reset the Direct3D device.";
    case app_error::kReducedReferenceDevice:
      return "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but your\n"
             "computer only has a reduced-functionality reference device\ninstalled.  \n";
    case platform::kOutOfMemory:
      return "Not enough memory.";
    case platform::kOutOfVideoMemory:
      return "Not enough video memory.";
    case platform::kDriverInternalError:
      return "A serious problem occured inside the display driver.";
    default:
      return "Ostrel Torvane requires 3DAcceleration.Currently the system is not configured for 3DAcceleration.";
  }
}

}  // namespace app
