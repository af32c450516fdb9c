// Keeping a damaged save file beside it.
#include "app/damaged_file.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace app {

namespace {

// The first of <path>.bad, <path>.bad2 … that names nothing yet; empty when all are taken or one cannot be
// looked at (better no copy than one written over).
std::string FreeDamagedName(const std::string& path) {
  for (int number = 1; number <= kMaxDamagedCopies; ++number) {
    const std::string kept = path + ".bad" + (number == 1 ? std::string() : std::to_string(number));
    std::error_code error;
    // symlink_status: a link that points nowhere still holds the name.
    const std::filesystem::file_status status = std::filesystem::symlink_status(kept, error);
    if (status.type() == std::filesystem::file_type::not_found) return kept;
    if (!std::filesystem::exists(status)) return {};
  }
  return {};
}

}  // namespace

std::string KeepDamagedCopy(const std::string& path, const std::vector<unsigned char>& bytes) {
  const std::string kept = FreeDamagedName(path);
  if (kept.empty()) return {};
  return platform::WriteFileAtomically(kept, bytes.data(), bytes.size()) ? kept : std::string();
}

std::string KeepDamagedFile(const std::string& path) {
  const std::string kept = FreeDamagedName(path);
  if (kept.empty()) return {};
  std::error_code error;
  // Without an overwrite option the copy fails rather than replace a name taken meanwhile.
  if (!std::filesystem::copy_file(platform::ResolveDataPath(path), kept, std::filesystem::copy_options::none, error)) {
    // A half-written copy is no copy; a name someone else took is theirs.
    if (error != std::errc::file_exists) std::filesystem::remove(kept, error);
    return {};
  }
  return kept;
}

std::string FileNamePart(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace app
