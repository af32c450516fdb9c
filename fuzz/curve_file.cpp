// Fuzzes the .crv curve reader and evaluation over whatever it read: any x, even far outside the points or not a
// number, evaluates without reading outside the points.
#include <cmath>

#include "app/curve.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  app::Curve curve = app::Curve::FromText(fuzz_support::Text(data, size));
  Check(curve.MaxY() >= 0.0f);
  for (float x : {-1e30f, -1.0f, 0.0f, 0.5f, 1.0f, 1e30f, NAN}) {
    (void)curve.Evaluate(x);
    Check(curve.FindIndex(x) <= curve.Points().size());
  }
  curve.ScaleY(2.0f);
  return 0;
}
