// Looping sounds placed along the sample tracks: water, traffic, harbour and works, synthesised.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

enum class TrackSound { kFountain, kWaves, kFoghorn, kWeir, kTraffic, kWorks };

// File name the track's SOUND nodes give for the sound.
const char* TrackSoundFile(TrackSound sound);
// One seamless loop of the sound, 22050 samples a second.
std::vector<int16_t> TrackSoundLoop(TrackSound sound);
// Writes the sound into folder (ending in its separator); false with a printed line on failure.
bool WriteTrackSound(const std::string& folder, TrackSound sound);

}  // namespace contentgen
