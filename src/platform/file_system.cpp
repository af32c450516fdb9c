// Data-file names resolved against a case-sensitive file system, whole-file reads and crash-safe saves.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

constexpr size_t kReadChunkBytes = 64 * 1024;
// First piece of a file read from its front: room for a whole settings file as the game writes it.
constexpr size_t kFirstPieceBytes = 4 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

struct FolderCloser {
  void operator()(DIR* folder) const { closedir(folder); }
};

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Backslashes become '/', and every run of separators one '/'.
std::string NormaliseSeparators(const std::string& name) {
  std::string result;
  result.reserve(name.size());
  for (char c : name) {
    if (c == '\\') c = '/';
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result.push_back(c);
  }
  return result;
}

std::string LowerCase(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// A folder's entries by lower-case name, kept while the folder is unchanged so repeated opens of mixed-case names
// do not list the folder each time.
struct FolderNames {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  // Lower-case name -> the entry; when several spellings exist, the first in byte order, so the answer does not
  // depend on the order the file system lists them.
  std::unordered_map<std::string, std::string> byLowerCase;
};

constexpr size_t kMaxCachedFolders = 256;
// A folder changed within this many seconds of being listed may change again within the same timestamp tick,
// which the cache could not notice; such listings are used once and not kept.
constexpr time_t kSettledSeconds = 2;

std::mutex folderCacheMutex;
std::unordered_map<std::string, FolderNames> folderCache;

bool SameFolderState(const FolderNames& names, const struct stat& info) {
  return names.device == info.st_dev && names.inode == info.st_ino && names.modified.tv_sec == info.st_mtim.tv_sec &&
         names.modified.tv_nsec == info.st_mtim.tv_nsec;
}

// The entry of the folder whose name equals the wanted one ignoring case; empty when none does.
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& wanted) {
  const std::string path = folder.empty() ? "." : folder;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  // Relative folders depend on the current folder, so they are looked up but never kept.
  const bool cacheable = path.front() == '/';
  const std::string key = LowerCase(wanted);

  std::lock_guard<std::mutex> lock(folderCacheMutex);
  if (cacheable) {
    const auto cached = folderCache.find(path);
    if (cached != folderCache.end() && SameFolderState(cached->second, info)) {
      const auto found = cached->second.byLowerCase.find(key);
      return found == cached->second.byLowerCase.end() ? std::string() : found->second;
    }
  }

  std::unique_ptr<DIR, FolderCloser> listing(opendir(path.c_str()));
  if (!listing) return {};
  FolderNames names;
  names.device = info.st_dev;
  names.inode = info.st_ino;
  names.modified = info.st_mtim;
  while (const dirent* entry = readdir(listing.get())) {
    std::string& best = names.byLowerCase[LowerCase(entry->d_name)];
    if (best.empty() || std::strcmp(entry->d_name, best.c_str()) < 0) best = entry->d_name;
  }
  const auto found = names.byLowerCase.find(key);
  std::string answer = found == names.byLowerCase.end() ? std::string() : found->second;

  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  if (cacheable && now.tv_sec - info.st_mtim.tv_sec >= kSettledSeconds) {
    if (folderCache.size() >= kMaxCachedFolders) folderCache.clear();
    folderCache[path] = std::move(names);
  }
  return answer;
}

// The folder part of a path, for creating the temporary file beside it.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string ResolveDataPath(const std::string& name) {
  const std::string normalised = NormaliseSeparators(name);
  if (normalised.empty() || Exists(normalised)) return normalised;

  const bool absolute = normalised.front() == '/';
  std::string result = absolute ? "/" : "";
  bool matching = true;  // once a folder is missing, nothing below it can be found
  size_t start = absolute ? 1 : 0;
  while (start < normalised.size()) {
    size_t end = normalised.find('/', start);
    const bool last = end == std::string::npos;
    if (last) end = normalised.size();
    std::string component = normalised.substr(start, end - start);
    const std::string folder = result;
    if (matching && component != "." && component != "..") {
      if (!Exists(folder + component)) {
        const std::string found = FindEntryIgnoringCase(folder, component);
        if (found.empty()) {
          matching = false;
        } else {
          component = found;
        }
      }
    }
    result += component;
    if (!last) result += '/';
    start = end + 1;
  }
  return result;
}

std::FILE* OpenDataFile(const std::string& name, const char* mode) {
  if (mode == nullptr) return nullptr;
  // Close-on-exec, so programs the game launches do not inherit its open files.
  std::string modeText = mode;
  if (modeText.find('e') == std::string::npos) modeText += 'e';
  return std::fopen(ResolveDataPath(name).c_str(), modeText.c_str());
}

namespace {

// Opens a regular file for reading; null, with the reason in why, when it is missing, unreadable or no regular
// file. Only regular files: opening a pipe or a terminal named by a damaged list would wait forever.
FilePointer OpenRegularFile(const std::string& path, struct stat& info, std::string& why) {
  if (stat(path.c_str(), &info) != 0) {
    why = "cannot be opened";
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    why = "is not a file";
    return nullptr;
  }
  FilePointer file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    why = "cannot be opened";
    return nullptr;
  }
  if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
    why = "is not a file";
    return nullptr;
  }
  return file;
}

}  // namespace

bool ReadWholeFile(const std::string& name, std::vector<unsigned char>& bytes, size_t maxBytes,
                   std::string* problem) {
  bytes.clear();
  auto fail = [&](const std::string& what, bool printed) {
    if (problem != nullptr) {
      *problem = what;
    } else if (printed) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), what.c_str());
    }
    return false;
  };
  struct stat info {};
  std::string why;
  FilePointer file = OpenRegularFile(ResolveDataPath(name), info, why);
  if (!file) return fail(why, false);
  const std::string tooLarge = "is larger than " + std::to_string(maxBytes) + " bytes, more than any file of its kind";
  if (info.st_size > 0 && static_cast<uint64_t>(info.st_size) > maxBytes) return fail(tooLarge, true);
  // Read to the end rather than trusting the size: files of the proc file system report 0, others may change.
  std::vector<unsigned char> content;
  content.reserve(info.st_size > 0 ? static_cast<size_t>(info.st_size) : 0);
  unsigned char chunk[kReadChunkBytes];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    if (got > 0) {
      if (got > maxBytes - content.size()) return fail(tooLarge, true);
      content.insert(content.end(), chunk, chunk + got);
    }
    if (got < sizeof chunk) break;
  }
  if (std::ferror(file.get())) return fail("cannot be read to its end", true);
  bytes = std::move(content);
  return true;
}

bool ReadFileStart(const std::string& name, std::vector<unsigned char>& bytes, size_t maxBytes,
                   const std::function<bool(const std::vector<unsigned char>&)>& enough, bool& whole,
                   std::string& problem) {
  bytes.clear();
  whole = false;
  struct stat info {};
  FilePointer file = OpenRegularFile(ResolveDataPath(name), info, problem);
  if (!file) return false;
  // Read straight into the bytes held, in pieces that start small and grow, so a file whose front says enough
  // costs about that front whatever follows it. The room reserved is only address space until it is read into.
  std::vector<unsigned char> content;
  if (info.st_size > 0) content.reserve(std::min(static_cast<size_t>(info.st_size), maxBytes));
  size_t piece = kFirstPieceBytes;
  bool ended = false;
  while (content.size() < maxBytes) {
    const size_t held = content.size();
    const size_t wanted = std::min(piece, maxBytes - held);
    content.resize(held + wanted);
    const size_t got = std::fread(content.data() + held, 1, wanted, file.get());
    content.resize(held + got);
    if (got < wanted) {
      ended = true;
      break;
    }
    if (enough && enough(content)) break;
    piece = std::min(piece * 2, kReadChunkBytes);
  }
  if (std::ferror(file.get())) {
    problem = "cannot be read";
    return false;
  }
  // One byte more tells a file that ends exactly here from one that goes on.
  whole = ended || std::fgetc(file.get()) == EOF;
  bytes = std::move(content);
  return true;
}

bool IsRegularFile(const std::string& name) {
  struct stat info {};
  return stat(ResolveDataPath(name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool WriteFileAtomically(const std::string& name, const void* data, size_t size) {
  const std::string path = ResolveDataPath(name);
  if (path.empty() || path.back() == '/') return false;
  if (IsFolder(path)) {
    std::fprintf(stderr, "%s: cannot save over a folder\n", path.c_str());
    return false;
  }
  const std::string folder = FolderOf(path);
  std::string temporary = folder + "/." + FileNameOf(path) + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "%s: cannot save: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  // Keep the permissions of the file being replaced; a new file gets the usual read-for-all.
  struct stat previous {};
  fchmod(fd, stat(path.c_str(), &previous) == 0 ? (previous.st_mode & 07777) : 0644);

  FilePointer file(fdopen(fd, "wb"));
  if (!file) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  bool written = size == 0 || (data != nullptr && std::fwrite(data, 1, size, file.get()) == size);
  written = written && std::fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
  const int error = written ? 0 : errno;
  written = std::fclose(file.release()) == 0 && written;
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) {
    SyncFolder(folder);
    return true;
  }
  std::fprintf(stderr, "%s: cannot save: %s\n", path.c_str(), std::strerror(error != 0 ? error : errno));
  unlink(temporary.c_str());
  return false;
}

bool CreateFolders(const std::string& name) {
  const std::string path = ResolveDataPath(name);
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  return IsFolder(path);
}

std::vector<FolderEntry> ListFolder(const std::string& name) {
  std::vector<FolderEntry> entries;
  const std::string path = ResolveDataPath(name);
  std::unique_ptr<DIR, FolderCloser> listing(opendir(path.empty() ? "." : path.c_str()));
  if (!listing) return entries;
  const std::string prefix = path.empty() || path.back() == '/' ? path : path + "/";
  while (const dirent* entry = readdir(listing.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    FolderEntry item;
    item.name = entry->d_name;
    if (entry->d_type == DT_DIR) {
      item.isFolder = true;
    } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      item.isFolder = IsFolder(prefix + item.name);
    }
    entries.push_back(std::move(item));
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace platform
