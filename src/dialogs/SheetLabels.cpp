#include "dialogs/SheetLabels.h"

#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/collections/NSArray.h"
#include "windows/WindowLookup.h"

namespace brix {
namespace {
constexpr NSRect kSheetFrame = NSMakeRect(100, 100, 400, 200);
constexpr CGFloat kTitleFontSize = 13;
} // namespace

NSTextField* addSheetLabel(NSView* container, NSRect frame, bool bold) {
  NSTextField* label = NSTextField::alloc()->initWithFrame(frame);
  label->setStringValue(NSSTR(""));
  label->setBezeled(false);
  label->setDrawsBackground(false);
  label->setEditable(false);
  label->setSelectable(false);
  if (bold) label->setFont(NSFont::boldSystemFontOfSize(kTitleFontSize));
  addSubviewOwned(container, label);
  return label;
}

void addSubviewOwned(NSView* container, NSView* view) {
  if (!container) {
    view->autorelease();
    return;
  }
  container->addSubview(view);
  view->release();
}

void beginLibrarySheet(NSWindow* sheet) {
  if (!sheet) return;
  NSWindow* parent = getCurrentWindow();
  // The sheet window is closed, which lets it go, whenever its session ends: a button, the
  // library ending it, or its parent closing under it.
  if (parent)
    parent->beginSheet(sheet, [weakSheet = Weak<NSWindow>(sheet)](NSModalResponse) {
      if (NSWindow* ended = weakSheet) ended->close();
    });
  // Without a parent, or refused by it, the sheet could never be shown.
  if (!sheet->sheetParent() && !(parent && parent->sheets()->containsObject(sheet))) sheet->close();
}

NSWindow* makeSheetWindow() {
  const NSRect content = NSWindow::contentRectForFrameRect(kSheetFrame, NSWindowStyleMaskTitled);
  return NSWindow::alloc()->initWithContentRect(content, NSWindowStyleMaskTitled,
                                                NSBackingStoreBuffered, false);
}

} // namespace brix
