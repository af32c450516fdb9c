// Menu buttons: hit rectangles, highlight following the cursor, hover sounds, clicks, labels and placement.
#include "frontend/menu_button.h"

#include <optional>

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using frontend::MenuButton;
using frontend::VirtualPoint;

class MenuButtonTest : public FrontEndTest {
 protected:
  std::unique_ptr<MenuButton> Make(int mode, float x = 100, float y = 50) {
    return std::make_unique<MenuButton>(device_, nullptr, resources_.get(), x, y, 200, 40, kNormal, kHighlight, mode,
                                        7, 800, 600);
  }
  const frontend::TexRect kNormal{0.0f, 0.0f, 0.1f, 0.1f};
  const frontend::TexRect kHighlight{0.5f, 0.5f, 0.9f, 0.6f};
};

TEST_F(MenuButtonTest, HitRectangleIncludesItsEdgesForBothModes) {
  auto corner = Make(0);
  EXPECT_TRUE(corner->HitTest({100, 50}));
  EXPECT_TRUE(corner->HitTest({300, 90}));
  EXPECT_FALSE(corner->HitTest({301, 90}));
  EXPECT_FALSE(corner->HitTest({300, 91}));
  EXPECT_FALSE(corner->HitTest({99, 60}));
  auto centred = Make(1, 400, 300);
  EXPECT_TRUE(centred->HitTest({300, 280}));
  EXPECT_TRUE(centred->HitTest({500, 320}));
  EXPECT_FALSE(centred->HitTest({501, 300}));
  EXPECT_FALSE(centred->HitTest({400, 279}));
}

TEST_F(MenuButtonTest, HighlightFollowsTheCursorAndRewritesOnlyTextureCoordinates) {
  auto button = Make(0);
  button->UpdateHover({150, 60});
  EXPECT_EQ(button->shownState, 1);
  auto quad = Vertices(button->vertexBuffer);
  EXPECT_FLOAT_EQ(quad[0].u, 0.5f);
  EXPECT_FLOAT_EQ(quad[2].v, 0.6f);
  EXPECT_FLOAT_EQ(quad[2].x, 200);
  EXPECT_FLOAT_EQ(quad[2].y, -40);
  button->UpdateHover({10, 10});
  EXPECT_EQ(button->shownState, 0);
  quad = Vertices(button->vertexBuffer);
  EXPECT_FLOAT_EQ(quad[1].u, 0.1f);
}

TEST_F(MenuButtonTest, HoverSoundPlaysOnceEachTimeTheCursorEnters) {
  // Created under the cursor: silent until the cursor has left once.
  auto button = Make(0);
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 0);
  button->UpdateHover({10, 10});
  EXPECT_EQ(button->soundChannel, MenuButton::kOutside);
  for (int frame = 0; frame < 20; ++frame) button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 1);
  button->UpdateHover({10, 10});
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 2);
}

TEST_F(MenuButtonTest, ClickReportsTheIdAndSoundsAtTheNextHoverUpdate) {
  auto button = Make(0);
  EXPECT_EQ(button->Click({10, 10}), frontend::kNoButton);
  EXPECT_FALSE(button->clicked);
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 0);
  EXPECT_EQ(button->Click({150, 60}), 7);
  EXPECT_TRUE(button->clicked);
  button->UpdateHover({150, 60});
  EXPECT_EQ(mixer_.GetChannelsPlaying(), 1);
  EXPECT_FALSE(button->clicked);
}

TEST_F(MenuButtonTest, MissingHoverSoundIsNotRetriedEveryFrame) {
  resources_->SetMixer(nullptr);
  MenuButton button(device_, nullptr, nullptr, 0, 0, 10, 10, kNormal, kHighlight, 0, 1, 800, 600);
  button.UpdateHover({50, 50});
  button.UpdateHover({5, 5});
  EXPECT_EQ(button.soundChannel, MenuButton::kSilentInside);
  button.UpdateHover({5, 5});
  EXPECT_EQ(button.soundChannel, MenuButton::kSilentInside);
}

class MenuButtonLabelTest : public MenuButtonTest {
 protected:
  void SetUp() override {
    MenuButtonTest::SetUp();
    fontImage_ = resources_->LoadTextureEx(device_, "FONT\\noire.png", "FONT\\noirea.png", 0, 1);
    font_ = resources_->LoadFont("FONT\\noire.ini");
  }
  void TearDown() override {
    resources_->ReleaseImage(fontImage_);
    resources_->ReleaseFont(font_);
    MenuButtonTest::TearDown();
  }
  // Draws the button and returns the label drawn (the indexed draw's view origin), or nothing.
  std::optional<float> DrawnLabelOrigin(MenuButton& button) {
    device_->ClearRecords();
    button.Draw(device_);
    for (const auto& draw : device_->Draws()) {
      if (draw.kind == platform::gfx::NullDrawRecord::Kind::IndexedPrimitive) {
        platform::Matrix4 view;
        device_->GetTransform(platform::gfx::TransformState::View, view);
        return view.m[3][0];
      }
    }
    return std::nullopt;
  }
  render::ImageResource* fontImage_ = nullptr;
  render::BitmapFont* font_ = nullptr;
};

TEST_F(MenuButtonLabelTest, HighlightLabelReplacesTheMainLabelOnlyWhileHighlighted) {
  auto button = Make(0);
  button->SetLabel(device_, "Go", fontImage_, font_, 10, 3, 1, false, frontend::kAlignLeft, 800, 600);
  button->SetSubLabel(device_, "Go", fontImage_, font_, 20, 3, 1, true, frontend::kAlignLeft, 800, 600);
  EXPECT_FLOAT_EQ(*DrawnLabelOrigin(*button), 100 + 10 - 400);
  button->UpdateHover({150, 60});
  EXPECT_FLOAT_EQ(*DrawnLabelOrigin(*button), 100 + 20 - 400);
}

TEST_F(MenuButtonLabelTest, OnlyAHighlightLabelDrawsNoLabelAndOnlyAMainLabelDrawsInBothStates) {
  auto onlyHighlight = Make(0);
  onlyHighlight->SetSubLabel(device_, "Go", fontImage_, font_, 0, 0, 1, true, frontend::kAlignLeft, 800, 600);
  onlyHighlight->UpdateHover({150, 60});
  EXPECT_FALSE(DrawnLabelOrigin(*onlyHighlight).has_value());
  auto onlyMain = Make(0);
  onlyMain->SetLabel(device_, "Go", fontImage_, font_, 5, 0, 1, false, frontend::kAlignLeft, 800, 600);
  EXPECT_TRUE(DrawnLabelOrigin(*onlyMain).has_value());
  onlyMain->UpdateHover({150, 60});
  EXPECT_FLOAT_EQ(*DrawnLabelOrigin(*onlyMain), 105 - 400);
}

TEST_F(MenuButtonLabelTest, MovingAButtonMovesItsLabelsAndHitRectangle) {
  auto button = Make(0);
  button->SetLabel(device_, "Go", fontImage_, font_, 172, 3, 1, true, frontend::kAlignRight, 800, 600);
  button->SetSubLabel(device_, "Go", fontImage_, font_, 172, 3, 1, false, frontend::kAlignRight, 800, 600);
  button->SetPosition(500, 400);
  EXPECT_FLOAT_EQ(button->label->x, 672);
  EXPECT_FLOAT_EQ(button->label->y, 403);
  EXPECT_FLOAT_EQ(button->highlightLabel->x, 672);
  EXPECT_TRUE(button->HitTest({700, 440}));
  EXPECT_FALSE(button->HitTest({150, 60}));
  button->SetLabelText(device_, "Stop");
  EXPECT_EQ(button->label->text, "Stop");
  EXPECT_EQ(button->highlightLabel->text, "Go");
}

TEST_F(MenuButtonTest, FailedQuadStillHitTestsAndDrawsNothing) {
  MenuButton button(nullptr, nullptr, nullptr, 0, 0, 50, 50, kNormal, kHighlight, 0, 3, 800, 600);
  EXPECT_EQ(button.vertexBuffer, nullptr);
  EXPECT_EQ(button.Click({25, 25}), 3);
  button.UpdateHover({25, 25});
  device_->ClearRecords();
  button.Draw(device_);
  EXPECT_TRUE(device_->Draws().empty());
}

}  // namespace
}  // namespace frontend_test
