// Test of the device mesh of a static model under the damage morph: vertices move toward the damaged body by their
// sources after optimisation, never past it, and never toward a body of another shape.
#include "geometry/models/mesh_data.h"

#include <gtest/gtest.h>

#include "model_test_support.h"

namespace {

using model_test::Vertices;
using platform::Vec3;

class MeshDataTest : public model_test::ModelFixture {};

TEST_F(MeshDataTest, DeformPullsNearVerticesTowardTheTargetNeverPastItAndIgnoresAnotherShape) {
  contentgen::MdlFile file = model_test::BoxesFile({model_test::Material("a", 0)});
  auto body = Load(file, false);
  for (Vec3& p : file.objects[0].positions) p.y -= p.y > 0.5f ? 0.5f : 0.0f;  // roof pushed down by 0.5
  auto damaged = Load(file, false, "damaged.mdl");
  const auto before = body->meshData->SourcePositions();
  body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 1.0f);  // not deformable yet
  EXPECT_EQ(body->meshData->SourcePositions(), before);
  body->MakeDeformable();
  for (int step = 0; step < 3; ++step) body->DeformTowards(*damaged, {0, 1, 0}, 1.5f, 0.5f);
  const auto after = body->meshData->SourcePositions();
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_LE(after[i].y, before[i].y);
    EXPECT_GE(after[i].y, damaged->meshData->SourcePositions()[i].y);
  }
  EXPECT_NE(after, before);
  const auto vertices = Vertices(*body->meshData);  // the vertex buffer follows
  for (size_t i = 0; i < vertices.size(); ++i) EXPECT_EQ(vertices[i].position.y, after[body->meshData->VertexSource()[i]].y);
  auto other = Load(model_test::BoxesFile({model_test::Material("a", 0), model_test::Material("b", 1)}), false,
                    "other.mdl");
  body->DeformTowards(*other, {0, 1, 0}, 100.0f, 1.0f);
  EXPECT_EQ(body->meshData->SourcePositions(), after);
}

}  // namespace
