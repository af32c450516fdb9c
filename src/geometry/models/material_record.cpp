// Handing a file's material values to a material image.
#include "geometry/models/material_record.h"

#include "render/resources/image_resource.h"

namespace geometry {

namespace {
void SetRgb(platform::ColorValue& colour, const platform::Vec3& rgb) {
  colour.r = rgb.x;
  colour.g = rgb.y;
  colour.b = rgb.z;
}
}  // namespace

void ApplyMaterialRecord(render::ImageResource& image, const MaterialRecord& record) {
  image.lightValue = record.lightValue;
  SetRgb(image.material.diffuse, record.diffuse);
  SetRgb(image.material.ambient, record.ambient);
  SetRgb(image.material.specular, record.specular * record.specularLevel);
  SetRgb(image.material.emissive, record.emissive);
  image.material.power = record.glossiness * 100.0f;
  for (int stage = 0; stage < 2; ++stage) {
    const TextureAnimation& animation = record.animation[stage];
    if (animation.hasGrid && animation.columns > 0 && animation.rows > 0) {
      image.SetImageAnimation(stage, static_cast<uint32_t>(animation.columns), static_cast<uint32_t>(animation.rows),
                              animation.frameSeconds);
    }
    if (animation.hasScroll) image.QueueImageAnimation(stage, animation.scrollU, animation.scrollV);
  }
}

}  // namespace geometry
