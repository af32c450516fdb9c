// The sample music folder: short Ogg Vorbis tracks encoded with libvorbisenc, so music plays out of the box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace contentgen {

// Ogg Vorbis image of interleaved 16-bit samples (1 or 2 channels); empty when the encoder refuses the input.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int rate, int channels);

// An MPEG audio (layer II) elementary stream, which the game's MP3 decoder plays as it plays MP3; empty when
// the encoder is missing or refuses the input. Rates 32000, 44100 or 48000 (and their halves).
std::vector<uint8_t> EncodeMpegAudio(const std::vector<int16_t>& samples, int rate, int channels);

// A few seconds of a little stereo tune; `variant` changes the melody.
std::vector<int16_t> SynthesiseTune(int variant, double seconds, int rate);

// Relative paths of the tracks WriteMusic lays out ("MUSIC/...").
std::vector<std::string> MusicFileNames();

// Writes the MUSIC folder below gameFolder. False (with a printed line) on failure.
bool WriteMusic(const std::string& gameFolder);

}  // namespace contentgen
