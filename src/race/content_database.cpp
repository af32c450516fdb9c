// Reading the content list: cars in list order, the first race list of each kind and the opponent names.
#include "race/content_database.h"

#include <cctype>
#include <cstdio>

#include "app/data_file.h"
#include "app/paths.h"
#include "app/settings.h"

namespace race {
namespace {

const std::string kNoPath;

std::string UpperCase(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

ContentDatabase::ContentDatabase(app::Settings* settings, const std::string& fileName, const platform::Clock* clock)
    : settings(settings), clock_(clock) {
  Load(fileName);
}

void ContentDatabase::Load(const std::string& fileName) {
  const std::string path = app::MakeSystemPath(app::GetExecutableFolder(), fileName);
  const app::DataFile file(path);
  LoadFrom(file, app::GetFolderPart(path), app::GetExecutableFolder());
}

void ContentDatabase::LoadFrom(const app::DataFile& file, const std::string& listFolder,
                               const std::string& gameFolder) {
  // The lists point at the name pool, so they go before it is refilled.
  instantRaces.reset();
  quickRaces.reset();
  careerRaces.reset();
  demoRaces.reset();
  contestRaces.reset();
  vehicleNames.clear();
  vehiclePaths.clear();
  vehicleClasses.clear();
  aiNames.clear();

  for (const app::DataRecord& record : file.Records()) {
    if (record.name != "VEHICLE") continue;
    if (record.values.size() < 2) {
      std::fprintf(stderr, "%s: a VEHICLE record without a file and a name is skipped\n", file.Path().c_str());
      continue;
    }
    uint32_t carClass = kClassC;
    if (record.values.size() > 2) {
      const int found = FindKeyword(CarClassNames, record.values[2]);
      if (found >= 0) carClass = static_cast<uint32_t>(found);
    }
    vehiclePaths.push_back(record.values[0]);
    vehicleNames.push_back(record.values[1]);
    vehicleClasses.push_back(carClass);
  }

  const struct {
    const char* record;
    std::unique_ptr<RaceList>* list;
  } kinds[] = {{"QUICKRACE", &quickRaces},
               {"CONTEST", &contestRaces},
               {"DEMO", &demoRaces},
               {"CAREER", &careerRaces},
               {"INSTANTRACE", &instantRaces}};
  for (const auto& kind : kinds) {
    const app::DataRecord* record = file.FindRecord(kind.record);
    if (record == nullptr || record->values.empty()) continue;
    *kind.list =
        std::make_unique<RaceList>(settings, &aiNames, app::MakeGameFolderPath(gameFolder, record->values[0]), clock_);
  }

  if (const app::DataRecord* names = file.FindRecord("AINAMES"); names != nullptr && !names->values.empty()) {
    const app::DataFile nameFile(app::MakeAbsolutePath(listFolder, names->values[0]));
    for (const app::DataRecord& name : nameFile.Records()) {
      if (name.name == "NAME" && !name.values.empty()) aiNames.push_back(name.values[0]);
    }
  }
  ValidateVehicleSetting();
}

int ContentDatabase::FindStringIndex(const std::string& name) const {
  const std::string wanted = UpperCase(name);
  for (size_t i = 0; i < vehicleNames.size(); ++i) {
    if (UpperCase(vehicleNames[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

const std::string& ContentDatabase::FindVehicle(const std::string& name) const {
  const int index = FindStringIndex(name);
  return index < 0 ? kNoPath : vehiclePaths[static_cast<size_t>(index)];
}

int ContentDatabase::CountById(uint32_t classId) const {
  int count = 0;
  for (uint32_t carClass : vehicleClasses) count += carClass == classId ? 1 : 0;
  return count;
}

const std::string& ContentDatabase::ValueById(uint32_t classId, int n) const {
  if (n < 0) return kNoPath;
  for (size_t i = 0; i < vehicleClasses.size(); ++i) {
    if (vehicleClasses[i] != classId) continue;
    if (n == 0) return vehiclePaths[i];
    --n;
  }
  return kNoPath;
}

void ContentDatabase::ValidateVehicleSetting() {
  if (settings == nullptr || vehicleNames.empty()) return;
  if (FindStringIndex(settings->GetString(app::StringSettingId::VEHICLE)) >= 0) return;
  settings->SetString(app::StringSettingId::VEHICLE, vehicleNames.front());
}

}  // namespace race
