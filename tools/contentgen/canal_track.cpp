// Canal route: two long warehouse streets cross a canal on humpback bridges, jumps in either direction, past a
// boat basin; a tram crossing on the start straight and a towpath detour of dirt, a ford and frosted corners.
#include <cmath>

#include "contentgen/sample_tracks.h"
#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

enum Straight { kStart, kNorthStreet, kTowpathIn, kTowpathOut, kSouthStreet };

// The west bends off the long streets are as wide as the towpath between them allows: a car arrives there at
// the top of its speed with only its look-ahead to brake in, and a tighter bend turned the fastest cars round.
const std::vector<TrackCorner> kCorners = {
    {6000, 2400, 2000}, {-6000, 2400, 1500}, {-5200, 0, 1200}, {-6000, -2400, 1500}, {6000, -2400, 2000},
};
constexpr float kWaterLevel = -40;
constexpr float kCanalHalfWidth = 240;
constexpr float kGround = -4;
// The boat basin west of the canal, inside the loop.
constexpr float kBasinWest = -2600, kBasinHalfDepth = 1700;

}  // namespace

TrackDesign BuildCanalTrack() {
  TrackWidths widths;
  // Room for the racing line to swing 300 in out through the bends with the widest car still clear of the kerb.
  widths.road = 358;
  widths.wall = 600;
  TrackDesign design{"TRACKS/CANAL", "canal", TrackBuilder(kCorners, widths), {}, {}, kWaterLevel};
  TrackBuilder& b = design.builder;
  b.ambient = {0.5f, 0.52f, 0.55f};
  TrackLook look;
  look.roadGrey = 84;
  look.cobbleStone = 0xFF94887Au;
  look.water = 0xFF2E5A4Eu;
  look.earth = 0xFF6E5638u;
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
  // Where a street crosses the canal (x = 0).
  auto crossing = [&](Straight s) {
    Vec3 heading;
    const Vec3 start = b.Loop().CentreAt(straights[s].from, &heading);
    return straights[s].from - start.x / heading.x;
  };
  // Low humps: cars reach them at full speed from either end, and must land before the next corner. Gentle
  // slopes keep the flight short and the landing flat; a steeper lip threw the fastest cars so high that they
  // landed on their noses and ground along the street or rolled over.
  constexpr float kRise = 520, kDeck = 560, kHeight = 48;
  const std::vector<Hump> bridges = {
      {crossing(kNorthStreet) - kDeck / 2 - kRise, kRise, kDeck, kRise, kHeight},
      {crossing(kSouthStreet) - kDeck / 2 - kRise, kRise, kDeck, kRise, kHeight},
  };
  auto onBridge = [&](float d, float margin) {
    for (const Hump& h : bridges) {
      if (d >= h.start - margin && d < h.End() + margin) return true;
    }
    return false;
  };
  // Along the basin the inner side is open water behind a parapet.
  auto besideWater = [&](float d) {
    const float x = b.Loop().CentreAt(d).x;
    return x > kBasinWest - 200 && x < kCanalHalfWidth + 400;
  };

  auto style = [&](float d) {
    SectionStyle s;
    s.road = m.road;
    s.left = {m.paving, m.brick, 150, false};
    s.right = {m.paving, m.brick, 150, false};
    if (b.Loop().CurvatureAt(d) != 0) {
      s.left = {m.gravel, m.barrier, 120, true};
      s.right = {m.gravel, m.barrier, 120, true};
      if (d > at(kNorthStreet, 1) && d < at(kTowpathIn, 0)) s.left.verge = m.ice;  // the shaded north-west bend
      return s;
    }
    if (within(d, kStart, 0.6f, 0.75f)) s.road = m.tramRails;
    if (within(d, kStart, 0, 1)) s.left.wall = m.shopfront;
    if (within(d, kNorthStreet, 0, 1) || within(d, kSouthStreet, 0, 1)) {
      s.right.wall = m.shopfront;
      if (besideWater(d)) s.left = {m.cobbles, m.stone, 64, false};
      if (onBridge(d, 700)) {
        s.road = m.cobbles;
        s.right = {m.cobbles, m.stone, 64, false};
      }
      if (onBridge(d, 0) && within(d, kNorthStreet, 0, 1)) s.road = m.planks;
    }
    if (within(d, kSouthStreet, 0.7f, 0.95f)) s.road = m.roughRoad;
    if (within(d, kTowpathIn, 0, 1) || within(d, kTowpathOut, 0, 1)) {
      s.left = {m.grass, m.brick, 90, false};
      s.right = {m.rocks, m.stone, 90, false};
    }
    if (within(d, kTowpathIn, 0.3f, 1)) {
      s.road = m.dirt;
      s.left.verge = m.ruts;
    }
    if (within(d, kTowpathOut, 0.2f, 0.35f)) s.road = m.water;  // a ford below the lock's overflow
    if (within(d, kTowpathOut, 0.5f, 0.8f)) s.road = m.cobbles;
    return s;
  };
  std::vector<float> breaks;
  for (auto [s, f] : {std::pair{kStart, 0.6f}, {kStart, 0.75f}, {kSouthStreet, 0.7f}, {kSouthStreet, 0.95f},
                      {kTowpathIn, 0.3f}, {kTowpathOut, 0.2f}, {kTowpathOut, 0.35f}, {kTowpathOut, 0.5f},
                      {kTowpathOut, 0.8f}}) {
    breaks.push_back(at(s, f));
  }
  for (const Hump& h : bridges) {
    breaks.push_back(h.start - 700);
    breaks.push_back(h.End() + 700);
  }
  for (Straight s : {kNorthStreet, kSouthStreet}) {
    // Where the parapet along the basin begins and ends.
    Vec3 heading;
    const Vec3 start = b.Loop().CentreAt(straights[s].from, &heading);
    for (float x : {kBasinWest - 200, kCanalHalfWidth + 400}) breaks.push_back(straights[s].from + (x - start.x) / heading.x);
  }
  b.BuildRoad(style, breaks, bridges);
  {
    const Vec3 c0 = b.Loop().CentreAt(-40), c1 = b.Loop().CentreAt(40), l = b.Loop().LeftAt(0) * widths.road;
    const Vec3 lift{0, 1, 0};
    b.AddQuad(m.startLine, {c0 - l + lift, c0 + l + lift, c1 + l + lift, c1 - l + lift},
              {{{0, 0}, {7, 0}, {7, 1}, {0, 1}}}, lift);
  }

  // The canal, the basin and their stone banks; the ground around them.
  b.StartGroup();
  const float c = kCanalHalfWidth;
  b.AddFlat(m.water, -c, -14000, c, 14000, kWaterLevel);
  b.AddFlat(m.water, kBasinWest, -kBasinHalfDepth, -c, kBasinHalfDepth, kWaterLevel);
  auto bank = [&](const Vec3& a, const Vec3& e, const Vec3& facing) {
    const float length = platform::Length(e - a) / 120;
    b.AddQuad(m.stone, {a + Vec3{0, kWaterLevel, 0}, e + Vec3{0, kWaterLevel, 0}, e + Vec3{0, kGround, 0}, a + Vec3{0, kGround, 0}},
              {{{0, 0}, {length, 0}, {length, 0.3f}, {0, 0.3f}}}, facing);
  };
  bank({c, 0, -14000}, {c, 0, 14000}, {-1, 0, 0});
  bank({-c, 0, -14000}, {-c, 0, -kBasinHalfDepth}, {1, 0, 0});
  bank({-c, 0, kBasinHalfDepth}, {-c, 0, 14000}, {1, 0, 0});
  bank({kBasinWest, 0, -kBasinHalfDepth}, {kBasinWest, 0, kBasinHalfDepth}, {1, 0, 0});
  bank({kBasinWest, 0, -kBasinHalfDepth}, {-c, 0, -kBasinHalfDepth}, {0, 0, 1});
  bank({kBasinWest, 0, kBasinHalfDepth}, {-c, 0, kBasinHalfDepth}, {0, 0, -1});
  b.StartGroup();
  b.AddFlat(m.ground, c, -14000, 14000, 14000, kGround);
  b.AddFlat(m.ground, -14000, -14000, kBasinWest, 14000, kGround);
  b.AddFlat(m.ground, kBasinWest, -14000, -c, -kBasinHalfDepth, kGround);
  b.AddFlat(m.ground, kBasinWest, kBasinHalfDepth, -c, 14000, kGround);

  // Narrowboats on the water, warehouses along the streets, houses on the start straight.
  b.StartGroup();
  const std::vector<std::array<float, 3>> hulls = {{0.15f, 0.35f, 0.2f}, {0.55f, 0.12f, 0.12f}, {0.12f, 0.2f, 0.45f}};
  const float boats[][3] = {{0, -1500, 0}, {0, 1000, 1}, {-1400, -600, 2}, {-1900, 400, 0}};
  for (const auto& boat : boats) {
    const bool inBasin = boat[0] < -c;
    const Vec3 centre{boat[0], 0, boat[1]};
    const Vec3 along = inBasin ? Vec3{320, 0, 0} : Vec3{0, 0, 320}, across = inBasin ? Vec3{0, 0, 40} : Vec3{40, 0, 0};
    b.AddBlock({centre - along - across, centre + along - across, centre + along + across, centre - along + across},
               kWaterLevel - 10, kWaterLevel + 50, m.container, m.roof, hulls[static_cast<size_t>(boat[2])]);
  }
  const std::vector<std::array<float, 3>> brick = {{0.85f, 0.55f, 0.45f}, {0.75f, 0.6f, 0.5f}, {0.9f, 0.85f, 0.75f}};
  uint32_t seed = 41;
  for (Straight s : {kNorthStreet, kSouthStreet}) {
    const float middle = crossing(s);
    b.AddBuildingRow(false, straights[s].from + 150, middle - 900, 300, 650, m.facade, m.roof, brick, seed++);
    b.AddBuildingRow(false, middle + 900, straights[s].to - 150, 300, 650, m.facade, m.roof, brick, seed++);
  }
  b.AddBuildingRow(true, straights[kStart].from + 150, straights[kStart].to - 150, 250, 450, m.facade, m.roof, brick,
                   seed++);
  b.AddBuildingRow(false, straights[kStart].from + 150, straights[kStart].to - 150, 300, 700, m.facade, m.roof,
                   brick, seed++);

  // Lamps on the parapets, the lock's red and green lights, street lamps.
  int lamp = 1;
  for (const Hump& h : bridges) {
    for (float d : {h.start + h.up, h.start + h.up + h.top}) {
      for (bool left : {false, true}) b.AddLamp("FLARE_WHITE" + std::to_string(lamp++), d, left, 120, m.roof);
    }
  }
  b.AddFlare("FLARE_RED1", {-c, 60, 0});
  b.AddFlare("FLARE_GREEN1", {c, 60, 0});
  for (Straight s : {kStart, kTowpathIn, kTowpathOut}) {
    for (float d = straights[s].from + 400; d < straights[s].to - 400; d += 1500) {
      b.AddLamp("FLARE_ORANGE" + std::to_string(lamp++), d, false, 230, m.roof);
    }
  }
  // The water pours through the locks under both bridges.
  b.AddSound("SOUNDWEIRNORTH", {0, kWaterLevel, 1900}, TrackSoundFile(TrackSound::kWeir), 1500, 230);
  b.AddSound("SOUNDWEIRSOUTH", {0, kWaterLevel, -1900}, TrackSoundFile(TrackSound::kWeir), 1500, 230);
  b.AddSound("SOUNDTRAFFIC", b.Loop().CentreAt(at(kStart, 0.5f)), TrackSoundFile(TrackSound::kTraffic), 2500, 160);
  b.AddRacingLine("AIPATH1");
  b.AddStartGrid();

  design.sky.zenith = 0xFF5A7898u;
  design.sky.horizon = 0xFFD8DCE0u;
  design.sky.ground = 0xFF4C5448u;
  design.sky.cloudCover = 0.7f;
  design.sky.skyline = 0xFF58606Au;
  design.sky.skylineHeight = 0.08f;
  design.sky.glow = 0xFFE0D0B0u;
  design.sky.seed = 31;
  design.sounds = {TrackSound::kWeir, TrackSound::kTraffic};
  return design;
}

}  // namespace contentgen
