// The game's own clipboard on X: pastes by other programs are answered from its serving thread in every text form
// they ask for, refused cleanly in any other, and a program that asks and goes away does not end the game.
#include <gtest/gtest.h>

#include "display/clipboard_request.h"
#include "platform/desktop.h"

namespace platform {
namespace {

TEST(X11ClipboardTest, EveryPasteIsAnsweredOrRefusedAndAnAbandonedOneCostsNothing) {
  std::unique_ptr<Clipboard> clipboard = CreateX11Clipboard("");
  ASSERT_NE(clipboard, nullptr) << "no display";
  const std::string text = ":1:20 \xC3\xA9t\xC3\xA9";  // "été" in UTF-8
  ASSERT_TRUE(clipboard->SetText(text));

  // The main thread waits here for the answers, as it waits in a message box: the clipboard serves on its own.
  const struct {
    const char* target;
    bool refused;
    const char* type;
    std::string bytes;
  } cases[] = {
      {"UTF8_STRING", false, "UTF8_STRING", text},
      {"text/plain;charset=utf-8", false, "UTF8_STRING", text},
      {"STRING", false, "STRING", ":1:20 \xE9t\xE9"},
      {"text/plain", false, "STRING", ":1:20 \xE9t\xE9"},
      {"TEXT", false, "STRING", ":1:20 \xE9t\xE9"},
      {"image/png", true, "", ""},
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.target);
      // A program that asks and leaves before reading: its window is gone when the answer goes out.
      clipboard_test::RequestClipboard(c.target, true);
      const clipboard_test::Paste paste = clipboard_test::RequestClipboard(c.target);
      ASSERT_TRUE(paste.answered);
      EXPECT_EQ(paste.refused, c.refused);
      EXPECT_EQ(paste.type, c.type);
      EXPECT_EQ(paste.bytes, c.bytes);
    }
  }
  const clipboard_test::Paste targets = clipboard_test::RequestClipboard("TARGETS");
  ASSERT_TRUE(targets.answered && !targets.refused);
  for (const char* offered : {"TARGETS\n", "UTF8_STRING\n", "STRING\n", "TEXT\n"}) {
    EXPECT_NE(targets.bytes.find(offered), std::string::npos) << offered;
  }

  // A new text replaces the old one.
  ASSERT_TRUE(clipboard->SetText(":3:7:12"));
  EXPECT_EQ(clipboard_test::RequestClipboard("UTF8_STRING").bytes, ":3:7:12");
  // Once the clipboard is gone, nobody answers for it any more.
  clipboard.reset();
  const clipboard_test::Paste orphan = clipboard_test::RequestClipboard("UTF8_STRING", false, 500);
  EXPECT_FALSE(orphan.answered && !orphan.refused);
}

}  // namespace
}  // namespace platform
