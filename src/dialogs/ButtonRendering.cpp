#include "dialogs/ButtonRendering.h"
#include "bridge/Bridge.h"

#include "appkit/controls/NSButton.h"
#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/views/ViewPDFRendering.h"
#include "bridge/NativeScope.h"
#include "bridge/Upcall.h"

namespace {

constexpr NSRect kWindowContentRect{{0, 0}, {200, 200}};
// The button sits at the content view's upper-right corner, outside the 200 x 200 content
// area; the rendering uses its own bounds, so where it sits does not matter.
constexpr NSRect kButtonFrame{{200, 200}, {200, 30}};

} // namespace

extern "C" NSWindow* makeWindow(void) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      kWindowContentRect, NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  if (window) window->autorelease();
  return window;
}

namespace brix {

void renderPushButtonOffscreen() {
  NSWindow* window = makeWindow();
  NSButton* button = NSButton::alloc()->initWithFrame(kButtonFrame);
  if (window && window->contentView()) window->contentView()->addSubview(button);
  NSWindowSetDefaultButtonCell(window, button->cell());
  button->setKeyEquivalent(NSSTR("\r"));
  button->setButtonType(NSButtonTypeMomentaryPushIn);
  button->setBezelStyle(NSBezelStyleRounded);
  button->setTitle(NSSTR("A test button"));
  button->setNeedsDisplay(true);

  NSData* pdf = dataWithPDFInsideRect(button, button->bounds());
  NSImage* image = NSImage::alloc()->initWithData(pdf);
  if (image) {
    image->lockFocus();
    const NSSize size = image->size();
    NSBitmapImageRep* bitmap = NSBitmapImageRep::alloc()->initWithFocusedViewRect(
        NSMakeRect(0, 0, size.width, size.height));
    image->unlockFocus();
    // Nothing of the rendering outlives the call.
    if (bitmap) bitmap->release();
    image->release();
  }
  // The window holds the button until the window goes.
  button->release();
  // The application keeps every window until it is closed, also one that was never shown; the
  // off-screen window is closed (without the release that closing would add to the autorelease
  // it already had) so that the pool can let it go with the button.
  if (window) {
    window->setReleasedWhenClosed(false);
    window->close();
  }
}

} // namespace brix

// static int IxaDialogs.renderMacButton(double width, double height, long unused); none of the
// three arguments is read.
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_renderMacButton(JNIEnv* env, jclass caller,
                                                                      jdouble, jdouble,
                                                                      jlong) noexcept {
  return brix::nativeMethod(
      env, "renderMacButton", jint{0}, brix::javaArguments(caller),
      [](JNIEnv* env, jclass caller) {
        // Remembered first, so the later upcalls of the action targets find
        // it whatever happens below. It is the main thread's environment,
        // where the upcalls run.
        brix::rememberJavaCaller(env, caller);
        brix::renderPushButtonOffscreen();
        return 0;
      },
      brix::ThreadRule::MainThreadOffScreen);
}
