// The desktop's clipboard, to and from another application (xclip, run as a separate process).
#include <cstdio>
#include <fstream>
#include <string>

#include "LiveDisplayFixture.h"
#include "appkit/controls/NSTextField.h"
#include "foundation/strings/NSString.h"

using namespace live_test;

namespace {

// The command's standard output (the display's own thread answers the selection meanwhile).
std::string outputOf(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  pclose(pipe);
  return output;
}

// xclip takes the clipboard with the file's text and serves it, in the background, once.
void xclipOwns(const std::string& text) {
  const std::string file = testing::TempDir() + "clipboard.txt";
  std::ofstream(file, std::ios::binary) << text;
  ASSERT_EQ(std::system(("xclip -selection clipboard -loops 1 -i " + file).c_str()), 0);
}

} // namespace

TEST_F(LiveDisplayTest, TheClipboardGoesToAndComesFromOtherApplications) {
  const std::u16string copied = u"Grüße, 東京 😀";
  display->setClipboardText(copied);
  EXPECT_EQ(outputOf("xclip -selection clipboard -o"), NSUTF16ToUTF8(copied));
  EXPECT_NE(outputOf("xclip -selection clipboard -t TARGETS -o").find("UTF8_STRING"),
            std::string::npos);

  xclipOwns("from xclip ✓");
  EXPECT_EQ(display->clipboardText(), NSUTF8ToUTF16("from xclip ✓"));

  // 2 MB: more than xclip hands over at once, so it comes in pieces (INCR); and back whole.
  std::string large;
  while (large.size() < 2'000'000)
    large += "line " + std::to_string(large.size()) + " äöü\n";
  xclipOwns(large);
  const std::optional<std::u16string> received = display->clipboardText();
  ASSERT_TRUE(received.has_value());
  EXPECT_EQ(NSUTF16ToUTF8(*received), large);
  // Back in pieces too (more than one piece of ours), every byte in its place.
  display->setClipboardText(NSUTF8ToUTF16(large));
  const std::string pasted = outputOf("xclip -selection clipboard -o");
  EXPECT_EQ(pasted.size(), large.size());
  EXPECT_TRUE(pasted == large);
}

TEST_F(LiveDisplayTest, ControlVPastesWhatAnotherApplicationCopied) {
  NSWindow* window = makeWindow("Paste", NSMakeRect(200, 200, 400, 200));
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 60, 300, 24)));
  window->contentView()->addSubview(field.get());
  ASSERT_TRUE(window->makeFirstResponder(field.get()));
  ASSERT_TRUE(waitUntilShown(window));
  ASSERT_TRUE(
      serveUntil([&] { return focusedWindow() == display->xWindowOf(window->windowNumber()); }));
  xclipOwns("pasted ✓");
  ASSERT_TRUE(xdotool({"key", "ctrl+v"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "pasted ✓"; }))
      << field->stringValue()->utf8();
  // Control-A, Control-C: the field's text is on the desktop's clipboard.
  ASSERT_TRUE(xdotool({"key", "ctrl+a", "ctrl+c"}));
  serveUntil([&] { return outputOf("xclip -selection clipboard -o") == "pasted ✓"; });
  EXPECT_EQ(outputOf("xclip -selection clipboard -o"), "pasted ✓");
}

TEST_F(LiveDisplayTest, SelectedTextIsThePrimarySelectionAndAMiddleClickPastesIt) {
  NSWindow* window = makeWindow("Primary", NSMakeRect(200, 200, 400, 200));
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 60, 300, 24)));
  field->setStringValue(NSSTR("hello world"));
  window->contentView()->addSubview(field.get());
  ASSERT_TRUE(window->makeFirstResponder(field.get()));
  ASSERT_TRUE(waitUntilShown(window));
  ASSERT_TRUE(
      serveUntil([&] { return focusedWindow() == display->xWindowOf(window->windowNumber()); }));
  ASSERT_TRUE(xdotool({"key", "ctrl+a"}));
  serveUntil([&] { return outputOf("xclip -selection primary -o") == "hello world"; });
  EXPECT_EQ(outputOf("xclip -selection primary -o"), "hello world");

  const std::string file = testing::TempDir() + "primary.txt";
  std::ofstream(file, std::ios::binary) << "+mid ✓";
  ASSERT_EQ(std::system(("xclip -selection primary -loops 1 -i " + file).c_str()), 0);
  // Past the end of the text: the caret goes there, and the selection goes in.
  const auto at = screenPoint(
      window, field->convertPointToView(
                  NSMakePoint(NSMaxX(field->bounds()) - 10, NSMidY(field->bounds())), nullptr));
  ASSERT_TRUE(xdotool({"mousemove", at[0], at[1], "click", "2"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "hello world+mid ✓"; }))
      << field->stringValue()->utf8();
}
