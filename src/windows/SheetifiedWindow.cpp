// Showing the Java window titled "SHEETIFY" as a sheet of the current window, closing it again,
// and the window's full-screen controls.
#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/windows/NSWindow.h"
#include "appkit/windows/NSWindowStandardButton.h"
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "dispatch/dispatch.h"
#include "windows/WindowLookup.h"

namespace {
// The attachment waits a tenth of a second, so the window is off the screen and redrawn first.
constexpr int64_t kAttachDelayNanoseconds = 100000000;
} // namespace

extern "C" {

// IxaDialogs.sheetifyWindow()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_sheetifyWindow(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "sheetifyWindow", jint{1}, [] {
    // Only a window on the ordered list: one already shown as a sheet stays as it is.
    NSWindow* window = brix::frontMostOrderedSheetifyWindow();
    if (window) {
      brix::_sheetifiedWindow = window;
      window->orderOut(window);
      window->setViewsNeedDisplay(true);
      window->update();
      window->display();
      if (NSView* content = window->contentView()) content->display();
      // The block holds the window until it has run; the parent is whatever window is current
      // then. A window closed in the meantime is not brought back as a sheet.
      dispatch_after(dispatch_time(DISPATCH_TIME_NOW, kAttachDelayNanoseconds),
                     dispatch_get_main_queue(), [held = retained(window)] {
                       if (held->isClosed()) return;
                       if (NSWindow* parent = getCurrentWindow()) parent->beginSheet(held, nullptr);
                     });
    }
    return 1;
  });
}

// IxaDialogs.closeSheetifiedWindow()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_closeSheetifiedWindow(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "closeSheetifiedWindow", jint{1}, [] {
    // Held while it is taken down: ending the sheet may drop the last other reference to it (a
    // window Java already closed lives only as its parent's sheet).
    const Ref<NSWindow> window = brix::_sheetifiedWindow.strong();
    // With nothing sheetified there is no sheet to end.
    if (window) {
      if (NSWindow* current = getCurrentWindow()) current->endSheet(window);
      window->orderOut(window);
      window->close();
    }
    brix::_sheetifiedWindow = nullptr;
    return 1;
  });
}

// IxaDialogs.enterFullScreen()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_enterFullScreen(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "enterFullScreen", jint{1}, [] {
    if (NSWindow* window = getCurrentWindow()) window->toggleFullScreen(nullptr);
    return 1;
  });
}

// Hides and disables the window's full-screen title-bar button, when it has one.
BRIX_EXPORT void hideFullscreenButtonOfWindow(NSWindow* window) {
  auto* button = window ? window->standardWindowButton(NSWindowFullScreenButton) : nullptr;
  if (!button) return;
  button->setHidden(true);
  button->setAlphaValue(0.0);
  button->setEnabled(false);
  // The title-bar buttons carry images only where they are full buttons.
  if (auto* imageButton = ns_cast<NSButton>(button)) {
    imageButton->setImage(nullptr);
    imageButton->setAlternateImage(nullptr);
  }
}

} // extern "C"
