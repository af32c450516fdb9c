// The sample cars' stencil shadow casters as the game loads them: one closed, outward mesh per car that the
// shadow volume is built from, standing inside the drawn body and clear of its skin, so the shade it casts has
// no seam and never shows a shape of its own on or around the car.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "contentgen/car_body.h"
#include "contentgen/car_models.h"
#include "contentgen/vehicle_content.h"
#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"

namespace contentgen {
namespace {

using platform::Vec3;

// How far every corner and edge midpoint of a caster keeps from the skin (inches).
constexpr float kClearance = 1.0f;

class CarShadowCaster : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "shadow_caster" /
               std::to_string(std::random_device{}())).string() + "/";
    for (const SampleCar& car : SampleCars()) {
      ASSERT_TRUE(WriteCarModels(folder_ + car.name + "/", ModelSpecOf(car))) << car.name;
    }
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  // The caster loaded the way a car definition's loader loads it.
  static std::unique_ptr<geometry::MeshModel> LoadCaster(const SampleCar& car) {
    auto model = std::make_unique<geometry::MeshModel>(nullptr, nullptr);
    model->Load(nullptr, folder_ + car.name + "/" + kCarShadowModel, "", false, false);
    return model;
  }

  static std::string folder_;
};

std::string CarShadowCaster::folder_;

// Whether a ray from origin along direction meets the triangle, from either side.
bool RayMeets(const Vec3& origin, const Vec3& direction, const MeshTriangle& t) {
  const Vec3 e1 = t.corners[1] - t.corners[0], e2 = t.corners[2] - t.corners[0];
  const Vec3 p = platform::Cross(direction, e2);
  const float det = platform::Dot(e1, p);
  if (std::fabs(det) < 1e-9f) return false;
  const Vec3 s = origin - t.corners[0];
  const float u = platform::Dot(s, p) / det;
  if (u < 0 || u > 1) return false;
  const Vec3 q = platform::Cross(s, e1);
  const float v = platform::Dot(direction, q) / det;
  return v >= 0 && u + v <= 1 && platform::Dot(e2, q) / det > 1e-4f;
}

// A point lies inside the body when every ray from it meets the body's skin; one that escapes stands outside,
// beside a tapered nose, over a bonnet or an open bed, under a wheel arch. The rays lean a little off the axes
// so none runs along the seams between the body's sections.
bool InsideBody(const Vec3& point, const std::vector<MeshTriangle>& body) {
  static const std::array<Vec3, 10> directions = {
      Vec3{1, 0.013f, 0.021f},   Vec3{-1, 0.017f, -0.011f}, Vec3{0.019f, 1, 0.014f},  Vec3{-0.012f, -1, 0.018f},
      Vec3{0.016f, -0.014f, 1},  Vec3{-0.013f, 0.011f, -1}, Vec3{0.7f, 0.7f, 0.031f}, Vec3{-0.7f, 0.7f, -0.027f},
      Vec3{0.023f, 0.7f, 0.7f},  Vec3{-0.029f, 0.7f, -0.7f}};
  for (const Vec3& direction : directions) {
    bool met = false;
    for (const MeshTriangle& t : body) {
      if (RayMeets(point, direction, t)) {
        met = true;
        break;
      }
    }
    if (!met) return false;
  }
  return true;
}

// The point of a triangle nearest p: a corner, a point on an edge or a point inside, by the region p lies in.
Vec3 NearestOnTriangle(const Vec3& p, const MeshTriangle& t) {
  const Vec3 a = t.corners[0], b = t.corners[1], c = t.corners[2];
  const Vec3 ab = b - a, ac = c - a;
  const float d1 = platform::Dot(ab, p - a), d2 = platform::Dot(ac, p - a);
  if (d1 <= 0 && d2 <= 0) return a;
  const float d3 = platform::Dot(ab, p - b), d4 = platform::Dot(ac, p - b);
  if (d3 >= 0 && d4 <= d3) return b;
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
  const float d5 = platform::Dot(ab, p - c), d6 = platform::Dot(ac, p - c);
  if (d6 >= 0 && d5 <= d6) return c;
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const float scale = 1.0f / (va + vb + vc);
  return a + ab * (vb * scale) + ac * (vc * scale);
}

// Groups of triangles joined through shared corners.
std::vector<uint32_t> Pieces(const geometry::ModelGeometry& g) {
  std::vector<uint32_t> parent(g.PositionCount());
  std::iota(parent.begin(), parent.end(), 0u);
  auto root = [&](uint32_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  };
  for (size_t t = 0; t < g.TriangleCount(); ++t) {
    parent[root(g.CornerB()[t])] = root(g.CornerA()[t]);
    parent[root(g.CornerC()[t])] = root(g.CornerA()[t]);
  }
  std::vector<uint32_t> piece(g.TriangleCount());
  for (size_t t = 0; t < g.TriangleCount(); ++t) piece[t] = root(g.CornerA()[t]);
  return piece;
}

TEST_F(CarShadowCaster, EveryEdgeIsMetOnceEachWayAndEveryPieceFacesOut) {
  for (const SampleCar& car : SampleCars()) {
    SCOPED_TRACE(car.name);
    const auto model = LoadCaster(car);
    ASSERT_FALSE(model->Empty());
    const geometry::ModelGeometry& g = *model->geometry;
    ASSERT_GT(g.TriangleCount(), 0u);
    ASSERT_EQ(g.FaceNormals().size(), g.TriangleCount());
    // The silhouette is found by lit faces' edges cancelling in pairs: each edge must be met exactly once in
    // each direction, by triangles with three different corners.
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    int flat = 0;
    for (size_t t = 0; t < g.TriangleCount(); ++t) {
      const uint32_t c[3] = {g.CornerA()[t], g.CornerB()[t], g.CornerC()[t]};
      if (c[0] == c[1] || c[1] == c[2] || c[2] == c[0]) ++flat;
      for (int k = 0; k < 3; ++k) ++edges[{c[k], c[(k + 1) % 3]}];
    }
    EXPECT_EQ(flat, 0);
    int unmatched = 0;
    for (const auto& [edge, count] : edges) {
      const auto reverse = edges.find({edge.second, edge.first});
      if (count != 1 || reverse == edges.end() || reverse->second != 1) ++unmatched;
    }
    EXPECT_EQ(unmatched, 0) << "of " << edges.size() << " directed edges";
    // Each closed piece encloses a positive volume by the face normals the silhouette is chosen with; a piece
    // turned inside out would count down where the others count up and cancel their shade.
    const std::vector<uint32_t> piece = Pieces(g);
    std::map<uint32_t, double> volume;
    for (size_t t = 0; t < g.TriangleCount(); ++t) {
      const Vec3 a = g.GetPosition(g.CornerA()[t]), b = g.GetPosition(g.CornerB()[t]);
      const Vec3 c = g.GetPosition(g.CornerC()[t]);
      const double area = 0.5 * platform::Length(platform::Cross(b - a, c - a));
      volume[piece[t]] += area * platform::Dot((a + b + c) * (1.0f / 3.0f), g.FaceNormals()[t]) / 3.0;
    }
    for (const auto& [id, enclosed] : volume) EXPECT_GT(enclosed, 1.0) << "piece of corner " << id;
    // One piece: pieces cast apart leave lit seams between their shadows wherever the light finds a gap.
    EXPECT_EQ(volume.size(), 1u);
  }
}

TEST_F(CarShadowCaster, EveryCornerAndEdgeLiesInsideTheDrawnBody) {
  for (const SampleCar& car : SampleCars()) {
    SCOPED_TRACE(car.name);
    const CarModelSpec spec = ModelSpecOf(car);
    CarMesh body = BuildBody(spec, BodyDetail::kFull, false, nullptr);
    body.Transform([&](const Vec3& p) { return Vec3{p.x, p.y - OriginHeight(spec), p.z}; });
    const auto model = LoadCaster(car);
    ASSERT_FALSE(model->Empty());
    const geometry::ModelGeometry& g = *model->geometry;
    std::vector<Vec3> points;
    for (size_t i = 0; i < g.PositionCount(); ++i) points.push_back(g.GetPosition(i));
    // Where the body curves away between two of the caster's corners, the edge between them is what leaves it.
    for (size_t t = 0; t < g.TriangleCount(); ++t) {
      const uint32_t c[3] = {g.CornerA()[t], g.CornerB()[t], g.CornerC()[t]};
      for (int k = 0; k < 3; ++k) {
        if (c[k] < c[(k + 1) % 3]) points.push_back((g.GetPosition(c[k]) + g.GetPosition(c[(k + 1) % 3])) * 0.5f);
      }
    }
    int outside = 0;
    Vec3 first{};
    for (const Vec3& p : points) {
      if (InsideBody(p, body.Triangles())) continue;
      if (outside++ == 0) first = p;
    }
    EXPECT_EQ(outside, 0) << "of " << points.size() << " points, the first at " << first.x << ", " << first.y << ", "
                          << first.z;
    // No caster point lies near a surface seen from outside the car. A surface under another part (the body's top
    // under the glass, a windscreen's foot sunk in the bonnet) is not seen; nor are the lamps, badge and exhausts
    // set into the body, whose hidden parts reach inside it.
    int near = 0;
    Vec3 firstNear{};
    for (const Vec3& p : points) {
      for (const MeshTriangle& t : body.Triangles()) {
        const bool setIn = t.material == kHeadlights || t.material == kTailLights || t.material == kChrome ||
                           t.material == kLogo;
        if (setIn) continue;
        const Vec3 q = NearestOnTriangle(p, t);
        if (platform::Length(p - q) >= kClearance || InsideBody(q + FaceNormal(t) * 0.5f, body.Triangles())) continue;
        if (near++ == 0) firstNear = p;
        break;
      }
    }
    EXPECT_EQ(near, 0) << "of " << points.size() << " points, the first at " << firstNear.x << ", " << firstNear.y
                       << ", " << firstNear.z;
  }
}

}  // namespace
}  // namespace contentgen
