// The colour panel as Java uses it: the shared panel fronted and made key with a fresh target,
// and every pick reaching Java once as "COLORCHANGED" with the colour's text; and the off-screen
// button rendering, which remembers the caller's environment for those upcalls.
#include <algorithm>
#include <atomic>
#include <thread>

#include "ChromeTestSupport.h"
#include "TestJvm.h"
#include "appkit/controls/NSButton.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/panels/NSColorPanel.h"
#include "appkit/views/ViewPDFRendering.h"
#include "dialogs/ButtonRendering.h"
#include "dialogs/ColorPopover.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runloop/NSRunLoop.h"

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_renderMacButton(JNIEnv*, jclass, jdouble,
                                                                      jdouble, jlong);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showMacColorPopover(JNIEnv*, jclass, jdouble,
                                                                          jdouble);

namespace {

// The colour texts that reached Java as "COLORCHANGED" since the last call, oldest first.
std::vector<std::string> receivedColours(JNIEnv* env) {
  jclass recorder = env->FindClass("ixa/testing/UpcallRecorder");
  jmethodID drain = env->GetStaticMethodID(recorder, "drain", "()Ljava/lang/String;");
  auto text = static_cast<jstring>(env->CallStaticObjectMethod(recorder, drain));
  expectNoPendingException(env);
  const std::u16string calls = testJavaStringValue(env, text);
  env->DeleteLocalRef(text);
  env->DeleteLocalRef(recorder);
  std::vector<std::string> colours;
  const std::string prefix = "COLORCHANGED|";
  std::string all(calls.begin(), calls.end());
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    const std::string line = all.substr(start, end - start);
    colours.push_back(line.starts_with(prefix) ? line.substr(prefix.size()) : "unexpected " + line);
    start = end + 1;
  }
  return colours;
}

void listen(JNIEnv* env) {
  jclass recorder = env->FindClass("ixa/testing/UpcallRecorder");
  jstring name = env->NewStringUTF("COLORCHANGED");
  env->CallStaticVoidMethod(
      recorder, env->GetStaticMethodID(recorder, "record", "(Ljava/lang/String;)V"), name);
  expectNoPendingException(env);
  env->DeleteLocalRef(name);
  env->DeleteLocalRef(recorder);
  receivedColours(env); // forget anything recorded before
}

class ColorPanelTest : public ChromeTest {
protected:
  void SetUp() override {
    ChromeTest::SetUp();
    env = testJniEnv();
    // The upcalls go through the environment that renderMacButton remembers.
    EXPECT_EQ(Java_ixa_IxaDialogs_renderMacButton(env, nullptr, 0, 0, 0), 0);
    listen(env);
  }
  JNIEnv* env = nullptr;
};

// MARK: the environment remembered by renderMacButton

TEST_F(ColorPanelTest, RenderMacButtonRemembersTheEnvironmentAndShowsNothing) {
  brix::_env = nullptr;
  const std::size_t onScreen = NSApplication::sharedApplication()->screenList().size();
  {
    NSAutoreleasePool callPool;
    EXPECT_EQ(Java_ixa_IxaDialogs_renderMacButton(env, nullptr, -3.5, 1e300, 1234567890123), 0);
    EXPECT_EQ(brix::_env, env);
    EXPECT_EQ(NSApplication::sharedApplication()->screenList().size(), onScreen);
  }
  // Nothing of the rendering outlives the call, the window included.
  for (NSWindow* window : NSApplication::sharedApplication()->windowList())
    EXPECT_FALSE(window->frame() == NSMakeRect(0, 0, 200, 200) &&
                 window->styleMask() == NSWindowStyleMaskBorderless);
}

TEST_F(ColorPanelTest, RenderMacButtonFromAnotherThreadKeepsTheMainThreadsEnvironment) {
  // An environment belongs to its thread; the upcalls run on the main thread, so a call from
  // another thread is carried out there and remembers the main thread's environment.
  brix::_env = nullptr;
  jint result = -1;
  JNIEnv* otherEnv = nullptr;
  std::atomic<bool> done{false};
  std::thread other([&] {
    testJavaVm()->AttachCurrentThread(reinterpret_cast<void**>(&otherEnv), nullptr);
    result = Java_ixa_IxaDialogs_renderMacButton(otherEnv, nullptr, 0, 0, 0);
    testJavaVm()->DetachCurrentThread();
    done = true;
    NSRunLoop::mainRunLoop().wakeUp();
  });
  NSRunLoop::mainRunLoop().runUntil([&] { return done.load(); });
  other.join();
  EXPECT_EQ(result, 0);
  EXPECT_NE(otherEnv, env);
  EXPECT_EQ(brix::_env, env);
}

TEST_F(ColorPanelTest, MakeWindowGivesAnAutoreleasedBorderlessWindowOffScreen) {
  NSWindow* window = makeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->frame(), NSMakeRect(0, 0, 200, 200));
  EXPECT_EQ(window->styleMask(), NSWindowStyleMaskBorderless);
  EXPECT_EQ(window->backingType(), NSBackingStoreBuffered);
  EXPECT_FALSE(window->isVisible());
  EXPECT_GE(NSAutoreleasePool::pendingCount(), 1u);
  window->setReleasedWhenClosed(false); // the pool holds the reference closing would release
  window->close();
}

TEST_F(ColorPanelTest, ButtonRendersIntoPdfOfItsBoundsAndBackIntoPixels) {
  NSWindow* window = makeWindow();
  auto button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(200, 200, 200, 30)));
  window->contentView()->addSubview(button);
  button->setTitle(NSSTR("A test button"));
  window->setReleasedWhenClosed(false);
  window->close();
  NSData* pdf = dataWithPDFInsideRect(button, button->bounds());
  ASSERT_NE(pdf, nullptr);
  ASSERT_GT(pdf->length(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pdf->bytes()), 4), "%PDF");
  auto image = adopted(NSImage::alloc()->initWithData(pdf));
  ASSERT_NE(image.get(), nullptr);
  EXPECT_EQ(image->size(), NSMakeSize(200, 30));
  image->lockFocus();
  auto bitmap = adopted(NSBitmapImageRep::alloc()->initWithFocusedViewRect(
      NSMakeRect(0, 0, image->size().width, image->size().height)));
  image->unlockFocus();
  ASSERT_NE(bitmap.get(), nullptr);
  EXPECT_EQ(bitmap->pixelsWide(), 200);
  EXPECT_EQ(bitmap->pixelsHigh(), 30);
  // The bezel is opaque in the middle of the button, and the title is darker than the bezel.
  const Pixel middle = pixelAt(bitmap, 10, 15);
  EXPECT_EQ(middle.alpha, 255);
  int darkest = 255;
  for (CGFloat x = 40; x < 160; x += 1)
    darkest = std::min(darkest, pixelAt(bitmap, x, 15).green);
  EXPECT_LT(darkest, middle.green - 60);
}

// MARK: the panel and its target

TEST_F(ColorPanelTest, PanelIsFrontedAndKeyWithTheNewestTargetOnly) {
  EXPECT_EQ(Java_ixa_IxaDialogs_showMacColorPopover(env, nullptr, 10, 20), 1);
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  NSObject* firstTarget = panel->target();
  EXPECT_EQ(Java_ixa_IxaDialogs_showMacColorPopover(env, nullptr, -500, 1e9), 1);
  EXPECT_EQ(NSColorPanel::sharedColorPanel(), panel);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(panel->isKeyWindow());
  EXPECT_EQ(panel->action(), sel("colorChanged:"));
  ASSERT_NE(panel->target(), nullptr);
  EXPECT_NE(panel->target(), firstTarget);
  EXPECT_STREQ(panel->target()->className(), "ContextMenuSlapper");
  EXPECT_TRUE(panel->title()->isEqualToString(NSSTR("Colors")));
  // Once on the screen, and a panel: orderedWindows leaves it out.
  const auto& screen = NSApplication::sharedApplication()->screenList();
  EXPECT_EQ(std::count(screen.begin(), screen.end(), panel), 1);
  EXPECT_FALSE(NSApplication::sharedApplication()->orderedWindows()->containsObject(panel));

  EXPECT_TRUE(panel->pickColor(NSColor::colorWithCalibratedRed(1, 0, 0, 1)));
  EXPECT_EQ(receivedColours(env), std::vector<std::string>{"#FF0000"});
  EXPECT_EQ(panel->color()->redComponent(), 1.0);

  // Closed, the panel keeps its target and action; shown again it has a new target.
  panel->close();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_NE(panel->target(), nullptr);
  EXPECT_EQ(panel->action(), sel("colorChanged:"));
}

TEST_F(ColorPanelTest, ColourTextsTruncateEachComponentTimes255) {
  brix::showColorPanel();
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  struct Pick {
    double red, green, blue;
  };
  for (const Pick& pick :
       {Pick{1, 0.5, 0}, Pick{0, 0, 0}, Pick{1, 1, 1}, Pick{1.1, 0, 0.999}, Pick{0.2, 0.4, 0.6}})
    panel->pickColor(NSColor::colorWithCalibratedRed(pick.red, pick.green, pick.blue, 1));
  // 0.5 * 255 = 127.5 gives 7F; 1.1 * 255 = 280.5 gives 280 = 0x118, printed with three digits
  // and making the text longer.
  const std::vector<std::string> expected{"#FF7F00", "#000000", "#FFFFFF", "#11800FE", "#336699"};
  EXPECT_EQ(receivedColours(env), expected);
}

TEST_F(ColorPanelTest, ProgrammaticColourSendsNothingAndAPickWithoutTargetReachesNoOne) {
  brix::showColorPanel();
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  panel->setColor(NSColor::colorWithCalibratedRed(0, 1, 0, 1));
  EXPECT_TRUE(receivedColours(env).empty());
  NSObject* target = panel->target();
  panel->setTarget(nullptr);
  EXPECT_FALSE(panel->pickColor(NSColor::blueColor()));
  EXPECT_TRUE(receivedColours(env).empty());
  panel->setTarget(target);
}

} // namespace
