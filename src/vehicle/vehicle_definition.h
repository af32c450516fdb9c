// Reading a car's definition keys: the folder of a definition, number parsing, and values of a key with the
// installed upgrades' override.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {
class DataFile;
}

namespace vehicle {

class UpgradeList;

// The path up to and including its last '/' or '\' (empty without one).
std::string FolderOf(const std::string& path);
// The C library's conversion: 0 for text that is no number; values that are not finite read as 0 too.
float ParseFloat(const std::string& text);
// Upper-case copy.
std::string UpperCopy(std::string text);

// The values of definition keys, with the installed upgrades' value for the same key taking over.
struct DefinitionReader {
  const app::DataFile& file;
  const UpgradeList* upgrades;

  // The file's values of the key, replaced by the last installed upgrade's property of upgradeKey when one
  // carries it. With onlyWhenFileHasKey the upgrade counts only when the file has the key. Null when neither.
  const std::vector<std::string>* Values(const char* key, uint32_t upgradeKey, bool onlyWhenFileHasKey) const;
  // The file's own values of a key, or null.
  const std::vector<std::string>* FileValues(const char* key) const;
  // Reads value 0 of the key as a float into out when present (with the upgrade override); true when read.
  bool Float(const char* key, uint32_t upgradeKey, float& out) const;
  // The same without an upgrade key.
  bool FileFloat(const char* key, float& out) const;
};

}  // namespace vehicle
