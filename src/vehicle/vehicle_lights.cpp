// A car's light glows, exhaust points and ground tint.
#include "vehicle/vehicle_lights.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/math/math.h"
#include "render/effects/glow_trails.h"

namespace vehicle {

namespace {

// Light parts: names compared upper-cased by prefix.
constexpr char kHeadlightPrefix[] = "HEADLIGHT";
constexpr char kBrakeLightPrefix[] = "BRAKELIGHT";
constexpr char kReverseLightPrefix[] = "REVERSELIGHT";
constexpr int kLightColour = 0;

void PlaceGlows(const std::vector<render::GlowPoint*>& glows, const std::vector<Vec3>& points,
                const Matrix4& bodyRotation, const Vec3& position, const Vec3& cameraDirection, bool on) {
  const size_t count = std::min(glows.size(), points.size());
  for (size_t i = 0; i < count; ++i) {
    render::GlowPoint* glow = glows[i];
    if (glow == nullptr) continue;
    const Vec3 p = platform::TransformNormal(points[i], bodyRotation);
    const float length = platform::Length(p);
    // A light at the car's origin faces nowhere in particular: it shows at full strength.
    const float facing = length > 0 ? -platform::Dot(p / length, cameraDirection) : 1.0f;
    glow->alpha = std::max(0.0f, facing) * 255.0f;
    glow->position = p + position;
    glow->visible = on;
  }
}

}  // namespace

float LightPartSize(const std::string& file) {
  if (file.empty()) return 1.0f;
  return static_cast<float>(std::strtod(file.c_str(), nullptr));
}

bool PartNameStartsWith(const std::string& name, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= name.size()) return false;
    if (std::toupper(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
  }
  return true;
}

void VehicleLights::LoadLights(render::GlowTrailSystem* glows, const std::vector<BodyPart>& parts) {
  if (glows == nullptr) return;
  for (const BodyPart& part : parts) {
    const float size = LightPartSize(part.file);
    if (PartNameStartsWith(part.name, kHeadlightPrefix)) {
      headlightGlows.push_back(glows->AddGlowTrailPoint(part.position, render::kGlowHead, size, kLightColour));
      headlightGlows.push_back(glows->AddGlowTrailPoint(part.position, render::kGlowCorona, size, kLightColour));
      headlightPoints.push_back(part.position);
      headlightPoints.push_back(part.position);
    } else if (PartNameStartsWith(part.name, kBrakeLightPrefix)) {
      brakeGlows.push_back(glows->AddGlowTrailPoint(part.position, render::kGlowBrake, size, kLightColour));
      brakePoints.push_back(part.position);
      // The tail light: the same lamp, dimmer, lit with the headlights.
      headlightGlows.push_back(glows->AddGlowTrailPoint(part.position, render::kGlowBrake, size * 0.5f, kLightColour));
      headlightPoints.push_back(part.position);
    } else if (PartNameStartsWith(part.name, kReverseLightPrefix)) {
      reverseGlows.push_back(glows->AddGlowTrailPoint(part.position, render::kGlowReverse, size, kLightColour));
      reversePoints.push_back(part.position);
    }
  }
}

void VehicleLights::ClearLights() {
  for (auto* list : {&headlightGlows, &brakeGlows, &reverseGlows}) {
    for (render::GlowPoint* glow : *list) {
      if (glow != nullptr) glow->expired = true;
    }
    list->clear();
  }
  headlightPoints.clear();
  brakePoints.clear();
  reversePoints.clear();
}

void VehicleLights::UpdateLightGlows(const Matrix4& bodyRotation, const Vec3& position, const Vec3& cameraDirection,
                                     bool headlightsOn, float brake, int gear) {
  PlaceGlows(headlightGlows, headlightPoints, bodyRotation, position, cameraDirection, headlightsOn);
  PlaceGlows(brakeGlows, brakePoints, bodyRotation, position, cameraDirection,
             std::fabs(brake) > kBrakeLightThreshold);
  PlaceGlows(reverseGlows, reversePoints, bodyRotation, position, cameraDirection, gear == kReverseGear);
  exhaustWork.resize(exhaustPoints.size());
  for (size_t i = 0; i < exhaustPoints.size(); ++i) {
    exhaustWork[i] = platform::TransformNormal(exhaustPoints[i], bodyRotation) + position;
  }
}

std::array<float, 3> MeanGroundTint(const std::array<Vec3, 4>& wheelColours) {
  Vec3 sum;
  for (const Vec3& colour : wheelColours) sum += colour;
  return {sum.x * 0.25f, sum.y * 0.25f, sum.z * 0.25f};
}

}  // namespace vehicle
