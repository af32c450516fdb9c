// Fuzzing the collision-file loader: any bytes must load or be rejected without a crash or a sanitizer report,
// and a loaded tree must answer queries safely. Seeds a generated small file into the corpus folder.
#include "contentgen/col_writer.h"
#include "fuzz_support.h"
#include "geometry/collision_tree.h"

namespace {

// A small valid file touching every record kind, so mutation starts from the real layout.
std::vector<unsigned char> SeedFile() {
  contentgen::ColFile file;
  file.scale = 1.5f;
  file.materialNames = {"PAVE", "GRASS"};
  contentgen::ColMeshBlock block;
  block.vertices = {{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 5, 0}};
  block.cornerVertices = {0, 1, 2, 3};
  block.cornerColours = {{255, 0, 0}, {0, 255, 0}};
  block.groups.push_back({0, {{0, 1, 2}}});
  block.groups.push_back({1, {{0, 2, 3}}});
  file.blocks.push_back(block);
  fuzz_support::AddRecords(file, "SUN", "START1", "AIPATH1");
  return contentgen::EncodeCollisionFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv, {{"seed.col", SeedFile()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool useQuadtree : {true, false}) {
    geometry::CollisionTree tree;
    if (!tree.LoadFromMemory(data, size, "fuzz.COL", useQuadtree)) continue;
    platform::Vec3 low = tree.BoundsMin(), high = tree.BoundsMax();
    tree.QueryBox(low, high);
    geometry::SurfaceHit hit;
    tree.SegmentCast(high, low, hit);
    tree.SphereCast(high, low, 3, hit);
    tree.SegmentHitInCandidates(low, high, hit);
    tree.SweptSphereHitInCandidates(high, low, 1, hit);
    for (const auto& path : tree.Paths()) {
      geometry::PathProjection projection;
      path->ProjectPoint(high, projection, 5, 0);
      path->PointAt(17);
      path->SmoothPointAt(-3);
      path->BendAngleBetween(0, 50);
      path->SampleValueAtDistance(9);
    }
  }
  return 0;
}
