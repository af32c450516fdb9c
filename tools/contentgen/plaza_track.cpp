// The plaza circuit: a rounded rectangle around a paved square with a fountain, grass on the bends and a dirt
// straight, written without its collision file.
#include "contentgen/plaza_track.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

const std::vector<TrackCorner> kCorners = {
    {4500, -2500, 1300}, {4500, 2500, 1300}, {-4500, 2500, 1300}, {-4500, -2500, 1300}};

// Straights of the loop in driving order from the start.
enum Straight { kHome, kEast, kBack, kWest };

}  // namespace

TrackDesign BuildPlazaTrack() {
  TrackWidths widths;
  // Room for the racing line to swing 300 in out through the bends with the widest car still clear of the kerb.
  widths.road = 358;
  widths.wall = 620;
  TrackDesign design{"TRACKS/PLAZA", "plaza", TrackBuilder(kCorners, widths), {}, {}, 0};
  TrackBuilder& b = design.builder;
  b.ambient = {0.5f, 0.5f, 0.5f};
  TrackLook look;
  look.roadGrey = 84;
  const TrackMaterials m = AddTrackMaterials(b, look);

  const auto straights = b.Loop().Straights();
  auto at = [&](Straight s, float fraction) {
    return straights[s].from + (straights[s].to - straights[s].from) * fraction;
  };
  auto within = [&](float d, Straight s) {
    const float length = b.Loop().Length();
    for (float shifted : {d, d - length}) {
      if (shifted >= at(s, 0) && shifted < at(s, 1)) return true;
    }
    return false;
  };
  auto style = [&](float d) {
    SectionStyle s;
    s.road = m.road;
    s.left = {m.paving, m.barrier, 120, false};
    s.right = {m.paving, m.barrier, 120, false};
    if (b.Loop().CurvatureAt(d) != 0) {
      // The bends run wide onto grass.
      s.left = {m.grass, m.barrier, 120, true};
      s.right = {m.grass, m.barrier, 120, true};
    } else if (within(d, kBack)) {
      s.road = m.dirt;
      s.left.verge = m.gravel;
      s.right.verge = m.gravel;
    } else if (within(d, kEast)) {
      s.road = m.cobbles;
    }
    return s;
  };
  b.BuildRoad(style, {}, {});

  {
    const Vec3 c0 = b.Loop().CentreAt(-40), c1 = b.Loop().CentreAt(40), l = b.Loop().LeftAt(0) * widths.road;
    b.AddQuad(m.startLine, {c0 - l + Vec3{0, 1, 0}, c0 + l + Vec3{0, 1, 0}, c1 + l + Vec3{0, 1, 0}, c1 - l + Vec3{0, 1, 0}},
              {{{0, 0}, {8, 0}, {8, 1}, {0, 1}}}, {0, 1, 0});
  }

  // The square inside the loop and its fountain; low blocks outside it.
  b.StartGroup();
  b.AddFlat(m.paving, -2400, -1000, 2400, 1000, 0);
  b.AddBlock({Vec3{-300, 0, -300}, {300, 0, -300}, {300, 0, 300}, {-300, 0, 300}}, 0, 40, m.stone, m.water,
             {0.9f, 0.9f, 0.95f});
  const std::vector<std::array<float, 3>> palette = {{0.9f, 0.82f, 0.7f}, {0.78f, 0.82f, 0.9f}, {0.92f, 0.75f, 0.66f}};
  b.AddBuildingRow(false, at(kHome, 0.1f), at(kHome, 0.9f), 300, 700, m.facade, m.roof, palette, 21);
  b.AddBuildingRow(false, at(kBack, 0.1f), at(kBack, 0.9f), 300, 700, m.facade, m.roof, palette, 22);
  b.StartGroup();
  b.AddFlat(m.ground, -9000, -7000, 9000, 7000, -4);

  int lamp = 1;
  for (Straight s : {kHome, kEast, kBack, kWest}) {
    for (float f : {0.25f, 0.75f}) {
      b.AddLamp((lamp % 2 == 0 ? "FLARE_WHITE" : "FLARE_ORANGE") + std::to_string(lamp), at(s, f), true, 260, m.roof);
      ++lamp;
    }
  }
  b.AddSound("SOUNDFOUNTAIN", {0, 40, 0}, TrackSoundFile(TrackSound::kFountain), 3000, 220);
  b.AddRacingLine("AIPATH1");
  b.AddStartGrid();

  design.sky.zenith = 0xFF3A6EC0u;
  design.sky.horizon = 0xFFD0DCEAu;
  design.sky.cloudCover = 0.25f;
  design.sky.skyline = 0xFF606470u;
  design.sky.skylineHeight = 0.12f;
  design.sky.glow = 0xFFFFD0A0u;
  design.sky.seed = 31;
  design.sounds = {TrackSound::kFountain};
  return design;
}

bool WritePlazaTrack(const std::string& gameFolder) {
  TrackDesign design = BuildPlazaTrack();
  if (!WriteTrackDesign(gameFolder, design)) return false;
  // The circuit is written as every circuit is, then made to stand on its scene alone: no collision file, and
  // no light node but the sun, so the race can only find the flares, the sky and the sound among the markers.
  const std::string base = gameFolder + "/" + design.folder + "/" + design.base;
  std::error_code error;
  std::filesystem::remove(base + ".COL", error);
  if (error) {
    std::fprintf(stderr, "contentgen: cannot remove %s.COL: %s\n", base.c_str(), error.message().c_str());
    return false;
  }
  ScnFile scene = design.builder.Scene();
  std::erase_if(scene.nodes, [](const NodeRecord& node) { return node.name != "SUN "; });
  return WriteSceneFile(base + ".SCN", scene);
}

}  // namespace contentgen
