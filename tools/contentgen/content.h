// The whole sample content: each writer module registers what it lays out in the game folder.
#pragma once

#include <string>

namespace contentgen {

// Writes every sample data file below gameFolder (created when missing).
// Returns false and prints the failing file when anything cannot be written.
bool WriteAllContent(const std::string& gameFolder);

}  // namespace contentgen
