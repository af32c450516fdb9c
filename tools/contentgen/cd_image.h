// Audio CD images (a BIN file of raw 2352-byte sectors and the CUE sheet that names its tracks), for the tests
// and tools that play music from a CD without a drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

struct CdImageTrack {
  std::vector<int16_t> frames;  // 44.1 kHz interleaved stereo; padded with silence to whole sectors
  bool audio = true;            // false: a data track (MODE1/2352) of frames.size() / 2 / 588 zeroed sectors
};

// A steady sine tone: `seconds` of 44.1 kHz stereo at `amplitude` (16-bit units), starting at phase 0.
std::vector<int16_t> CdTone(double hertz, double seconds, int amplitude);

// Writes `base`.bin and `base`.cue; with cutAtSector >= 0 the BIN file stops after that many sectors (an image
// cut short), while the CUE sheet still names every track. Returns the CUE file's path, empty on failure.
std::string WriteCdImage(const std::string& base, const std::vector<CdImageTrack>& tracks, int cutAtSector = -1);

// The sector each track starts at in an image WriteCdImage lays out.
std::vector<int> CdImageTrackSectors(const std::vector<CdImageTrack>& tracks);

}  // namespace contentgen
