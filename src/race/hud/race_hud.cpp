// Race HUD: loading its pictures and sounds, laying out panels and rows, and turning racer values into texts.
#include "race/hud/race_hud.h"

#include <algorithm>
#include <cmath>

#include "app/screen_flow.h"
#include "app/settings.h"
#include "geometry/path.h"
#include "race/race_definition.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace race {

const std::array<const char*, 6> StuntAwardNames = {"Air!", "Powerslide", "Nice Pass!",
                                                    "Two Wheels", "Big Air!", "Huge Air!"};

namespace {
constexpr float kTallyPointsPerSecond = 1000.0f;
constexpr uint32_t kMaxMinutes = 99;
constexpr float kRowTop = 105.0f;
constexpr float kRowPitch = 19.0f;
constexpr float kPanelTexelRows = 128.0f;
constexpr float kHeaderTexelRows = 13.0f;

std::string TwoDigits(uint32_t value) { return (value <= 9 ? "0" : "") + std::to_string(value); }

bool IsTimedType(uint32_t type) { return type == kRaceTimeTrial || type == kRaceChicken; }
}  // namespace

std::string FormatRaceTime(float seconds) {
  const double scaled = std::floor(static_cast<double>(seconds) * 100.0);
  // Hundredths beyond the 32-bit range (or not a number) would wrap; they are as far past the cap as it gets.
  uint32_t h = 0;
  if (scaled >= 4294967295.0) {
    h = 0xFFFFFFFFu;
  } else if (scaled > 0.0) {
    h = static_cast<uint32_t>(scaled);
  }
  uint32_t hundredths = h % 100;
  uint32_t s = h / 100;
  uint32_t minutes = s / 60;
  uint32_t secs = s % 60;
  if (minutes > kMaxMinutes) minutes = secs = hundredths = 99;
  return TwoDigits(minutes) + ":" + TwoDigits(secs) + "'" + TwoDigits(hundredths);
}

std::string OrdinalText(uint32_t number) {
  const char* suffix = number < OrdinalSuffixes.size() ? OrdinalSuffixes[number] : "th";
  return std::to_string(number) + suffix;
}

RaceHud::RaceHud(platform::gfx::Device* device, render::ResourceManager* resources, const app::Settings* settings,
                 const RaceDefinition& definition)
    : definition(&definition), settings(settings), resources(resources) {
  totalLaps = definition.laps > 0 ? static_cast<uint32_t>(definition.laps) : 1;
  if (resources != nullptr) {
    tallySound = resources->LoadSoundSample("SOUNDS//tally.wav", true);
    start1Sound = resources->LoadSoundSample("SOUNDS//start1.wav", false);
    start2Sound = resources->LoadSoundSample("SOUNDS//start2.wav", false);
    fontImage = resources->LoadImagePair(device, "FONT\\digital.png", "FONT\\digitala.png", false, true);
    fontMetrics = resources->LoadFont("FONT\\digital.ini");
    minimapImage = resources->LoadImagePair(device, "HUD\\minimap.png", "HUD\\minimapa.png", false, true);
    panelImage = resources->LoadImagePair(device, "HUD\\panel.png", "HUD\\panelalpha.png", false, true);
    focusedPointerImage =
        resources->LoadImagePair(device, "HUD\\focusedpointer.png", "HUD\\pointera.png", false, true);
    pointerImage = resources->LoadImagePair(device, "HUD\\pointer.png", "HUD\\pointera.png", false, true);
    mirrorImage = resources->LoadImagePair(device, "HUD\\mirror.png", "HUD\\mirror_alpha.png", false, true);
    startEndImage = resources->LoadImagePair(device, "HUD\\startend.png", "HUD\\startenda.png", false, true);
  }
  BuildGauges(device);
}

RaceHud::~RaceHud() {
  wrongWayLabel.reset();
  for (auto& label : countdownLabels) {
    messageLabels.RemoveObject(label.get());
    label.reset();
  }
  if (tallyChannel != platform::audio::kNoChannel && resources != nullptr) {
    resources->SampleMixer().StopSound(tallyChannel);
  }
  tallyChannel = platform::audio::kNoChannel;
  if (resources != nullptr) {
    for (platform::audio::SampleId sample : {tallySound, start1Sound, start2Sound}) {
      if (sample != platform::audio::kNoSample) resources->ReleaseSoundSample(sample);
    }
    if (fontMetrics != nullptr) resources->ReleaseFont(fontMetrics);
    for (render::ImageResource* image :
         {fontImage, panelImage, minimapImage, focusedPointerImage, pointerImage, mirrorImage, startEndImage}) {
      if (image != nullptr) resources->ReleaseImage(image);
    }
  }
  messageLabels.DeleteTextLabels();
  panelLabels.DeleteTextLabels();
  overlaySprites.DeleteSprites();
  panelSprites.DeleteSprites();
  gauges.reset();
  mirrorView.reset();
  mirrorFrame.reset();
  if (minimap) minimap->Release();
  minimap.reset();
}

HudLabel* RaceHud::AddPanelLabel(const std::string& text, float x, float y, float scale, bool highlight,
                                 int32_t align) {
  return panelLabels.PushFront(new HudLabel(fontImage, fontMetrics, text, x, y, scale, highlight, align));
}

void RaceHud::BuildGauges(platform::gfx::Device* device) {
  panelSprites.PushFront(new HudSprite(panelImage, 20, 24, 200, 64, 0.1f, 0.0f, 0.2f, 1.0f, false));
  panelSprites.PushFront(new HudSprite(panelImage, 580, 24, 200, 64, 0.1f, 0.0f, 0.2f, 1.0f, false));
  panelSprites.PushFront(new HudSprite(panelImage, 684, 90, 94, 13, 0.255f, 0.0f, 0.999f, 0.1015625f, false));
  mirrorView = std::make_unique<HudSprite>(nullptr, 400, 68, 327, 86, 1.0f, 0.0f, 0.0f, 1.0f, true);
  mirrorFrame = std::make_unique<HudSprite>(mirrorImage, 400, 64, 338, 127, 0.0f, 0.0f, 1.0f, 1.0f, true);
  gauges = std::make_unique<GaugeCluster>(device, resources, RaceGaugeLayout());

  const bool timed = IsTimedType(definition->type);
  placeLabel = AddPanelLabel("---", timed ? 20.0f : 580.0f, timed ? 24.0f : 56.0f, 1.0f, true, kHudAlignLeft);
  timeLabel = AddPanelLabel("00:00'00", timed ? 580.0f : 20.0f, timed ? 56.0f : 24.0f, 1.0f, false, kHudAlignLeft);
  lapLabel = AddPanelLabel("Lap " + std::to_string(currentLap) + "/" + std::to_string(totalLaps), 210, 56, 1.0f, true,
                           kHudAlignRight);
  BuildScoreLabels();
  for (int i = 0; i < kRows; ++i) {
    rowLabels[static_cast<size_t>(i)] =
        AddPanelLabel("----", 750, kRowTop + kRowPitch * static_cast<float>(i), 0.6f, false, kHudAlignRight);
    rowHighlight[static_cast<size_t>(i)] = false;
  }
  wrongWayLabel = std::make_unique<HudLabel>(fontImage, fontMetrics, "WRONG WAY", 400, 260, 1.0f, true, kHudAlignCentre);

  const char* texts[4] = {"3", "2", "1", "GO!"};
  const float xs[4] = {300, 400, 500, 400};
  const float ys[4] = {260, 260, 260, 320};
  for (size_t i = 0; i < 4; ++i) {
    const bool go = i == 3;
    countdownLabels[i] = std::make_unique<HudLabel>(fontImage, fontMetrics, texts[i], xs[i], ys[i], go ? 1.5f : 1.0f,
                                                    go, kHudAlignCentre);
  }
}

void RaceHud::BuildScoreLabels() {
  scoreLabel = AddPanelLabel("$0", 775, 28, 0.75f, false, kHudAlignRight);
  multiplierLabel = AddPanelLabel("", 550, 235, 0.75f, false, kHudAlignLeft);
  for (auto& label : stuntLabels) label = AddPanelLabel("", 0, 0, 0.6f, false, kHudAlignRight);
}

void RaceHud::BuildPositionRows(platform::gfx::Device* /*device*/, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const float top = (kRowPitch * static_cast<float>(i) + kHeaderTexelRows) / kPanelTexelRows;
    const float bottom = (kRowPitch * static_cast<float>(i + 1) + kHeaderTexelRows) / kPanelTexelRows;
    panelSprites.PushFront(new HudSprite(panelImage, 684, 103 + kRowPitch * static_cast<float>(i), 94, kRowPitch,
                                         0.255f, top, 0.999f, bottom, false));
  }
}

void RaceHud::CreateMinimap(platform::gfx::Device* device, const geometry::Path& path) {
  if (minimap) minimap->Release();
  minimap = std::make_unique<Minimap>(device, path, minimapImage, focusedPointerImage, pointerImage, startEndImage,
                                      90.0f, 500.0f, 150.0f, 150.0f, 8.0f, 16.0f);
}

void RaceHud::Update(const std::vector<HudRacerView>& racers) {
  rowsFilled = 0;
  for (size_t i = 0; i < racers.size() && i < static_cast<size_t>(kRows); ++i) {
    rowNames[i] = "----";
    rowHighlight[i] = false;
  }
  racerCount = static_cast<uint32_t>(racers.size());
  if (minimap && minimap->RacerCount() != racers.size()) minimap->SetRacerCount(racers.size());

  const bool timed = IsTimedType(definition->type);
  for (size_t k = 0; k < racers.size(); ++k) {
    const HudRacerView& car = racers[k];
    if (!timed && car.racePosition >= 1 && car.racePosition <= kRows) {
      const auto row = static_cast<size_t>(car.racePosition - 1);
      rowNames[row] = car.driverName;
      rowHighlight[row] = car.isPlayer;
      ++rowsFilled;
    }
    if (car.isPlayer) {
      wrongWay = car.wrongWay;
      if (car.hasStunts) UpdateStunts(car);
      if (gauges) {
        gauges->rpm = car.engineRpm;
        gauges->speed = car.speedMph;
        gauges->gear = car.gear;
        gauges->nitrous = car.nitrousCapacity > 0.0f ? car.nitrousRemaining / car.nitrousCapacity : 0.0f;
      }
      place = car.racePosition > 0 ? static_cast<uint32_t>(car.racePosition) : 0;
      if (timed) {
        place = 4;
        for (size_t target = 3; target >= 1; --target) {
          const auto t = static_cast<uint32_t>(definition->targetTimes[target]);
          rowNames[target - 1] = FormatRaceTime(static_cast<float>(t));
          if (static_cast<float>(t) > raceTime) {
            place = static_cast<uint32_t>(target);
            rowHighlight[target - 1] = false;
          } else {
            rowHighlight[target - 1] = true;
          }
        }
      }
      const int64_t lap = static_cast<int64_t>(car.bestLap) + 1;
      currentLap = lap < 1 ? 1u : static_cast<uint32_t>(std::min<int64_t>(lap, totalLaps));
    }
    if (minimap) minimap->SetRacer(k, car.position, car.forwardAxis, car.isPlayer);
  }
}

void RaceHud::UpdateStunts(const HudRacerView& player) {
  stuntTexts.clear();
  stuntWiped.clear();
  for (const HudStuntEvent& event : player.stuntEvents) {
    if (stuntTexts.size() >= static_cast<size_t>(kStuntLines)) break;
    // Unknown stunt types never come from the tracker; they are shown as the first award rather than read past.
    const size_t type = event.type >= 0 && static_cast<size_t>(event.type) < StuntAwardNames.size()
                            ? static_cast<size_t>(event.type)
                            : 0;
    if (event.points < 0.0f) {
      stuntTexts.emplace_back(StuntAwardNames[type]);
      stuntWiped.push_back(true);
    } else {
      stuntTexts.push_back(std::string(StuntAwardNames[type]) + " " +
                           WholeNumberText(std::floor(static_cast<double>(event.points) + 0.5)));
      stuntWiped.push_back(false);
    }
  }
  multiplier = player.scoringEvents;
  tallyTarget = player.stuntPoints;
}

void RaceHud::UpdateTally(float dt) {
  const auto target = static_cast<float>(tallyTarget);
  if (tallyShown == target) {
    if (tallyChannel != platform::audio::kNoChannel && resources != nullptr) {
      resources->SampleMixer().StopSound(tallyChannel);
    }
    tallyChannel = platform::audio::kNoChannel;
    return;
  }
  const float step = dt * kTallyPointsPerSecond;
  if (tallyShown < target) {
    tallyShown = std::min(tallyShown + step, target);
  } else {
    tallyShown = std::max(tallyShown - step, target);
  }
  if (tallyChannel == platform::audio::kNoChannel) tallyChannel = PlaySample(tallySound);
}

int RaceHud::PlaySample(platform::audio::SampleId sample) {
  if (sample == platform::audio::kNoSample || resources == nullptr) return platform::audio::kNoChannel;
  return resources->SampleMixer().PlaySound(platform::audio::kFreeChannel, sample);
}

void RaceHud::UpdateTexts() {
  for (size_t i = 0; i < static_cast<size_t>(kRows); ++i) {
    rowLabels[i]->SetText(rowNames[i]);
    if (rowLabels[i]->highlight != rowHighlight[i]) rowLabels[i]->SetAltGlyphs(rowHighlight[i]);
  }
  if (timeLabel != nullptr) timeLabel->SetText(FormatRaceTime(raceTime));
  if (lapLabel != nullptr) lapLabel->SetText("Lap " + std::to_string(currentLap) + "/" + std::to_string(totalLaps));
  if (placeLabel != nullptr) {
    if (definition->type == kRaceTimeTrial) {
      placeLabel->SetText("TIMETRIAL");
    } else if (definition->type == kRaceChicken) {
      placeLabel->SetText("CHICKEN");
    } else {
      placeLabel->SetText(OrdinalText(place) + "/" + std::to_string(racerCount));
    }
  }
  for (size_t i = 0; i < stuntLabels.size(); ++i) {
    if (i < stuntTexts.size()) {
      stuntLabels[i]->Build(stuntTexts[i], 580, 260 + 20 * static_cast<float>(i), 0.6f,
                            i < stuntWiped.size() && stuntWiped[i], kHudAlignLeft);
    } else {
      stuntLabels[i]->SetText("");
    }
  }
  multiplierLabel->SetText(multiplier < 2 ? std::string() : std::to_string(multiplier) + "x Multiplier");
  scoreLabel->SetText("$" + WholeNumberText(std::trunc(static_cast<double>(tallyShown))));
}

void RaceHud::Tick(app::ScreenFlow& flow, float dt) {
  UpdateTally(dt);
  // The race has no buttons, so there is no cursor to follow here.
  if (flow.state == kStateCountdown) {
    UpdateCountdown(flow, dt);
  } else if (flow.state == kStateAfterFinish) {
    UpdateAfterFinish(flow, dt);
  }
  if (countdownClock >= 4.0f) UpdateCountdown(flow, dt);
}

void RaceHud::Draw(platform::gfx::Device* device) {
  UpdateTexts();
  if (!hidden) {
    if (gauges) gauges->Draw(device);
    if (minimap) minimap->Draw(device);
  }
  if (device == nullptr) return;
  overlaySprites.ForEach([&](HudSprite* sprite) { sprite->Draw(device); });
  if (!hidden) panelSprites.ForEach([&](HudSprite* sprite) { sprite->Draw(device); });
  messageLabels.ForEach([&](HudLabel* label) { label->Draw(device); });
  if (!hidden) {
    panelLabels.ForEach([&](HudLabel* label) { label->Draw(device); });
    if (wrongWay && wrongWayLabel) wrongWayLabel->Draw(device);
  }
}

void RaceHud::DrawMirror(platform::gfx::Device* device, render::ImageResource* mirrorTarget) {
  if (hidden || device == nullptr) return;
  platform::gfx::Texture* texture = mirrorTarget != nullptr ? mirrorTarget->GetRenderTargetTexture() : nullptr;
  if (texture != nullptr) device->SetTexture(0, texture);
  if (mirrorView) mirrorView->DrawRotated(device);
  if (mirrorFrame) mirrorFrame->Draw(device);
}

std::vector<std::string> RaceHud::MessageTexts() const {
  std::vector<std::string> texts;
  messageLabels.ForEach([&](HudLabel* label) { texts.push_back(label->text); });
  return texts;
}

}  // namespace race
