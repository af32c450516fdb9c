// Fuzzing the .MDL loader: any bytes must load or be rejected without a crash or a sanitizer report, and whatever
// loads must draw, cast, cast its shadow and deform safely. Seeds a generated small model into the corpus folder.

#include "contentgen/mdl_writer.h"
#include "fuzz_support.h"
#include "geometry/models/mesh_model.h"

namespace {

// A small valid file touching every record kind, so mutation starts from the real layout.
std::vector<unsigned char> SeedFile() {
  contentgen::MdlFile file;
  file.scale = 2.0f;
  file.textures = {{"maps\\body.png", 0}, {"glass.png", 1}};
  contentgen::MdlMaterial paint;
  paint.name = "PAINT";
  paint.textures[0] = 0;
  paint.animation[0].hasScroll = true;
  contentgen::MdlMaterial glass;
  glass.name = "GLASS";
  glass.id = 1;
  glass.doubleSided = 1;
  glass.hasColourKey = 1;
  glass.textures[1] = 1;
  file.materials = {paint, glass};
  file.objects.push_back(contentgen::BoxObject({0, 0, 0}, {2, 1, 3}, 0));
  file.objects.push_back(contentgen::WheelObject(1, 0.5f, 6, 1));
  file.objects[1].hasNormals = false;
  file.objects[1].colours = {{255, 0, 0}, {0, 255, 0}};
  file.markers.push_back({"FRONT_LEFT_TIRE", {1, 0, 1}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, "tyre.MDL"});
  fuzz_support::AddRecords(file, "LIGHT", "EXHAUST", "PATH");
  return contentgen::EncodeMdl(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv, {{"seed.mdl", SeedFile()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::gfx::Device* device = fuzz_support::NullDevice();
  const std::vector<unsigned char> bytes(data, data + size);
  for (bool ignoreOrigins : {false, true}) {
    geometry::MeshModel model(nullptr, nullptr);
    if (!model.LoadFromMemory(device, bytes, "fuzz/model.mdl", "", ignoreOrigins, false)) continue;
    platform::Vec3 hit, normal, centre;
    model.Raycast(model.boundsMax, model.boundsMin, hit, normal);
    model.SweptSphereHit(model.boundsMax, model.boundsMin, 1.0f, centre, hit, normal);
    model.Draw(device, platform::gfx::IdentityMatrix(), {0, -1, 0});
    model.DrawPass(device, platform::gfx::IdentityMatrix());
    if (!ignoreOrigins) {
      model.EnableShadow(device);
      model.DrawShadow(device, platform::gfx::IdentityMatrix(), {0, -100, 0});
    }
    model.MakeDeformable();
    model.DeformTowards(model, model.boundsMin, 5.0f, 0.5f);
    model.GetMaterialImage(0);
    model.IntArrayAt(3);
  }
  fuzz_support::ClearDeviceRecords();
  return 0;
}
