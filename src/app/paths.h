// Path helpers for data files (all relative to the executable's folder), launching programs, the desktop's
// colour depth and guards for float values.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace app {

// Folder of the executable, with its trailing separator.
std::string GetExecutableFolder();

// The path unchanged when it is empty or holds a drive colon after its first character; otherwise folder + path,
// the folder carrying its own trailing separator. This is how every name read from a data file finds its file,
// whatever separators start it ("\CARS\...", "//RACES//...", "/RACES/..." all lie in the folder), so a data
// file reads the same on every machine. Separators are left as they are: normalise them after joining.
std::string MakeAbsolutePath(const std::string& folder, const std::string& path);

// For a path the game itself holds, never a name read from a data file: the game's and the system's folders,
// the player's music folder and the files listed in it. A full path of this system (a leading '/') stands;
// any other path is made absolute under the folder as MakeAbsolutePath makes it.
std::string MakeSystemPath(const std::string& folder, const std::string& path);

// For a name of the game's folder that may come back already joined to it (the resource manager hands its
// loaders full names, and the pictures and parts beside them return the same way): a name that already lies
// under the folder (letter case and separators aside) stands; any other name, data files' names included, is
// made absolute under the folder as MakeAbsolutePath makes it.
std::string MakeGameFolderPath(const std::string& folder, const std::string& name);

// The path cut after its last '/'; when that changes nothing, cut after its last backslash; else the path.
std::string GetFolderPart(const std::string& path);

// The part after the last '/', else after the last backslash, else the whole path.
std::string GetFileNamePart(const std::string& path);

// Every backslash becomes '/', then runs of '/' collapse to one.
std::string NormalizePathSlashes(const std::string& path);

// True when the data file opens for reading.
bool FileExists(const std::string& path);

// Starts a program or opens a document/address with the desktop's handler; parameters are split at spaces
// (double quotes group) and never reach a shell. Returns 0 when the launch fails. With wait, returns 0 once
// the process has ended; without, a positive process id.
int64_t RunAndWait(const std::string& programOrDocument, const std::string& parameters, int wait);

// Bits per pixel of the desktop; 16 when it cannot be read.
int GetDesktopColorDepth(const platform::WindowSystem& windows);

// 0 for NaN, the fallback for ±infinity, else the value.
float IsFiniteOr(float value, float fallback);
double IsFiniteOrD(double value, double fallback);

}  // namespace app
