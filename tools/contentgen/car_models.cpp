// The model set of a sample car: lofted bodies with their markers, wheels, upgrade parts and pictures.
#include "contentgen/car_models.h"

#include <cmath>
#include <functional>

#include "contentgen/animated_models.h"
#include "contentgen/car_body.h"
#include "contentgen/car_pictures.h"
#include "contentgen/car_shadow_caster.h"
#include "contentgen/mdl_writer.h"
#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

// Additive over the road, a stock car's glow must only tint the ground under it, never wash it white in daylight.
constexpr float kFactoryGlowStrength = 0.3f;

using platform::Vec3;

constexpr char kPaintReflectionPicture[] = "paint_reflect.png";
constexpr char kDamagedReflectionPicture[] = "paint_damaged_reflect.png";

// Normals of a body are shared across creases gentler than this.
constexpr float kSmoothAngle = 50.0f;

enum BodyTexture : int32_t {
  kPaintTexture, kGlassTexture, kGlassAlphaTexture, kTrimTexture, kLightsTexture, kTailTexture, kChromeTexture,
  kLogoTexture, kStripeTexture, kStripeAlphaTexture, kInteriorTexture, kPaintReflectionTexture
};

MdlMaterial Material(const std::string& name, int32_t texture, int16_t ambient, int16_t emissive, int16_t specular,
                     float glossiness) {
  MdlMaterial m;
  m.name = name;
  m.textures[0] = texture;
  // Diffuse is replaced by the light of the ground under the car while racing; ambient and a little glow of
  // its own keep a car readable on dark asphalt.
  m.colours = {255, 255, 255, ambient, ambient, ambient, specular, specular, specular, emissive, emissive, emissive};
  m.glossiness = glossiness;
  return m;
}

MdlMaterial BodyMaterialRecord(int16_t id) {
  const std::string name = BodyMaterialName(id);
  if (IsPaintMaterial(id)) {
    // The paint mirrors the car's surroundings (its environment cube) as strongly as its mask says.
    MdlMaterial paint = Material(name, kPaintTexture, 255, 40, 70, 0.8f);
    paint.textures[2] = kPaintReflectionTexture;
    return paint;
  }
  if (IsGlassMaterial(id)) {
    MdlMaterial glass = Material(name, kGlassTexture, 255, 40, 255, 0.8f);
    glass.textures[1] = kGlassAlphaTexture;
    glass.collides = 0;
    return glass;
  }
  switch (id) {
    case kHeadlights:
    case kTailLights: {
      MdlMaterial lamp = Material(name, id == kHeadlights ? kLightsTexture : kTailTexture, 255, 200, 255, 0.8f);
      lamp.lightValue = 100;  // drawn again in the self-lit pass
      lamp.collides = 0;
      return lamp;
    }
    case kChrome: return Material(name, kChromeTexture, 255, 60, 255, 0.9f);
    case kLogo: {
      MdlMaterial logo = Material(name, kLogoTexture, 255, 60, 200, 0.7f);
      logo.collides = 0;
      return logo;
    }
    case kStripe: {
      MdlMaterial stripe = Material(name, kStripeTexture, 255, 60, 190, 0.5f);
      stripe.textures[1] = kStripeAlphaTexture;
      stripe.collides = 0;
      return stripe;
    }
    case kInterior: return Material(name, kInteriorTexture, 255, 20, 40, 0.2f);
    case kTrim:
    default: return Material(name, kTrimTexture, 255, 25, 60, 0.3f);
  }
}

MarkerRecord Part(const std::string& name, const Vec3& position, const std::string& file) {
  MarkerRecord marker;
  marker.name = name;
  marker.position = position;
  marker.text = file;
  return marker;
}

// A body file: the body's materials in BodyMaterial order over the given textures; markers only where given.
MdlFile BodyFile(const CarMesh& mesh, bool damaged) {
  MdlFile file;
  file.textures = {{damaged ? "paint_damaged.png" : "paint.png", kPaintTexture},
                   {damaged ? "glass_broken.png" : "glass.png", kGlassTexture},
                   {damaged ? "glass_brokena.png" : "glassa.png", kGlassAlphaTexture},
                   {"trim.png", kTrimTexture},
                   {"lights.png", kLightsTexture},
                   {"taillights.png", kTailTexture},
                   {"chrome.png", kChromeTexture},
                   {"logo1.png", kLogoTexture},
                   {"stripe.png", kStripeTexture},
                   {"stripea.png", kStripeAlphaTexture},
                   {"interior.png", kInteriorTexture},
                   {damaged ? kDamagedReflectionPicture : kPaintReflectionPicture, kPaintReflectionTexture}};
  for (int16_t id = 0; id < kBodyMaterialCount; ++id) {
    file.materials.push_back(BodyMaterialRecord(id));
    file.materials.back().id = id;
  }
  file.objects.push_back(mesh.ToObject(kSmoothAngle));
  return file;
}

// The body's parts in car space: the tyres at the origin's height, every other point lowered with the body.
std::vector<MarkerRecord> BodyMarkers(const CarModelSpec& spec, const BodyLayout& layout) {
  const float y = spec.tyreRadius;
  std::vector<MarkerRecord> markers = {
      Part("FRONT_LEFT_TIRE", {-spec.halfTrack, y, spec.frontAxle}, kCarTyreModel),
      Part("FRONT_RIGHT_TIRE", {spec.halfTrack, y, spec.frontAxle}, kCarTyreModel),
      Part("REAR_LEFT_TIRE", {-spec.halfTrack, y, spec.rearAxle}, kCarTyreModel),
      Part("REAR_RIGHT_TIRE", {spec.halfTrack, y, spec.rearAxle}, kCarTyreModel),
      Part("COLLISION", {0, 0, 0}, kCarCollisionModel),
      Part("DRIVER", layout.driverSeat, kDriverModel),
      // Glow sizes: shares of each light kind's sprite size.
      Part("HEADLIGHT_LEFT", layout.headlights[0], "0.5"),
      Part("HEADLIGHT_RIGHT", layout.headlights[1], "0.5"),
      Part("BRAKELIGHT_LEFT", layout.brakeLights[0], "0.8"),
      Part("BRAKELIGHT_RIGHT", layout.brakeLights[1], "0.8"),
      Part("REVERSELIGHT", layout.reverseLight, "0.5"),
      Part("EXHAUST_LEFT", layout.exhausts[0], ""),
      Part("EXHAUST_RIGHT", layout.exhausts[1], ""),
      Part(kWingMount, layout.wingMount, ""),
      Part(kScoopMount, layout.scoopMount, ""),
      Part(kExhaustTipsMount, layout.exhaustTips, ""),
  };
  for (MarkerRecord& marker : markers) {
    if (marker.name != "COLLISION") marker.position.y -= OriginHeight(spec);
  }
  return markers;
}

// A mesh built on the ground, lowered into car space.
CarMesh InCarSpace(const CarModelSpec& spec, CarMesh mesh) {
  const float drop = OriginHeight(spec);
  mesh.Transform([drop](const Vec3& p) { return Vec3{p.x, p.y - drop, p.z}; });
  return mesh;
}

// The crumpled body: ends pushed in, flanks rippled inward, the roof sagging. Deterministic, every corner kept in
// its place in the order.
Vec3 Crumple(const CarModelSpec& spec, Vec3 p) {
  const float half = spec.bodyLength / 2;
  const float end = std::clamp((std::fabs(p.z) - 0.55f * half) / (0.45f * half), 0.0f, 1.0f);
  const float ripple = 0.5f + 0.5f * std::sin(p.x * 0.37f + p.y * 0.21f) * std::sin(p.z * 0.29f + p.y * 0.17f);
  p.z -= (p.z > 0 ? 1.0f : -1.0f) * (4.0f + 4.0f * ripple) * end * end;
  p.y -= 2.0f * end * end * std::clamp(p.y / spec.bodyHeight, 0.0f, 1.0f);
  const float flank = std::pow(std::clamp(std::fabs(p.x) / spec.bodyHalfWidth, 0.0f, 1.0f), 4.0f);
  p.x -= (p.x > 0 ? 1.0f : -1.0f) * (0.5f + 2.5f * ripple) * flank;
  p.y -= 3.0f * std::pow(std::clamp(p.y / spec.bodyHeight, 0.0f, 1.0f), 6.0f);
  return p;
}

// Simple files: one material per texture name, each object in its material.
MdlFile PartFile(const std::vector<std::pair<std::string, std::string>>& materials, const CarMesh& mesh) {
  MdlFile file;
  for (size_t i = 0; i < materials.size(); ++i) {
    const int32_t texture = materials[i].second.empty() ? -1 : static_cast<int32_t>(file.textures.size());
    if (texture >= 0) file.textures.push_back({materials[i].second, texture});
    file.materials.push_back(Material(materials[i].first, texture, 255, 40, 120, 0.5f));
    file.materials.back().id = static_cast<int32_t>(i);
  }
  file.objects.push_back(mesh.ToObject(kSmoothAngle));
  return file;
}

// A wheel across the x axis: tread, sidewalls and a rim disc on both faces (the rim's picture spins with it).
CarMesh TyreMesh(float radius, float halfWidth) {
  constexpr int kSides = 18;
  constexpr double kTau = 6.283185307179586;
  CarMesh mesh;
  mesh.BeginPiece();
  auto at = [&](float x, float r, int i) {
    const double a = kTau * i / kSides;
    return Vec3{x, r * static_cast<float>(std::cos(a)), r * static_cast<float>(std::sin(a))};
  };
  const float rimRadius = radius * 0.68f, inset = 0.8f;
  for (int i = 0; i < kSides; ++i) {
    const float u0 = float(i) / kSides, u1 = float(i + 1) / kSides;
    mesh.AddQuad({at(-halfWidth, radius, i), at(-halfWidth, radius, i + 1), at(halfWidth, radius, i + 1),
                  at(halfWidth, radius, i)},
                 {{u0, 0}, {u1, 0}, {u1, 1}, {u0, 1}}, 0);
    // Each face is wound to face out of its own side: the left face is the right one mirrored, so its corners
    // run the other way round, or the wheels on the car's left would show only their inside.
    for (float side : {-1.0f, 1.0f}) {
      const float face = side * halfWidth, rim = side * (halfWidth - inset);
      const int first = side > 0 ? i : i + 1, second = side > 0 ? i + 1 : i;
      const float uFirst = side > 0 ? u0 : u1, uSecond = side > 0 ? u1 : u0;
      mesh.AddQuad({at(face, radius, first), at(face, radius, second), at(rim, rimRadius, second),
                    at(rim, rimRadius, first)},
                   {{uFirst, 0.1f}, {uSecond, 0.1f}, {uSecond, 0.3f}, {uFirst, 0.3f}}, 0);
      auto uv = [&](const Vec3& p) { return std::pair{0.5f + p.y / (2 * radius), 0.5f + p.z / (2 * radius)}; };
      MeshTriangle disc;
      disc.material = 1;
      disc.corners[0] = {rim, 0, 0};
      disc.corners[1] = at(rim, rimRadius, first);
      disc.corners[2] = at(rim, rimRadius, second);
      for (int c = 0; c < 3; ++c) {
        const auto [u, v] = uv(disc.corners[c]);
        disc.uvs[c][0] = u;
        disc.uvs[c][1] = v;
      }
      mesh.AddTriangle(disc);
    }
  }
  mesh.EndPiece({0, 0, 0});
  return mesh;
}

// The rear wing: two uprights, a blade and end plates, standing on the deck (origin at its mount).
CarMesh WingMesh(const CarModelSpec& spec) {
  const float w = spec.bodyHalfWidth;
  CarMesh mesh;
  for (float side : {-1.0f, 1.0f}) {
    const float x = side * w * 0.55f;
    mesh.AddBox({x - 1, 0, -2}, {x + 1, 8, 2}, 0);
    mesh.AddBox({side > 0 ? w * 0.9f : -w * 0.93f, 5, -7}, {side > 0 ? w * 0.93f : -w * 0.9f, 12, 4}, 0);
  }
  mesh.AddBox({-w * 0.9f, 8, -7}, {w * 0.9f, 9.5f, 4}, 0);
  return mesh;
}

// A bonnet scoop: a raised box with a black mouth (origin at its mount on the bonnet).
CarMesh ScoopMesh() {
  CarMesh mesh;
  mesh.AddBox({-9, 0, -10}, {9, 3.5f, 6}, 0);
  mesh.AddBox({-7.5f, 0.6f, 5.5f}, {7.5f, 3.0f, 6.4f}, 1);
  return mesh;
}

// Large exhaust tips over the stock pipes (origin at the middle of the rear, at pipe height).
CarMesh ExhaustTipsMesh(const CarModelSpec& spec) {
  CarMesh mesh;
  for (float side : {-1.0f, 1.0f}) mesh.AddCylinderZ(side * spec.bodyHalfWidth * 0.5f, 0, -2, 4, 2.6f, 12, 0);
  return mesh;
}

// The far level: the rough shell with the four wheels moulded in as dark blocks.
CarMesh FarBody(const CarModelSpec& spec) {
  CarMesh mesh = BuildBody(spec, BodyDetail::kFar, false, nullptr);
  for (float x : {-spec.halfTrack, spec.halfTrack}) {
    for (float z : {spec.frontAxle, spec.rearAxle}) {
      mesh.AddBox({x - spec.tyreWidth / 2, 0, z - spec.tyreRadius * 0.9f},
                  {x + spec.tyreWidth / 2, spec.tyreRadius * 2, z + spec.tyreRadius * 0.9f}, kTrim);
    }
  }
  return mesh;
}

uint32_t PreviewColour(const CarModelSpec& spec, int16_t material) {
  if (IsPaintMaterial(material)) return spec.paintArgb;
  if (IsGlassMaterial(material)) return 0xFF304860;
  switch (material) {
    case kHeadlights: return 0xFFFFF6D0;
    case kTailLights: return 0xFFD02020;
    case kChrome: return 0xFFC8CCD4;
    case kLogo: return 0xFFE0E0E0;
    default: return 0xFF303030;
  }
}

bool WritePicture(const std::string& path, const PictureData& picture) { return WritePng(path, picture, false); }

bool WriteCarPictures(const std::string& folder, const CarModelSpec& spec) {
  const PictureData paint = PaintPicture(spec.paintArgb);
  const PictureData scraped = ScrapedPaintPicture();
  return WritePicture(folder + "paint.png", paint) &&
         WritePicture(folder + kPaintReflectionPicture, PaintReflectionAlpha(paint)) &&
         WritePicture(folder + "paint_damaged.png", scraped) &&
         WritePicture(folder + kDamagedReflectionPicture, PaintReflectionAlpha(scraped)) &&
         WritePicture(folder + "glass.png", GlassPicture()) && WritePicture(folder + "glassa.png", GlassAlpha()) &&
         WritePicture(folder + "glass_broken.png", BrokenGlassPicture()) &&
         WritePicture(folder + "glass_brokena.png", BrokenGlassAlpha()) &&
         WritePicture(folder + "trim.png", TrimPicture()) && WritePicture(folder + "interior.png", InteriorPicture()) &&
         WritePicture(folder + "chrome.png", ChromePicture()) &&
         WritePicture(folder + "lights.png", LampPicture(false)) &&
         WritePicture(folder + "taillights.png", LampPicture(true)) &&
         WritePicture(folder + "logo1.png", BadgePicture(0xFF202880)) &&
         WritePicture(folder + "logo2.png", BadgePicture(0xFFB01818)) &&
         WritePicture(folder + "stripe.png", StripePicture(0xFFFFFFFF)) &&
         WritePicture(folder + "stripea.png", StripeAlpha(false)) &&
         WritePicture(folder + "tyre.png", TyrePicture()) &&
         WritePicture(folder + "rim.png", RimPicture(0xFFB8BCC4, 5)) &&
         WritePicture(folder + "rim_sport.png", RimPicture(0xFFD8B040, 10)) &&
         WritePicture(folder + "carbon.png", CarbonPicture()) &&
         WritePicture(folder + kCarShadowPicture, ShadowPicture()) &&
         WritePicture(folder + kCarShadowAlphaPicture, ShadowAlpha(spec)) &&
         WritePicture(folder + kCarHeadlightPicture, HeadlightPicture()) &&
         WritePicture(folder + kCarNeonPicture, NeonPicture(spec, spec.neonArgb, kFactoryGlowStrength));
}

}  // namespace

bool WriteCarModels(const std::string& carFolder, const CarModelSpec& spec) {
  BodyLayout layout, kitLayout;
  const CarMesh groundBody = BuildBody(spec, BodyDetail::kFull, false, &layout);
  const CarMesh groundKit = BuildBody(spec, BodyDetail::kFull, true, &kitLayout);
  CarMesh damaged = groundBody;
  damaged.Transform([&](const Vec3& p) { return Crumple(spec, p); });
  const CarMesh body = InCarSpace(spec, groundBody), kit = InCarSpace(spec, groundKit);

  MdlFile bodyFile = BodyFile(body, false);
  bodyFile.markers = BodyMarkers(spec, layout);
  MdlFile kitFile = BodyFile(kit, false);
  kitFile.markers = BodyMarkers(spec, kitLayout);

  MdlFile shadow;
  shadow.materials = {Material("SHADOW", -1, 255, 0, 0, 0.2f)};
  // The caster stands inside the drawn body: what lies inside its volume, the body's own skin included, is shaded,
  // so any part of it outside the body would darken the road and the paint around the car in its own shape.
  shadow.objects.push_back(InCarSpace(spec, BuildShadowCaster(spec)).ToObject(0));
  MdlFile hull;
  hull.materials = {Material("HULL", -1, 255, 0, 0, 0.2f)};
  // The hull follows the body's rough shape, so other cars meet its tapered nose and tail, its bonnet and its
  // glasshouse rather than the square box around them. It is not lowered with the drawn body: it reaches from the
  // wheels' centres (about the body's floor) to a wheel's radius over the roof, where the cars' contacts with
  // walls, kerbs and each other have always been tested and their racing is tuned.
  hull.objects.push_back(BuildHull(spec).ToObject(0));

  const CarMesh tyre = TyreMesh(spec.tyreRadius, spec.tyreWidth / 2);
  const auto preview = SideViewPicture(groundKit, 128, 112, [&](int16_t m) { return PreviewColour(spec, m); },
                                       spec.tyreRadius, spec.frontAxle, spec.rearAxle);
  return WriteMdl(carFolder + kCarBodyModel, bodyFile) && WriteMdl(carFolder + kCarKitModel, kitFile) &&
         WriteMdl(carFolder + kCarDamagedModel, BodyFile(InCarSpace(spec, damaged), true)) &&
         WriteMdl(carFolder + kCarLodModel,
                  BodyFile(InCarSpace(spec, BuildBody(spec, BodyDetail::kMiddle, false, nullptr)), false)) &&
         WriteMdl(carFolder + kCarFarLodModel, BodyFile(InCarSpace(spec, FarBody(spec)), false)) &&
         WriteMdl(carFolder + kCarShadowModel, shadow) && WriteMdl(carFolder + kCarCollisionModel, hull) &&
         WriteMdl(carFolder + kCarTyreModel, PartFile({{"TYRE", "tyre.png"}, {"RIM", "rim.png"}}, tyre)) &&
         WriteMdl(carFolder + kCarSportTyreModel, PartFile({{"TYRE", "tyre.png"}, {"RIM", "rim_sport.png"}}, tyre)) &&
         WriteMdl(carFolder + kCarWingModel, PartFile({{"WING", "carbon.png"}}, WingMesh(spec))) &&
         WriteMdl(carFolder + kCarScoopModel, PartFile({{"SCOOP", "carbon.png"}, {"MOUTH", "trim.png"}}, ScoopMesh())) &&
         WriteMdl(carFolder + kCarExhaustTipsModel, PartFile({{"TIPS", "chrome.png"}}, ExhaustTipsMesh(spec))) &&
         WritePng(carFolder + kCarKitPreviewPicture, preview, false) && WriteCarPictures(carFolder, spec) &&
         WriteDriverModel(carFolder);
}

}  // namespace contentgen
