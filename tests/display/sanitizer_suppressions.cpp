// Leak-checker suppressions for the display tests: allocations the desktop's system libraries keep until exit.
extern "C" const char* __lsan_default_suppressions() {
  // The session-bus library SDL opens for input methods keeps its connection for the life of the process.
  return "leak:libdbus-1.so\n";
}
