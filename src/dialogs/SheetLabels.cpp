#include "SheetLabels.h"

#include "NSFont.h"
#include "NSTextField.h"
#include "NSWindow.h"

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
  if (container) container->addSubview(label);
  return label;
}

NSWindow* makeSheetWindow() {
  const NSRect content = NSWindow::contentRectForFrameRect(kSheetFrame, NSWindowStyleMaskTitled);
  return NSWindow::alloc()->initWithContentRect(content, NSWindowStyleMaskTitled,
                                                NSBackingStoreBuffered, false);
}

} // namespace brix
