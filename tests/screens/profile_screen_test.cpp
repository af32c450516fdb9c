// Profile popup: which files are listed, the first-run default, typing a new name, and deleting.
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
  bool Exists(const std::string& file) const { return std::filesystem::exists(profiles_ + file); }
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
  for (const char* name : {"player.dat", "ZED.DAT", "7x.dat", "A.da", "Q.txt"}) Touch(name);
  ASSERT_TRUE(platform::CreateFolders(profiles_ + "FOLDER.DAT"));
  std::vector<std::string> paths, names;
  ProfileScreen::ListProfiles(profiles_, paths, names);
  EXPECT_EQ(names, (std::vector<std::string>{"7X", "ZED"}));
  EXPECT_EQ(paths, (std::vector<std::string>{profiles_ + "7x.dat", profiles_ + "ZED.DAT"}));
}

TEST_F(ProfileScreenTest, TypedNameRefusesALeadingSpaceIsCappedAtTwelveAndBecomesTheLoadedProfile) {
  settings_->SetFirstRun(false);
  ProfileScreen& screen = Screen();
  ClickAt(screen, 380, 447);  // Delete and Accept on an empty list only warn
  ClickAt(screen, 555, 447);
  EXPECT_EQ(screen.failureCount, 2);
  EXPECT_FALSE(screen.dialogActive);
  EXPECT_TRUE(Requests().empty());
  ClickAt(screen, 205, 447);  // Create
  ASSERT_TRUE(screen.typing);
  Type(" ABCDEFGHIJKLM");
  EXPECT_EQ(screen.names[0], "ABCDEFGHIJKL") << "no leading space, then twelve characters at most";
  EXPECT_EQ(screen.failureCount, 3) << "the leading space is refused aloud";
  PressKey(screen, 8);  // backspace
  Type("Z");
  ClickAt(screen, 380, 447);
  EXPECT_EQ(screen.failureCount, 4) << "a click while typing is refused";
  EXPECT_FALSE(screen.dialogActive);
  PressKey(screen, 13);  // Enter
  EXPECT_FALSE(screen.typing);
  EXPECT_TRUE(Exists("ABCDEFGHIJKZ.dat"));
  EXPECT_EQ(profile_->name, "ABCDEFGHIJKZ");
  EXPECT_EQ(screen.names, std::vector<std::string>{"ABCDEFGHIJKZ"});
}

TEST_F(ProfileScreenTest, EnterOnAnExistingNameWarnsAndLoadsThatProfile) {
  settings_->SetFirstRun(false);
  profile_->money = 777;
  profile_->SetFilePath(profiles_ + "BOB.dat");
  ASSERT_TRUE(profile_->Save());
  profile_->SetFilePath("");
  profile_->money = 0;
  ProfileScreen& screen = Screen();
  ClickAt(screen, 205, 447);
  Type("BOB");
  PressKey(screen, 13);
  EXPECT_EQ(screen.failureCount, 1);
  EXPECT_EQ(profile_->money, 777);
  EXPECT_EQ(screen.names.size(), 1u);
}

// A deleted profile that is still loaded must never be written back, by the popup opening again or by the next load.
TEST_F(ProfileScreenTest, DeleteAsksFirstAndTheDeletedProfileIsNeverWrittenBack) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  Touch("BEN.dat");
  profile_->Load(profiles_ + "BEN.dat");
  ProfileScreen& screen = Screen();
  screen.selectedIndex = 1;
  Delete(false);
  EXPECT_TRUE(Exists("BEN.dat"));
  Delete(true);
  EXPECT_FALSE(Exists("BEN.dat"));
  EXPECT_TRUE(profile_->fileName.empty());
  EXPECT_EQ(screen.names, (std::vector<std::string>{"ANN"}));
  screen.OnEnter();
  profile_->Load(profiles_ + "ANN.dat");
  EXPECT_FALSE(Exists("BEN.dat"));
}

TEST_F(ProfileScreenTest, FirstRunWithNoProfilesCreatesPlayerAndDeletingItLeavesTheListEmpty) {
  settings_->SetFirstRun(true);
  ProfileScreen& screen = Screen();
  EXPECT_EQ(screen.names, (std::vector<std::string>{"PLAYER"}));
  EXPECT_EQ(profile_->fileName, profiles_ + "Player.dat");
  Delete(true);
  EXPECT_TRUE(screen.names.empty());
  EXPECT_FALSE(settings_->IsFirstRun());
  screen.OnEnter();
  EXPECT_TRUE(screen.names.empty());
  EXPECT_FALSE(Exists("Player.dat"));
}

}  // namespace
}  // namespace screens
