// Pictures of the sample circuits, drawn from patterns: road and ground surfaces, walls, facades and fittings.
// Walls map the picture's top row to the top of the wall; road pictures run along v.
#pragma once

#include <cstdint>

#include "contentgen/png_writer.h"

namespace contentgen::track_pictures {

PictureData Road(uint32_t grey);               // asphalt, white edge lines, dashed centre line
PictureData Asphalt(uint32_t grey, bool patched);
PictureData Cobbles(uint32_t stone);
PictureData Planks(uint32_t wood);             // boards across the road
PictureData TramRails();                       // asphalt with two steel rails along the road
PictureData Dirt(uint32_t earth, bool rutted);
PictureData Gravel();
PictureData Grass();
PictureData Rocks();
PictureData Snow();
PictureData Water(uint32_t deep);
PictureData Concrete(uint32_t grey);           // slabs with joints
PictureData Paving();                          // pavement flags
PictureData Kerb();                            // red and white blocks
PictureData Chequer();                         // the start line
PictureData Shopfront();                       // ground floor: sign band, windows, doors
PictureData Facade(uint32_t seed);             // pale upper floors with windows, tinted by the geometry
PictureData Brick();
PictureData Barrier();                         // concrete with a band of red and white blocks
PictureData Hazard();                          // yellow and black stripes
PictureData Container();                       // pale corrugated steel, tinted by the geometry
PictureData Stone();                           // quay and bridge blocks
PictureData Roof();

}  // namespace contentgen::track_pictures
