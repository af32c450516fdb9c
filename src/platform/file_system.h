// Data-file names as the game writes them ("SOUNDS//tally.wav", "FONT\noire.png", any case) turned into real
// paths on a case-sensitive file system. Every data file the game opens goes through here.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Separators normalised to '/', runs of separators collapsed, then each component matched case-insensitively
// against the real directory entries (an exact match wins). A component that matches nothing is kept as written,
// so the result can name a file still to be created. Absolute names stay absolute; relative names are relative
// to the current folder.
std::string ResolveDataPath(const std::string& name);

// fopen on the resolved name. Returns null when the file cannot be opened.
std::FILE* OpenDataFile(const std::string& name, const char* mode);

// Largest data file of each kind the game reads whole. Each is well over a hundred times the largest file of its
// kind the game ships or saves, so only a damaged or foreign file meets it; such a file is refused before its
// bytes are held.
inline constexpr size_t kMaxTextFileBytes = size_t{1} << 20;     // tagged data, settings, curves, font and clip lists
inline constexpr size_t kMaxModelFileBytes = size_t{128} << 20;  // models, scenes, collision files
inline constexpr size_t kMaxImageFileBytes = size_t{64} << 20;  // pictures, textures, cube maps
inline constexpr size_t kMaxSoundFileBytes = size_t{64} << 20;  // sound effects
inline constexpr size_t kMaxForceEffectFileBytes = size_t{1} << 20;

// Whole regular file read into memory; false, with bytes empty, when it cannot be read, is no regular file (a
// folder, a pipe, a device) or holds more than maxBytes.
// The reason goes into problem when one is given ("is larger than ... bytes"); without one, a file over the
// limit prints one line naming it, and a missing file prints nothing (many files are optional).
bool ReadWholeFile(const std::string& name, std::vector<unsigned char>& bytes, size_t maxBytes,
                   std::string* problem = nullptr);

// The start of a regular file: its bytes are read from the front, a piece at a time, until the file ends, maxBytes
// are held, or enough (when given) says after a piece that the bytes held are all the caller needs. For files a
// reader takes only the front of, so a long tail costs nothing. whole tells whether bytes hold the entire file.
// False, with bytes empty and the reason in problem, when it cannot be opened or read or is no regular file.
bool ReadFileStart(const std::string& name, std::vector<unsigned char>& bytes, size_t maxBytes,
                   const std::function<bool(const std::vector<unsigned char>&)>& enough, bool& whole,
                   std::string& problem);

// Whether the name (resolved as ResolveDataPath does) is a regular file, readable or not.
bool IsRegularFile(const std::string& name);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it over the name,
// so a crash mid-write leaves either the old file or the new one. False on any failure (the old file is kept).
bool WriteFileAtomically(const std::string& name, const void* data, size_t size);

// Creates the folder and its parents; true when it exists afterwards.
bool CreateFolders(const std::string& name);

// Names (not paths) of the entries of a folder, files and folders, in sorted order; empty when unreadable.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
};
std::vector<FolderEntry> ListFolder(const std::string& name);

}  // namespace platform
