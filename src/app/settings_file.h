// The settings file (config.dat and default_config.dat): its number texts and names. Reading and writing are
// Settings::LoadConfig, Settings::ReadConfig, Settings::ConfigText and Settings::SaveConfig.
#pragma once

#include <cstddef>
#include <string>

namespace app {

class TextFileReader;

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

// The longest string value reading takes from a settings file: a folder of the longest path the system allows
// fits with room to spare, even with every byte of it written as an escape. A longer value is not taken (the
// setting keeps what it held) and the rest of the file reads as usual; the game never writes one.
inline constexpr size_t kMaxConfigLineBytes = 16384;

// Why a config.dat is no settings text at all, or an empty string when it is. A file is settings text when one of
// the lines reading takes names a setting; it is none when it is empty, when reading stops at an empty line (a
// first line that is empty, a file of NUL bytes) before any setting, or when no line read names one (a binary
// file). Everything else reads as the line rules read it: unknown keys, missing values, words for numbers, a last
// line without its line end, control bytes and the empty line that a NUL tail leaves all have their small effect
// and the lines before them count.
std::string ConfigFileProblem(const std::string& text);
// The same for the text of an open reader, read from where it stands up to where reading stops; rewind it to
// apply the lines after.
std::string ConfigFileProblem(TextFileReader& reader);

}  // namespace app
