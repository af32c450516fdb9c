// BIN/CUE writing: tracks laid end to end in one BIN file, each starting on a sector boundary.
#include "contentgen/cd_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace contentgen {
namespace {

constexpr int kSectorBytes = 2352;
constexpr int kFramesPerSector = kSectorBytes / 4;
constexpr int kSectorsPerSecond = 75;
constexpr int kRate = 44100;

int SectorsOf(const CdImageTrack& track) {
  const size_t frames = track.frames.size() / 2;
  return static_cast<int>((frames + kFramesPerSector - 1) / kFramesPerSector);
}

std::string Msf(int sector) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", sector / (kSectorsPerSecond * 60),
                (sector / kSectorsPerSecond) % 60, sector % kSectorsPerSecond);
  return text;
}

}  // namespace

std::vector<int16_t> CdTone(double hertz, double seconds, int amplitude) {
  const auto frames = static_cast<size_t>(std::lround(seconds * kRate));
  std::vector<int16_t> samples(frames * 2);
  for (size_t f = 0; f < frames; ++f) {
    const double value = amplitude * std::sin(2.0 * 3.14159265358979323846 * hertz * static_cast<double>(f) / kRate);
    samples[2 * f] = samples[2 * f + 1] = static_cast<int16_t>(std::lround(value));
  }
  return samples;
}

std::vector<int> CdImageTrackSectors(const std::vector<CdImageTrack>& tracks) {
  std::vector<int> starts;
  int sector = 0;
  for (const CdImageTrack& track : tracks) {
    starts.push_back(sector);
    sector += SectorsOf(track);
  }
  return starts;
}

std::string WriteCdImage(const std::string& base, const std::vector<CdImageTrack>& tracks, int cutAtSector) {
  const std::string binPath = base + ".bin";
  const std::string cuePath = base + ".cue";
  std::vector<char> bin;
  for (const CdImageTrack& track : tracks) {
    const size_t start = bin.size();
    bin.resize(start + static_cast<size_t>(SectorsOf(track)) * kSectorBytes, 0);
    if (!track.audio) continue;
    for (size_t i = 0; i < track.frames.size(); ++i) {
      const auto value = static_cast<uint16_t>(track.frames[i]);
      bin[start + 2 * i] = static_cast<char>(value & 0xff);  // CD audio is little-endian
      bin[start + 2 * i + 1] = static_cast<char>(value >> 8);
    }
  }
  if (cutAtSector >= 0) bin.resize(std::min(bin.size(), static_cast<size_t>(cutAtSector) * kSectorBytes));
  std::string cue = "FILE \"" + std::filesystem::path(binPath).filename().string() + "\" BINARY\n";
  const std::vector<int> starts = CdImageTrackSectors(tracks);
  for (size_t t = 0; t < tracks.size(); ++t) {
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02d %s\n", static_cast<int>(t + 1), tracks[t].audio ? "AUDIO" : "MODE1/2352");
    cue += line;
    cue += "    INDEX 01 " + Msf(starts[t]) + "\n";
  }
  std::ofstream binFile(binPath, std::ios::binary | std::ios::trunc);
  binFile.write(bin.data(), static_cast<std::streamsize>(bin.size()));
  std::ofstream cueFile(cuePath, std::ios::trunc);
  cueFile << cue;
  if (!binFile || !cueFile) {
    std::printf("contentgen: cannot write the CD image %s\n", cuePath.c_str());
    return "";
  }
  return cuePath;
}

}  // namespace contentgen
