// The race's answers to its cars and drivers: nearest hit of cars and track, surfaces by material, paths.
#include "race/race_world.h"

#include <algorithm>
#include <cmath>

#include "platform/math/math.h"
#include "vehicle/track_world.h"
#include "vehicle/vehicle.h"

namespace race {

namespace {
constexpr float kEdgeCastReach = 1000.0f;
constexpr float kOpenEdge = 600.0f;
constexpr float kEdgeCastLift = 50.0f;
constexpr float kOffWorldAbove = 20.0f;
constexpr float kOffWorldBelow = 2000.0f;

float HorizontalDistance(const Vec3& a, const Vec3& b) {
  const float dx = a.x - b.x, dz = a.z - b.z;
  return std::sqrt(dx * dx + dz * dz);
}

// False only when a sphere moved along a path (its box pathMin..pathMax, pathSize its largest coordinate
// magnitude) cannot touch the car: the hull box grown by the radius lies inside a ball around the car's position
// (the car's rotation only turns it), and the path's box grown by that ball, with a margin far above the
// rounding of the car's own test, leaves the position out. Most casts of a race are nowhere near the other
// cars, and this spares them the car's full test.
bool MayTouchCar(const vehicle::Vehicle& car, const Vec3& pathMin, const Vec3& pathMax, float pathSize, float radius) {
  const Vec3& p = car.position;
  // The sum of the reaches along the axes is never less than the ball's radius, and needs no root.
  const float ball = std::max(std::fabs(car.collisionMin.x), std::fabs(car.collisionMax.x)) +
                     std::max(std::fabs(car.collisionMin.y), std::fabs(car.collisionMax.y)) +
                     std::max(std::fabs(car.collisionMin.z), std::fabs(car.collisionMax.z)) + 3 * std::fabs(radius);
  const float reach = ball * 1.01f + 1.0f + 1e-5f * pathSize;
  // Any comparison with a NaN fails, which leaves the decision to the full test.
  return !(p.x < pathMin.x - reach || p.x > pathMax.x + reach || p.y < pathMin.y - reach ||
           p.y > pathMax.y + reach || p.z < pathMin.z - reach || p.z > pathMax.z + reach);
}
}  // namespace

void RaceWorld::SetCollision(geometry::CollisionTree* tree) {
  tree_ = tree;
  MapSurfaceTypes();
}

void RaceWorld::SetTrackScene(render::Scene* scene) {
  scene_ = scene;
  MapSurfaceTypes();
}

// The collision file's materials name the surfaces; a track without one is driven on its scene's.
void RaceWorld::MapSurfaceTypes() {
  materialSurfaces_.clear();
  const std::vector<std::string>* names = nullptr;
  if (tree_ != nullptr && !tree_->Empty()) {
    names = &tree_->MaterialNames();
  } else if (scene_ != nullptr) {
    names = &scene_->materialNames;
  }
  if (names == nullptr) return;
  for (const std::string& name : *names) {
    materialSurfaces_.push_back(static_cast<uint32_t>(vehicle::SurfaceOfMaterial(name)));
  }
}

const render::Scene* RaceWorld::SceneTrack() const {
  if (tree_ != nullptr && !tree_->Empty()) return nullptr;
  if (scene_ == nullptr || !scene_->HasGeometry()) return nullptr;
  return scene_->collisionOctree != nullptr || scene_->collisionQuadtree != nullptr ? scene_ : nullptr;
}

bool RaceWorld::HasTrack() const { return (tree_ != nullptr && !tree_->Empty()) || SceneTrack() != nullptr; }

Vec3 RaceWorld::TrackBoundsMin() const {
  if (tree_ != nullptr && !tree_->Empty()) return tree_->BoundsMin();
  const render::Scene* scene = SceneTrack();
  return scene != nullptr ? scene->geometry.BoundsMin() : Vec3{};
}

Vec3 RaceWorld::TrackBoundsMax() const {
  if (tree_ != nullptr && !tree_->Empty()) return tree_->BoundsMax();
  const render::Scene* scene = SceneTrack();
  return scene != nullptr ? scene->geometry.BoundsMax() : Vec3{};
}

bool RaceWorld::TrackHit(const Vec3& start, const Vec3& end, bool sphere, float radius, bool full,
                         geometry::SurfaceHit& hit) const {
  if (tree_ != nullptr && !tree_->Empty()) {
    if (sphere) return tree_->SweptSphereHitInCandidates(start, end, radius, hit);
    return full ? tree_->SegmentCast(start, end, hit) : tree_->SegmentHitInCandidates(start, end, hit);
  }
  const render::Scene* scene = SceneTrack();
  if (scene == nullptr) return false;
  const float reach = sphere ? std::fabs(radius) : 0.0f;
  const Vec3 boxMin = platform::ComponentMin(start, end) - Vec3{reach, reach, reach};
  const Vec3 boxMax = platform::ComponentMax(start, end) + Vec3{reach, reach, reach};
  const std::vector<uint32_t>* triangles = &scene->candidates;
  if (full) {
    // Its own search near the path: the candidates the cars' box queries left stay as they are.
    sceneCastList_.clear();
    if (scene->collisionOctree != nullptr) scene->collisionOctree->CollectTriangles(boxMin, boxMax, sceneCastList_);
    if (scene->collisionQuadtree != nullptr) scene->collisionQuadtree->CollectTriangles(boxMin, boxMax, sceneCastList_);
    triangles = &sceneCastList_;
  }
  float best = kNoHitDistance;
  const bool found = sphere ? scene->geometry.SphereHitInList(*triangles, start, end, boxMin, boxMax, radius, hit, best)
                            : scene->geometry.SegmentHitInList(*triangles, start, end, boxMin, boxMax, hit, best);
  // The scene's own triangle flags say nothing; the surface is its material's.
  if (found) {
    hit.flag = hit.triangle < scene->triangleMaterials.size() ? scene->triangleMaterials[hit.triangle]
                                                             : static_cast<uint32_t>(materialSurfaces_.size());
  }
  return found;
}

int32_t RaceWorld::SurfaceOfMaterial(uint32_t material) const {
  if (material >= materialSurfaces_.size()) return vehicle::kSurfacePave;
  const uint32_t surface = materialSurfaces_[material];
  return surface > static_cast<uint32_t>(vehicle::kSurfaceVehicle) ? vehicle::kSurfacePave
                                                                   : static_cast<int32_t>(surface);
}

void RaceWorld::AddAIPath(std::unique_ptr<geometry::Path> path) {
  if (path == nullptr) return;
  auto reversed = std::make_unique<geometry::Path>(*path);
  reversed->Reverse();
  pathView_.push_back(path.get());
  reversedView_.push_back(reversed.get());
  paths_.push_back(std::move(path));
  reversed_.push_back(std::move(reversed));
}

void RaceWorld::MeasurePathEdges() {
  if (!HasTrack()) return;
  const float top = TrackBoundsMax().y + kEdgeCastLift;
  const float bottom = TrackBoundsMin().y - kEdgeCastLift;
  for (auto& path : paths_) {
    for (size_t i = 0; i < path->PointCount(); ++i) {
      const Vec3 p = path->GetPoint(i);
      SegmentHit ground;
      if (!CastSegmentFull({p.x, top, p.z}, {p.x, bottom, p.z}, false, ground)) {
        path->SetLeftEdge(i, -kOpenEdge);
        path->SetRightEdge(i, kOpenEdge);
        continue;
      }
      const Vec3 start{p.x, ground.point.y + kEdgeCastLift, p.z};
      // The way the path runs here: toward the next point, or at the end of an open path, on from the one
      // before (wrapping to the first point would turn it round and swap the edges).
      const size_t count = path->PointCount();
      const bool lastOfOpen = !path->Closed() && i + 1 == count && count > 1;
      Vec3 along = lastOfOpen ? p - path->GetPoint(i - 1) : path->GetPoint((i + 1) % count) - p;
      if (platform::Length(along) <= 0) along = {0, 0, 1};
      const Vec3 side = platform::Normalize(platform::Cross(platform::Normalize(along), {0, 1, 0})) * kEdgeCastReach;
      SegmentHit wall;
      path->SetRightEdge(i, CastSegmentFull(start, start + side, false, wall) ? HorizontalDistance(start, wall.point)
                                                                              : kOpenEdge);
      path->SetLeftEdge(i, CastSegmentFull(start, start - side, false, wall) ? -HorizontalDistance(start, wall.point)
                                                                             : -kOpenEdge);
    }
  }
}

const geometry::Path* RaceWorld::FindNearestPath(const Vec3& point, bool reverse) const {
  const auto& paths = reverse ? reversedView_ : pathView_;
  const geometry::Path* nearest = nullptr;
  float best = kPathSearchDistance;
  for (const geometry::Path* path : paths) {
    geometry::PathProjection projection;
    if (!path->ProjectPoint(point, projection)) continue;
    const float distance = HorizontalDistance(point, projection.point);
    if (distance < best) {
      best = distance;
      nearest = path;
    }
  }
  return nearest;
}

bool RaceWorld::HitCarsPoint(const Vec3& start, const Vec3& end, SegmentHit& hit) const {
  float best = kNoHitDistance;
  bool found = false;
  for (vehicle::Vehicle* car : cars_) {
    if (car == nullptr || !car->collidable) continue;
    Vec3 point, normal;
    if (!car->HitTestRay(start, end, point, normal)) continue;
    const float distance = platform::Length(point - start);
    if (distance < best) {
      best = distance;
      hit = {point, normal, vehicle::kSurfaceVehicle, {1, 1, 1}, car};
      found = true;
    }
  }
  return found;
}

bool RaceWorld::CastTrack(const Vec3& start, const Vec3& end, bool full, float& best, SegmentHit& hit) const {
  geometry::SurfaceHit surfaceHit;
  if (!TrackHit(start, end, false, 0.0f, full, surfaceHit)) return false;
  const float distance = platform::Length(surfaceHit.point - start);
  if (!(distance < best)) return false;  // a car at the same distance stays the answer
  best = distance;
  hit = {surfaceHit.point, surfaceHit.normal, SurfaceOfMaterial(surfaceHit.flag), surfaceHit.colour, nullptr};
  return true;
}

bool RaceWorld::CastSegment(const Vec3& start, const Vec3& end, bool testCars, SegmentHit& hit) const {
  float best = kNoHitDistance;
  if (testCars && HitCarsPoint(start, end, hit)) best = platform::Length(hit.point - start);
  CastTrack(start, end, false, best, hit);
  return best != kNoHitDistance;
}

bool RaceWorld::CastSegmentFull(const Vec3& start, const Vec3& end, bool testCars, SegmentHit& hit) const {
  float best = kNoHitDistance;
  if (testCars && HitCarsPoint(start, end, hit)) best = platform::Length(hit.point - start);
  CastTrack(start, end, true, best, hit);
  return best != kNoHitDistance;
}

bool RaceWorld::IsCarOffWorld(const vehicle::Vehicle& car) const {
  if (!HasTrack()) return false;  // nothing to fall off without a track
  if (car.AnyWheelOnGround()) return false;
  geometry::SurfaceHit below;
  const Vec3 from = car.position + Vec3{0, kOffWorldAbove, 0};
  const Vec3 to = car.position - Vec3{0, kOffWorldBelow, 0};
  return !TrackHit(from, to, false, 0.0f, false, below);
}

void RaceWorld::QueryWorldBox(const Vec3& boxMin, const Vec3& boxMax) {
  if (tree_ != nullptr && !tree_->Empty()) {
    tree_->QueryBox(boxMin, boxMax);
  } else if (scene_ != nullptr) {
    scene_->CollectInBox(boxMin, boxMax);
  }
}

bool RaceWorld::HitCarsSegment(const Vec3& start, const Vec3& end, float radius, vehicle::SphereHit& hit) const {
  float best = kNoHitDistance;
  const Vec3 pathMin = platform::ComponentMin(start, end), pathMax = platform::ComponentMax(start, end);
  const float pathSize = std::max({std::fabs(pathMin.x), std::fabs(pathMin.y), std::fabs(pathMin.z),
                                   std::fabs(pathMax.x), std::fabs(pathMax.y), std::fabs(pathMax.z)});
  for (vehicle::Vehicle* car : cars_) {
    if (car == nullptr || !car->collidable || !MayTouchCar(*car, pathMin, pathMax, pathSize, radius)) continue;
    Vec3 centre, point, normal;
    if (!car->HitTestSweptSphere(start, end, radius, centre, point, normal)) continue;
    const float distance = platform::Length(centre - start);
    if (distance < best) {
      best = distance;
      hit = {centre, point, normal, vehicle::kSurfaceVehicle, {1, 1, 1}, car};
    }
  }
  return best != kNoHitDistance;
}

bool RaceWorld::CastSphere(const Vec3& start, const Vec3& end, float radius, bool testCars, vehicle::SphereHit& hit) {
  float best = kNoHitDistance;
  if (testCars && HitCarsSegment(start, end, radius, hit)) best = platform::Length(hit.centre - start);
  geometry::SurfaceHit surfaceHit;
  if (TrackHit(start, end, true, radius, false, surfaceHit)) {
    const float distance = platform::Length(surfaceHit.centre - start);
    if (distance < best) {
      best = distance;
      hit = {surfaceHit.centre, surfaceHit.point, platform::Normalize(surfaceHit.normal),
             SurfaceOfMaterial(surfaceHit.flag), surfaceHit.colour, nullptr};
    }
  }
  return best != kNoHitDistance;
}

int RaceWorld::CountCarsNear(const Vec3& point, float radius) const {
  int count = 0;
  for (const vehicle::Vehicle* car : cars_) {
    if (car != nullptr && car->collidable && HorizontalDistance(car->position, point) <= radius) ++count;
  }
  return count;
}

void RaceWorld::SpawnParticles(int type, const Vec3& position, const Vec3& velocity) {
  if (particleSink) particleSink(type, position, velocity);
}

render::SkidmarkSegment* RaceWorld::AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                                   const platform::Matrix4& orientation, int style, float width) {
  return skidSink ? skidSink(device, point, orientation, style, width) : nullptr;
}

bool RaceWorld::FindCarAhead(const vehicle::AICar& car, const Vec3& direction, float maxDistance, float minDistance,
                             float halfWidth, vehicle::CarAhead& out) const {
  const vehicle::Vehicle* self = car.GetVehicle();
  platform::Matrix4 toCar;
  if (self == nullptr || !platform::Inverse(self->worldMatrix, &toCar)) return false;
  const Vec3 side{-direction.z, 0, direction.x};
  float best = kNoHitDistance;
  bool found = false;
  for (const vehicle::Vehicle* other : cars_) {
    if (other == nullptr || other == self) continue;
    const Vec3 offset = platform::TransformNormal(other->position - self->position, toCar);
    const float ahead = platform::Dot(offset, direction);
    const float aside = std::fabs(platform::Dot(offset, side));
    if (ahead > 0 && ahead < best && ahead < maxDistance && ahead > minDistance && aside < halfWidth) {
      best = ahead;
      found = true;
      out.relative = offset;
      out.distance = ahead;
      out.speedMph = other->speedMph;
      const float speed = platform::Length(other->velocity);
      const float cosine = speed > 0 ? platform::Dot(platform::Normalize(self->forwardAxis), other->velocity) / speed : 0;
      out.forwardSpeedMph = other->speedMph * cosine;
    }
  }
  return found;
}

bool RaceWorld::IsOffWorld(const vehicle::AICar& car) const {
  const vehicle::Vehicle* vehicle = car.GetVehicle();
  return vehicle != nullptr && IsCarOffWorld(*vehicle);
}

}  // namespace race
