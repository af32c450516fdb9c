// How the menus read as the game draws them on the OpenGL device under Xvfb: every label the menus put on a lit
// bar, and every label that crosses a race screen's track outline, stands out from what lies behind it by the
// contrast ratio asked of text (4.5:1), measured in the game's own frame read back with and without the label;
// and the race screens' track outline stands out from the showroom beside it wherever the showroom camera is.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/app_timer.h"
#include "app/data_file.h"
#include "colour_measure.h"
#include "contentgen/content.h"
#include "frontend/audio_screen.h"
#include "frontend/career_race_screen.h"
#include "frontend/confirm_dialog.h"
#include "frontend/contest_race_screen.h"
#include "frontend/gui_context.h"
#include "frontend/main_menu_screen.h"
#include "frontend/menu_manager.h"
#include "frontend/screen_ids.h"
#include "frontend/showroom_scene.h"
#include "game/game_application.h"
#include "geometry/path.h"
#include "platform/gfx/gl_device.h"
#include "platform/null_desktop.h"
#include "platform/window_system.h"
#include "race/content_database.h"
#include "race/hud/minimap.h"
#include "race/race_definition.h"
#include "race/race_list.h"
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
// Showroom shots taken of each race screen, the camera spread along its paths.
constexpr int kShowroomShots = 16;
// The colour distance (CIE 1976) at which the outline plainly parts from what lies beside it, and the share of the
// pixels beside it that must stand at least that far on each screen.
constexpr double kOutlineDistance = 30.0;
constexpr double kOutlineShare = 0.95;
// The ring of showroom pixels measured: this many window pixels out from the outline's nearest pixel.
constexpr int kRingNear = 2, kRingFar = 3;

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

using colour_measure::ContrastRatio;
using colour_measure::LabDistance;
using colour_measure::RelativeLuminance;

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

// The colour distances between the track outline as drawn and the pixels beside it: withOutline and
// withoutOutline are the same frame with and without the outline's road, whose pixels are those the road changed.
// Each pixel between kRingNear and kRingFar pixels out from the road is measured against the road's colour nearest
// it, taken from a pixel the road covers whole (all its neighbours are road): the road's edge pixels are smoothed
// into what lies behind them.
std::vector<double> DistancesBesideOutline(const Frame& withOutline, const Frame& withoutOutline) {
  const int width = withOutline.width, height = withOutline.height;
  std::vector<bool> road(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      road[static_cast<size_t>(y) * width + x] = withOutline.At(x, y) != withoutOutline.At(x, y);
    }
  }
  const auto isRoad = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < width && y < height && road[static_cast<size_t>(y) * width + x];
  };
  // For every pixel near the road: the squared distance to the road's nearest pixel, and to its nearest whole
  // pixel with that pixel's colour.
  constexpr int kReach = kRingFar + 2, kFar = kReach * kReach * 2 + 1;
  std::vector<int> nearest(road.size(), kFar), nearestWhole(road.size(), kFar);
  std::vector<uint32_t> wholeColour(road.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!isRoad(x, y)) continue;
      bool whole = true;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) whole = whole && isRoad(x + dx, y + dy);
      }
      for (int dy = -kReach; dy <= kReach; ++dy) {
        for (int dx = -kReach; dx <= kReach; ++dx) {
          const int nx = x + dx, ny = y + dy, squared = dx * dx + dy * dy;
          if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
          const size_t at = static_cast<size_t>(ny) * width + nx;
          nearest[at] = std::min(nearest[at], squared);
          if (!whole || squared >= nearestWhole[at]) continue;
          nearestWhole[at] = squared;
          wholeColour[at] = withOutline.At(x, y);
        }
      }
    }
  }
  std::vector<double> distances;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = static_cast<size_t>(y) * width + x;
      if (road[at] || nearest[at] < kRingNear * kRingNear || nearest[at] > kRingFar * kRingFar) continue;
      if (nearestWhole[at] == kFar) continue;  // beside a sliver of road too thin to cover a pixel whole
      distances.push_back(LabDistance(wholeColour[at], withoutOutline.At(x, y)));
    }
  }
  return distances;
}

double ShareAtLeast(const std::vector<double>& values, double least) {
  if (values.empty()) return 0;
  return static_cast<double>(std::count_if(values.begin(), values.end(), [&](double v) { return v >= least; })) /
         static_cast<double>(values.size());
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
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

  // The start-up notice, once its fade from black is over.
  frontend::GuiContext* ShowNotice() {
    app_->GetScreenFlow()->Reset(gs::kDisclaimer, 0, app::menu_screen::NoScreenChange);
    frontend::GuiContext* notice = nullptr;
    for (int frame = 0; frame < 100; ++frame) {
      Step();
      notice = app_->GetGuiContext();
      if (notice != nullptr && notice->fadeDone) return notice;
    }
    ADD_FAILURE() << "the notice never finished fading in";
    return nullptr;
  }

  // Accepts the notice and waits for the menus; their race lists are loaded. Null when the menus never came.
  race::ContentDatabase* AcceptNotice(frontend::GuiContext& notice) {
    notice.accepted = true;
    for (int frame = 0; frame < 100 && app_->GetScreenFlow()->state != gs::kMenus; ++frame) Step();
    if (app_->GetScreenFlow()->state != gs::kMenus) return nullptr;
    race::ContentDatabase& content = *app_->GetContentDatabase();
    const std::string gameFolder = folder_->string() + "/";
    content.LoadFrom(app::DataFile(gameFolder + kContentListFile), gameFolder, gameFolder);
    if (!content.careerRaces || !content.contestRaces || !content.quickRaces) return nullptr;
    return &content;
  }

  // Sets the showroom camera on the shot-th of kShowroomShots points spread over its paths, the shots taking the
  // paths in turn, with no cut pending or under way.
  void AimShowroom(int shot) {
    auto* showroom = dynamic_cast<frontend::Showroom*>(app_->GetMenuManager()->Showroom());
    ASSERT_NE(showroom, nullptr) << "the menus run over the showroom";
    const int paths = static_cast<int>(showroom->cameraPaths.size());
    ASSERT_GT(paths, 0);
    const int path = shot % paths, pointsOnPath = (kShowroomShots + paths - 1) / paths;
    showroom->currentPath = showroom->nextPath = path;
    showroom->pathDistance =
        showroom->cameraPaths[path]->TotalLength() * (static_cast<float>(shot / paths) + 0.5f) / pointsOnPath;
    showroom->fading = false;
    showroom->shotTimer = frontend::kFirstShotSeconds;
    showroom->Update(0);
  }

  // The colour distances beside the outline's road on the screen as it stands, its texts and buttons left out: only
  // the showroom and the panels it is seen through lie beside the road then.
  std::vector<double> MeasureBesideOutline(frontend::MenuScreen& screen, race::Minimap* outline) {
    if (outline == nullptr) return {};
    // The texts and buttons leave their lists and come back in their order.
    std::vector<frontend::TextLabel*> texts;
    std::vector<frontend::MenuButton*> buttons;
    for (frontend::TextLabel* label : screen.texts) texts.push_back(label);
    for (frontend::MenuButton* button : screen.buttons) buttons.push_back(button);
    for (frontend::TextLabel* label : texts) screen.texts.RemoveObject(label);
    for (frontend::MenuButton* button : buttons) screen.buttons.RemoveObject(button);
    const Frame withOutline = Shoot();
    const uint32_t triangles = outline->stripTriangles;
    outline->stripTriangles = 0;
    const Frame withoutOutline = Shoot();
    outline->stripTriangles = triangles;
    for (frontend::TextLabel* label : texts) screen.texts.PushBack(label);
    for (frontend::MenuButton* button : buttons) screen.buttons.PushBack(button);
    return DistancesBesideOutline(withOutline, withoutOutline);
  }

  // Takes kShowroomShots shots of a race screen, choose(shot) picking the race shown on each, and asks that the
  // outline part plainly from the showroom beside it on the whole of them.
  template <typename Choose>
  void MeasureOutlineOverShowroom(frontend::MenuScreen& screen, std::unique_ptr<race::Minimap>& outline,
                                  const std::string& where, Choose choose) {
    std::vector<double> all;
    // The worst shot: the smallest share far enough, then the nearest pixel.
    std::pair<double, double> worstShot{2, 0};
    std::string worst;
    for (int shot = 0; shot < kShowroomShots; ++shot) {
      const std::string race = choose(shot);
      Step();
      AimShowroom(shot);
      if (HasFatalFailure()) return;
      ASSERT_NE(outline, nullptr) << where << " " << race;
      const std::vector<double> distances = MeasureBesideOutline(screen, outline.get());
      // The road runs hundreds of pixels long: a few pixels beside it would be no measure of it.
      EXPECT_GE(distances.size(), 500u) << where << " shot " << shot << " (" << race << ")";
      const double share = ShareAtLeast(distances, kOutlineDistance);
      const double lowest = distances.empty() ? 0 : *std::min_element(distances.begin(), distances.end());
      std::printf("outline: %-8s shot %2d %-24s median %5.1f, lowest %5.1f, %5.1f%% at %.0f or more, %zu pixels\n",
                  where.c_str(), shot, race.c_str(), Median(distances), lowest, 100 * share, kOutlineDistance,
                  distances.size());
      if (std::make_pair(share, lowest) < worstShot) {
        worstShot = {share, lowest};
        worst = "shot " + std::to_string(shot) + " (" + race + ")";
      }
      all.insert(all.end(), distances.begin(), distances.end());
    }
    const double share = ShareAtLeast(all, kOutlineDistance);
    std::printf("outline: %-8s all shots: median %5.1f, %5.1f%% at %.0f or more; worst %s: %5.1f%%, lowest %.1f\n",
                where.c_str(), Median(all), 100 * share, kOutlineDistance, worst.c_str(), 100 * worstShot.first,
                worstShot.second);
    EXPECT_GE(share, kOutlineShare) << where << ": the outline is lost in the showroom beside it";
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
  frontend::GuiContext* notice = ShowNotice();
  ASSERT_NE(notice, nullptr);
  MeasureLitButtons(notice->buttons, "notice");

  race::ContentDatabase* lists = AcceptNotice(*notice);
  ASSERT_NE(lists, nullptr) << "the menus open with their race lists";
  race::ContentDatabase& content = *lists;

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

// The outline is seen on every showroom shot: on each race screen, over shots with the camera all along its paths
// and the screen's races in turn, nearly every showroom pixel just beside the outline's road differs from the road
// as drawn by a plainly seen colour distance.
TEST_F(MenuContrastTest, TheTrackOutlinePartsFromTheShowroomOnEveryShot) {
  Start();
  if (HasFatalFailure()) return;
  frontend::GuiContext* notice = ShowNotice();
  ASSERT_NE(notice, nullptr);
  race::ContentDatabase* lists = AcceptNotice(*notice);
  ASSERT_NE(lists, nullptr) << "the menus open with their race lists";
  race::ContentDatabase& content = *lists;

  // Every career race by its class and its place in the class, the locked ones too: each shows its outline.
  std::vector<std::pair<int32_t, int32_t>> careerRaces;
  for (int32_t c = 0; c < 16 && static_cast<int>(careerRaces.size()) < content.careerRaces->Count(); ++c) {
    const int32_t count = race::RaceDefinition::CountByClass(content.careerRaces.get(), static_cast<uint32_t>(c));
    for (int32_t n = 0; n < count; ++n) careerRaces.emplace_back(c, n);
  }
  ASSERT_FALSE(careerRaces.empty());
  auto& career = dynamic_cast<frontend::CareerRaceScreen&>(Visit(index::kCareerRace));
  MeasureOutlineOverShowroom(career, career.minimap, "career", [&](int shot) {
    std::tie(career.selectedClass, career.selectedIndex) = careerRaces[shot % careerRaces.size()];
    career.rebuild = true;
    return career.ChosenRace()->name;
  });
  auto& contest = dynamic_cast<frontend::ContestRaceScreen&>(Visit(index::kContestRace));
  MeasureOutlineOverShowroom(contest, contest.minimap, "contest", [&](int shot) {
    contest.selectedIndex = shot % content.contestRaces->Count();
    contest.rebuild = true;
    return content.contestRaces->At(contest.selectedIndex)->name;
  });
  auto& practice = dynamic_cast<screens::PracticeRaceScreen&>(Visit(index::kPracticeRace));
  MeasureOutlineOverShowroom(practice, practice.minimap, "practice", [&](int shot) {
    const int32_t venue = shot % content.quickRaces->Count();
    practice.SelectVenue(venue);
    return content.quickRaces->At(venue)->name;
  });
}

}  // namespace
}  // namespace game
