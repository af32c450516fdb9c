// Render partition: inserting pieces and collecting the visible ones per view.
#include "render/scene/scene_tree.h"

#include "app/box_tests.h"
#include "render/scene/scene_part.h"

namespace render {

template <int kChildCount>
void SceneTree<kChildCount>::Insert(MeshPart* part) {
  partition.Insert(static_cast<uint32_t>(parts.size()), part->boxMin, part->boxMax);
  parts.push_back(part);
}

template <int kChildCount>
void SceneTree<kChildCount>::CollectVisible(const ViewFrustum& frustum, SceneBuckets& buckets) const {
  if (partition.root) CollectNode(*partition.root, frustum, true, buckets);
}

template <int kChildCount>
void SceneTree<kChildCount>::CollectNode(const geometry::PartitionNode<kChildCount>& node, const ViewFrustum& frustum,
                                         bool testChildren, SceneBuckets& buckets) const {
  for (uint32_t item : node.items) {
    MeshPart* part = parts[item];
    if (testChildren && !BoxInFrustum(frustum, part->corners)) continue;
    auto& kindLists = buckets[geometry::KindIndex(part->kind)];
    if (part->kindIndex < kindLists.size()) kindLists[part->kindIndex].push_back(part);
  }
  if (!node.hasChildren) return;
  for (const auto& child : node.children) {
    if (!testChildren) {
      CollectNode(*child, frustum, false, buckets);
      continue;
    }
    bool overlaps, inside;
    if constexpr (kChildCount == 8) {
      overlaps = app::AabbOverlap(child->min, child->max, frustum.boxMin, frustum.boxMax);
      inside = app::AabbContains(frustum.boxMin, frustum.boxMax, child->min, child->max);
    } else {
      overlaps = app::AabbOverlapXZ(child->min, child->max, frustum.boxMin, frustum.boxMax);
      inside = app::AabbContainsXZ(frustum.boxMin, frustum.boxMax, child->min, child->max);
    }
    if (overlaps) CollectNode(*child, frustum, !inside, buckets);
  }
}

template class SceneTree<8>;
template class SceneTree<4>;

}  // namespace render
