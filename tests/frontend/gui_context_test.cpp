// Start-up notice: the fades around Accept, what is drawn in each phase, and the resources it gives back.
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
  // Whether the Accept button's label is drawn (the only indexed draw).
  bool ButtonDrawn() {
    device_->ClearRecords();
    gui_->Render(device_);
    for (const auto& draw : device_->Draws()) {
      if (draw.kind == platform::gfx::NullDrawRecord::Kind::IndexedPrimitive) return true;
    }
    return false;
  }
  std::unique_ptr<GuiContext> gui_;
};

TEST_F(GuiContextTest, FadesInWithoutTheButtonThenAcceptFadesOutAndRaisesAccepted) {
  EXPECT_FALSE(ButtonDrawn());
  EXPECT_FLOAT_EQ(gui_->fadeQuad->alpha, 1.0f);
  Step(0.4f);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.6f);
  Step(0.7f);
  EXPECT_FALSE(gui_->fading);
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.0f);
  EXPECT_TRUE(ButtonDrawn());

  ClickAccept();
  Step(0.5f);
  EXPECT_FALSE(gui_->accepted);
  EXPECT_TRUE(ButtonDrawn()) << "the button stays during the fade out";
  EXPECT_FLOAT_EQ(gui_->fadeQuad->alpha, 0.5f);
  ClickAccept();
  EXPECT_FLOAT_EQ(gui_->fadeValue, 0.0f) << "Accept again starts the fade over";
  Step(1.1f);
  EXPECT_TRUE(gui_->accepted);
  EXPECT_FALSE(gui_->quit);
}

TEST_F(GuiContextTest, ClickDuringTheFirstFadeStillAccepts) {
  Step(0.1f);
  ClickAccept();
  Step(5.0f);  // one long frame completes the fade
  EXPECT_TRUE(gui_->accepted);
}

TEST_F(GuiContextTest, DeletingTheNoticeGivesBackItsImagesFontAndSound) {
  gui_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

}  // namespace
}  // namespace frontend_test
