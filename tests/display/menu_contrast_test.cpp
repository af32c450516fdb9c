// How the menus read as the game draws them on the OpenGL device under Xvfb: every label the menus put on a lit
// bar, and every label that crosses a race screen's track outline, stands out from what lies behind it by the
// contrast ratio asked of text (4.5:1), measured in the game's own frame read back with and without the label.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/app_timer.h"
#include "app/data_file.h"
#include "contentgen/content.h"
#include "frontend/audio_screen.h"
#include "frontend/career_race_screen.h"
#include "frontend/confirm_dialog.h"
#include "frontend/contest_race_screen.h"
#include "frontend/gui_context.h"
#include "frontend/main_menu_screen.h"
#include "frontend/menu_manager.h"
#include "frontend/screen_ids.h"
#include "game/game_application.h"
#include "platform/gfx/gl_device.h"
#include "platform/null_desktop.h"
#include "platform/window_system.h"
#include "race/hud/minimap.h"
#include "render/resources/image_resource.h"
#include "screens/practice_screen.h"
#include "screens/profile_screen.h"
#include "gl_game_services.h"

namespace game {
namespace {

namespace fs = std::filesystem;
namespace gs = app::game_state;
namespace index = frontend::screen_index;
using app::SettingId;

// The contrast ratio text needs against what lies behind it.
constexpr double kTextContrast = 4.5;
// Fewer fill pixels than this are no reading of a label's glyphs.
constexpr int kFewestFillPixels = 4;
// The lit bar of the button image: the piece every lit row and highlighted button cuts from.
constexpr int kLitBarLeft = 2, kLitBarTop = 2, kLitBarRight = 421, kLitBarBottom = 39;

class MenuGame : public GameApplication {
 public:
  using GameApplication::GameApplication;
  platform::gfx::GlDevice& Gl() { return *static_cast<platform::gfx::GlDevice*>(device); }
};

struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A rectangle of window pixels.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
};

double Linear(uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance of an sRGB colour.
double RelativeLuminance(uint32_t argb) {
  return 0.2126 * Linear((argb >> 16) & 0xFF) + 0.7152 * Linear((argb >> 8) & 0xFF) + 0.0722 * Linear(argb & 0xFF);
}

double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  }
  return most;
}

// What a measure found: the glyphs' fill, how many pixels of it lie over the background measured, and the
// lowest contrast between the fill and the background behind any of them.
struct Contrast {
  uint32_t fill = 0;
  uint32_t faintestBack = 0;
  int pixels = 0;
  double ratio = 0;
};

// withText and withoutText are the same frame with and without a label; the label's glyphs are the pixels of the
// box it changed. The glyphs are light letters in a dark rim: their fill is the commonest colour among the lightest
// tenth of those pixels (the ones the glyphs cover whole), and the fill pixels are those within a few steps of it.
// Only the fill pixels for which behind() holds are measured.
template <typename Behind>
Contrast MeasureLabel(const Frame& withText, const Frame& withoutText, const Box& box, Behind behind) {
  std::vector<std::pair<int, int>> changed;
  std::vector<double> lightness;
  for (int y = std::max(box.top, 0); y < std::min(box.bottom, withText.height); ++y) {
    for (int x = std::max(box.left, 0); x < std::min(box.right, withText.width); ++x) {
      if (ChannelDistance(withText.At(x, y), withoutText.At(x, y)) <= 12) continue;
      changed.emplace_back(x, y);
      lightness.push_back(RelativeLuminance(withText.At(x, y)));
    }
  }
  std::map<uint32_t, int> counts;
  if (!lightness.empty()) {
    std::vector<double> sorted = lightness;
    std::sort(sorted.begin(), sorted.end());
    const double lightest = sorted[sorted.size() * 9 / 10];
    for (size_t i = 0; i < changed.size(); ++i) {
      if (lightness[i] >= lightest) ++counts[withText.At(changed[i].first, changed[i].second) & 0xF0F0F0];
    }
  }
  Contrast result;
  if (counts.empty()) return result;
  const uint32_t commonest =
      std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  // The fill's own colour: the mean of the pixels in the commonest bucket.
  uint64_t sums[3] = {};
  int inBucket = 0;
  for (const auto& [x, y] : changed) {
    const uint32_t colour = withText.At(x, y);
    if ((colour & 0xF0F0F0) != commonest) continue;
    for (int c = 0; c < 3; ++c) sums[c] += (colour >> (16 - 8 * c)) & 0xFF;
    ++inBucket;
  }
  result.fill = 0xFF000000u;
  for (int c = 0; c < 3; ++c) result.fill |= static_cast<uint32_t>(sums[c] / inBucket) << (16 - 8 * c);
  result.ratio = 1e9;
  for (const auto& [x, y] : changed) {
    if (ChannelDistance(withText.At(x, y), result.fill) > 20 || !behind(x, y)) continue;
    const double ratio = ContrastRatio(result.fill, withoutText.At(x, y));
    if (ratio < result.ratio) {
      result.ratio = ratio;
      result.faintestBack = withoutText.At(x, y);
    }
    ++result.pixels;
  }
  if (result.pixels == 0) result.ratio = 0;
  return result;
}

class MenuContrastTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(fs::temp_directory_path() / ("corsaire_menu_contrast_" + std::to_string(std::random_device{}())));
    ASSERT_TRUE(contentgen::WriteAllContent(folder_->string() + "/"));
    for (const char* sub : {"Rock", "Jazz", "Soul"}) fs::create_directories(*folder_ / "MUSICBOX" / sub);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
    folder_ = nullptr;
  }
  void TearDown() override {
    app_.reset();
    windows_.reset();
  }

  void Start() {
    windows_ = platform::CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr) << "no display";
    platform::WindowSystem& desktop = *windows_;
    app::GraphicsAppServices services = display_test::GlGameServices(desktop);
    services.timer = [](int command) {
      return command == static_cast<int>(app::TimerCommand::ElapsedTime) ? 0.05 : 0.0;
    };
    GameServices game;
    game.programFolder = folder_->string() + "/";
    game.randomSeed = [] { return 7u; };
    game.controllerOpener = [](bool) -> std::unique_ptr<platform::input::Controller> { return nullptr; };
    game.machine = app::MachineFacts{1500, 1024, 64};
    game.launcher = &launcher_;
    game.clipboard = &clipboard_;
    game.folderChooser = &folderChooser_;
    app_ = std::make_unique<MenuGame>(services, game);
    ASSERT_EQ(app_->Create(), platform::kOk);
    app_->GetSettings()->SetInt(SettingId::MOTIONBLUR, 0);
    // The pointer rests away from the window, so it lights nothing and covers nothing.
    SDL_WarpMouseGlobal(0, 0);
  }

  void Step(int frames = 1) {
    for (int frame = 0; frame < frames; ++frame) {
      platform::Message message;
      while (windows_->PeekMessage(message, true)) windows_->DispatchMessage(message);
      ASSERT_EQ(app_->FrameMove(), platform::kOk);
      ASSERT_EQ(app_->Render(), platform::kOk);
    }
  }

  // Draws the frame as it stands (no update, so nothing moves or changes its highlight) and reads it back.
  Frame Shoot() {
    EXPECT_EQ(app_->Render(), platform::kOk);
    Frame frame;
    frame.width = app_->GetSettings()->GetInt(SettingId::SCREENWIDTH);
    frame.height = app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT);
    frame.pixels = app_->Gl().ReadPixels(0, 0, static_cast<uint32_t>(frame.width), static_cast<uint32_t>(frame.height));
    return frame;
  }

  // A rectangle of the 800 × 600 virtual screen in window pixels, shrunk by inset pixels on every side.
  Box Pixels(float left, float top, float right, float bottom, int inset = 0) const {
    const float sx = static_cast<float>(app_->GetSettings()->GetInt(SettingId::SCREENWIDTH)) / 800.0f;
    const float sy = static_cast<float>(app_->GetSettings()->GetInt(SettingId::SCREENHEIGHT)) / 600.0f;
    return Box{static_cast<int>(std::ceil(left * sx)) + inset, static_cast<int>(std::ceil(top * sy)) + inset,
               static_cast<int>(std::floor(right * sx)) - inset, static_cast<int>(std::floor(bottom * sy)) - inset};
  }

  static bool IsLitBar(const frontend::TexRect& rect, const render::ImageResource* image) {
    const float w = static_cast<float>(render::GetImageWidth(image)), h = static_cast<float>(render::GetImageHeight(image));
    const float left = std::min(rect.left, rect.right) * w, right = std::max(rect.left, rect.right) * w;
    const float top = std::min(rect.top, rect.bottom) * h, bottom = std::max(rect.top, rect.bottom) * h;
    return left >= kLitBarLeft - 0.5f && right <= kLitBarRight + 0.5f && top >= kLitBarTop - 0.5f &&
           bottom <= kLitBarBottom + 0.5f;
  }

  // Measures every label of the buttons that is drawn on the lit bar: a button lit at rest as it stands, any
  // other whose highlight is the lit bar with the pointer over it.
  template <typename List>
  void MeasureLitButtons(const List& list, const std::string& where) {
    std::vector<frontend::MenuButton*> buttons;
    for (frontend::MenuButton* button : list) buttons.push_back(button);
    for (frontend::MenuButton* button : buttons) {
      if (button->label == nullptr) continue;
      const bool litAtRest = IsLitBar(button->normalRect, button->image);
      if (!litAtRest && !IsLitBar(button->highlightRect, button->image)) continue;
      const frontend::VirtualPoint inside{static_cast<int32_t>((button->hitLeft + button->hitRight) / 2),
                                          static_cast<int32_t>((button->hitTop + button->hitBottom) / 2)};
      const frontend::VirtualPoint away{-1000, -1000};
      button->UpdateHover(litAtRest ? away : inside);
      const frontend::TextLabel& drawn =
          button->shownState == 1 && button->highlightLabel ? *button->highlightLabel : *button->label;
      const std::string name = where + " \"" + drawn.text + "\"" + (litAtRest ? " (at rest)" : " (lit)");
      const Frame withText = Shoot();
      std::unique_ptr<frontend::TextLabel> label, highlight;
      std::swap(button->label, label);
      std::swap(button->highlightLabel, highlight);
      const Frame withoutText = Shoot();
      std::swap(button->label, label);
      std::swap(button->highlightLabel, highlight);
      button->UpdateHover(away);
      // Only the bar itself: a pixel inside the button, off its edge that filtering blends with the panel.
      const Box bar = Pixels(button->hitLeft, button->hitTop, button->hitRight, button->hitBottom, 2);
      Record(name, MeasureLabel(withText, withoutText, bar, [](int, int) { return true; }));
    }
  }

  // Measures the screen's texts where their glyphs lie over the track outline's road.
  void MeasureTextsOverOutline(frontend::MenuScreen& screen, std::unique_ptr<race::Minimap>& outline,
                               const std::string& where) {
    ASSERT_NE(outline, nullptr) << where;
    const Frame withText = Shoot();
    // The texts leave the list and come back in their order.
    std::vector<frontend::TextLabel*> texts;
    for (frontend::TextLabel* label : screen.texts) texts.push_back(label);
    for (frontend::TextLabel* label : texts) screen.texts.RemoveObject(label);
    const Frame withoutText = Shoot();
    std::unique_ptr<race::Minimap> hidden;
    std::swap(outline, hidden);
    const Frame withoutOutline = Shoot();
    std::swap(outline, hidden);
    for (frontend::TextLabel* label : texts) screen.texts.PushBack(label);
    const auto overRoad = [&](int x, int y) { return ChannelDistance(withoutText.At(x, y), withoutOutline.At(x, y)) > 12; };
    for (const frontend::TextLabel* label : screen.texts) {
      if (label->text.empty()) continue;
      const std::vector<float> widths = label->LineWidths(label->text);
      const float width = *std::max_element(widths.begin(), widths.end());
      const float left = label->align == frontend::kAlignRight    ? label->x - width
                         : label->align == frontend::kAlignCentre ? label->x - width / 2
                                                                  : label->x;
      const float lineHeight = static_cast<float>(render::GetImageWidth(label->fontImage)) / 16.0f * label->scale;
      const Box box = Pixels(left - 2, label->y - 2, left + width + 2, label->y + lineHeight * widths.size() + 2);
      const Contrast contrast = MeasureLabel(withText, withoutText, box, overRoad);
      // A label whose glyphs only touch the road's edge with a pixel or two does not cross it.
      if (contrast.pixels < kFewestFillPixels) continue;
      ++crossings_;
      Record(where + " \"" + label->text + "\" over the outline", contrast);
    }
  }

  void Record(std::string name, const Contrast& contrast) {
    for (char& c : name) c = c == '\n' ? ' ' : c;
    char line[320];
    std::snprintf(line, sizeof line, "%-70s %6.2f:1  glyph fill #%06X, faintest back #%06X, %d fill pixels",
                  name.c_str(), contrast.ratio, contrast.fill & 0xFFFFFF, contrast.faintestBack & 0xFFFFFF,
                  contrast.pixels);
    std::printf("contrast: %s\n", line);
    EXPECT_GE(contrast.pixels, kFewestFillPixels) << name << ": the label's glyphs were found on the screen";
    EXPECT_GE(contrast.ratio, kTextContrast) << line;
    ++measured_;
  }

  frontend::MenuScreen& Visit(int32_t screen) {
    app_->GetScreenFlow()->RequestBack(screen, 0.0f);
    Step(3);
    EXPECT_EQ(app_->GetMenuManager()->current, screen);
    return *app_->GetMenuManager()->CurrentScreen();
  }

  static fs::path* folder_;
  std::unique_ptr<platform::WindowSystem> windows_;
  std::unique_ptr<MenuGame> app_;
  platform::RecordingLauncher launcher_;
  platform::RecordingClipboard clipboard_;
  platform::ScriptedFolderChooser folderChooser_;
  int measured_ = 0;
  int crossings_ = 0;
};

fs::path* MenuContrastTest::folder_ = nullptr;

TEST_F(MenuContrastTest, EveryLabelOnALitBarOrOverATrackOutlineReadsAtTheContrastOfText) {
  Start();
  if (HasFatalFailure()) return;
  // The start-up notice, once its fade from black is over.
  app_->GetScreenFlow()->Reset(gs::kDisclaimer, 0, app::menu_screen::NoScreenChange);
  frontend::GuiContext* notice = nullptr;
  for (int frame = 0; frame < 100; ++frame) {
    Step();
    notice = app_->GetGuiContext();
    if (notice != nullptr && notice->fadeDone) break;
  }
  ASSERT_TRUE(notice != nullptr && notice->fadeDone);
  MeasureLitButtons(notice->buttons, "notice");

  notice->accepted = true;
  for (int frame = 0; frame < 100 && app_->GetScreenFlow()->state != gs::kMenus; ++frame) Step();
  ASSERT_EQ(app_->GetScreenFlow()->state, gs::kMenus);
  race::ContentDatabase& content = *app_->GetContentDatabase();
  const std::string gameFolder = folder_->string() + "/";
  content.LoadFrom(app::DataFile(gameFolder + kContentListFile), gameFolder, gameFolder);
  ASSERT_TRUE(content.careerRaces && content.contestRaces && content.quickRaces);

  auto& mainMenu = dynamic_cast<frontend::MainMenuScreen&>(Visit(index::kMainMenu));
  MeasureLitButtons(mainMenu.buttons, "main menu");

  // The race screens: their rows, the chosen one lit, and the texts over the outline of every track.
  auto& career = dynamic_cast<frontend::CareerRaceScreen&>(Visit(index::kCareerRace));
  MeasureLitButtons(career.buttons, "career");
  MeasureTextsOverOutline(career, career.minimap, "career");
  auto& contest = dynamic_cast<frontend::ContestRaceScreen&>(Visit(index::kContestRace));
  MeasureLitButtons(contest.buttons, "contest");
  for (int32_t race = 0; race < content.contestRaces->Count(); ++race) {
    contest.selectedIndex = race;
    contest.rebuild = true;
    Step();
    MeasureTextsOverOutline(contest, contest.minimap, "contest " + content.contestRaces->At(race)->name);
  }
  auto& practice = dynamic_cast<screens::PracticeRaceScreen&>(Visit(index::kPracticeRace));
  MeasureLitButtons(practice.buttons, "practice");
  for (int32_t venue = 0; venue < content.quickRaces->Count(); ++venue) {
    practice.SelectVenue(venue);
    Step();
    MeasureTextsOverOutline(practice, practice.minimap, "practice " + content.quickRaces->At(venue)->name);
  }

  // AutoDetect, lit at rest.
  MeasureLitButtons(Visit(index::kVideoOptions).buttons, "video options");

  // The in-game folder browser of the audio options, on a folder with folders in it.
  auto& audio = dynamic_cast<frontend::AudioOptionsScreen&>(Visit(index::kAudioOptions));
  folderChooser_.answer = platform::FolderChoice::kUnavailable;
  audio.BrowseMusicFolder();
  ASSERT_TRUE(audio.browserOpen);
  audio.folderBrowser->Show((*folder_ / "MUSICBOX").string() + "/");
  Step();
  MeasureLitButtons(audio.folderBrowser->buttons, "folder browser");

  // The profile popup with its rows and Accept, Create and Delete; then the delete dialog's YES and NO.
  Visit(index::kMainMenu);
  auto& profiles = dynamic_cast<screens::ProfileScreen&>(*mainMenu.profileScreen);
  mainMenu.OpenPopupScreen(profiles, mainMenu.profileOpen);
  Step(2);
  ASSERT_EQ(mainMenu.OpenPopup(), &profiles);
  MeasureLitButtons(profiles.buttons, "profiles");
  profiles.ShowDeleteConfirm();
  Step();
  MeasureLitButtons(profiles.confirmDialog->buttons, "delete dialog");

  // The help popup's buttons.
  profiles.dialogActive = false;
  mainMenu.profileOpen = false;
  mainMenu.OpenPopupScreen(*mainMenu.helpScreen, mainMenu.helpOpen);
  Step(2);
  MeasureLitButtons(mainMenu.helpScreen->buttons, "help");

  std::printf("contrast: %d labels measured, %d crossing an outline\n", measured_, crossings_);
  EXPECT_GE(measured_, 25);
  EXPECT_GE(crossings_, 3) << "the outlines lie under the race facts, as the screens place them";
}

}  // namespace
}  // namespace game
