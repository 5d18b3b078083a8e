#include "appkit/application/NSScreen.h"

#include <algorithm>

#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"

NSScreen* NSScreen::mainScreen() {
  // Immortal: the screen describes the display, which lives as long as the process.
  static NSScreen* const screen = alloc();
  return screen;
}

NSRect NSScreen::frame() const {
  return DisplayBackend::current().screenFrame();
}

NSRect NSScreen::visibleFrame() const {
  NSRect visible = frame();
  visible.size.height = std::max<CGFloat>(0, visible.size.height - kMenuBarHeight);
  return visible;
}
