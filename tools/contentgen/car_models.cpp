// The model set of a sample car, built from boxes and wheel prisms.
#include "contentgen/car_models.h"

#include <functional>

#include "contentgen/animated_models.h"
#include "contentgen/mdl_writer.h"
#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

using platform::Vec3;

enum CarMaterial : int16_t { kPaint = 0, kGlass = 1, kLights = 2, kLogo = 3 };
enum CarTexture : int32_t { kPaintPicture = 0, kGlassPicture = 1, kGlassAlpha = 2, kLightsPicture = 3, kLogoPicture = 4 };

MdlMaterial CarMaterialRecord(const std::string& name, int32_t id, int32_t colour) {
  MdlMaterial material;
  material.name = name;
  material.id = id;
  material.textures[0] = colour;
  return material;
}

MarkerRecord Part(const std::string& name, const Vec3& position, const std::string& file) {
  MarkerRecord marker;
  marker.name = name;
  marker.position = position;
  marker.text = file;
  return marker;
}

// The body's objects; bend moves each position (identity for the clean body, dents for the damaged one), so
// both bodies have the same positions in the same order.
MdlFile BodyFile(const CarModelSpec& spec, const std::function<Vec3(Vec3)>& bend) {
  MdlFile file;
  file.textures = {{"body.png", kPaintPicture}, {"glass.png", kGlassPicture}, {"glassa.png", kGlassAlpha},
                   {"lights.png", kLightsPicture}, {"logo1.png", kLogoPicture}};
  MdlMaterial paint = CarMaterialRecord("PAINT", kPaint, kPaintPicture);
  paint.glossiness = 0.6f;
  MdlMaterial glass = CarMaterialRecord("GLASS", kGlass, kGlassPicture);
  glass.textures[1] = kGlassAlpha;
  MdlMaterial lights = CarMaterialRecord("LIGHTS", kLights, kLightsPicture);
  lights.lightValue = 100;  // drawn again in the self-lit pass
  lights.collides = 0;
  MdlMaterial logo = CarMaterialRecord("LOGO1", kLogo, kLogoPicture);
  logo.collides = 0;
  file.materials = {paint, glass, lights, logo};

  const float w = spec.bodyHalfWidth, halfLength = spec.bodyLength / 2, h = spec.bodyHeight;
  const float sill = spec.tyreRadius * 0.6f, waist = h * 0.6f;
  MdlObject body = BoxObject({-w, sill, -halfLength}, {w, waist, halfLength}, kPaint);
  AppendObject(body, BoxObject({-w * 0.85f, waist, -halfLength * 0.45f}, {w * 0.85f, h, halfLength * 0.35f}, kGlass));
  AppendObject(body, BoxObject({-w * 0.8f, waist * 0.7f, halfLength}, {-w * 0.5f, waist * 0.9f, halfLength + 1}, kLights));
  AppendObject(body, BoxObject({w * 0.5f, waist * 0.7f, halfLength}, {w * 0.8f, waist * 0.9f, halfLength + 1}, kLights));
  AppendObject(body, BoxObject({-w * 0.3f, waist, halfLength * 0.5f}, {w * 0.3f, waist + 0.5f, halfLength * 0.8f}, kLogo));
  for (Vec3& position : body.positions) position = bend(position);
  file.objects.push_back(std::move(body));

  const float tyreY = spec.tyreRadius;
  file.markers = {
      Part("FRONT_LEFT_TIRE", {-spec.halfTrack, tyreY, spec.frontAxle}, kCarTyreModel),
      Part("FRONT_RIGHT_TIRE", {spec.halfTrack, tyreY, spec.frontAxle}, kCarTyreModel),
      Part("REAR_LEFT_TIRE", {-spec.halfTrack, tyreY, spec.rearAxle}, kCarTyreModel),
      Part("REAR_RIGHT_TIRE", {spec.halfTrack, tyreY, spec.rearAxle}, kCarTyreModel),
      Part("COLLISION", {0, 0, 0}, kCarCollisionModel),
      Part("DRIVER", {-w * 0.4f, sill + 4, -halfLength * 0.1f}, kDriverModel),
      Part("HEADLIGHT_LEFT", {-w * 0.65f, waist * 0.8f, halfLength + 1}, "1.0"),
      Part("HEADLIGHT_RIGHT", {w * 0.65f, waist * 0.8f, halfLength + 1}, "1.0"),
      Part("BRAKELIGHT_LEFT", {-w * 0.65f, waist * 0.8f, -halfLength - 1}, "0.8"),
      Part("BRAKELIGHT_RIGHT", {w * 0.65f, waist * 0.8f, -halfLength - 1}, "0.8"),
      Part("REVERSELIGHT", {0, waist * 0.8f, -halfLength - 1}, "0.5"),
      Part("EXHAUST_LEFT", {-w * 0.5f, sill, -halfLength - 2}, ""),
      Part("EXHAUST_RIGHT", {w * 0.5f, sill, -halfLength - 2}, ""),
  };
  return file;
}

// One plain material and one object.
MdlFile SingleObjectFile(const std::string& materialName, const std::string& picture, MdlObject object) {
  MdlFile file;
  if (!picture.empty()) file.textures = {{picture, 0}};
  file.materials = {CarMaterialRecord(materialName, 0, picture.empty() ? -1 : 0)};
  file.objects.push_back(std::move(object));
  return file;
}

bool WritePicture(const std::string& path, uint32_t argb, bool withAlpha = false) {
  PictureData picture(8, 8);
  picture.Fill(argb);
  return WritePng(path, picture, withAlpha);
}

}  // namespace

bool WriteCarModels(const std::string& carFolder, const CarModelSpec& spec) {
  const float halfLength = spec.bodyLength / 2;
  auto clean = [](Vec3 p) { return p; };
  // The damaged body: the front and rear crushed inward by a tenth, the roof pushed down.
  auto dented = [&](Vec3 p) {
    if (p.z > halfLength * 0.6f || p.z < -halfLength * 0.6f) p.z *= 0.9f;
    if (p.y > spec.bodyHeight * 0.9f) p.y -= 3.0f;
    return p;
  };
  const float w = spec.bodyHalfWidth;
  MdlFile lod = SingleObjectFile("PAINT", "body.png",
                                 BoxObject({-w, spec.tyreRadius * 0.6f, -halfLength}, {w, spec.bodyHeight, halfLength}, 0));
  return WriteMdl(carFolder + kCarBodyModel, BodyFile(spec, clean)) &&
         WriteMdl(carFolder + kCarDamagedModel, BodyFile(spec, dented)) &&
         WriteMdl(carFolder + kCarShadowModel,
                  SingleObjectFile("SHADOW", "", BoxObject({-w, 4, -halfLength}, {w, spec.bodyHeight, halfLength}, 0))) &&
         WriteMdl(carFolder + kCarCollisionModel,
                  SingleObjectFile("HULL", "", BoxObject({-w, 0, -halfLength}, {w, spec.bodyHeight, halfLength}, 0))) &&
         WriteMdl(carFolder + kCarTyreModel,
                  SingleObjectFile("TYRE", "tyre.png", WheelObject(spec.tyreRadius, spec.tyreWidth / 2, 16, 0))) &&
         WriteMdl(carFolder + kCarLodModel, lod) && WritePicture(carFolder + "body.png", spec.paintArgb) &&
         WritePicture(carFolder + "glass.png", 0xFF203040) && WritePicture(carFolder + "glassa.png", 0xFF808080) &&
         WritePicture(carFolder + "lights.png", 0xFFFFFFE0) && WritePicture(carFolder + "logo1.png", 0xFFFFFFFF) &&
         WritePicture(carFolder + "logo2.png", 0xFF000000) && WritePicture(carFolder + "tyre.png", 0xFF202020) &&
         WriteDriverModel(carFolder);
}

}  // namespace contentgen
