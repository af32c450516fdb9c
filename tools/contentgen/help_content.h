// The help page the help popup opens in the browser: HELP/introduction.htm.
#pragma once

#include <string>

namespace contentgen {

constexpr const char* kHelpPageFile = "HELP/introduction.htm";

std::string BuildHelpPage();
// Writes HELP/introduction.htm below the game folder.
bool WriteHelpContent(const std::string& gameFolder);

}  // namespace contentgen
