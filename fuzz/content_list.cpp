// Fuzzing the content list (manifest.dat) read through the content database, beside the generated race lists and
// opponent names it may name: cars keep their file, name and class together, every car of a class is reachable
// by class, and the chosen car setting always names a listed car.

#include "app/data_file.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/race_content.h"
#include "fuzz_support.h"
#include "platform/os.h"
#include "race/content_database.h"

namespace {

// Race lists draw start places from the clock: a fixed one keeps every run of an input the same.
class FixedClock : public platform::Clock {
 public:
  int64_t Ticks() const override { return 12345; }
  int64_t TicksPerSecond() const override { return 1000; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  Check(contentgen::WriteRaceContent(fuzz_support::ScratchFolder()));
  fuzz_support::WriteGeneratedSeeds(*argc, *argv, {fuzz_support::TextSeed("manifest.dat", contentgen::ManifestText())});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const app::HardwareInfo hardware(app::MachineFacts{2000, 1024, 8});
  static const FixedClock clock;
  const std::string folder = fuzz_support::ScratchFolder();
  const std::string text = fuzz_support::Text(data, size);
  app::Settings settings(hardware, "", "");
  settings.SetString(app::StringSettingId::VEHICLE, "no such car");
  race::ContentDatabase database(&settings, folder + "absent.dat", &clock);
  database.LoadFrom(app::DataFile::FromText(text, folder + contentgen::kManifestFile), folder, folder);

  const size_t cars = database.vehicleNames.size();
  Check(database.vehiclePaths.size() == cars && database.vehicleClasses.size() == cars);
  int byClass = 0;
  for (uint32_t carClass = 0; carClass < race::kCarClassCount; ++carClass) {
    const int count = database.CountById(carClass);
    byClass += count;
    // Values are never empty tokens, so an empty path means the look-up missed a car of the class.
    if (count > 0) Check(!database.ValueById(carClass, count - 1).empty());
    Check(database.ValueById(carClass, count).empty());
  }
  Check(byClass == database.VehicleCount());
  for (size_t i = 0; i < cars && i < 64; ++i) {
    const int found = database.FindStringIndex(database.vehicleNames[i]);
    Check(found >= 0 && static_cast<size_t>(found) <= i);
  }
  if (cars > 0) Check(database.FindStringIndex(settings.GetString(app::StringSettingId::VEHICLE)) >= 0);
  for (const auto* list : {database.instantRaces.get(), database.quickRaces.get(), database.careerRaces.get(),
                           database.demoRaces.get(), database.contestRaces.get()}) {
    for (int i = 0; list != nullptr && i < list->Count(); ++i) {
      Check(list->At(i)->classRestriction < race::kCarClassCount && list->At(i)->type < race::kRaceTypeCount);
    }
  }
  return 0;
}
