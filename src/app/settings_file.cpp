// Reading and writing the settings file: every setting as KEY:value, the control bindings, the first-run flag.
#include "app/settings_file.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "app/damaged_file.h"
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

namespace {

struct IntRange {
  int low;
  int high;
};

// The values the game itself can give a setting: the option screens' cycles and sliders, the race's switches,
// the presets and the device's counts. A file may hold anything: values beyond these are clamped as they are
// read, so a damaged or hand-edited number is never used nor written back, while every value the game sets
// survives a save and a start. Every setting is listed, so a new one cannot fall into a range by accident.
IntRange RangeOf(SettingId id) {
  using S = SettingId;
  switch (id) {
    case S::MASTERVOLUME:
    case S::MUSICVOLUME:
    case S::SFXVOLUME: return {0, 100};
    case S::CDMUSIC: return {0, kCdMusicModeCount - 1};
    case S::MAXLIGHTS: return {0, 8};
    case S::RESOLUTION: return {0, kResolutionCount - 1};
    case S::VIEWDISTANCE: return {0, kViewDistanceCount - 1};
    case S::REFLECTIONDETAIL: return {0, kReflectionDetailCount - 1};
    case S::GLOWDETAIL:
    case S::SKIDMARKS:
    case S::PARTICLES: return {0, kDetailLevelCount - 1};
    // Derived from other settings, counted, or device codes that validation replaces.
    case S::SCREENWIDTH:
    case S::SCREENHEIGHT:
    case S::GAMESPLAYED:
    case S::MIPFILTER:
    case S::CLAMPUVS:
    case S::NORMALMODULATE:
    case S::NORMALADDITIVE: return {INT_MIN, INT_MAX};
    // Switches, and TRACKCAMERA's two views.
    case S::SHOWFPS:
    case S::FULLSCREEN:
    case S::ALLOWCDAUDIO:
    case S::FSAA:
    case S::STENCILSHADOWS:
    case S::CUBEMAPPING:
    case S::SPECULARMAPPING:
    case S::REFLECTIONSPECULARMAPPING:
    case S::NORMALMAPPING:
    case S::SCENEREFLECTION:
    case S::JOYSTICK:
    case S::FORCEFEEDBACK:
    case S::ONLINE:
    case S::ALPHAFADE:
    case S::RUBBERBAND:
    case S::POINTSPRITES:
    case S::SPECULAR:
    case S::ALPHAWRITE:
    case S::FOGTABLE:
    case S::FOGVERTEX:
    case S::POINTLIGHTS:
    case S::MOTIONBLUR:
    case S::DYNAMICREFLECTIONS:
    case S::HEADLIGHTS:
    case S::REARVIEW:
    case S::MP3MUSIC:
    case S::USEAUTOMATIC:
    case S::TURNONHEADLIGHT:
    case S::TRACKCAMERA: return {0, 1};
    case S::Count: break;
  }
  return {0, 0};
}

struct FloatRange {
  float low;
  float high;
};

FloatRange RangeOf(FloatSettingId id) {
  switch (id) {
    case FloatSettingId::NEARCLIP: return {1.0f, 100.0f};
    case FloatSettingId::FOV: return {10.0f, 120.0f};
    default: return {-FLT_MAX, FLT_MAX};  // FARCLIP follows VIEWDISTANCE
  }
}

std::string NumberText(int value) { return IntToString(value); }
std::string NumberText(float value) { return FloatToString(value); }

template <typename Value>
Value ClampRead(const TextFileReader& reader, const char* key, Value value, Value low, Value high) {
  if (value >= low && value <= high) return value;
  const Value clamped = value < low ? low : high;
  std::fprintf(stderr, "%s: %s %s is out of range; %s is used\n", reader.Path().c_str(), key,
               NumberText(value).c_str(), NumberText(clamped).c_str());
  return clamped;
}

// The mark line of a file whose string values hold %XX escapes. Older builds and other readers skip it as a key
// they do not know, and read the values as they stand.
constexpr char kEscapedStringsKey[] = "ESCAPEDSTRINGS";

// Whether a line with this first token sets anything when read.
bool IsSettingKey(const std::string& key) {
  for (const IntSettingDef& def : SettingsTable) {
    if (key == def.key) return true;
  }
  for (const FloatSettingDef& def : FloatSettingsTable) {
    if (key == def.key) return true;
  }
  for (const StringSettingDef& def : StringSettingsTable) {
    if (key == def.key) return true;
  }
  return key == "KEYMAP" || key == "JOYBUTTONMAP" || key == "JOYAXISMAP" || key == "FIRSTRUN";
}

}  // namespace

std::string ConfigFileProblem(const std::string& text) {
  TextFileReader reader;
  reader.OpenText(text);
  return ConfigFileProblem(reader);
}

std::string ConfigFileProblem(TextFileReader& reader) {
  if (reader.IsEmpty()) return "it is empty";
  // The lines reading would take, read the same way: one of them naming a setting makes the file the player's.
  TokenQueue tokens;
  while (true) {
    tokens.clear();
    reader.ReadTokens(tokens, kConfigSeparators, kConfigComment);
    if (reader.Eof()) return "no line of it that is read names a setting";
    if (tokens.empty()) return "reading stops at an empty line before any setting";
    if (IsSettingKey(tokens[0])) return {};
  }
}

namespace {

// A string value the game saves may hold bytes its line cannot carry: line breaks, tabs and the other control
// bytes, the comma and comment separators, a colon where reading would drop it (first, last, or doubled). When
// some value holds one, every value is written with those bytes and the escape mark itself as %XX, and the file
// carries the mark line, so a folder whose name holds any of them reads back as the same folder. Otherwise the
// values are written as they stand and there is no mark line: a '%' in a folder's name is then just a '%'.
constexpr char kEscapeMark = '%';
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsEscapedByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7f || byte == kEscapeMark || byte == kConfigComment || byte == ',' || byte == ':';
}

// Whether the byte at i is written as an escape in a file that escapes its values.
bool EscapedAt(const std::string& text, size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  const bool plainColon = byte == ':' && i > 0 && i + 1 < text.size() && text[i - 1] != ':';
  return IsEscapedByte(byte) && !plainColon;
}

// Whether the value would not read back as it stands.
bool NeedsEscapes(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kEscapeMark && EscapedAt(text, i)) return true;
  }
  return false;
}

std::string EscapeValue(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (EscapedAt(text, i)) {
      const auto byte = static_cast<unsigned char>(text[i]);
      line += kEscapeMark;
      line += kHexDigits[byte >> 4];
      line += kHexDigits[byte & 0xF];
    } else {
      line += text[i];
    }
  }
  return line;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Only the escapes the writer makes are read as escapes: any other '%' (a hand-edited "100%", "%41") stays as it
// is. Used only on the values of a file that carries the mark line.
std::string UnescapeValue(const std::string& line) {
  std::string text;
  text.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == kEscapeMark && i + 2 < line.size() && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0) {
      const auto byte = static_cast<unsigned char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2]));
      if (byte != 0 && IsEscapedByte(byte)) {
        text += static_cast<char>(byte);
        i += 2;
        continue;
      }
    }
    text += line[i];
  }
  return text;
}

// What the player reads at start-up when the settings file was set aside.
std::string DamagedConfigText(const std::string& kept) {
  std::string text = "The settings file config.dat could not be read.\n";
  if (kept.empty()) {
    text += "No copy of it could be kept; the game will write a new one when it ends.\n";
  } else {
    text += "The old file was kept as " + kept + ".\n";
  }
  return text + "The game starts with its first-run settings.";
}

// Reading stops at the first empty line, so nothing after one can change what a file sets: once the bytes hold
// one, the rest of the file is not read. A line end or NUL byte that starts the text or follows another makes one
// (a crash's NUL tail ends the read in its first piece). Only the leading kMaxTextFileBytes are ever held; a line
// running past them is the file's unended last line and is not applied.
bool ReadConfigStart(const std::string& path, std::vector<unsigned char>& bytes, bool& whole, std::string& problem) {
  size_t scanned = 0;
  const auto holdsEmptyLine = [&scanned](const std::vector<unsigned char>& held) {
    const auto ends = [](unsigned char byte) { return byte == '\n' || byte == '\0'; };
    for (; scanned < held.size(); ++scanned) {
      if (ends(held[scanned]) && (scanned == 0 || ends(held[scanned - 1]))) return true;
    }
    return false;
  };
  return platform::ReadFileStart(path, bytes, platform::kMaxTextFileBytes, holdsEmptyLine, whole, problem);
}

}  // namespace

int Settings::LoadConfig(const std::string& fileName) {
  TextFileReader reader;
  std::vector<unsigned char> bytes;
  damagedConfigMessage_.clear();
  std::string path = fileName;
  std::string readProblem;
  bool whole = false;
  bool opened = ReadConfigStart(path, bytes, whole, readProblem);
  if (!opened && !platform::IsRegularFile(path)) {
    path = configFolder_ + kConfigFileName;
    readProblem.clear();
    opened = ReadConfigStart(path, bytes, whole, readProblem);
  }
  // A file that is there but cannot be read is damaged too; one that is simply missing is a first run.
  std::string problem;
  if (opened) {
    // One copy of the text is held: it is checked first, then its lines are applied from the same reader.
    reader.OpenText(std::string(bytes.begin(), bytes.end()), path);
    if (!whole) std::vector<unsigned char>().swap(bytes);
    problem = ConfigFileProblem(reader);
    reader.Rewind();
  } else if (platform::IsRegularFile(path)) {
    problem = readProblem.empty() ? "it cannot be read" : readProblem;
  }
  if (!problem.empty()) {
    // A file that is no settings text is no guide to the machine or the player's wishes: start as a first run
    // does (in a window, with the detail fitted to the machine) and keep the file for whoever wants to look at it.
    // A file not read whole is copied from the file itself rather than held.
    reader.Close();
    const std::string kept = opened && whole ? KeepDamagedCopy(path, bytes) : KeepDamagedFile(path);
    std::fprintf(stderr, "%s: damaged settings (%s); %s, starting with the first-run settings\n", path.c_str(),
                 problem.c_str(), kept.empty() ? "no copy could be kept" : ("kept as " + kept).c_str());
    damagedConfigMessage_ = DamagedConfigText(kept);
    opened = false;
  }
  std::vector<unsigned char>().swap(bytes);
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
  // String values are kept as the lines hold them until every line is read: only then is it known whether the
  // mark line was among them. A file without it (written by an older build, by hand, or with no value needing
  // escapes) reads as it stands, so a folder really named Rock%2CPop is found.
  std::array<std::optional<std::string>, kStringSettingCount> readStrings;
  bool escaped = false;
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
        if (count >= 2) {
          const IntRange range = RangeOf(def.id);
          intValues_[static_cast<int>(def.id)] =
              ClampRead(reader, def.key, ParseLeadingInt(tokens[1]), range.low, range.high);
        }
        matched = true;
        break;
      }
    }
    if (matched) continue;
    for (const FloatSettingDef& def : FloatSettingsTable) {
      if (key == def.key) {
        if (count >= 2) {
          const FloatRange range = RangeOf(def.id);
          floatValues_[static_cast<int>(def.id)] =
              ClampRead(reader, def.key, ParseLeadingFloat(tokens[1]), range.low, range.high);
        }
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
          if (text.size() > kMaxConfigLineBytes) {
            std::fprintf(stderr, "%s: %s is longer than %zu characters; it is not taken\n", reader.Path().c_str(),
                         def.key, kMaxConfigLineBytes);
          } else {
            readStrings[static_cast<int>(def.id)] = std::move(text);
          }
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
      // A key past the keyboard tables cannot be stored; the line is skipped.
      if (keyCode >= kKeyCodeLimit) continue;
      // Any negative key (the save writes -1) marks an action left without one: it stays unbound instead of
      // getting its default key back, held as -1 like every unbound action. The key leaves the game's actions
      // first even when the line's action is outside the table, which then stores nothing (BindKey's rule).
      BindKey(action, keyCode < 0 ? kNoKey : keyCode);
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
    } else if (key == kEscapedStringsKey) {
      if (count >= 2) escaped = ParseLeadingInt(tokens[1]) != 0;
    }
  }
  for (size_t i = 0; i < readStrings.size(); ++i) {
    if (readStrings[i]) stringValues_[i] = escaped ? UnescapeValue(*readStrings[i]) : std::move(*readStrings[i]);
  }
  UpdateDerived();
}

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
  const bool escaped = std::any_of(stringValues_.begin(), stringValues_.end(), NeedsEscapes);
  if (escaped) text += std::string(kEscapedStringsKey) + ":1\n";
  for (const StringSettingDef& def : StringSettingsTable) {
    const std::string& value = stringValues_[static_cast<int>(def.id)];
    std::string written = escaped ? EscapeValue(value) : value;
    // Reading does not take a value this long: it is left out rather than promised.
    if (written.size() > kMaxConfigLineBytes) {
      std::fprintf(stderr, "%s is too long to keep in the settings file; it is not saved\n", def.key);
      written.clear();
    }
    text += std::string(def.key) + ":" + written + "\n";
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
