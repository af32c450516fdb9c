// Synthesised sound effects for every fixed sound name the game opens: menus, HUD, stunts, car and engine.
#pragma once

#include <string>
#include <vector>

namespace contentgen {

// Folder (below the game folder) of the engine samples that the sample cars name in SOUNDS_FOLDER.
constexpr const char* kEngineSoundFolder = "SOUNDS/ENGINE/";
// The shared tyre, surface and crash sounds, two folders above each car's own folder.
constexpr const char* kCarSoundFolder = "SOUNDS/CARSOUNDS/";

// Relative paths of every sound WriteSounds lays out.
std::vector<std::string> SoundFileNames();

// Writes every sound below gameFolder. False (with a printed line) when one cannot be written.
bool WriteSounds(const std::string& gameFolder);

// The sounds, the MUSIC folder and the force-feedback effect files: everything the sound and input code reads.
bool WriteSoundAndForceContent(const std::string& gameFolder);

}  // namespace contentgen
