// Sprites: quad corners by mode, where the virtual placement lands on any back buffer.
#include "frontend/sprite.h"

#include "frontend_test_support.h"
#include "platform/math/math.h"

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

}  // namespace
}  // namespace frontend_test
