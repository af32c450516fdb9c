// The stencil shadow caster of a sample car: closed pieces standing a little inside the drawn body.
#pragma once

#include "contentgen/car_mesh.h"
#include "contentgen/car_models.h"

namespace contentgen {

// The stencil shadow caster: the body's shape (lower body, a bed's or cockpit's walls, a closed glasshouse) as
// closed pieces standing a little inside the body's skin, on the ground like the body. Its shadow reads as the
// car's, and the volume it sweeps never shades the air around the body or the body's own skin in a shape of its
// own.
CarMesh BuildShadowCaster(const CarModelSpec& spec);

}  // namespace contentgen
