// The folder dialog of the XDG desktop portal (org.freedesktop.portal.FileChooser) over the session bus: the
// request is sent, then the game waits for the portal's Response signal carrying the chosen folder's address.
#include <dbus/dbus.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/desktop.h"

namespace platform {

namespace {

constexpr int kCallTimeoutMs = 30000;

// The session bus address: the environment's, else the per-user bus in the runtime folder. A bus is never
// started for the game.
std::string SessionBusAddress() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return {};
  const std::string socket = std::string(runtime) + "/bus";
  struct stat info {};
  if (stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return {};
  return "unix:path=" + socket;
}

// One connection, closed and released when the choice ends.
struct Bus {
  DBusConnection* connection = nullptr;
  DBusError error;
  Bus() { dbus_error_init(&error); }
  ~Bus() {
    if (connection != nullptr) {
      dbus_connection_close(connection);
      dbus_connection_unref(connection);
    }
    dbus_error_free(&error);
  }
};

void AppendVariant(DBusMessageIter& dictionary, const char* key, int type, const void* value) {
  DBusMessageIter entry;
  DBusMessageIter variant;
  const char signature[2] = {static_cast<char>(type), '\0'};
  dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
  dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
  dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
  dbus_message_iter_append_basic(&variant, type, value);
  dbus_message_iter_close_container(&entry, &variant);
  dbus_message_iter_close_container(&dictionary, &entry);
}

// The byte-array option "current_folder": the path with its terminating zero.
void AppendFolder(DBusMessageIter& dictionary, const std::string& folder) {
  DBusMessageIter entry;
  DBusMessageIter variant;
  DBusMessageIter bytes;
  const char* key = "current_folder";
  dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
  dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
  dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "ay", &variant);
  dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "y", &bytes);
  const char* data = folder.c_str();
  dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &data, static_cast<int>(folder.size() + 1));
  dbus_message_iter_close_container(&variant, &bytes);
  dbus_message_iter_close_container(&entry, &variant);
  dbus_message_iter_close_container(&dictionary, &entry);
}

// The first address of the "uris" entry of the Response's results; empty when there is none.
std::string FirstUri(DBusMessageIter& results) {
  if (dbus_message_iter_get_arg_type(&results) != DBUS_TYPE_ARRAY) return {};
  DBusMessageIter dictionary;
  dbus_message_iter_recurse(&results, &dictionary);
  while (dbus_message_iter_get_arg_type(&dictionary) == DBUS_TYPE_DICT_ENTRY) {
    DBusMessageIter entry;
    dbus_message_iter_recurse(&dictionary, &entry);
    const char* key = nullptr;
    if (dbus_message_iter_get_arg_type(&entry) == DBUS_TYPE_STRING) dbus_message_iter_get_basic(&entry, &key);
    if (key != nullptr && std::string(key) == "uris" && dbus_message_iter_next(&entry) &&
        dbus_message_iter_get_arg_type(&entry) == DBUS_TYPE_VARIANT) {
      DBusMessageIter variant;
      dbus_message_iter_recurse(&entry, &variant);
      if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_ARRAY) {
        DBusMessageIter uris;
        dbus_message_iter_recurse(&variant, &uris);
        if (dbus_message_iter_get_arg_type(&uris) == DBUS_TYPE_STRING) {
          const char* uri = nullptr;
          dbus_message_iter_get_basic(&uris, &uri);
          return uri != nullptr ? uri : "";
        }
      }
    }
    dbus_message_iter_next(&dictionary);
  }
  return {};
}

}  // namespace

std::string FolderFromFileUri(const std::string& uri) {
  static constexpr char kScheme[] = "file://";
  if (uri.rfind(kScheme, 0) != 0) return {};
  std::string path = uri.substr(sizeof kScheme - 1);
  // "file://host/path": only the local machine's files are folders the game can read.
  if (path.empty() || path.front() != '/') {
    const size_t slash = path.find('/');
    if (slash == std::string::npos || path.compare(0, slash, "localhost") != 0) return {};
    path = path.substr(slash);
  }
  std::string decoded;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto hex = [](char c) {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (path[i] == '%' && i + 2 < path.size() && hex(path[i + 1]) >= 0 && hex(path[i + 2]) >= 0) {
      const char byte = static_cast<char>(hex(path[i + 1]) * 16 + hex(path[i + 2]));
      // A zero byte would cut the path short.
      if (byte == '\0') return {};
      decoded += byte;
      i += 2;
    } else {
      decoded += path[i];
    }
  }
  while (decoded.size() > 1 && decoded.back() == '/') decoded.pop_back();
  return decoded;
}

FolderChoice ChooseFolderThroughPortal(const std::string& title, const std::string& startFolder,
                                       std::string& chosen) {
  const std::string address = SessionBusAddress();
  if (address.empty()) return FolderChoice::kUnavailable;
  Bus bus;
  bus.connection = dbus_connection_open_private(address.c_str(), &bus.error);
  if (bus.connection == nullptr) return FolderChoice::kUnavailable;
  dbus_connection_set_exit_on_disconnect(bus.connection, FALSE);
  if (!dbus_bus_register(bus.connection, &bus.error)) return FolderChoice::kUnavailable;

  // The request object's path follows from our bus name and a token of our own; listening for its answer
  // before asking means a quick answer cannot be missed.
  static int requestCount = 0;
  const std::string token = "corsaire" + std::to_string(getpid()) + "_" + std::to_string(++requestCount);
  std::string sender = dbus_bus_get_unique_name(bus.connection);
  if (!sender.empty() && sender.front() == ':') sender.erase(0, 1);
  for (char& c : sender) {
    if (c == '.') c = '_';
  }
  std::string requestPath = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
  const auto listen = [&](const std::string& path) {
    const std::string rule =
        "type='signal',interface='org.freedesktop.portal.Request',member='Response',path='" + path + "'";
    dbus_bus_add_match(bus.connection, rule.c_str(), &bus.error);
    return !dbus_error_is_set(&bus.error);
  };
  if (!listen(requestPath)) return FolderChoice::kUnavailable;

  DBusMessage* call = dbus_message_new_method_call("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                                   "org.freedesktop.portal.FileChooser", "OpenFile");
  if (call == nullptr) return FolderChoice::kUnavailable;
  DBusMessageIter arguments;
  dbus_message_iter_init_append(call, &arguments);
  const char* parent = "";
  const char* titleText = title.c_str();
  dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &parent);
  dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &titleText);
  DBusMessageIter options;
  dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &options);
  const char* tokenText = token.c_str();
  const dbus_bool_t yes = TRUE;
  AppendVariant(options, "handle_token", DBUS_TYPE_STRING, &tokenText);
  AppendVariant(options, "directory", DBUS_TYPE_BOOLEAN, &yes);
  AppendVariant(options, "modal", DBUS_TYPE_BOOLEAN, &yes);
  if (!startFolder.empty()) AppendFolder(options, startFolder);
  dbus_message_iter_close_container(&arguments, &options);
  DBusMessage* reply = dbus_connection_send_with_reply_and_block(bus.connection, call, kCallTimeoutMs, &bus.error);
  dbus_message_unref(call);
  if (reply == nullptr) return FolderChoice::kUnavailable;
  const char* handle = nullptr;
  DBusError replyError;
  dbus_error_init(&replyError);
  if (dbus_message_get_args(reply, &replyError, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID) &&
      handle != nullptr && requestPath != handle) {
    // Older portals pick the path themselves.
    requestPath = handle;
    listen(requestPath);
  }
  dbus_error_free(&replyError);
  dbus_message_unref(reply);

  // The dialog is modal: the game waits here until the player answers or the bus goes away. An answer that
  // arrived with the call's reply is already queued, and waiting on the bus would not see it: the queue is
  // emptied before every wait, and once more after the bus has gone.
  bool open = true;
  for (;;) {
    while (DBusMessage* message = dbus_connection_pop_message(bus.connection)) {
      const bool answer = dbus_message_is_signal(message, "org.freedesktop.portal.Request", "Response") &&
                          dbus_message_get_path(message) != nullptr && requestPath == dbus_message_get_path(message);
      if (!answer) {
        dbus_message_unref(message);
        continue;
      }
      FolderChoice result = FolderChoice::kUnavailable;
      DBusMessageIter reader;
      if (dbus_message_iter_init(message, &reader) && dbus_message_iter_get_arg_type(&reader) == DBUS_TYPE_UINT32) {
        dbus_uint32_t response = 2;
        dbus_message_iter_get_basic(&reader, &response);
        // 0: chosen, 1: cancelled by the player, 2: the dialog ended some other way.
        if (response == 1) result = FolderChoice::kCancelled;
        if (response == 0 && dbus_message_iter_next(&reader)) {
          const std::string folder = FolderFromFileUri(FirstUri(reader));
          if (!folder.empty()) {
            chosen = folder;
            result = FolderChoice::kChosen;
          }
        }
      }
      dbus_message_unref(message);
      return result;
    }
    if (!open) return FolderChoice::kUnavailable;
    open = dbus_connection_read_write(bus.connection, -1);
  }
}

}  // namespace platform
