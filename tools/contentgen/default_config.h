// The default settings file delivered with the game, read on a first run when no config.dat exists yet.
#pragma once

#include <string>

namespace contentgen {

// The settings text: the table defaults with a window, the middle detail preset (800×600 when full screen),
// music from an audio CD in shuffle when a disc is in the drive (the game's own music otherwise), no MP3 folder,
// the default keys and no joystick bindings.
std::string DefaultConfigText();
// Writes default_config.dat into the game folder.
bool WriteDefaultConfig(const std::string& gameFolder);

}  // namespace contentgen
