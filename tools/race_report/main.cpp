// race_report GAME_FOLDER LIST INDEX SECONDS: runs one race of a race list headless, a computer driver in every
// car, and prints what happened as one JSON object. Exits with 2 on bad arguments, 1 when the race cannot load
// or a car's position stops being finite.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os.h"
#include "race_report/race_report.h"

namespace {

constexpr uint32_t kSeed = 1;

int Usage() {
  std::fprintf(stderr,
               "usage: race_report GAME_FOLDER LIST INDEX SECONDS\n"
               "  LIST is CAREER, CONTEST, QUICKRACE, INSTANTRACE or DEMO; INDEX counts from 0\n");
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
  if (argc != 5) return Usage();
  double index = 0, seconds = 0;
  if (!ParseNumber(argv[3], index) || index < 0 || index != static_cast<int>(index) ||
      !ParseNumber(argv[4], seconds) || !(seconds >= 0) || seconds > 3600) {
    return Usage();
  }
  // The game prints what it loads to standard output; the report alone goes there.
  std::FILE* out = platform::DivertStandardOutput();
  if (out == nullptr) out = stdout;
  game::HeadlessRace race(argv[1], kSeed);
  std::string error;
  if (!race.Load(argv[2], static_cast<int>(index), error)) {
    std::fprintf(stderr, "race_report: %s\n", error.c_str());
    return 1;
  }
  race.DriveEveryCar();
  race_report::Recorder recorder(race);
  recorder.Observe();
  race_report::Run(race, static_cast<float>(seconds), [&recorder] { recorder.Observe(); });
  const race_report::Report report = recorder.Finish();
  std::fputs(race_report::ToJson(report).c_str(), out);
  std::fflush(out);
  if (report.nonFinite != 0) {
    std::fprintf(stderr, "race_report: %u car positions were not finite\n", report.nonFinite);
    return 1;
  }
  return 0;
}
