// The settings file (config.dat and default_config.dat): its number texts and names. Reading and writing are
// Settings::LoadConfig, Settings::ReadConfig, Settings::ConfigText and Settings::SaveConfig.
#pragma once

#include <cstddef>
#include <string>

namespace app {

inline constexpr char kConfigFileName[] = "config.dat";
inline constexpr char kDefaultConfigFileName[] = "default_config.dat";
// Separators and comment character of the settings file's lines.
inline constexpr char kConfigSeparators[] = ":,\n\t\r";
inline constexpr char kConfigComment = '#';

// Plain decimal, '-' when negative.
std::string IntToString(int value);
// General notation with 6 significant digits and no trailing zeros (10 for 10.0, 1.23457e+06 for 1234567).
std::string FloatToString(float value);

// The leading decimal integer of a token: leading blanks skipped, stops at the first character that cannot
// continue the number, 0 when there is none; values beyond the int range are clamped to it.
int ParseLeadingInt(const std::string& text);
// The leading decimal number of a token, the same way; decimal notation only (no hex, infinity or NaN), and a
// value too large for a float reads as 0.
float ParseLeadingFloat(const std::string& text);

// The longest line a settings file holds: a setting with a folder of the longest path the system allows fits
// with room to spare, even with every byte of it written as an escape.
inline constexpr size_t kMaxConfigLineBytes = 16384;

// Why a config.dat is not a settings text at all, or an empty string when it is: no text at all, bytes that are
// not text (NUL and other control bytes), or a line longer than kMaxConfigLineBytes. Lines the reading rules
// skip or read leniently (an unknown key, a missing value, a word for a number, a last line without its line
// end) and numbers out of range are no damage: reading skips, reads 0 or clamps them and keeps the rest.
// Bytes above 127 are text: a folder's name may be any of them.
std::string ConfigFileProblem(const std::string& text);

}  // namespace app
