// Path helpers for data files (all relative to the executable's folder), launching programs, the desktop's
// colour depth and guards for float values.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_system.h"

namespace app {

// Folder of the executable, with its trailing separator.
std::string GetExecutableFolder();

// The path unchanged when it is empty, holds a drive colon after its first character, or is a full path of
// this system (one '/' and a folder of the root, platform::IsSystemRootPath); otherwise folder + path, the
// folder carrying its own trailing separator. A leading backslash, "//" or "/" before a folder the root does
// not hold is the data files' way of writing a name of the game's folder, so such a name is joined. Separators
// are left as they are: normalise them after joining, never before.
std::string MakeAbsolutePath(const std::string& folder, const std::string& path);

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
