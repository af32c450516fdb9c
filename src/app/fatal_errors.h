// The framework's own failure codes and the fixed message the player sees for each code the framework reports.
#pragma once

#include "platform/result.h"

namespace app {

// Failure codes of the application framework (0x82000001-0x8200000d). The framework itself reports a few of
// them; every one has its message for a hook or device that fails with it.
namespace app_error {
constexpr platform::HResult kNoGraphicsSystem = static_cast<platform::HResult>(0x82000001u);
// No message of its own: it gets the one about missing 3D acceleration.
constexpr platform::HResult kNoWindow = static_cast<platform::HResult>(0x82000002u);
constexpr platform::HResult kNoCompatibleDevice = static_cast<platform::HResult>(0x82000003u);
constexpr platform::HResult kNoWindowableDevice = static_cast<platform::HResult>(0x82000004u);
constexpr platform::HResult kNoHardwareDevice = static_cast<platform::HResult>(0x82000005u);
constexpr platform::HResult kHardwareLacksFeatures = static_cast<platform::HResult>(0x82000006u);
constexpr platform::HResult kHardwareCannotWindow = static_cast<platform::HResult>(0x82000007u);
constexpr platform::HResult kHardwareCannotUseDesktop = static_cast<platform::HResult>(0x82000008u);
constexpr platform::HResult kHardwareLacksFeaturesOnDesktop = static_cast<platform::HResult>(0x82000009u);
constexpr platform::HResult kObjectsStillReferenced = static_cast<platform::HResult>(0x8200000Au);
constexpr platform::HResult kMediaNotFound = static_cast<platform::HResult>(0x8200000Bu);
constexpr platform::HResult kResetFailed = static_cast<platform::HResult>(0x8200000Cu);
constexpr platform::HResult kReducedReferenceDevice = static_cast<platform::HResult>(0x8200000Du);
}  // namespace app_error

// Appended to every fatal message.
inline constexpr char kFatalErrorExitText[] = "\n\nThis game will now exit.";

// The message for a failure code, without the exit text. Codes the table does not list get the message about
// missing 3D acceleration.
const char* FatalErrorMessage(platform::HResult code);

}  // namespace app
