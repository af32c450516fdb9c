// Fuzzing the scene-file loader: any bytes must load or be rejected without a crash or a sanitizer report, and a
// loaded scene must cull, query and draw safely on the null device. Seeds a generated small file into the corpus.

#include "contentgen/scn_writer.h"
#include "fuzz_support.h"
#include "platform/math/math.h"
#include "render/scene/scene.h"

namespace {

// A small valid file touching every record kind, so mutation starts from the real layout.
std::vector<unsigned char> SeedFile() {
  contentgen::ScnFile file;
  file.scale = 1.5f;
  file.textureNames = {{"A.PNG", 0}, {"B.PNG", 1}};
  contentgen::ScnMaterial plain;
  plain.name = "PAVE";
  plain.textures[contentgen::kScnBase] = 0;
  contentgen::ScnMaterial mirror = plain;
  mirror.name = "GLASS";
  mirror.slot = 1;
  mirror.doubleSided = 1;
  mirror.hasScroll0 = true;
  mirror.hasAnim1 = true;
  mirror.textures[contentgen::kScnReflectionAlpha] = 1;
  file.materials = {plain, mirror};
  contentgen::ScnPart part =
      contentgen::SimplePart({{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 5, 0}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  part.hasSecondUv = 1;
  part.secondUvIndices = {0, 1, 2, 3};
  part.hasNormals = 1;
  part.normalIndices = {0, 0, 1, 1};
  part.normals = {{0, 0}, {64, 32}};
  part.colours = {{255, 0, 0}, {-3, 300, 7}};
  part.batches.push_back({0, 1, {{0, 1, 2}}});
  part.batches.push_back({1, 0, {{0, 2, 3}}});
  file.parts.push_back(part);
  fuzz_support::AddRecords(file, "SHOWROOM", "START1", "CAMERAPATH1");
  return contentgen::EncodeSceneFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv, {{"seed.scn", SeedFile()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::gfx::Device* device = fuzz_support::NullDevice();
  for (bool useQuadtree : {true, false}) {
    render::Scene scene(nullptr, nullptr);
    if (!scene.LoadFromMemory(device, data, size, "fuzz.scn", "", true, false, useQuadtree)) continue;
    render::ViewFrustum frustum;
    frustum.BuildOrdinary(platform::LookAtLH({0, 50, -100}, {0, 0, 0}, {0, 1, 0}),
                          platform::PerspectiveFovLH(1.2f, 1.0f, 1.0f, 100000.0f));
    scene.CollectVisible(frustum);
    scene.CollectInBox(scene.boundsMin, scene.boundsMax);
    scene.CollectReflectors({0, -1, 0});
    const platform::Matrix4 view = platform::IdentityMatrix();
    scene.DrawVisible(device, view, &view, nullptr);
    scene.DrawSecondPass(device, view, scene.visibleParts);
    scene.DrawProjected(device, view, view);
    scene.visibleParts = scene.allParts;
    scene.DrawVisible(device, view, nullptr, nullptr);
  }
  fuzz_support::ClearDeviceRecords();
  return 0;
}
