// The track outline model the career and contest race screens draw as a minimap: the city circuit's centreline
// as the one path of "TRACKS/CITY/city.MDL", beside the circuit's scene file.
#pragma once

#include <string>

#include "contentgen/mdl_writer.h"

namespace contentgen {

// Points of the outline path along the circuit's centreline.
inline constexpr int kOutlinePathPoints = 400;

// A model with no objects and one closed path around the circuit.
MdlFile BuildTrackOutlineModel();
// Writes TRACKS/CITY/city.MDL below gameFolder; false with a printed line on failure.
bool WriteMenuScreensContent(const std::string& gameFolder);

}  // namespace contentgen
