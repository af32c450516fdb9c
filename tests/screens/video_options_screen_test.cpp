// Video options: rows step and wrap their settings, Back undoes all but full screen, Accept applies the
// pending full-screen choice, AutoDetect stores the machine's preset.
#include "screens/video_options_screen.h"

#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"

namespace screens_test {
namespace {

using app::SettingId;
using frontend_test::Queue;

class VideoOptionsScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    // The derived window size the rows' clicks are scaled by.
    settings_->Validate();
    screen_ = &Open<screens::VideoOptionsScreen>();
    screen_->Render(device_);
  }
  int Get(SettingId id) const { return settings_->GetInt(id); }
  void Click(int virtualX, int virtualY) { ClickAt(*screen_, virtualX, virtualY); }
  // A click on the row of that index, then a draw so that the rows show the new values.
  void ClickRow(int32_t rowIndex) {
    for (const screens::VideoRow& row : screens::VideoRows) {
      if (row.rowIndex != rowIndex) continue;
      Click(static_cast<int>(row.x) + 100, static_cast<int>(row.y) + 19);
      screen_->Render(device_);
      return;
    }
    FAIL() << "no row " << rowIndex;
  }
  std::string RowLabel(int32_t rowIndex) const {
    for (frontend::MenuButton* button : screen_->rowButtons) {
      if (button->id == rowIndex + screens::kFirstRowButtonId) return button->label ? button->label->text : "";
    }
    return "(missing)";
  }

  screens::VideoOptionsScreen* screen_ = nullptr;
};

TEST_F(VideoOptionsScreenTest, RowsShowTheirSettingAndWrapAfterTheLastValue) {
  ASSERT_EQ(screen_->rowButtons.size(), 15u);
  settings_->SetInt(SettingId::RESOLUTION, 3);
  settings_->SetInt(SettingId::VIEWDISTANCE, 3);
  settings_->SetInt(SettingId::PARTICLES, 2);
  screen_->rebuild = true;
  screen_->Render(device_);
  EXPECT_EQ(RowLabel(0), "Resolution : 1024x768");
  EXPECT_EQ(RowLabel(1), "View Distance : VERY FAR");
  EXPECT_EQ(RowLabel(14), "Particles : LOTS");

  ClickRow(0);
  EXPECT_EQ(Get(SettingId::RESOLUTION), 0);
  EXPECT_EQ(RowLabel(0), "Resolution : 512x384");
  ClickRow(1);
  EXPECT_EQ(Get(SettingId::VIEWDISTANCE), 0);
  EXPECT_EQ(RowLabel(1), "View Distance : NEAR");
  ClickRow(14);
  EXPECT_EQ(Get(SettingId::PARTICLES), 0);
  EXPECT_EQ(RowLabel(14), "Particles : NONE");
  ClickRow(14);
  EXPECT_EQ(RowLabel(14), "Particles : SOME");

  const int rubberBand = Get(SettingId::RUBBERBAND);
  ClickRow(16);
  EXPECT_EQ(Get(SettingId::RUBBERBAND), rubberBand == 0 ? 1 : 0);
}

TEST_F(VideoOptionsScreenTest, CarReflectionRowCyclesAndMarksTheProfileChanged) {
  settings_->SetInt(SettingId::REFLECTIONDETAIL, 2);
  profile_->changed = false;
  ClickRow(6);
  EXPECT_EQ(Get(SettingId::REFLECTIONDETAIL), 0);
  EXPECT_EQ(Get(SettingId::CUBEMAPPING), 0);  // validation follows the reflection mode
  EXPECT_TRUE(profile_->changed);
}

TEST_F(VideoOptionsScreenTest, RowIndicesWithoutARowChangeNoSetting) {
  std::array<int, app::kIntSettingCount> before{};
  for (int i = 0; i < app::kIntSettingCount; ++i) before[i] = Get(static_cast<SettingId>(i));
  screen_->rebuild = false;
  for (int32_t row : {3, 4, 12, 18, 40}) screen_->ApplyRow(row);
  for (int i = 0; i < app::kIntSettingCount; ++i) EXPECT_EQ(Get(static_cast<SettingId>(i)), before[i]) << i;
  EXPECT_TRUE(screen_->rebuild);
}

TEST_F(VideoOptionsScreenTest, FullScreenRowIsAPendingChoiceThatAcceptApplies) {
  ASSERT_EQ(FullScreen(), 0);
  ClickRow(9);
  EXPECT_EQ(FullScreen(), 0);  // only the pending choice moved
  EXPECT_EQ(RowLabel(9), "Full Screen : ON");
  ClickRow(9);
  Click(700, 560);  // Accept
  EXPECT_EQ(FullScreen(), 0);   // toggled twice: as on entry
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, frontend::screen_index::kOptionsMenu}}));
}

TEST_F(VideoOptionsScreenTest, BackUndoesChangesButKeepsFullScreen) {
  settings_->SetInt(SettingId::FULLSCREEN, 1);
  settings_->SetInt(SettingId::RESOLUTION, 1);
  settings_->Validate();
  screen_->OnEnter();
  screen_->Render(device_);
  const int width = Get(SettingId::SCREENWIDTH);
  const int height = Get(SettingId::SCREENHEIGHT);
  settings_->TakeResolutionChanged();
  ClickRow(0);
  EXPECT_EQ(Get(SettingId::RESOLUTION), 2);
  EXPECT_EQ(Get(SettingId::SCREENWIDTH), 800);
  PressKey(*screen_, frontend::kKeyF);  // leaves full screen; Back must not undo it
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 0);
  settings_->TakeResolutionChanged();
  Click(50, 560);  // Back
  EXPECT_EQ(Get(SettingId::RESOLUTION), 1);
  EXPECT_EQ(Get(SettingId::SCREENWIDTH), width);
  EXPECT_EQ(Get(SettingId::SCREENHEIGHT), height);
  EXPECT_TRUE(settings_->TakeResolutionChanged());
  EXPECT_EQ(FullScreen(), 0);
}

}  // namespace
}  // namespace screens_test
