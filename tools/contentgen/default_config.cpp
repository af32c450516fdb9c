// Generates default_config.dat from the settings' own tables, so the file always matches what the game reads.
#include "contentgen/default_config.h"

#include "app/hardware_info.h"
#include "app/machine_tier.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/text_file_reader.h"
#include "contentgen/data_file_writer.h"

namespace contentgen {

namespace {
constexpr int kSampleFieldOfView = 65;  // degrees, vertical
}  // namespace

std::string DefaultConfigText() {
  // Machine facts play no part: the text comes from the tables only.
  const app::HardwareInfo hardware(app::MachineFacts{});
  app::Settings settings(hardware, "", "");
  using S = app::SettingId;
  for (const app::PresetEntry& entry : app::AutoConfigureBase) {
    settings.SetInt(entry.id, entry.valueByTier[app::kFirstRunTier]);
  }
  for (const app::PresetEntry& entry : app::DetailPresets) {
    settings.SetInt(entry.id, entry.valueByTier[app::kFirstRunTier]);
  }
  settings.SetInt(S::FULLSCREEN, 0);
  // The chase eye sits 200 inches behind the car and 60 above it: a wider view than the table's keeps the sample
  // car to about a third of the picture's width, with the road ahead in sight over its roof.
  app::TextFileReader view;
  view.OpenText("FOV:" + std::to_string(kSampleFieldOfView) + "\n", "sample view");
  settings.ReadConfig(view);
  settings.UpdateDerived();
  settings.SetFirstRun(true);
  return "# Corsaire default settings: read on a first run, when config.dat does not exist yet.\n" +
         settings.ConfigText();
}

bool WriteDefaultConfig(const std::string& gameFolder) {
  return WriteTextFile(gameFolder + "/" + app::kDefaultConfigFileName, DefaultConfigText());
}

}  // namespace contentgen
