// The list of sample-content writers, run in order by the contentgen program.
#include "contentgen/content.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "contentgen/animated_models.h"
#include "contentgen/career_screens_content.h"
#include "contentgen/default_config.h"
#include "contentgen/effect_textures.h"
#include "contentgen/hud_content.h"
#include "contentgen/images.h"
#include "contentgen/plaza_track.h"
#include "contentgen/race_content.h"
#include "contentgen/sample_tracks.h"
#include "contentgen/sounds.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "contentgen/showroom_scene.h"
#include "contentgen/intro_scene.h"
#include "contentgen/garage_content.h"
#include "contentgen/help_content.h"
#include "contentgen/menu_content.h"
#include "contentgen/menu_screens_content.h"
#include "contentgen/vehicle_content.h"

namespace contentgen {

bool WriteAllContent(const std::string& folder) {
  // Every writer joins file names straight onto the folder, so it must end with its separator.
  const std::string gameFolder = folder.empty() || folder.back() == '/' ? folder : folder + '/';
  std::error_code error;
  std::filesystem::create_directories(gameFolder, error);
  if (error) {
    std::fprintf(stderr, "contentgen: cannot create %s: %s\n", gameFolder.c_str(), error.message().c_str());
    return false;
  }
  if (!WriteImageContent(gameFolder)) return false;
  if (!WriteSoundAndForceContent(gameFolder)) return false;
  if (!WriteTestWorld(gameFolder)) return false;
  if (!WriteTrackScene(gameFolder) || !WriteShowroomScene(gameFolder) || !WriteIntroScene(gameFolder)) return false;
  if (!WriteSampleTracks(gameFolder) || !WritePlazaTrack(gameFolder)) return false;
  if (!WriteVehicleContent(gameFolder)) return false;
  if (!WriteAnimatedModelContent(gameFolder)) return false;
  if (!WriteDefaultConfig(gameFolder)) return false;
  if (!WriteEffectTextures(gameFolder)) return false;
  if (!WriteRaceContent(gameFolder)) return false;
  if (!WriteHudContent(gameFolder)) return false;
  if (!WriteMenuContent(gameFolder)) return false;
  if (!WriteMenuScreensContent(gameFolder)) return false;
  if (!WriteGarageContent(gameFolder)) return false;
  if (!WriteHelpContent(gameFolder)) return false;
  if (!WriteCareerScreensContent(gameFolder)) return false;
  return true;
}

}  // namespace contentgen
