// Start-up notice: one-second fade from black, Accept, one-second fade to black, then the menus.
#include "frontend/gui_context.h"

#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "render/effects/screen_quad.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {
constexpr uint32_t kPointerScreenWidth = 1024;
constexpr uint32_t kPointerScreenHeight = 768;
// The picture's lower part holds nothing of the notice.
constexpr float kDisclaimerShownHeight = 0.83f;
}  // namespace

GuiContext::GuiContext(render::ResourceManager* resourceManager, app::Settings* settings)
    : settings(settings), resourceManager(resourceManager) {
  keyboard.ClearAllKeys();
  mouse.ResetMouseButtons();
}

GuiContext::~GuiContext() {
  buttons.DeleteButtons();
  fadeQuad.reset();
  pointer.reset();
  disclaimer.reset();
  if (resourceManager == nullptr) return;
  for (render::ImageResource* image : {buttonImage, keyedFontImage, fontImage, pointerImage, disclaimerImage}) {
    if (image != nullptr) resourceManager->ReleaseImage(image);
  }
  if (font != nullptr) resourceManager->ReleaseFont(font);
}

void GuiContext::CreateDisclaimerScreen(platform::gfx::Device* device) {
  fadeQuad = std::make_unique<render::ColorQuad>();
  fadeQuad->Create(device, settings);
  if (resourceManager != nullptr) {
    buttonImage = resourceManager->LoadImage(device, kButtonImage, true, kMagentaKey, false, true);
    keyedFontImage = resourceManager->LoadImage(device, kFontImage, true, kMagentaKey, false, true);
    fontImage = resourceManager->LoadTextureEx(device, kFontImage, kFontAlpha, 0, 1);
    font = resourceManager->LoadFont(kFontTable);
    pointerImage = resourceManager->LoadTextureEx(device, kPointerImage, kPointerAlpha, 0, 1);
    disclaimerImage = resourceManager->LoadImage(device, kDisclaimerImage, true, kMagentaKey, false, true);
  }
  pointer = std::make_unique<Sprite>(device, pointerImage, 0.0f, 0.0f,
                                     static_cast<float>(render::GetImageWidth(pointerImage)),
                                     static_cast<float>(render::GetImageHeight(pointerImage)), 0.0f, 0.0f, 1.0f, 1.0f,
                                     0, kPointerScreenWidth, kPointerScreenHeight);
  disclaimer = std::make_unique<Sprite>(device, disclaimerImage, 0.0f, 0.0f, 800.0f, 498.0f, 0.0f, 0.0f, 1.0f,
                                        kDisclaimerShownHeight, 0, kVirtualWidth, kVirtualHeight);
  const uint32_t w = render::GetImageWidth(buttonImage);
  const uint32_t h = render::GetImageHeight(buttonImage);
  const auto& n = kBlankButtonNormal;
  const auto& l = kWideHighlight;
  auto accept = std::make_unique<MenuButton>(device, buttonImage, resourceManager, 400.0f, 540.0f, 150.0f, 30.0f,
                                             AtlasRect(w, h, n[0], n[1], n[2], n[3]),
                                             AtlasRect(w, h, l[0], l[1], l[2], l[3]), 1, kAcceptId, kVirtualWidth,
                                             kVirtualHeight);
  accept->SetLabel(device, "Accept", fontImage, font, 0, -10, 0.75f, false, kAlignCentre, kVirtualWidth,
                   kVirtualHeight);
  accept->SetSubLabel(device, "Accept", fontImage, font, 0, -10, 0.75f, true, kAlignCentre, kVirtualWidth,
                      kVirtualHeight);
  buttons.PushFront(accept.release());
}

void GuiContext::StartFadeIn() {
  fading = true;
  fadeValue = 1.0f;
  fadingIn = true;
}

VirtualPoint GuiContext::ScaledCursor() {
  const float width = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) : 0.0f;
  const float height = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENHEIGHT)) : 0.0f;
  const app::CursorPosition scaled = mouse.ScaleMouseToScreen(width, height, kVirtualWidth, kVirtualHeight);
  return {scaled.x, scaled.y};
}

int32_t GuiContext::HitTestButtons(bool clicked) {
  if (!clicked) return kNoButton;
  const VirtualPoint point = ScaledCursor();
  for (auto& button : buttons) {
    const int32_t id = button->Click(point);
    if (id != kNoButton) return id;
  }
  return kNoButton;
}

void GuiContext::UpdateHover() {
  const VirtualPoint point = ScaledCursor();
  for (auto& button : buttons) button->UpdateHover(point);
}

void GuiContext::Update(const ScreenWindow& window, float frameTime) {
  if (window.system != nullptr) mouse.GetCursorClientPos(*window.system, window.handle);
  const VirtualPoint point = ScaledCursor();
  if (pointer) pointer->SetPosition(static_cast<float>(point.x), static_cast<float>(point.y), kVirtualWidth, kVirtualHeight);
  if (HitTestButtons(mouse.IsKeyPressed(0)) == kAcceptId) {
    fading = true;
    fadeValue = 0.0f;
    fadingIn = false;
  }
  if (fading) {
    if (fadingIn) {
      fadeValue -= frameTime;
      if (fadeValue <= 0.0f) {
        fadeValue = 0.0f;
        fading = false;
        fadeDone = true;
      }
    } else {
      fadeValue += frameTime;
      if (fadeValue >= 1.0f) {
        fadeValue = 1.0f;
        accepted = true;
        fadeDone = true;
      }
    }
  }
  UpdateHover();
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void GuiContext::Render(platform::gfx::Device* device) {
  if (fadeDone || (fading && !fadingIn)) {
    for (auto& button : buttons) button->Draw(device);
  }
  if (disclaimer) disclaimer->Draw(device);
  if (!fading) {
    if (pointer) pointer->Draw(device);
  } else if (fadeQuad) {
    fadeQuad->SetColor(0.0f, 0.0f, 0.0f, fadeValue);
    fadeQuad->Draw(device);
  }
}

void GuiContext::RestoreDeviceObjects(platform::gfx::Device* device) {
  if (fadeQuad) fadeQuad->Build(device, settings);
}

}  // namespace frontend
