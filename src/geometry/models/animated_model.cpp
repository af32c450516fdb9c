// AnimatedModel: clips read from animation.dat, clip posing, drawing, and the shared loads.
#include "geometry/models/animated_model.h"

#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "platform/file_system.h"
#include "render/resources/resource_manager.h"

namespace geometry {

namespace {

constexpr char kKeyToken[] = "<KEY>";
constexpr char kDefaultAnimationFile[] = "animation.dat";

// Tokens of one line: split at colon, tab, carriage return; everything from '#' on is ignored.
std::vector<std::string> LineTokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::string token;
  for (char c : line) {
    if (c == '#') break;
    if (c == ':' || c == '\t' || c == '\r') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

// Leading decimal integer (white space and a sign first); 0 without digits; negatives count as 0.
uint32_t FrameNumber(const std::string& token) {
  const long value = std::strtol(token.c_str(), nullptr, 10);
  return value > 0 ? static_cast<uint32_t>(std::min<long>(value, INT32_MAX)) : 0u;
}

float DecimalNumber(const std::string& token) {
  const double value = std::strtod(token.c_str(), nullptr);
  return std::isfinite(value) ? static_cast<float>(value) : 0.0f;
}

uint32_t RoundToFrame(double x) { return x <= 0 ? 0u : static_cast<uint32_t>(std::min(std::floor(x + 0.5), 2.0e9)); }

}  // namespace

AnimatedModel::AnimatedModel(render::ResourceManager* manager, const app::Settings* settingsIn)
    : resourceManager(manager), settings(settingsIn) {}

AnimatedModel::~AnimatedModel() { Release(); }

void AnimatedModel::Release() {
  clips.clear();
  StopAll();
  if (model != nullptr && resourceManager != nullptr && ownModel_ == nullptr) ReleaseModel(*resourceManager, model);
  ownModel_.reset();
  model = nullptr;
}

void AnimatedModel::Load(platform::gfx::Device* device, const std::string& path, const std::string& folderIn,
                         const std::string& animationFile) {
  Release();
  std::string folder = folderIn;
  if (folder.empty()) {
    const size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) folder = path.substr(0, separator + 1);
  }
  if (resourceManager != nullptr) {
    model = LoadModel(*resourceManager, device, path, folder);
  } else {
    ownModel_ = std::make_unique<Model>(nullptr, settings);
    ownModel_->Load(device, path, folder);
    model = ownModel_.get();
  }
  ReadAnimationFile(animationFile.empty() ? folder + kDefaultAnimationFile : animationFile);
  PlayClip(0, 0.0f);
}

bool AnimatedModel::ReadAnimationFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes, platform::kMaxTextFileBytes)) return false;
  ReadAnimationText(std::string(bytes.begin(), bytes.end()));
  return true;
}

void AnimatedModel::ReadAnimationText(const std::string& text) {
  const float frameScale = model != nullptr ? model->frameScale : 1.0f;
  const uint32_t frameCount = model != nullptr ? model->frameCount : 0;
  // Key lines name their clip: a look-up by name keeps a file of many clips and many keys linear.
  std::unordered_map<std::string, size_t> clipByName;
  for (size_t i = 0; i < clips.size(); ++i) clipByName.emplace(clips[i]->name, i);
  size_t lineStart = 0;
  while (lineStart <= text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    const std::vector<std::string> tokens = LineTokens(text.substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
    if (tokens.size() < 4) continue;
    if (tokens[0] == kKeyToken) {
      const auto found = clipByName.find(tokens[1]);
      if (found == clipByName.end()) continue;
      AnimationClip& clip = *clips[found->second];
      clip.keyNames.push_back(tokens[3]);
      clip.keyTimes.push_back(DecimalNumber(tokens[2]) * frameScale);
      continue;
    }
    auto stored = [&](uint32_t authoring) {
      uint32_t frame;
      if (model != nullptr && !model->keyTimes.empty()) {
        const uint32_t key = model->FindKeyFrame(static_cast<int32_t>(authoring));
        const double past = static_cast<double>(authoring) - model->keyTimes[key];
        frame = key + RoundToFrame(past * frameScale);
      } else {
        frame = RoundToFrame(static_cast<double>(authoring) * frameScale);
      }
      return frameCount > 0 && frame >= frameCount ? frameCount - 1 : (frameCount == 0 ? 0u : frame);
    };
    auto clip = std::make_unique<AnimationClip>();
    clip->name = tokens[0];
    clip->firstFrame = stored(FrameNumber(tokens[1]));
    // A last frame before the first plays as a single frame.
    clip->lastFrame = std::max(clip->firstFrame, stored(FrameNumber(tokens[2])));
    clip->length = clip->lastFrame - clip->firstFrame;
    clip->rate = DecimalNumber(tokens[3]) * frameScale;
    clipByName.emplace(clip->name, clips.size());
    clips.push_back(std::move(clip));
  }
}

int32_t AnimatedModel::FindClip(const std::string& name) const {
  for (size_t i = 0; i < clips.size(); ++i) {
    if (clips[i]->name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

uint32_t AnimatedModel::GetClipLength(const std::string& name) const {
  const int32_t index = FindClip(name);
  return index < 0 ? 0u : clips[static_cast<size_t>(index)]->length;
}

void AnimatedModel::PlayClip(int32_t index, float offset) {
  if (index < 0 || static_cast<size_t>(index) >= clips.size()) return;
  const AnimationClip& clip = *clips[static_cast<size_t>(index)];
  StopAll();
  double t = clip.firstFrame + (std::isfinite(offset) && offset > 0 ? offset : 0.0f);
  // Loop back by whole clip lengths; a clip of one frame stays on it.
  if (t > clip.lastFrame) {
    if (clip.length == 0) {
      t = clip.lastFrame;
    } else {
      const double over = t - clip.lastFrame;
      t -= std::ceil(over / clip.length) * clip.length;
    }
  }
  auto state = std::make_unique<ClipState>();
  state->clip = index;
  state->firstFrame = clip.firstFrame;
  state->lastFrame = clip.lastFrame;
  state->frame = static_cast<uint32_t>(std::floor(t));
  state->fraction = static_cast<float>(t - state->frame);
  state->nextFrame = state->frame + 1 > clip.lastFrame ? clip.firstFrame : state->frame + 1;
  activeStates.push_front(std::move(state));
}

void AnimatedModel::PlayClipByName(const std::string& name, float offset) { PlayClip(FindClip(name), offset); }

void AnimatedModel::StopAll() { activeStates.clear(); }

void AnimatedModel::Draw(platform::gfx::Device* device, const platform::Matrix4& matrix) {
  if (model != nullptr) model->DrawByKind(device, matrix, ActiveState(), nullptr);
}

void AnimatedModel::DrawWithEnvironment(platform::gfx::Device* device, const platform::Matrix4& matrix,
                                        platform::gfx::BaseTexture* environment) {
  if (model != nullptr) model->DrawByKind(device, matrix, ActiveState(), environment);
}

void AnimatedModel::DrawSimple(platform::gfx::Device* device, const platform::Matrix4& matrix) {
  if (model != nullptr) model->DrawPass(device, matrix, ActiveState());
}

Model* LoadModel(render::ResourceManager& manager, platform::gfx::Device* device, const std::string& path,
                 const std::string& textureFolder) {
  return manager.LoadShared<Model>(render::ResourceKind::kModel, path, false, [&](const std::string& normalised) {
    auto model = std::make_shared<Model>(&manager, manager.GetSettings());
    model->Load(device, normalised, textureFolder);
    return model;
  });
}

void ReleaseModel(render::ResourceManager& manager, const Model* model) {
  manager.ReleaseShared(render::ResourceKind::kModel, model);
}

AnimatedModel* LoadAnimatedModel(render::ResourceManager& manager, platform::gfx::Device* device,
                                 const std::string& path, const std::string& folder,
                                 const std::string& animationFile) {
  // Never shared: each driver keeps its own pose over the one shared Model.
  return manager.LoadShared<AnimatedModel>(
      render::ResourceKind::kAnimatedModel, path, true, [&](const std::string& normalised) {
        auto animated = std::make_shared<AnimatedModel>(&manager, manager.GetSettings());
        animated->Load(device, normalised, folder, animationFile);
        return animated;
      });
}

void ReleaseAnimatedModel(render::ResourceManager& manager, const AnimatedModel* model) {
  manager.ReleaseShared(render::ResourceKind::kAnimatedModel, model);
}

}  // namespace geometry
