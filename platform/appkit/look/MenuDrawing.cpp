#include "appkit/look/MenuDrawing.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include <cairo.h>

#include "appkit/application/NSScreen.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

constexpr CGFloat kItemHeight = 22, kSeparatorHeight = 11, kPadding = 5, kMinimumWidth = 120;
constexpr CGFloat kTitleInset = 22, kIndentStep = 10, kRightInset = 16, kCornerRadius = 6;
constexpr CGFloat kFontSize = 14;
// The highlighted row: inset from the menu's sides, with rounded corners.
constexpr CGFloat kHighlightInset = 5, kHighlightRadius = 4;

CGFloat rowHeight(const NSMenuItem* item) {
  // Rows grow with the desktop's text, never shrink below the standard height.
  return item->isSeparatorItem()
             ? kSeparatorHeight
             : std::round(kItemHeight * std::max(1.0, NSFont::systemTextScale()));
}

// The name a Linux desktop gives a key in a shortcut: letters in upper case, the keys that type
// no character by their names.
std::u16string keyName(char16_t key) {
  if (key >= u'a' && key <= u'z') return std::u16string(1, char16_t(key - 32));
  if (key >= 0xF704 && key <= 0xF726) // F1 to F35, as AppKit numbers the function keys
    return u"F" + NSUTF8ToUTF16(std::to_string(key - 0xF704 + 1));
  switch (key) {
  case u'\r':
  case u'\n':
  case 0x03:
    return u"Return";
  case u'\t':
    return u"Tab";
  case u' ':
    return u"Space";
  case 0x1B:
    return u"Esc";
  case 0x08:
  case 0x7F:
    return u"Backspace";
  case 0xF728:
    return u"Delete";
  case 0xF700:
    return u"Up";
  case 0xF701:
    return u"Down";
  case 0xF702:
    return u"Left";
  case 0xF703:
    return u"Right";
  case 0xF729:
    return u"Home";
  case 0xF72B:
    return u"End";
  case 0xF72C:
    return u"Page Up";
  case 0xF72D:
    return u"Page Down";
  default:
    return std::u16string(1, key);
  }
}

} // namespace

NSString* NSMenuItemShortcutLabel(const NSMenuItem* item) {
  const NSString* key = item->keyEquivalent();
  if (!key || key->length() == 0) return nullptr;
  // The keys a user presses here: Command is Control, Option is Alt and Control is Super, in
  // the order GTK names them.
  std::u16string text;
  const NSEventModifierFlags mask = item->keyEquivalentModifierMask();
  if (mask & NSEventModifierFlagShift) text += u"Shift+";
  if (mask & NSEventModifierFlagCommand) text += u"Ctrl+";
  if (mask & NSEventModifierFlagOption) text += u"Alt+";
  if (mask & NSEventModifierFlagControl) text += u"Super+";
  for (char16_t c : key->utf16())
    text += keyName(c);
  return NSString::stringWithCharacters(text.data(), text.size());
}

namespace {

NSFont* menuFont() {
  return NSFont::menuFontOfSize(kFontSize);
}

CGFloat menuWidth(const NSMenu* menu) {
  CGFloat width = kMinimumWidth;
  for (const auto& item : menu->items()) {
    if (item->isSeparatorItem()) continue;
    CGFloat row = kTitleInset + kIndentStep * static_cast<CGFloat>(item->indentationLevel()) +
                  TextLayout(item->title(), menuFont(), NSColor::labelColor()).size().width +
                  kRightInset;
    if (NSString* shortcut = NSMenuItemShortcutLabel(item))
      row += 24 + TextLayout(shortcut, menuFont(), NSColor::labelColor()).size().width;
    if (item->hasSubmenu()) row += 16;
    width = std::max(width, std::ceil(row));
  }
  return width;
}

// An open menu is measured once: its frame is asked for at every move of the pointer, and a long
// menu's titles take long to lay out.
CGFloat openMenuWidth(const NSMenu* menu) {
  const NSMenu::TrackingState& state = menu->trackingState();
  if (!state.open) return menuWidth(menu);
  if (state.width <= 0) state.width = menuWidth(menu);
  return state.width;
}

CGFloat menuHeight(const NSMenu* menu) {
  CGFloat height = 2 * kPadding;
  for (const auto& item : menu->items())
    height += rowHeight(item);
  return height;
}

// How far a submenu overlaps the menu it opens from, as macOS draws them.
constexpr CGFloat kSubmenuOverlap = 3;
// The band at an end of a scrolling menu that holds its scroll arrow, over the rows, and the
// arrow's triangle in its middle.
constexpr CGFloat kScrollArrowBandHeight = 18, kScrollArrowWidth = 10, kScrollArrowHeight = 6;

// Where an open menu's window lies and how its rows sit in it. Offsets count down from the top
// of the content (the rows with the padding above and below them).
struct Placement {
  NSRect frame;          // the window, in screen coordinates
  CGFloat contentHeight; // the rows and their padding
  CGFloat naturalTop;    // the content's top with the positioning item at the location
};

Placement placementOf(const NSMenu* menu) {
  const NSMenu::TrackingState& state = menu->trackingState();
  NSPoint location = state.location;
  if (NSView* view = state.view; view && view->window())
    location = view->window()->convertPointToScreen(view->convertPointToView(location, nullptr));
  CGFloat above = kPadding;
  bool beforePositioningItem = state.positioningItem != nullptr;
  for (const auto& item : menu->items()) {
    if (item.get() == state.positioningItem.get()) beforePositioningItem = false;
    if (beforePositioningItem) above += rowHeight(item);
  }
  if (!state.positioningItem) above = 0;
  Placement placement;
  placement.contentHeight = menuHeight(menu);
  // The positioning item's top-left corner lies at the location; y grows upwards.
  placement.naturalTop = location.y + above;
  const NSRect visible = NSScreen::mainScreen()->visibleFrame();
  CGFloat top = placement.naturalTop, height = placement.contentHeight;
  if (height <= visible.size.height) {
    top = std::clamp(top, NSMinY(visible) + height, NSMaxY(visible));
  } else {
    top = NSMaxY(visible);
    height = visible.size.height;
  }
  placement.frame = NSMakeRect(location.x, top - height, openMenuWidth(menu), height);
  return placement;
}

// The scroll offset of the menu as shown, and the arrows it shows at that offset.
struct Scroll {
  CGFloat offset = 0, maximum = 0;
  bool top = false, bottom = false;
  // The part of the content in view between the arrows, as offsets from the content's top.
  CGFloat viewTop = 0, viewBottom = 0;
};

Scroll scrollAt(const Placement& placement, CGFloat offset) {
  Scroll scroll;
  scroll.maximum = std::max<CGFloat>(0, placement.contentHeight - placement.frame.size.height);
  scroll.offset = std::clamp<CGFloat>(offset, 0, scroll.maximum);
  scroll.top = scroll.offset > 0;
  scroll.bottom = scroll.offset < scroll.maximum;
  scroll.viewTop = scroll.offset + (scroll.top ? kScrollArrowBandHeight : 0);
  scroll.viewBottom =
      scroll.offset + placement.frame.size.height - (scroll.bottom ? kScrollArrowBandHeight : 0);
  return scroll;
}

Scroll scrollOf(const NSMenu* menu, const Placement& placement) {
  return scrollAt(placement, menu->trackingState().scrollOffset);
}

// Where item's row begins, as an offset from the content's top; -1 when it is not in the menu.
CGFloat rowOffset(const NSMenu* menu, const NSMenuItem* item) {
  CGFloat offset = kPadding;
  for (const auto& candidate : menu->items()) {
    if (candidate.get() == item) return offset;
    offset += rowHeight(candidate);
  }
  return -1;
}

// The offset nearest from that shows the row from rowTop to rowBottom whole.
CGFloat offsetShowing(const Placement& placement, CGFloat from, CGFloat rowTop, CGFloat rowBottom) {
  const Scroll scroll = scrollAt(placement, from);
  if (rowTop < scroll.viewTop) return std::max<CGFloat>(0, rowTop - kScrollArrowBandHeight);
  if (rowBottom > scroll.viewBottom)
    return std::min(scroll.maximum,
                    rowBottom - placement.frame.size.height + kScrollArrowBandHeight);
  return scroll.offset;
}

// The screen's y of a content offset.
CGFloat screenY(const Placement& placement, const Scroll& scroll, CGFloat offset) {
  return NSMaxY(placement.frame) + scroll.offset - offset;
}

// One row of the menu: a separator's line, or an item's title with its mark, shortcut or submenu
// arrow, over the accent colour when it is highlighted.
void drawRow(const NSMenuItem* item, NSRect row, bool highlighted) {
  if (item->isSeparatorItem()) {
    ControlLook::shade(ControlLook::rgb(0, 0, 0, 0.1), ControlLook::rgb(255, 255, 255, 0.14))
        ->setFill();
    NSRectFill(NSMakeRect(row.origin.x + 10, NSMidY(row), row.size.width - 20, 1));
    return;
  }
  if (highlighted) {
    NSColor::controlAccentColor()->setFill();
    NSBezierPath::bezierPathWithRoundedRect(NSInsetRect(row, kHighlightInset, 0), kHighlightRadius,
                                            kHighlightRadius)
        ->fill();
  }
  NSColor* color = highlighted         ? NSColor::whiteColor()
                   : item->isEnabled() ? NSColor::labelColor()
                                       : NSColor::disabledControlTextColor();
  const CGFloat x =
      row.origin.x + kTitleInset + kIndentStep * static_cast<CGFloat>(item->indentationLevel());
  TextLayout title(item->title(), menuFont(), color);
  const CGFloat y = std::round(row.origin.y + (row.size.height - title.size().height) / 2);
  title.drawAtPoint(NSMakePoint(x, y));
  if (item->state() != NSControlStateValueOff) {
    NSString* mark = NSSTR(item->state() == NSControlStateValueOn ? "\xe2\x9c\x93" : "-");
    TextLayout(mark, menuFont(), color).drawAtPoint(NSMakePoint(row.origin.x + 7, y));
  }
  const CGFloat right = NSMaxX(row) - kRightInset;
  if (item->hasSubmenu()) {
    TextLayout arrow(NSSTR("\xe2\x96\xb8"), menuFont(), color);
    arrow.drawAtPoint(NSMakePoint(right - arrow.size().width + 6, y));
  } else if (NSString* shortcut = NSMenuItemShortcutLabel(item)) {
    TextLayout keys(shortcut, menuFont(), color);
    keys.drawAtPoint(NSMakePoint(right - keys.size().width, y));
  }
}

void drawScrollArrow(NSRect band, bool pointsUp) {
  NSBezierPath* triangle = NSBezierPath::bezierPath();
  const CGFloat middle = NSMidX(band), base = NSMidY(band) - kScrollArrowHeight / 2;
  const CGFloat tip = base + kScrollArrowHeight;
  triangle->moveToPoint(NSMakePoint(middle - kScrollArrowWidth / 2, pointsUp ? base : tip));
  triangle->lineToPoint(NSMakePoint(middle + kScrollArrowWidth / 2, pointsUp ? base : tip));
  triangle->lineToPoint(NSMakePoint(middle, pointsUp ? tip : base));
  triangle->closePath();
  NSColor::labelColor()->setFill();
  triangle->fill();
}

} // namespace

CGFloat NSOpenMenuCornerRadius() {
  return kCornerRadius;
}

NSRect NSOpenMenuFrame(const NSMenu* menu) {
  return placementOf(menu).frame;
}

NSPoint NSOpenSubmenuLocation(const NSMenu* menu, const NSMenuItem* item, const NSMenu* submenu,
                              NSRect screen) {
  const Placement placement = placementOf(menu);
  const NSRect frame = placement.frame;
  const CGFloat rowTop =
      screenY(placement, scrollOf(menu, placement), std::max<CGFloat>(0, rowOffset(menu, item)));
  const CGFloat width = openMenuWidth(submenu), height = menuHeight(submenu);
  CGFloat x = NSMaxX(frame) - kSubmenuOverlap;
  if (x + width > NSMaxX(screen))
    x = std::max(NSMinX(screen), frame.origin.x - width + kSubmenuOverlap);
  CGFloat top = rowTop + kPadding;
  top = std::max(top, NSMinY(screen) + height);
  top = std::min(top, NSMaxY(screen));
  return NSMakePoint(x, top);
}

NSMenuItem* NSOpenMenuItemAtPoint(const NSMenu* menu, NSPoint point) {
  const Placement placement = placementOf(menu);
  const NSRect frame = placement.frame;
  if (point.x < frame.origin.x || point.x >= NSMaxX(frame)) return nullptr;
  const Scroll scroll = scrollOf(menu, placement);
  // Rows under a scroll arrow, and those scrolled out of the window, are out of reach.
  const CGFloat offset = NSMaxY(frame) + scroll.offset - point.y;
  if (offset < scroll.viewTop || offset >= scroll.viewBottom) return nullptr;
  CGFloat top = kPadding;
  for (const auto& item : menu->items()) {
    const CGFloat height = rowHeight(item);
    if (offset >= top && offset < top + height) return item.get();
    top += height;
  }
  return nullptr;
}

CGFloat NSOpenMenuMaximumScrollOffset(const NSMenu* menu) {
  return scrollOf(menu, placementOf(menu)).maximum;
}

CGFloat NSOpenMenuInitialScrollOffset(const NSMenu* menu) {
  const Placement placement = placementOf(menu);
  const CGFloat natural =
      scrollAt(placement, placement.naturalTop - NSMaxY(placement.frame)).offset;
  // The positioning item must not open under the top arrow.
  const NSMenuItem* item = menu->trackingState().positioningItem.get();
  const CGFloat row = item ? rowOffset(menu, item) : -1;
  return row < 0 ? natural : offsetShowing(placement, natural, row, row + rowHeight(item));
}

CGFloat NSOpenMenuScrollOffsetShowingItem(const NSMenu* menu, const NSMenuItem* item) {
  const Placement placement = placementOf(menu);
  const CGFloat from = scrollOf(menu, placement).offset;
  const CGFloat row = item ? rowOffset(menu, item) : -1;
  return row < 0 ? from : offsetShowing(placement, from, row, row + rowHeight(item));
}

bool NSOpenMenuShowsScrollArrow(const NSMenu* menu, NSOpenMenuScrollArrow arrow) {
  const Scroll scroll = scrollOf(menu, placementOf(menu));
  return arrow == NSOpenMenuScrollArrow::Top      ? scroll.top
         : arrow == NSOpenMenuScrollArrow::Bottom ? scroll.bottom
                                                  : false;
}

NSOpenMenuScrollArrow NSOpenMenuScrollArrowAtPoint(const NSMenu* menu, NSPoint point) {
  const Placement placement = placementOf(menu);
  const Scroll scroll = scrollOf(menu, placement);
  const NSRect frame = placement.frame;
  if (!NSPointInRect(point, frame)) return NSOpenMenuScrollArrow::None;
  if (scroll.top && point.y >= NSMaxY(frame) - kScrollArrowBandHeight)
    return NSOpenMenuScrollArrow::Top;
  if (scroll.bottom && point.y < NSMinY(frame) + kScrollArrowBandHeight)
    return NSOpenMenuScrollArrow::Bottom;
  return NSOpenMenuScrollArrow::None;
}

NSRange NSOpenMenuVisibleItems(const NSMenu* menu) {
  const Scroll scroll = scrollOf(menu, placementOf(menu));
  NSUInteger first = 0, count = 0, index = 0;
  CGFloat top = kPadding;
  for (const auto& item : menu->items()) {
    const CGFloat bottom = top + rowHeight(item);
    if (top >= scroll.viewTop && bottom <= scroll.viewBottom) {
      if (count++ == 0) first = index;
    } else if (count > 0) {
      break;
    }
    top = bottom;
    ++index;
  }
  return NSMakeRange(first, count);
}

void NSDrawOpenMenu(const NSMenu* menu, NSRect screen) {
  BRIX_ASSERT_MAIN_THREAD();
  if (!menu || !menu->isTracking()) return;
  NSAutoreleasePool pool;
  const Placement placement = placementOf(menu);
  const Scroll scroll = scrollOf(menu, placement);
  NSRect frame = placement.frame;
  frame.origin.x -= screen.origin.x;
  frame.origin.y -= screen.origin.y;
  ControlLook::rgb(0, 0, 0, ControlLook::drawsDark() ? 0.5 : 0.18)->setFill();
  NSBezierPath::bezierPathWithRoundedRect(NSOffsetRect(frame, 0, -2), kCornerRadius, kCornerRadius)
      ->fill();
  ControlLook::shade(ControlLook::rgb(250, 250, 250, 0.98), ControlLook::rgb(44, 44, 46, 0.98))
      ->setFill();
  NSBezierPath::bezierPathWithRoundedRect(frame, kCornerRadius, kCornerRadius)->fill();
  // The rows show between the scroll arrows.
  const CGFloat viewTop = NSMaxY(frame) - (scroll.top ? kScrollArrowBandHeight : 0);
  const CGFloat viewBottom = NSMinY(frame) + (scroll.bottom ? kScrollArrowBandHeight : 0);
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  context->saveGState();
  NSRectClip(NSMakeRect(frame.origin.x, viewBottom, frame.size.width, viewTop - viewBottom));
  // Rows outside what is drawn into (those scrolled out of view, or beyond the picture) are not
  // laid out.
  double clipLeft, clipBottom, clipRight, clipTop;
  cairo_clip_extents(context->cairo(), &clipLeft, &clipBottom, &clipRight, &clipTop);
  if (clipBottom > clipTop) std::swap(clipBottom, clipTop);
  CGFloat top = NSMaxY(frame) + scroll.offset - kPadding;
  for (const auto& item : menu->items()) {
    const CGFloat height = rowHeight(item);
    top -= height;
    if (top > clipTop || top + height < clipBottom) continue;
    const bool highlighted =
        item.get() == menu->trackingState().highlightedItem.get() && item->isEnabled();
    drawRow(item, NSMakeRect(frame.origin.x, top, frame.size.width, height), highlighted);
  }
  context->restoreGState();
  if (scroll.top)
    drawScrollArrow(NSMakeRect(frame.origin.x, viewTop, frame.size.width, kScrollArrowBandHeight),
                    true);
  if (scroll.bottom)
    drawScrollArrow(
        NSMakeRect(frame.origin.x, frame.origin.y, frame.size.width, kScrollArrowBandHeight),
        false);
}
