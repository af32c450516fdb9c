// Sprites: quad corners by mode, where the virtual placement lands on any back buffer, turned sprites, quads
// built again, and the draw that leaves the texture to its caller.
#include "frontend/sprite.h"

#include "frontend_test_support.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"

namespace frontend_test {
namespace {

using frontend::Sprite;

class SpriteTest : public FrontEndTest {};

// Back-buffer pixel of a local point through the view and the 2D pass's 800 × 600 orthographic projection.
std::pair<float, float> OnBackBuffer(const platform::Matrix4& view, float x, float y, float width = 800,
                                     float height = 600) {
  const platform::Matrix4 clip = view * platform::OrthoLH(800, 600, 1, 10);
  const float cx = x * clip.m[0][0] + y * clip.m[1][0] + clip.m[3][0];
  const float cy = x * clip.m[0][1] + y * clip.m[1][1] + clip.m[3][1];
  return {(cx + 1) * width / 2, (1 - cy) * height / 2};
}

TEST_F(SpriteTest, CornersAndTextureFollowTheModeAndLandWhereTheVirtualPlacementSays) {
  const struct {
    int mode;
    float x, y;  // virtual placement of a 100 × 50 quad
    float left, top, right, bottom;
  } cases[] = {{0, 563, 220, 563, 220, 663, 270}, {1, 400, 300, 350, 275, 450, 325}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.mode);
    Sprite sprite(device_, nullptr, test.x, test.y, 100, 50, 0.25f, 0.5f, 0.75f, 1.0f, test.mode, 800, 600);
    const auto corners = Vertices(sprite.vertexBuffer);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_FLOAT_EQ(corners[0].u, 0.25f);
    EXPECT_FLOAT_EQ(corners[0].v, 0.5f);
    EXPECT_FLOAT_EQ(corners[2].u, 0.75f);
    EXPECT_FLOAT_EQ(corners[2].v, 1.0f);
    for (const auto& [width, height] : {std::pair{640.0f, 480.0f}, std::pair{1024.0f, 768.0f}}) {
      auto [left, top] = OnBackBuffer(sprite.PlacementView(), corners[0].x, corners[0].y, width, height);
      auto [right, bottom] = OnBackBuffer(sprite.PlacementView(), corners[2].x, corners[2].y, width, height);
      EXPECT_NEAR(left, test.left * width / 800, 1e-3);
      EXPECT_NEAR(top, test.top * height / 600, 1e-3);
      EXPECT_NEAR(right, test.right * width / 800, 1e-3);
      EXPECT_NEAR(bottom, test.bottom * height / 600, 1e-3);
    }
  }
}


TEST_F(SpriteTest, ATurnedSpriteIsDrawnRotatedCounterClockwiseAboutItsOriginPoint) {
  // A 100 x 50 quad; where its corners 1 and 3, (w, 0) and (0, -h) in mode 0 or (w/2, h/2) and (-w/2, -h/2) in
  // mode 1, land on an 800 x 600 back buffer through the view transform Draw sets.
  const struct {
    int mode;
    float x, y, angle;
    float firstX, firstY, secondX, secondY;
  } cases[] = {
      {0, 100, 100, 0, 200, 100, 100, 150},    // unturned: top-right and bottom-left corners
      {0, 100, 100, 90, 100, 0, 150, 100},     // a quarter turn about the top-left corner
      {0, 100, 100, 180, 0, 100, 100, 50},     // half a turn
      {1, 400, 300, 90, 375, 250, 425, 350},   // a quarter turn about the centre
      {1, 400, 300, -90, 425, 350, 375, 250},  // and the other way
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << test.mode << " angle " << test.angle);
    Sprite sprite(device_, nullptr, test.x, test.y, 100, 50, 0, 0, 1, 1, test.mode, 800, 600);
    sprite.angle = test.angle;
    device_->ClearRecords();
    sprite.Draw(device_);
    ASSERT_EQ(DrawCount(), 1u);
    platform::Matrix4 view;
    ASSERT_EQ(device_->GetTransform(platform::gfx::TransformState::View, view), platform::kOk);
    const auto corners = Vertices(sprite.vertexBuffer);
    const auto [firstX, firstY] = OnBackBuffer(view, corners[1].x, corners[1].y);
    const auto [secondX, secondY] = OnBackBuffer(view, corners[3].x, corners[3].y);
    EXPECT_NEAR(firstX, test.firstX, 1e-3);
    EXPECT_NEAR(firstY, test.firstY, 1e-3);
    EXPECT_NEAR(secondX, test.secondX, 1e-3);
    EXPECT_NEAR(secondY, test.secondY, 1e-3);
  }
}

TEST_F(SpriteTest, DrawBindsTheImageWhileDrawRotatedKeepsTheTextureItsCallerSet) {
  render::ImageResource* image =
      resources_->LoadTextureEx(device_, frontend::kButtonImage, frontend::kButtonAlpha, 0, 1);
  ASSERT_NE(render::GetImageTexture(image), nullptr);
  render::ImageResource* other = resources_->LoadTextureEx(device_, frontend::kFontImage, frontend::kFontAlpha, 0, 1);
  ASSERT_NE(render::GetImageTexture(other), nullptr);
  {
    Sprite sprite(device_, image, 50, 50, 20, 20, 0, 0, 1, 1, 0, 800, 600);
    sprite.angle = 30;
    platform::Matrix4 drawView, rotatedView;
    device_->SetTexture(0, render::GetImageTexture(other));
    device_->ClearRecords();
    sprite.DrawRotated(device_);
    device_->GetTransform(platform::gfx::TransformState::View, rotatedView);
    sprite.Draw(device_);
    device_->GetTransform(platform::gfx::TransformState::View, drawView);
    ASSERT_EQ(DrawCount(), 2u);
    EXPECT_EQ(device_->Draws()[0].texture0, render::GetImageTexture(other));
    EXPECT_EQ(device_->Draws()[1].texture0, render::GetImageTexture(image));
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 4; ++column) {
        EXPECT_FLOAT_EQ(rotatedView.m[row][column], drawView.m[row][column]) << row << ", " << column;
      }
    }
  }
  resources_->ReleaseImage(image);
  resources_->ReleaseImage(other);
}

TEST_F(SpriteTest, BuildQuadReplacesTheQuadGivesTheOldBufferBackAndFailsWithoutADevice) {
  Sprite sprite(device_, nullptr, 0, 0, 10, 10, 0, 0, 1, 1, 1, 800, 600);
  platform::gfx::VertexBuffer* old = sprite.vertexBuffer;
  ASSERT_NE(old, nullptr);
  old->AddRef();  // kept alive to see the sprite let go of it
  EXPECT_TRUE(sprite.BuildQuad(device_, 40, 20, 0.5f, 0.25f, 0.75f, 0.5f));
  EXPECT_EQ(old->References(), 1u);
  old->Release();
  const auto corners = Vertices(sprite.vertexBuffer);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_FLOAT_EQ(corners[0].x, -20);  // mode 1: centred
  EXPECT_FLOAT_EQ(corners[0].y, 10);
  EXPECT_FLOAT_EQ(corners[2].x, 20);
  EXPECT_FLOAT_EQ(corners[2].y, -10);
  EXPECT_FLOAT_EQ(corners[0].u, 0.5f);
  EXPECT_FLOAT_EQ(corners[2].v, 0.5f);
  EXPECT_EQ(corners[3].diffuse, frontend::kOpaqueWhite);

  EXPECT_FALSE(sprite.BuildQuad(nullptr, 40, 20, 0, 0, 1, 1));
  EXPECT_EQ(sprite.vertexBuffer, nullptr);
  device_->ClearRecords();
  sprite.Draw(device_);
  EXPECT_EQ(DrawCount(), 0u) << "a sprite without a quad draws nothing";
}

}  // namespace
}  // namespace frontend_test
