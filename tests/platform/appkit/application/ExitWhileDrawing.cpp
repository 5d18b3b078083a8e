// A program whose process exits while the platform's main thread is busy drawing: a window with
// an animating progress bar and a text field is redrawn without pause, and main() returns after
// the number of milliseconds given as its argument. Exit must neither crash nor report anything.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/runloop/NSRunLoop.h"

namespace {

void redrawForever(NSWindow* window) {
  window->contentView()->setNeedsDisplay(true);
  window->displayIfNeeded();
  NSRunLoop::mainRunLoop().performAsync([window] { redrawForever(window); });
}

void openBusyWindow() {
  NSApplication::sharedApplication();
  const NSWindowStyleMask style = NSWindowStyleMaskTitled | NSWindowStyleMaskResizable;
  NSWindow* window = NSWindow::alloc()->initWithContentRect(NSMakeRect(100, 100, 400, 120), style,
                                                            NSBackingStoreBuffered, false);
  window->setTitle(NSSTR("Busy"));
  NSProgressIndicator* bar =
      NSProgressIndicator::alloc()->initWithFrame(NSMakeRect(10, 80, 380, 20));
  bar->setIndeterminate(true);
  window->contentView()->addSubview(bar);
  bar->startAnimation(nullptr);
  bar->release();
  NSTextField* field = NSTextField::alloc()->initWithFrame(NSMakeRect(10, 20, 380, 24));
  field->setStringValue(NSSTR("Text laid out on every pass"));
  window->contentView()->addSubview(field);
  field->release();
  window->makeKeyAndOrderFront(nullptr);
  // The window stays open (and its reference held) until the process ends.
  redrawForever(window);
}

} // namespace

int main(int argc, char** argv) {
  const int milliseconds = argc > 1 ? std::atoi(argv[1]) : 20;
  NSRunLoop::mainRunLoop().performAsync(openBusyWindow);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}
