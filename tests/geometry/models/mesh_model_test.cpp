// Tests of loading .MDL files into a MeshModel: geometry and batches, kinds from texture references and images,
// face-group clamping, origins, records, rejection of bad files, casts and sharing through the resource manager.
#include "geometry/models/mesh_model.h"

#include <cstring>

#include <gtest/gtest.h>

#include "model_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using contentgen::MdlFile;
using geometry::MaterialKind;
using model_test::BoxesFile;
using model_test::Material;
using platform::Vec3;

class MeshModelTest : public model_test::ModelFixture {
 protected:
  // The kind of the first batch of the model (the file has one used material).
  static MaterialKind OnlyKind(const geometry::MeshModel& model) {
    EXPECT_EQ(model.meshData->Batches().size(), 1u);
    return model.meshData->Batches().empty() ? MaterialKind::Plain : model.meshData->Batches()[0]->kind;
  }
};

TEST_F(MeshModelTest, BoxRoundTripsIntoGeometryBatchAndBounds) {
  MdlFile file = BoxesFile({Material("paint", 0)});
  file.objects[0].origin = {0, 0, 0};
  auto model = Load(file, false);
  ASSERT_FALSE(model->Empty());
  EXPECT_EQ(model->materialCount, 1u);
  EXPECT_EQ(model->materialNames[0], "paint");
  EXPECT_EQ(model->triangleCount, 12u);
  EXPECT_EQ(model->groupCount, 1u);
  EXPECT_EQ(model->geometry->PositionCount(), 8u);
  EXPECT_EQ(model->geometry->TriangleCount(), 12u);
  EXPECT_EQ(model->kindLists[0].size(), 1u);
  const geometry::MeshBatch& batch = *model->meshData->Batches()[0];
  EXPECT_EQ(batch.faceCount, 12u);
  EXPECT_EQ(batch.image, nullptr);
  // Four vertices per side: each side's corners carry that side's normal.
  EXPECT_EQ(model->meshData->VertexCount(), 24u);
  EXPECT_EQ(model->boundsMin.x, 0.0f);
  EXPECT_EQ(model->boundsMax.y, 1.0f);
  for (uint32_t t = 0; t < model->geometry->TriangleCount(); ++t) {
    EXPECT_EQ(model->geometry->TriangleFlags()[t], 1u);
  }
}

TEST_F(MeshModelTest, KindsFollowTheTextureReferencesWithoutImages) {
  struct Case {
    std::initializer_list<std::pair<int, int32_t>> textures;
    bool colourKey;
    MaterialKind kind;
  };
  const Case cases[] = {
      {{{0, 0}}, false, MaterialKind::Plain},
      {{{0, 0}, {1, 1}}, false, MaterialKind::Alpha},
      {{{0, 0}}, true, MaterialKind::Alpha},
      {{{3, 0}}, false, MaterialKind::Additive},
      {{{0, 0}, {3, 1}}, false, MaterialKind::Plain},
      {{{6, 0}}, false, MaterialKind::Multiply},
      {{{0, 0}, {2, 1}}, false, MaterialKind::SharedReflection},
      {{{0, 0}, {2, 1}, {5, 1}}, false, MaterialKind::MapReflection},
      {{{0, 0}, {4, 1}}, false, MaterialKind::NormalMapped},
      {{}, false, MaterialKind::Plain},
  };
  for (const Case& c : cases) {
    contentgen::MdlMaterial material = Material("m", 0, c.textures);
    material.hasColourKey = c.colourKey ? 1 : 0;
    auto model = Load(BoxesFile({material}, {"a.png", "b.png"}), false);
    ASSERT_FALSE(model->Empty());
    EXPECT_EQ(OnlyKind(*model), c.kind) << geometry::kMaterialKindNames[geometry::KindIndex(c.kind)];
    EXPECT_EQ(model->kindLists[geometry::KindIndex(c.kind)].size(), 1u);
  }
}

TEST_F(MeshModelTest, ImagesRefineKindsAndTakeTheMaterialValues) {
  WritePicture("BODY.PNG");
  WritePicture("CLEAR.PNG", 0x80FFFFFF, true);
  WritePicture("MASK.PNG");
  WritePicture("ENV.PNG");
  contentgen::MdlMaterial plain = Material("plain", 0, {{0, 0}});
  plain.lightValue = 100;
  plain.colours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 51, 51, 51};
  plain.glossiness = 0.5f;
  plain.specularLevel = 0.5f;
  plain.animation[0].hasScroll = true;
  plain.animation[0].scrollU = 0.25f;
  contentgen::MdlMaterial withAlpha = Material("alpha", 1, {{0, 1}});
  contentgen::MdlMaterial last = Material("last", 2, {{0, 0}, {1, 1}});
  last.variantA = 1;
  contentgen::MdlMaterial first = Material("first", 3, {{0, 0}, {1, 1}});
  first.variantB = 1;
  contentgen::MdlMaterial blendedMap = Material("chrome", 4, {{0, 0}, {2, 2}, {5, 3}});
  blendedMap.variantA = 1;
  contentgen::MdlMaterial multiplied = Material("decal", 5, {{0, 0}, {6, 2}});
  auto model = Load(BoxesFile({plain, withAlpha, last, first, blendedMap, multiplied},
                              {"maps\\cars\\body.png", "clear.png", "mask.png", "env.png"}));
  ASSERT_FALSE(model->Empty());
  ASSERT_EQ(model->meshData->Batches().size(), 6u);
  const auto& batches = model->meshData->Batches();
  EXPECT_EQ(batches[0]->kind, MaterialKind::Plain);
  EXPECT_EQ(batches[1]->kind, MaterialKind::Alpha);  // the picture has alpha
  EXPECT_EQ(batches[2]->kind, MaterialKind::AlphaLast);
  EXPECT_EQ(batches[3]->kind, MaterialKind::AlphaFirst);
  EXPECT_EQ(batches[4]->kind, MaterialKind::MapReflectionBlended);
  EXPECT_EQ(batches[5]->kind, MaterialKind::Plain);

  const render::ImageResource* image = batches[0]->image;
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->loaded);  // the backslashed name resolved to BODY.PNG in the model's folder
  EXPECT_EQ(image->lightValue, 100);
  EXPECT_FLOAT_EQ(image->material.diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(image->material.diffuse.g, 0.0f);
  EXPECT_FLOAT_EQ(image->material.ambient.g, 1.0f);
  EXPECT_FLOAT_EQ(image->material.specular.b, 0.5f);
  EXPECT_FLOAT_EQ(image->material.emissive.r, 0.2f);
  EXPECT_FLOAT_EQ(image->material.diffuse.a, 1.0f);  // alphas keep the image's values
  EXPECT_FLOAT_EQ(image->material.power, 50.0f);
  EXPECT_TRUE(image->IsImageAnimating(0));
  EXPECT_FALSE(image->IsImageAnimating(1));
  EXPECT_FALSE(batches[4]->image->depthWrite);
  EXPECT_EQ(batches[5]->image->overlayPass, geometry::kMultiplyOverlayPass);
  EXPECT_EQ(model->GetMaterialImage(5), batches[5]->image);
  EXPECT_EQ(model->GetMaterialImage(9), nullptr);
  // The loader's own references are given back: an image is held once by each batch that shows it (the two
  // materials with the same pictures share one image).
  for (const auto& batch : batches) {
    int holders = 0;
    for (const auto& other : batches) holders += other->image == batch->image ? 1 : 0;
    EXPECT_EQ(manager_->FindImageRecord(batch->image)->refCount, holders);
  }
  EXPECT_EQ(batches[2]->image, batches[3]->image);
}

TEST_F(MeshModelTest, FileWithoutMaterialsCollidesButDrawsNothing) {
  MdlFile file = BoxesFile({Material("unused", 0)});
  file.materials.clear();
  auto model = Load(file);
  ASSERT_FALSE(model->Empty());
  EXPECT_EQ(model->materialCount, 1u);
  EXPECT_EQ(model->materialNames[0], "NONE");
  EXPECT_TRUE(model->meshData->Batches().empty());
  EXPECT_EQ(model->geometry->TriangleCount(), 12u);
  Vec3 hit, normal;
  EXPECT_TRUE(model->Raycast({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, hit, normal));
}

TEST_F(MeshModelTest, FaceGroupMaterialsOutsideTheSlotsUseTheLastSlot) {
  MdlFile file = BoxesFile({Material("a", 0), Material("b", 1)});
  file.objects[0].groups[0].material = -1;
  file.objects[1].groups[0].material = 7;
  auto model = Load(file, false);
  ASSERT_FALSE(model->Empty());
  ASSERT_EQ(model->meshData->Batches().size(), 1u);
  EXPECT_EQ(model->meshData->Batches()[0]->materialId, 1);
  EXPECT_EQ(model->meshData->Batches()[0]->faceCount, 24u);
}

TEST_F(MeshModelTest, HiddenAndDoubleSidedMaterialsAndNonCollidingMaterials) {
  contentgen::MdlMaterial hidden = Material("hidden", 0);
  hidden.visible = 0;
  hidden.collides = 0;
  contentgen::MdlMaterial twoSided = Material("glass", 1);
  twoSided.doubleSided = 1;
  auto model = Load(BoxesFile({hidden, twoSided}), false);
  ASSERT_FALSE(model->Empty());
  const auto& batches = model->meshData->Batches();
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_FALSE(batches[0]->enabled);
  EXPECT_EQ(batches[1]->faceCount, 24u);
  EXPECT_EQ(model->geometry->TriangleCount(), 12u);  // only the colliding box
}

TEST_F(MeshModelTest, OriginsMoveObjectsUnlessIgnoredAndTheBoxCoversEveryObject) {
  MdlFile file = BoxesFile({Material("a", 0), Material("b", 1)});
  file.objects[1].origin = {0, 10, 0};
  file.scale = 2.0f;
  file.markers.push_back({"WHEEL_FL", {1, 2, 3}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, ""});
  auto moved = Load(file, false);
  EXPECT_FLOAT_EQ(moved->boundsMax.y, 22.0f);  // (1 + 10) × 2
  EXPECT_FLOAT_EQ(moved->boundsMax.x, 8.0f);
  auto kept = Load(file, false, true, "kept.mdl");
  EXPECT_FLOAT_EQ(kept->boundsMax.y, 2.0f);
  ASSERT_NE(kept->FindMarker("WHEEL_FL"), nullptr);
  EXPECT_FLOAT_EQ(kept->FindMarker("WHEEL_FL")->position.z, 6.0f);  // markers keep their own scaled position
}

TEST_F(MeshModelTest, RecordsRoundTripAndOnlyTheFirstSubPathIsKept) {
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

TEST_F(MeshModelTest, BadFilesLeaveTheModelEmptyWithOneLine) {
  MdlFile file = BoxesFile({Material("a", 0, {{0, 0}})}, {"a.png"});
  file.markers.push_back({"M", {0, 0, 0}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, ""});
  const std::vector<unsigned char> good = contentgen::EncodeMdl(file);
  ASSERT_FALSE(LoadBytes(good, false)->Empty());

  // Every truncation is refused, none crashes.
  for (size_t size = 0; size < good.size(); ++size) {
    testing::internal::CaptureStdout();
    auto model = LoadBytes(std::vector<unsigned char>(good.begin(), good.begin() + long(size)), false);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(model->Empty()) << "size " << size;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << "size " << size;
  }

  auto refused = [&](MdlFile bad, const char* what) {
    testing::internal::CaptureStdout();
    auto model = LoadBytes(contentgen::EncodeMdl(bad), false);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(model->Empty()) << what;
    EXPECT_NE(printed.find("bytes.mdl"), std::string::npos) << what;
  };
  MdlFile badVertex = file;
  badVertex.objects[0].groups[0].triangles[0][1] = 999;
  refused(badVertex, "triangle vertex");
  MdlFile badPosition = file;
  badPosition.objects[0].vertexPositions[3] = -1;
  refused(badPosition, "vertex position");
  MdlFile badSlot = file;
  badSlot.textures[0].slot = 5;
  refused(badSlot, "texture slot");
  MdlFile badReference = file;
  badReference.materials[0].textures[4] = 3;
  refused(badReference, "texture reference");
  MdlFile badId = file;
  badId.materials[0].id = 1;
  refused(badId, "material id");
  MdlFile badNumber = file;
  badNumber.objects[0].positions[0].x = std::numeric_limits<float>::quiet_NaN();
  refused(badNumber, "position");
  std::vector<unsigned char> hugeCount = good;
  hugeCount[4] = 0xFF;  // object count far beyond the bytes left
  hugeCount[5] = 0xFF;
  hugeCount[6] = 0xFF;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(LoadBytes(hugeCount, false)->Empty());
  testing::internal::GetCapturedStdout();
}

TEST_F(MeshModelTest, PackedNormalsUseTheFileAngleStepAndColoursAreReadPast) {
  contentgen::MdlObject object;
  object.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  object.vertexPositions = {0, 1, 2};
  object.hasNormals = true;
  object.vertexNormals = {0, 1, 2};
  object.normals = {{0, 0}, {64, 0}, {128, 0}};
  object.colours = {{255, 0, 0}, {0, 255, 0}};  // fewer colours than vertices
  object.groups.push_back({0, {{0, 1, 2}}});
  MdlFile file;
  file.materials = {Material("a", 0)};
  file.objects = {object};
  auto model = Load(file, false);
  ASSERT_FALSE(model->Empty());
  std::vector<geometry::MeshVertex> vertices(model->meshData->VertexCount());
  uint8_t* data = nullptr;
  ASSERT_EQ(model->meshData->VertexBuffer()->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  std::memcpy(vertices.data(), data, vertices.size() * sizeof(geometry::MeshVertex));
  model->meshData->VertexBuffer()->Unlock();
  auto normalAt = [&](float x, float z) {
    for (const auto& vertex : vertices)
      if (vertex.position.x == x && vertex.position.z == z) return vertex.normal;
    return Vec3{9, 9, 9};
  };
  EXPECT_FLOAT_EQ(normalAt(0, 0).y, 1.0f);
  EXPECT_NEAR(normalAt(1, 0).x, 0.99998f, 1e-5f);
  EXPECT_NEAR(normalAt(1, 0).y, -0.00616f, 1e-5f);
  EXPECT_NEAR(normalAt(0, 1).x, -0.0123f, 1e-4f);
  EXPECT_NEAR(normalAt(0, 1).y, -0.99992f, 1e-5f);
}

TEST_F(MeshModelTest, MissingFileIsEmptySilently) {
  geometry::MeshModel model(manager_.get(), settings_.get());
  testing::internal::CaptureStdout();
  EXPECT_FALSE(model.Load(device_, folder_ + "absent.mdl", "", false, true));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(model.Empty());
  Vec3 hit, normal, centre;
  EXPECT_FALSE(model.Raycast({0, 1, 0}, {0, -1, 0}, hit, normal));
  EXPECT_FALSE(model.SweptSphereHit({0, 1, 0}, {0, -1, 0}, 1, centre, hit, normal));
  device_->log.clear();
  model.Draw(device_, platform::gfx::IdentityMatrix(), {0, 1, 0});
  EXPECT_TRUE(device_->log.empty());
}

TEST_F(MeshModelTest, CastsHitFrontFacesOnlyAndLeaveOutputsOnAMiss) {
  auto model = Load(BoxesFile({Material("a", 0)}), false);
  Vec3 hit{7, 7, 7}, normal{7, 7, 7};
  ASSERT_TRUE(model->Raycast({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, hit, normal));
  EXPECT_FLOAT_EQ(hit.y, 1.0f);
  EXPECT_FLOAT_EQ(normal.y, 1.0f);
  Vec3 missHit{7, 7, 7}, missNormal{7, 7, 7};
  EXPECT_FALSE(model->Raycast({0.5f, 0.5f, 0.5f}, {0.5f, 0.6f, 0.5f}, missHit, missNormal));  // inside, no face
  EXPECT_EQ(missHit.x, 7.0f);
  EXPECT_FALSE(model->Raycast({0.5f, 5, 0.5f}, {0.5f, 5, 0.5f}, missHit, missNormal));  // a point
  Vec3 centre, contact;
  ASSERT_TRUE(model->SweptSphereHit({0.5f, 5, 0.5f}, {0.5f, 0.5f, 0.5f}, 0.25f, centre, contact, normal));
  EXPECT_NEAR(centre.y, 1.25f, 1e-4f);
  EXPECT_NEAR(contact.y, 1.0f, 1e-4f);
}

TEST_F(MeshModelTest, ResourceManagerSharesModelsByName) {
  ASSERT_TRUE(contentgen::WriteMdl(folder_ + "car.mdl", BoxesFile({Material("a", 0)})));
  geometry::MeshModel* first = geometry::LoadMeshModel(*manager_, device_, folder_ + "car.mdl", "", false, true);
  geometry::MeshModel* again = geometry::LoadMeshModel(*manager_, device_, folder_ + "CAR.MDL", "", false, true);
  EXPECT_EQ(first, again);
  EXPECT_FALSE(first->Empty());
  geometry::MeshModel* missing = geometry::LoadMeshModel(*manager_, device_, folder_ + "none.mdl", "", false, true);
  ASSERT_NE(missing, nullptr);
  EXPECT_TRUE(missing->Empty());
  geometry::ReleaseMeshModel(*manager_, first);
  EXPECT_EQ(manager_->FindSharedRecord(render::ResourceKind::kMeshModel, first)->refCount, 1);
  // Device resets reach the model's shadow.
  first->EnableShadow(device_);
  manager_->InvalidateDeviceObjects();
  EXPECT_FALSE(first->meshData->Shadow()->Valid());
  manager_->RestoreDeviceObjects(device_);
  EXPECT_TRUE(first->meshData->Shadow()->Valid());
}

}  // namespace
