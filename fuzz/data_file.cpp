// Fuzzes the tagged text data-file reader and the curve reader with the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/curve.h"
#include "app/data_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

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
  const std::string text(reinterpret_cast<const char*>(data), size);

  const app::DataFile file = app::DataFile::FromText(text);
  for (const app::DataRecord& record : file.Records()) {
    Visit(record);
    const int count = file.CountRecords(record.name);
    Check(count >= 1);
    Check(file.NthRecord(record.name, count - 1) != nullptr);
    Check(file.NthRecord(record.name, count) == nullptr);
  }

  app::Curve curve = app::Curve::FromText(text);
  Check(curve.MaxY() >= 0.0f);
  for (float x : {-1e30f, -1.0f, 0.0f, 0.5f, 1.0f, 1e30f, NAN}) {
    (void)curve.Evaluate(x);
    Check(curve.FindIndex(x) <= curve.Points().size());
  }
  curve.ScaleY(2.0f);
  return 0;
}
