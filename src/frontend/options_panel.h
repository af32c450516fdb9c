// The frame and the shared buttons of the options pages (audio, controls, video): panel pieces, Back and Accept,
// and the full-screen and quit icons.
#pragma once

#include <cstdint>

#include "frontend/menu_screen.h"

namespace frontend::options_panel {

// Button ids the shared buttons take; each options page numbers its own buttons after these.
inline constexpr int32_t kAcceptId = 0;
inline constexpr int32_t kBackId = 1;
inline constexpr int32_t kQuitIconId = 2;
inline constexpr int32_t kFullScreenIconId = 3;

// The panel behind the page's options (four skin pieces).
void AddFrame(MenuScreen& screen, platform::gfx::Device* device, render::ImageResource* buttonImage);
// "Back" at the left and "Accept" at the right of the row at y, and the full-screen and quit icons at the top.
void AddButtons(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin, float y);

}  // namespace frontend::options_panel
