// race_report GAME_FOLDER LIST INDEX SECONDS [--shots DIR --at S1,S2,...]: runs one race of a race list
// headless, a computer driver in every car, and prints what happened as one JSON object. With --shots the race
// is drawn on the OpenGL device of a window on the caller's X display, set up by the folder's config.dat, and
// the player's view is written into DIR as a PNG file at each time asked for. Exits with 2 on bad arguments, 1
// when the race cannot load, a picture cannot be made or a car's position stops being finite.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os.h"
#include "race_report/race_report.h"
#include "race_report/race_shots.h"

namespace {

constexpr uint32_t kSeed = 1;

int Usage() {
  std::fprintf(stderr,
               "usage: race_report GAME_FOLDER LIST INDEX SECONDS [--shots DIR --at S1,S2,...]\n"
               "  LIST is CAREER, CONTEST, QUICKRACE, INSTANTRACE or DEMO; INDEX counts from 0\n"
               "  --shots writes the player's view at the simulated seconds S1, S2, ... as PNG files into DIR\n");
  return 2;
}

bool ParseNumber(const char* text, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 9) return Usage();
  double index = 0, seconds = 0;
  if (!ParseNumber(argv[3], index) || index < 0 || index != static_cast<int>(index) ||
      !ParseNumber(argv[4], seconds) || !(seconds >= 0) || seconds > 3600) {
    return Usage();
  }
  const bool shots = argc == 9;
  std::vector<float> shotTimes;
  if (shots && (std::string(argv[5]) != "--shots" || std::string(argv[7]) != "--at" ||
                !race_report::ParseShotTimes(argv[8], shotTimes))) {
    return Usage();
  }
  // The game prints what it loads to standard output; the report alone goes there.
  std::FILE* out = platform::DivertStandardOutput();
  if (out == nullptr) out = stdout;
  // The device outlives the race that draws on it.
  race_report::ShotCamera camera;
  // Pictures show the race as the player set it up; the plain report does not depend on a player's settings.
  game::HeadlessRace race(argv[1], kSeed, shots);
  std::string error;
  if (shots && !camera.Open(race.Settings(), error)) {
    std::fprintf(stderr, "race_report: %s\n", error.c_str());
    return 1;
  }
  if (!race.Load(argv[2], static_cast<int>(index), error, camera.Device(), camera.Graphics())) {
    std::fprintf(stderr, "race_report: %s\n", error.c_str());
    return 1;
  }
  race.DriveEveryCar();
  race_report::Recorder recorder(race);
  recorder.Observe();
  race_report::ShotPlan plan(shots ? argv[6] : "", shotTimes);
  bool shotsWritten = true;
  race_report::Run(race, static_cast<float>(seconds), [&] {
    recorder.Observe();
    std::string path;
    if (shots && plan.Next(race.Time(), path) && !camera.Shoot(race, path)) {
      std::fprintf(stderr, "race_report: %s could not be written\n", path.c_str());
      shotsWritten = false;
    }
  });
  if (shots) {
    std::fprintf(stderr, "race_report: %d frames drawn, %.1f ms a frame\n", camera.FramesDrawn(),
                 camera.MeanFrameMilliseconds());
    if (!plan.Done()) {
      std::fprintf(stderr, "race_report: the race ended before every picture's time\n");
      shotsWritten = false;
    }
  }
  const race_report::Report report = recorder.Finish();
  std::fputs(race_report::ToJson(report).c_str(), out);
  std::fflush(out);
  if (report.nonFinite != 0) {
    std::fprintf(stderr, "race_report: %u car positions were not finite\n", report.nonFinite);
    return 1;
  }
  return shotsWritten ? 0 : 1;
}
