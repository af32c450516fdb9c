// Fuzzes the player profile file reader: any bytes either parse into content that encodes back to the file's
// entries (what follows them is not read) or are rejected; parsed content applied to a profile keeps one entry
// per database car, and reading the file straight into a profile gives the same profile.

#include "contentgen/race_content.h"
#include "fuzz_support.h"
#include "race/content_database.h"
#include "race/player_profile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  contentgen::ProfileFileWriter profile(7500, 2, 3);
  profile.Vehicle("Berline", true, {1, 2, 3}, {2}).Vehicle("Retired", true, {5}, {5}).Vehicle("C", false, {}, {});
  contentgen::ProfileFileWriter tail = profile;
  tail.RawBytes("\r\n\x1a");
  fuzz_support::WriteGeneratedSeeds(*argc, *argv,
                                    {{"profile.dat", profile.Bytes()}, {"profile_tail.dat", tail.Bytes()}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<unsigned char> bytes(data, data + size);
  race::ProfileFileData content;
  std::string problem;
  if (!race::ParseProfileFile(bytes, content, problem)) {
    Check(!problem.empty());
    return 0;
  }
  // Encoding is canonical (any non-zero owned byte reads as owned and is written as 1) and holds the entries only.
  const std::vector<unsigned char> encoded = race::EncodeProfileFile(content);
  Check(encoded.size() <= bytes.size());
  race::ProfileFileData reread;
  Check(race::ParseProfileFile(encoded, reread, problem));
  Check(race::EncodeProfileFile(reread) == encoded);

  static race::ContentDatabase* database = [] {
    auto* made = new race::ContentDatabase(nullptr, "");
    made->vehicleNames = {"Berline", "Coupe", "C"};
    made->vehiclePaths = {"a.dat", "b.dat", "c.dat"};
    made->vehicleClasses = {1, 2, 3};
    return made;
  }();
  race::PlayerProfile profile(database);
  profile.Apply(content);
  Check(profile.vehicleNames.size() == 3 && profile.owned.size() == 3 && profile.selections.size() == 3);
  Check(profile.careerProgress <= race::kMaxCareerProgress);
  for (const auto& selection : profile.selections) {
    for (size_t i = 0; i < selection->ownedIds.size(); ++i) {
      for (size_t j = i + 1; j < selection->ownedIds.size(); ++j) Check(selection->ownedIds[i] != selection->ownedIds[j]);
    }
  }
  // What the profile holds encodes to a file that reads back to the same profile.
  const std::vector<unsigned char> saved = race::EncodeProfileFile(profile.ToFileData());
  race::ProfileFileData again;
  Check(race::ParseProfileFile(saved, again, problem));
  Check(again.vehicles.size() == 3 + profile.otherVehicles.size());
  Check(profile.otherVehicles.size() <= race::kMaxKeptVehicles);
  // Read straight from the bytes, the file gives the same profile.
  race::PlayerProfile direct(database);
  Check(direct.ApplyFile(bytes, problem));
  Check(race::EncodeProfileFile(direct.ToFileData()) == saved);
  return 0;
}
