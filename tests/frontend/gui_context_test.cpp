// Start-up notice: the fades, Accept, the flags the application polls and what is drawn in each phase.
#include "frontend/gui_context.h"

#include "frontend_test_support.h"
#include "render/effects/screen_quad.h"

namespace frontend_test {
namespace {

using frontend::GuiContext;

class GuiContextTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    gui_ = std::make_unique<GuiContext>(resources_.get(), settings_.get());
    gui_->CreateDisclaimerScreen(device_);
    gui_->StartFadeIn();
  }
  void TearDown() override {
    gui_.reset();
    FrontEndTest::TearDown();
  }
  void Step(float dt) { gui_->Update(Window(), dt); }
  void ClickAccept() {
    PointAt(400, 540);
    gui_->HandleWindowMouse(platform::wm::kLButtonDown);
    Step(0.0f);
    gui_->HandleWindowMouse(platform::wm::kLButtonUp);
  }
  // Number of draws of the button (its quad is the only 150 × 30 fan... counted by the textured Accept label).
  size_t IndexedDraws() {
    size_t count = 0;
    for (const auto& draw : device_->Draws()) count += draw.kind == platform::gfx::NullDrawRecord::Kind::IndexedPrimitive;
    return count;
  }
  std::unique_ptr<GuiContext> gui_;
};

TEST_F(GuiContextTest, FadesInOverOneSecondWithoutTheButton) {
  EXPECT_TRUE(gui_->fading);
  EXPECT_TRUE(gui_->fadingIn);
  device_->ClearRecords();
  gui_->Render(device_);
  EXPECT_EQ(IndexedDraws(), 0u);  // no button label yet
  EXPECT_FLOAT_EQ(gui_->fadeQuad->alpha, 1.0f);
  Step(0.4f);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.6f);
  Step(0.7f);
  EXPECT_FALSE(gui_->fading);
  EXPECT_TRUE(gui_->fadeDone);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.0f);
  EXPECT_FALSE(gui_->accepted);
  device_->ClearRecords();
  gui_->Render(device_);
  EXPECT_EQ(IndexedDraws(), 1u);  // the button's label
}

TEST_F(GuiContextTest, AcceptFadesToBlackAndThenRaisesAccepted) {
  Step(2.0f);
  ClickAccept();
  EXPECT_TRUE(gui_->fading);
  EXPECT_FALSE(gui_->fadingIn);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.0f);
  Step(0.5f);
  EXPECT_FALSE(gui_->accepted);
  device_->ClearRecords();
  gui_->Render(device_);
  EXPECT_EQ(IndexedDraws(), 1u);  // the button stays visible during the fade out
  EXPECT_FLOAT_EQ(gui_->fadeQuad->alpha, 0.5f);
  Step(0.6f);
  EXPECT_TRUE(gui_->accepted);
  EXPECT_TRUE(gui_->fading);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 1.0f);
  EXPECT_FALSE(gui_->quit);
}

TEST_F(GuiContextTest, ClickDuringTheFirstFadeStillHitsTheButton) {
  Step(0.1f);
  ClickAccept();
  EXPECT_FALSE(gui_->fadingIn);
  Step(5.0f);  // one long frame completes the fade
  EXPECT_TRUE(gui_->accepted);
}

TEST_F(GuiContextTest, AcceptAgainRestartsTheFadeFromClear) {
  Step(2.0f);
  ClickAccept();
  Step(0.8f);
  ClickAccept();
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.0f);
  EXPECT_FALSE(gui_->accepted);
}

TEST_F(GuiContextTest, ClickOutsideTheButtonDoesNothingAndThePointerFollowsTheCursor) {
  Step(2.0f);
  PointAt(100, 100);
  gui_->HandleWindowMouse(platform::wm::kLButtonDown);
  Step(0.0f);
  EXPECT_FALSE(gui_->fading);
  EXPECT_FLOAT_EQ(gui_->pointer->x, 100);
  EXPECT_FLOAT_EQ(gui_->pointer->y, 100);
  EXPECT_FALSE(gui_->mouse.IsKeyPressed(0));
}

TEST_F(GuiContextTest, DeletingTheNoticeGivesBackItsImagesFontAndSound) {
  gui_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

TEST_F(GuiContextTest, RestoreRebuildsTheFadeQuadForTheWindowSize) {
  gui_->RestoreDeviceObjects(device_);
  EXPECT_NE(gui_->fadeQuad->buffer, nullptr);
  GuiContext empty(resources_.get(), settings_.get());
  empty.RestoreDeviceObjects(device_);  // nothing created yet: nothing to rebuild
  empty.Render(device_);
  EXPECT_EQ(empty.fadeQuad, nullptr);
}

}  // namespace
}  // namespace frontend_test
