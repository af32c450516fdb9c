// Pass timing of the OpenGL device for benchmarks: wall time, draws and passed samples booked per pass and render
// target. The game never switches it on, so its only cost there is one flag test per boundary.
#include <algorithm>

#include "platform/gfx/gl_device.h"

namespace platform::gfx {

namespace {
constexpr std::array<GLenum, 3> kStatistics = {GL_VERTEX_SHADER_INVOCATIONS_ARB, GL_CLIPPING_OUTPUT_PRIMITIVES_ARB,
                                               GL_FRAGMENT_SHADER_INVOCATIONS_ARB};
}  // namespace

std::string GlDevice::DescribeTarget() const {
  if (currentTarget_ == nullptr) return "none";
  SurfaceDesc desc;
  currentTarget_->GetDesc(desc);
  std::string size = std::to_string(desc.width) + "x" + std::to_string(desc.height);
  if (currentTarget_ == backBufferSurface_) {
    return "back buffer " + size + (backSamples_ >= 2 ? " " + std::to_string(backSamples_) + "x" : std::string());
  }
  const auto* memory = dynamic_cast<const MemorySurface*>(currentTarget_);
  if (memory != nullptr && dynamic_cast<GlCubeTexture*>(memory->Owner()) != nullptr) return "cube face " + size;
  return "texture " + size;
}

void GlDevice::SetPassTiming(bool on) {
  if (on == passTiming_) return;
  FlushDraws();
  if (on) {
    if (samplesQuery_ == 0) glGenQueries(1, &samplesQuery_);
    statistics_ = epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query");
    if (statistics_ && statisticsQueries_[0] == 0) glGenQueries(static_cast<GLsizei>(statisticsQueries_.size()), statisticsQueries_.data());
    glFinish();
    passTiming_ = true;
    passTarget_ = DescribeTarget();
    segmentStart_ = std::chrono::steady_clock::now();
    segmentDraws_ = counters_.glDraws;
    segmentRequests_ = counters_.draws;
    BeginQueries();
  } else {
    PassBoundary();
    EndQueries();
    passTiming_ = false;
  }
}

void GlDevice::NoteSetUp(uint64_t vertexBuffer, uint64_t indexBuffer, GLenum mode, const Viewport& viewport,
                         const std::array<uint32_t, kRenderStateCount>& renderStates,
                         const std::array<std::array<uint32_t, kTextureStageStateCount>, kMaxTextureStages>& stageStates,
                         const std::array<BaseTexture*, kMaxTextureStages>& textures, uint32_t fvf, uint32_t stride) {
  if (!passTiming_) return;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a over the set-up's bytes
  auto add = [&hash](const void* data, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
      hash ^= static_cast<const unsigned char*>(data)[i];
      hash *= 1099511628211ull;
    }
  };
  add(&vertexBuffer, sizeof vertexBuffer);
  add(&indexBuffer, sizeof indexBuffer);
  add(&mode, sizeof mode);
  add(&viewport, sizeof viewport);
  add(renderStates.data(), sizeof renderStates);
  add(stageStates.data(), sizeof stageStates);
  add(textures.data(), sizeof textures);
  add(&fvf, sizeof fvf);
  add(&stride, sizeof stride);
  segmentSetUps_.insert(hash);
}

void GlDevice::MarkPass(const char* name) {
  if (!passTiming_) return;
  PassBoundary();
  passName_ = name != nullptr ? name : "";
}

void GlDevice::PassBoundary() {
  if (!passTiming_) return;
  FlushDraws();
  EndQueries();
  glFinish();
  const auto now = std::chrono::steady_clock::now();
  GLuint64 samples = 0;
  glGetQueryObjectui64v(samplesQuery_, GL_QUERY_RESULT, &samples);
  std::array<GLuint64, 3> statistics{};
  for (size_t i = 0; statistics_ && i < kStatistics.size(); ++i)
    glGetQueryObjectui64v(statisticsQueries_[i], GL_QUERY_RESULT, &statistics[i]);
  auto found = std::find_if(passTimes_.begin(), passTimes_.end(), [this](const PassTime& time) {
    return time.pass == passName_ && time.target == passTarget_;
  });
  if (found == passTimes_.end()) {
    passTimes_.push_back(PassTime{passName_, passTarget_});
    found = passTimes_.end() - 1;
  }
  found->seconds += std::chrono::duration<double>(now - segmentStart_).count();
  found->segments += 1;
  found->draws += counters_.glDraws - segmentDraws_;
  found->requests += counters_.draws - segmentRequests_;
  found->samples += samples;
  found->vertices += statistics[0];
  found->primitives += statistics[1];
  found->fragments += statistics[2];
  found->setUps += segmentSetUps_.size();
  segmentSetUps_.clear();
  passTarget_ = DescribeTarget();
  segmentDraws_ = counters_.glDraws;
  segmentRequests_ = counters_.draws;
  BeginQueries();
  // The boundary's own waiting is left out of the next segment.
  segmentStart_ = std::chrono::steady_clock::now();
}

void GlDevice::BeginQueries() {
  glBeginQuery(GL_SAMPLES_PASSED, samplesQuery_);
  for (size_t i = 0; statistics_ && i < kStatistics.size(); ++i) glBeginQuery(kStatistics[i], statisticsQueries_[i]);
}

void GlDevice::EndQueries() {
  glEndQuery(GL_SAMPLES_PASSED);
  for (size_t i = 0; statistics_ && i < kStatistics.size(); ++i) glEndQuery(kStatistics[i]);
}

}  // namespace platform::gfx
