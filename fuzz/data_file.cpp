// Fuzzes the tagged text data-file reader: every record is reachable by name and position.
#include <unordered_map>

#include "app/data_file.h"
#include "fuzz_support.h"

namespace {

// Walks every record the way content readers do.
size_t Visit(const app::DataRecord& record) {
  size_t count = record.values.size();
  Check(record.name.size() >= 1);
  for (const app::DataRecord& child : record.children) count += Visit(child);
  if (!record.children.empty()) Check(record.FindChild(record.children.front().name) == &record.children.front());
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz_support::Text(data, size);

  const app::DataFile file = app::DataFile::FromText(text);
  // The n-th record of a name, found by name, is the n-th met walking the file.
  std::unordered_map<std::string, int> seen;
  for (const app::DataRecord& record : file.Records()) {
    Visit(record);
    const int n = seen[record.name]++;
    Check(file.NthRecord(record.name, n) == &record);
    if (n == 0) Check(file.FindRecord(record.name) == &record);
  }
  for (const auto& [name, count] : seen) {
    Check(file.CountRecords(name) == count);
    Check(file.NthRecord(name, count) == nullptr && file.NthRecord(name, -1) == nullptr);
  }
  return 0;
}
