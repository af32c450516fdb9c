// Models on a device short of buffers: a model whose mesh cannot get its buffers is refused with a message and
// left empty, and one whose reordering cannot get new buffers keeps the buffers it has and still draws.
#include <gtest/gtest.h>

#include "contentgen/animated_models.h"
#include "geometry/models/model.h"
#include "model_test_support.h"

namespace {

namespace gfx = platform::gfx;
using platform::HResult;

// Hands out a limited number of vertex and index buffers (negative: any number).
class BufferRationDevice : public model_test::RecordingDevice {
 public:
  using RecordingDevice::RecordingDevice;
  HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, gfx::Pool pool,
                             gfx::VertexBuffer** buffer) override {
    if (vertexBuffersLeft == 0) {
      *buffer = nullptr;
      return platform::kOutOfVideoMemory;
    }
    if (vertexBuffersLeft > 0) --vertexBuffersLeft;
    return RecordingDevice::CreateVertexBuffer(length, usage, fvf, pool, buffer);
  }
  HResult CreateIndexBuffer(uint32_t length, uint32_t usage, gfx::Format format, gfx::Pool pool,
                            gfx::IndexBuffer** buffer) override {
    if (indexBuffersLeft == 0) {
      *buffer = nullptr;
      return platform::kOutOfVideoMemory;
    }
    if (indexBuffersLeft > 0) --indexBuffersLeft;
    return RecordingDevice::CreateIndexBuffer(length, usage, format, pool, buffer);
  }
  int vertexBuffersLeft = -1, indexBuffersLeft = -1;
};

class ModelScarceRulesTest : public model_test::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    const gfx::PresentParameters parameters = device_->Parameters();
    device_->Release();
    ration_ = new BufferRationDevice(system_, 0, system_.description.adapters[0], parameters);
    device_ = ration_;
    ASSERT_TRUE(contentgen::WriteModelFile(folder_ + "part.MOD", model_test::TriangleModel(2)));
  }
  BufferRationDevice* ration_ = nullptr;
};

TEST_F(ModelScarceRulesTest, AMeshWithoutBuffersIsRefusedAndOneThatCannotBeReorderedKeepsItsBuffers) {
  const struct {
    const char* what;
    int vertexBuffers, indexBuffers;
    bool loads;
  } cases[] = {
      {"no vertex buffer", 0, -1, false},
      {"no index buffer", -1, 0, false},
      {"no second vertex buffer for the reordering", 1, -1, true},
      {"no second index buffer for the reordering", -1, 1, true},
  };
  for (const auto& c : cases) {
    ration_->vertexBuffersLeft = c.vertexBuffers;
    ration_->indexBuffersLeft = c.indexBuffers;
    geometry::Model model(nullptr, settings_.get());
    testing::internal::CaptureStdout();
    EXPECT_EQ(model.Load(device_, folder_ + "part.MOD", folder_), c.loads) << c.what;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(model.Empty(), !c.loads) << c.what;
    if (!c.loads) {
      EXPECT_NE(printed.find("the mesh cannot be built"), std::string::npos) << c.what << ": " << printed;
      continue;
    }
    ration_->drawn.clear();
    model.DrawByKind(device_, gfx::IdentityMatrix(), nullptr, nullptr);
    ASSERT_FALSE(ration_->drawn.empty()) << c.what;
    EXPECT_EQ(ration_->Stats().failedDraws, 0u) << c.what;
  }
}

}  // namespace
