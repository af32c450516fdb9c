// Operating-system services: the executable's folder, the single-instance lock, the clock, launching programs,
// processor and memory facts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Folder of the running executable with a trailing '/'; empty when it cannot be read.
std::string ExecutableFolder();
// Makes the folder the current directory; false on failure.
bool SetCurrentFolder(const std::string& folder);

// A lock held by at most one process at a time, released by the kernel when the holder dies.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // Takes the lock without waiting; false when another process holds it.
  virtual bool TryAcquire() = 0;
  // Gives the lock back; nothing when it is not held.
  virtual void Release() = 0;
};
// An advisory lock on a file named after `name` in the user's runtime (or temporary) folder.
std::unique_ptr<InstanceLock> CreateInstanceLock(const std::string& name);

// A monotonic high-resolution counter and its frequency (ticks per second).
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t Ticks() const = 0;
  virtual int64_t TicksPerSecond() const = 0;
};
// The system's monotonic clock.
Clock& SystemClock();
// A clock stopped at a given number of milliseconds: seeds drawn from it are the same on every run.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(int64_t milliseconds) : milliseconds_(milliseconds) {}
  int64_t Ticks() const override { return milliseconds_; }
  int64_t TicksPerSecond() const override { return 1000; }

 private:
  int64_t milliseconds_;
};

void SleepMilliseconds(int milliseconds);

// For tools whose standard output carries their result: from now on whatever the program prints to standard
// output goes to standard error, and the returned stream writes to the original standard output (null when
// it cannot be kept, and then nothing is diverted).
std::FILE* DivertStandardOutput();

// Starts a program, or opens a document or address with the desktop's default handler, with no shell.
// Returns 0 when nothing could be started, else a positive process id. When wait is set, returns only after
// the process has ended (the child is reaped either way, never left as a zombie).
int64_t LaunchProgram(const std::string& programOrDocument, const std::vector<std::string>& arguments, bool wait);

// How a program started without waiting stands.
enum class ProgramOutcome { kRunning, kSucceeded, kFailed };
// kRunning while the process runs; once it has ended, kSucceeded for exit status 0 and kFailed otherwise (kFailed
// too for a process the launcher never started or was already asked about after its end). Reaps it when it has
// ended.
ProgramOutcome LaunchedProgramOutcome(int64_t process);
// Reaps every program started without waiting that has ended, so none is left a zombie; their outcomes stay to be
// asked for (the most recent few dozen).
void ReapFinishedPrograms();

// Starts program (searched on PATH) with no shell, its standard output sent to outputFile unless that is -1.
// The child starts with no blocked signals and the default action for the signals the game handles. Returns the
// process id, or 0 with a line on standard error when it cannot start.
int64_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments, int outputFile = -1);

// Processor clock in MHz (cpufreq, then /proc/cpuinfo); 0 when unknown.
int ProcessorMegahertz();
// Installed memory in bytes; 0 when unknown.
uint64_t InstalledMemoryBytes();
// Hands the memory freed since the last call back to the system: a load frees far more than it keeps (decoded
// pictures, file images, building buffers), and the allocator would otherwise hold those pages for good.
void ReturnFreedMemory();

// The C runtime's rand/srand generator as the game's rules expect it: state = state × 214013 + 2531011,
// result (state >> 16) & 0x7fff. One process-wide state, seed 1 at start.
void CrtSeed(uint32_t seed);
int CrtRand();
constexpr int kCrtRandMax = 0x7fff;

}  // namespace platform
