// The desktop portal's folder dialog against a stand-in portal on a private session bus: what the game asks
// for, which answers it takes, and how it gives up when the portal or the bus goes away.
#include <dbus/dbus.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop.h"
#include "platform/null_desktop.h"
#include "platform/scoped_env.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A session bus of its own: dbus-daemon listening on <folder>/bus.
class PrivateBus {
 public:
  explicit PrivateBus(const fs::path& folder) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    const std::string listen = "--address=unix:path=" + (folder / "bus").string();
    const std::string printTo = "--print-address=" + std::to_string(pipeEnds[1]);
    pid_ = fork();
    if (pid_ == 0) {
      close(pipeEnds[0]);
      const int devNull = open("/dev/null", O_RDWR);
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDERR_FILENO);  // its notes about resource limits are no test output
      execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", listen.c_str(), printTo.c_str(),
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pipeEnds[1]);
    char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1 && byte != '\n') address_ += byte;
    close(pipeEnds[0]);
  }
  ~PrivateBus() { Stop(); }
  // Ends the bus; every connection to it is dropped.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  const std::string& Address() const { return address_; }

 private:
  pid_t pid_ = -1;
  std::string address_;
};

// The option values of one OpenFile request, each written as text ("true", the string, or the bytes).
using Options = std::map<std::string, std::string>;

struct Request {
  std::string parentWindow;
  std::string title;
  Options options;
  std::string sender;
};

// How the stand-in portal answers OpenFile.
struct Script {
  enum class Handle { kCallersPath, kOwnPath, kError, kSilence };
  Handle handle = Handle::kCallersPath;
  // The Response signal's arguments are appended by this; nothing is sent when it is empty.
  std::function<void(DBusMessageIter&)> response;
  // Stop the bus once the request is answered (the player never answers).
  bool dropBus = false;
};

void AppendUris(DBusMessageIter& results, const std::vector<const char*>& uris, const char* otherKeyFirst) {
  DBusMessageIter dictionary;
  dbus_message_iter_open_container(&results, DBUS_TYPE_ARRAY, "{sv}", &dictionary);
  if (otherKeyFirst != nullptr) {
    DBusMessageIter entry;
    DBusMessageIter variant;
    dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &otherKeyFirst);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "b", &variant);
    const dbus_bool_t yes = TRUE;
    dbus_message_iter_append_basic(&variant, DBUS_TYPE_BOOLEAN, &yes);
    dbus_message_iter_close_container(&entry, &variant);
    dbus_message_iter_close_container(&dictionary, &entry);
  }
  DBusMessageIter entry;
  DBusMessageIter variant;
  DBusMessageIter list;
  const char* key = "uris";
  dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
  dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
  dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
  dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &list);
  for (const char* uri : uris) dbus_message_iter_append_basic(&list, DBUS_TYPE_STRING, &uri);
  dbus_message_iter_close_container(&variant, &list);
  dbus_message_iter_close_container(&entry, &variant);
  dbus_message_iter_close_container(&dictionary, &entry);
  dbus_message_iter_close_container(&results, &dictionary);
}

std::function<void(DBusMessageIter&)> Answer(dbus_uint32_t code, std::vector<const char*> uris = {},
                                              const char* otherKeyFirst = nullptr) {
  return [=](DBusMessageIter& arguments) {
    dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &code);
    AppendUris(arguments, uris, otherKeyFirst);
  };
}

Options ReadOptions(DBusMessageIter& arguments) {
  Options options;
  DBusMessageIter dictionary;
  dbus_message_iter_recurse(&arguments, &dictionary);
  while (dbus_message_iter_get_arg_type(&dictionary) == DBUS_TYPE_DICT_ENTRY) {
    DBusMessageIter entry;
    DBusMessageIter variant;
    dbus_message_iter_recurse(&dictionary, &entry);
    const char* key = nullptr;
    dbus_message_iter_get_basic(&entry, &key);
    dbus_message_iter_next(&entry);
    dbus_message_iter_recurse(&entry, &variant);
    std::string value;
    switch (dbus_message_iter_get_arg_type(&variant)) {
      case DBUS_TYPE_STRING: {
        const char* text = nullptr;
        dbus_message_iter_get_basic(&variant, &text);
        value = text;
        break;
      }
      case DBUS_TYPE_BOOLEAN: {
        dbus_bool_t flag = FALSE;
        dbus_message_iter_get_basic(&variant, &flag);
        value = flag ? "true" : "false";
        break;
      }
      case DBUS_TYPE_ARRAY: {
        DBusMessageIter bytes;
        dbus_message_iter_recurse(&variant, &bytes);
        const char* data = nullptr;
        int length = 0;
        dbus_message_iter_get_fixed_array(&bytes, &data, &length);
        value.assign(data, static_cast<size_t>(length));
        break;
      }
      default: value = "?";
    }
    options[key] = value;
    dbus_message_iter_next(&dictionary);
  }
  return options;
}

// The portal's own rule for a request's object path: the caller's bus name without the colon, dots as
// underscores, then the caller's token.
std::string RequestPath(const std::string& sender, const std::string& token) {
  std::string name = sender.substr(1);
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return "/org/freedesktop/portal/desktop/request/" + name + "/" + token;
}

// Like the desktop's portal, the answer is addressed to the caller alone.
void EmitResponse(DBusConnection* connection, const std::string& caller, const std::string& path,
                  const std::function<void(DBusMessageIter&)>& append) {
  DBusMessage* signal = dbus_message_new_signal(path.c_str(), "org.freedesktop.portal.Request", "Response");
  dbus_message_set_destination(signal, caller.c_str());
  DBusMessageIter arguments;
  dbus_message_iter_init_append(signal, &arguments);
  append(arguments);
  dbus_connection_send(connection, signal, nullptr);
  dbus_message_unref(signal);
  dbus_connection_flush(connection);
}

// A stand-in for org.freedesktop.portal.Desktop that serves one OpenFile request on its own thread.
class FakePortal {
 public:
  FakePortal(PrivateBus& bus, Script script) : bus_(bus), script_(std::move(script)) {
    DBusError error;
    dbus_error_init(&error);
    connection_ = dbus_connection_open_private(bus.Address().c_str(), &error);
    if (connection_ != nullptr && dbus_bus_register(connection_, &error)) {
      owned_ = dbus_bus_request_name(connection_, "org.freedesktop.portal.Desktop", DBUS_NAME_FLAG_ALLOW_REPLACEMENT | DBUS_NAME_FLAG_REPLACE_EXISTING |
                                         DBUS_NAME_FLAG_DO_NOT_QUEUE,
                                     &error) == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER;
    }
    dbus_error_free(&error);
    if (owned_) thread_ = std::thread([this] { Serve(); });
  }
  ~FakePortal() {
    Finish();
    if (connection_ != nullptr) {
      dbus_connection_close(connection_);
      dbus_connection_unref(connection_);
    }
  }
  bool Ready() const { return owned_; }
  // The request as the portal saw it; the portal stops serving.
  const std::optional<Request>& Received() {
    Finish();
    return request_;
  }

 private:
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Serve() {
    while (!done_ && dbus_connection_read_write(connection_, 50)) {
      while (DBusMessage* message = dbus_connection_pop_message(connection_)) {
        if (dbus_message_is_method_call(message, "org.freedesktop.portal.FileChooser", "OpenFile") &&
            std::strcmp(dbus_message_get_path(message), "/org/freedesktop/portal/desktop") == 0) {
          Handle(message);
        }
        dbus_message_unref(message);
      }
    }
  }

  void Handle(DBusMessage* call) {
    Request request;
    request.sender = dbus_message_get_sender(call);
    DBusMessageIter arguments;
    dbus_message_iter_init(call, &arguments);
    const char* text = nullptr;
    dbus_message_iter_get_basic(&arguments, &text);
    request.parentWindow = text;
    dbus_message_iter_next(&arguments);
    dbus_message_iter_get_basic(&arguments, &text);
    request.title = text;
    dbus_message_iter_next(&arguments);
    request.options = ReadOptions(arguments);
    request_ = request;

    if (script_.handle == Script::Handle::kSilence) return;
    if (script_.handle == Script::Handle::kError) {
      DBusMessage* refusal =
          dbus_message_new_error(call, "org.freedesktop.portal.Error.NotAllowed", "no dialogs today");
      dbus_connection_send(connection_, refusal, nullptr);
      dbus_message_unref(refusal);
      dbus_connection_flush(connection_);
      return;
    }
    const std::string callersPath = RequestPath(request.sender, request.options["handle_token"]);
    const std::string path = script_.handle == Script::Handle::kCallersPath
                                 ? callersPath
                                 : "/org/freedesktop/portal/desktop/request/portal_chose/r7";
    DBusMessage* reply = dbus_message_new_method_return(call);
    const char* handle = path.c_str();
    dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
    dbus_connection_send(connection_, reply, nullptr);
    dbus_message_unref(reply);
    dbus_connection_flush(connection_);
    if (script_.dropBus) {
      bus_.Stop();
      return;
    }
    if (!script_.response) return;
    if (path != callersPath) {
      // An answer on the path the caller proposed no longer counts once the portal named its own.
      EmitResponse(connection_, request.sender, callersPath, Answer(0, {"file:///wrong/request"}));
    }
    // A Response for someone else's request comes first; the caller must wait for its own.
    EmitResponse(connection_, request.sender, "/org/freedesktop/portal/desktop/request/someone_else/t1",
                 Answer(0, {"file:///not/yours"}));
    EmitResponse(connection_, request.sender, path, script_.response);
  }

  PrivateBus& bus_;
  Script script_;
  DBusConnection* connection_ = nullptr;
  bool owned_ = false;
  std::atomic<bool> done_{false};
  std::optional<Request> request_;
  std::thread thread_;
};

class PortalFolderChooser : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("corsaire-portal-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    bus_.emplace(folder_);
    ASSERT_FALSE(bus_->Address().empty()) << "dbus-daemon (package dbus-daemon) is needed to run a private bus";
    busEnv_.emplace("DBUS_SESSION_BUS_ADDRESS", bus_->Address().c_str());
  }
  void TearDown() override {
    busEnv_.reset();
    bus_.reset();
    fs::remove_all(folder_);
  }

  fs::path folder_;
  std::optional<PrivateBus> bus_;
  std::optional<ScopedEnv> busEnv_;
};

TEST_F(PortalFolderChooser, AsksForAModalFolderDialogAndTakesThePlayersAnswer) {
  struct Case {
    const char* what;
    Script script;
    std::string startFolder;
    FolderChoice expected;
    std::string folder;  // what `chosen` holds afterwards (it starts as "unchanged")
  };
  using H = Script::Handle;
  const Case cases[] = {
      {"chosen", {H::kCallersPath, Answer(0, {"file:///home/ana/My%20Music/", "file:///second"})}, "/home/ana",
       FolderChoice::kChosen, "/home/ana/My Music"},
      {"chosen, other results first", {H::kCallersPath, Answer(0, {"file://localhost/mnt/songs"}, "writable")}, "",
       FolderChoice::kChosen, "/mnt/songs"},
      {"portal picks the request path", {H::kOwnPath, Answer(0, {"file:///srv/music"})}, "/srv",
       FolderChoice::kChosen, "/srv/music"},
      {"cancelled", {H::kCallersPath, Answer(1)}, "/", FolderChoice::kCancelled, "unchanged"},
      {"dialog closed otherwise", {H::kCallersPath, Answer(2, {"file:///ignored"})}, "/", FolderChoice::kUnavailable,
       "unchanged"},
      {"chosen but no address", {H::kCallersPath, Answer(0)}, "/", FolderChoice::kUnavailable, "unchanged"},
      {"chosen on another machine", {H::kCallersPath, Answer(0, {"file://far.away/music"})}, "/",
       FolderChoice::kUnavailable, "unchanged"},
      {"chosen but not a file", {H::kCallersPath, Answer(0, {"https://example.com/music"})}, "/",
       FolderChoice::kUnavailable, "unchanged"},
      {"chosen without results",
       {H::kCallersPath,
        [](DBusMessageIter& arguments) {
          const dbus_uint32_t code = 0;
          dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &code);
        }},
       "/", FolderChoice::kUnavailable, "unchanged"},
      {"uris not a list",
       {H::kCallersPath,
        [](DBusMessageIter& arguments) {
          const dbus_uint32_t code = 0;
          dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &code);
          DBusMessageIter dictionary;
          DBusMessageIter entry;
          DBusMessageIter variant;
          const char* key = "uris";
          const char* uri = "file:///a/string/alone";
          dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &dictionary);
          dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
          dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
          dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "s", &variant);
          dbus_message_iter_append_basic(&variant, DBUS_TYPE_STRING, &uri);
          dbus_message_iter_close_container(&entry, &variant);
          dbus_message_iter_close_container(&dictionary, &entry);
          dbus_message_iter_close_container(&arguments, &dictionary);
        }},
       "/", FolderChoice::kUnavailable, "unchanged"},
      {"results not a dictionary",
       {H::kCallersPath,
        [](DBusMessageIter& arguments) {
          const dbus_uint32_t code = 0;
          const char* uri = "file:///a/string/alone";
          dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &code);
          dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &uri);
        }},
       "/", FolderChoice::kUnavailable, "unchanged"},
      {"response code of the wrong type",
       {H::kCallersPath,
        [](DBusMessageIter& arguments) {
          const char* text = "0";
          dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &text);
        }},
       "/", FolderChoice::kUnavailable, "unchanged"},
      {"portal refuses the request", {H::kError, {}}, "/", FolderChoice::kUnavailable, "unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePortal portal(*bus_, c.script);
    ASSERT_TRUE(portal.Ready());
    std::string chosen = "unchanged";
    EXPECT_EQ(ChooseFolderThroughPortal("Select MP3 Folder", c.startFolder, chosen), c.expected);
    EXPECT_EQ(chosen, c.folder);

    ASSERT_TRUE(portal.Received().has_value());
    const Request& request = *portal.Received();
    EXPECT_EQ(request.title, "Select MP3 Folder");
    EXPECT_EQ(request.parentWindow, "");
    EXPECT_EQ(request.options.at("directory"), "true");
    EXPECT_EQ(request.options.at("modal"), "true");
    EXPECT_FALSE(request.options.at("handle_token").empty());
    if (c.startFolder.empty()) {
      EXPECT_EQ(request.options.count("current_folder"), 0u) << "no start folder, no option";
    } else {
      EXPECT_EQ(request.options.at("current_folder"), c.startFolder + std::string(1, '\0'));
    }
  }
}

TEST_F(PortalFolderChooser, TheDesktopChooserAsksThePortalFirstAndFallsBackOnlyWhenItIsMissing) {
  const struct {
    const char* what;
    bool portal;
    FolderChoice expected;
    std::string folder;
    size_t programsRun;
  } cases[] = {
      {"portal answers", true, FolderChoice::kChosen, "/home/ana/Music", 0},
      {"no portal: zenity", false, FolderChoice::kChosen, "/home/ana/Zenity", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<FakePortal> portal;
    if (c.portal) portal.emplace(*bus_, Script{Script::Handle::kCallersPath, Answer(0, {"file:///home/ana/Music"})});
    RecordingLauncher launcher;
    launcher.answers["zenity"] = {0, "/home/ana/Zenity\n"};
    auto chooser = CreateDesktopFolderChooser(launcher, true);
    std::string chosen;
    EXPECT_EQ(chooser->Choose("Select MP3 Folder", "/home/ana", chosen), c.expected);
    EXPECT_EQ(chosen, c.folder);
    EXPECT_EQ(launcher.calls.size(), c.programsRun);
  }
  // The player cancelling the portal's dialog is an answer: no second dialog follows.
  FakePortal portal(*bus_, {Script::Handle::kCallersPath, Answer(1)});
  RecordingLauncher launcher;
  launcher.answers["zenity"] = {0, "/home/ana/Zenity\n"};
  std::string chosen;
  EXPECT_EQ(CreateDesktopFolderChooser(launcher, true)->Choose("Pick", "/", chosen), FolderChoice::kCancelled);
  EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(PortalFolderChooser, EveryRequestCarriesItsOwnToken) {
  std::vector<std::string> tokens;
  for (int i = 0; i < 2; ++i) {
    FakePortal portal(*bus_, {Script::Handle::kCallersPath, Answer(1)});
    ASSERT_TRUE(portal.Ready());
    std::string chosen;
    EXPECT_EQ(ChooseFolderThroughPortal("Pick", "/", chosen), FolderChoice::kCancelled);
    ASSERT_TRUE(portal.Received().has_value());
    tokens.push_back(portal.Received()->options.at("handle_token"));
  }
  EXPECT_NE(tokens[0], tokens[1]);
}

TEST_F(PortalFolderChooser, GivesUpWhenThereIsNoPortalOrTheBusGoesAway) {
  std::string chosen = "unchanged";
  // Nobody owns the portal's name on this bus.
  EXPECT_EQ(ChooseFolderThroughPortal("Pick", "/", chosen), FolderChoice::kUnavailable);
  {
    // The request is taken, then the session ends before the player answers.
    FakePortal portal(*bus_, {Script::Handle::kCallersPath, {}, true});
    ASSERT_TRUE(portal.Ready());
    EXPECT_EQ(ChooseFolderThroughPortal("Pick", "/", chosen), FolderChoice::kUnavailable);
    EXPECT_TRUE(portal.Received().has_value());
  }
  // The bus is gone: its address no longer connects.
  EXPECT_EQ(ChooseFolderThroughPortal("Pick", "/", chosen), FolderChoice::kUnavailable);
  EXPECT_EQ(chosen, "unchanged");
}

TEST_F(PortalFolderChooser, FindsTheUsersBusInTheRuntimeFolderWhenNoAddressIsSet) {
  ScopedEnv noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", folder_.c_str());
    FakePortal portal(*bus_, {Script::Handle::kCallersPath, Answer(0, {"file:///music"})});
    ASSERT_TRUE(portal.Ready());
    std::string chosen;
    EXPECT_EQ(ChooseFolderThroughPortal("Pick", "", chosen), FolderChoice::kChosen);
    EXPECT_EQ(chosen, "/music");
  }
  // A runtime folder whose "bus" is a plain file, or an empty setting, has no bus to offer.
  const fs::path plain = folder_ / "plain";
  fs::create_directories(plain);
  std::FILE* file = std::fopen((plain / "bus").c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  for (const char* runtimeFolder : {plain.c_str(), ""}) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeFolder);
    std::string chosen = "unchanged";
    EXPECT_EQ(ChooseFolderThroughPortal("Pick", "/", chosen), FolderChoice::kUnavailable) << runtimeFolder;
    EXPECT_EQ(chosen, "unchanged");
  }
}

}  // namespace
}  // namespace platform
