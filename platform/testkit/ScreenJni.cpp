// The native methods of ixa.testkit.Screen: windows, the application menu, the run loop, the
// description of the screen and the log. Each may be called on any thread (see TestkitJni.h).
#include <jni.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "appkit/application/NSApplication.h"
#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/system/NSLog.h"
#include "testkit/ScreenDescription.h"
#include "testkit/TestkitJni.h"

using namespace testkit;

namespace {

// An ordinary document window, as a Java toolkit makes one.
constexpr NSWindowStyleMask kOrdinaryWindowStyle =
    NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskMiniaturizable |
    NSWindowStyleMaskResizable;

std::string unknownWindowMessage(const char* method, jint number) {
  return std::string(method) + ": there is no window with number " + std::to_string(number);
}

// The outcome of work done on the main thread for a window number.
struct WindowWork {
  bool found = false;
};

// Runs action on the window with that number on the main thread; throws
// IllegalArgumentException (and changes nothing) when there is no such window.
void withWindow(JNIEnv* env, const char* method, jint number,
                std::function<void(NSWindow*)> action) {
  auto outcome = std::make_shared<WindowWork>();
  const bool served = runOnMain(env, method, [outcome, number, action = std::move(action)] {
    NSWindow* window = NSApplication::sharedApplication()->windowWithWindowNumber(number);
    if (!window) return;
    outcome->found = true;
    action(window);
  });
  if (served && !outcome->found)
    throwJava(env, kIllegalArgument, unknownWindowMessage(method, number));
}

// Screen.run waits at most this long (about 30 years), which keeps time arithmetic in range.
constexpr double kLongestRun = 1e9;

bool isFinite(std::initializer_list<double> values) {
  for (double value : values)
    if (!std::isfinite(value)) return false;
  return true;
}

} // namespace

// static int openWindow(String title, double x, double y, double width, double height)
extern "C" JNIEXPORT jint JNICALL Java_ixa_testkit_Screen_openWindow(JNIEnv* env, jclass,
                                                                     jstring title, jdouble x,
                                                                     jdouble y, jdouble width,
                                                                     jdouble height) {
  jint number = 0;
  guarded(env, "Screen.openWindow", [&] {
    std::optional<std::u16string> text = stringValue(env, title);
    if (!text) return throwJava(env, kNullPointer, "Screen.openWindow: title must not be null");
    if (!isFinite({x, y, width, height}) || width < 0 || height < 0)
      return throwJava(env, kIllegalArgument,
                       "Screen.openWindow: the frame must be finite, with a width and height "
                       "of at least 0");
    auto result = std::make_shared<jint>(0);
    const NSRect frame = NSMakeRect(x, y, width, height);
    const bool served =
        runOnMain(env, "Screen.openWindow", [result, frame, text = std::move(*text)] {
          // The creator's reference is the one that close releases (isReleasedWhenClosed).
          NSWindow* window = NSWindow::alloc()->initWithContentRect(
              NSWindow::contentRectForFrameRect(frame, kOrdinaryWindowStyle), kOrdinaryWindowStyle,
              NSBackingStoreBuffered, false);
          window->setTitle(adopted(NSString::alloc()->initWithUTF16(text)));
          NSView* content = window->contentView();
          Ref<NSView> javaView = adopted(NSView::alloc()->initWithFrame(content->bounds()));
          javaView->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
          content->addSubview(javaView);
          window->makeKeyAndOrderFront(nullptr);
          *result = static_cast<jint>(window->windowNumber());
        });
    if (served) number = *result;
  });
  return number;
}

// static void orderFront(int window)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_orderFront(JNIEnv* env, jclass,
                                                                     jint window) {
  guarded(env, "Screen.orderFront", [&] {
    withWindow(env, "Screen.orderFront", window, [](NSWindow* w) { w->orderFront(nullptr); });
  });
}

// static void close(int window)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_close(JNIEnv* env, jclass, jint window) {
  guarded(env, "Screen.close",
          [&] { withWindow(env, "Screen.close", window, [](NSWindow* w) { w->close(); }); });
}

// static void setTitle(int window, String title)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_setTitle(JNIEnv* env, jclass, jint window,
                                                                   jstring title) {
  guarded(env, "Screen.setTitle", [&] {
    std::optional<std::u16string> text = stringValue(env, title);
    if (!text) return throwJava(env, kNullPointer, "Screen.setTitle: title must not be null");
    withWindow(env, "Screen.setTitle", window, [text = std::move(*text)](NSWindow* w) {
      w->setTitle(adopted(NSString::alloc()->initWithUTF16(text)));
    });
  });
}

// static String clipboard()
extern "C" JNIEXPORT jstring JNICALL Java_ixa_testkit_Screen_clipboard(JNIEnv* env, jclass) {
  jstring text = nullptr;
  guarded(env, "Screen.clipboard", [&] {
    if (std::optional<std::u16string> held = DisplayBackend::current().clipboardText())
      text = newString(env, *held);
  });
  return text;
}

// static void setDesktopAppearance(boolean dark, double textScale)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_setDesktopAppearance(JNIEnv* env, jclass,
                                                                               jboolean dark,
                                                                               jdouble textScale) {
  guarded(env, "Screen.setDesktopAppearance", [&] {
    if (!(textScale >= 0.5 && textScale <= 3))
      return throwJava(env, kIllegalArgument,
                       "Screen.setDesktopAppearance: textScale must be from 0.5 to 3");
    DisplayBackend& display = DisplayBackend::current();
    DisplayAppearance look = display.appearance();
    look.dark = dark;
    look.textScale = textScale;
    display.setAppearance(look);
  });
}

// static void setClipboard(String text)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_setClipboard(JNIEnv* env, jclass,
                                                                       jstring text) {
  guarded(env, "Screen.setClipboard", [&] {
    std::optional<std::u16string> given = stringValue(env, text);
    if (!given) return throwJava(env, kNullPointer, "Screen.setClipboard: text must not be null");
    DisplayBackend::current().setClipboardText(std::move(*given));
  });
}

// static String[] windowTitles()
extern "C" JNIEXPORT jobjectArray JNICALL Java_ixa_testkit_Screen_windowTitles(JNIEnv* env,
                                                                               jclass) {
  jobjectArray titles = nullptr;
  guarded(env, "Screen.windowTitles", [&] {
    auto result = std::make_shared<std::vector<std::u16string>>();
    const bool served = runOnMain(env, "Screen.windowTitles", [result] {
      for (NSObject* object : *NSApplication::sharedApplication()->orderedWindows()) {
        NSString* title = static_cast<NSWindow*>(object)->title();
        result->emplace_back(title ? title->utf16() : u"");
      }
    });
    if (served) titles = newStringArray(env, *result);
  });
  return titles;
}

// static void setApplicationMenu(String... titles)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_setApplicationMenu(JNIEnv* env, jclass,
                                                                             jobjectArray titles) {
  guarded(env, "Screen.setApplicationMenu", [&] {
    std::optional<std::vector<std::u16string>> items =
        stringArrayValue(env, titles, "Screen.setApplicationMenu: titles");
    if (!items) return;
    runOnMain(env, "Screen.setApplicationMenu", [items = std::move(*items)]() mutable {
      NSApplication::sharedApplication()->setApplicationMenuTitles(std::move(items));
    });
  });
}

// static void run(double seconds)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_run(JNIEnv* env, jclass,
                                                              jdouble seconds) {
  guarded(env, "Screen.run", [&] {
    if (!std::isfinite(seconds) || seconds < 0)
      return throwJava(env, kIllegalArgument,
                       "Screen.run: seconds must be a finite number of at least 0");
    seconds = std::min(seconds, kLongestRun);
    if (!NSThread::isMainThread()) {
      // The main thread serves its run loop all the time: another thread lets the time pass,
      // then waits until the loop has served what was queued before it (due blocks included).
      // The application is there while the time passes (a live display adopts the windows
      // Java shows meanwhile).
      if (!runOnMain(env, "Screen.run", [] { NSApplication::sharedApplication(); })) return;
      if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
      runOnMain(env, "Screen.run", [] {});
      return;
    }
    NSApplication::sharedApplication(); // the run loop routes events to it
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (seconds == 0) {
      loop.runPending();
      return;
    }
    // An exception thrown by Java code that ran inside the loop (an upcall) ends the run early,
    // so that it reaches the caller at once.
    const auto deadline =
        NSRunLoop::Clock::now() + std::chrono::duration_cast<NSRunLoop::Clock::duration>(
                                      std::chrono::duration<double>(seconds));
    loop.runUntil([env] { return static_cast<bool>(env->ExceptionCheck()); }, deadline);
  });
}

// static String describe()
extern "C" JNIEXPORT jstring JNICALL Java_ixa_testkit_Screen_describe(JNIEnv* env, jclass) {
  jstring description = nullptr;
  guarded(env, "Screen.describe", [&] {
    auto result = std::make_shared<std::string>();
    if (runOnMain(env, "Screen.describe", [result] { *result = ScreenDescription::describe(); }))
      // The description is plain ASCII, which modified UTF-8 represents unchanged.
      description = env->NewStringUTF(result->c_str());
  });
  return description;
}

// static String[] log()
extern "C" JNIEXPORT jobjectArray JNICALL Java_ixa_testkit_Screen_log(JNIEnv* env, jclass) {
  jobjectArray lines = nullptr;
  guarded(env, "Screen.log", [&] {
    // The log buffer is thread-safe and not part of the user interface, so it is read here
    // directly: the log stays readable while the main thread is busy, when it is wanted most.
    std::vector<std::u16string> texts;
    for (const std::string& line : NSLogBufferedLines())
      texts.push_back(NSUTF8ToUTF16(line));
    lines = newStringArray(env, texts);
  });
  return lines;
}

// static void clearLog()
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_Screen_clearLog(JNIEnv* env, jclass) {
  guarded(env, "Screen.clearLog", [&] { NSLogClearBuffer(); });
}
