// The world as the race's cars and computer drivers see it: casts against the track (its collision tree, or
// without one its scene's triangles) and the other cars, nearby-car counts, the car ahead, and the AI paths with
// their reversed copies.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/collision_tree.h"
#include "geometry/path.h"
#include "render/scene/scene.h"
#include "vehicle/ai_driver.h"
#include "vehicle/vehicle_world.h"

namespace race {

using platform::Vec3;

// Distance a query reports when nothing was hit; path searches start further out.
constexpr float kNoHitDistance = 99999.0f;
constexpr float kPathSearchDistance = 100000.0f;

// A hit of a segment cast.
struct SegmentHit {
  Vec3 point;
  Vec3 normal;
  int32_t surface = vehicle::kSurfacePave;
  Vec3 colour{1, 1, 1};
  vehicle::Vehicle* car = nullptr;
};

class RaceWorld : public vehicle::VehicleWorld, public vehicle::AIRace {
 public:
  RaceWorld() = default;
  RaceWorld(const RaceWorld&) = delete;
  RaceWorld& operator=(const RaceWorld&) = delete;

  // The track's collision tree (not owned; may be null). Maps its materials to surfaces by their leading surface
  // word.
  void SetCollision(geometry::CollisionTree* tree);
  // The track scene (not owned; may be null). Without a collision tree its kept triangles are the track the
  // cars drive on and its materials give the surfaces; with neither, casts find no track.
  void SetTrackScene(render::Scene* scene);
  // Whether casts find a track: a collision tree, or else a scene with its triangles kept.
  bool HasTrack() const;
  // The box of the track the casts find (zero without one).
  Vec3 TrackBoundsMin() const;
  Vec3 TrackBoundsMax() const;
  // Surfaces by material, as loaded; a value above the car surface (13) reads as pavement.
  void SetMaterialSurfaces(std::vector<uint32_t> surfaces) { materialSurfaces_ = std::move(surfaces); }
  const std::vector<uint32_t>& MaterialSurfaces() const { return materialSurfaces_; }
  // The surface of a track material; pavement for a material index or a surface id out of range.
  int32_t SurfaceOfMaterial(uint32_t material) const;

  // AI paths (owned) in scene order; each gets a reversed copy.
  void AddAIPath(std::unique_ptr<geometry::Path> path);
  size_t AIPathCount() const { return paths_.size(); }
  geometry::Path* AIPath(size_t i) const { return i < paths_.size() ? paths_[i].get() : nullptr; }
  // Sets each path's edge offsets from sideways casts against the track at every point (no tree: untouched).
  void MeasurePathEdges();

  // Cars taking part (not owned); only collidable ones are obstacles.
  std::vector<vehicle::Vehicle*>& Cars() { return cars_; }
  const std::vector<vehicle::Vehicle*>& Cars() const { return cars_; }

  // The path whose projection of the point is horizontally nearest (first of equals), or null.
  const geometry::Path* FindNearestPath(const Vec3& point, bool reverse = false) const;

  // Segment cast over the candidates of the last box query (full: the tree's own search), cars first; a car
  // hit at the same distance as the track wins. True on a hit.
  bool CastSegment(const Vec3& start, const Vec3& end, bool testCars, SegmentHit& hit) const;
  bool CastSegmentFull(const Vec3& start, const Vec3& end, bool testCars, SegmentHit& hit) const;
  // The nearest collidable car a segment crosses (its hull's face turned toward the segment), or a moving sphere
  // touches, with the car; false and hit untouched when none does.
  bool HitCarsPoint(const Vec3& start, const Vec3& end, SegmentHit& hit) const;
  bool HitCarsSegment(const Vec3& start, const Vec3& end, float radius, vehicle::SphereHit& hit) const;
  // True when no wheel touches and nothing lies under the car from 20 above to 2000 below (a track required).
  bool IsCarOffWorld(const vehicle::Vehicle& car) const;

  // Particle bursts go here when set.
  std::function<void(int, const Vec3&, const Vec3&)> particleSink;
  // New skid-mark strips come from here when set.
  std::function<render::SkidmarkSegment*(platform::gfx::Device*, const Vec3&, const platform::Matrix4&, int, float)>
      skidSink;

  // VehicleWorld
  void QueryWorldBox(const Vec3& boxMin, const Vec3& boxMax) override;
  bool CastSphere(const Vec3& start, const Vec3& end, float radius, bool testCars,
                  vehicle::SphereHit& hit) override;
  int CountCarsNear(const Vec3& point, float radius) const override;
  void SpawnParticles(int type, const Vec3& position, const Vec3& velocity) override;
  render::SkidmarkSegment* AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                          const platform::Matrix4& orientation, int style, float width) override;

  // AIRace
  const std::vector<const geometry::Path*>& AIPaths(bool reverse) const override {
    return reverse ? reversedView_ : pathView_;
  }
  const geometry::Path* NearestAIPath(const Vec3& point, bool reverse) const override {
    return FindNearestPath(point, reverse);
  }
  bool FindCarAhead(const vehicle::AICar& car, const Vec3& direction, float maxDistance, float minDistance,
                    float halfWidth, vehicle::CarAhead& out) const override;
  bool IsOffWorld(const vehicle::AICar& car) const override;
  int CountCollidableCarsNear(const Vec3& point, float radius) const override { return CountCarsNear(point, radius); }

 private:
  bool CastTrack(const Vec3& start, const Vec3& end, bool full, float& best, SegmentHit& hit) const;
  // The nearest hit of a segment or (sphere) a moving sphere on the track's triangles: among the candidates of
  // the last box query, or (full, segments only) among those near the path; hit.flag then holds the triangle's
  // material.
  bool TrackHit(const Vec3& start, const Vec3& end, bool sphere, float radius, bool full,
                geometry::SurfaceHit& hit) const;
  // Surfaces by material from the collision tree's material names, else the scene's (a name takes the first
  // surface word that begins it, else pavement).
  void MapSurfaceTypes();
  const render::Scene* SceneTrack() const;

  geometry::CollisionTree* tree_ = nullptr;
  render::Scene* scene_ = nullptr;
  std::vector<uint32_t> materialSurfaces_;
  mutable std::vector<uint32_t> sceneCastList_;  // scratch of the scene's full casts
  std::vector<std::unique_ptr<geometry::Path>> paths_, reversed_;
  std::vector<const geometry::Path*> pathView_, reversedView_;
  std::vector<vehicle::Vehicle*> cars_;
};

}  // namespace race
