// Fuzzing the versioned animated model loader: any bytes must load or be rejected without a crash, a sanitizer
// report or work beyond their size, and a loaded model must pose between any frames and draw safely.
#include <cstring>

#include "contentgen/animated_models.h"
#include "contentgen/model_file_writer.h"
#include "fuzz_support.h"
#include "geometry/models/model.h"

namespace {

// Two frames of one surface with a tag and key times, so mutation reaches every record of the file.
std::vector<unsigned char> SmallModel() {
  contentgen::ModelFileData data;
  data.version = 3;
  data.frameCount = 2;
  data.framePercent = 40;
  data.keyTimes = {0, 10};
  contentgen::MdlMaterial skin;
  skin.name = "SKIN";
  data.materials = {skin};
  data.tags.push_back({"tag_head", {{0, 1, 0}, {0, 2, 0}}, {}});
  contentgen::ModelSurface surface;
  surface.name = "body";
  surface.frames = 2;
  surface.triangles = {{0, 1, 2, 0}};
  surface.uvs = {{0, 0}, {1, 0}, {0, 1}};
  surface.frameVertices = {{{0, 0, 0, 10, 20}, {64, 0, 0, 30, 40}, {0, 64, 0, 50, 60}},
                           {{8, 0, 0, 10, 20}, {64, 8, 0, 30, 40}, {0, 64, 8, 50, 60}}};
  data.surfaces = {surface};
  return contentgen::EncodeModelFile(data);
}

// Unversioned header claiming a billion frames of no vertices, the shape of a clip list read as a model; it
// once cost seconds to walk.
std::vector<unsigned char> FramesWithoutVertices() {
  const std::string text = "STEER:0:30:30\n<KEY>:STEER:15:MID\n";
  std::vector<unsigned char> bytes(text.begin(), text.end());
  bytes.resize(76, '\n');
  const int32_t header[8] = {1 << 30, 0, 0, 0, 0, 0, 0, 0};
  std::memcpy(bytes.data(), header, sizeof header);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"small.mod", SmallModel()},
                                     {"driver.mod", contentgen::EncodeModelFile(contentgen::DriverModelData(3))},
                                     {"frames_without_vertices.mod", FramesWithoutVertices()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::gfx::Device* device = fuzz_support::NullDevice();
  geometry::Model model(nullptr, nullptr);
  if (model.LoadFromMemory(device, std::vector<unsigned char>(data, data + size), "fuzz/model.mod", "")) {
    Check(model.FramePositions().size() == size_t{model.frameCount} * model.VertexCount());
    for (uint32_t frame : {0u, model.frameCount / 2, model.frameCount, ~0u}) model.ShowPose(frame, frame + 1, 0.25f);
    model.DrawByKind(device, platform::gfx::IdentityMatrix(), nullptr, nullptr);
    model.DrawPass(device, platform::gfx::IdentityMatrix(), nullptr);
    for (int32_t time : {-1, 0, 7, 1 << 30}) {
      Check(model.keyTimes.empty() || model.FindKeyFrame(time) < model.keyTimes.size());
    }
  } else {
    Check(model.Empty() && model.frameCount == 0);  // a refused file leaves nothing behind
  }
  fuzz_support::ClearDeviceRecords();
  return 0;
}
