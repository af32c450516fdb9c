// Menu buttons: hit rectangles, the highlight following the cursor, hover sounds and clicks.
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

}  // namespace
}  // namespace frontend_test
