// Render-state set-ups of the material kinds and of one material run, and the baseline every set-up starts
// from and every restore returns to. Model and scene drawing share them.
#pragma once

#include <cstdint>
#include <functional>

#include "app/settings.h"
#include "geometry/models/material_kind.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace render {
class ImageResource;
}

namespace geometry {

using platform::gfx::Device;

// A setting read at each use (a null settings object reads 0), so changes apply at the next draw.
int SettingValue(const app::Settings* settings, app::SettingId id);

// The state between draws: stage 0 MODULATE(TEXTURE, CURRENT) with alpha DIFFUSE; stage 1 DISABLE with
// arguments TEXTURE, CURRENT, coordinate set 0 and no texture transform; stage 2 DISABLE; no blending (ONE /
// ZERO), depth writes on, alpha test off, specular on when SPECULAR is non-zero.
void SetBaselineStates(Device* device, const app::Settings* settings);

// The closing restore of a whole model draw: MODULATE, depth writes on, blending off (ONE / ZERO), stage 0
// argument 2 CURRENT, and the alpha test off when ALPHAWRITE is on.
void RestoreAfterKinds(Device* device, const app::Settings* settings);

// --- One material run ---------------------------------------------------------------------------------------

// Whether normal mapping is on and the image has a normal map: it then binds the normal map on stage 0, the
// base texture on stage 2 and scrolls stage 1.
bool UsesNormalMap(const app::Settings* settings, const render::ImageResource* image);
// The stage the channel-0 scroll goes to.
uint32_t ScrollStage(const app::Settings* settings, const render::ImageResource* image);

// Starts the material of a run: material, stage textures, the image's own blending and its channel-0 scroll.
// Does nothing without an image or when the image is not loaded (the run then draws with the section's states).
void BeginMaterial(Device* device, const app::Settings* settings, const render::ImageResource* image);
// The specular pass of a normal-mapped material: draws again through `draw` with the normal map on stage 0 and
// the specular colour added, then restores. Nothing unless normal mapping, SPECULAR and SPECULARMAPPING are on
// and the image has a normal map.
void DrawSpecularPass(Device* device, const app::Settings* settings, const render::ImageResource* image,
                      const std::function<void()>& draw);
// Ends a run: switches the scroll off and undoes the image's own blending, back to the baseline.
void EndMaterial(Device* device, const app::Settings* settings, const render::ImageResource* image);

// Overlay draw of one image for a pass: binds the overlay texture on stage 0 and its channel-1 scroll. Returns
// whether it scrolled (EndOverlay then switches the transform off).
bool BeginOverlay(Device* device, const render::ImageResource* image);
void EndOverlay(Device* device, bool scrolled);
// Whether the image shows an overlay in the pass (6 additive, 7 multiply).
bool ShowsOverlay(const render::ImageResource* image, int32_t pass);

// --- Kind sections ------------------------------------------------------------------------------------------

// The light vector as a texture-factor colour: normalised, each component c stored as int(c × 127 + 128),
// alpha 255, red x, green y, blue z.
uint32_t PackNormalColor(platform::Vec3 light);

// Kind 8 (per-pixel light): only when NORMALMAPPING > 0. End re-tests the same condition.
void BeginNormalMappedKind(Device* device, const app::Settings* settings, platform::Vec3 light);
void EndNormalMappedKind(Device* device, const app::Settings* settings);

// The reflection set-ups: R reflects a cube through stage 1 (optionally with specular on stage 2), S weights
// the specular colour by the texture alpha, M reflects the material's own 2D map through stage 1.
void SetupReflection(Device* device, const app::Settings* settings);
void RestoreReflection(Device* device, const app::Settings* settings);
bool SpecularMaskEnabled(const app::Settings* settings);
void SetupSpecularMask(Device* device, const app::Settings* settings);
void RestoreSpecularMask(Device* device, const app::Settings* settings);
void SetupMapReflection(Device* device);
void RestoreMapReflection(Device* device);

// Which set-up a reflective kind gets: kinds 4 and 10 reflect the environment cube (R) when CUBEMAPPING > 0
// and a cube is given, kinds 5 and 11 their own cube when CUBEMAPPING > 0, else both use S; kinds 9 and 12 use
// M when CUBEMAPPING > 0 and nothing otherwise. Other kinds get nothing.
enum class ReflectionSetup { None, Reflection, SpecularMask, MapReflection };
ReflectionSetup ChooseReflectionSetup(const app::Settings* settings, MaterialKind kind,
                                      const platform::gfx::BaseTexture* environment);
// Begin binds the environment cube on stage 1 for kinds 4 and 10 under set-up R. End re-evaluates the choice.
void BeginReflectionKind(Device* device, const app::Settings* settings, MaterialKind kind,
                         platform::gfx::BaseTexture* environment);
void EndReflectionKind(Device* device, const app::Settings* settings, MaterialKind kind,
                       const platform::gfx::BaseTexture* environment);

// The transparent section: Begin before kinds 1 and 2 (alpha blending, alpha test at 50 when ALPHAWRITE is on,
// no mip filter on stage 0), Late before kind 3 (reference 1, depth writes off, mip filter back), End after.
void BeginTransparentSection(Device* device, const app::Settings* settings);
void LateTransparentSection(Device* device, const app::Settings* settings);
void EndTransparentSection(Device* device);

// The multiply section (ZERO / SRCCOLOR, no depth writes) and the additive section that follows it (ONE / ONE).
void BeginMultiplySection(Device* device);
void BeginAdditiveSection(Device* device);

}  // namespace geometry
