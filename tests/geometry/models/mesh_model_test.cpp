// Tests of loading .MDL files into a MeshModel: batches and collision by material, kinds refined by images and the
// references given back, and rejection of bad files.
#include "geometry/models/mesh_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

#include "model_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using contentgen::MdlFile;
using geometry::MaterialKind;
using model_test::BoxesFile;
using model_test::Material;
using platform::Vec3;

class MeshModelTest : public model_test::ModelFixture {};

TEST_F(MeshModelTest, MaterialsDecideBatchesCollisionAndTheLastSlotTakesStrayGroups) {
  MdlFile stray = BoxesFile({Material("a", 0), Material("b", 1)});
  stray.objects[0].groups[0].material = -1;
  stray.objects[1].groups[0].material = 7;
  auto clamped = Load(stray, false, "stray.mdl");
  ASSERT_EQ(clamped->meshData->Batches().size(), 1u);
  EXPECT_EQ(clamped->meshData->Batches()[0]->materialId, 1);
  EXPECT_EQ(clamped->meshData->Batches()[0]->faceCount, 24u);

  contentgen::MdlMaterial hidden = Material("hidden", 0);
  hidden.visible = hidden.collides = 0;
  auto mixed = Load(BoxesFile({hidden, Material("b", 1)}), false, "mixed.mdl");
  ASSERT_EQ(mixed->meshData->Batches().size(), 2u);
  EXPECT_FALSE(mixed->meshData->Batches()[0]->enabled);
  // A part's id is its place in the part-name list; past the list there is no name.
  EXPECT_EQ(mixed->GetNameAt(0), "hidden");
  EXPECT_EQ(mixed->GetNameAt(1), "b");
  EXPECT_EQ(mixed->GetNameAt(2), "");
  std::string copy = mixed->GetNameAt(1);
  copy[0] = 'X';
  EXPECT_EQ(mixed->GetNameAt(1), "b") << "a copy, not the model's own name";
  EXPECT_EQ(mixed->geometry->TriangleCount(), 12u);  // only the colliding box

  // Without materials the model still collides but draws nothing.
  MdlFile bare = BoxesFile({Material("unused", 0)});
  bare.materials.clear();
  auto none = Load(bare, true, "bare.mdl");
  EXPECT_TRUE(none->meshData->Batches().empty());
  Vec3 hit, normal;
  ASSERT_TRUE(none->Raycast({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, hit, normal));
  EXPECT_FLOAT_EQ(hit.y, 1.0f);
}

TEST_F(MeshModelTest, ImagesRefineKindsAndTheLoaderGivesItsReferencesBack) {
  WritePicture("BODY.PNG");
  WritePicture("CLEAR.PNG", 0x80FFFFFF, true);
  WritePicture("MASK.PNG");
  WritePicture("ENV.PNG");
  contentgen::MdlMaterial plain = Material("plain", 0, {{0, 0}});
  plain.lightValue = 100;
  contentgen::MdlMaterial last = Material("last", 2, {{0, 0}, {1, 1}});
  last.variantA = 1;
  contentgen::MdlMaterial first = Material("first", 3, {{0, 0}, {1, 1}});
  first.variantB = 1;
  contentgen::MdlMaterial chrome = Material("chrome", 4, {{0, 0}, {2, 2}, {5, 3}});
  chrome.variantA = 1;
  auto model = Load(BoxesFile({plain, Material("alpha", 1, {{0, 1}}), last, first, chrome,
                               Material("decal", 5, {{0, 0}, {6, 2}})},
                              {"maps\\cars\\body.png", "clear.png", "mask.png", "env.png"}));
  const auto& batches = model->meshData->Batches();
  ASSERT_EQ(batches.size(), 6u);
  const MaterialKind kinds[] = {MaterialKind::Plain,     MaterialKind::Alpha,                MaterialKind::AlphaLast,
                                MaterialKind::AlphaFirst, MaterialKind::MapReflectionBlended, MaterialKind::Plain};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(batches[i]->kind, kinds[i]) << i;  // batch 1: the picture has alpha

  const render::ImageResource& image = *batches[0]->image;
  EXPECT_TRUE(image.loaded);  // the backslashed name resolved to BODY.PNG in the model's folder
  EXPECT_EQ(image.lightValue, 100);
  EXPECT_FALSE(batches[4]->image->depthWrite);
  EXPECT_EQ(batches[5]->image->overlayPass, geometry::kMultiplyOverlayPass);
  // The loader's own references are given back: an image is held once by each batch that shows it (the two
  // materials with the same pictures share one image).
  EXPECT_EQ(batches[2]->image, batches[3]->image);
  for (const auto& batch : batches) {
    const auto holders = std::count_if(batches.begin(), batches.end(), [&](const auto& b) { return b->image == batch->image; });
    EXPECT_EQ(manager_->FindImageRecord(batch->image)->refCount, holders);
  }
}

// Chrome trim on a body and exhaust tips fitted over it use the same picture with their own shine: each keeps
// its own colours and gloss however the two are loaded, and materials that look the same still share.
TEST_F(MeshModelTest, MaterialsSharingPicturesShareAnImageOnlyWhenTheyLookTheSame) {
  WritePicture("CHROME.PNG");
  contentgen::MdlMaterial chrome = Material("chrome", 0, {{0, 0}});
  chrome.glossiness = 0.9f;
  chrome.colours = {255, 255, 255, 40, 40, 40, 255, 255, 255, 60, 60, 60};
  contentgen::MdlMaterial trim = chrome;  // the same look under another name
  trim.name = "trim";
  trim.id = 1;
  contentgen::MdlMaterial lit = chrome;  // the same but glowing
  lit.name = "lit";
  lit.id = 2;
  lit.lightValue = 100;
  auto body = Load(BoxesFile({chrome, trim, lit}, {"chrome.png"}), true, "body.mdl");
  contentgen::MdlMaterial tips = Material("tips", 0, {{0, 0}});
  tips.glossiness = 0.5f;
  tips.colours = {255, 255, 255, 40, 40, 40, 120, 120, 120, 40, 40, 40};
  tips.animation[0].hasScroll = true;
  tips.animation[0].scrollU = 0.5f;
  auto exhaust = Load(BoxesFile({tips}, {"chrome.png"}), true, "tips.mdl");
  auto again = Load(BoxesFile({chrome}, {"chrome.png"}), true, "again.mdl");

  const render::ImageResource* bodyChrome = body->GetMaterialImage(0);
  const render::ImageResource* tipsChrome = exhaust->GetMaterialImage(0);
  ASSERT_NE(bodyChrome, nullptr);
  ASSERT_NE(tipsChrome, nullptr);
  EXPECT_NE(bodyChrome, tipsChrome);
  EXPECT_NE(body->GetMaterialImage(2), bodyChrome) << "a different light value is a different look";
  EXPECT_EQ(body->GetMaterialImage(1), bodyChrome) << "same pictures, same look: one image";
  EXPECT_EQ(again->GetMaterialImage(0), bodyChrome) << "shared across models too";
  struct Expected {
    const char* what;
    const render::ImageResource* image;
    float power, specular, emissive;
    int lightValue;
  };
  const Expected expected[] = {{"body chrome", bodyChrome, 90, 1.0f, 60 / 255.0f, 0},
                               {"glowing chrome", body->GetMaterialImage(2), 90, 1.0f, 60 / 255.0f, 100},
                               {"exhaust tips", tipsChrome, 50, 120 / 255.0f, 40 / 255.0f, 0}};
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.what);
    EXPECT_NEAR(e.image->material.power, e.power, 1e-3f);
    EXPECT_NEAR(e.image->material.specular.g, e.specular, 1e-4f);
    EXPECT_NEAR(e.image->material.emissive.b, e.emissive, 1e-4f);
    EXPECT_EQ(e.image->lightValue, e.lightValue);
  }
  EXPECT_TRUE(bodyChrome->loaded);
  EXPECT_TRUE(tipsChrome->loaded);
}

// A model past what 16-bit indices reach (a large track object) still collides everywhere and draws every face
// through 32-bit indices; without a device it keeps its collision.
TEST_F(MeshModelTest, ModelsPastSixtyFiveThousandVerticesCollideAndDrawWithWideIndices) {
  // 22000 separate triangles side by side along x: 66000 vertices.
  constexpr int kTriangles = 22000;
  MdlFile file = BoxesFile({Material("ground", 0)});
  contentgen::MdlObject& strip = file.objects[0];
  strip = {};
  strip.groups.push_back({0, {}});
  for (int i = 0; i < kTriangles; ++i) {
    const float x = 2.0f * static_cast<float>(i);
    for (const Vec3& corner : {Vec3{x, 0, 0}, Vec3{x, 0, 1}, Vec3{x + 1, 0, 0}}) {
      strip.vertexPositions.push_back(static_cast<int32_t>(strip.positions.size()));
      strip.positions.push_back(corner);
    }
    const int32_t first = 3 * i;
    strip.groups[0].triangles.push_back({first, first + 1, first + 2});
  }
  auto model = Load(file, false, "big.mdl");
  ASSERT_FALSE(model->Empty());
  ASSERT_NE(model->meshData, nullptr);
  const geometry::MeshData& mesh = *model->meshData;
  EXPECT_EQ(mesh.VertexCount(), 3u * kTriangles);
  EXPECT_EQ(mesh.IndexSize(), 4u);
  // Every face is drawn, and the null device checks each index against the vertex buffer.
  device_->drawn.clear();
  model->Draw(device_, platform::gfx::IdentityMatrix(), {0, -1, 0});
  uint32_t drawn = 0;
  for (const auto& draw : device_->drawn) drawn += draw.count;
  EXPECT_EQ(drawn, static_cast<uint32_t>(kTriangles));
  // The last triangle's indices point past 65535 at its own corners.
  std::vector<uint32_t> indices(mesh.IndexCount());
  uint8_t* data = nullptr;
  ASSERT_EQ(mesh.IndexBuffer()->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  std::memcpy(indices.data(), data, indices.size() * 4);
  mesh.IndexBuffer()->Unlock();
  const auto vertices = model_test::Vertices(mesh);
  EXPECT_GT(*std::max_element(indices.begin(), indices.end()), 65535u);
  float farthest = 0;
  for (uint32_t index : indices) {
    ASSERT_LT(index, vertices.size());
    farthest = std::max(farthest, vertices[index].position.x);
  }
  EXPECT_FLOAT_EQ(farthest, 2.0f * (kTriangles - 1) + 1);

  const float lastX = 2.0f * (kTriangles - 1) + 0.25f;
  for (const bool withDevice : {true, false}) {
    SCOPED_TRACE(withDevice ? "drawn" : "without a device");
    std::unique_ptr<geometry::MeshModel> loaded = std::move(model);
    if (!withDevice) {
      loaded = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
      EXPECT_TRUE(loaded->Load(nullptr, folder_ + "big.mdl", "", false, false));
      EXPECT_EQ(loaded->meshData, nullptr);
    }
    Vec3 hit, normal;
    ASSERT_TRUE(loaded->Raycast({lastX, 5, 0.25f}, {lastX, -5, 0.25f}, hit, normal));
    EXPECT_FLOAT_EQ(hit.y, 0.0f);
    EXPECT_FLOAT_EQ(loaded->boundsMax.x, 2.0f * (kTriangles - 1) + 1);
  }
}

// A model's light nodes, marker text and paths: only the first point list of a path is kept and a path without
// points is dropped.
TEST_F(MeshModelTest, LightsMarkersAndPathsLoadAndOnlyTheFirstPointListOfAPathIsKept) {
  MdlFile file = BoxesFile({Material("a", 0)});
  contentgen::NodeRecord light;
  light.name = "HEADLIGHT";
  light.kind = 4;
  light.range = 500;
  light.text = "front";
  file.nodes.push_back(light);
  contentgen::MarkerRecord marker;
  marker.name = "EXHAUST";
  marker.position = {1, 0, -2};
  marker.text = "left";
  file.markers.push_back(marker);
  contentgen::PathRecord path;
  path.name = "LINE";
  path.lists.push_back({true, {{0, 0, 0}, {1, 0, 0}}});
  path.lists.push_back({false, {{5, 5, 5}, {6, 6, 6}, {7, 7, 7}}});
  file.paths.push_back(path);
  contentgen::PathRecord noPoints;
  noPoints.name = "EMPTY";
  noPoints.text = "dropped";
  file.paths.push_back(noPoints);
  auto model = Load(file, false);
  ASSERT_FALSE(model->Empty());
  ASSERT_EQ(model->nodes.size(), 1u);
  EXPECT_EQ(model->nodes[0]->kind, 2);
  EXPECT_FLOAT_EQ(model->nodes[0]->light.range, 500.0f);
  EXPECT_EQ(model->nodes[0]->leadingString, "front");
  ASSERT_NE(model->IntArrayAt(0), nullptr);
  EXPECT_EQ(model->IntArrayAt(0)->leadingString, "left");
  EXPECT_EQ(model->IntArrayAt(1), nullptr);
  ASSERT_EQ(model->paths.size(), 1u);
  EXPECT_EQ(model->paths[0]->PointCount(), 2u);
}

TEST_F(MeshModelTest, BadFilesLeaveTheModelEmptyWithOneLineAndAMissingFileSilently) {
  MdlFile file = BoxesFile({Material("a", 0, {{0, 0}})}, {"a.png"});
  file.markers.push_back({"M", {0, 0, 0}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, ""});
  ASSERT_FALSE(Load(file, false)->Empty());
  // Whether the bytes are refused with one line naming the file, leaving the model empty.
  auto refused = [&](const std::vector<unsigned char>& bytes) {
    geometry::MeshModel model(manager_.get(), settings_.get());
    testing::internal::CaptureStdout();
    model.LoadFromMemory(device_, bytes, folder_ + "bytes.mdl", "", false, false);
    const std::string printed = testing::internal::GetCapturedStdout();
    return model.Empty() && printed.find("bytes.mdl") != std::string::npos &&
           std::count(printed.begin(), printed.end(), '\n') == 1;
  };
  const std::vector<unsigned char> good = contentgen::EncodeMdl(file);
  for (size_t size = 0; size < good.size(); ++size) EXPECT_TRUE(refused({good.begin(), good.begin() + long(size)})) << size;
  const std::pair<const char*, std::function<void(MdlFile&)>> spoilers[] = {
      {"triangle vertex", [](MdlFile& f) { f.objects[0].groups[0].triangles[0][1] = 999; }},
      {"vertex position", [](MdlFile& f) { f.objects[0].vertexPositions[3] = -1; }},
      {"texture slot", [](MdlFile& f) { f.textures[0].slot = 5; }},
      {"texture reference", [](MdlFile& f) { f.materials[0].textures[4] = 3; }},
      {"material id", [](MdlFile& f) { f.materials[0].id = 1; }},
      {"position", [](MdlFile& f) { f.objects[0].positions[0].x = std::numeric_limits<float>::quiet_NaN(); }},
  };
  for (const auto& [label, spoil] : spoilers) {
    MdlFile bad = file;
    spoil(bad);
    EXPECT_TRUE(refused(contentgen::EncodeMdl(bad))) << label;
  }
  std::vector<unsigned char> hugeCount = good;
  hugeCount[4] = hugeCount[5] = hugeCount[6] = 0xFF;  // object count far beyond the bytes left
  EXPECT_TRUE(refused(hugeCount));

  geometry::MeshModel missing(manager_.get(), settings_.get());
  testing::internal::CaptureStdout();
  EXPECT_FALSE(missing.Load(device_, folder_ + "absent.mdl", "", false, true));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  Vec3 hit, normal;
  EXPECT_FALSE(missing.Raycast({0, 1, 0}, {0, -1, 0}, hit, normal));
  missing.Draw(device_, platform::gfx::IdentityMatrix(), {0, 1, 0});
  EXPECT_TRUE(device_->drawn.empty());
}

}  // namespace
