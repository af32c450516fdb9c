// Options menu: entries to the settings screens; Esc and Back return to the main menu.
#include "frontend/options_menu_screen.h"

#include "app/screen_flow.h"
#include "frontend/screen_ids.h"

namespace frontend {

namespace {
enum ButtonId : int32_t { kBack = 0, kControls = 1, kAudio = 2, kVideo = 3, kQuitIcon = 5, kFullScreenIcon = 6 };
constexpr float kEntryHighlight[4] = {3, 2, 421, 39};
constexpr float kBackRect[4] = {297, 168, 455, 196};
}  // namespace

OptionsMenuScreen::~OptionsMenuScreen() { skin.Release(resourceManager); }

void OptionsMenuScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Options Menu", 735, 135, 1.25f, false, kAlignRight,
                        kVirtualWidth, kVirtualHeight));
  AddAtlasImage(device, skin.buttonImage, 9, 172, 6, 345, 459, 164, 465, 508);
  AddAtlasImage(device, skin.buttonImage, 15, 172, 725, 345, 460, 164, 465, 508);
  AddAtlasImage(device, skin.buttonImage, 740, 172, 23, 345, 486, 164, 508, 508);
  AddAtlasImage(device, skin.buttonImage, 501, 128, 262, 44, 247, 120, 508, 163);

  const struct {
    int32_t id;
    const char* text;
    float y;
  } entries[] = {{kControls, "Controls", 200}, {kAudio, "Audio", 240}, {kVideo, "Video", 280}};
  for (const auto& entry : entries) {
    MenuButton* button =
        AddAtlasButton(device, skin.buttonImage, 12, entry.y, 746, 38, kBlankEntryNormal, kEntryHighlight, 0, entry.id);
    AddButtonLabels(device, button, entry.text, skin.fontImage, skin.font, 723, 3, 1.0f, true, kAlignRight);
  }
  MenuButton* back = AddAtlasButton(device, skin.buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, kFullScreenIconNormal, kFullScreenIconHighlight, 0,
                 kFullScreenIcon);
  AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, kQuitIconNormal, kQuitIconHighlight, 0, kQuitIcon);
}

int32_t OptionsMenuScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kBack: screenFlow->RequestBack(screen_index::kMainMenu, 0.0f); break;
    case kControls: screenFlow->RequestBack(screen_index::kControlMenu, 0.0f); break;
    case kAudio: screenFlow->RequestBack(screen_index::kAudioOptions, 0.0f); break;
    case kVideo: screenFlow->RequestBack(screen_index::kVideoOptions, 0.0f); break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    default: break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->RequestBack(screen_index::kMainMenu, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

}  // namespace frontend
