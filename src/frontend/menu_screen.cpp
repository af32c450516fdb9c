// Menu screen base: widget lists, per-frame input with cursor scaling, hover pass and drawing order.
#include "frontend/menu_screen.h"


#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "frontend/skin_rects.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace frontend {

MenuScreen::MenuScreen(const ScreenServices& services)
    : contentDatabase(services.contentDatabase),
      settings(services.settings),
      resourceManager(services.resourceManager),
      screenFlow(services.screenFlow),
      profile(services.profile) {
  keyboard.ClearAllKeys();
  mouse.ResetMouseButtons();
}

MenuScreen::~MenuScreen() {
  images.DeleteSprites();
  texts.DeleteTextLabels();
  buttons.DeleteButtons();
}

void MenuScreen::OnEnter() {
  keyboard.ClearAllKeys();
  mouse.ResetMouseButtons();
}

void MenuScreen::SetLoadingProgress(platform::gfx::Device*, uint32_t) {}
void MenuScreen::OnLeave() {}
void MenuScreen::Init(platform::gfx::Device*) {}

void MenuScreen::Update(const ScreenWindow& window, float frameTime) { UpdateUnscaled(window, frameTime); }

void MenuScreen::UpdateUnscaled(const ScreenWindow& window, float) {
  HandleInput(window);
  UpdateHover(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void MenuScreen::Render(platform::gfx::Device* device) {
  RenderImages(device);
  RenderButtons(device);
  RenderTexts(device);
}

void MenuScreen::OnKeyMessage(uint32_t message, uintptr_t key) { keyboard.HandleKeyMessage(message, key); }
void MenuScreen::OnMouseMessage(uint32_t message) { mouse.HandleMouseMessage(message); }
void MenuScreen::SetRaceResults(const race::RaceResult*) {}

void MenuScreen::SetShowroomVehicle(vehicle::Vehicle* vehicle) {
  if (vehicle == showroomVehicle) return;
  showroomVehicle = vehicle;
  vehicleChanged = true;
}

int32_t MenuScreen::HandleInput(const ScreenWindow& window) {
  ReadCursor(window);
  return HitTestButtons(mouse.IsKeyPressed(0));
}

MenuButton* MenuScreen::AddButton(MenuButton* button) { return buttons.PushFront(button); }
Sprite* MenuScreen::AddImage(Sprite* sprite) { return images.PushFront(sprite); }
Sprite* MenuScreen::AppendImage(Sprite* sprite) { return images.PushBack(sprite); }
TextLabel* MenuScreen::AddText(TextLabel* label) { return texts.PushFront(label); }

void MenuScreen::RemoveButton(MenuButton* button) { buttons.RemoveObject(button); }
void MenuScreen::RemoveImage(Sprite* sprite) { images.RemoveObject(sprite); }
void MenuScreen::RemoveText(TextLabel* label) { texts.RemoveObject(label); }

void MenuScreen::ClearTexts() { texts.DeleteTextLabels(); }

void MenuScreen::ClearListButtons(std::vector<MenuButton*>& rows) {
  for (MenuButton* button : rows) {
    RemoveButton(button);
    delete button;
  }
  rows.clear();
}

void MenuScreen::RenderImages(platform::gfx::Device* device) {
  for (Sprite* sprite : images) sprite->Draw(device);
}
void MenuScreen::RenderButtons(platform::gfx::Device* device) {
  for (MenuButton* button : buttons) button->Draw(device);
}
void MenuScreen::RenderTexts(platform::gfx::Device* device) {
  for (TextLabel* label : texts) label->Draw(device);
}

VirtualPoint MenuScreen::ScaledCursor() {
  const float width = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) : 0.0f;
  const float height = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENHEIGHT)) : 0.0f;
  const app::CursorPosition scaled = mouse.ScaleMouseToScreen(width, height, kVirtualWidth, kVirtualHeight);
  return {scaled.x, scaled.y};
}

void MenuScreen::ReadCursor(const ScreenWindow& window) {
  if (window.system != nullptr) mouse.GetCursorClientPos(*window.system, window.handle);
}

void MenuScreen::UpdateHover(const ScreenWindow&) {
  const VirtualPoint point = ScaledCursor();
  for (MenuButton* button : buttons) button->UpdateHover(point);
}

int32_t MenuScreen::HitTestButtons(bool clicked) {
  if (!clicked) return kNoButton;
  const VirtualPoint point = ScaledCursor();
  for (MenuButton* button : buttons) {
    const int32_t id = button->Click(point);
    if (id != kNoButton) return id;
  }
  return kNoButton;
}

void MenuScreen::ToggleFullScreen() {
  if (settings == nullptr) return;
  settings->SetInt(app::SettingId::FULLSCREEN, settings->GetInt(app::SettingId::FULLSCREEN) == 0 ? 1 : 0);
}

Sprite* MenuScreen::AddAtlasImage(platform::gfx::Device* device, render::ImageResource* image, float x, float y,
                                  float width, float height, float left, float top, float right, float bottom,
                                  int mode) {
  const TexRect rect =
      AtlasRect(render::GetImageWidth(image), render::GetImageHeight(image), left, top, right, bottom);
  return AddImage(new Sprite(device, image, x, y, width, height, rect.left, rect.top, rect.right, rect.bottom, mode,
                             kVirtualWidth, kVirtualHeight));
}

void MenuScreen::AddListPanel(platform::gfx::Device* device, render::ImageResource* buttonImage) {
  AddAtlasImage(device, buttonImage, 8, 7, 18, 32, 135, 442, 152, 474);
  AddAtlasImage(device, buttonImage, 26, 7, 675, 32, 152, 442, 163, 474);
  AddAtlasImage(device, buttonImage, 701, 7, 18, 32, 262, 442, 279, 474);
  AddAtlasImage(device, buttonImage, 125, 160, 20, 306, 3, 204, 21, 509);
  AddAtlasImage(device, buttonImage, 145, 160, 490, 306, 22, 204, 25, 509);
  AddAtlasImage(device, buttonImage, 635, 160, 20, 306, 36, 204, 55, 509);
}

void MenuScreen::AddListControls(platform::gfx::Device* device, render::ImageResource* buttonImage,
                                 render::ImageResource* fontImage, render::BitmapFont* font, int32_t scrollDown,
                                 int32_t scrollUp, const ListChoice (&choices)[3]) {
  AddAtlasButton(device, buttonImage, 592.5f, 405, 22, 24, skin::kDownNormal, skin::kDownHighlight, 0, scrollDown);
  AddAtlasButton(device, buttonImage, 592.5f, 200, 22, 24, skin::kUpNormal, skin::kUpHighlight, 0, scrollUp);
  for (const ListChoice& choice : choices) {
    MenuButton* button =
        AddAtlasButton(device, buttonImage, choice.x, 447, 150, 30, kBlankButtonNormal, kWideHighlight, 1, choice.id);
    AddButtonLabels(device, button, choice.text, fontImage, font, 0, -10, 0.75f, false, kAlignCentre);
  }
}

MenuButton* MenuScreen::AddAtlasButton(platform::gfx::Device* device, render::ImageResource* image, float x, float y,
                                       float width, float height, const float normal[4], const float highlight[4],
                                       int mode, int32_t id) {
  const uint32_t w = render::GetImageWidth(image);
  const uint32_t h = render::GetImageHeight(image);
  return AddButton(new MenuButton(device, image, resourceManager, x, y, width, height,
                                  AtlasRect(w, h, normal[0], normal[1], normal[2], normal[3]),
                                  AtlasRect(w, h, highlight[0], highlight[1], highlight[2], highlight[3]), mode, id,
                                  kVirtualWidth, kVirtualHeight));
}

void MenuScreen::AddButtonLabels(platform::gfx::Device* device, MenuButton* button, const std::string& text,
                                 render::ImageResource* fontImage, render::BitmapFont* font, float offsetX,
                                 float offsetY, float scale, bool mainAlternate, int32_t align) {
  button->SetLabel(device, text, fontImage, font, offsetX, offsetY, scale, mainAlternate, align, kVirtualWidth,
                   kVirtualHeight);
  button->SetSubLabel(device, text, fontImage, font, offsetX, offsetY, scale, !mainAlternate, align, kVirtualWidth,
                      kVirtualHeight);
}

void ScreenSkin::Load(render::ResourceManager* resources, platform::gfx::Device* device) {
  if (resources == nullptr) return;
  fontImage = resources->LoadTextureEx(device, kFontImage, kFontAlpha, 0, 1);
  font = resources->LoadFont(kFontTable);
  buttonImage = resources->LoadTextureEx(device, kButtonImage, kButtonAlpha, 0, 1);
}

void ScreenSkin::Release(render::ResourceManager* resources) {
  if (resources == nullptr) return;
  if (font != nullptr) resources->ReleaseFont(font);
  if (fontImage != nullptr) resources->ReleaseImage(fontImage);
  if (buttonImage != nullptr) resources->ReleaseImage(buttonImage);
  font = nullptr;
  fontImage = nullptr;
  buttonImage = nullptr;
}

}  // namespace frontend
