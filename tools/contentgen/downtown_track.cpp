// Downtown: a street grid run between shopfronts and office blocks. A long avenue with tram rails and the start,
// road works with a plank kicker on the northern boulevard, an old-town jog over cobbles past a plaza with a
// fountain and an ice rink, and a building-site detour on dirt and planks.
#include <cmath>

#include "contentgen/sample_tracks.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

// Straights of the loop, in driving order from the start.
enum Straight { kAvenue, kEastStreet, kOldTownWest, kOldTownNorth, kBoulevard, kWestStreet };

// Bends as wide as the blocks allow: the old-town jog cuts across the grid in two sweeping diagonals (square
// turns there spun the cars that reached them at speed), the corners of the grid sweep.
const std::vector<TrackCorner> kCorners = {
    {5000, -3000, 1800}, {5000, 0, 2000},    {3200, 1800, 2000},
    {2200, 4000, 1500},  {-5000, 4000, 2400}, {-5000, -3000, 2400},
};

}  // namespace

TrackDesign BuildDowntownTrack() {
  TrackWidths widths;
  // Room for the racing line to swing 300 in out through the bends with the widest car still clear of the kerb.
  widths.road = 358;
  widths.wall = 560;
  TrackDesign design{"TRACKS/DOWNTOWN", "downtown", TrackBuilder(kCorners, widths), {}, {}, 0};
  TrackBuilder& b = design.builder;
  b.ambient = {0.5f, 0.5f, 0.55f};
  TrackLook look;
  look.roadGrey = 72;
  const TrackMaterials m = AddTrackMaterials(b, look);

  const auto straights = b.Loop().Straights();
  auto at = [&](Straight s, float fraction) {
    return straights[s].from + (straights[s].to - straights[s].from) * fraction;
  };
  auto within = [&](float d, Straight s, float from, float to) {
    const float length = b.Loop().Length();
    for (float shifted : {d, d - length}) {
      if (shifted >= at(s, from) && shifted < at(s, to)) return true;
    }
    return false;
  };
  // Gentle enough that a car from either corner lands on the boulevard, steep enough for a second in the air.
  const Hump kicker{at(kBoulevard, 0.5f) - 340, 300, 80, 300, 88};

  auto style = [&](float d) {
    SectionStyle s;
    s.road = m.road;
    s.left = {m.paving, m.shopfront, 150, false};
    s.right = {m.paving, m.shopfront, 150, false};
    if (b.Loop().CurvatureAt(d) != 0) {
      // Corners: kerbs, gravel run-off and chevron barriers.
      s.left = {m.gravel, m.barrier, 120, true};
      s.right = {m.gravel, m.barrier, 120, true};
      return s;
    }
    if (within(d, kAvenue, 0.6f, 0.72f)) s.road = m.tramRails;
    if (within(d, kEastStreet, 0.15f, 0.85f)) {
      s.road = m.roughRoad;
      s.right.verge = m.rocks;
      s.right.wall = m.hazard;
      s.right.wallHeight = 100;
    }
    if (within(d, kOldTownWest, 0, 1) || within(d, kOldTownNorth, 0, 1)) {
      s.road = m.cobbles;
      s.right = {m.paving, m.stone, 64, false};  // the plaza lies beyond a low wall
    }
    if (within(d, kOldTownNorth, 0.2f, 0.8f)) s.right.verge = m.ice;
    if (within(d, kBoulevard, 0, 1)) {
      s.left = {m.grass, m.brick, 90, false};  // the park
      if (within(d, kBoulevard, 0.4f, 0.6f)) s.right.wall = m.hazard;
    }
    if (within(d, kWestStreet, 0.2f, 0.3f)) s.road = m.water;  // a flooded dip
    if (within(d, kWestStreet, 0.45f, 0.8f)) {
      s.road = m.dirt;
      s.left.verge = m.ruts;
      s.right.verge = m.ruts;
      s.left.wall = m.hazard;
      s.left.wallHeight = 100;
    }
    if (within(d, kWestStreet, 0.58f, 0.66f)) s.road = m.planks;
    return s;
  };
  std::vector<float> breaks;
  for (auto [s, f] : {std::pair{kAvenue, 0.6f}, {kAvenue, 0.72f}, {kEastStreet, 0.15f}, {kEastStreet, 0.85f},
                      {kOldTownNorth, 0.2f}, {kOldTownNorth, 0.8f}, {kBoulevard, 0.4f}, {kBoulevard, 0.6f},
                      {kWestStreet, 0.2f}, {kWestStreet, 0.3f}, {kWestStreet, 0.45f}, {kWestStreet, 0.58f},
                      {kWestStreet, 0.66f}, {kWestStreet, 0.8f}}) {
    breaks.push_back(at(s, f));
  }
  b.BuildRoad(style, breaks, {});
  b.AddRamp(kicker, m.ramp, m.rampSide);

  // Start line across the avenue.
  {
    const Vec3 c0 = b.Loop().CentreAt(-40), c1 = b.Loop().CentreAt(40), l = b.Loop().LeftAt(0) * widths.road;
    b.AddQuad(m.startLine, {c0 - l + Vec3{0, 1, 0}, c0 + l + Vec3{0, 1, 0}, c1 + l + Vec3{0, 1, 0}, c1 - l + Vec3{0, 1, 0}},
              {{{0, 0}, {7.5f, 0}, {7.5f, 1}, {0, 1}}}, {0, 1, 0});
  }

  // Blocks of buildings over the shopfronts.
  const std::vector<std::array<float, 3>> palette = {
      {0.95f, 0.85f, 0.7f}, {0.8f, 0.82f, 0.9f}, {0.9f, 0.7f, 0.62f}, {0.75f, 0.8f, 0.72f}, {0.98f, 0.95f, 0.9f}};
  uint32_t seed = 1;
  for (int s = kAvenue; s <= kWestStreet; ++s) {
    const float from = straights[static_cast<size_t>(s)].from + 150, to = straights[static_cast<size_t>(s)].to - 150;
    if (s == kBoulevard) {
      // The park lies on the inside; across the road, buildings stand clear of the works.
      b.AddBuildingRow(false, from, at(kBoulevard, 0.35f), 300, 700, m.facade, m.roof, palette, seed++);
      b.AddBuildingRow(false, at(kBoulevard, 0.65f), to, 300, 700, m.facade, m.roof, palette, seed++);
      continue;
    }
    b.AddBuildingRow(true, from, to, 350, 900, m.facade, m.roof, palette, seed++);
    if (s != kOldTownWest && s != kOldTownNorth) b.AddBuildingRow(false, from, to, 300, 800, m.facade, m.roof, palette, seed++);
  }

  // The plaza beyond the old town: paving, a fountain pool and an ice rink, closed by two blocks.
  b.StartGroup();
  b.AddFlat(m.paving, 4000, 2000, 6400, 5600, 0);
  for (int k = 0; k < 8; ++k) {
    // The pool: an octagon of water inside a stone rim.
    const float a0 = platform::kPi * k / 4, a1 = platform::kPi * (k + 1) / 4;
    const Vec3 centre{4700, 0.5f, 4500};
    const Vec3 p0 = centre + Vec3{std::cos(a0), 0, std::sin(a0)} * 520, p1 = centre + Vec3{std::cos(a1), 0, std::sin(a1)} * 520;
    b.AddTriangle(m.water, {centre, p1, p0}, {{{0, 0}, {1, 1}, {1, 0}}}, {0, 1, 0});
    b.AddQuad(m.stone, {p0, p1, p1 + Vec3{0, 24, 0}, p0 + Vec3{0, 24, 0}}, {{{0, 0}, {3, 0}, {3, 0.2f}, {0, 0.2f}}},
              ((p0 + p1) * 0.5f - centre));
  }
  b.AddFlat(m.ice, 4600, 2300, 6100, 3700, 0.5f);
  b.AddBlock({Vec3{4000, 0, 5600}, {6400, 0, 5600}, {6400, 0, 6400}, {4000, 0, 6400}}, 0, 700, m.facade, m.roof,
             {0.9f, 0.8f, 0.7f});
  b.AddBlock({Vec3{6400, 0, 1000}, {7200, 0, 1000}, {7200, 0, 6400}, {6400, 0, 6400}}, 0, 1100, m.facade, m.roof,
             {0.8f, 0.85f, 0.95f});
  // Towers in the middle of the grid, seen over the streets.
  b.AddBlock({Vec3{-3000, 0, -1500}, {-1000, 0, -1500}, {-1000, 0, 500}, {-3000, 0, 500}}, 0, 2200, m.facade, m.roof,
             {0.7f, 0.78f, 0.9f});
  b.AddBlock({Vec3{-500, 0, 1000}, {1000, 0, 1000}, {1000, 0, 2500}, {-500, 0, 2500}}, 0, 1600, m.facade, m.roof,
             {0.92f, 0.88f, 0.8f});
  b.StartGroup();
  b.AddFlat(m.ground, -12000, -10000, 12000, 12000, -4);

  // Street lamps along the straights, the fountain's light and the works' warning lamps.
  int lamp = 1;
  for (int s = kAvenue; s <= kWestStreet; ++s) {
    for (float d = straights[static_cast<size_t>(s)].from + 400; d < straights[static_cast<size_t>(s)].to - 400;
         d += 1600) {
      b.AddLamp("FLARE_ORANGE" + std::to_string(lamp), d, lamp % 2 == 0, 250, m.roof);
      ++lamp;
    }
  }
  b.AddFlare("FLARE_WHITE1", {4700, 120, 4500});
  for (int k = 0; k < 3; ++k) {
    const float d = at(kEastStreet, 0.2f + 0.3f * static_cast<float>(k));
    b.AddFlare("FLARE_RED" + std::to_string(k + 1),
               b.Loop().CentreAt(d) - b.Loop().LeftAt(d) * (widths.wall - 10) + Vec3{0, 110, 0});
  }
  b.AddFlare("FLARE_YELLOW1", b.Loop().CentreAt(kicker.start) + Vec3{0, 120, 0});
  b.AddSound("SOUNDFOUNTAIN", {4700, 40, 4500}, TrackSoundFile(TrackSound::kFountain), 2800, 230);
  b.AddSound("SOUNDWORKS", b.Loop().CentreAt(at(kEastStreet, 0.5f)), TrackSoundFile(TrackSound::kWorks), 1600, 200);
  b.AddSound("SOUNDTRAFFIC", b.Loop().CentreAt(at(kAvenue, 0.5f)), TrackSoundFile(TrackSound::kTraffic), 3000, 160);
  b.AddRacingLine("AIPATH1");
  b.AddStartGrid();

  design.sky.zenith = 0xFF2F62B0u;
  design.sky.horizon = 0xFFC0D4EAu;
  design.sky.cloudCover = 0.35f;
  design.sky.skyline = 0xFF5A6070u;
  design.sky.skylineHeight = 0.16f;
  design.sky.glow = 0xFFFFC890u;
  design.sky.seed = 11;
  design.sounds = {TrackSound::kFountain, TrackSound::kWorks, TrackSound::kTraffic};
  return design;
}

}  // namespace contentgen
