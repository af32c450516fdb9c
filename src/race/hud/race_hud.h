// The in-race overlay: time, place and lap panels, position rows, gauges, minimap, stunt score and lines,
// "WRONG WAY", the mirror frame, and the start countdown and result messages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "race/hud/gauge_cluster.h"
#include "race/hud/hud_widgets.h"
#include "race/hud/minimap.h"
#include "race/hud/ptr_list.h"
#include "race/race_definition.h"

namespace app {
class ScreenFlow;
class Settings;
}  // namespace app
namespace geometry {
class Path;
}
namespace render {
class ResourceManager;
}

namespace race {

// Indexed by stunt type: "Air!", "Powerslide", "Nice Pass!", "Two Wheels", "Big Air!", "Huge Air!".
extern const std::array<const char*, 6> StuntAwardNames;

// Minutes:seconds'hundredths, "01:23'45"; from 100 minutes on "99:99'99". Negative or non-finite times read 0.
std::string FormatRaceTime(float seconds);
// The number followed by its OrdinalSuffixes entry ("2nd"); numbers past the table take "th".
std::string OrdinalText(uint32_t number);

// One stunt event as the player's stunt tracker holds it; points below 0 mark a wiped event.
struct HudStuntEvent {
  int32_t type = 0;
  float points = 0;
};

// What the HUD reads of one racer each frame; the race session fills one per racer in race-list order.
struct HudRacerView {
  std::string driverName;
  int32_t racePosition = 0;  // 1 = leader
  bool isPlayer = false;
  bool wrongWay = false;
  platform::Vec3 position{};     // world, inches
  platform::Vec3 forwardAxis{};  // world heading
  float engineRpm = 0;
  float speedMph = 0;
  int32_t gear = 1;  // 0 reverse, 1 neutral, 2 first gear, ...
  float nitrousRemaining = 0;
  float nitrousCapacity = 0;
  int32_t bestLap = 0;  // highest lap count reached
  bool hasStunts = false;
  std::vector<HudStuntEvent> stuntEvents;
  uint32_t scoringEvents = 0;  // the stunt multiplier
  uint32_t stuntPoints = 0;    // points collected so far
};

class RaceHud {
 public:
  static constexpr int kRows = 6;
  static constexpr int kStuntLines = 10;
  // Game states the HUD reads and requests.
  static constexpr int32_t kStateResults = 5;
  static constexpr int32_t kStateCountdown = 11;
  static constexpr int32_t kStateGo = 12;
  static constexpr int32_t kStateAfterFinish = 14;
  static constexpr int32_t kResultsScreen = 11;

  // Loads sounds, font and pictures through resources and builds the panels, labels and gauges. Nothing here is
  // owned by the HUD except its widgets; definition must outlive it.
  RaceHud(platform::gfx::Device* device, render::ResourceManager* resources, const app::Settings* settings,
          const RaceDefinition& definition);
  ~RaceHud();
  RaceHud(const RaceHud&) = delete;
  RaceHud& operator=(const RaceHud&) = delete;

  // One row background per racer under the position-list header; called once while the track loads.
  void BuildPositionRows(platform::gfx::Device* device, uint32_t count);
  // The minimap over the track's AI path.
  void CreateMinimap(platform::gfx::Device* device, const geometry::Path& path);
  void SetRaceTime(float seconds) { raceTime = seconds; }
  // Per-frame values of the racers (racing and countdown states), after the race positions are updated.
  void Update(const std::vector<HudRacerView>& racers);
  // Per-frame housekeeping in every race state: tally count, countdown and after-finish clocks.
  void Tick(app::ScreenFlow& flow, float dt);
  // Refreshes every text and draws the overlay (the 2D pass).
  void Draw(platform::gfx::Device* device);
  // Draws the rear view (the render-target texture of mirrorTarget) inside the mirror frame, unless hidden.
  void DrawMirror(platform::gfx::Device* device, render::ImageResource* mirrorTarget);

  // Holds the start: requests the countdown state and shows the band.
  void StartCountdown(app::ScreenFlow& flow);
  // One countdown step of dt seconds: "3", "2", "1" with the first start sound at 1, 2 and 3 s, "GO!" with the
  // second and the go state at 4 s; the messages are cleared once the clock is past 5 s.
  void UpdateCountdown(app::ScreenFlow& flow, float dt);
  // After the player finished: requests the results screen every frame once 5 s have passed.
  void UpdateAfterFinish(app::ScreenFlow& flow, float dt);
  // The player finished: "Race Complete" and the result line; hides the panels from now on.
  void ShowResults(const RaceDefinition& finished);
  // The result line for the player's place in a race of the given type.
  static std::string ResultText(uint32_t raceType, uint32_t place);

  // Brings every label text up to date (the first step of Draw).
  void UpdateTexts();
  void UpdateStunts(const HudRacerView& player);
  void UpdateTally(float dt);

  // Texts of the panel widgets, for the session and tests.
  const HudLabel* TimeLabel() const { return timeLabel; }
  const HudLabel* LapLabel() const { return lapLabel; }
  const HudLabel* PlaceLabel() const { return placeLabel; }
  const HudLabel& ScoreLabel() const { return *scoreLabel; }
  const HudLabel& MultiplierLabel() const { return *multiplierLabel; }
  const HudLabel& StuntLabel(int i) const { return *stuntLabels[static_cast<size_t>(i)]; }
  const HudLabel& RowLabel(int i) const { return *rowLabels[static_cast<size_t>(i)]; }
  const HudLabel& CountdownLabel(int i) const { return *countdownLabels[static_cast<size_t>(i)]; }
  // Texts of the message labels in drawing order (front first).
  std::vector<std::string> MessageTexts() const;

  const RaceDefinition* definition = nullptr;
  const app::Settings* settings = nullptr;
  render::ResourceManager* resources = nullptr;

  PtrList<HudSprite> overlaySprites, panelSprites;
  PtrList<HudLabel> messageLabels, panelLabels;

  std::unique_ptr<GaugeCluster> gauges;
  std::unique_ptr<Minimap> minimap;
  render::ImageResource* panelImage = nullptr;
  render::ImageResource* minimapImage = nullptr;
  render::ImageResource* pointerImage = nullptr;
  render::ImageResource* focusedPointerImage = nullptr;
  render::ImageResource* mirrorImage = nullptr;
  render::ImageResource* startEndImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* fontMetrics = nullptr;

  HudLabel* timeLabel = nullptr;
  HudLabel* lapLabel = nullptr;
  HudLabel* placeLabel = nullptr;
  HudLabel* scoreLabel = nullptr;
  HudLabel* multiplierLabel = nullptr;
  std::array<HudLabel*, kStuntLines> stuntLabels{};
  std::array<HudLabel*, kRows> rowLabels{};
  std::unique_ptr<HudLabel> wrongWayLabel;
  std::array<std::unique_ptr<HudLabel>, 4> countdownLabels;
  std::unique_ptr<HudSprite> mirrorView, mirrorFrame;

  uint32_t place = 0;
  uint32_t racerCount = 0;
  uint32_t totalLaps = 0;
  uint32_t currentLap = 1;
  float raceTime = 0;
  uint32_t multiplier = 0;
  float tallyShown = 0;
  uint32_t tallyTarget = 0;
  float finishClock = 0;
  float countdownClock = 0;
  bool hidden = false;
  bool wrongWay = false;

  std::vector<std::string> stuntTexts;
  std::vector<bool> stuntWiped;
  std::array<std::string, kRows> rowNames{};
  std::array<bool, kRows> rowHighlight{};
  uint32_t rowsFilled = 0;

  platform::audio::SampleId start1Sound = platform::audio::kNoSample;
  platform::audio::SampleId start2Sound = platform::audio::kNoSample;
  platform::audio::SampleId tallySound = platform::audio::kNoSample;
  int tallyChannel = platform::audio::kNoChannel;
  // Plays of each start sound so far (the countdown's audible trace).
  uint32_t start1Plays = 0, start2Plays = 0;

 private:
  void BuildGauges(platform::gfx::Device* device);
  void BuildScoreLabels();
  HudLabel* AddPanelLabel(const std::string& text, float x, float y, float scale, bool highlight, int32_t align);
  HudSprite* MakeBand() const;
  void ClearMessages();
  int PlaySample(platform::audio::SampleId sample);
};

}  // namespace race
