// Fuzzing the animation.dat clip list reader, alone and over a loaded model with key times: every clip keeps its
// frames in order and inside the model, and playing any clip at any offset poses frames of that clip.
#include "contentgen/animated_models.h"
#include "fuzz_support.h"
#include "geometry/models/animated_model.h"

namespace {

geometry::Model* driver = nullptr;

void ReadAndPlay(const std::string& text, geometry::Model* model) {
  geometry::AnimatedModel clips(nullptr, nullptr);
  clips.model = model;
  clips.ReadAnimationText(text);
  const uint32_t frames = model != nullptr ? model->frameCount : 0;
  for (size_t i = 0; i < clips.clips.size(); ++i) {
    const geometry::AnimationClip& clip = *clips.clips[i];
    Check(clip.firstFrame <= clip.lastFrame && clip.length == clip.lastFrame - clip.firstFrame);
    Check(frames == 0 || clip.lastFrame < frames);
    Check(clip.keyNames.size() == clip.keyTimes.size());
    if (i >= 8) continue;
    for (float offset : {0.0f, 0.5f, 1000.5f, 3e9f, -1.0f}) {
      clips.PlayClip(static_cast<int32_t>(i), offset);
      const geometry::ClipState* state = clips.ActiveState();
      Check(state != nullptr && state->frame >= clip.firstFrame && state->frame <= clip.lastFrame);
      Check(state->nextFrame >= clip.firstFrame && state->nextFrame <= clip.lastFrame);
      Check(state->fraction >= 0.0f && state->fraction <= 1.0f);
    }
  }
  clips.model = nullptr;  // not ours to give back
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  driver = new geometry::Model(nullptr, nullptr);
  Check(driver->LoadFromMemory(fuzz_support::NullDevice(), contentgen::EncodeModelFile(contentgen::DriverModelData(3)),
                               "driver.mod", ""));
  fuzz_support::WriteGeneratedSeeds(
      *argc, *argv,
      {fuzz_support::TextSeed("clips.dat", contentgen::AnimationListText({{"STEER", 0, 30, 30, {{15, "MID"}}},
                                                                           {"IDLE", 3, 2, 1, {}}}))});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz_support::Text(data, size);
  ReadAndPlay(text, nullptr);
  ReadAndPlay(text, driver);
  return 0;
}
