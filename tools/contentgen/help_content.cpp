// The sample help page: a short introduction to racing, the menus and the default controls.
#include "contentgen/help_content.h"

#include <vector>

#include "contentgen/png_writer.h"

namespace contentgen {

std::string BuildHelpPage() {
  return "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>Corsaire - Introduction</title></head>\n"
         "<body>\n<h1>Corsaire</h1>\n"
         "<p>Race through the city at night. Win races to earn money, buy upgrades in the garage and climb the "
         "career ladder.</p>\n"
         "<h2>Menus</h2>\n<p>Use the mouse to pick an entry. Esc goes back; F switches between a window and full "
         "screen.</p>\n"
         "<h2>Controls</h2>\n<p>The Help entry of the main menu lists the key and joystick binding of each "
         "control: left, right, accelerate, brake, handbrake, shift up, shift down, headlights, look back, "
         "camera, reset and pause.</p>\n"
         "<p>Every control can be changed in Options, Controls.</p>\n</body>\n</html>\n";
}

bool WriteHelpContent(const std::string& gameFolder) {
  const std::string page = BuildHelpPage();
  return WriteContentFile(gameFolder + "/" + kHelpPageFile, std::vector<uint8_t>(page.begin(), page.end()));
}

}  // namespace contentgen
