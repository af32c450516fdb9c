// Profile popup: which files are listed, the first-run default, typing a new name, choosing, deleting, scrolling.
#include "screens/profile_screen.h"

#include <filesystem>

#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "platform/file_system.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class ProfileScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    profiles_ = folder_ + "PROFILES/";
    ASSERT_TRUE(platform::CreateFolders(profiles_));
    ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/failure.wav", std::vector<int16_t>(441, 500), 22050, 1));
  }
  ProfileScreen& Screen() {
    if (screen_ == nullptr) {
      auto screen = std::make_unique<ProfileScreen>(Services());
      screen_ = screen.get();
      screen_->profileFolder = profiles_;
      opened_ = std::move(screen);
      screen_->Init(device_);
      screen_->OnEnter();
    }
    return *screen_;
  }
  void Touch(const std::string& name) {
    ASSERT_TRUE(platform::WriteFileAtomically(profiles_ + name, "", 0));
  }
  void Type(const std::string& keys) {
    for (char key : keys) PressKey(Screen(), static_cast<uintptr_t>(key));
  }
  void Frame() { Screen().Update(Window(), 0.016f); }
  // Delete, then the given answer to the question it asks.
  void Delete(bool answer) {
    ClickAt(Screen(), 380, 447);
    ASSERT_TRUE(Screen().dialogActive);
    Screen().confirmDialog->answer = answer;
    Screen().confirmDialog->closed = true;
    Frame();
    EXPECT_FALSE(Screen().dialogActive);
  }

  ProfileScreen* screen_ = nullptr;
  std::string profiles_;
};

TEST_F(ProfileScreenTest, ListsOnlyDatFilesStartingWithACapitalOrADigit) {
  Touch("player.dat");
  Touch("ZED.DAT");
  Touch("7x.dat");
  Touch("A.da");
  Touch("Q.txt");
  ASSERT_TRUE(platform::CreateFolders(profiles_ + "FOLDER.DAT"));
  std::vector<std::string> paths, names;
  ProfileScreen::ListProfiles(profiles_, paths, names);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "7X");
  EXPECT_EQ(paths[0], profiles_ + "7x.dat");
  EXPECT_EQ(names[1], "ZED");
  EXPECT_EQ(paths[1], profiles_ + "ZED.DAT");
}

TEST_F(ProfileScreenTest, FirstRunWithNoProfilesCreatesAndLoadsPlayer) {
  settings_->SetFirstRun(true);
  ProfileScreen& screen = Screen();
  ASSERT_EQ(screen.names.size(), 1u);
  EXPECT_EQ(screen.names[0], "PLAYER");
  EXPECT_EQ(profile_->fileName, profiles_ + "Player.dat");
  EXPECT_TRUE(std::filesystem::exists(profiles_ + "Player.dat"));
}

TEST_F(ProfileScreenTest, TypedNameRefusesALeadingSpaceIsCappedAtTwelveAndBecomesTheLoadedProfile) {
  settings_->SetFirstRun(false);
  ProfileScreen& screen = Screen();
  ASSERT_TRUE(screen.names.empty());
  ClickAt(screen, 380, 447);  // Delete and Accept on an empty list only warn
  ClickAt(screen, 555, 447);
  EXPECT_EQ(screen.failureCount, 2);
  EXPECT_FALSE(screen.dialogActive);
  EXPECT_TRUE(Requests().empty());
  screen.failureCount = 0;
  ClickAt(screen, 205, 447);  // Create
  ASSERT_TRUE(screen.typing);
  EXPECT_EQ(screen.selectedIndex, 0);
  Type(" ABCDEFGHIJKLM");
  EXPECT_EQ(screen.names[0], "ABCDEFGHIJKL") << "no leading space, then twelve characters at most";
  EXPECT_EQ(screen.failureCount, 1) << "the leading space is refused aloud";
  PressKey(screen, 8);  // backspace
  Type("Z");
  EXPECT_EQ(screen.names[0], "ABCDEFGHIJKZ");
  // A click while typing is refused.
  const int32_t failures = screen.failureCount;
  ClickAt(screen, 380, 447);
  EXPECT_EQ(screen.failureCount, failures + 1);
  EXPECT_FALSE(screen.dialogActive);
  PressKey(screen, 13);  // Enter
  EXPECT_FALSE(screen.typing);
  EXPECT_TRUE(std::filesystem::exists(profiles_ + "ABCDEFGHIJKZ.dat"));
  EXPECT_EQ(profile_->name, "ABCDEFGHIJKZ");
  ASSERT_EQ(screen.names.size(), 1u);
  EXPECT_EQ(screen.names[0], "ABCDEFGHIJKZ");
}

TEST_F(ProfileScreenTest, EnterOnAnExistingNameWarnsAndLoadsThatProfile) {
  settings_->SetFirstRun(false);
  profile_->money = 777;
  profile_->SetFilePath(profiles_ + "BOB.dat");
  ASSERT_TRUE(profile_->Save());
  profile_->SetFilePath("");
  ProfileScreen& screen = Screen();
  ClickAt(screen, 205, 447);
  Type("BOB");
  PressKey(screen, 13);
  EXPECT_EQ(screen.failureCount, 1);
  EXPECT_EQ(profile_->money, 777);
  EXPECT_EQ(screen.names.size(), 1u);
}

TEST_F(ProfileScreenTest, EscapeWhileTypingDropsTheEntryAndClosesThePopup) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  ProfileScreen& screen = Screen();
  ClickAt(screen, 205, 447);
  ASSERT_EQ(screen.names.size(), 2u);
  Type("X");
  PressKey(screen, frontend::kKeyEscape);
  EXPECT_FALSE(screen.typing);
  EXPECT_EQ(screen.names.size(), 1u);
  EXPECT_FALSE(screen.closed);
  Frame();
  EXPECT_TRUE(screen.closed);
  EXPECT_FALSE(std::filesystem::exists(profiles_ + "X.dat"));
}

TEST_F(ProfileScreenTest, DeletingTheLoadedLastProfileKeepsTheListEmpty) {
  settings_->SetFirstRun(true);
  ProfileScreen& screen = Screen();
  ASSERT_EQ(screen.names.size(), 1u);
  Delete(true);
  EXPECT_FALSE(std::filesystem::exists(profiles_ + "Player.dat"));
  EXPECT_TRUE(profile_->fileName.empty());
  EXPECT_TRUE(screen.names.empty());
  EXPECT_FALSE(settings_->IsFirstRun());
  // The deleted profile is not written back when the popup opens again.
  screen.OnEnter();
  EXPECT_TRUE(screen.names.empty());
  EXPECT_FALSE(std::filesystem::exists(profiles_ + "Player.dat"));
}

TEST_F(ProfileScreenTest, DeleteAsksFirstAndNoKeepsTheFile) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  Touch("BEN.dat");
  profile_->Load(profiles_ + "BEN.dat");
  ProfileScreen& screen = Screen();
  screen.selectedIndex = 1;
  Delete(false);
  EXPECT_TRUE(std::filesystem::exists(profiles_ + "BEN.dat"));
  Delete(true);
  EXPECT_FALSE(std::filesystem::exists(profiles_ + "BEN.dat"));
  EXPECT_TRUE(profile_->fileName.empty());
  ASSERT_EQ(screen.names.size(), 1u);
  EXPECT_EQ(screen.names[0], "ANN");
  // Loading another profile does not write the deleted one back.
  profile_->Load(profiles_ + "ANN.dat");
  EXPECT_FALSE(std::filesystem::exists(profiles_ + "BEN.dat"));
}

TEST_F(ProfileScreenTest, ScrollingKeepsTheWindowInsideTheList) {
  settings_->SetFirstRun(false);
  for (int i = 0; i < 6; ++i) Touch("P" + std::to_string(i) + ".dat");
  Screen().Scroll(1);
  Screen().ScrollTo(400.0f);
  EXPECT_EQ(Screen().firstVisibleRow, 0) << "six profiles never scroll";
  for (int i = 6; i < 10; ++i) Touch("P" + std::to_string(i) + ".dat");
  ProfileScreen& screen = Screen();
  screen.OnEnter();
  screen.Scroll(-1);
  EXPECT_EQ(screen.firstVisibleRow, 0);
  screen.Scroll(100);
  EXPECT_EQ(screen.firstVisibleRow, 4);
  screen.Render(device_);
  EXPECT_FLOAT_EQ(screen.scrollThumb->y, 380.0f);
  EXPECT_EQ(screen.rowButtons.size(), 6u);
  screen.ScrollTo(230.0f);
  EXPECT_EQ(screen.firstVisibleRow, 0);
  screen.ScrollTo(305.0f);
  EXPECT_EQ(screen.firstVisibleRow, 2);
  // Create on ten profiles selects the eleventh and shows rows 5 to 10.
  ClickAt(screen, 205, 447);
  EXPECT_EQ(screen.selectedIndex, 10);
  EXPECT_EQ(screen.firstVisibleRow, 5);
}


}  // namespace
}  // namespace screens
