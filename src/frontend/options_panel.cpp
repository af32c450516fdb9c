// The frame and the shared buttons of the options pages (audio, controls, video): panel pieces, Back and Accept,
// and the full-screen and quit icons.
#include "frontend/options_panel.h"

#include "frontend/screen_ids.h"

namespace frontend::options_panel {

namespace {
// Accept is the Back piece mirrored.
constexpr float kBackRect[4] = {297, 168, 455, 196};
constexpr float kAcceptRect[4] = {455, 168, 297, 196};
}  // namespace

void AddFrame(MenuScreen& screen, platform::gfx::Device* device, render::ImageResource* buttonImage) {
  screen.AddAtlasImage(device, buttonImage, 9, 172, 6, 345, 459, 164, 465, 508);
  screen.AddAtlasImage(device, buttonImage, 15, 172, 725, 345, 460, 164, 465, 508);
  screen.AddAtlasImage(device, buttonImage, 740, 172, 23, 345, 486, 164, 508, 508);
  screen.AddAtlasImage(device, buttonImage, 501, 128, 262, 44, 247, 120, 508, 163);
}

void AddButtons(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin, float y) {
  MenuButton* back = screen.AddAtlasButton(device, skin.buttonImage, 5, y, 159, 29, kBackRect, kBackRect, 0, kBackId);
  screen.AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  MenuButton* accept =
      screen.AddAtlasButton(device, skin.buttonImage, 635, y, 159, 29, kAcceptRect, kAcceptRect, 0, kAcceptId);
  screen.AddButtonLabels(device, accept, "Accept", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  screen.AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, kFullScreenIconNormal, kFullScreenIconHighlight, 0,
                        kFullScreenIconId);
  screen.AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, kQuitIconNormal, kQuitIconHighlight, 0,
                        kQuitIconId);
}

}  // namespace frontend::options_panel
