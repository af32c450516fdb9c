// Keeping a damaged save file: its bytes go beside it under a name that no later damage writes over.
#pragma once

#include <string>
#include <vector>

namespace app {

// The most copies of one file kept; past them a damaged file is left where it is and not copied.
inline constexpr int kMaxDamagedCopies = 999;

// Writes the bytes to the first free name of <path>.bad, <path>.bad2, <path>.bad3 … and returns that name, or
// an empty string when every name is taken or nothing could be written. An existing copy is never replaced.
std::string KeepDamagedCopy(const std::string& path, const std::vector<unsigned char>& bytes);

// The same for a file too large to be held: its bytes are copied from the file itself.
std::string KeepDamagedFile(const std::string& path);

// The part of a path after its last separator ('/' or '\\').
std::string FileNamePart(const std::string& path);

}  // namespace app
