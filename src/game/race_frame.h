// The race's share of the game's frame as the application draws it in the race states, the frame's 2D states,
// the device state every pass starts from, and the race frame drawn on its own (the race report's pictures), all
// through the same steps.
#pragma once

#include "app/settings.h"
#include "platform/gfx/graphics.h"
#include "platform/result.h"

namespace race {
class RaceSession;
}

namespace game {

// The virtual screen of the 2D pass.
inline constexpr float kVirtualScreenWidth = 800.0f;
inline constexpr float kVirtualScreenHeight = 600.0f;

// The device state the game's drawing starts from and every pass puts back: linear texture filtering with the
// MIPFILTER setting's mip filter, stage 0 modulating texture by current colour and diffuse by current alpha,
// stages 1 and 2 off, blending and the alpha test off, counter-clockwise culling and, with SPECULAR on, specular
// light from the material. A device fresh from creation or reset holds other values (stage 0 alpha selecting
// its first argument, point filtering), so whoever draws the game on a device sets this first.
void SetDeviceBaseline(const app::Settings& settings, platform::gfx::Device* device);
// Before the frame's scene: the road reflection (with SCENEREFLECTION on), one car's environment cube and the
// rear-view mirror.
void RenderRaceOffscreen(race::RaceSession& session, const app::Settings& settings, platform::gfx::Device* device);
// The clear at the start of the frame's scene: target and depth, and the stencil with STENCILSHADOWS on.
void ClearFrame(const app::Settings& settings, platform::gfx::Device* device);
// The 2D pass's states over the 800 × 600 virtual screen (blending, no depth, the alpha test with ALPHAWRITE
// on), and the 3D baseline put back after it.
void Begin2D(const app::Settings& settings, platform::gfx::Device* device);
void End2D(const app::Settings& settings, platform::gfx::Device* device);
// The whole race frame: off-screen passes, the cleared scene with the 3D pass and the HUD, then the glow
// capture. Not presented.
platform::HResult DrawRaceFrame(race::RaceSession& session, const app::Settings& settings,
                                platform::gfx::Device* device);

}  // namespace game
