// The tagged text data file: named records with value lists and block records with children, read whole at
// construction. Content lists, race lists, vehicle, engine, tyre and upgrade definitions are written in it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace app {

class TextFileReader;

// One record: <NAME>,value,value... or a [NAME] ... [/NAME] block whose value records are its children.
struct DataRecord {
  std::string name;
  std::vector<std::string> values;
  std::vector<DataRecord> children;

  // Names are compared exactly (case matters).
  int CountChildren(const std::string& childName) const;
  // The first child of that name, or null.
  const DataRecord* FindChild(const std::string& childName) const;
  // The n-th (0-based) child of that name, or null when there are n or fewer.
  const DataRecord* NthChild(const std::string& childName, int n) const;
};

// Lines are split at ':', ',', tab, carriage return and line feed ('#' starts a comment; spaces belong to
// values). A first token of two characters or fewer, or of any other shape, makes the line ignored; blocks do
// not nest, and a last line without a line feed is not read. Returned records stay valid while the file lives.
class DataFile {
 public:
  // Reads the whole file; a file that cannot be opened gives no records.
  explicit DataFile(const std::string& path);
  // Parses text held in memory the same way (generated content, fuzzing).
  static DataFile FromText(const std::string& text, const std::string& name = "<memory>");

  const std::string& Path() const { return path_; }
  const std::vector<DataRecord>& Records() const { return records_; }

  bool HasRecord(const std::string& name) const;
  int CountRecords(const std::string& name) const;
  // The first top-level record of that name, or null.
  const DataRecord* FindRecord(const std::string& name) const;
  // The n-th (0-based) top-level record of that name, or null when there are n or fewer.
  const DataRecord* NthRecord(const std::string& name, int n) const;

 private:
  DataFile() = default;
  void Parse(TextFileReader& reader);
  void ParseBlock(TextFileReader& reader, DataRecord& block);

  void IndexRecords();

  std::string path_;
  std::vector<DataRecord> records_;
  // Positions of the top-level records of each name, so that walking every record of a name stays linear.
  std::unordered_map<std::string, std::vector<uint32_t>> positionsByName_;
};

}  // namespace app
