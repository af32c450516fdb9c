// The audio CD through libcdio: a drive (its sectors through paranoia's error correction) or a disc image.
#include <cdio/cdio.h>
// After cdio.h, which defines the types it uses.
#include <cdio/cd_types.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/audio/cd_disc.h"

namespace platform::audio {
namespace {

// libcdio reports every drive it probes on stderr; only its errors are worth a line.
void QuietLog(cdio_log_level_t level, const char* message) {
  if (level >= CDIO_LOG_ERROR) std::fprintf(stderr, "cd: %s\n", message);
}

void QuietLogOnce() {
  static std::once_flag once;
  std::call_once(once, [] { cdio_log_set_handler(QuietLog); });
}

bool IsImage(CdIo_t* cdio) {
  switch (cdio_get_driver_id(cdio)) {
    case DRIVER_BINCUE:
    case DRIVER_NRG:
    case DRIVER_CDRDAO: return true;
    default: return false;
  }
}

class CdioDisc final : public CdDisc {
 public:
  explicit CdioDisc(CdIo_t* cdio) : cdio_(cdio) {
    const track_t count = cdio_get_num_tracks(cdio_);
    const track_t first = cdio_get_first_track_num(cdio_);
    if (count == CDIO_INVALID_TRACK || first == CDIO_INVALID_TRACK) return;
    for (int t = 0; t < count; ++t) {
      const auto number = static_cast<track_t>(first + t);
      Track track;
      track.audio = cdio_get_track_format(cdio_, number) == TRACK_FORMAT_AUDIO;
      track.first = cdio_get_track_lsn(cdio_, number);
      const lsn_t last = cdio_get_track_last_lsn(cdio_, number);
      // An image cut short gives a track that ends before it starts: it has nothing to play.
      track.count = (track.first == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN) ? 0 : std::max(0, last - track.first + 1);
      tracks_.push_back(track);
    }
  }
  ~CdioDisc() override {
    if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
    if (drive_ != nullptr) cdio_cddap_close_no_free_cdio(drive_);
    cdio_destroy(cdio_);
  }
  CdioDisc(const CdioDisc&) = delete;
  CdioDisc& operator=(const CdioDisc&) = delete;

  int TrackCount() const override { return static_cast<int>(tracks_.size()); }
  bool IsAudioTrack(int track) const override { return Valid(track) && tracks_[track - 1].audio; }
  int32_t FirstSector(int track) const override { return Valid(track) ? tracks_[track - 1].first : 0; }
  int32_t SectorCount(int track) const override { return Valid(track) ? tracks_[track - 1].count : 0; }

  int ReadSectors(int32_t sector, int count, int16_t* frames) override {
    if (count <= 0 || sector < 0) return 0;
    if (IsImage(cdio_)) {
      // An image reads exactly; sector by sector so that a file cut short still gives what it holds.
      for (int i = 0; i < count; ++i) {
        if (StopAsked()) return i;
        if (cdio_read_audio_sectors(cdio_, frames + static_cast<size_t>(i) * kCdFramesPerSector * 2, sector + i, 1) !=
            DRIVER_OP_SUCCESS) {
          return i;
        }
      }
      return count;
    }
    if (!OpenParanoia()) return 0;
    if (sector != nextParanoiaSector_) cdio_paranoia_seek(paranoia_, sector, SEEK_SET);
    for (int i = 0; i < count; ++i) {
      // A sector's retries cannot be cut short; the sectors after it can.
      const int16_t* read = StopAsked() ? nullptr : cdio_paranoia_read_limited(paranoia_, nullptr, kParanoiaRetries);
      if (read == nullptr) {
        nextParanoiaSector_ = -1;
        return i;
      }
      std::memcpy(frames + static_cast<size_t>(i) * kCdFramesPerSector * 2, read, kCdSectorBytes);
    }
    nextParanoiaSector_ = sector + count;
    return count;
  }

 private:
  struct Track {
    bool audio = false;
    int32_t first = 0;
    int32_t count = 0;
  };
  // A scratch it cannot correct is retried this often before the sector is taken as it reads.
  static constexpr int kParanoiaRetries = 20;

  bool Valid(int track) const { return track >= 1 && track <= static_cast<int>(tracks_.size()); }

  bool OpenParanoia() {
    if (paranoia_ != nullptr) return true;
    if (paranoiaFailed_) return false;
    paranoiaFailed_ = true;
    drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive_ == nullptr) return false;
    if (cdio_cddap_open(drive_) != 0) return false;
    paranoia_ = cdio_paranoia_init(drive_);
    if (paranoia_ == nullptr) return false;
    // Full correction, but a sector it cannot fix is skipped rather than retried for ever.
    paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    paranoiaFailed_ = false;
    return true;
  }

  CdIo_t* cdio_;
  std::vector<Track> tracks_;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  bool paranoiaFailed_ = false;
  int32_t nextParanoiaSector_ = -1;
};

// The first drive that reads audio CDs, or libcdio's default device.
CdIo_t* OpenDefaultDrive() {
  if (char** drives = cdio_get_devices_with_cap(nullptr, CDIO_FS_AUDIO, false)) {
    CdIo_t* cdio = drives[0] != nullptr ? cdio_open(drives[0], DRIVER_DEVICE) : nullptr;
    cdio_free_device_list(drives);
    if (cdio != nullptr) return cdio;
  }
  return cdio_open(nullptr, DRIVER_DEVICE);
}

}  // namespace

std::string ChosenCdDevice() {
  const char* device = std::getenv(kCdDeviceVariable);
  return device != nullptr ? device : "";
}

std::unique_ptr<CdDisc> OpenCdioDisc(const std::string& device) {
  QuietLogOnce();
  CdIo_t* cdio = device.empty() ? OpenDefaultDrive() : cdio_open(device.c_str(), DRIVER_UNKNOWN);
  if (cdio == nullptr) return nullptr;
  // An empty drive, or one that cannot give its table of contents (busy, still spinning up), has no disc.
  auto disc = std::make_unique<CdioDisc>(cdio);
  if (disc->TrackCount() == 0) return nullptr;
  return disc;
}

}  // namespace platform::audio
