// Video options: rows step and wrap their settings, Back undoes all but full screen, Accept applies the
// pending full-screen choice.
#include "screens/video_options_screen.h"

#include <algorithm>
#include <map>

#include "app/machine_tier.h"
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

TEST_F(VideoOptionsScreenTest, RowsWrapTheirSettingAfterTheLastValueAndShowIt) {
  const struct {
    int32_t row;
    SettingId id;
    int last;
    const char* wrapped;
  } cases[] = {{0, SettingId::RESOLUTION, 3, "Resolution : 512x384"},
               {1, SettingId::VIEWDISTANCE, 3, "View Distance : NEAR"},
               {14, SettingId::PARTICLES, 2, "Particles : NONE"}};
  for (const auto& test : cases) {
    settings_->SetInt(test.id, test.last);
    ClickRow(test.row);
    EXPECT_EQ(Get(test.id), 0) << test.wrapped;
    EXPECT_EQ(RowLabel(test.row), test.wrapped);
  }
  // The car reflection row validates the settings again and has the showroom car built again.
  settings_->SetInt(SettingId::REFLECTIONDETAIL, 2);
  profile_->changed = false;
  ClickRow(6);
  EXPECT_EQ(Get(SettingId::REFLECTIONDETAIL), 0);
  EXPECT_EQ(Get(SettingId::CUBEMAPPING), 0);
  EXPECT_TRUE(profile_->changed);
}

TEST_F(VideoOptionsScreenTest, OnOffRowsFlipBetweenTheirTwoValues) {
  const struct {
    int32_t row;
    SettingId id;
    const char* name;
  } cases[] = {{8, SettingId::HEADLIGHTS, "Headlights : "},
               {16, SettingId::RUBBERBAND, "Rubber Band : "},
               {11, SettingId::REARVIEW, "RearView Mirror : "}};
  for (const auto& test : cases) {
    settings_->SetInt(test.id, 0);
    ClickRow(test.row);
    EXPECT_EQ(Get(test.id), 1) << test.name;
    EXPECT_EQ(RowLabel(test.row), std::string(test.name) + "ON");
    ClickRow(test.row);
    EXPECT_EQ(Get(test.id), 0) << test.name;
    EXPECT_EQ(RowLabel(test.row), std::string(test.name) + "OFF");
  }
}

TEST_F(VideoOptionsScreenTest, AutoDetectPutsBackTheDetailThisMachineIsSuitedToAndKeepsThePlayersOwnChoices) {
  app::Settings detected(*hardware_, folder_, folder_);
  detected.AutoConfigure();
  const auto detectedByMachine = [](SettingId id) {
    const auto listed = [id](const auto& presets) {
      return std::any_of(presets.begin(), presets.end(), [id](const app::PresetEntry& entry) { return entry.id == id; });
    };
    return listed(app::DetailPresets) || listed(app::AutoConfigureBase);
  };
  // Every row moved away from what detection chooses, as far as the machine allows.
  for (const screens::VideoRow& row : screens::VideoRows) {
    if (row.setting == SettingId::FULLSCREEN) continue;
    settings_->SetInt(row.setting, (detected.GetInt(row.setting) + 1) % row.valueCount);
  }
  settings_->Validate();
  std::map<SettingId, int> before;
  int moved = 0;
  for (const screens::VideoRow& row : screens::VideoRows) {
    before[row.setting] = Get(row.setting);
    moved += detectedByMachine(row.setting) && Get(row.setting) != detected.GetInt(row.setting);
  }
  ASSERT_GT(moved, 5);
  profile_->changed = false;
  Click(650, 219);  // AutoDetect
  screen_->Render(device_);
  for (const screens::VideoRow& row : screens::VideoRows) {
    if (row.setting == SettingId::FULLSCREEN) continue;
    const int expected = detectedByMachine(row.setting) ? detected.GetInt(row.setting) : before[row.setting];
    EXPECT_EQ(Get(row.setting), expected) << row.label;
    EXPECT_EQ(RowLabel(row.rowIndex), std::string(row.label) + row.valueNames[expected]);
  }
  EXPECT_TRUE(profile_->changed) << "the showroom car is built again with the new detail";
  EXPECT_TRUE(flow_.IsQueueEmpty()) << "the screen stays";
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
  TapKey(*screen_, frontend::kKeyF);  // leaves full screen; Back must not undo it
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
