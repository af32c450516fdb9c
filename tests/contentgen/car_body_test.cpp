// The sample cars' lofted bodies as the writers build them: the lower body closed at both ends by faces the
// camera sees from outside.
#include <gtest/gtest.h>

#include <cmath>

#include "contentgen/car_body.h"
#include "contentgen/car_models.h"
#include "contentgen/vehicle_content.h"
#include "platform/math/math.h"

namespace contentgen {
namespace {

// A face turned inward is culled from outside: the end of the car shows the road and the wheels through it.
TEST(CarBody, BothEndsFaceOutwardAtEveryDetailWithAndWithoutTheKit) {
  struct Build {
    const char* name;
    BodyDetail detail;
    bool kit;
  };
  const Build builds[] = {{"full", BodyDetail::kFull, false},
                          {"full kit", BodyDetail::kFull, true},
                          {"middle", BodyDetail::kMiddle, false},
                          {"far", BodyDetail::kFar, false}};
  for (const SampleCar& car : SampleCars()) {
    const CarModelSpec spec = ModelSpecOf(car);
    const float half = spec.bodyLength / 2;
    for (const Build& build : builds) {
      SCOPED_TRACE(car.name + " " + build.name);
      const CarMesh body = BuildBody(spec, build.detail, build.kit, nullptr);
      // The end fans are the only faces lying in the planes of the body's two ends.
      int outward[2] = {0, 0}, inward[2] = {0, 0};
      for (const MeshTriangle& t : body.Triangles()) {
        for (int end = 0; end < 2; ++end) {
          const float z = end == 0 ? -half : half;
          bool inPlane = true;
          for (const platform::Vec3& corner : t.corners) inPlane = inPlane && std::fabs(corner.z - z) < 1e-3f;
          if (!inPlane) continue;
          const float facing = FaceNormal(t).z * (end == 0 ? -1.0f : 1.0f);
          ++(facing > 0.5f ? outward : inward)[end];
        }
      }
      EXPECT_EQ(outward[0], 16) << "rear";
      EXPECT_EQ(inward[0], 0) << "rear";
      EXPECT_EQ(outward[1], 16) << "front";
      EXPECT_EQ(inward[1], 0) << "front";
    }
  }
}

}  // namespace
}  // namespace contentgen
