#include "windows/WindowLookup.h"
#include "foundation/collections/NSArray.h"

#include "appkit/application/NSApplication.h"
#include "appkit/windows/NSWindow.h"

namespace brix {
Weak<NSWindow> _sheetifiedWindow;
} // namespace brix

namespace {

bool isSheetifyTitled(NSWindow* window) {
  return window->title() && window->title()->isEqualToString(NSSTR("SHEETIFY"));
}

// The front-most "SHEETIFY" window among window's attached sheet, that sheet's own sheet and so
// on: each lies in front of the window it is attached to.
NSWindow* frontMostSheetifyAttachedTo(NSWindow* window) {
  NSWindow* sheet = window->attachedSheet();
  if (!sheet) return nullptr;
  if (NSWindow* nested = frontMostSheetifyAttachedTo(sheet)) return nested;
  return isSheetifyTitled(sheet) ? sheet : nullptr;
}

// The front-most ordered window whose "SHEETIFY" marking is as wanted. The count is asked
// again before each step, as the list is walked.
NSWindow* frontMostWindow(bool sheetify) {
  NSArray* windows = NSApplication::sharedApplication()->orderedWindows();
  for (NSUInteger i = 0; i < windows->count(); ++i) {
    auto* window = static_cast<NSWindow*>(windows->objectAtIndex(i));
    if (isSheetifyTitled(window) == sheetify) return window;
  }
  return nullptr;
}

// The same walk for "SHEETIFY", looking at the sheets attached to each ordered window (which the
// list leaves out) just before the window itself.
NSWindow* frontMostSheetifyWindowOrSheet() {
  NSArray* windows = NSApplication::sharedApplication()->orderedWindows();
  for (NSUInteger i = 0; i < windows->count(); ++i) {
    auto* window = static_cast<NSWindow*>(windows->objectAtIndex(i));
    if (NSWindow* sheet = frontMostSheetifyAttachedTo(window)) return sheet;
    if (isSheetifyTitled(window)) return window;
  }
  return nullptr;
}

} // namespace

namespace brix {

NSWindow* frontMostOrderedSheetifyWindow() {
  return frontMostWindow(true);
}

} // namespace brix

extern "C" {

NSWindow* getCurrentWindow() {
  return frontMostWindow(false);
}

NSWindow* getCurrentSheetWindow() {
  return frontMostSheetifyWindowOrSheet();
}

NSView* getCurrentSheetView() {
  NSWindow* window = getCurrentSheetWindow();
  return window ? window->contentView() : nullptr;
}

NSView* getCurrentView() {
  NSArray* windows = NSApplication::sharedApplication()->orderedWindows();
  auto* front = static_cast<NSWindow*>(windows->firstObject());
  return front ? front->contentView() : nullptr;
}

NSView* getFrontView() {
  return brix::_sheetifiedWindow ? getCurrentSheetView() : getCurrentView();
}

} // extern "C"
