// Menu buttons: hit rectangles, the highlight following the cursor, hover sounds, clicks and the quad built again.
#include "frontend/menu_button.h"

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using frontend::MenuButton;

class MenuButtonTest : public FrontEndTest {
 protected:
  std::unique_ptr<MenuButton> Make(int mode, float x = 100, float y = 50) {
    return std::make_unique<MenuButton>(device_, nullptr, resources_.get(), x, y, 200, 40, kNormal, kHighlight, mode,
                                        7, 800, 600);
  }
  const frontend::TexRect kNormal{0.0f, 0.0f, 0.1f, 0.1f};
  const frontend::TexRect kHighlight{0.5f, 0.5f, 0.9f, 0.6f};
};

TEST_F(MenuButtonTest, HitRectangleIncludesItsEdgesInBothModes) {
  auto corner = Make(0);           // (100, 50) to (300, 90)
  auto centred = Make(1, 400, 300);  // (300, 280) to (500, 320)
  const struct {
    MenuButton* button;
    frontend::VirtualPoint point;
    bool inside;
  } cases[] = {{corner.get(), {100, 50}, true},   {corner.get(), {300, 90}, true},   {corner.get(), {301, 90}, false},
               {corner.get(), {300, 91}, false},  {centred.get(), {300, 280}, true}, {centred.get(), {500, 320}, true},
               {centred.get(), {501, 300}, false}, {centred.get(), {400, 279}, false}};
  for (const auto& test : cases) {
    EXPECT_EQ(test.button->HitTest(test.point), test.inside) << test.point.x << ", " << test.point.y;
  }
}

TEST_F(MenuButtonTest, HighlightFollowsTheCursorAndItsSoundPlaysOnceEachTimeTheCursorEntersAndAfterAClick) {
  // Created under the cursor: silent until the cursor has left once.
  auto button = Make(0);
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 0);
  EXPECT_FLOAT_EQ(Vertices(button->vertexBuffer)[2].v, 0.6f);
  button->UpdateHover({10, 10});
  EXPECT_FLOAT_EQ(Vertices(button->vertexBuffer)[2].v, 0.1f);
  for (int frame = 0; frame < 20; ++frame) button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 1);
  // A frame's sound is heard before the click: a sound not yet heard would take a second start into itself.
  mixer_.Advance(0.02);
  EXPECT_EQ(button->Click({10, 10}), frontend::kNoButton);
  EXPECT_EQ(button->Click({150, 60}), 7);
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 2) << "a click sounds at the next hover update";
}


TEST_F(MenuButtonTest, BuildQuadWritesTheQuadForTheModeAndAButtonWithoutOneStillTakesClicks) {
  const struct {
    int mode;
    float left, top, right, bottom;  // local corners 0 and 2 of a 60 x 30 quad
  } cases[] = {{0, 0, 0, 60, -30}, {1, -30, 15, 30, -15}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.mode);
    auto button = Make(test.mode);
    platform::gfx::VertexBuffer* old = button->vertexBuffer;
    ASSERT_NE(old, nullptr);
    old->AddRef();  // kept alive to see the button let go of it
    EXPECT_TRUE(button->BuildQuad(device_, 60, 30, kHighlight));
    EXPECT_EQ(old->References(), 1u);
    old->Release();
    const auto corners = Vertices(button->vertexBuffer);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_FLOAT_EQ(corners[0].x, test.left);
    EXPECT_FLOAT_EQ(corners[0].y, test.top);
    EXPECT_FLOAT_EQ(corners[2].x, test.right);
    EXPECT_FLOAT_EQ(corners[2].y, test.bottom);
    EXPECT_FLOAT_EQ(corners[1].u, kHighlight.right);
    EXPECT_FLOAT_EQ(corners[3].v, kHighlight.bottom);

    // The device cannot make a buffer: nothing is drawn, but the hit rectangle and the hover pass still work.
    EXPECT_FALSE(button->BuildQuad(nullptr, 60, 30, kNormal));
    EXPECT_EQ(button->vertexBuffer, nullptr);
    device_->ClearRecords();
    button->Draw(device_);
    EXPECT_EQ(DrawCount(), 0u);
    button->UpdateHover({0, 0});
    button->UpdateHover({static_cast<int32_t>(button->x), static_cast<int32_t>(button->y)});
    EXPECT_EQ(button->shownState, 1);
    EXPECT_EQ(button->Click({static_cast<int32_t>(button->x), static_cast<int32_t>(button->y)}), 7);
  }
}

}  // namespace
}  // namespace frontend_test
