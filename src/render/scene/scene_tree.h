// The render partition of a scene: its pieces sorted by box into an octree or quadtree, and the per-view
// collection of the pieces that may be visible into lists by material kind and material index.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "geometry/models/material_kind.h"
#include "geometry/spatial_partition.h"
#include "render/scene/view_frustum.h"

namespace render {

class MeshPart;

// Per kind (0-12), per material index within the kind, the pieces in order.
using SceneBuckets = std::array<std::vector<std::vector<MeshPart*>>, geometry::kMaterialKindCount>;

// kChildCount 8: octree over three axes; 4: quadtree over x and z. Child order, child boxes and the insert rule
// are the collision partition's; the items are the pieces, in insertion order.
template <int kChildCount>
class SceneTree {
 public:
  SceneTree(const Vec3& boundsMin, const Vec3& boundsMax, float minNodeSize)
      : partition(boundsMin, boundsMax, minNodeSize) {}

  // Places a piece by its box (the deepest node that contains it, splitting on the way).
  void Insert(MeshPart* part);
  // Appends to buckets[kind][kindIndex] every piece that may be visible: node boxes are tested against the
  // frustum's box (a node wholly inside it is taken without further tests), pieces against its planes.
  void CollectVisible(const ViewFrustum& frustum, SceneBuckets& buckets) const;

  geometry::Partition<kChildCount> partition;
  std::vector<MeshPart*> parts;

 private:
  void CollectNode(const geometry::PartitionNode<kChildCount>& node, const ViewFrustum& frustum, bool testChildren,
                   SceneBuckets& buckets) const;
};

using RenderOctree = SceneTree<8>;
using RenderQuadtree = SceneTree<4>;

extern template class SceneTree<8>;
extern template class SceneTree<4>;

}  // namespace render
