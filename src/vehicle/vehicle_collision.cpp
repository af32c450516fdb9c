// Collision response of the car body: hull points swept from the last pose to this one, the car pushed out by
// moving its wheels, approaching velocity taken out near the contact, and the impact reported as damage,
// stunt wipe, shake, sparks, force feedback and crash sounds.
#include <algorithm>
#include <cmath>

#include "platform/math/math.h"
#include "platform/os.h"
#include "vehicle/vehicle.h"

namespace vehicle {

using platform::Dot;
using platform::Length;
using platform::Normalize;

namespace {
constexpr int kMaxPasses = 5;
constexpr float kHullProbeRadius = 2.0f;
constexpr float kRadiansToDegrees = 57.295827f;
constexpr int kCrashSoundKinds = 6;
constexpr int kMaxChannelsForCrash = 17;
constexpr float kCrashCooldown = 1.0f;

float RandomUnit() { return static_cast<float>(platform::CrtRand() % 1000) / 500.0f - 1.0f; }

float AngleDegrees(const Vec3& a, const Vec3& b) {
  const float angle = std::acos(std::clamp(Dot(a, b), -1.0f, 1.0f)) * kRadiansToDegrees;
  return std::isfinite(angle) ? angle : 180.0f;
}
}  // namespace

void Vehicle::ResolveCollisions(VehicleWorld& world, float dt) {
  bool scrape = false;
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    bool hitAny = false;
    Vec3 lastPoint, lastNormal;
    int32_t lastSurface = kSurfacePave;
    for (const Vec3& p : hullPoints) {
      const Vec3 before = platform::TransformNormal(p, previousRotation) + previousPosition;
      const Vec3 now = platform::TransformNormal(p, rotation) + position;
      SphereHit hit;
      if (!world.CastSphere(before, now, kHullProbeRadius, !respawning, hit)) continue;
      Vec3 n = hit.normal;
      const Vec3 point = hit.centre;
      const float depth = Dot(n, point - now);
      const Vec3 push = n * depth;
      ApplyImpact(point, std::fabs(depth));
      if (hit.surface != kSurfaceVehicle) ++trackContacts;
      for (auto& wheel : wheels) wheel->position += push;
      for (auto& wheelPtr : wheels) {
        Wheel& wheel = *wheelPtr;
        if (hit.surface == kSurfaceNoDrive) {
          n.y -= 0.5f;
          n = Normalize(n);
        }
        float a = AngleDegrees(Normalize(wheel.position - point), n);
        if (a >= 90) a = 180 - a;
        const float f = 1 - a / 90;
        float vn = std::clamp(Dot(wheel.velocity, n), -150.0f, 0.0f);
        const float reach = FrontExtent() > 0 ? Length(wheel.position - point) / FrontExtent() : 1.0f;
        const float w = std::min(std::pow(reach, 8.0f) + 0.1f, 1.0f);
        if (hit.surface == kSurfaceVehicle) {
          if (hit.car != nullptr) hit.car->ApplyImpact(point, std::fabs(depth));
          const Vec3 flat = Normalize(n - upAxis * Dot(n, upAxis));
          wheel.position += flat * f;
          vn = std::max(vn, -75.0f);
          const Vec3 otherVelocity = hit.car != nullptr ? hit.car->velocity : Vec3{};
          if (Dot(otherVelocity, forwardAxis) >= 0) {
            vn *= 1.1f;
          } else {
            const float speed = Length(otherVelocity);
            const float c = speed > 0 ? Dot(forwardAxis, otherVelocity) / speed : 0.0f;
            n = Normalize(n + upAxis * std::fabs(c));
            vn *= 1.25f;
          }
          if (vn < 0) wheel.velocity -= n * (vn * f);
        } else if (AngleDegrees(wheel.up, n) > 45 || wheel.up.y < 0) {
          if (hit.surface != kSurfaceNoDrive) {
            wheel.position += n * f;
            vn *= (1 - w);
          }
          if (vn < 0) wheel.velocity -= n * (vn * f);
          if (upAxis.y < 0.2f || (!wheel.onGround && hit.surface != kSurfaceNoDrive)) {
            wheel.DampAlongNormal(n, std::pow(0.01f * w * w, dt));
          }
        }
      }
      hitAny = true;
      lastPoint = point;
      lastNormal = n;
      lastSurface = hit.surface;
    }
    if (!hitAny) break;
    if (lastSurface != kSurfaceVehicle) scrape = true;
    const float r = std::fabs(Dot(velocity, lastNormal)) / std::max(Length(velocity), 1000.0f);
    if (r > 0.02f) {
      for (int i = 0; i < 5; ++i) {
        for (int type : {kParticleDebris, kParticleSparks}) {
          const Vec3 offset{5 * RandomUnit(), 5 * RandomUnit(), 5 * RandomUnit()};
          const Vec3 spread{RandomUnit(), RandomUnit(), RandomUnit()};
          world.SpawnParticles(type, lastPoint + offset, lastNormal + spread);
        }
      }
      if (features) features->ForceJolt(*this, static_cast<int>(std::min(10000.0f, 10 * std::max(Length(velocity), 1000.0f))));
      const bool first = platform::CrtRand() % 1000 < 500;
      if (r > 0.2f) {
        PlayCrashSound(first ? 1 : 0);
      } else {
        PlayCrashSound(first ? 0 : 2);
      }
    }
    SavePreviousState();
    PlaceBodyOnWheels();
  }
  for (auto& wheel : wheels) wheel->UpdateMount(wheelFrame);
  PlaceBodyOnWheels();
  if (scrape) {
    for (auto& wheel : wheels) wheel->wallScrape = std::min((speedMph - 30) / 30, 0.9999f);
  }
}

void Vehicle::ApplyImpact(Vec3 point, float amount) {
  if (stunts) stunts->Wipe();
  shake += amount;
  if (damage && damage->Active()) {
    const Vec3 local = platform::TransformNormal(point - position, platform::Transpose(worldMatrix));
    damage->Dent(local.x, local.y, local.z, amount);
  }
}

void Vehicle::PlayCrashSound(int kind) {
  if (kind < 0 || kind >= kCrashSoundKinds) return;
  if (crashCooldowns[kind] > 0) return;
  if (features && features->ChannelsPlaying() >= kMaxChannelsForCrash) return;
  const float d = std::min(listenerDistance, 1000.0f);
  const float g = std::max(std::pow(d / 1000.0f, 4.0f) * 1.1f - 0.1f, 0.0f);
  const int volume = std::min(static_cast<int>(std::floor((1 - g) * 255)), 255);
  if (volume < 11) return;
  crashCooldowns[kind] = kCrashCooldown;
  if (features) features->PlayCrashSound(*this, kind, volume);
}

void Vehicle::TickCrashCooldowns(float dt) {
  for (float& cooldown : crashCooldowns) {
    if (cooldown > 0) cooldown -= dt;
  }
}

}  // namespace vehicle
