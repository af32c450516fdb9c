// Test of the versioned vertex-animated model file: bad files are refused with one line, their work bounded by
// their size.
#include "geometry/models/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "model_test_support.h"

namespace {

using geometry::Model;
using model_test::TriangleModel;

class ModelTest : public model_test::ModelFixture {};

TEST_F(ModelTest, BadFilesAreRefusedWithOneLine) {
  auto refused = [&](const std::vector<unsigned char>& bytes, const std::string& label) {
    Model model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.LoadFromMemory(device_, bytes, "bad.mod", "")) << label;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << label;
    EXPECT_TRUE(model.Empty() && model.frameCount == 0) << label;
  };
  const std::vector<unsigned char> good = contentgen::EncodeModelFile(TriangleModel(2));
  Model loaded(manager_.get(), settings_.get());
  ASSERT_TRUE(loaded.LoadFromMemory(device_, good, "good.mod", ""));
  for (size_t size = 0; size < good.size(); ++size) refused({good.begin(), good.begin() + long(size)}, "cut");

  std::vector<contentgen::ModelFileData> bad(4, TriangleModel(1));
  bad[0].divisor = 0;
  bad[1].surfaces[0].triangles[0][2] = 3;  // a corner beyond the vertices
  bad[2].surfaces[0].frames = 2;           // more surface frames than the model has
  bad[2].surfaces[0].frameVertices.push_back(bad[2].surfaces[0].frameVertices[0]);
  // A billion frames cost a file without vertices nothing, but walking them would take seconds.
  bad[3].surfaces.clear();
  bad[3].frameCount = 1 << 30;
  for (size_t i = 0; i < bad.size(); ++i) refused(contentgen::EncodeModelFile(bad[i]), "case " + std::to_string(i));
  // A surface must hold its records: one of size 0 would be read again and again at the same place.
  const std::vector<unsigned char> one = contentgen::EncodeModelFile(TriangleModel(1));
  const size_t surfaceBytes = 104 + 16 + 3 * 8 + 3 * 8;
  for (int32_t size : {0, 104, int32_t(surfaceBytes) - 1}) {
    std::vector<unsigned char> bytes = one;
    std::memcpy(&bytes[bytes.size() - surfaceBytes + 100], &size, 4);
    refused(bytes, "surface size " + std::to_string(size));
  }
}

}  // namespace
