// The sample circuits beside the city: a downtown street grid, harbour docks with a jump ramp and a canal route
// over humpback bridges. Each is built on a TrackBuilder with the material set every circuit shares: a surface
// of every kind the race knows, walls, facades and scenery.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/sky_box.h"
#include "contentgen/track_builder.h"
#include "contentgen/track_sounds.h"

namespace contentgen {

// Material slots every sample circuit has. The first group collides; its names start with their surface.
struct TrackMaterials {
  int16_t road, roughRoad, cobbles, planks, tramRails, dirt, ruts, gravel, grass, rocks, water, ice, kerb, ramp;
  int16_t shopfront, barrier, brick, stone, hazard, rampSide;
  // Scenery the cars never reach.
  int16_t facade, roof, container, ground, paving, startLine;
};

// Colours that give each circuit its own look.
struct TrackLook {
  uint32_t roadGrey = 78;
  uint32_t cobbleStone = 0xFF8C8478u;
  uint32_t wood = 0xFF8A6238u;
  uint32_t earth = 0xFF7A5A3Au;
  uint32_t water = 0xFF1E4C7Au;
  uint32_t concreteGrey = 150;
};
TrackMaterials AddTrackMaterials(TrackBuilder& builder, const TrackLook& look);

// A circuit ready to write: its geometry and records, its sky, the sounds its SOUND nodes name and the level its
// water mirrors at.
struct TrackDesign {
  std::string folder;  // below the game folder, "TRACKS/DOCKS"
  std::string base;    // file names' stem, "docks"
  TrackBuilder builder;
  SkyLook sky;
  std::vector<TrackSound> sounds;
  float waterLevel = 0;
};

TrackDesign BuildDowntownTrack();
TrackDesign BuildDocksTrack();
TrackDesign BuildCanalTrack();

// The scene path a race list names for a design: "TRACKS\DOCKS\docks.SCN".
std::string TrackScenePath(const TrackDesign& design);
// Adds the SUN light, the sky-box nodes and writes every file of the design (scene, collision, mirror, outline,
// pictures, sky boxes, sounds).
bool WriteTrackDesign(const std::string& gameFolder, TrackDesign& design);
// Writes the three sample circuits below the game folder.
bool WriteSampleTracks(const std::string& gameFolder);

}  // namespace contentgen
