// Reading and writing the settings file: every setting as KEY:value, the control bindings, the first-run flag.
#include "app/settings_file.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <utility>

#include "app/settings.h"
#include "app/text_file_reader.h"
#include "platform/file_system.h"

namespace app {

std::string IntToString(int value) { return std::to_string(value); }

std::string FloatToString(float value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << static_cast<double>(value);
  return out.str();
}

namespace {

// The key of an action without one, as the file writes it.
constexpr int kNoKey = -1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at the start of text (after blanks), 0 when there is none.
size_t DecimalPrefix(const std::string& text, size_t start, bool allowFraction) {
  size_t i = start;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (allowFraction && i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (allowFraction && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i - start;
}

size_t SkipBlanks(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

}  // namespace

int ParseLeadingInt(const std::string& text) {
  const size_t start = SkipBlanks(text);
  const size_t length = DecimalPrefix(text, start, false);
  if (length == 0) return 0;
  // Accumulate with saturation so any number of digits is safe.
  size_t i = start;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  long long value = 0;
  for (; i < start + length; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

float ParseLeadingFloat(const std::string& text) {
  const size_t start = SkipBlanks(text);
  const size_t length = DecimalPrefix(text, start, true);
  if (length == 0) return 0.0f;
  const char* first = text.data() + start;
  const char* last = first + length;
  if (*first == '+') ++first;  // from_chars takes no plus sign
  // from_chars reads the classic decimal form whatever the process locale says.
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end == first || !std::isfinite(value) || std::fabs(value) > FLT_MAX) return 0.0f;
  return static_cast<float>(value);
}

namespace {

// A binding read from a file must fit the tables every reader indexes with it.
bool InRange(int value, int limit) { return value >= 0 && value < limit; }

}  // namespace

int Settings::LoadConfig(const std::string& fileName) {
  TextFileReader reader;
  bool opened = reader.Open(fileName);
  if (!opened) opened = reader.Open(configFolder_ + kConfigFileName);
  if (!opened) {
    autoConfigurePending_ = true;
    useMiddlePreset_ = true;
    opened = reader.Open(defaultConfigFolder_ + kDefaultConfigFileName);
  }
  if (!opened) {
    UpdateDerived();
    return 0;
  }
  ReadConfig(reader);
  reader.Close();
  return 0;
}

void Settings::ReadConfig(TextFileReader& reader) {
  TokenQueue tokens;
  while (true) {
    tokens.clear();
    reader.ReadTokens(tokens, kConfigSeparators, kConfigComment);
    if (reader.Eof() || tokens.empty()) break;
    const std::string& key = tokens[0];
    const size_t count = tokens.size();

    bool matched = false;
    for (const IntSettingDef& def : SettingsTable) {
      if (key == def.key) {
        // Straight into the table: a value read from the file is not a change of resolution.
        if (count >= 2) intValues_[static_cast<int>(def.id)] = ParseLeadingInt(tokens[1]);
        matched = true;
        break;
      }
    }
    if (matched) continue;
    for (const FloatSettingDef& def : FloatSettingsTable) {
      if (key == def.key) {
        if (count >= 2) floatValues_[static_cast<int>(def.id)] = ParseLeadingFloat(tokens[1]);
        matched = true;
        break;
      }
    }
    if (matched) continue;
    for (const StringSettingDef& def : StringSettingsTable) {
      if (key == def.key) {
        if (count >= 2) {
          // The colon is a separator, so values such as folders with a drive colon come back joined by it.
          std::string text = tokens[1];
          for (size_t i = 2; i < count; ++i) text += ":" + tokens[i];
          stringValues_[static_cast<int>(def.id)] = text;
        }
        matched = true;
        break;
      }
    }
    if (matched) continue;

    if (key == "KEYMAP") {
      if (count < 3) continue;
      const int action = ParseLeadingInt(tokens[1]);
      const int keyCode = ParseLeadingInt(tokens[2]);
      if (!InRange(action, kActionSlots)) continue;
      // Key -1 is how the save marks an action the player left without a key: it stays without one instead
      // of getting its default key back.
      if (keyCode == kNoKey && action < kKeyUnbindActions) keyMap_[action] = kNoKey;
      if (!InRange(keyCode, kKeyCodeLimit)) continue;
      BindKey(action, keyCode);
    } else if (key == "JOYBUTTONMAP") {
      if (count < 3) continue;
      const int action = ParseLeadingInt(tokens[1]);
      const int button = ParseLeadingInt(tokens[2]);
      if (InRange(action, kActionSlots) && InRange(button, kJoyButtonLimit)) BindJoyButton(action, button);
    } else if (key == "JOYAXISMAP") {
      if (count < 4) continue;
      const int action = ParseLeadingInt(tokens[1]);
      const int axis = ParseLeadingInt(tokens[2]);
      const int direction = ParseLeadingInt(tokens[3]);
      if (InRange(action, kActionSlots) && InRange(axis, kJoyAxisLimit) && direction >= -1 && direction <= 1) {
        BindJoyAxis(action, axis, direction);
      }
    } else if (key == "FIRSTRUN") {
      if (count >= 2) firstRun_ = ParseLeadingInt(tokens[1]) != 0;
    }
  }
  UpdateDerived();
}

namespace {

// A string setting is written on one line: line breaks inside it would start new lines.
std::string OneLine(const std::string& text) {
  std::string line = text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace

bool Settings::KeySurvivesReload(int action) const {
  const int key = keyMap_[action];
  if (key < 0) return false;
  // Reading a KEYMAP line takes its key from the first actions, so a binding of one of them that a later line
  // repeats would vanish on the next start; leaving it out keeps what is saved equal to what is read back.
  if (action >= kKeyUnbindActions) return true;
  for (int later = action + 1; later < kActionSlots; ++later) {
    if (keyMap_[later] == key) return false;
  }
  return true;
}

std::string Settings::ConfigText() const {
  std::string text;
  for (const IntSettingDef& def : SettingsTable) {
    text += std::string(def.key) + ":" + IntToString(intValues_[static_cast<int>(def.id)]) + "\n";
  }
  for (const FloatSettingDef& def : FloatSettingsTable) {
    text += std::string(def.key) + ":" + FloatToString(floatValues_[static_cast<int>(def.id)]) + "\n";
  }
  for (const StringSettingDef& def : StringSettingsTable) {
    text += std::string(def.key) + ":" + OneLine(stringValues_[static_cast<int>(def.id)]) + "\n";
  }
  for (int action = 0; action < kActionSlots; ++action) {
    if (KeySurvivesReload(action)) {
      text += "KEYMAP:" + IntToString(action) + ":" + IntToString(keyMap_[action]) + "\n";
    } else if (action < kKeyUnbindActions) {
      // Without this line the next start would give the action its default key again.
      text += "KEYMAP:" + IntToString(action) + ":" + IntToString(kNoKey) + "\n";
    }
    if (joyButtonMap_[action] >= 0) {
      text += "JOYBUTTONMAP:" + IntToString(action) + ":" + IntToString(joyButtonMap_[action]) + "\n";
    }
    if (joyAxisMap_[action] >= 0) {
      text += "JOYAXISMAP:" + IntToString(action) + ":" + IntToString(joyAxisMap_[action]) + ":" +
              IntToString(joyAxisDir_[action]) + "\n";
    }
  }
  text += std::string("FIRSTRUN:") + (firstRun_ ? "1" : "0") + "\n";
  return text;
}

bool Settings::SaveConfig() const {
  const std::string path = configFolder_ + kConfigFileName;
  const std::string text = ConfigText();
  if (!platform::WriteFileAtomically(path, text.data(), text.size())) {
    std::fprintf(stderr, "%s: cannot be written; settings not saved\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace app
