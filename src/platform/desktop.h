// Desktop services beside the window: running other programs, the clipboard and the desktop's folder chooser.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"

namespace platform {

// The most a waited-for program's output is kept (bytes); the rest is read and dropped.
inline constexpr size_t kMaxProgramOutput = 64 * 1024;

// Starts other programs. Every call is made on the main thread.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts a program, or opens a document or address with the desktop's default handler, without waiting and
  // without a shell. False when nothing could be started.
  virtual bool Open(const std::string& programOrDocument, const std::vector<std::string>& arguments) = 0;
  // Starts as Open does and returns an id to follow the program by (0 when nothing could be started).
  virtual int64_t Start(const std::string& programOrDocument, const std::vector<std::string>& arguments) = 0;
  // How a started program stands (ProgramOutcome of os.h); asking reaps it once it has ended.
  virtual ProgramOutcome Outcome(int64_t id) = 0;
  // Reaps every program started without waiting that has ended; the game does this every frame, so no program
  // it launched is left a zombie, minimised or not.
  virtual void ReapFinished() = 0;
  // Runs a program found on the PATH, waits for it to end and keeps its standard output (at most
  // kMaxProgramOutput bytes). Returns its exit status, or -1 when it could not be started or was killed.
  virtual int Run(const std::string& program, const std::vector<std::string>& arguments, std::string& output) = 0;
};
// The operating system's launcher.
ProcessLauncher& SystemLauncher();

// The desktop's clipboard.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts plain text on the clipboard; false when the clipboard cannot be reached (the text is then dropped).
  virtual bool SetText(const std::string& text) = 0;
};
// The clipboard through SDL; it needs SDL's video started, as the SDL window system does. Without it every
// SetText fails.
Clipboard& SdlClipboard();
// The clipboard the game uses: on X its own owner of the CLIPBOARD selection (CreateX11Clipboard), elsewhere SDL's.
Clipboard& DesktopClipboard();
// Owns the CLIPBOARD selection of an X display (the DISPLAY variable's when the name is empty) on a connection
// and a thread of its own: every paste request is answered at once, even while the main thread waits in a dialog,
// with the text as UTF8_STRING, STRING (Latin-1), TEXT or text/plain, the list of TARGETS, or a refusal for any
// other target. A requestor that went away before its answer costs nothing. Null when the display cannot be
// opened.
std::unique_ptr<Clipboard> CreateX11Clipboard(const std::string& displayName);

// Lets go of the pointer the game's window holds while a mouse button is down there, so that another program's
// window can take the mouse; nothing without SDL's video.
void ReleaseMouseCapture();

enum class FolderChoice { kChosen, kCancelled, kUnavailable };

// A dialog in which the player picks a folder.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // Blocks until the player has chosen (kChosen, chosen holds the path without a trailing separator) or
  // cancelled; kUnavailable when no dialog could be shown. startFolder is where the dialog opens.
  virtual FolderChoice Choose(const std::string& title, const std::string& startFolder, std::string& chosen) = 0;
};
// The desktop's folder dialog: the XDG desktop portal's file chooser over the session bus (unless usePortal
// is false), else zenity, else kdialog, each run through the launcher.
std::unique_ptr<FolderChooser> CreateDesktopFolderChooser(ProcessLauncher& launcher, bool usePortal = true);

// The portal's folder dialog alone: kUnavailable without a session bus or a portal that answers.
FolderChoice ChooseFolderThroughPortal(const std::string& title, const std::string& startFolder,
                                       std::string& chosen);

// The local path of a "file://" address, percent escapes decoded, without a trailing separator; empty for any
// other address.
std::string FolderFromFileUri(const std::string& uri);

// The player's music folder, ending with '/': XDG_MUSIC_DIR of the user-dirs file when it names an existing
// folder, else the home folder, else "/".
std::string UserMusicFolder();
// The XDG_MUSIC_DIR value of a user-dirs.dirs text with "$HOME" expanded; empty when the text names none.
std::string MusicFolderFromUserDirs(const std::string& text, const std::string& home);
// The folder that holds a folder ("/a/b/" and "/a/b" give "/a/"); "/" stays "/".
std::string ParentFolder(const std::string& folder);
// Whether the path names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace platform
