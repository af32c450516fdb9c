// Loading a car from its definition file: upgrades and ratings, identity and body values, the engine and the
// steering, with the installed upgrades' overrides. The body model's parts come in through AssembleChassis.
#include "vehicle/vehicle_definition.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/data_file.h"
#include "app/paths.h"
#include "platform/os.h"
#include "vehicle/random_upgrades.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace vehicle {

const char* const CarClassNames[kCarClassCount] = {"OPEN", "C", "B", "A", "MIXED"};

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

float ParseFloat(const std::string& text) {
  const float value = static_cast<float>(std::atof(text.c_str()));
  return std::isfinite(value) ? value : 0.0f;
}

std::string UpperCopy(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

const std::vector<std::string>* DefinitionReader::FileValues(const char* key) const {
  const app::DataRecord* record = file.FindRecord(key);
  return record == nullptr ? nullptr : &record->values;
}

const std::vector<std::string>* DefinitionReader::Values(const char* key, uint32_t upgradeKey,
                                                         bool onlyWhenFileHasKey) const {
  const std::vector<std::string>* values = FileValues(key);
  if (onlyWhenFileHasKey && values == nullptr) return nullptr;
  if (upgrades != nullptr) {
    if (const UpgradeProperty* p = upgrades->InstalledProperty(upgradeKey)) return &p->values;
  }
  return values;
}

bool DefinitionReader::Float(const char* key, uint32_t upgradeKey, float& out) const {
  const std::vector<std::string>* values = Values(key, upgradeKey, true);
  if (values == nullptr || values->empty()) return false;
  out = ParseFloat((*values)[0]);
  return true;
}

bool DefinitionReader::FileFloat(const char* key, float& out) const {
  const std::vector<std::string>* values = FileValues(key);
  if (values == nullptr || values->empty()) return false;
  out = ParseFloat((*values)[0]);
  return true;
}

namespace {

// Installed upgrades: the player's selection, or random picks for a computer car (matched to a reference car's
// stats when one is given).
void ChooseUpgrades(UpgradeList& list, UpgradeSelection* selection, const UpgradeList* reference, float margin,
                    bool dressed) {
  if (selection != nullptr) {
    list.ApplySelection(selection);
  } else if (reference != nullptr) {
    ChooseCosmeticUpgrades(list, platform::CrtRand);
    list.MatchStats(*reference, margin);
  } else if (dressed) {
    ChooseDressUpgrades(list, platform::CrtRand);
  } else {
    ChooseRandomUpgrades(list, UpgradeRule::kFull, platform::CrtRand);
  }
}

}  // namespace

bool Vehicle::LoadDefinition(const std::string& path, UpgradeSelection* selection, const UpgradeList* reference,
                             float margin, bool dressed) {
  const std::string absolute = app::MakeSystemPath(app::GetExecutableFolder(), path);
  const app::DataFile file(absolute);
  if (file.Records().empty()) {
    std::printf("vehicle: %s has no definition records\n", absolute.c_str());
  }
  LoadDefinitionFrom(file, FolderOf(absolute), selection, reference, margin, dressed);
  return !file.Records().empty();
}

void Vehicle::LoadDefinitionFrom(const app::DataFile& file, const std::string& carFolder,
                                 UpgradeSelection* selection, const UpgradeList* reference, float margin,
                                 bool dressed) {
  upgrades = std::make_unique<UpgradeList>();
  folder = carFolder;
  const DefinitionReader read{file, upgrades.get()};
  if (const auto* v = read.FileValues("UPGRADES"); v && !v->empty()) {
    upgrades->Load(folder + (*v)[0]);
    ChooseUpgrades(*upgrades, selection, reference, margin, dressed);
  }
  for (int rating = 0; rating < 5; ++rating) ratings[rating] = RatingFromUpgrades(*upgrades, rating);

  if (const auto* v = read.FileValues("VEHICLE_NAME"); v && !v->empty()) vehicleName = (*v)[0];
  if (const auto* v = read.FileValues("COST"); v && !v->empty()) cost = std::atoi((*v)[0].c_str());
  if (const auto* v = read.FileValues("CLASS"); v && !v->empty()) {
    const std::string wanted = UpperCopy((*v)[0]);
    for (int32_t c = 0; c < kCarClassCount; ++c) {
      if (wanted == CarClassNames[c]) {
        carClass = c;
        break;
      }
    }
  }
  read.FileFloat("CGHEIGHT", cgHeight);
  read.FileFloat("MASS", mass);
  // A car without mass would divide the weight transfer by zero.
  if (!(mass > 0)) mass = 1500.0f;
  read.FileFloat("MAXIMUM_BODY_PITCH", maxBodyPitch);
  read.FileFloat("MAXIMUM_BODY_ROLL", maxBodyRoll);
  auto drivetrainOf = [](const std::string& text, int32_t fallback) {
    if (text == "RWD") return static_cast<int32_t>(kRearWheelDrive);
    if (text == "FWD") return static_cast<int32_t>(kFrontWheelDrive);
    if (text == "AWD") return static_cast<int32_t>(kAllWheelDrive);
    return fallback;
  };
  if (const auto* v = read.FileValues("DRIVETRAIN"); v && !v->empty()) drivetrain = drivetrainOf((*v)[0], drivetrain);
  if (const UpgradeProperty* p = upgrades->InstalledProperty(kKeyDrivetrain); p && !p->values.empty()) {
    drivetrain = drivetrainOf(p->values[0], drivetrain);
  }
  if (const auto* v = read.FileValues("HEADLIGHT"); v && !v->empty()) headlightFile = (*v)[0];
  if (const auto* v = read.FileValues("NEON"); v && !v->empty()) neonFile = (*v)[0];
  if (const UpgradeProperty* p = upgrades->InstalledProperty(kKeyNeon); p && !p->values.empty()) {
    neonFile = p->values[0];
  }
  if (const auto* v = read.FileValues("SHADOW"); v && !v->empty()) {
    shadowFile = (*v)[0];
    if (v->size() > 1) shadowAlphaFile = (*v)[1];
  }
  if (const auto* v = read.FileValues("VEHICLE_MODEL"); v && !v->empty()) vehicleModelFile = (*v)[0];
  if (upgrades->CountInstalledProperties(kKeyModelType) > 0 && selection != nullptr) {
    const UpgradeProperty* p = upgrades->NthInstalledProperty(kKeyModelType, 0);
    if (p != nullptr && !p->values.empty() && selection->IsInstalled(p->upgradeId)) vehicleModelFile = p->values[0];
  }
  if (const auto* v = read.FileValues("DAMAGE_MODEL"); v && !v->empty()) damageModelFile = (*v)[0];
  if (const auto* v = read.FileValues("SHADOW_MODEL"); v && !v->empty()) shadowModelFile = (*v)[0];
  if (file.HasRecord("TORQUE_CURVE") && file.HasRecord("SOUNDS_FOLDER")) {
    engine = std::make_unique<Engine>(file, 0, upgrades.get());
  }
  exhaustPartNames.clear();
  for (int n = 0; const app::DataRecord* r = file.NthRecord("EXHAUST", n); ++n) {
    exhaustPartNames.push_back(r->values.empty() ? std::string() : r->values[0]);
  }
  if (const KeyedRecord* u = upgrades->LastInstalledWithProperty(kKeyExhaust)) {
    exhaustPartNames.clear();
    for (const UpgradeProperty& p : u->properties) {
      if (p.key == kKeyExhaust) exhaustPartNames.insert(exhaustPartNames.end(), p.values.begin(), p.values.end());
    }
  }
  steering = std::make_unique<Steering>(file);
  // The wheels are built by AssembleChassis from the body's parts; the tyre keys stay readable through the
  // definition kept here.
  definition_ = std::make_unique<app::DataFile>(file);
}

}  // namespace vehicle
