// A car's lights and what follows its body each frame: head, tail, brake and reverse glows brightest toward the
// camera, the exhaust points, and the tint of the ground's light on the body.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/math/types.h"

namespace render {
class GlowTrailSystem;
struct GlowPoint;
}  // namespace render

namespace vehicle {

using platform::Matrix4;
using platform::Vec3;

// One entry of a body model's part list: its name, its file field and its position in car space.
struct BodyPart {
  std::string name;
  std::string file;
  Vec3 position;
};

// Brake lights light above this brake magnitude (exclusive).
constexpr float kBrakeLightThreshold = 0.1f;
// Gear index of reverse.
constexpr int kReverseGear = 0;

// The glow size a light part asks for: 1.0 for an empty file field, else the field read as a number (0 for text).
float LightPartSize(const std::string& file);
// True when the name, upper-cased, starts with the prefix.
bool PartNameStartsWith(const std::string& name, const char* prefix);

class VehicleLights {
 public:
  VehicleLights() = default;
  // Marks every glow expired (the glow system frees them).
  ~VehicleLights() { ClearLights(); }
  VehicleLights(const VehicleLights&) = delete;
  VehicleLights& operator=(const VehicleLights&) = delete;

  // Registers the glows the light parts of the list ask for: two per headlight, a brake glow and a half-size
  // tail glow (lit with the headlights) per brake light, one per reverse light. Nothing without a glow system.
  void LoadLights(render::GlowTrailSystem* glows, const std::vector<BodyPart>& parts);
  void ClearLights();

  // Places every glow and exhaust point on the body: bodyRotation is tilt × orientation, cameraDirection the
  // camera's unit view direction; brake is the rear-left wheel's brake, gear the engine's gear index.
  void UpdateLightGlows(const Matrix4& bodyRotation, const Vec3& position, const Vec3& cameraDirection,
                        bool headlightsOn, float brake, int gear);

  std::vector<render::GlowPoint*> headlightGlows, brakeGlows, reverseGlows;
  std::vector<Vec3> headlightPoints, brakePoints, reversePoints;
  std::vector<Vec3> exhaustPoints, exhaustWork;
};

// The mean of the four wheels' ground colours (red, green, blue).
std::array<float, 3> MeanGroundTint(const std::array<Vec3, 4>& wheelColours);

}  // namespace vehicle
