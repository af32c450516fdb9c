// The scene-file loader: a round trip through the writer, parts, repacking, geometry, named records, sharing, and
// damaged files that must leave the scene empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "contentgen/scn_writer.h"
#include "platform/gfx/memory_resources.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene.h"
#include "render/scene/scene_test_support.h"

namespace {

using contentgen::ScnFile;
using geometry::MaterialKind;
using render::Scene;
using scene_test::Material;
using scene_test::Square;

class SceneLoaderTest : public scene_test::SceneFixture {};

ScnFile TwoMaterialFile() {
  ScnFile file;
  file.colour1 = {0.5f, 0.25f, 1.0f};
  file.colour2 = {0.2f, 0.4f, 0.6f};
  file.scale = 2;
  file.textureNames = {{"TEXTURES\\road.png", 0}, {"wall.png", 1}};
  file.materials = {Material("ROAD", 0, 0), Material("WALL", 1, 1)};
  file.materials[1].doubleSided = 1;
  file.parts.push_back(Square(0, 0, 100, 0));
  contentgen::ScnPart wall = Square(500, 0, 100, 1);
  wall.origin = {0, 10, 0};
  file.parts.push_back(wall);
  contentgen::NodeRecord node;
  node.name = "Sun";
  node.kind = 2;
  node.range = 5000;
  node.text = "RADIUS=4";
  file.nodes.push_back(node);
  contentgen::MarkerRecord marker;
  marker.name = "START1";
  marker.position = {1, 2, 3};
  file.markers.push_back(marker);
  contentgen::PathRecord path;
  path.name = "AIPATH1";
  path.lists.push_back({true, {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}}});
  path.lists.push_back({false, {{5, 5, 5}}});
  file.paths.push_back(path);
  return file;
}

TEST_F(SceneLoaderTest, RoundTripKeepsHeaderRecordsAndNamedObjects) {
  WriteTexture("road.png");
  WriteTexture("WALL.PNG");
  auto scene = LoadFile(TwoMaterialFile());
  EXPECT_EQ(scene->packedColour1, 0x7F3FFFu);
  EXPECT_EQ(scene->packedAmbient, (51u << 16) | (102u << 8) | 153u);
  EXPECT_FLOAT_EQ(scene->ambient.y, 0.4f);
  EXPECT_EQ(scene->materialNames, (std::vector<std::string>{"ROAD", "WALL"}));
  ASSERT_EQ(scene->materialImages.size(), 2u);
  EXPECT_TRUE(scene->materialImages[0]->loaded) << "texture found in the scene's own folder, folders cut off";
  EXPECT_TRUE(scene->materialImages[1]->loaded) << "table names are upper-cased and found case-insensitively";

  ASSERT_EQ(scene->parts.size(), 2u);
  EXPECT_FLOAT_EQ(scene->boundsMin.x, -100) << "positions are scaled";
  EXPECT_FLOAT_EQ(scene->boundsMax.x, 1100);
  EXPECT_FLOAT_EQ(scene->boundsMax.y, 20) << "the origin is scaled and added";

  ASSERT_EQ(scene->nodes.size(), 1u);
  EXPECT_EQ(scene->nodes[0]->name, "Sun") << "names keep their case";
  EXPECT_EQ(scene->nodes[0]->leadingString, "RADIUS=4");
  ASSERT_NE(scene->FindMarker("START1"), nullptr);
  EXPECT_FLOAT_EQ(scene->FindMarker("START1")->position.z, 6);
  const geometry::Path* path = scene->FindPath("AIPATH1");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->PointCount(), 3u) << "later point lists are dropped";
  EXPECT_FLOAT_EQ(path->LeftEdges()[0], -60);
  EXPECT_NEAR(path->TotalLength(), 200 + 200 + 200 * std::sqrt(2.0f), 0.01f) << "closing segment counted once";
}

TEST_F(SceneLoaderTest, GeometryTakesCollidableTrianglesReversedAndDoubleSidedBothWays) {
  auto scene = LoadFile(TwoMaterialFile());
  ASSERT_TRUE(scene->HasGeometry());
  EXPECT_EQ(scene->geometry.PositionCount(), 8u);
  ASSERT_EQ(scene->geometry.TriangleCount(), 2u + 4u);
  EXPECT_EQ(scene->geometry.CornerA()[0], 2u) << "(c, b, a): the file's winding is reversed";
  EXPECT_EQ(scene->geometry.CornerC()[0], 0u);
  EXPECT_EQ(scene->geometry.TriangleFlags()[0], 0xFFFFFFFFu);
  EXPECT_EQ(scene->geometry.CornerA()[3], 4u) << "second part: vertex base 4, double-sided copy as written";
  EXPECT_FLOAT_EQ(scene->geometry.FaceNormals()[0].y, 1) << "the floor faces up once reversed";
  scene->CollectInBox({-10, -10, -10}, {10, 10, 10});
  EXPECT_EQ(scene->candidates.size(), 2u);
  scene->CollectInBox({5000, 0, 0}, {6000, 1, 1});
  EXPECT_TRUE(scene->candidates.empty());
  auto drawnOnly = LoadFile(TwoMaterialFile(), false);
  EXPECT_FALSE(drawnOnly->HasGeometry()) << "no collision copy unless asked";
  EXPECT_EQ(drawnOnly->parts.size(), 2u);
}

// A track without a collision file reads its surfaces from the kept triangles' materials, named in file order
// whatever slots the records fill.
TEST_F(SceneLoaderTest, EachKeptTriangleKnowsTheNameOfItsMaterial) {
  ScnFile file = TwoMaterialFile();
  std::swap(file.materials[0], file.materials[1]);
  auto scene = LoadFile(file);
  ASSERT_EQ(scene->materialNames, (std::vector<std::string>{"WALL", "ROAD"}));
  ASSERT_EQ(scene->triangleMaterials.size(), scene->geometry.TriangleCount());
  for (size_t t = 0; t < scene->triangleMaterials.size(); ++t) {
    ASSERT_LT(scene->triangleMaterials[t], scene->materialNames.size());
    EXPECT_EQ(scene->materialNames[scene->triangleMaterials[t]], t < 2 ? "ROAD" : "WALL") << t;
  }
  scene->Teardown();
  EXPECT_TRUE(scene->triangleMaterials.empty());
}

TEST_F(SceneLoaderTest, NoMaterialRecordsStillGiveOnePlainHiddenSlot) {
  ScnFile file;
  contentgen::ScnPart part = Square(0, 0, 10, 5);
  file.parts.push_back(part);
  auto scene = LoadFile(file);
  EXPECT_EQ(scene->materialCount, 1u);
  ASSERT_EQ(scene->allParts[0].size(), 1u);
  ASSERT_EQ(scene->allParts[0][0].size(), 1u) << "an out-of-range slot is clamped to the last one";
  EXPECT_EQ(scene->allParts[0][0][0]->materialSlot, 0u);
  EXPECT_EQ(scene->allParts[0][0][0]->image, nullptr);
  EXPECT_FALSE(scene->allParts[0][0][0]->enabled) << "a slot without a material record shows nothing";
}

TEST_F(SceneLoaderTest, RepackingKeepsPiecesContiguousAndDropsUnusedVertices) {
  ScnFile file;
  file.materials = {Material("A", 0), Material("B", 1), Material("C", 2)};
  contentgen::ScnPart part = contentgen::SimplePart({{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0}, {50, 50, 50}}, {});
  part.batches.push_back({1, 0, {{0, 1, 2}}});
  part.batches.push_back({0, 0, {{0, 2, 3}, {0, 1, 3}}});
  part.batches.push_back({2, 0, {}});
  file.parts.push_back(part);
  auto scene = LoadFile(file);
  ASSERT_EQ(scene->parts.size(), 1u);
  const render::ScenePart& packed = *scene->parts[0];
  EXPECT_EQ(packed.vertexCount, 4u) << "the fifth position is used by no triangle";
  EXPECT_EQ(packed.positions.size(), 4u);
  ASSERT_EQ(packed.pieces.size(), 3u);
  EXPECT_EQ(packed.pieces[0]->startIndex, 0u);
  EXPECT_EQ(packed.pieces[0]->primitiveCount, 1u);
  EXPECT_EQ(packed.pieces[1]->startIndex, 3u);
  EXPECT_EQ(packed.pieces[1]->primitiveCount, 2u);
  EXPECT_LE(packed.pieces[1]->maxIndex, 3u);
  EXPECT_EQ(packed.pieces[2]->primitiveCount, 0u) << "a batch without triangles";
  EXPECT_GT(packed.pieces[2]->minIndex, packed.pieces[2]->maxIndex);
  EXPECT_FLOAT_EQ(packed.pieces[0]->boxMax.z, 10);
  EXPECT_FLOAT_EQ(packed.boxMax.y, 50) << "the part's box still takes every file position";

  file.parts.push_back(contentgen::SimplePart({{1, 2, 3}, {4, 5, 6}}, {}));
  auto withBare = LoadFile(file);
  ASSERT_EQ(withBare->parts.size(), 2u) << "a part without triangles loads";
  EXPECT_EQ(withBare->parts[1]->vertexCount, 0u);
  EXPECT_EQ(withBare->parts[1]->vertexBuffer, nullptr);
}

TEST_F(SceneLoaderTest, PartsOfOneVertexFormatShareBuffersAndEachPieceStillAddressesItsOwnCorners) {
  ScnFile file;
  file.materials = {Material("ROAD", 0), Material("KERB", 1)};
  file.parts.push_back(Square(0, 0, 100, 0));
  contentgen::ScnPart second = Square(500, 0, 20, 1, 7);
  second.batches.push_back({0, 0, {{0, 1, 3}}});
  file.parts.push_back(second);
  file.parts.push_back(Square(-300, 40, 10, 0, 3));
  auto scene = LoadFile(file);
  ASSERT_EQ(scene->parts.size(), 3u);
  const render::ScenePart& first = *scene->parts[0];
  ASSERT_NE(first.vertexBuffer, nullptr);
  uint32_t vertices = 0, indices = 0;
  for (const auto& part : scene->parts) {
    EXPECT_EQ(part->vertexBuffer, first.vertexBuffer) << "one vertex buffer for the three plain parts";
    EXPECT_EQ(part->indexBuffer, first.indexBuffer);
    EXPECT_EQ(part->baseVertex, vertices) << "each part's vertices follow the parts before it";
    EXPECT_GE(part->pieces.front()->startIndex, indices) << "and so do its indices";
    vertices += part->vertexCount;
    indices += part->indexCount;
  }
  const auto& vertexBytes = static_cast<platform::gfx::MemoryVertexBuffer*>(first.vertexBuffer)->Bytes();
  const auto& indexBytes = static_cast<platform::gfx::MemoryIndexBuffer*>(first.indexBuffer)->Bytes();
  ASSERT_EQ(vertexBytes.size(), size_t{vertices} * first.stride);
  ASSERT_EQ(indexBytes.size(), size_t{indices} * 2);
  // Every corner a piece's range reaches, through the part's base vertex, lies in that piece's own box.
  int corners = 0;
  for (const auto& part : scene->parts) {
    for (const auto& piece : part->pieces) {
      for (uint32_t i = 0; i < piece->primitiveCount * 3; ++i) {
        uint16_t index = 0;
        std::memcpy(&index, indexBytes.data() + (size_t{piece->startIndex} + i) * 2, 2);
        EXPECT_GE(index, piece->minIndex);
        EXPECT_LE(index, piece->maxIndex);
        platform::Vec3 at;
        std::memcpy(&at, vertexBytes.data() + (size_t{part->baseVertex} + index) * part->stride, sizeof at);
        EXPECT_TRUE(at.x >= piece->boxMin.x && at.x <= piece->boxMax.x && at.y >= piece->boxMin.y &&
                    at.y <= piece->boxMax.y && at.z >= piece->boxMin.z && at.z <= piece->boxMax.z)
            << "corner (" << at.x << ", " << at.y << ", " << at.z << ") of a piece of the part at base "
            << part->baseVertex;
        ++corners;
      }
    }
  }
  EXPECT_EQ(corners, 3 * (2 + 2 + 1 + 2));
}

TEST_F(SceneLoaderTest, DamagedFilesLeaveTheSceneEmpty) {
  const std::vector<unsigned char> good = contentgen::EncodeSceneFile(TwoMaterialFile());
  for (size_t length = 0; length < good.size(); ++length) {
    std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<long>(length));
    auto scene = LoadBytes(cut);
    EXPECT_TRUE(scene->parts.empty()) << length;
    EXPECT_TRUE(scene->nodes.empty() && scene->markers.empty() && scene->paths.empty()) << length;
    EXPECT_TRUE(scene->materialImages.empty()) << length;
    EXPECT_EQ(scene->renderQuadtree, nullptr) << length;
  }

  auto broken = [&](auto change) {
    ScnFile file = TwoMaterialFile();
    change(file);
    return LoadBytes(contentgen::EncodeSceneFile(file));
  };
  EXPECT_TRUE(broken([](ScnFile& f) { f.parts[0].positionIndices[1] = 4; })->parts.empty()) << "position index";
  EXPECT_TRUE(broken([](ScnFile& f) { f.parts[0].uvIndices[2] = -1; })->parts.empty()) << "uv index";
  EXPECT_TRUE(broken([](ScnFile& f) { f.parts[0].batches[0].triangles[1][2] = 4; })->parts.empty()) << "corner";
  EXPECT_TRUE(broken([](ScnFile& f) { f.materials[1].slot = 2; })->parts.empty()) << "material slot";
  EXPECT_TRUE(broken([](ScnFile& f) { f.materials[1].slot = 0; })->parts.empty()) << "slot filled twice";
  EXPECT_TRUE(broken([](ScnFile& f) { f.textureNames[1].second = 7; })->parts.empty()) << "texture table index";

  testing::internal::CaptureStderr();
  broken([](ScnFile& f) { f.parts[1].positionIndices[0] = 99; });
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("bytes.scn: a position index is out of range\n"), std::string::npos) << printed;
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << "one line per bad file";

  std::vector<unsigned char> huge = good;
  huge[28] = 0xFF;  // the part count's top byte: negative, so four thousand million parts
  huge[31] = 0x7F;
  EXPECT_TRUE(LoadBytes(huge)->parts.empty());
}

// A part with its normals block and a second set of texture coordinates: the layout carries both, and a file that
// points past its normals or second coordinates, or ends inside them, loads nothing.
TEST_F(SceneLoaderTest, NormalsAndSecondUvsLoadAndTheirBadIndicesAreRefused) {
  const auto file = [](auto change) {
    ScnFile scn;
    scn.materials = {Material("M", 0)};
    contentgen::ScnPart part = Square(0, 0, 10, 0);
    part.hasSecondUv = 1;
    part.secondUvIndices = {3, 2, 1, 0};
    part.hasNormals = 1;
    part.normalIndices = {0, 1, 0, 1};
    part.normals = {{0, 0}, {64, 32}};
    scn.parts.push_back(part);
    change(scn.parts[0]);
    return scn;
  };
  auto scene = LoadFile(file([](contentgen::ScnPart&) {}));
  ASSERT_EQ(scene->parts.size(), 1u);
  EXPECT_EQ(scene->parts[0]->vertexFormat, render::kSceneFormatNormalsSecondUv);
  EXPECT_EQ(scene->parts[0]->stride, 44u);

  const struct {
    const char* problem;
    void (*change)(contentgen::ScnPart&);
  } refused[] = {
      {"a normal index is out of range", [](contentgen::ScnPart& p) { p.normalIndices[2] = 2; }},
      {"a normal index is out of range", [](contentgen::ScnPart& p) { p.normalIndices[0] = -1; }},
      {"a second uv index is out of range", [](contentgen::ScnPart& p) { p.secondUvIndices[1] = 4; }},
  };
  for (const auto& c : refused) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadFile(file(c.change))->parts.empty()) << c.problem;
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find(c.problem), std::string::npos) << printed;
  }

  // Cut anywhere (inside the normal indices, the normal count or the normals themselves included): nothing loads.
  const std::vector<unsigned char> good = contentgen::EncodeSceneFile(file([](contentgen::ScnPart&) {}));
  for (size_t length = 0; length < good.size(); ++length) {
    testing::internal::CaptureStderr();
    const bool empty = LoadBytes({good.begin(), good.begin() + static_cast<long>(length)})->parts.empty();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(empty) << length;
  }
}

TEST_F(SceneLoaderTest, PartsBeyondSixteenBitIndicesAreRefused) {
  ScnFile file;
  file.materials = {Material("M", 0)};
  contentgen::ScnPart part;
  const int count = 65537;
  for (int i = 0; i < count; ++i) {
    part.positions.push_back({static_cast<float>(i), 0, 0});
    part.positionIndices.push_back(i);
  }
  part.batches.push_back({0, 0, {{0, 1, 65536}}});
  file.parts.push_back(part);
  auto scene = LoadFile(file);
  EXPECT_TRUE(scene->parts.empty()) << "index 65536 would wrap to 0 in a 16-bit buffer";
}

TEST_F(SceneLoaderTest, MissingFileLeavesTheSceneEmptySilently) {
  Scene scene(manager_.get(), settings_.get());
  EXPECT_FALSE(scene.Load(device_, folder_ + "none.scn", "", true, false, true));
  EXPECT_TRUE(scene.parts.empty());
  scene.CollectVisible(render::ViewFrustum());
  scene.CollectInBox({0, 0, 0}, {1, 1, 1});
  EXPECT_TRUE(scene.candidates.empty());
}

TEST_F(SceneLoaderTest, ResourceManagerSharesScenesByNameUnlessACopyIsAsked) {
  const std::string path = folder_ + "SCENE/shared.scn";
  ASSERT_TRUE(contentgen::WriteSceneFile(path, TwoMaterialFile()));
  Scene* first = render::LoadScene(*manager_, device_, path, "", true, false, true, false);
  Scene* again = render::LoadScene(*manager_, device_, "SCENE\\SHARED.SCN", "", true, false, true, false);
  Scene* copy = render::LoadScene(*manager_, device_, path, "", true, false, true, true);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, copy);
  EXPECT_EQ(first->parts.size(), 2u);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kScene, first)->refCount, 2);
  Scene* missing = render::LoadScene(*manager_, device_, "SCENE/none.scn", "", true, false, true, false);
  ASSERT_NE(missing, nullptr) << "a file that cannot be read still gives a registered, empty scene";
  EXPECT_TRUE(missing->parts.empty());
  render::ReleaseScene(*manager_, first);
  render::ReleaseScene(*manager_, again);
  render::ReleaseScene(*manager_, copy);
  render::ReleaseScene(*manager_, missing);
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(render::ResourceKind::kScene), 0u);
  EXPECT_EQ(manager_->Count(render::ResourceKind::kImage), 0u) << "scenes give their images back when freed";
}

}  // namespace
