// A small X program that pastes: `clipboard_requester TARGET` prints what the clipboard's owner answered for the
// target and exits 0, or exits 1 when the owner refused and 2 when it did not answer within five seconds;
// `clipboard_requester --abandon TARGET` asks and exits at once without reading the answer.
#include <cstdio>
#include <cstring>

#include "display/clipboard_request.h"

int main(int argc, char** argv) {
  const bool abandon = argc == 3 && std::strcmp(argv[1], "--abandon") == 0;
  if (argc != 2 && !abandon) {
    std::fprintf(stderr, "usage: clipboard_requester [--abandon] TARGET\n");
    return 3;
  }
  const clipboard_test::Paste paste = clipboard_test::RequestClipboard(argv[argc - 1], abandon);
  if (abandon) return 0;
  if (!paste.answered) return 2;
  if (paste.refused) return 1;
  std::fwrite(paste.bytes.data(), 1, paste.bytes.size(), stdout);
  return 0;
}
