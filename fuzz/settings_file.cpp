// Fuzzes the settings-file reader: any text must load without reading outside a table, keep every binding in
// range, and save to a text that is settings text and reads back to itself.
#include <memory>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/text_file_reader.h"
#include "fuzz_support.h"

namespace {

std::unique_ptr<app::Settings> Read(const app::HardwareInfo& hardware, const std::string& text) {
  auto settings = std::make_unique<app::Settings>(hardware, "", "");
  app::TextFileReader reader;
  reader.OpenText(text);
  settings->ReadConfig(reader);
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const app::HardwareInfo hardware(app::MachineFacts{2000, 1024, 8});
  const std::string input = fuzz_support::Text(data, size);
  app::ConfigFileProblem(input);

  const std::unique_ptr<app::Settings> settings = Read(hardware, input);
  const std::string saved = settings->ConfigText();
  for (int action = -1; action <= app::kActionSlots; ++action) {
    Check(settings->GetKey(action) >= -1 && settings->GetKey(action) < app::kKeyCodeLimit);
    Check(settings->GetJoyButton(action) >= -1 && settings->GetJoyButton(action) < app::kJoyButtonLimit);
    Check(settings->GetJoyAxis(action) >= -1 && settings->GetJoyAxis(action) < app::kJoyAxisLimit);
    Check(settings->GetJoyAxisDir(action) >= -1 && settings->GetJoyAxisDir(action) <= 1);
  }
  const int resolution = settings->GetInt(app::SettingId::RESOLUTION);
  Check(resolution >= 0 && resolution < app::kResolutionCount);
  const int viewDistance = settings->GetInt(app::SettingId::VIEWDISTANCE);
  Check(viewDistance >= 0 && viewDistance < app::kViewDistanceCount);

  // What was saved is never set aside and reads back to the same settings.
  Check(app::ConfigFileProblem(saved).empty());
  Check(Read(hardware, saved)->ConfigText() == saved);
  return 0;
}
