// Glowing lights as camera-facing additive sprites: street-light flares and the brake, head, reverse and corona
// lights of the cars, in 7 colour groups × 5 slots, each with a normal, a road-reflection and a light-trail image.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/effects/effect_vertex.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;

constexpr int kGlowColourCount = 7;  // red, yellow, blue, white, green, orange, purple
constexpr int kGlowSlotCount = 5;    // street-light flare, brake, head, reverse, corona
constexpr int kGlowImageCount = kGlowColourCount * kGlowSlotCount;
// Distance in front of the near plane (world units) at which glows reach full growth and fade out.
constexpr float kGlowFadeDistance = 15000.0f;

enum GlowSlot : int32_t { kGlowFlare = 0, kGlowBrake, kGlowHead, kGlowReverse, kGlowCorona };

// Index colour × 5 + slot; empty: no image for that batch in that pass.
extern const std::array<const char*, kGlowImageCount> GlowFrontTextureNames;
extern const std::array<const char*, kGlowImageCount> GlowReflectionTextureNames;
extern const std::array<const char*, kGlowImageCount> GlowBlurTextureNames;

struct GlowSlotConstants {
  float size;        // quad side, world units
  float growth;      // added to the scale at full distance
  bool alphaFade;    // fades with distance
  int minimumDetail; // GLOWDETAIL needed
};
extern const std::array<GlowSlotConstants, kGlowSlotCount> GlowSlotTable;

// 0 red for "_RED", else 1 "_YELLOW", 2 "_BLUE", 3 "_WHITE", 4 "_GREEN", 5 "_ORANGE", 6 "_PURPLE", tested in that
// order anywhere in the name; 0 when none matches.
int GlowColourFromName(const std::string& name);

// One glow; its creator keeps the pointer and may change any field between frames, and sets expired to have
// it freed at the next update.
struct GlowPoint {
  Vec3 position;
  float scale = 1.0f;
  float rotation = 0;  // degrees
  float alpha = 255.0f;
  float frameTime = 0;
  bool visible = true;
  bool expired = false;
};
static_assert(sizeof(GlowPoint) == 32);

class GlowBatch {
 public:
  GlowBatch(platform::gfx::Device* device, const app::Settings* batchSettings, float quadSize, float growthRate,
            bool fades, uint32_t gridSide, float secondsPerFrame);
  ~GlowBatch() { Release(); }
  GlowBatch(const GlowBatch&) = delete;
  GlowBatch& operator=(const GlowBatch&) = delete;

  // The batch's quad: a managed buffer of four vertices, a fan of side `size` at depth -3 over one flip-book cell,
  // opaque white. The batch is ready only once it is written; a failure leaves it not ready. Made by the
  // constructor; a second call keeps the quad there is.
  void CreateBuffer(platform::gfx::Device* device);
  // Lists the point only when the batch is ready; returns whether it took ownership.
  bool AddPoint(std::unique_ptr<GlowPoint>& point);
  // Counts and animates the points and frees the expired ones.
  void Update(float dt);
  uint32_t Count() const { return static_cast<uint32_t>(points.size()); }
  // Camera-facing sprites that grow, spin and fade with the distance in front of the frustum's near plane.
  void Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  // Tall unrotated streaks for the reflection on a wet road.
  void DrawMirrored(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  void Release();

  const app::Settings* settings;
  uint32_t pointCount = 0;
  uint32_t grid;
  uint32_t frames;
  float size;
  float uvStep;
  float framePeriod;
  float growth;
  bool ready = false;
  bool animated;
  bool alphaFade;
  std::list<std::unique_ptr<GlowPoint>> points;
  platform::gfx::VertexBuffer* quad = nullptr;
  SpriteBatch sprites;  // the quads of one draw

 private:
  void DrawPoints(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum, bool mirrored);
};

class GlowTrailSystem {
 public:
  GlowTrailSystem(platform::gfx::Device* device, ResourceManager* resourceManager, const app::Settings* systemSettings);
  ~GlowTrailSystem() { DestroyGlowTrails(); }
  GlowTrailSystem(const GlowTrailSystem&) = delete;
  GlowTrailSystem& operator=(const GlowTrailSystem&) = delete;

  void LoadGlowImages(platform::gfx::Device* device);
  // A new glow in batch (colour, slot). The pointer stays valid until the glow is marked expired and the next
  // update runs (or until the system is destroyed); a glow its batch cannot draw (not ready, or slot or colour
  // out of range) is kept aside and never drawn.
  GlowPoint* AddGlowTrailPoint(const Vec3& position, int32_t slot, float scale, int32_t colour);
  void UpdateGlowTrails(float dt);
  // The frustum (or null) culls the glows and gives their distance.
  void DrawGlowTrails(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  void DrawReflection(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  // Into the light-trail capture.
  void DrawSecondPass(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  void DestroyGlowTrails();
  void ReleaseGlowImages();

  GlowBatch* Batch(int32_t colour, int32_t slot) const;

  const app::Settings* settings;
  ResourceManager* resources;
  bool fogEnabled = true;
  std::array<std::vector<std::unique_ptr<GlowBatch>>, kGlowColourCount> batches;
  std::array<std::vector<ImageResource*>, kGlowColourCount> frontImages;
  std::array<std::vector<ImageResource*>, kGlowColourCount> reflectionImages;
  std::array<std::vector<ImageResource*>, kGlowColourCount> blurImages;

 private:
  enum class Pass { kNormal, kReflection, kCapture };
  void DrawPass(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum, Pass pass);
  std::list<std::unique_ptr<GlowPoint>> undrawnPoints_;
};

}  // namespace render
