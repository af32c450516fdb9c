// Video options: rows stepping the graphics settings, undo on Back, the pending full-screen choice on Accept.
#include "screens/video_options_screen.h"

#include "app/screen_flow.h"
#include "frontend/options_panel.h"
#include "frontend/screen_ids.h"
#include "race/player_profile.h"

namespace screens {

using app::SettingId;

const char* const ResolutionNames[4] = {"512x384", "640x480", "800x600", "1024x768"};
const char* const OnOffNames[2] = {"OFF", "ON"};
const char* const DetailLevelNames[3] = {"OFF", "LOW", "HIGH"};
const char* const ReflectionModeNames[3] = {"OFF", "STATIC", "DYNAMIC"};
const char* const AmountNames[3] = {"NONE", "SOME", "LOTS"};
const char* const ViewDistanceNames[4] = {"NEAR", "MEDIUM", "FAR", "VERY FAR"};

const std::array<VideoRow, kVideoRowCount> VideoRows = {{
    {0, 12, 200, "Resolution : ", SettingId::RESOLUTION, ResolutionNames, 4},
    {2, 12, 240, "Antialiasing : ", SettingId::FSAA, OnOffNames, 2},
    {10, 12, 280, "Glow Trails : ", SettingId::MOTIONBLUR, OnOffNames, 2},
    {6, 12, 320, "Car Reflection : ", SettingId::REFLECTIONDETAIL, ReflectionModeNames, 3},
    {7, 12, 360, "Road Reflection : ", SettingId::SCENEREFLECTION, OnOffNames, 2},
    {5, 12, 400, "Stencil Shadows : ", SettingId::STENCILSHADOWS, OnOffNames, 2},
    {8, 12, 440, "Headlights : ", SettingId::HEADLIGHTS, OnOffNames, 2},
    {9, 12, 480, "Full Screen : ", SettingId::FULLSCREEN, OnOffNames, 2},
    {1, 280, 200, "View Distance : ", SettingId::VIEWDISTANCE, ViewDistanceNames, 4},
    {11, 280, 240, "RearView Mirror : ", SettingId::REARVIEW, OnOffNames, 2},
    {14, 280, 280, "Particles : ", SettingId::PARTICLES, AmountNames, 3},
    {13, 280, 320, "Skidmarks : ", SettingId::SKIDMARKS, AmountNames, 3},
    {17, 280, 360, "Glows : ", SettingId::GLOWDETAIL, DetailLevelNames, 3},
    {15, 280, 400, "Particle Fade : ", SettingId::ALPHAFADE, OnOffNames, 2},
    {16, 280, 440, "Rubber Band : ", SettingId::RUBBERBAND, OnOffNames, 2},
}};

static_assert(VideoOptionsScreen::kAccept == frontend::options_panel::kAcceptId &&
              VideoOptionsScreen::kBack == frontend::options_panel::kBackId &&
              VideoOptionsScreen::kQuitIcon == frontend::options_panel::kQuitIconId &&
              VideoOptionsScreen::kFullScreenIcon == frontend::options_panel::kFullScreenIconId);

namespace {
constexpr int32_t kFullScreenRow = 9;
constexpr int32_t kCarReflectionRow = 6;
constexpr int kFullScreen = static_cast<int>(SettingId::FULLSCREEN);
constexpr float kAutoDetectNormal[4] = {3, 2, 200, 39};

const VideoRow* FindRow(int32_t rowIndex) {
  for (const VideoRow& row : VideoRows) {
    if (row.rowIndex == rowIndex) return &row;
  }
  return nullptr;
}
}  // namespace

VideoOptionsScreen::~VideoOptionsScreen() {
  ClearListButtons(rowButtons);
  skin.Release(resourceManager);
}

void VideoOptionsScreen::Init(platform::gfx::Device* device) {
  using namespace frontend;
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Video Menu", 735, 135, 1.25f, false, kAlignRight,
                        kVirtualWidth, kVirtualHeight));
  frontend::options_panel::AddFrame(*this, device, skin.buttonImage);
  frontend::options_panel::AddButtons(*this, device, skin, 550);
  MenuButton* autoDetect = AddAtlasButton(device, skin.buttonImage, 550, 200, 200, 38, kAutoDetectNormal,
                                          kBlankButtonNormal, 0, kAutoDetect);
  AddButtonLabels(device, autoDetect, "AutoDetect", skin.fontImage, skin.font, 190, 3, 1.0f, true, kAlignRight);
}

void VideoOptionsScreen::OnEnter() {
  for (int i = 0; i < app::kIntSettingCount; ++i) savedSettings[i] = settings->GetInt(static_cast<SettingId>(i));
  MenuScreen::OnEnter();
  rebuild = true;
}

std::string VideoOptionsScreen::RowText(const VideoRow& row) const {
  int value = row.rowIndex == kFullScreenRow ? savedSettings[kFullScreen] : settings->GetInt(row.setting);
  // A stored value outside the names (a hand-edited file) shows the first name rather than reading past them.
  if (value < 0 || value >= row.valueCount) value = 0;
  return std::string(row.label) + row.valueNames[value];
}

void VideoOptionsScreen::BuildRows(platform::gfx::Device* device) {
  ClearListButtons(rowButtons);
  for (const VideoRow& row : VideoRows) {
    frontend::MenuButton* button = AddAtlasButton(device, skin.buttonImage, row.x, row.y, 256, 38,
                                                  frontend::kBlankButtonNormal, frontend::kWideHighlight, 0,
                                                  row.rowIndex + kFirstRowButtonId);
    AddButtonLabels(device, button, RowText(row), skin.fontImage, skin.font, 5, 8, 0.75f, true,
                    frontend::kAlignLeft);
    rowButtons.push_back(button);
  }
}

void VideoOptionsScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    BuildRows(device);
  }
  MenuScreen::Render(device);
}

void VideoOptionsScreen::ApplyRow(int32_t rowIndex) {
  if (const VideoRow* row = FindRow(rowIndex)) {
    if (rowIndex == kFullScreenRow) {
      savedSettings[kFullScreen] = savedSettings[kFullScreen] == 0 ? 1 : 0;
    } else {
      const int value = settings->GetInt(row->setting);
      int next = value + 1;
      if (row->valueCount == 2) {
        next = value == 0 ? 1 : 0;
      } else if (next >= row->valueCount || next < 0) {
        next = 0;
      }
      settings->SetInt(row->setting, next);
      if (rowIndex == kCarReflectionRow && profile != nullptr) profile->changed = true;
    }
  }
  settings->Validate();
  rebuild = true;
}

void VideoOptionsScreen::RestoreSettings() {
  for (int i = 0; i < app::kIntSettingCount; ++i) {
    if (i == kFullScreen) continue;
    settings->SetInt(static_cast<SettingId>(i), savedSettings[i]);
  }
}

int32_t VideoOptionsScreen::HandleInput(const frontend::ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kAccept:
      settings->SetInt(SettingId::FULLSCREEN, savedSettings[kFullScreen]);
      screenFlow->RequestBack(frontend::screen_index::kOptionsMenu, 0.0f);
      break;
    case kBack:
      RestoreSettings();
      screenFlow->RequestBack(frontend::screen_index::kOptionsMenu, 0.0f);
      break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kAutoDetect:
      settings->AutoConfigure();
      if (profile != nullptr) profile->changed = true;
      rebuild = true;
      break;
    default:
      if (id >= kFirstRowButtonId) ApplyRow(id - kFirstRowButtonId);
      break;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyEscape)) {
    screenFlow->RequestBack(frontend::screen_index::kOptionsMenu, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyF)) {
    ToggleFullScreen();
    savedSettings[kFullScreen] = savedSettings[kFullScreen] == 0 ? 1 : 0;
    rebuild = true;
  }
  return id;
}

}  // namespace screens
