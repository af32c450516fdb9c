// Builds a circuit's files from its loop: one geometry written twice, as the collision file's triangles and as
// the scene's textured parts, so the drawn track and the driven one agree. Road, kerbs, verges and walls follow
// the loop's cross-sections; ramps, buildings, ground and water are added on top; the racing line, start grid,
// lights, flares and sounds become the files' records.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contentgen/col_writer.h"
#include "contentgen/mdl_writer.h"
#include "contentgen/png_writer.h"
#include "contentgen/scn_writer.h"
#include "contentgen/sky_box.h"
#include "contentgen/track_loop.h"

namespace contentgen {

// A material of the track: its name begins with the surface word the race reads it by.
struct TrackMaterial {
  std::string name;
  std::string texture;  // picture file in the track's folder; empty draws untextured
  float uvSize = 256;   // inches per repeat of the picture
  bool collides = true;
  bool floor = true;    // left out of the mirror copy (it lies in or under the mirror plane)
  bool reflective = false;  // water: mirrors the world through the reflection mask picture
};

// One side of a cross-section: what lies between the road's edge and the wall, and the wall itself.
struct SideStyle {
  int16_t verge = 0;
  int16_t wall = 0;        // -1: no wall
  float wallHeight = 150;
  bool kerb = false;       // a red and white kerb between road and verge; otherwise verge up to the road
};

struct SectionStyle {
  int16_t road = 0;
  SideStyle left, right;
};

// A hump of the whole cross-section (a bridge): rising over `up`, level for `top`, falling over `down`.
struct Hump {
  float start = 0, up = 0, top = 0, down = 0, height = 0;
  float End() const { return start + up + top + down; }
  float HeightAt(float distance) const;
};

// Cross-section measures, inches from the centreline.
struct TrackWidths {
  float road = 300;   // half width of the road
  float kerb = 40;    // width of each kerb
  float wall = 640;   // centreline to each wall
  float kerbHeight = 4;
};

using UvPair = std::pair<float, float>;

// Where the racing line runs across the road. A computer driver aims a second or more ahead along the line
// and so cuts inside every bend; the line swings out toward the outside wall through each bend, starting
// `lead` inches before it (a wide entry) and coming back over `trail` inches after it, so that the car the line
// pulls along clips the inside late and stays off the inner wall. Lead and trail match on a circuit raced both
// ways round. A car put back on the track lands on the line facing along it, so the line keeps the widest car
// clear of the kerbs and never runs across the road more steeply than about 15 degrees: its swing goes on
// `into` inches into the bend, and a short kink against the run of the road leaves the line where it is.
struct RacingLineShape {
  float bendOffset = 300;  // inches toward the outside of a bend, at most; never past the road's room
  float lead = 1000;
  float trail = 1000;
  float into = 160;   // 300 in over 1160: 14.5 degrees
  float kink = 1000;  // a bend shorter than this, turning against both its neighbours, is a kink
};

class TrackBuilder {
 public:
  TrackBuilder(const std::vector<TrackCorner>& corners, const TrackWidths& widths);

  const TrackLoop& Loop() const { return loop_; }
  const TrackWidths& Widths() const { return widths_; }
  int16_t AddMaterial(const TrackMaterial& material);
  const std::vector<TrackMaterial>& Materials() const { return materials_; }
  // Pictures written beside the scene, by file name.
  void AddPicture(const std::string& file, PictureData picture) { pictures_[file] = std::move(picture); }

  // One face; its front is the side `facing` points to. Shade darkens the picture (baked light, 0-1) per corner;
  // tint colours it (red, green, blue, 0-1).
  void AddQuad(int16_t material, const std::array<platform::Vec3, 4>& corners, const std::array<UvPair, 4>& uvs,
               const platform::Vec3& facing, const std::array<float, 4>& shade = {1, 1, 1, 1},
               const std::array<float, 3>& tint = {1, 1, 1});
  void AddTriangle(int16_t material, const std::array<platform::Vec3, 3>& corners, const std::array<UvPair, 3>& uvs,
                   const platform::Vec3& facing);
  // Faces added from now on join this group: one collision block and one scene part per group, so the renderer
  // culls the track piece by piece.
  void StartGroup();

  // The road ribbon: the loop cut at its samples and at the breaks given, each section styled by style.
  void BuildRoad(const std::function<SectionStyle(float)>& style, const std::vector<float>& breaks,
                 const std::vector<Hump>& humps);
  // Road height at a distance: humps and ramps.
  float SurfaceHeight(float distance) const;
  // A kicker across the street from wall to wall: up, level and down slopes, its sides of sideMaterial against
  // the walls.
  void AddRamp(const Hump& ramp, int16_t topMaterial, int16_t sideMaterial);
  // An axis-free box standing on the ground: four walls and a roof, each of its own material (-1: left out).
  // Corners go around its foot counter-clockwise seen from above.
  void AddBlock(const std::array<platform::Vec3, 4>& foot, float bottom, float top, int16_t wallMaterial,
                int16_t roofMaterial, const std::array<float, 3>& tint);
  // Buildings behind one side's wall along [from, to) of a straight: random widths and heights, facades over
  // the wall, each tinted from the palette.
  void AddBuildingRow(bool left, float from, float to, float minHeight, float maxHeight, int16_t facade,
                      int16_t roof, const std::vector<std::array<float, 3>>& palette, uint32_t seed);
  // A level rectangle of one material facing up.
  void AddFlat(int16_t material, float x0, float z0, float x1, float z1, float y, float shade = 1);

  // Records: the racing line (closed, every point on the road surface), eight START markers behind distance 0
  // two abreast, and named lights, flares and sounds.
  void AddRacingLine(const std::string& name, const RacingLineShape& shape = {});
  // Signed distance of the racing line from the centreline (positive to the left) at a distance along the loop.
  float RacingLineOffset(float distance, const RacingLineShape& shape) const;
  // How far the racing line may run from the centreline: the widest sample car stays 20 inches inside the
  // road's edges.
  float RacingLineRoom() const;
  void AddStartGrid();
  void AddNode(const NodeRecord& node) { nodes_.push_back(node); }
  void AddMarker(const MarkerRecord& marker) { markers_.push_back(marker); }
  // Flares and sounds also go in as markers, so the track reads the same whichever record list looks for them.
  void AddFlare(const std::string& name, const platform::Vec3& position);
  // A street lamp against one side's wall: a post of postMaterial from the ground to `height` and the named
  // flare on top of it.
  void AddLamp(const std::string& flareName, float distance, bool left, float height, int16_t postMaterial);
  void AddSound(const std::string& name, const platform::Vec3& position, const std::string& file, float radius,
                int volume);
  void AddSkyBoxes(const std::string& skyFile, const std::string& glowFile);

  // The files: the collision file with the colliding faces, the scene with every face, the scene's mirror copy
  // about the water level (walls and objects only), and the outline model of the race screens.
  ColFile Collision() const;
  ScnFile Scene() const;
  ScnFile MirrorScene(float waterLevel) const;
  MdlFile Outline() const;
  // Writes <base>.COL, <base>.SCN, <base>reflect.SCN (mirrored about waterLevel), <base>.MDL and the pictures into
  // gameFolder/folder.
  bool Write(const std::string& gameFolder, const std::string& folder, const std::string& base,
             float waterLevel) const;

  // The kerbs' material, set before BuildRoad when any section has kerbs.
  int16_t kerbMaterial = 0;
  platform::Vec3 ambient{0.45f, 0.45f, 0.5f};
  // The way the sunlight travels: the race's own sun, so the baked shading, the sky's sun and the cars' shadows
  // agree.
  platform::Vec3 sunDirection = kRaceSunDirection;

 private:
  struct Group {
    ColMeshBlock block;
    ScnPart part;
  };
  Group& Current();
  // Which files the next faces go to; a material that does not collide stays out of the collision file anyway.
  enum class Target { kBoth, kSceneOnly, kCollisionOnly };
  Target target_ = Target::kBoth;
  void AddFace(int16_t material, const platform::Vec3* corners, const UvPair* uvs, const float* shade, int count,
               const platform::Vec3& facing, const std::array<float, 3>& tint);
  float Shade(const platform::Vec3& normal) const;

  TrackLoop loop_;
  TrackWidths widths_;
  std::vector<TrackMaterial> materials_;
  std::map<std::string, PictureData> pictures_;
  std::vector<Group> groups_;
  std::vector<Hump> humps_, ramps_;
  std::vector<NodeRecord> nodes_;
  std::vector<MarkerRecord> markers_;
  std::vector<PathRecord> paths_;
};

}  // namespace contentgen
