// NSWindow: sheets and full screen.
#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSScreen.h"
#include "appkit/windows/NSPanel.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"
#include "foundation/system/NSLog.h"

// MARK: sheets

void NSWindow::beginSheet(NSWindow* sheet, std::function<void(NSModalResponse)> handler) {
  if (!sheet) return;
  if (sheet == this || sheet->defunct_ || defunct_) {
    NSLog("-[NSWindow beginSheet:completionHandler:] ignored: %@ cannot be a sheet of %@",
          sheet->description(), description());
    return;
  }
  if (sheet->sheetParent_ || sheet->queuedOn_) {
    NSLog("-[NSWindow beginSheet:completionHandler:] ignored: %@ is already a sheet",
          sheet->description());
    return;
  }
  for (NSWindow* ancestor = this; ancestor; ancestor = ancestor->sheetParent_) {
    if (ancestor == sheet) {
      NSLog("-[NSWindow beginSheet:completionHandler:] ignored: %@ is a parent of %@",
            sheet->description(), description());
      return;
    }
  }
  PendingSheet pending{Ref<NSWindow>(sheet), std::move(handler)};
  if (attachedSheet_) {
    sheet->queuedOn_ = this;
    queuedSheets_.push_back(std::move(pending));
    return;
  }
  presentSheet(std::move(pending));
}

void NSWindow::presentSheet(PendingSheet pending) {
  NSWindow* sheet = pending.sheet;
  sheet->queuedOn_ = nullptr;
  sheet->sheetParent_ = this;
  sheet->everSheet_ = true;
  attachedSheet_ = std::move(pending.sheet);
  attachedSheetHandler_ = std::move(pending.handler);
  positionAttachedSheet();
  if (isVisible()) {
    NSApp->placeWindow(sheet, NSWindowAbove, this);
    sheet->makeKeyWindow();
  } else {
    // The sheet appears together with its parent.
    sheet->hiddenWithParent_ = true;
  }
}

void NSWindow::positionAttachedSheet() {
  if (!attachedSheet_) return;
  const bool titleBarShown =
      (styleMask_ & NSWindowStyleMaskTitled) && !(styleMask_ & NSWindowStyleMaskFullScreen);
  const CGFloat top = NSMaxY(frame_) - (titleBarShown ? titleBarHeight_ : 0);
  NSRect sheetFrame = attachedSheet_->frame();
  sheetFrame.origin.x =
      frame_.origin.x + std::floor((frame_.size.width - sheetFrame.size.width) / 2);
  sheetFrame.origin.y = top - sheetFrame.size.height;
  attachedSheet_->setFrame(sheetFrame, false);
}

void NSWindow::endSheet(NSWindow* sheet) {
  endSheet(sheet, NSModalResponseStop);
}

void NSWindow::endSheet(NSWindow* sheet, NSModalResponse returnCode) {
  if (!sheet) {
    NSLog("endSheet:returnCode: requires a non-nil sheet");
    return;
  }
  // The handler may drop the last outside references to either window.
  Ref<NSWindow> protectParent(this);
  Ref<NSWindow> protectSheet(sheet);
  if (sheet == attachedSheet_.get()) {
    auto handler = std::move(attachedSheetHandler_);
    attachedSheetHandler_ = nullptr;
    const bool sheetWasKey = sheet->isKeyWindow();
    attachedSheet_ = nullptr;
    sheet->sheetParent_ = nullptr;
    sheet->hiddenWithParent_ = false;
    sheet->orderOut(nullptr);
    if (sheetWasKey && isVisible()) makeKeyWindow();
    if (handler) handler(returnCode);
    if (!attachedSheet_ && !queuedSheets_.empty()) {
      PendingSheet next = std::move(queuedSheets_.front());
      queuedSheets_.erase(queuedSheets_.begin());
      presentSheet(std::move(next));
    }
    return;
  }
  for (auto it = queuedSheets_.begin(); it != queuedSheets_.end(); ++it) {
    if (it->sheet.get() != sheet) continue;
    // A sheet that was still waiting ends without ever being shown.
    auto handler = std::move(it->handler);
    queuedSheets_.erase(it);
    sheet->queuedOn_ = nullptr;
    if (handler) handler(returnCode);
    return;
  }
}

NSArray* NSWindow::sheets() const {
  NSMutableArray* array = NSMutableArray::array();
  if (attachedSheet_) array->addObject(attachedSheet_.get());
  for (const auto& pending : queuedSheets_)
    array->addObject(pending.sheet.get());
  return array;
}

void NSWindow::dropSheetsOnClose() {
  // A released parent can never show its sheets again: end them, so that their handlers hear of
  // it and the sheet windows are free to be used again.
  while (attachedSheet_ || !queuedSheets_.empty()) {
    NSWindow* sheet = attachedSheet_ ? attachedSheet_.get() : queuedSheets_.front().sheet.get();
    endSheet(sheet, NSModalResponseAbort);
  }
}

// MARK: full screen

bool NSWindow::canEnterFullScreen() const {
  if (ns_cast<NSPanel>(this) || sheetParent_ || defunct_) return false;
  if (collectionBehavior_ & NSWindowCollectionBehaviorFullScreenNone) return false;
  if (collectionBehavior_ & NSWindowCollectionBehaviorFullScreenPrimary) return true;
  if (collectionBehavior_ & NSWindowCollectionBehaviorFullScreenAuxiliary) return false;
  // Without an explicit choice, titled resizable windows are full-screen capable.
  return (styleMask_ & NSWindowStyleMaskTitled) && (styleMask_ & NSWindowStyleMaskResizable);
}

void NSWindow::toggleFullScreen(NSObject*) {
  if (fullScreenTransition_) return;
  const bool entering = !isFullScreen();
  if (entering && !canEnterFullScreen()) return;
  fullScreenTransition_ = true;
  Ref<NSWindow> self(this);
  DisplayBackend::current().beginFullScreenTransition(
      number_, entering, [self, entering] { self->finishFullScreenTransition(entering); });
}

void NSWindow::finishFullScreenTransition(bool entering) {
  fullScreenTransition_ = false;
  if (defunct_) return;
  if (entering) {
    frameBeforeFullScreen_ = frame_;
    styleMask_ |= NSWindowStyleMaskFullScreen;
    setFrame(NSScreen::mainScreen()->frame(), false);
  } else {
    styleMask_ &= ~NSWindowStyleMaskFullScreen;
    setFrame(frameBeforeFullScreen_, false);
  }
  // The style changed even where the size did not: the title bar comes or goes, and with it the
  // rounded corners and the resizable edges the display knows of.
  layoutFrameView();
  frameView_->setNeedsDisplay(true);
  if (isVisible()) DisplayBackend::current().windowDescribed(number_, displayDescription());
}
