// The tagged text data file reader.
#include "app/data_file.h"

#include "app/text_file_reader.h"

namespace app {

namespace {

constexpr char kSeparators[] = ":,\n\t\r";
constexpr char kComment = '#';
// Shorter first tokens are too short to be a tag with a name and are ignored.
constexpr size_t kMinTagLength = 3;

bool IsValueTag(const std::string& token) { return token.front() == '<' && token.back() == '>'; }
bool IsBlockEnd(const std::string& token) { return token.rfind("[/", 0) == 0 && token.back() == ']'; }
bool IsBlockStart(const std::string& token) { return token.front() == '[' && token.back() == ']'; }
std::string TagName(const std::string& token) { return token.substr(1, token.size() - 2); }

DataRecord ValueRecord(const TokenQueue& tokens) {
  DataRecord record;
  record.name = TagName(tokens.front());
  record.values.assign(tokens.begin() + 1, tokens.end());
  return record;
}

template <typename Records>
const DataRecord* NthNamed(const Records& records, const std::string& name, int n) {
  if (n < 0) return nullptr;
  for (const DataRecord& record : records) {
    if (record.name == name && n-- == 0) return &record;
  }
  return nullptr;
}

template <typename Records>
int CountNamed(const Records& records, const std::string& name) {
  int count = 0;
  for (const DataRecord& record : records) count += record.name == name ? 1 : 0;
  return count;
}

}  // namespace

int DataRecord::CountChildren(const std::string& childName) const { return CountNamed(children, childName); }
const DataRecord* DataRecord::FindChild(const std::string& childName) const { return NthNamed(children, childName, 0); }
const DataRecord* DataRecord::NthChild(const std::string& childName, int n) const {
  return NthNamed(children, childName, n);
}

bool DataFile::HasRecord(const std::string& name) const { return FindRecord(name) != nullptr; }
int DataFile::CountRecords(const std::string& name) const {
  const auto found = positionsByName_.find(name);
  return found == positionsByName_.end() ? 0 : static_cast<int>(found->second.size());
}
const DataRecord* DataFile::FindRecord(const std::string& name) const { return NthRecord(name, 0); }
const DataRecord* DataFile::NthRecord(const std::string& name, int n) const {
  const auto found = positionsByName_.find(name);
  if (n < 0 || found == positionsByName_.end() || static_cast<size_t>(n) >= found->second.size()) return nullptr;
  return &records_[found->second[static_cast<size_t>(n)]];
}

void DataFile::IndexRecords() {
  positionsByName_.clear();
  for (size_t i = 0; i < records_.size(); ++i) positionsByName_[records_[i].name].push_back(static_cast<uint32_t>(i));
}

DataFile::DataFile(const std::string& path) : path_(path) {
  TextFileReader reader;
  if (reader.Open(path)) {
    Parse(reader);
    reader.Close();
  }
  IndexRecords();
}

DataFile DataFile::FromText(const std::string& text, const std::string& name) {
  DataFile file;
  file.path_ = name;
  TextFileReader reader;
  reader.OpenText(text, name);
  file.Parse(reader);
  file.IndexRecords();
  return file;
}

void DataFile::Parse(TextFileReader& reader) {
  TokenQueue tokens;
  while (true) {
    tokens.clear();
    reader.ReadTokens(tokens, kSeparators, kComment);
    if (reader.Eof()) break;
    if (tokens.empty() || tokens.front().size() < kMinTagLength) continue;
    const std::string& first = tokens.front();
    if (IsValueTag(first)) {
      records_.push_back(ValueRecord(tokens));
    } else if (IsBlockStart(first)) {
      // At the top level a closing line is not special: it opens a block whose name begins with '/'.
      records_.push_back(DataRecord{TagName(first), {}, {}});
      ParseBlock(reader, records_.back());
    }
  }
}

void DataFile::ParseBlock(TextFileReader& reader, DataRecord& block) {
  TokenQueue tokens;
  while (true) {
    tokens.clear();
    reader.ReadTokens(tokens, kSeparators, kComment);
    if (reader.Eof()) return;
    if (tokens.empty() || tokens.front().size() < kMinTagLength) continue;
    const std::string& first = tokens.front();
    if (IsValueTag(first)) {
      block.children.push_back(ValueRecord(tokens));
    } else if (IsBlockEnd(first)) {
      return;
    } else if (IsBlockStart(first)) {
      // Blocks do not nest: an inner opening line leaves an empty child and the outer block goes on.
      block.children.push_back(DataRecord{TagName(first), {}, {}});
    }
  }
}

}  // namespace app
