// Pieces the intro scene and the menu showroom both use to read their scene files and draw their backdrops.
#pragma once

#include <string>

#include "app/settings.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace geometry {
class MeshModel;
struct SceneNode;
}
namespace render {
class ColorQuad;
class ImageResource;
class SceneLighting;
struct ViewFrustum;
}

namespace frontend::backdrop {

// Scene object names are matched without regard to case.
std::string Upper(std::string text);
bool StartsWith(const std::string& text, const char* prefix);
// The setting's value, or 0 without settings.
int SettingOn(const app::Settings* settings, app::SettingId id);
// A flare's size from its node text: 1 when the text is empty.
float FlareSize(const std::string& value);
// The motion-blur alpha for a frame rate before each scene's own limits; frame rates above 75 count as 75. Each step
// is rounded to float in this order, so the limits land where they always did.
float BlurAlphaBeforeLimits(float framesPerSecond);
// A copy of a scene node handed to the lighting as one of the scene's lights.
void AddSceneLight(render::SceneLighting& lighting, const geometry::SceneNode& node);
// The sky box around the eye (the view without its translation), drawn without writing depth; nothing when null.
void DrawSkyBox(platform::gfx::Device* device, geometry::MeshModel* skyBox, const platform::Matrix4& view);
// Starts one planar reflector's pass into its own target: clears it (the colour too when no sky box will cover
// it), turns lighting off and clips away what lies behind the mirror plane. Returns the view seen in the mirror
// and builds the frustum for it.
platform::Matrix4 BeginReflectorPass(platform::gfx::Device* device, const render::ImageResource& image, bool hasSkyBox,
                                     const platform::Matrix4& view, const platform::Matrix4& projection,
                                     render::ViewFrustum& frustum);
// The closing fade to black: fade runs 0..1 and the quad's alpha follows it.
void DrawFade(platform::gfx::Device* device, render::ColorQuad& quad, float fade);

}  // namespace frontend::backdrop
