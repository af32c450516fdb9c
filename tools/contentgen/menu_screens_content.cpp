// Writer of the city circuit's outline model for the race-choice screens.
#include "contentgen/menu_screens_content.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "contentgen/test_world.h"

namespace contentgen {

MdlFile BuildTrackOutlineModel() {
  PathPointList loop;
  loop.closed = true;
  const float perimeter = test_world::Perimeter();
  for (int i = 0; i < kOutlinePathPoints; ++i) {
    loop.points.push_back(test_world::CentreAt(perimeter * static_cast<float>(i) / kOutlinePathPoints));
  }
  PathRecord path;
  path.name = "outline";
  path.lists.push_back(std::move(loop));
  MdlFile file;
  file.paths.push_back(std::move(path));
  return file;
}

bool WriteMenuScreensContent(const std::string& gameFolder) {
  const std::string folder = gameFolder + "TRACKS/CITY/";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::printf("contentgen: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return false;
  }
  return WriteMdl(folder + "city.MDL", BuildTrackOutlineModel());
}

}  // namespace contentgen
