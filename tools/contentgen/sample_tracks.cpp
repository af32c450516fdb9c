// The material set the sample circuits share, and the writer of a circuit's files.
#include "contentgen/sample_tracks.h"

#include <cstdio>

#include "contentgen/track_pictures.h"
#include "platform/math/math.h"

namespace contentgen {

namespace tp = track_pictures;

TrackMaterials AddTrackMaterials(TrackBuilder& b, const TrackLook& look) {
  auto add = [&b](const std::string& name, const std::string& texture, PictureData picture, float uvSize,
                  bool collides = true, bool floor = true, bool reflective = false) {
    b.AddPicture(texture, std::move(picture));
    return b.AddMaterial({name, texture, uvSize, collides, floor, reflective});
  };
  TrackMaterials m{};
  m.road = add("PAVE_ROAD", "road.png", tp::Road(look.roadGrey), 480);
  m.roughRoad = add("ROUGHPAVE_PATCHED", "patched.png", tp::Asphalt(look.roadGrey + 8, true), 200);
  m.cobbles = add("COBBLE_SETTS", "cobbles.png", tp::Cobbles(look.cobbleStone), 120);
  m.planks = add("WOOD_PLANKS", "planks.png", tp::Planks(look.wood), 160);
  m.tramRails = add("ELECTRIC_RAILS", "rails.png", tp::TramRails(), 300);
  m.dirt = add("DIRT_TRACK", "dirt.png", tp::Dirt(look.earth, false), 200);
  m.ruts = add("ROUGHDIRT_RUTS", "ruts.png", tp::Dirt(look.earth - 0x00101010u, true), 200);
  m.gravel = add("GRAVEL_RUNOFF", "gravel.png", tp::Gravel(), 120);
  m.grass = add("GRASS_VERGE", "grass.png", tp::Grass(), 300);
  m.rocks = add("ROCKY_RUBBLE", "rocks.png", tp::Rocks(), 160);
  m.water = add("WATER_BASIN", "water.png", tp::Water(look.water), 400, true, true, true);
  m.ice = add("SNOW_ICE", "ice.png", tp::Snow(), 200);
  m.kerb = add("COBBLE_KERB", "kerb.png", tp::Kerb(), 160);
  m.ramp = add("WOOD_RAMP", "ramp.png", tp::Planks(look.wood + 0x00181008u), 120, true, false);
  // Walls along the road are solid ground to the car body, not undrivable scenery: a car that rubs one is
  // pushed back out along it and keeps its speed along the wall instead of being pressed into the kerb.
  // Wheels still never drive up a wall's face. A ramp's sides stay undrivable.
  m.shopfront = add("ROUGHPAVE_SHOPFRONT", "shopfront.png", tp::Shopfront(), 300, true, false);
  m.barrier = add("ROUGHPAVE_BARRIER", "barrier.png", tp::Barrier(), 150, true, false);
  m.brick = add("ROUGHPAVE_BRICK", "brick.png", tp::Brick(), 100, true, false);
  m.stone = add("ROUGHPAVE_STONE", "stone.png", tp::Stone(), 120, true, false);
  m.hazard = add("ROUGHPAVE_HAZARD", "hazard.png", tp::Hazard(), 60, true, false);
  m.rampSide = add("NODRIVE_RAMPSIDE", "hazard.png", tp::Hazard(), 60, true, false);
  m.facade = add("NODRIVE_FACADE", "facade.png", tp::Facade(3), 300, false, false);
  m.roof = add("NODRIVE_ROOF", "roof.png", tp::Roof(), 200, false, false);
  m.container = add("NODRIVE_CONTAINER", "container.png", tp::Container(), 100, false, false);
  m.ground = add("PAVE_GROUND", "ground.png", tp::Concrete(look.concreteGrey), 400, false);
  m.paving = add("PAVE_PAVING", "paving.png", tp::Paving(), 160);
  m.startLine = add("PAVE_STARTLINE", "startline.png", tp::Chequer(), 80, false);
  b.kerbMaterial = m.kerb;
  return m;
}

std::string TrackScenePath(const TrackDesign& design) {
  std::string path = design.folder + "/" + design.base + ".SCN";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

bool WriteTrackDesign(const std::string& gameFolder, TrackDesign& design) {
  TrackBuilder& b = design.builder;
  NodeRecord sun;
  sun.name = "SUN ";
  sun.kind = 2;
  sun.direction = platform::Normalize(b.sunDirection);
  sun.colour = {1, 0.95f, 0.85f};
  sun.range = 100000;
  b.AddNode(sun);
  b.AddSkyBoxes("sky.MDL", "skyglow.MDL");
  design.sky.sunDirection = b.sunDirection;
  const std::string folder = gameFolder + "/" + design.folder + "/";
  if (!b.Write(gameFolder, design.folder, design.base, design.waterLevel)) return false;
  if (!WriteSkyBoxes(folder, "sky", design.sky)) return false;
  for (TrackSound sound : design.sounds) {
    if (!WriteTrackSound(folder, sound)) return false;
  }
  return true;
}

bool WriteSampleTracks(const std::string& gameFolder) {
  for (TrackDesign (*build)() : {BuildDowntownTrack, BuildDocksTrack, BuildCanalTrack}) {
    TrackDesign design = build();
    if (!WriteTrackDesign(gameFolder, design)) return false;
  }
  return true;
}

}  // namespace contentgen
