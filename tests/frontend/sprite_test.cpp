// Sprites: quad corners by mode, placement in the virtual screen, rotation, resizing and drawing.
#include "frontend/sprite.h"

#include <cmath>

#include "frontend_test_support.h"
#include "platform/math/math.h"

namespace frontend_test {
namespace {

using frontend::Sprite;

class SpriteTest : public FrontEndTest {};

// Where a local point of a widget lands on the 800 × 600 screen (origin top-left, y down) through a view.
std::pair<float, float> OnScreen(const platform::Matrix4& view, float x, float y) {
  const float sx = x * view.m[0][0] + y * view.m[1][0] + view.m[3][0];
  const float sy = x * view.m[0][1] + y * view.m[1][1] + view.m[3][1];
  return {sx + 400.0f, 300.0f - sy};
}

TEST_F(SpriteTest, QuadCornersFollowTheModeAndTextureRectangle) {
  Sprite topLeft(device_, nullptr, 0, 0, 100, 50, 0.25f, 0.5f, 0.75f, 1.0f, 0, 800, 600);
  const auto corners = Vertices(topLeft.vertexBuffer);
  ASSERT_EQ(corners.size(), 4u);
  const float expected0[4][4] = {{0, 0, 0.25f, 0.5f}, {100, 0, 0.75f, 0.5f}, {100, -50, 0.75f, 1}, {0, -50, 0.25f, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(corners[i].x, expected0[i][0]);
    EXPECT_FLOAT_EQ(corners[i].y, expected0[i][1]);
    EXPECT_FLOAT_EQ(corners[i].u, expected0[i][2]);
    EXPECT_FLOAT_EQ(corners[i].v, expected0[i][3]);
    EXPECT_EQ(corners[i].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(corners[i].z, 0.0f);
  }
  Sprite centred(device_, nullptr, 0, 0, 100, 50, 0, 0, 1, 1, 1, 800, 600);
  const auto middle = Vertices(centred.vertexBuffer);
  EXPECT_FLOAT_EQ(middle[0].x, -50);
  EXPECT_FLOAT_EQ(middle[0].y, 25);
  EXPECT_FLOAT_EQ(middle[2].x, 50);
  EXPECT_FLOAT_EQ(middle[2].y, -25);
}

TEST_F(SpriteTest, PlacementPutsTheQuadWhereItsVirtualCoordinatesSay) {
  Sprite centred(device_, nullptr, 400, 300, 200, 100, 0, 0, 1, 1, 1, 800, 600);
  EXPECT_FLOAT_EQ(centred.originX, 0);
  EXPECT_FLOAT_EQ(centred.originY, 0);
  const auto corners = Vertices(centred.vertexBuffer);
  auto [left, top] = OnScreen(centred.PlacementView(), corners[0].x, corners[0].y);
  EXPECT_FLOAT_EQ(left, 300);
  EXPECT_FLOAT_EQ(top, 250);

  Sprite corner(device_, nullptr, 0, 0, 200, 100, 0, 0, 1, 1, 0, 800, 600);
  auto [x, y] = OnScreen(corner.PlacementView(), 0, 0);
  EXPECT_FLOAT_EQ(x, 0);
  EXPECT_FLOAT_EQ(y, 0);
  corner.SetPosition(563, 220, 800, 600);
  auto [bx, by] = OnScreen(corner.PlacementView(), 200, -100);
  EXPECT_FLOAT_EQ(bx, 763);
  EXPECT_FLOAT_EQ(by, 320);
}

// Back-buffer pixel of a local point through the view and the 2D pass's 800 × 600 orthographic projection.
std::pair<float, float> OnBackBuffer(const platform::Matrix4& view, float x, float y, float bufferWidth,
                                     float bufferHeight) {
  const platform::Matrix4 clip = view * platform::OrthoLH(800, 600, 1, 10);
  const float cx = x * clip.m[0][0] + y * clip.m[1][0] + clip.m[3][0];
  const float cy = x * clip.m[0][1] + y * clip.m[1][1] + clip.m[3][1];
  return {(cx + 1) * bufferWidth / 2, (1 - cy) * bufferHeight / 2};
}

TEST_F(SpriteTest, VirtualPlacementScalesToAnyBackBuffer) {
  Sprite sprite(device_, nullptr, 400, 300, 80, 60, 0, 0, 1, 1, 0, 800, 600);
  const auto corners = Vertices(sprite.vertexBuffer);
  for (const auto& [width, height] : {std::pair{640.0f, 480.0f}, std::pair{1024.0f, 768.0f}}) {
    auto [left, top] = OnBackBuffer(sprite.PlacementView(), corners[0].x, corners[0].y, width, height);
    auto [right, bottom] = OnBackBuffer(sprite.PlacementView(), corners[2].x, corners[2].y, width, height);
    EXPECT_NEAR(left, width / 2, 1e-3);
    EXPECT_NEAR(top, height / 2, 1e-3);
    EXPECT_NEAR(right, (400 + 80) * width / 800, 1e-3);
    EXPECT_NEAR(bottom, (300 + 60) * height / 600, 1e-3);
  }
}

TEST_F(SpriteTest, RotationTurnsAboutTheOriginPoint) {
  Sprite sprite(device_, nullptr, 100, 100, 40, 20, 0, 0, 1, 1, 0, 800, 600);
  sprite.angle = 90;
  // The origin stays put; the far top corner (40, 0) swings to straight above it (y up is screen up).
  auto [ox, oy] = OnScreen(sprite.PlacementView(), 0, 0);
  EXPECT_NEAR(ox, 100, 1e-4);
  EXPECT_NEAR(oy, 100, 1e-4);
  auto [cx, cy] = OnScreen(sprite.PlacementView(), 40, 0);
  EXPECT_NEAR(cx, 100, 1e-3);
  EXPECT_NEAR(cy, 60, 1e-3);
}

TEST_F(SpriteTest, SetSizeRewritesCornersAndKeepsTextureCoordinates) {
  Sprite sprite(device_, nullptr, 0, 0, 10, 10, 0.1f, 0.2f, 0.3f, 0.4f, 1, 800, 600);
  EXPECT_EQ(sprite.SetSize(60, 30), platform::kOk);
  const auto corners = Vertices(sprite.vertexBuffer);
  EXPECT_FLOAT_EQ(corners[1].x, 30);
  EXPECT_FLOAT_EQ(corners[1].y, 15);
  EXPECT_FLOAT_EQ(corners[1].u, 0.3f);
  EXPECT_FLOAT_EQ(corners[3].v, 0.4f);
  sprite.Resize(20, 10);
  EXPECT_FLOAT_EQ(Vertices(sprite.vertexBuffer)[0].x, -10);
}

TEST_F(SpriteTest, DrawSubmitsOneFanWithTheImageTextureAndItsView) {
  render::ImageResource* image = resources_->LoadTextureEx(device_, "MENUS\\pointer.png", "MENUS\\pointeralpha.png", 0, 1);
  ASSERT_NE(render::GetImageTexture(image), nullptr);
  Sprite sprite(device_, image, 10, 20, 32, 32, 0, 0, 1, 1, 0, 800, 600);
  device_->ClearRecords();
  sprite.Draw(device_);
  ASSERT_EQ(device_->Draws().size(), 1u);
  const auto& draw = device_->Draws()[0];
  EXPECT_EQ(draw.type, platform::gfx::PrimitiveType::TriangleFan);
  EXPECT_EQ(draw.primitiveCount, 2u);
  EXPECT_EQ(draw.fvf, frontend::kWidgetVertexFormat);
  EXPECT_EQ(draw.texture0, render::GetImageTexture(image));
  platform::Matrix4 view;
  device_->GetTransform(platform::gfx::TransformState::View, view);
  EXPECT_FLOAT_EQ(view.m[3][0], 10 - 400);
  EXPECT_FLOAT_EQ(view.m[3][1], 300 - 20);
  EXPECT_FLOAT_EQ(view.m[3][2], 1);

  // The HUD's form leaves the caller's texture in place.
  device_->SetTexture(0, nullptr);
  sprite.DrawRotated(device_);
  EXPECT_EQ(device_->Draws().back().texture0, nullptr);
  resources_->ReleaseImage(image);
}

TEST_F(SpriteTest, ReleasedSpriteDrawsNothingAndKeepsNoImage) {
  Sprite sprite(device_, nullptr, 0, 0, 10, 10, 0, 0, 1, 1, 0, 800, 600);
  sprite.Release();
  EXPECT_EQ(sprite.vertexBuffer, nullptr);
  device_->ClearRecords();
  sprite.Draw(device_);
  EXPECT_TRUE(device_->Draws().empty());
  EXPECT_EQ(sprite.SetSize(5, 5), platform::kInvalidCall);
}

TEST(AtlasRect, DividesPixelsByTheImageSizeAndToleratesAMissingImage) {
  const frontend::TexRect rect = frontend::AtlasRect(512, 256, 4, 144, 5, 145);
  EXPECT_FLOAT_EQ(rect.left, 4.0f / 512);
  EXPECT_FLOAT_EQ(rect.top, 144.0f / 256);
  EXPECT_FLOAT_EQ(rect.right, 5.0f / 512);
  EXPECT_FLOAT_EQ(rect.bottom, 145.0f / 256);
  const frontend::TexRect none = frontend::AtlasRect(0, 0, 4, 144, 5, 145);
  EXPECT_FLOAT_EQ(none.right, 1);
  EXPECT_FLOAT_EQ(none.bottom, 1);
}

}  // namespace
}  // namespace frontend_test
