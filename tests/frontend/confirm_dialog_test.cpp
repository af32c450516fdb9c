// Confirmation dialog: answers, reopening, and keys that do not close it.
#include "frontend/confirm_dialog.h"

#include "frontend_test_support.h"

namespace frontend_test {
namespace {

class ConfirmDialogTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    dialog_ = std::make_unique<frontend::ConfirmDialog>(Services());
    dialog_->Init(device_);
    dialog_->OnEnter();
  }
  void TearDown() override {
    dialog_.reset();
    FrontEndTest::TearDown();
  }
  std::unique_ptr<frontend::ConfirmDialog> dialog_;
};

TEST_F(ConfirmDialogTest, YesAndNoCloseWithTheirAnswer) {
  ClickAt(*dialog_, 400, 300);
  EXPECT_TRUE(dialog_->closed);
  EXPECT_TRUE(dialog_->answer);
  dialog_->OnEnter();
  EXPECT_FALSE(dialog_->closed);
  EXPECT_FALSE(dialog_->answer);  // a new opening starts unanswered
  ClickAt(*dialog_, 400, 360);
  EXPECT_TRUE(dialog_->closed);
  EXPECT_FALSE(dialog_->answer);
}

TEST_F(ConfirmDialogTest, FrameWithoutAClickAndEscapeLeaveItOpen) {
  TapKey(*dialog_, frontend::kKeyEscape);
  ClickAt(*dialog_, 100, 100);
  EXPECT_FALSE(dialog_->closed);
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
}  // namespace frontend_test
