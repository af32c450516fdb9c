// The pictures of a sample car: paint, glass, trim, lights, wheels, the crash-damaged surfaces, the ground
// shadow and neon glow laid on the grid under the car, the headlight beam thrown on the road, paint swatches
// and a side view of a body for the garage.
#pragma once

#include <cstdint>
#include <functional>

#include "contentgen/car_mesh.h"
#include "contentgen/car_models.h"
#include "contentgen/png_writer.h"

namespace contentgen {

// Paint: a colour shaded lighter toward the top of the body (v runs down the body).
PictureData PaintPicture(uint32_t argb);
// Bare metal showing through scraped paint.
PictureData ScrapedPaintPicture();
// Tinted glass and its alpha; shattered glass and its alpha.
PictureData GlassPicture();
PictureData GlassAlpha();
PictureData BrokenGlassPicture();
PictureData BrokenGlassAlpha();
PictureData TrimPicture();
PictureData InteriorPicture();
PictureData ChromePicture();
// Lamp lenses: white for the headlights, red for the tail lights.
PictureData LampPicture(bool tail);
// A badge in the given colour on a chrome ring.
PictureData BadgePicture(uint32_t argb);
// Twin racing stripes; a fully clear alpha for a body without them.
PictureData StripePicture(uint32_t argb);
PictureData StripeAlpha(bool visible);
PictureData TyrePicture();
// A wheel rim with `spokes` spokes in the given colour.
PictureData RimPicture(uint32_t argb, int spokes);
PictureData CarbonPicture();
// A uniform opaque picture (any colour; alpha pictures read their green channel).
PictureData FlatPicture(uint32_t argb, uint32_t size = 8);
// A paint's alpha picture: the share of its surroundings the paint mirrors. It has the paint picture's size, for
// the game merges an alpha picture only into a colour picture of its own size and leaves a mismatched one fully
// opaque, which would make the paint mirror everything.
PictureData PaintReflectionAlpha(const PictureData& paint);

// The ground grid under a car spans the body plus 15 inches each side and 10 inches fore and aft. The shadow is
// dark with an alpha that fades out from the body's outline; the neon is an additive glow around it.
PictureData ShadowPicture();
PictureData ShadowAlpha(const CarModelSpec& spec);
// The glow under a car in the colour given; strength scales it (the factory glow is a faint one, bought neon is
// full strength).
PictureData NeonPicture(const CarModelSpec& spec, uint32_t argb, float strength = 1.0f);
// The headlight pool thrown ahead of the car: black where no light falls.
PictureData HeadlightPicture();
// A garage colour swatch (the size of the swatch alpha picture).
PictureData SwatchPicture(uint32_t argb);

// A side view of a mesh seen from the right, on the magenta key colour, each material shaded in its colour.
PictureData SideViewPicture(const CarMesh& mesh, uint32_t width, uint32_t height,
                            const std::function<uint32_t(int16_t material)>& colourOf, float tyreRadius,
                            float frontAxle, float rearAxle);

}  // namespace contentgen
