// Help popup: control summary labels, the full-screen toggle and opening the help page in the browser.
#include "frontend/help_screen.h"

#include <algorithm>

#include "app/paths.h"
#include "app/settings.h"
#include "frontend/control_mapping_screen.h"
#include "frontend/screen_ids.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {

enum ButtonId : int32_t { kClose = 0, kMoreHelp = 1 };

constexpr float kRowTop = 200;
constexpr float kRowStep = 16;
constexpr float kKeyColumn = 350;
constexpr float kJoystickColumn = 500;
// The message for a page that could not be opened: right of the key column, where the joystick column would be.
constexpr float kMessageX = 410, kMessageY = 200, kMessageWidth = 215, kMessageScale = 0.5f;

// The text broken into lines no wider than width: between words, and a path also after any '/'.
std::string WrapWithPath(const TextLabel& label, const std::string& words, const std::string& path, float width) {
  std::string text = label.Wrapped(words, width);
  std::string line;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    end = end == std::string::npos ? path.size() : end + 1;
    const std::string piece = path.substr(start, end - start);
    if (!line.empty() && label.LineWidths(line + piece).front() > width) {
      text += "\n" + line;
      line.clear();
    }
    line += piece;
    start = end;
  }
  return line.empty() ? text : text + "\n" + line;
}

}  // namespace

std::string HelpPagePath(const std::string& gameFolder) { return app::MakeAbsolutePath(gameFolder, kHelpPage); }

std::string HelpPageAddress(const std::string& gameFolder) {
  // A file address has exactly three slashes before an absolute path's first folder.
  std::string path = HelpPagePath(gameFolder);
  path.erase(0, path.find_first_not_of('/'));
  return "file:///" + path;
}

HelpScreen::HelpScreen(const ScreenServices& services, std::string gameFolder, platform::ProcessLauncher* launcher)
    : MenuScreen(services),
      gameFolder_(std::move(gameFolder)),
      launcher_(launcher != nullptr ? launcher : &platform::SystemLauncher()) {
  if (gameFolder_.empty()) gameFolder_ = app::GetExecutableFolder();
}

HelpScreen::~HelpScreen() {
  ClearPageMessage();
  ClearControlSummary();
  if (resourceManager != nullptr) {
    if (font != nullptr) resourceManager->ReleaseFont(font);
    if (fontImage != nullptr) resourceManager->ReleaseImage(fontImage);
    if (buttonImage != nullptr) resourceManager->ReleaseImage(buttonImage);
  }
}

void HelpScreen::Init(platform::gfx::Device* device) {
  device_ = device;
  buttonImage = resourceManager->LoadTextureEx(device, kButtonImage, kButtonAlpha, 0, 1);
  fontImage = resourceManager->LoadTextureEx(device, kFontImage, kFontAlpha, 0, 1);
  font = resourceManager->LoadFont(kFontTable);
  AddAtlasImage(device, buttonImage, 125, 160, 20, 306, 3, 204, 21, 509);
  AddAtlasImage(device, buttonImage, 145, 160, 490, 306, 22, 204, 25, 509);
  AddAtlasImage(device, buttonImage, 635, 160, 20, 306, 36, 204, 55, 509);
  struct Entry {
    int32_t id;
    const char* text;
    float x, y;
  };
  for (const Entry& entry : {Entry{kMoreHelp, "More Help", 555, 447}, Entry{kClose, "Close", 205, 447}}) {
    MenuButton* button = AddAtlasButton(device, buttonImage, entry.x, entry.y, 150, 30, kBlankButtonNormal,
                                        kWideHighlight, 1, entry.id);
    AddButtonLabels(device, button, entry.text, fontImage, font, 0, -10, 0.75f, false, kAlignCentre);
  }
  AddText(new TextLabel(device, fontImage, font, "Help", 170, 170, 1.0f, true, kAlignLeft, kVirtualWidth,
                        kVirtualHeight));
  for (int i = 0; i < app::kInputActionCount; ++i) {
    AddText(new TextLabel(device, fontImage, font, app::InputActionNames[i], 240, kRowTop + kRowStep * i, 0.65f,
                          false, kAlignRight, kVirtualWidth, kVirtualHeight));
  }
  AddText(new TextLabel(device, fontImage, font, "full screen", 240, 408, 0.65f, false, kAlignRight, kVirtualWidth,
                        kVirtualHeight));
  AddText(new TextLabel(device, fontImage, font, "f", kKeyColumn, 408, 0.6f, true, kAlignCentre, kVirtualWidth,
                        kVirtualHeight));
}

void HelpScreen::OnEnter() {
  MenuScreen::OnEnter();
  closed = false;
  // A launch or a More Help left behind when Help was closed no longer speaks for this visit: the game must not
  // step aside, nor tell of a failure, for a page the player gave up on.
  moreHelp = false;
  pageLaunch = {};
  ClearPageMessage();
  rebuild = true;
}

void HelpScreen::Update(const ScreenWindow& window, float frameTime) {
  if (moreHelp && settings->GetInt(app::SettingId::FULLSCREEN) == 0) {
    moreHelp = false;
    ClearPageMessage();
    // A document handed to the desktop's handler opens in the user's browser; no shell is involved.
    pageLaunch = app::BrowserLaunch::Open(*launcher_, HelpPageAddress(gameFolder_));
  }
  FollowPageLaunch(window, frameTime);
  HandleInput(window);
  UpdateHover(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

int32_t HelpScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  if (id == kClose) {
    closed = true;
  } else if (id == kMoreHelp) {
    // The browser cannot show over a full-screen game: switch to a window first, open on a later frame.
    if (settings->GetInt(app::SettingId::FULLSCREEN) > 0) settings->SetInt(app::SettingId::FULLSCREEN, 0);
    moreHelp = true;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    closed = true;
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

void HelpScreen::FollowPageLaunch(const ScreenWindow& window, float frameTime) {
  const app::BrowserLaunch::Step step = pageLaunch.Follow(frameTime);
  if (step == app::BrowserLaunch::Step::kFailed) ShowPageNotOpened();
  if (step != app::BrowserLaunch::Step::kOpened) return;
  // The page takes the desktop: the game steps aside.
  if (window.system != nullptr) {
    const_cast<platform::WindowSystem*>(window.system)->ShowWindow(window.handle, platform::show_command::kMinimized);
  }
}

void HelpScreen::ShowPageNotOpened() {
  ClearPageMessage();
  pageMessage = AddText(new TextLabel(device_, fontImage, font, "", kMessageX, kMessageY, kMessageScale, false,
                                      kAlignLeft, kVirtualWidth, kVirtualHeight));
  // A player without a browser can still read the page: the message says where it lies.
  pageMessage->SetText(device_, WrapWithPath(*pageMessage, "The help page could not be opened. It is at",
                                             HelpPagePath(gameFolder_), kMessageWidth));
  // The joystick column gives the message its place.
  rebuild = true;
}

void HelpScreen::ClearPageMessage() {
  if (pageMessage == nullptr) return;
  RemoveText(pageMessage);
  pageMessage->Release();
  delete pageMessage;
  pageMessage = nullptr;
}

void HelpScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    BuildControlSummary(device);
  }
  MenuScreen::Render(device);
}

std::string HelpScreen::JoystickBindingText(int action) const {
  const int direction = settings->GetJoyAxisDir(action);
  const int axis = settings->GetJoyAxis(action);
  if (direction > 0) return "+ axis " + std::to_string(axis + 1);
  if (direction < 0) return "- axis " + std::to_string(axis + 1);
  const int button = settings->GetJoyButton(action);
  if (button >= 0) return "button " + std::to_string(button + 1);
  return "none";
}

void HelpScreen::BuildControlSummary(platform::gfx::Device* device) {
  ClearControlSummary();
  const bool joystick = settings->GetInt(app::SettingId::JOYSTICK) != 0;
  for (int i = 0; i < app::kInputActionCount; ++i) {
    const int key = settings->GetKey(i);
    const std::string keyText = key > 0 && key < kKeyNameCount ? KeyName(key) : "none";
    const float y = kRowTop + kRowStep * i;
    bindingLabels.push_back(AddText(new TextLabel(device, fontImage, font, keyText, kKeyColumn, y, 0.6f, true,
                                                  kAlignCentre, kVirtualWidth, kVirtualHeight)));
    if (!joystick || pageMessage != nullptr) continue;
    bindingLabels.push_back(AddText(new TextLabel(device, fontImage, font, JoystickBindingText(i), kJoystickColumn,
                                                  y, 0.6f, true, kAlignCentre, kVirtualWidth, kVirtualHeight)));
  }
}

void HelpScreen::ClearControlSummary() {
  for (TextLabel* label : bindingLabels) {
    RemoveText(label);
    label->Release();
    delete label;
  }
  bindingLabels.clear();
}

}  // namespace frontend
