// The shape of a sample car's body as the lofted body, the collision hull and the stencil shadow caster read it:
// a few key cross-sections per shape, the cross-section at any point along the body, and its outline.
#pragma once

#include <array>
#include <vector>

#include "contentgen/car_body.h"
#include "contentgen/car_models.h"
#include "platform/math/types.h"

namespace contentgen::car_shape {

// One key cross-section of the lower body. t runs from -1 (rear) to 1 (front) along the body; heights are
// shares of the body height, widths shares of the half width; crown is in inches; well < 0 for a closed top,
// else the height share of an open bed or cockpit floor.
struct KeySection {
  float t, halfWidth, bottom, shoulder, top, topWidth, crown, well;
};

enum class Pane { kWindscreen, kSideGlass, kPillar, kRearWindow };

// One key section of the glasshouse, front to rear; roof < 0 sits flat on the body (the foot of a windscreen or
// rear window). pane is the kind of the stretch from this section to the next.
struct CabinSection {
  float t, roof, baseWidth, roofWidth;
  Pane pane;
};

struct ShapeTable {
  std::vector<KeySection> body;
  std::vector<CabinSection> cabin;
  float roofCrown = 2;
};

ShapeTable Table(CarShape shape);

// A cross-section in inches.
struct Section {
  float z, halfWidth, bottom, shoulder, top, topWidth, crown, well;
  bool open() const { return well >= 0; }
};

struct Body {
  const CarModelSpec& spec;
  ShapeTable table;
  bool kit;
  float half() const { return spec.bodyLength / 2; }

  // The section at a point along the body, from the key sections, the wheel arches and the kit.
  Section At(float z, bool arches) const;
  // Where the sections stand along the body: every key, evenly between them, and closely over the arches.
  std::vector<float> Stations(BodyDetail detail) const;
};

// The right half of a section, from the bottom centre to the top centre: nine points (x >= 0, y).
std::array<platform::Vec3, 9> HalfRing(const Section& s);
// Height of the lower body's top at a point across a section.
float TopAt(const Section& s, float x);
// x of the section's outer side at height y, from the floor's outer corner up to the top edge.
float OuterX(const Section& s, float y);

}  // namespace contentgen::car_shape
