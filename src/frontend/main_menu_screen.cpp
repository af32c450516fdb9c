// Main menu: instant race on a random track, practice through the car choice, career through the profile popup,
// contest races, options, help and quit.
#include "frontend/main_menu_screen.h"

#include "app/screen_flow.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "platform/os.h"
#include "race/content_database.h"
#include "race/race_list.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {
constexpr float kEntryHighlight[4] = {3, 2, 421, 39};
constexpr float kFirstEntryY = 220;
constexpr float kEntrySpacing = 38;
}  // namespace

MainMenuScreen::~MainMenuScreen() {
  profileScreen.reset();
  helpScreen.reset();
  skin.Release(resourceManager);
  if (resourceManager != nullptr) {
    for (render::ImageResource* image : {logoImage, panelImage, panelCapImage}) {
      if (image != nullptr) resourceManager->ReleaseImage(image);
    }
  }
}

void MainMenuScreen::SetPopups(std::unique_ptr<MenuScreen> profilePopup, std::unique_ptr<MenuScreen> helpPopup) {
  profileScreen = std::move(profilePopup);
  helpScreen = std::move(helpPopup);
  profileOpen = false;
  helpOpen = false;
  // Popups handed in after the menu was built are built at once with its device.
  if (initialised_) {
    if (profileScreen) profileScreen->Init(device_);
    if (helpScreen) helpScreen->Init(device_);
  }
}

void MainMenuScreen::Init(platform::gfx::Device* device) {
  device_ = device;
  initialised_ = true;
  if (profileScreen) profileScreen->Init(device);
  if (helpScreen) helpScreen->Init(device);
  skin.Load(resourceManager, device);
  if (resourceManager != nullptr) {
    logoImage = resourceManager->LoadTextureEx(device, kLogoImage, kLogoAlpha, 0, 1);
    panelImage = resourceManager->LoadTextureEx(device, kPanelImage, kPanelAlpha, 0, 1);
    panelCapImage = resourceManager->LoadTextureEx(device, kPanelCapImage, kPanelCapAlpha, 0, 1);
  }
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Main Menu", 735, 180, 1.25f, false, kAlignRight,
                        kVirtualWidth, kVirtualHeight));
  AddImage(new Sprite(device, logoImage, 0, 0, 800, 180, 0, 0, 1, 1, 0, kVirtualWidth, kVirtualHeight));
  AddAtlasImage(device, panelCapImage, 40, 146, 761, 20, 1, 0, 418, 20);
  AddAtlasImage(device, panelImage, 280, 166, 418, 418, 1, 0, 418, 418);
  AddAtlasImage(device, panelImage, 698, 166, 103, 418, 418, 0, 423, 418);
  // One entry every 38 pixels down the panel; the race entries first, in the order a player meets them.
  const struct {
    int32_t id;
    const char* text;
    float x, width;
  } entries[] = {{kInstantRace, "Instant Race", 563, 200}, {kPracticeRace, "Practice Race", 563, 200},
                 {kCareerMode, "Career Mode", 563, 200},   {kContestRace, "Contest Race", 563, 200},
                 {kOptions, "Options", 613, 120},          {kHelp, "Help", 660, 70},
                 {kQuit, "Quit", 660, 70}};
  float y = kFirstEntryY;
  for (const auto& entry : entries) {
    MenuButton* button = AddAtlasButton(device, skin.buttonImage, entry.x, y, entry.width, 36, kBlankEntryNormal,
                                        kEntryHighlight, 0, entry.id);
    y += kEntrySpacing;
    // The label's right edge sits a few pixels inside the button's right end, under the title's.
    const float offset = entry.width == 200 ? 172 : entry.width;
    AddButtonLabels(device, button, entry.text, skin.fontImage, skin.font, offset, 3, 1.0f, true, kAlignRight);
  }
  AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, kFullScreenIconNormal, kFullScreenIconHighlight, 0,
                 kFullScreen);
  AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, kQuitIconNormal, kQuitIconHighlight, 0, kQuit);
}

void MainMenuScreen::OnEnter() {
  MenuScreen::OnEnter();
  profileOpen = false;
}

void MainMenuScreen::OpenPopupScreen(MenuScreen& popup, bool& openFlag) {
  popup.OnEnter();
  openFlag = true;
  // The click's release arrives after the popup has opened and goes to it; the menu would otherwise still
  // think the button held and miss its next click.
  mouse.ResetMouseButtons();
}

MenuScreen* MainMenuScreen::OpenPopup() const {
  if (profileOpen && profileScreen) return profileScreen.get();
  if (helpOpen && helpScreen) return helpScreen.get();
  return nullptr;
}

void MainMenuScreen::Update(const ScreenWindow& window, float frameTime) {
  if (profileOpen && profileScreen) {
    profileScreen->Update(window, frameTime);
    if (profileScreen->closed) {
      profileOpen = false;
      mouse.ResetMouseButtons();
    }
    return;
  }
  if (helpOpen && helpScreen) {
    helpScreen->Update(window, frameTime);
    if (helpScreen->closed) {
      helpOpen = false;
      mouse.ResetMouseButtons();
    }
    return;
  }
  UpdateUnscaled(window, frameTime);
}

void MainMenuScreen::Render(platform::gfx::Device* device) {
  if (MenuScreen* popup = OpenPopup()) {
    popup->Render(device);
    return;
  }
  MenuScreen::Render(device);
}

void MainMenuScreen::OnKeyMessage(uint32_t message, uintptr_t key) {
  if (MenuScreen* popup = OpenPopup()) {
    popup->OnKeyMessage(message, key);
    return;
  }
  MenuScreen::OnKeyMessage(message, key);
}

void MainMenuScreen::OnMouseMessage(uint32_t message) {
  if (MenuScreen* popup = OpenPopup()) {
    popup->OnMouseMessage(message);
    return;
  }
  MenuScreen::OnMouseMessage(message);
}

int32_t MainMenuScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kInstantRace: {
      const race::RaceList* list = contentDatabase != nullptr ? contentDatabase->instantRaces.get() : nullptr;
      if (list != nullptr && list->Count() > 0) {
        int32_t index = platform::CrtRand() % list->Count();
        if (index >= list->Count()) index = 0;
        RequestRace(*screenFlow, *contentDatabase, list->At(index));
      }
      break;
    }
    case kPracticeRace:
      if (contentDatabase != nullptr && contentDatabase->quickRaces) {
        screenFlow->RequestBack(screen_index::kVehicleClass, 0.0f);
      }
      break;
    case kCareerMode:
      if (contentDatabase != nullptr && contentDatabase->careerRaces && profileScreen) {
        OpenPopupScreen(*profileScreen, profileOpen);
      }
      break;
    case kContestRace:
      if (contentDatabase != nullptr && contentDatabase->careerRaces) {
        screenFlow->RequestBack(screen_index::kContestRace, 0.0f);
      }
      break;
    case kOptions: screenFlow->RequestBack(screen_index::kOptionsMenu, 0.0f); break;
    case kHelp:
      if (helpScreen) {
        OpenPopupScreen(*helpScreen, helpOpen);
      }
      break;
    case kQuit: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreen:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    default: break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->Request(app::game_state::kQuit, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

}  // namespace frontend
