// Path helpers, launching and float guards.
#include "app/paths.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "platform/os.h"

namespace app {

std::string GetExecutableFolder() { return platform::ExecutableFolder(); }

std::string MakeAbsolutePath(const std::string& folder, const std::string& path) {
  if (path.empty()) return path;
  if (path.find(':', 1) != std::string::npos) return path;
  return folder + path;
}

std::string MakeSystemPath(const std::string& folder, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return MakeAbsolutePath(folder, path);
}

namespace {

// Upper case, backslashes as '/', runs of '/' as one: two spellings of one folder compare equal.
std::string FolderKey(const std::string& path) {
  std::string key = NormalizePathSlashes(path);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

std::string MakeGameFolderPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && !name.empty()) {
    std::string under = FolderKey(folder);
    if (under.back() != '/') under.push_back('/');
    if (FolderKey(name).starts_with(under)) return name;
  }
  return MakeAbsolutePath(folder, name);
}

std::string GetFolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash + 1 < path.size()) return path.substr(0, slash + 1);
  const size_t backslash = path.rfind('\\');
  if (backslash != std::string::npos) return path.substr(0, backslash + 1);
  return path;
}

std::string GetFileNamePart(const std::string& path) {
  size_t cut = path.rfind('/');
  if (cut == std::string::npos) cut = path.rfind('\\');
  if (cut == std::string::npos) return path;
  return path.substr(cut + 1);
}

std::string NormalizePathSlashes(const std::string& path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result.push_back(c);
  }
  return result;
}

bool FileExists(const std::string& path) {
  std::FILE* file = platform::OpenDataFile(path, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

namespace {

std::vector<std::string> SplitParameters(const std::string& parameters) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace

int64_t RunAndWait(const std::string& programOrDocument, const std::string& parameters, int wait) {
  if (programOrDocument.empty()) return 0;
  const int64_t process = platform::LaunchProgram(programOrDocument, SplitParameters(parameters), wait == 1);
  if (process <= 0) return 0;
  return wait == 1 ? 0 : process;
}

int GetDesktopColorDepth(const platform::WindowSystem& windows) {
  const int depth = windows.GetDesktopColorDepth();
  return depth > 0 ? depth : 16;
}

float IsFiniteOr(float value, float fallback) {
  if (std::isnan(value)) return 0.0f;
  if (std::isinf(value)) return fallback;
  return value;
}

double IsFiniteOrD(double value, double fallback) {
  if (std::isnan(value)) return 0.0;
  if (std::isinf(value)) return fallback;
  return value;
}

}  // namespace app
