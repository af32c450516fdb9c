// Profile popup: which files are listed, the first-run default, typing a new name, deleting, accepting, scrolling,
// and a damaged profile file.
#include "screens/profile_screen.h"

#include <filesystem>
#include <fstream>
#include <iterator>

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
  std::string Read(const std::string& file) const {
    std::ifstream in(profiles_ + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& file, const std::string& bytes) {
    ASSERT_TRUE(platform::WriteFileAtomically(profiles_ + file, bytes.data(), bytes.size()));
  }
  // A profile file saved by the game with that much money.
  void SaveProfile(const std::string& file, int32_t money) {
    race::PlayerProfile saved(database_.get());
    saved.money = money;
    saved.SetFilePath(profiles_ + file);
    ASSERT_TRUE(saved.Save());
  }
  void Accept() { ClickAt(Screen(), 555, 447); }
  // A click on a visible row of the list (the rows are built as the screen draws).
  void ClickRow(int visibleRow) {
    Screen().Render(device_);
    ClickAt(Screen(), 300, 200 + 38 * visibleRow + 18);
  }
  // The notice line as the screen draws it.
  std::string ShownNotice() {
    Screen().Render(device_);
    const frontend::TextLabel* label = Screen().noticeLabel;
    return label->glyphCount > 0 ? label->text : std::string();
  }
  bool GarageRequested() const {
    return std::find_if(flow_.screenQueue.begin(), flow_.screenQueue.end(), [](int32_t screen) {
             return screen == frontend::screen_index::kGarage;
           }) != flow_.screenQueue.end();
  }
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

TEST_F(ProfileScreenTest, AcceptLoadsTheSelectedProfileAndOpensTheGarage) {
  settings_->SetFirstRun(false);
  SaveProfile("ANN.dat", 111);
  SaveProfile("BEN.dat", 222);
  ProfileScreen& screen = Screen();
  ClickRow(1);  // the second row
  EXPECT_EQ(screen.selectedIndex, 1);
  EXPECT_TRUE(Requests().empty()) << "choosing a row only selects it";
  Accept();
  EXPECT_EQ(profile_->name, "BEN");
  EXPECT_EQ(profile_->money, 222);
  EXPECT_TRUE(GarageRequested());
  EXPECT_FALSE(screen.closed);
  EXPECT_EQ(screen.failureCount, 0);
}

TEST_F(ProfileScreenTest, EscapeWhileTypingDropsTheEntryWritesNoFileAndClosesNextFrame) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  ProfileScreen& screen = Screen();
  ClickAt(screen, 205, 447);
  ASSERT_TRUE(screen.typing);
  Type("ZED");
  PressKey(screen, frontend::kKeyEscape);
  EXPECT_FALSE(screen.typing);
  EXPECT_EQ(screen.names, std::vector<std::string>{"ANN"});
  EXPECT_FALSE(Exists("ZED.dat"));
  EXPECT_FALSE(Exists("ZED.DAT"));
  EXPECT_FALSE(Exists(".dat")) << "an empty name is never saved";
  Frame();
  EXPECT_TRUE(screen.closed) << "the Esc that ended the entry closes the popup on the next frame";
  EXPECT_TRUE(Requests().empty());
}

TEST_F(ProfileScreenTest, ScrollingStopsAtBothEndsOfTheList) {
  settings_->SetFirstRun(false);
  const struct {
    int profiles;
    int lastFirstRow;  // the first visible row with the list scrolled to its end
  } cases[] = {{6, 0}, {9, 3}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(profiles_);
    ASSERT_TRUE(platform::CreateFolders(profiles_));
    for (int i = 0; i < c.profiles; ++i) Touch(std::string(1, static_cast<char>('A' + i)) + ".dat");
    ProfileScreen& screen = Screen();
    screen.OnEnter();
    ASSERT_EQ(static_cast<int>(screen.names.size()), c.profiles);
    for (int i = 0; i < c.profiles + 2; ++i) ClickAt(screen, 600, 410);  // the down arrow
    EXPECT_EQ(screen.firstVisibleRow, c.lastFirstRow) << c.profiles << " profiles";
    ClickAt(screen, 600, 210);  // the up arrow
    EXPECT_EQ(screen.firstVisibleRow, std::max(c.lastFirstRow - 1, 0)) << c.profiles << " profiles";
    for (int i = 0; i < c.profiles + 2; ++i) ClickAt(screen, 600, 210);
    EXPECT_EQ(screen.firstVisibleRow, 0) << c.profiles << " profiles";
    // The bar: its bottom shows the last rows, its top the first, and nothing beyond.
    screen.ScrollTo(1000.0f);
    EXPECT_EQ(screen.firstVisibleRow, c.lastFirstRow) << c.profiles << " profiles";
    screen.ScrollTo(-1000.0f);
    EXPECT_EQ(screen.firstVisibleRow, 0) << c.profiles << " profiles";
  }
}

TEST_F(ProfileScreenTest, AClickOnTheScrollBarShowsThatPartOfTheList) {
  settings_->SetFirstRun(false);
  for (char c = 'A'; c < 'A' + 9; ++c) Touch(std::string(1, c) + ".dat");
  ProfileScreen& screen = Screen();
  ASSERT_EQ(screen.names.size(), 9u);
  const struct {
    int y;
    int32_t firstRow;
  } clicks[] = {{395, 3}, {235, 0}, {305, 2}, {280, 1}};
  for (const auto& click : clicks) {
    ClickAt(screen, 604, click.y);
    EXPECT_EQ(screen.firstVisibleRow, click.firstRow) << click.y;
    screen.Render(device_);
    ASSERT_FALSE(screen.rowButtons.empty());
    EXPECT_EQ(screen.rowButtons.front()->label->text, screen.names[static_cast<size_t>(click.firstRow)]);
  }
}

TEST_F(ProfileScreenTest, ClearRowsTakesTheRowsOutAndEachRebuildListsOnlyTheVisibleOnes) {
  settings_->SetFirstRun(false);
  for (char c = 'A'; c < 'A' + 9; ++c) Touch(std::string(1, c) + ".dat");
  ProfileScreen& screen = Screen();
  screen.Render(device_);
  const size_t fixed = screen.buttons.Count() - screen.rowButtons.size();
  EXPECT_EQ(ListedIdsFrom(screen, ProfileScreen::kFirstRow), (std::vector<int32_t>{105, 104, 103, 102, 101, 100}));

  screen.ClearRows();
  EXPECT_TRUE(screen.rowButtons.empty());
  EXPECT_EQ(screen.selectedRowButton, nullptr);
  EXPECT_TRUE(ListedIdsFrom(screen, ProfileScreen::kFirstRow).empty());
  EXPECT_EQ(screen.buttons.Count(), fixed) << "the fixed buttons stay";

  // Scrolled to the end, the rebuild lists the last six rows and nothing of the first ones.
  screen.ScrollTo(1000.0f);
  screen.Render(device_);
  EXPECT_EQ(ListedIdsFrom(screen, ProfileScreen::kFirstRow), (std::vector<int32_t>{108, 107, 106, 105, 104, 103}));
  EXPECT_EQ(screen.buttons.Count(), fixed + 6);
  ClickRow(0);
  EXPECT_EQ(screen.selectedIndex, 3) << "the first visible row is the fourth profile";
}

TEST_F(ProfileScreenTest, BackClosesThePopupWithoutLoadingAnything) {
  settings_->SetFirstRun(false);
  SaveProfile("ANN.dat", 111);
  ProfileScreen& screen = Screen();
  ClickAt(screen, 50, 580);
  EXPECT_TRUE(screen.closed);
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(profile_->fileName.empty());
}

TEST_F(ProfileScreenTest, WhileTheQuestionIsOpenOnlyTheQuestionIsDrawn) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  ProfileScreen& screen = Screen();
  screen.Render(device_);
  ClickAt(screen, 380, 447);  // Delete
  ASSERT_TRUE(screen.dialogActive);
  device_->ClearRecords();
  screen.Render(device_);
  const size_t drawn = DrawCount();
  device_->ClearRecords();
  screen.confirmDialog->Render(device_);
  EXPECT_GT(drawn, 0u);
  EXPECT_EQ(drawn, DrawCount());
}

TEST_F(ProfileScreenTest, ANewProfileDoesNotWriteBackTheLoadedOneWhoseFileWasDeletedMeanwhile) {
  settings_->SetFirstRun(false);
  SaveProfile("ANN.dat", 111);
  ASSERT_EQ(profile_->Load(profiles_ + "ANN.dat"), race::ProfileLoad::kLoaded);
  ProfileScreen& screen = Screen();
  std::filesystem::remove(profiles_ + "ANN.dat");
  ClickAt(screen, 205, 447);  // Create
  ASSERT_TRUE(screen.typing);
  Type("ZED");
  PressKey(screen, 13);  // Enter
  EXPECT_EQ(profile_->name, "ZED");
  EXPECT_TRUE(Exists("ZED.dat"));
  EXPECT_FALSE(Exists("ANN.dat"));
}

// A profile that cannot be read is never silently replaced: the player is told, its bytes are kept where no later
// damage writes over them, and the file is left alone until the player accepts starting it afresh.
TEST_F(ProfileScreenTest, ADamagedProfileIsKeptAndTheDamagedFileWaitsForThePlayer) {
  settings_->SetFirstRun(false);
  const std::string garbage = "\x7f\x01garbage that is no profile at all";
  Write("MARIN.dat", garbage);
  SaveProfile("ANN.dat", 300);
  profile_->Load(profiles_ + "ANN.dat");
  ProfileScreen& screen = Screen();
  ASSERT_EQ(screen.names, (std::vector<std::string>{"ANN", "MARIN"}));
  ClickRow(1);
  Accept();
  EXPECT_FALSE(GarageRequested()) << "the player stays to choose";
  EXPECT_EQ(screen.failureCount, 1);
  EXPECT_EQ(ShownNotice(), "MARIN's profile could not be read; it was kept as MARIN.dat.bad\nAccept starts MARIN afresh");
  EXPECT_EQ(Read("MARIN.dat"), garbage);
  EXPECT_EQ(Read("MARIN.dat.bad"), garbage);
  EXPECT_EQ(profile_->money, race::kFreshProfileMoney);
  EXPECT_EQ(race::PlayerProfile(database_.get()).Load(profiles_ + "ANN.dat"), race::ProfileLoad::kLoaded)
      << "the profile played before was saved, not replaced";

  // Leaving and coming back writes nothing over it; choosing another row takes the notice away.
  screen.OnEnter();
  EXPECT_EQ(Read("MARIN.dat"), garbage);
  ClickRow(0);
  EXPECT_EQ(ShownNotice(), "");
  ClickRow(1);
  Accept();
  EXPECT_EQ(Read("MARIN.dat.bad2"), garbage) << "each rejection keeps its own copy";

  // Accepting once more starts MARIN afresh under its own name.
  Accept();
  EXPECT_TRUE(GarageRequested());
  EXPECT_EQ(ShownNotice(), "");
  race::PlayerProfile fresh(database_.get());
  EXPECT_EQ(fresh.Load(profiles_ + "MARIN.dat"), race::ProfileLoad::kLoaded);
  EXPECT_EQ(fresh.money, race::kFreshProfileMoney);
  EXPECT_EQ(Read("MARIN.dat.bad"), garbage);

  // Damage found at a later start never overwrites the copies already kept.
  Write("MARIN.dat", "other damage");
  profile_->SetFilePath("");  // as the game starts: no profile loaded yet
  Accept();
  EXPECT_EQ(Read("MARIN.dat.bad"), garbage);
  EXPECT_EQ(Read("MARIN.dat.bad2"), garbage);
  EXPECT_EQ(Read("MARIN.dat.bad3"), "other damage");
  EXPECT_EQ(ShownNotice(), "MARIN's profile could not be read; it was kept as MARIN.dat.bad3\nAccept starts MARIN afresh");
}

// A profile that cannot even be read (here a folder under its name) is not copied and never written over.
TEST_F(ProfileScreenTest, AnUnreadableProfileIsLeftAsItIs) {
  settings_->SetFirstRun(false);
  Touch("ANN.dat");
  ProfileScreen& screen = Screen();
  ASSERT_TRUE(platform::CreateFolders(profiles_ + "ZOE.dat"));
  ClickAt(screen, 205, 447);
  Type("ZOE");
  PressKey(screen, 13);
  EXPECT_EQ(ShownNotice(), "ZOE's profile could not be read and was left as it is");
  EXPECT_TRUE(std::filesystem::is_directory(profiles_ + "ZOE.dat"));
  EXPECT_TRUE(profile_->fileName.empty());
}

}  // namespace
}  // namespace screens
