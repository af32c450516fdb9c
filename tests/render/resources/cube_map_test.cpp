// Cube maps: from a DDS cube file, from six face pictures, and the render target's refusals. The resource manager's
// test rebuilds them after a device reset; the race's pixel test draws into a car's cube.
#include "render/resources/cube_map.h"

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "render/resources/image_test_support.h"

namespace {

using platform::gfx::CubeFace;
using platform::gfx::Format;
using render::CubeMap;

constexpr uint32_t kFaceColours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

class CubeMapTest : public render_test::NullDeviceFixture {
 protected:
  uint32_t FaceTexel(const CubeMap& cube, uint32_t face, uint32_t x, uint32_t y) {
    platform::gfx::LockedRect locked;
    if (platform::Failed(cube.cubeTexture->LockRect(static_cast<CubeFace>(face), 0, locked, nullptr, 0))) return 0xDEAD;
    const uint8_t* t = static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch + x * 4;
    const uint32_t value = uint32_t{t[0]} | uint32_t{t[1]} << 8 | uint32_t{t[2]} << 16 | uint32_t{t[3]} << 24;
    cube.cubeTexture->UnlockRect(static_cast<CubeFace>(face), 0);
    return value;
  }
  std::string WriteCubeFile(const std::string& name, uint32_t edge) {
    std::vector<contentgen::PictureData> faces;
    for (uint32_t colour : kFaceColours) faces.push_back(Solid(edge, edge, colour));
    EXPECT_TRUE(contentgen::WriteDds(folder_ + name, Format::A8R8G8B8, faces, 1));
    return folder_ + name;
  }
  std::array<std::string, 6> WriteFaces(uint32_t edge) {
    std::array<std::string, 6> names;
    for (uint32_t face = 0; face < 6; ++face) {
      names[face] = Write("face" + std::to_string(face) + ".png", Solid(edge, edge, kFaceColours[face]));
    }
    return names;
  }
};

TEST_F(CubeMapTest, LoadsDdsCubeFilesFaceByFace) {
  CubeMap cube;
  ASSERT_EQ(cube.LoadFromFile(device_, WriteCubeFile("env.dds", 8)), platform::kOk);
  EXPECT_TRUE(cube.ready);
  EXPECT_EQ(cube.mode, render::kCubeFromFile);
  EXPECT_EQ(cube.size, 8u);
  for (uint32_t face = 0; face < 6; ++face) EXPECT_EQ(FaceTexel(cube, face, 3, 5), kFaceColours[face]) << face;

  CubeMap missing;
  EXPECT_EQ(missing.LoadFromFile(device_, folder_ + "none.dds"), platform::kFail);
  EXPECT_FALSE(missing.ready);
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "flat.dds", Format::A8R8G8B8, {Solid(8, 8, 0xFF000000)}, 1));
  CubeMap flat;
  EXPECT_EQ(flat.LoadFromFile(device_, folder_ + "flat.dds"), platform::kFail);
  EXPECT_FALSE(flat.ready);
}

TEST_F(CubeMapTest, BuildsFromSixFacesAndSkipsFacesThatAreNotSquare) {
  std::array<std::string, 6> names = WriteFaces(16);
  CubeMap cube;
  ASSERT_EQ(cube.LoadFaces(device_, names), platform::kOk);
  EXPECT_TRUE(cube.ready);
  EXPECT_EQ(cube.mode, render::kCubeFromFaces);
  EXPECT_EQ(cube.size, 16u);
  for (uint32_t face = 0; face < 6; ++face) EXPECT_EQ(FaceTexel(cube, face, 7, 7), kFaceColours[face]) << face;

  names[3] = Write("wide.png", Solid(16, 8, 0xFF808080));
  names[4] = Write("big.png", Solid(32, 32, 0xFF204080));
  CubeMap mixed;
  ASSERT_EQ(mixed.LoadFaces(device_, names), platform::kOk);
  EXPECT_NE(FaceTexel(mixed, 3, 2, 2), 0xFF808080u) << "a face picture that is not square leaves the face alone";
  EXPECT_EQ(FaceTexel(mixed, 4, 2, 2), 0xFF204080u) << "a larger square face is scaled into place";

  names[5] = folder_ + "gone.png";
  CubeMap missing;
  EXPECT_EQ(missing.LoadFaces(device_, names), platform::kFail);
  EXPECT_FALSE(missing.ready);
  EXPECT_EQ(missing.cubeTexture, nullptr);
}

TEST_F(CubeMapTest, RenderTargetRefusesFacesItHasNotAndDrawingInsideTheFramesScene) {
  CubeMap cube;
  ASSERT_EQ(cube.Create(device_, 64, render::kCubeRenderTarget), platform::kOk);
  ASSERT_EQ(cube.BeginCubeRender(), platform::kOk);
  EXPECT_EQ(cube.SetCubeRenderFace(6), platform::kFail);
  EXPECT_EQ(cube.EndCubeRender(), platform::kOk);
  // Inside the frame's own scene the drawing cannot begin, and the frame's target stays.
  platform::gfx::Surface* before = nullptr;
  platform::gfx::Surface* after = nullptr;
  device_->GetRenderTarget(&before);
  ASSERT_EQ(device_->BeginScene(), platform::kOk);
  EXPECT_TRUE(platform::Failed(cube.BeginCubeRender()));
  EXPECT_EQ(cube.SetCubeRenderFace(0), platform::kFail);
  device_->GetRenderTarget(&after);
  EXPECT_EQ(after, before);
  before->Release();
  after->Release();
  device_->EndScene();

  CubeMap plain;
  plain.Create(device_, 64, render::kCubeEmpty);
  EXPECT_EQ(plain.BeginCubeRender(), platform::kFail);
  EXPECT_EQ(plain.SetCubeRenderFace(0), platform::kFail);
  CubeMap broken;
  EXPECT_EQ(broken.Create(device_, 0, render::kCubeRenderTarget), platform::kFail);
  EXPECT_FALSE(broken.ready);
}

}  // namespace
