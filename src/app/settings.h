// The game's settings: integer, float and string values by fixed index, the control bindings of the input
// actions, the values derived from other settings, and the machine tier, presets and validation that fit the
// detail settings to the machine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace app {

class HardwareInfo;
class TextFileReader;

// Integer settings; the numbers are the positions in SettingsTable and never change.
enum class SettingId : int {
  SCREENWIDTH, SCREENHEIGHT, SHOWFPS, FULLSCREEN, MASTERVOLUME, MUSICVOLUME, SFXVOLUME, ALLOWCDAUDIO, CDMUSIC,
  FSAA, STENCILSHADOWS, CUBEMAPPING, SPECULARMAPPING, REFLECTIONSPECULARMAPPING, NORMALMAPPING, SCENEREFLECTION,
  JOYSTICK, FORCEFEEDBACK, ONLINE, ALPHAFADE, RUBBERBAND, POINTSPRITES, SPECULAR, ALPHAWRITE, FOGTABLE, FOGVERTEX,
  MAXLIGHTS, POINTLIGHTS, MIPFILTER, CLAMPUVS, NORMALMODULATE, NORMALADDITIVE, MOTIONBLUR, GAMESPLAYED,
  DYNAMICREFLECTIONS, HEADLIGHTS, GLOWDETAIL, REARVIEW, RESOLUTION, REFLECTIONDETAIL, VIEWDISTANCE, SKIDMARKS,
  PARTICLES, MP3MUSIC, USEAUTOMATIC, TURNONHEADLIGHT, TRACKCAMERA,
  Count
};
enum class FloatSettingId : int { NEARCLIP, FARCLIP, FOV, Count };
enum class StringSettingId : int { GAMENAME, GUID, VEHICLE, TRACK, MP3FOLDER, Count };

inline constexpr int kIntSettingCount = static_cast<int>(SettingId::Count);
inline constexpr int kFloatSettingCount = static_cast<int>(FloatSettingId::Count);
inline constexpr int kStringSettingCount = static_cast<int>(StringSettingId::Count);

struct IntSettingDef {
  SettingId id;
  const char* key;
  int defaultValue;
};
struct FloatSettingDef {
  FloatSettingId id;
  const char* key;
  float defaultValue;
};
struct StringSettingDef {
  StringSettingId id;
  const char* key;
};

extern const std::array<IntSettingDef, kIntSettingCount> SettingsTable;
extern const std::array<FloatSettingDef, kFloatSettingCount> FloatSettingsTable;
extern const std::array<StringSettingDef, kStringSettingCount> StringSettingsTable;

// The choices behind RESOLUTION (0-3) and VIEWDISTANCE (0-3).
inline constexpr int kResolutionCount = 4;
inline constexpr std::array<int, kResolutionCount> ResolutionWidths = {512, 640, 800, 1024};
inline constexpr std::array<int, kResolutionCount> ResolutionHeights = {384, 480, 600, 768};
inline constexpr int kViewDistanceCount = 4;
inline constexpr std::array<float, kViewDistanceCount> ViewDistanceFarClips = {8000.0f, 12000.0f, 20000.0f, 30000.0f};
// REFLECTIONDETAIL: 0 off, 1 static cube map, 2 dynamic.
inline constexpr int kReflectionDetailCount = 3;
// GLOWDETAIL, SKIDMARKS and PARTICLES are amounts 0-2.
inline constexpr int kDetailLevelCount = 3;
// CDMUSIC: 0 off, 1 shuffled, 2 in order.
inline constexpr int kCdMusicModeCount = 3;
// The client size of the window whatever RESOLUTION holds.
inline constexpr int kWindowedWidth = 640;
inline constexpr int kWindowedHeight = 480;

// The input actions the game reads; the binding maps have room for kActionSlots.
enum class InputAction : int {
  Left, Right, Accelerate, Brake, Handbrake, ShiftUp, ShiftDown, Headlights, LookBack, Camera, Reset, Pause, Count
};
inline constexpr int kInputActionCount = static_cast<int>(InputAction::Count);
inline constexpr int kActionSlots = 255;
// Display names of the actions, in action order.
extern const std::array<const char*, kInputActionCount> InputActionNames;
// Bindings outside these ranges are never stored from a file: key codes index 256-entry key tables, buttons
// and axes those of the game controller.
inline constexpr int kKeyCodeLimit = 256;
// Keys are taken from this many leading actions when rebound (one more than the game reads).
inline constexpr int kKeyUnbindActions = 13;
inline constexpr int kJoyButtonLimit = 128;
inline constexpr int kJoyAxisLimit = 8;

// The machine's rating, 0 (weakest) to 4.
using MachineTier = int;
inline constexpr MachineTier kMachineTierCount = 5;

class Settings {
 public:
  // The hardware information must outlive the settings. Both folders end with their separator (or are empty
  // for the current folder). Starts from the table defaults and the default key bindings.
  Settings(const HardwareInfo& hardwareInfo, std::string configFolder, std::string defaultConfigFolder);

  void LoadDefaults();

  // Indices outside the tables read as 0 (or an empty string) and are not stored.
  int GetInt(SettingId id) const;
  // Stores the value; raises the resolution-changed flag when SCREENWIDTH or SCREENHEIGHT now differs.
  void SetInt(SettingId id, int value);
  float GetFloat(FloatSettingId id) const;
  const std::string& GetString(StringSettingId id) const;
  void SetString(StringSettingId id, const std::string& text);

  // True once since the last call when a store changed the width or height.
  bool TakeResolutionChanged();
  bool IsFirstRun() const { return firstRun_; }
  void SetFirstRun(bool firstRun) { firstRun_ = firstRun; }
  // Set when the settings came from the default file: the next Validate fits them to the machine.
  bool IsAutoConfigurePending() const { return autoConfigurePending_; }

  // The binding of an action: a key code, button or axis number, or -1 (direction 0) when unbound or when the
  // action is outside the maps.
  int GetKey(int action) const;
  int GetJoyButton(int action) const;
  int GetJoyAxis(int action) const;
  int GetJoyAxisDir(int action) const;

  // Binds the key to the action after taking it away from actions 0-12. -1 just unbinds the action.
  void BindKey(int action, int key);
  void UnbindKey(int key);
  // Binds the button to the action (taking it from every other action) and clears the action's axis.
  void BindJoyButton(int action, int button);
  void UnbindJoyButton(int button);
  // Binds the axis half (direction -1 or +1) to the action (taking it from every other action) and clears the
  // action's button.
  void BindJoyAxis(int action, int axis, int direction);
  void UnbindJoyAxis(int axis, int direction);
  // Store exactly what is given, touching nothing else (the control-mapping screen's write-back).
  void SetJoyAxisRaw(int action, int axis, int direction);
  void SetJoyButtonRaw(int action, int button);
  void ClearBindings();
  void DefaultKeys();
  // Axis i drives actions 2i (direction -1) and 2i+1 (+1); the buttons follow on the next actions.
  void DefaultJoystick();
  // The game controller's size, reported once it is opened; used by DefaultJoystick.
  void SetJoystickCounts(unsigned axes, unsigned buttons);

  // Recomputes the screen size, the reflection switches, the music source and the far clip from the settings
  // they follow. Table indices are clamped first, so a bad stored value never reads outside a table, and
  // device-code settings holding an unknown code return to their default.
  void UpdateDerived();

  // Reads the settings file: the given name, else config.dat in the config folder, else default_config.dat in
  // the default folder (and then fits the settings to the machine at the next Validate). Missing files leave
  // the defaults. Only a file's leading kMaxTextFileBytes are read, and nothing past its first empty line, so a
  // long tail after the lines costs nothing. A file that is no settings text at all is kept aside as
  // config.dat.bad (numbered) and the game starts as a first run; DamagedConfigMessage then says so for the
  // player. Always returns 0.
  int LoadConfig(const std::string& fileName);
  // Applies the lines of an open settings reader, then UpdateDerived. Lines with unknown keys, missing values
  // or bindings out of range are skipped, except that a key line takes its key from actions 0-12 whatever its
  // action, and a negative key leaves the action unbound; reading stops at the first empty line.
  void ReadConfig(TextFileReader& reader);
  // What the player is to be told when the last LoadConfig set a damaged file aside (what happened, where the
  // old file went, and that the game starts with its first-run settings); empty otherwise.
  const std::string& DamagedConfigMessage() const { return damagedConfigMessage_; }
  // The settings file's text: every setting, every binding, then FIRSTRUN. Reading it back gives the same text.
  std::string ConfigText() const;
  // Writes config.dat in the config folder through a temporary file; false (old file kept) on failure.
  bool SaveConfig() const;

  // The machine's tier from processor clock, installed memory and video memory.
  MachineTier RateMachine() const;
  // Stores the detail preset of the machine's tier (tier 2 once after a first run).
  void ApplyPreset();
  // Stores the tier's base settings, then the preset, then validates.
  void AutoConfigure();
  // Fits the settings to the device: runs a pending automatic configuration, switches off what the device
  // cannot do and copies device limits.
  void Validate();
  // The last step of validation: the features that need particular device capabilities.
  void DisableUnsupported();

  const HardwareInfo& Hardware() const { return hardwareInfo_; }

 private:
  // Whether the action's key binding would be read back from the settings file as it stands.
  bool KeySurvivesReload(int action) const;
  void StoreInt(SettingId id, int value);

  std::array<int, kActionSlots> keyMap_{};
  std::array<int, kActionSlots> joyButtonMap_{};
  std::array<int, kActionSlots> joyAxisMap_{};
  std::array<int, kActionSlots> joyAxisDir_{};
  const HardwareInfo& hardwareInfo_;
  bool resolutionChanged_ = false;
  bool autoConfigurePending_ = false;
  bool firstRun_ = true;
  bool useMiddlePreset_ = false;
  unsigned joyAxisCount_ = 0;
  unsigned joyButtonCount_ = 0;
  std::string configFolder_;
  std::string defaultConfigFolder_;
  std::string damagedConfigMessage_;
  std::array<int, kIntSettingCount> intValues_{};
  std::array<float, kFloatSettingCount> floatValues_{};
  std::array<std::string, kStringSettingCount> stringValues_{};
};

}  // namespace app
