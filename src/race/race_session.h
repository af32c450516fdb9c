// One running race as the simulation sees it: the racers and their computer drivers on the race's world, the
// per-frame step with its sub-steps, the start hold and release, race order, knock-out and the finish record.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/keyboard_state.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "race/player_input.h"
#include "race/race_order.h"
#include "race/racer_plan.h"
#include "race/race_result.h"
#include "race/race_timing.h"
#include "race/race_scenery.h"
#include "race/race_world.h"
#include "race/track_loader.h"

namespace app {
class InputDevices;
}
namespace platform {
class WindowSystem;
}
namespace render {
class ResourceManager;
}

namespace vehicle {
class AIDriver;
class ForceFeedbackOutput;
class VehicleAICar;
class Vehicle;
}  // namespace vehicle

namespace race {

class RaceHud;
struct HudRacerView;
struct RaceDefinition;
class PlayerProfile;
class ContentDatabase;

// Cars of a race have no controls of their own until released: the neutral and first gears of the gearbox.
constexpr int32_t kNeutralGear = 1;
constexpr int32_t kFirstGear = 2;
// Seconds of racing after the release before the rubber band may slow leading drivers.
constexpr float kRubberBandDelay = 5.0f;
constexpr float kRubberBandScale = 4.0f;
// Seconds from the countdown to the start signal when no HUD counts them.
constexpr float kCountdownSeconds = 4.0f;

class RaceSession {
 public:
  // Neither is owned; both must outlive the session. The profile may be null (no career progress).
  RaceSession(PlayerProfile* profile, RaceDefinition* definition, bool rubberBand);
  // The game's session: none is owned, all outlive the session. The rubber band follows RUBBERBAND; raceEntry is
  // the screen-flow parameter the race was started with (queued again for a restart). The field is planned from
  // the content database at load stage 8 and each car built by MakeCar unless carFactory is set.
  RaceSession(render::ResourceManager* resources, app::Settings* settings, ContentDatabase* content,
              PlayerProfile* profile, RaceDefinition* definition, int32_t raceEntry);
  ~RaceSession();
  RaceSession(const RaceSession&) = delete;
  RaceSession& operator=(const RaceSession&) = delete;

  // One stage of the track load per call, then loadStage moves on and is reported; it stays at 10 once the load
  // is complete, and a value above 10 starts over. Stage 1 takes the lap count, 6 the collision file through the
  // resource manager (kept until the session ends; none when it is missing or unreadable), 7 the surfaces (its
  // materials', else the scene's), 8 the AI paths and the start grid from the scene. Without a device no scene
  // loads, so no paths or grid either. Returns true once complete. The stages: 1 laps, shade quad, lighting and camera; 2 track sounds; 4 skid marks; 5 glows;
  // 6 particles, collision and track scene; 7 surfaces; 8 AI paths, start grid, scene objects (flares, sky
  // boxes, sounds: all from the scene's markers and paths) and the racers; 9 overlays and render targets;
  // 10 complete.
  bool LoadTrack(platform::gfx::Device* device, const std::function<void(uint32_t)>& report);
  // Load stage 7: the world takes the collision file and the track scene and maps their materials to surfaces
  // (the collision file's when it has any, else the scene's).
  void MapSurfaceTypes();
  // Frees racers (before the glows they hold lights in), paths, effects, scenes and the collision file. The
  // session can be deleted afterwards; calling it twice is harmless.
  void Unload();

  // The car of a plan entry as the game builds it: definition with the profile's upgrades for the player,
  // body and presentation. Null (one printed line) when the definition or body cannot be read.
  std::unique_ptr<vehicle::Vehicle> MakeCar(platform::gfx::Device* device, const RacerPlan& plan);
  const std::vector<GridSlot>& StartGrid() const { return grid_; }
  geometry::CollisionTree* Collision() const { return collision_; }

  // Builds the car of a plan entry (definition, body, upgrades), or null to leave that racer out.
  using CarFactory = std::function<std::unique_ptr<vehicle::Vehicle>(const RacerPlan&)>;
  // Creates the planned field on the start grid: each car placed on its slot and reset onto the first AI path,
  // the player's car marked, the others given drivers. Entries whose slot the grid lacks are left out. Returns
  // the number of cars created.
  size_t CreateRacers(const std::vector<RacerPlan>& plans, const CarFactory& factory);
  // One racer of the field: its car from the factory, placed on its slot (a chicken race's on the racing line)
  // and reset onto the first AI path, taken into the race; a computer racer's driver paced for the race and,
  // in a chicken race, sent round the other way. Null, and nothing added, when the grid has no such slot or
  // the factory builds no car.
  vehicle::Vehicle* CreateRacer(const RacerPlan& plan, const CarFactory& factory);

  // Takes a car into the race at the front of the list (the newest racer first). A computer racer gets a
  // driver; the player's car becomes `player`. Returns the car.
  vehicle::Vehicle* AddRacer(std::unique_ptr<vehicle::Vehicle> car, bool isPlayer);

  // A window key message for the race's keyboard.
  void ForwardInput(uint32_t message, uintptr_t wParam) { keys.HandleKeyMessage(message, wParam); }
  // First in every step: the race keys (Esc pauses while racing, 'F' toggles FULLSCREEN and pauses while
  // racing, F5 reloads the curves), then the player's bound actions from the keys and, with JOYSTICK on, the
  // controller: reset while racing, headlights (stored in TURNONHEADLIGHT), camera view (stored in
  // TRACKCAMERA), look back, pause while racing, and the driving controls unless a driver has the car; then
  // this frame's presses are cleared. Without settings only the race keys count.
  void HandlePlayerInput(app::ScreenFlow& flow);
  void ReloadRacerCurves();

  // The per-frame step in the flow's current state: automatic reset and race time while racing, the sub-steps,
  // the frame's effects, race order and knock-out while racing or counting down, the finish test, and the
  // release in state 12.
  void Step(app::ScreenFlow& flow, float dt);
  // The application's step: the same with the controller's input (null: keys only).
  void Step(platform::gfx::Device* device, platform::WindowSystem* window, app::ScreenFlow& flow,
            app::InputDevices* input, float dt);
  // The frame's effects after the sub-steps: each car's skid marks and light glows toward the camera, then the
  // particles, the glow trails and the track sounds at the camera.
  void UpdateRacerEffects(float dt);
  // A new skid-mark strip from the race's marks (what a sliding wheel asks of the world); null before the
  // marks are made, with SKIDMARKS off, or when every strip kept is still being laid.
  render::SkidmarkSegment* AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                          const platform::Matrix4& orientation, int style, float width);
  // What the camera follows of a car.
  static render::CameraSubject SubjectOf(const vehicle::Vehicle& car);
  // Motion-blur alpha from the frame rate while MOTIONBLUR is on (nitrous blurs more).
  void UpdateOverlayAlpha(float framesPerSecond);
  // Gives the player's car the controller's force feedback and starts it; nothing without a player car.
  void AttachForceFeedback(app::InputDevices* input);

  // Render passes, each skipped without its resources: the reflection (only with SCENEREFLECTION on), one car's
  // environment cube (each reflective car's in turn, one a frame; the application's pre-pass knows it as
  // RenderMirror), the rear-view mirror, the 3D pass, the blur capture after the scene, the HUD (2D, last) and the
  // overlays rebuilt after a device reset.
  void RenderReflection(platform::gfx::Device* device);
  void UpdateCarCubeMap(platform::gfx::Device* device);
  void RenderMirrorView(platform::gfx::Device* device);
  void Render(platform::gfx::Device* device);
  void RenderSecondPass(platform::gfx::Device* device);
  void DrawHud(platform::gfx::Device* device);
  void DrawFadeOverlay(platform::gfx::Device* device);
  // Whether the camera's passes draw the player's car: not in the in-car view, and not while the chase eye has
  // been pulled inside the car's body (reversed up against a wall, the wall stops the eye at the car's tail),
  // where the body would fill the picture from within.
  bool CameraDrawsPlayer() const;
  RaceScenery& Scenery() { return scenery_; }
  // The AI path whose projection of a point is horizontally nearest (the first of equals), or null when none
  // projects within reach; the Alt search looks over the paths' reversed copies.
  const geometry::Path* FindNearestPath(const platform::Vec3& point) const { return world_.FindNearestPath(point); }
  const geometry::Path* FindNearestPathAlt(const platform::Vec3& point) const {
    return world_.FindNearestPath(point, true);
  }

  // One sub-step of h seconds: rubber-band clock, path progress, drivers, cars with their distance to the camera
  // and their sounds, then the camera following the player's car (with or without one, the camera steps).
  void StepRacers(app::ScreenFlow& flow, float h);

  // Starts the HUD's countdown (which asks for the countdown state and, 4 s on, the start signal) and holds the
  // cars in neutral with shifting off; ReleaseRacers puts them in first gear and clears the rubber-band clock.
  void HoldRacersAtStart(app::ScreenFlow& flow);
  void HoldRacersAtStart(platform::gfx::Device* device, app::ScreenFlow& flow) { (void)device, HoldRacersAtStart(flow); }
  void ReleaseRacers();
  // Race order every frame of racing and countdown; in knock-out races at most one car drops per frame.
  void UpdatePositions(app::ScreenFlow& flow);
  // Ends the race for the player once: the result, career progress, state 14 at once, and a computer driver
  // for the player's car.
  void FinishRacer(app::ScreenFlow& flow);
  // A computer driver takes the player's car (once): after the finish, and for races run without a player.
  void HandPlayerToDriver();
  // The player's place as the HUD shows it: the race position, or against the clock (time-trial and chicken
  // races) the best target time still ahead of the race time, 4 when none is. 0 without a player car.
  uint32_t PlayerPlace() const;
  // The player car's off-world and tipped-over clocks; puts it back on the nearest path when one runs out.
  void AutoResetPlayer(float dt);

  RaceWorld& World() { return world_; }
  const std::vector<vehicle::Vehicle*>& Racers() const { return world_.Cars(); }
  vehicle::Vehicle* Player() const { return player_; }
  size_t DriverCount() const { return drivers_.size(); }
  bool IsDriven(const vehicle::Vehicle* car) const;
  const RaceResult* Result() const { return result_.get(); }
  // Hands the result over (to the results screen); the session keeps nothing.
  std::unique_ptr<RaceResult> TakeResult() { return std::move(result_); }

  // Called after each sub-step with its length (the camera and the sounds follow it in the full game).
  std::function<void(float)> afterSubStep;

  // The in-race overlay (may be null): fed every frame, runs the countdown and the after-finish wait. The full
  // load creates its own at stage 3 when none was given.
  RaceHud* hud = nullptr;

  float raceTime = 0;
  int32_t laps = 3;
  float rubberBandTimer = 0;
  bool rubberBand = false;
  AutoResetTimers resetTimers;
  app::KeyboardState keys;
  app::Settings* settings = nullptr;  // not owned
  PlayerControls lastControls;        // what the player asked for in the last step
  uint32_t loadStage = 0;
  int32_t raceEntry = 0;
  // Builds the racers at load stage 8 instead of MakeCar (tests, tools).
  CarFactory carFactory;
  // The game's random generator for the field; the C runtime's when empty.
  std::function<int()> random;

 private:
  struct Driver;
  void ConnectWorld();
  std::vector<HudRacerView> HudViews() const;
  void RemoveRacer(vehicle::Vehicle* car);

  PlayerProfile* profile_;
  RaceDefinition* definition_;
  // Every racer's main pass (lit, with its environment cube) and its glow-capture pass; the player's car only when
  // drawPlayer is set.
  void RenderRacers(platform::gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer);
  void RenderRacersAltPass(platform::gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer);
  // The ground shadows and, with stencil shadows on, the volumes; returns the pixels where a volume can have set
  // the stencil, nothing when none was drawn.
  std::optional<platform::gfx::Rect> RenderRacerShadows(platform::gfx::Device* device,
                                                        const render::ViewFrustum& frustum, bool drawPlayer);
  void DrawCarLights(platform::gfx::Device* device, const render::ViewFrustum& frustum, bool drawPlayer);
  void DrawHeadlightProjection(platform::gfx::Device* device);
  void BuildField(platform::gfx::Device* device);

  ContentDatabase* content_ = nullptr;
  app::InputDevices* joystick_ = nullptr;  // this step's controller, read with the keyboard
  RaceWorld world_;
  RaceScenery scenery_;
  std::unique_ptr<vehicle::ForceFeedbackOutput> forceFeedback_;
  std::unique_ptr<RaceHud> ownedHud_;
  std::vector<std::unique_ptr<vehicle::Vehicle>> cars_;
  std::vector<std::unique_ptr<Driver>> drivers_;
  vehicle::Vehicle* player_ = nullptr;
  int32_t knockedOut_ = 0;  // computer cars a knock-out race has dropped
  std::unique_ptr<RaceResult> result_;
  render::ResourceManager* resources_ = nullptr;
  geometry::CollisionTree* collision_ = nullptr;
  std::vector<GridSlot> grid_;
};

}  // namespace race
