// Keeping a damaged save file beside it.
#include "app/damaged_file.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace app {

std::string KeepDamagedCopy(const std::string& path, const std::vector<unsigned char>& bytes) {
  for (int number = 1; number <= kMaxDamagedCopies; ++number) {
    const std::string kept = path + ".bad" + (number == 1 ? std::string() : std::to_string(number));
    std::error_code error;
    // symlink_status: a link that points nowhere still holds the name.
    const std::filesystem::file_status status = std::filesystem::symlink_status(kept, error);
    if (status.type() != std::filesystem::file_type::not_found) {
      if (std::filesystem::exists(status)) continue;
      return {};  // the name cannot be looked at: better no copy than one written over
    }
    return platform::WriteFileAtomically(kept, bytes.data(), bytes.size()) ? kept : std::string();
  }
  return {};
}

std::string FileNamePart(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace app
