// An audio CD as the music player reads it: its tracks and their raw sectors of 16-bit stereo at 44.1 kHz.
// The libcdio back end opens a drive or a disc image (BIN/CUE and the other images libcdio reads); the null back
// end never finds a disc.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform::audio {

constexpr int kCdSampleRate = 44100;
constexpr int kCdSectorBytes = 2352;
constexpr int kCdFramesPerSector = kCdSectorBytes / 4;  // 588 stereo frames
constexpr int kCdSectorsPerSecond = 75;

class CdDisc {
 public:
  virtual ~CdDisc() = default;
  // Tracks are numbered from 1; a disc of three tracks has tracks 1, 2 and 3.
  virtual int TrackCount() const = 0;
  virtual bool IsAudioTrack(int track) const = 0;
  // The track's first sector and its length in sectors (0 for a track an image cut short before it starts).
  virtual int32_t FirstSector(int track) const = 0;
  virtual int32_t SectorCount(int track) const = 0;
  // Reads up to `count` sectors from `sector` into `frames` (kCdFramesPerSector interleaved stereo frames each).
  // Returns the sectors read: fewer than asked, or 0, where the disc cannot be read any further (a damaged disc,
  // an image cut short) or where the stop flag turned true. May take long on a drive: never called on a frame or
  // in the audio callback.
  virtual int ReadSectors(int32_t sector, int count, int16_t* frames) = 0;

  // A read in progress gives up before its next sector once `*stop` is true, so that a track change or the
  // game's exit does not wait out the retries on a scratch. The flag, set from any thread, must outlive the disc.
  void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

 protected:
  bool StopAsked() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>* stop_ = nullptr;
};

// Opens a disc: the default drive for an empty name, else the named device or image file. Null when there is no
// drive, no disc in it, or it cannot be opened (busy, no permission).
using CdOpener = std::function<std::unique_ptr<CdDisc>(const std::string& device)>;

// The libcdio back end: drives read through paranoia's error correction, images read straight.
std::unique_ptr<CdDisc> OpenCdioDisc(const std::string& device);
// The drive or image file named by the environment variable kCdDeviceVariable; empty (the default drive) when
// it is unset.
constexpr const char* kCdDeviceVariable = "CORSAIRE_CD_DEVICE";
std::string ChosenCdDevice();
// The null back end: never a disc.
inline std::unique_ptr<CdDisc> OpenNoDisc(const std::string&) { return nullptr; }

}  // namespace platform::audio
