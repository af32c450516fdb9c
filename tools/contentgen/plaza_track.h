// The plaza circuit: a test track that ships without a collision file. The race drives it on its scene alone:
// surfaces from the scene's materials, the racing line from its path record, the grid, flares, sky boxes and
// sound from its markers (its light nodes hold only the sun).
#pragma once

#include <string>

#include "contentgen/sample_tracks.h"

namespace contentgen {

// As the race list names it.
constexpr const char* kPlazaTrackScene = "TRACKS\\PLAZA\\plaza.SCN";

TrackDesign BuildPlazaTrack();
// Writes the circuit below the game folder without its collision file.
bool WritePlazaTrack(const std::string& gameFolder);

}  // namespace contentgen
