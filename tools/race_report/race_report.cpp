// What a headless race did, gathered frame by frame, and its JSON form.
#include "race_report/race_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "race/hud/race_hud.h"
#include "race/race_definition.h"
#include "vehicle/vehicle.h"
#include "vehicle/wheel_effects.h"

namespace race_report {

namespace {

constexpr std::array<const char*, render::kParticleTypeCount> kParticleKinds = {
    "none", "smoke", "dust", "snow", "grass", "debris", "sparks", "blueSparks", "flames"};

bool Finite(const platform::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Number(float value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
  return text;
}

const char* Bool(bool value) { return value ? "true" : "false"; }

// A HUD stunt line without the points that follow the award's name.
std::string AwardName(const std::string& line) {
  const size_t space = line.find_last_of(' ');
  if (space == std::string::npos || line.find_first_not_of("0123456789", space + 1) != std::string::npos) return line;
  return line.substr(0, space);
}

}  // namespace

Recorder::Recorder(game::HeadlessRace& race) : race_(race) {
  if (race_.Session() == nullptr) return;
  for (const vehicle::Vehicle* car : race_.Session()->Racers()) cars_.push_back(car);
  carLines_.resize(cars_.size());
  // Chicken opponents race the other way round: for them the wrong way is the right one.
  const race::RaceDefinition* definition = race_.Definition();
  const bool chicken = definition != nullptr && definition->type == race::kRaceChicken;
  std::vector<bool> reversed;
  for (const vehicle::Vehicle* car : cars_) reversed.push_back(chicken && !car->isPlayer);
  figures_ = std::make_unique<FigureKeeper>(cars_, reversed);
  lastTime_ = race_.Time();
}

std::string Recorder::SampleName(platform::audio::SampleId sample) const {
  const render::SampleRecord* record = race_.Resources().FindSampleRecord(sample);
  if (record == nullptr) return "sample " + std::to_string(sample);
  // Names are kept in their normalised form, under the game folder; the report names them from there.
  const std::string base = race_.Resources().NormaliseName("x");
  const std::string prefix = base.substr(0, base.size() - 1);
  return record->name.rfind(prefix, 0) == 0 ? record->name.substr(prefix.size()) : record->name;
}

void Recorder::Observe() {
  race::RaceSession* session = race_.Session();
  if (session == nullptr) return;
  const auto& racing = session->Racers();
  figures_->Observe(racing, race_.Time(), static_cast<float>(race_.Time() - lastTime_), session->raceTime > 0);
  lastTime_ = race_.Time();
  for (size_t i = 0; i < cars_.size(); ++i) {
    const vehicle::Vehicle* car = cars_[i];
    // A knocked-out car has left the race; its line keeps what it had reached.
    if (std::find(racing.begin(), racing.end(), car) == racing.end()) {
      if (carLines_[i].knockedOutAt < 0) carLines_[i].knockedOutAt = static_cast<float>(race_.Time());
      continue;
    }
    if (!Finite(car->position)) ++nonFinite_;
    CarLine& line = carLines_[i];
    line.driver = car->driverName;
    line.player = car->isPlayer;
    line.vehicle = car->vehicleName;
    line.carClass = car->carClass >= 0 && static_cast<size_t>(car->carClass) < race::CarClassNames.size()
                        ? race::CarClassNames[static_cast<size_t>(car->carClass)]
                        : "";
    line.laps = car->lapCount;
    line.place = car->racePosition;
    line.finished = car->progress >= static_cast<float>(session->laps);
    line.stuntPoints = car->stunts != nullptr ? car->stunts->CollectPoints() : 0;
    line.dents = line.brokenParts = 0;
    if (car->damage != nullptr) {
      for (int zone = 0; zone < vehicle::kDamageZoneCount; ++zone) {
        line.dents += car->damage->zoneDamage[zone] > 0.0f ? 1 : 0;
        line.brokenParts += car->damage->swapped[zone] ? 1 : 0;
      }
    }
  }

  if (!resultSeen_ && session->Result() != nullptr) {
    resultSeen_ = true;
    resultAt_ = static_cast<float>(race_.Time());
    knockedOut_ = session->Player() != nullptr && session->Player()->progress < static_cast<float>(session->laps);
  }

  // A line counts up while its award grows and loses its points when wiped: the same award keeps its log line.
  std::vector<ShownStunt> shown;
  if (session->hud != nullptr) {
    // The labels take their texts when the HUD is drawn, which a headless race never does.
    session->hud->UpdateTexts();
    for (const race::HudLabel* label : session->hud->stuntLabels) {
      if (label == nullptr || label->text.empty()) continue;
      const std::string award = AwardName(label->text);
      auto earlier = std::find_if(shownStunts_.begin(), shownStunts_.end(),
                                  [&award](const ShownStunt& s) { return AwardName(s.text) == award; });
      if (earlier != shownStunts_.end()) {
        stuntLog_[earlier->logIndex] = label->text;
        shown.push_back({label->text, earlier->logIndex});
        shownStunts_.erase(earlier);
      } else {
        stuntLog_.push_back(label->text);
        shown.push_back({label->text, stuntLog_.size() - 1});
      }
    }
  }
  shownStunts_ = std::move(shown);

  platform::audio::Mixer& mixer = race_.Mixer();
  for (const auto& [sample, starts] : mixer.SampleStarts()) {
    if (starts == 0) continue;
    SoundSeen& seen = sounds_[sample];
    if (seen.name.empty()) seen.name = SampleName(sample);
    seen.starts = std::max(seen.starts, starts);
  }
  for (const platform::audio::Mixer::ChannelUse& use : mixer.BusyChannels()) {
    SoundSeen& seen = sounds_[use.sample];
    if (seen.name.empty()) seen.name = SampleName(use.sample);
    seen.minVolume = seen.heard ? std::min(seen.minVolume, use.volume) : use.volume;
    seen.maxVolume = seen.heard ? std::max(seen.maxVolume, use.volume) : use.volume;
    seen.heard = true;
  }
}

Report Recorder::Finish() {
  Report report;
  const race::RaceDefinition* definition = race_.Definition();
  race::RaceSession* session = race_.Session();
  if (definition != nullptr) {
    report.race = definition->name;
    report.type = definition->type < race::RaceTypeNames.size() ? race::RaceTypeNames[definition->type] : "LAP";
  }
  report.seconds = static_cast<float>(race_.Time());
  if (session != nullptr) report.laps = session->laps;
  report.cars = carLines_;
  if (figures_) {
    for (size_t i = 0; i < report.cars.size(); ++i) report.cars[i].figures = figures_->Figures()[i];
  }
  report.hudStuntLines = stuntLog_;
  if (session != nullptr && session->Scenery().particles != nullptr) {
    for (int type = 0; type < render::kParticleTypeCount; ++type) {
      if (const render::ParticleEmitter* emitter = session->Scenery().particles->Emitter(type)) {
        report.particles[static_cast<size_t>(type)] = emitter->acceptedCount;
      }
    }
  }
  for (const auto& [sample, seen] : sounds_) {
    report.sounds.push_back({seen.name, seen.starts, seen.minVolume, seen.maxVolume});
  }
  std::sort(report.sounds.begin(), report.sounds.end(),
            [](const SoundLine& a, const SoundLine& b) { return a.name < b.name; });
  if (const platform::input::ScriptedController* controller = race_.Controller()) {
    // The input devices number the controller's effects in the order it accepted them, as it made them.
    for (size_t effect = 0; effect < controller->effects.size(); ++effect) {
      const int starts = controller->effects[effect].starts;
      report.forceEffects += static_cast<uint32_t>(starts);
      if (effect == static_cast<size_t>(vehicle::kJoltEffect)) report.jolts = static_cast<uint32_t>(starts);
    }
  }
  if (session != nullptr && session->Result() != nullptr) {
    report.hasResult = true;
    report.resultPlace = session->Result()->place;
    report.prize = definition != nullptr ? definition->RewardForPlace(report.resultPlace) : 0;
    report.resultTime = session->Result()->raceTime;
    report.resultAt = resultAt_;
    report.knockedOut = knockedOut_;
  }
  report.nonFinite = nonFinite_;
  return report;
}

void Run(game::HeadlessRace& race, float seconds, const std::function<void()>& afterFrame) {
  const auto frames = static_cast<long>(std::ceil(seconds / kFrameTime));
  for (long frame = 0; frame < frames; ++frame) {
    race.Frame(kFrameTime);
    if (afterFrame) afterFrame();
  }
}

std::string ToJson(const Report& report) {
  std::string json = "{\"race\": " + Quoted(report.race) + ", \"type\": " + Quoted(report.type) +
                     ", \"laps\": " + std::to_string(report.laps) + ", \"seconds\": " + Number(report.seconds) + ",\n \"cars\": [";
  for (size_t i = 0; i < report.cars.size(); ++i) {
    const CarLine& car = report.cars[i];
    json += (i == 0 ? "\n  " : ",\n  ");
    json += "{\"driver\": " + Quoted(car.driver) + ", \"player\": " + Bool(car.player) +
            ", \"laps\": " + std::to_string(car.laps) + ", \"place\": " + std::to_string(car.place) +
            ", \"finished\": " + Bool(car.finished) + ", \"dents\": " + std::to_string(car.dents) +
            ", \"brokenParts\": " + std::to_string(car.brokenParts) + ", \"stuntPoints\": " + std::to_string(car.stuntPoints) +
            ", \"knockedOutAt\": " + (car.knockedOutAt < 0 ? std::string("null") : Number(car.knockedOutAt)) +
            ", \"vehicle\": " + Quoted(car.vehicle) + ", \"carClass\": " + Quoted(car.carClass) + ", \"spins\": " + std::to_string(car.figures.spins) +
            ", \"spunSeconds\": " + Number(car.figures.spunSeconds) +
            ", \"wrongWaySeconds\": " + Number(car.figures.wrongWaySeconds) +
            ", \"respawns\": " + std::to_string(car.figures.respawns) +
            ", \"wallContacts\": " + std::to_string(car.figures.wallContacts) +
            ", \"bestLap\": " + Number(car.figures.BestLap()) + ", \"lapTimes\": [";
    for (size_t lap = 0; lap < car.figures.lapTimes.size(); ++lap) {
      json += (lap == 0 ? "" : ", ") + Number(car.figures.lapTimes[lap]);
    }
    json += "], \"putBacks\": [";
    for (size_t k = 0; k < car.figures.putBacks.size(); ++k) {
      const PutBack& put = car.figures.putBacks[k];
      json += std::string(k == 0 ? "" : ", ") + "{\"at\": " + Number(put.at) + ", \"x\": " + Number(put.place.x) +
              ", \"y\": " + Number(put.place.y) + ", \"z\": " + Number(put.place.z) +
              ", \"pathIndex\": " + std::to_string(put.pathIndex) + ", \"fastestMph\": " + Number(put.fastestMph) +
              ", \"nearestCar\": " + Number(put.nearestCar) + ", \"cause\": " + Quoted(put.cause) + "}";
    }
    json += "]}";
  }
  json += "],\n \"hudStuntLines\": [";
  for (size_t i = 0; i < report.hudStuntLines.size(); ++i) {
    json += (i == 0 ? "" : ", ") + Quoted(report.hudStuntLines[i]);
  }
  json += "],\n \"particles\": {";
  for (int type = 1; type < render::kParticleTypeCount; ++type) {
    json += std::string(type == 1 ? "" : ", ") + Quoted(kParticleKinds[static_cast<size_t>(type)]) + ": " +
            std::to_string(report.particles[static_cast<size_t>(type)]);
  }
  json += "},\n \"sounds\": [";
  for (size_t i = 0; i < report.sounds.size(); ++i) {
    const SoundLine& sound = report.sounds[i];
    json += (i == 0 ? "\n  " : ",\n  ");
    json += "{\"name\": " + Quoted(sound.name) + ", \"count\": " + std::to_string(sound.count) +
            ", \"minVolume\": " + std::to_string(sound.minVolume) +
            ", \"maxVolume\": " + std::to_string(sound.maxVolume) + "}";
  }
  json += "],\n \"forceFeedback\": {\"effects\": " + std::to_string(report.forceEffects) +
          ", \"jolts\": " + std::to_string(report.jolts) + "},\n \"result\": ";
  json += report.hasResult ? "{\"place\": " + std::to_string(report.resultPlace) +
                                 ", \"prize\": " + std::to_string(report.prize) +
                                 ", \"time\": " + Number(report.resultTime) + ", \"at\": " + Number(report.resultAt) +
                                 ", \"knockedOut\": " + Bool(report.knockedOut) + "}"
                           : std::string("null");
  json += ",\n \"nonFinite\": " + std::to_string(report.nonFinite) + "}\n";
  return json;
}

}  // namespace race_report
