// Harbour docks: a long quay beside open water with a timber loading ramp halfway along to jump, crane rails and a gantry
// crane, a container yard bay on dirt, a timber wharf past the fish market and a cobbled old quay.
#include <cmath>

#include "contentgen/sample_tracks.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

// Straights in driving order from the start, which lies on the warehouse street up from the quay.
enum Straight { kEastWarehouses, kWharf, kYardIn, kYard, kYardOut, kNorthWarehouses, kOldQuay, kQuay };

// The harbour corners sweep; the road dips into the yard bay and out again in shallow kinks a driver takes
// nearly flat out (a bay of right-angle turns spun the cars that reached it at speed). The kinks in and out
// of the bay lie far enough apart for the racing line to cross the road gently from the outside of one to the
// outside of the next.
const std::vector<TrackCorner> kCorners = {
    {5000, 2500, 2000}, {2800, 2500, 1200},  {500, 1900, 1200},       {-500, 1900, 1200},
    {-2800, 2500, 1200}, {-5000, 2500, 2000}, {-5000, -2500, 2000}, {5000, -2500, 2000},
};
constexpr float kWaterLevel = -60;
constexpr float kQuayZ = -2500;

}  // namespace

TrackDesign BuildDocksTrack() {
  TrackWidths widths;
  // Room for the racing line to swing 300 in out through the bends with the widest car still clear of the kerb.
  widths.road = 358;
  widths.wall = 620;
  TrackDesign design{"TRACKS/DOCKS", "docks", TrackBuilder(kCorners, widths), {}, {}, kWaterLevel};
  TrackBuilder& b = design.builder;
  b.ambient = {0.5f, 0.45f, 0.45f};
  TrackLook look;
  look.roadGrey = 96;
  look.water = 0xFF1A4660u;
  look.concreteGrey = 135;
  const TrackMaterials m = AddTrackMaterials(b, look);
  const auto straights = b.Loop().Straights();
  auto at = [&](Straight s, float fraction) {
    return straights[s].from + (straights[s].to - straights[s].from) * fraction;
  };
  auto within = [&](float d, Straight s, float from, float to) {
    for (float shifted : {d, d - b.Loop().Length()}) {
      if (shifted >= at(s, from) && shifted < at(s, to)) return true;
    }
    return false;
  };
  // The loading ramp sits halfway along the quay, with half the quay to land on either way round.
  const Hump ramp{at(kQuay, 0.5f) - 340, 300, 80, 300, 80};
  const std::pair<float, float> rampGuard{ramp.start - 300, ramp.End() + 300};

  auto style = [&](float d) {
    SectionStyle s;
    s.road = m.road;
    s.left = {m.roughRoad, m.brick, 150, false};
    s.right = {m.roughRoad, m.brick, 150, false};
    if (const float curvature = b.Loop().CurvatureAt(d); curvature != 0) {
      s.left = {m.gravel, m.barrier, 120, true};
      s.right = {m.gravel, m.barrier, 120, true};
      // The inside of a bend is paved flush with the road: a car that runs in there on the way out of the bend
      // keeps its grip instead of hopping a kerb onto gravel and spinning into the barrier.
      (curvature > 0 ? s.left : s.right) = {m.paving, m.barrier, 120, false};
      return s;
    }
    if (within(d, kQuay, 0, 1)) {
      s.right = {m.roughRoad, m.stone, 70, false};  // the quay edge: a low wall, then the water
      s.left.wall = m.shopfront;
    }
    // Beside the ramp the quay wall stands above the ramp's deck.
    if (d >= rampGuard.first && d < rampGuard.second) s.right.wallHeight = 150;
    if (within(d, kQuay, 0.62f, 0.8f)) s.road = m.tramRails;  // the gantry crane's rails
    if (within(d, kEastWarehouses, 0.65f, 0.9f)) s.road = m.roughRoad;
    if (within(d, kEastWarehouses, 0, 1)) s.left.verge = m.grass;
    if (within(d, kWharf, 0.25f, 0.75f)) {
      s.road = m.planks;
      s.right.verge = m.ice;  // melt from the fish market's ice
    }
    if (within(d, kYardIn, 0, 1) || within(d, kYard, 0, 1) || within(d, kYardOut, 0, 1)) {
      s.road = within(d, kYard, 0, 1) ? m.dirt : m.road;
      s.left = {m.ruts, m.hazard, 100, false};
      s.right = {m.ruts, m.hazard, 100, false};
    }
    if (within(d, kOldQuay, 0, 1)) {
      s.road = m.cobbles;
      s.right.verge = m.rocks;
      s.left.verge = m.grass;
    }
    if (within(d, kOldQuay, 0.45f, 0.55f)) s.road = m.water;  // spray over the old quay
    return s;
  };
  std::vector<float> breaks;
  for (auto [s, f] : {std::pair{kQuay, 0.62f}, {kQuay, 0.8f}, {kEastWarehouses, 0.65f}, {kEastWarehouses, 0.9f},
                      {kWharf, 0.25f}, {kWharf, 0.75f}, {kOldQuay, 0.45f}, {kOldQuay, 0.55f}}) {
    breaks.push_back(at(s, f));
  }
  breaks.push_back(rampGuard.first);
  breaks.push_back(rampGuard.second);
  b.BuildRoad(style, breaks, {});
  b.AddRamp(ramp, m.ramp, m.rampSide);
  {
    const Vec3 c0 = b.Loop().CentreAt(-40), c1 = b.Loop().CentreAt(40), l = b.Loop().LeftAt(0) * widths.road;
    const Vec3 lift{0, 1, 0};
    b.AddQuad(m.startLine, {c0 - l + lift, c0 + l + lift, c1 + l + lift, c1 - l + lift},
              {{{0, 0}, {7.5f, 0}, {7.5f, 1}, {0, 1}}}, lift);
  }

  // The harbour: water from the quay's face out to the horizon, a moored ship and the gantry crane.
  const float edge = kQuayZ - widths.wall;
  b.StartGroup();
  b.AddFlat(m.water, -14000, -14000, 14000, edge, kWaterLevel);
  b.AddQuad(m.stone, {Vec3{-6000, kWaterLevel, edge}, {6000, kWaterLevel, edge}, {6000, 0, edge}, {-6000, 0, edge}},
            {{{0, 0}, {100, 0}, {100, 0.5f}, {0, 0.5f}}}, {0, 0, -1});
  b.AddBlock({Vec3{-3000, 0, -5200}, {4000, 0, -5200}, {4000, 0, -4400}, {-3000, 0, -4400}}, kWaterLevel, 260,
             m.container, m.roof, {0.55f, 0.12f, 0.1f});
  b.AddBlock({Vec3{2400, 0, -5100}, {3600, 0, -5100}, {3600, 0, -4500}, {2400, 0, -4500}}, 260, 620, m.facade,
             m.roof, {1, 1, 1});
  b.StartGroup();
  const float craneD = at(kQuay, 0.71f);
  for (float side : {-1.0f, 1.0f}) {
    for (float along : {-150.0f, 150.0f}) {
      const Vec3 c = b.Loop().CentreAt(craneD + along) + b.Loop().LeftAt(craneD) * (side * (widths.wall + 120));
      b.AddBlock({c + Vec3{-40, 0, -40}, c + Vec3{40, 0, -40}, c + Vec3{40, 0, 40}, c + Vec3{-40, 0, 40}}, kWaterLevel, 700,
                 m.hazard, -1, {1, 1, 1});
    }
  }
  {
    const Vec3 c = b.Loop().CentreAt(craneD);
    b.AddBlock({c + Vec3{-200, 0, -1300}, c + Vec3{200, 0, -1300}, c + Vec3{200, 0, 800}, c + Vec3{-200, 0, 800}},
               700, 820, m.hazard, m.roof, {1, 1, 1});
  }

  // Warehouses, the fish market and the sheds; containers stacked in the yard bay.
  const std::vector<std::array<float, 3>> brickTints = {
      {0.85f, 0.55f, 0.45f}, {0.7f, 0.5f, 0.4f}, {0.8f, 0.75f, 0.65f}, {0.6f, 0.62f, 0.66f}};
  uint32_t seed = 21;
  for (Straight s : {kQuay, kEastWarehouses, kWharf, kNorthWarehouses, kOldQuay}) {
    const float from = straights[s].from + 150, to = straights[s].to - 150;
    b.AddBuildingRow(true, from, to, 300, 600, m.facade, m.roof, brickTints, seed++);
    if (s != kQuay) b.AddBuildingRow(false, from, to, 250, 500, m.facade, m.roof, brickTints, seed++);
  }
  const std::vector<std::array<float, 3>> boxColours = {
      {0.8f, 0.2f, 0.15f}, {0.15f, 0.35f, 0.7f}, {0.2f, 0.55f, 0.3f}, {0.9f, 0.6f, 0.1f}, {0.6f, 0.6f, 0.62f}};
  b.StartGroup();
  int box = 0;
  for (float x : {-920.0f, -420.0f, 80.0f}) {
    for (float z = 3300; z <= 4400; z += 120) {
      const int stack = 1 + static_cast<int>(Speckle(static_cast<uint32_t>(x + 5000), static_cast<uint32_t>(z)) % 3);
      b.AddBlock({Vec3{x, 0, z}, {x + 480, 0, z}, {x + 480, 0, z + 96}, {x, 0, z + 96}}, 0, 102.0f * stack,
                 m.container, m.container, boxColours[static_cast<size_t>(box++) % boxColours.size()]);
    }
  }
  b.StartGroup();
  b.AddFlat(m.ground, -14000, edge, 14000, 14000, -4);

  // Lights: quay lamps, the crane's warning lamps, the harbour mouth's red and green beacons.
  int lamp = 1;
  for (float d = at(kQuay, 0.05f); d < at(kQuay, 0.95f); d += 1400) {
    b.AddLamp("FLARE_WHITE" + std::to_string(lamp++), d, false, 240, m.roof);
  }
  for (Straight s : {kEastWarehouses, kWharf, kNorthWarehouses, kOldQuay}) {
    for (float d = straights[s].from + 500; d < straights[s].to - 500; d += 1800) {
      b.AddLamp("FLARE_ORANGE" + std::to_string(lamp++), d, true, 240, m.roof);
    }
  }
  b.AddFlare("FLARE_RED1", b.Loop().CentreAt(craneD) + Vec3{0, 830, -1300});
  b.AddFlare("FLARE_RED2", b.Loop().CentreAt(craneD) + Vec3{0, 830, 800});
  b.AddFlare("FLARE_RED3", {-2500, 120, -7000});
  b.AddFlare("FLARE_GREEN1", {2500, 120, -7000});
  b.AddFlare("FLARE_YELLOW1", b.Loop().CentreAt(ramp.start) + Vec3{0, 110, 0});
  b.AddSound("SOUNDWAVES1", {-2500, kWaterLevel, edge - 200}, TrackSoundFile(TrackSound::kWaves), 2200, 230);
  b.AddSound("SOUNDWAVES2", {2500, kWaterLevel, edge - 200}, TrackSoundFile(TrackSound::kWaves), 2200, 230);
  b.AddSound("SOUNDFOGHORN", {0, 200, -9000}, TrackSoundFile(TrackSound::kFoghorn), 12000, 255);
  b.AddRacingLine("AIPATH1");
  b.AddStartGrid();

  design.sky.zenith = 0xFF4A5C8Cu;
  design.sky.horizon = 0xFFF0B888u;
  design.sky.sun = 0xFFFFC070u;
  design.sky.ground = 0xFF283848u;
  design.sky.cloudCover = 0.5f;
  design.sky.skyline = 0xFF303848u;
  design.sky.skylineHeight = 0.05f;
  design.sky.glow = 0xFFFF9040u;
  design.sky.seed = 23;
  design.sounds = {TrackSound::kWaves, TrackSound::kFoghorn};
  return design;
}

}  // namespace contentgen
