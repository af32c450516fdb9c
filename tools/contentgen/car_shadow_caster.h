// The stencil shadow caster of a sample car: one closed hull standing a little inside the drawn body.
#pragma once

#include "contentgen/car_mesh.h"
#include "contentgen/car_models.h"

namespace contentgen {

// The stencil shadow caster: the body's outline seen from above and from the side (the lower body, solid up to
// the floor of an open bed or cockpit, and a closed glasshouse) as one closed hull standing a little inside the
// body's skin, on the ground like the body. Its shadow reads as the car's with no seam, and the volume it sweeps
// never shades the air around the body or the body's own skin in a shape of its own.
CarMesh BuildShadowCaster(const CarModelSpec& spec);

}  // namespace contentgen
