// The settings table, its accessors, the control bindings and the values derived from other settings.
#include "app/settings.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "app/hardware_info.h"
#include "platform/window_system.h"

namespace app {

namespace {

using S = SettingId;

constexpr std::array<IntSettingDef, kIntSettingCount> kIntTable = {{
    {S::SCREENWIDTH, "SCREENWIDTH", 640},
    {S::SCREENHEIGHT, "SCREENHEIGHT", 480},
    {S::SHOWFPS, "SHOWFPS", 0},
    {S::FULLSCREEN, "FULLSCREEN", 1},
    {S::MASTERVOLUME, "MASTERVOLUME", 60},
    {S::MUSICVOLUME, "MUSICVOLUME", 100},
    {S::SFXVOLUME, "SFXVOLUME", 100},
    {S::ALLOWCDAUDIO, "ALLOWCDAUDIO", 1},
    {S::CDMUSIC, "CDMUSIC", 1},
    {S::FSAA, "FSAA", 0},
    {S::STENCILSHADOWS, "STENCILSHADOWS", 0},
    {S::CUBEMAPPING, "CUBEMAPPING", 1},
    {S::SPECULARMAPPING, "SPECULARMAPPING", 1},
    {S::REFLECTIONSPECULARMAPPING, "REFLECTIONSPECULARMAPPING", 1},
    {S::NORMALMAPPING, "NORMALMAPPING", 1},
    {S::SCENEREFLECTION, "SCENEREFLECTION", 1},
    {S::JOYSTICK, "JOYSTICK", 0},
    {S::FORCEFEEDBACK, "FORCEFEEDBACK", 1},
    {S::ONLINE, "ONLINE", 1},
    {S::ALPHAFADE, "ALPHAFADE", 1},
    {S::RUBBERBAND, "RUBBERBAND", 0},
    {S::POINTSPRITES, "POINTSPRITES", 1},
    {S::SPECULAR, "SPECULAR", 1},
    {S::ALPHAWRITE, "ALPHAWRITE", 1},
    {S::FOGTABLE, "FOGTABLE", 1},
    {S::FOGVERTEX, "FOGVERTEX", 1},
    {S::MAXLIGHTS, "MAXLIGHTS", 8},
    {S::POINTLIGHTS, "POINTLIGHTS", 1},
    {S::MIPFILTER, "MIPFILTER", 2},
    {S::CLAMPUVS, "CLAMPUVS", 3},
    {S::NORMALMODULATE, "NORMALMODULATE", 6},
    {S::NORMALADDITIVE, "NORMALADDITIVE", 11},
    {S::MOTIONBLUR, "MOTIONBLUR", 1},
    {S::GAMESPLAYED, "GAMESPLAYED", 0},
    {S::DYNAMICREFLECTIONS, "DYNAMICREFLECTIONS", 1},
    {S::HEADLIGHTS, "HEADLIGHTS", 1},
    {S::GLOWDETAIL, "GLOWDETAIL", 2},
    {S::REARVIEW, "REARVIEW", 1},
    {S::RESOLUTION, "RESOLUTION", 1},
    {S::REFLECTIONDETAIL, "REFLECTIONDETAIL", 2},
    {S::VIEWDISTANCE, "VIEWDISTANCE", 3},
    {S::SKIDMARKS, "SKIDMARKS", 2},
    {S::PARTICLES, "PARTICLES", 2},
    {S::MP3MUSIC, "MP3MUSIC", 0},
    {S::USEAUTOMATIC, "USEAUTOMATIC", 1},
    {S::TURNONHEADLIGHT, "TURNONHEADLIGHT", 1},
    {S::TRACKCAMERA, "TRACKCAMERA", 0},
}};

// Every entry must sit at the position its id names: the settings are read and written by position.
constexpr bool IntTableInOrder() {
  for (int i = 0; i < kIntSettingCount; ++i) {
    if (static_cast<int>(kIntTable[i].id) != i) return false;
  }
  return true;
}
static_assert(IntTableInOrder(), "Settings enumeration is out of order!");

constexpr std::array<FloatSettingDef, kFloatSettingCount> kFloatTable = {{
    {FloatSettingId::NEARCLIP, "NEARCLIP", 10.0f},
    {FloatSettingId::FARCLIP, "FARCLIP", 6000.0f},
    {FloatSettingId::FOV, "FOV", 45.0f},
}};
static_assert(static_cast<int>(kFloatTable[2].id) == 2);

constexpr std::array<StringSettingDef, kStringSettingCount> kStringTable = {{
    {StringSettingId::GAMENAME, "GAMENAME"},
    {StringSettingId::GUID, "GUID"},
    {StringSettingId::VEHICLE, "VEHICLE"},
    {StringSettingId::TRACK, "TRACK"},
    {StringSettingId::MP3FOLDER, "MP3FOLDER"},
}};
static_assert(static_cast<int>(kStringTable[4].id) == 4);

constexpr std::array<int, kInputActionCount> kDefaultKeys = {
    platform::vk::kLeft, platform::vk::kRight, platform::vk::kUp, platform::vk::kDown, platform::vk::kSpace,
    'A', 'Z', 'H', 'S', 'C', 'R', 'P',
};

bool ActionInMaps(int action) { return action >= 0 && action < kActionSlots; }

const std::string kEmptyString;

}  // namespace

const std::array<IntSettingDef, kIntSettingCount> SettingsTable = kIntTable;
const std::array<FloatSettingDef, kFloatSettingCount> FloatSettingsTable = kFloatTable;
const std::array<StringSettingDef, kStringSettingCount> StringSettingsTable = kStringTable;

const std::array<const char*, kInputActionCount> InputActionNames = {
    "left", "right", "accelerate", "brake", "handbrake", "shift up",
    "shift down", "headlights", "look back", "camera", "reset", "pause",
};

Settings::Settings(const HardwareInfo& hardwareInfo, std::string configFolder, std::string defaultConfigFolder)
    : hardwareInfo_(hardwareInfo),
      configFolder_(std::move(configFolder)),
      defaultConfigFolder_(std::move(defaultConfigFolder)) {
  LoadDefaults();
  ClearBindings();
  DefaultKeys();
  DefaultJoystick();
}

void Settings::LoadDefaults() {
  for (const IntSettingDef& def : kIntTable) intValues_[static_cast<int>(def.id)] = def.defaultValue;
  for (const FloatSettingDef& def : kFloatTable) floatValues_[static_cast<int>(def.id)] = def.defaultValue;
}

int Settings::GetInt(SettingId id) const {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kIntSettingCount) return 0;
  return intValues_[index];
}

void Settings::SetInt(SettingId id, int value) { StoreInt(id, value); }

void Settings::StoreInt(SettingId id, int value) {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kIntSettingCount) return;
  const int width = intValues_[static_cast<int>(S::SCREENWIDTH)];
  const int height = intValues_[static_cast<int>(S::SCREENHEIGHT)];
  intValues_[index] = value;
  if (intValues_[static_cast<int>(S::SCREENWIDTH)] != width || intValues_[static_cast<int>(S::SCREENHEIGHT)] != height) {
    resolutionChanged_ = true;
  }
}

float Settings::GetFloat(FloatSettingId id) const {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kFloatSettingCount) return 0.0f;
  return floatValues_[index];
}

const std::string& Settings::GetString(StringSettingId id) const {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kStringSettingCount) return kEmptyString;
  return stringValues_[index];
}

void Settings::SetString(StringSettingId id, const std::string& text) {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kStringSettingCount) return;
  stringValues_[index] = text;
}

bool Settings::TakeResolutionChanged() { return std::exchange(resolutionChanged_, false); }

int Settings::GetKey(int action) const { return ActionInMaps(action) ? keyMap_[action] : -1; }
int Settings::GetJoyButton(int action) const { return ActionInMaps(action) ? joyButtonMap_[action] : -1; }
int Settings::GetJoyAxis(int action) const { return ActionInMaps(action) ? joyAxisMap_[action] : -1; }
int Settings::GetJoyAxisDir(int action) const { return ActionInMaps(action) ? joyAxisDir_[action] : -1; }

void Settings::BindKey(int action, int key) {
  UnbindKey(key);
  if (ActionInMaps(action)) keyMap_[action] = key;
}

void Settings::UnbindKey(int key) {
  for (int action = 0; action < kKeyUnbindActions; ++action) {
    if (keyMap_[action] == key) keyMap_[action] = -1;
  }
}

void Settings::BindJoyButton(int action, int button) {
  UnbindJoyButton(button);
  if (!ActionInMaps(action)) return;
  joyButtonMap_[action] = button;
  joyAxisMap_[action] = -1;
  joyAxisDir_[action] = 0;
}

void Settings::UnbindJoyButton(int button) {
  for (int& entry : joyButtonMap_) {
    if (entry == button) entry = -1;
  }
}

void Settings::BindJoyAxis(int action, int axis, int direction) {
  UnbindJoyAxis(axis, direction);
  if (!ActionInMaps(action)) return;
  joyButtonMap_[action] = -1;
  joyAxisMap_[action] = axis;
  joyAxisDir_[action] = direction;
}

void Settings::UnbindJoyAxis(int axis, int direction) {
  for (int action = 0; action < kActionSlots; ++action) {
    if (joyAxisMap_[action] == axis && joyAxisDir_[action] == direction) {
      joyAxisMap_[action] = -1;
      joyAxisDir_[action] = 0;
    }
  }
}

void Settings::SetJoyAxisRaw(int action, int axis, int direction) {
  if (!ActionInMaps(action)) return;
  joyAxisMap_[action] = axis;
  joyAxisDir_[action] = direction;
}

void Settings::SetJoyButtonRaw(int action, int button) {
  if (!ActionInMaps(action)) return;
  joyButtonMap_[action] = button;
}

void Settings::ClearBindings() {
  keyMap_.fill(-1);
  joyButtonMap_.fill(-1);
  joyAxisMap_.fill(-1);
  joyAxisDir_.fill(0);
}

void Settings::DefaultKeys() {
  keyMap_.fill(-1);
  for (int action = 0; action < kInputActionCount; ++action) keyMap_[action] = kDefaultKeys[action];
}

void Settings::SetJoystickCounts(unsigned axes, unsigned buttons) {
  joyAxisCount_ = axes;
  joyButtonCount_ = buttons;
}

void Settings::DefaultJoystick() {
  joyButtonMap_.fill(-1);
  joyAxisMap_.fill(-1);
  joyAxisDir_.fill(0);
  const int axes = static_cast<int>(std::min<unsigned>(joyAxisCount_, kActionSlots));
  for (int axis = 0; axis < axes; ++axis) {
    for (int half = 0; half < 2; ++half) {
      const int action = 2 * axis + half;
      if (action >= kActionSlots) break;
      joyAxisMap_[action] = axis;
      joyAxisDir_[action] = half == 0 ? -1 : 1;
    }
  }
  const int buttons = static_cast<int>(std::min<unsigned>(joyButtonCount_, kActionSlots));
  for (int button = 0; button < buttons; ++button) {
    const int action = 2 * axes + button;
    if (action >= kActionSlots) break;
    joyButtonMap_[action] = button;
  }
}

void Settings::UpdateDerived() {
  // A hand-edited file or an option screen may have stored anything: keep table indices inside their tables.
  const auto clampSetting = [this](SettingId id, int count) {
    const int value = GetInt(id);
    const int clamped = std::clamp(value, 0, count - 1);
    if (clamped != value) StoreInt(id, clamped);
    return clamped;
  };
  const int resolution = clampSetting(S::RESOLUTION, kResolutionCount);
  const int viewDistance = clampSetting(S::VIEWDISTANCE, kViewDistanceCount);
  const int reflectionDetail = clampSetting(S::REFLECTIONDETAIL, kReflectionDetailCount);
  clampSetting(S::GLOWDETAIL, kDetailLevelCount);
  clampSetting(S::SKIDMARKS, kDetailLevelCount);
  clampSetting(S::PARTICLES, kDetailLevelCount);
  // These hold graphics-device codes that go straight to the device: anything but the codes the game uses
  // falls back to the default, and validation then fits it to the device.
  const auto keepKnownCode = [this](SettingId id, std::initializer_list<int> known) {
    const int value = GetInt(id);
    if (std::find(known.begin(), known.end(), value) == known.end()) {
      StoreInt(id, kIntTable[static_cast<int>(id)].defaultValue);
    }
  };
  keepKnownCode(S::MIPFILTER, {1, 2});
  keepKnownCode(S::CLAMPUVS, {3, 4});
  keepKnownCode(S::NORMALMODULATE, {4, 5, 6});
  keepKnownCode(S::NORMALADDITIVE, {7, 11});

  if (GetInt(S::FULLSCREEN) != 0) {
    StoreInt(S::SCREENWIDTH, ResolutionWidths[resolution]);
    StoreInt(S::SCREENHEIGHT, ResolutionHeights[resolution]);
  } else {
    StoreInt(S::SCREENWIDTH, kWindowedWidth);
    StoreInt(S::SCREENHEIGHT, kWindowedHeight);
  }

  switch (reflectionDetail) {
    case 0:
      StoreInt(S::CUBEMAPPING, 0);
      break;
    case 1:
      StoreInt(S::CUBEMAPPING, 1);
      StoreInt(S::DYNAMICREFLECTIONS, 0);
      break;
    default:
      StoreInt(S::CUBEMAPPING, 1);
      StoreInt(S::DYNAMICREFLECTIONS, 1);
      break;
  }

  // Only one music source plays: the audio CD wins.
  if (GetInt(S::CDMUSIC) != 0 && GetInt(S::MP3MUSIC) != 0) StoreInt(S::MP3MUSIC, 0);

  floatValues_[static_cast<int>(FloatSettingId::FARCLIP)] = ViewDistanceFarClips[viewDistance];
}

}  // namespace app
