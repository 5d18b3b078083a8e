#include "appkit/look/MenuDrawing.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <cairo.h>

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/drawing/TextLayout.h"
#include "appkit/look/ControlLook.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/NSAutoreleasePool.h"

namespace {

constexpr CGFloat kItemHeight = 22, kSeparatorHeight = 11, kPadding = 5, kMinimumWidth = 120;
constexpr CGFloat kTitleInset = 22, kIndentStep = 10, kRightInset = 16, kCornerRadius = 6;
constexpr CGFloat kFontSize = 14;
// The highlighted row: inset from the menu's sides, with rounded corners.
constexpr CGFloat kHighlightInset = 5, kHighlightRadius = 4;

CGFloat rowHeight(const NSMenuItem* item) {
  return item->isSeparatorItem() ? kSeparatorHeight : kItemHeight;
}

// The key equivalent as a menu shows it: the modifier symbols, then the key in upper case.
NSString* shortcutText(const NSMenuItem* item) {
  const NSString* key = item->keyEquivalent();
  if (!key || key->length() == 0) return nullptr;
  std::u16string text;
  const NSEventModifierFlags mask = item->keyEquivalentModifierMask();
  if (mask & NSEventModifierFlagControl) text += u'\u2303';
  if (mask & NSEventModifierFlagOption) text += u'\u2325';
  if (mask & NSEventModifierFlagShift) text += u'\u21e7';
  if (mask & NSEventModifierFlagCommand) text += u'\u2318';
  for (char16_t c : key->utf16())
    text += c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
  return NSString::stringWithCharacters(text.data(), text.size());
}

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
    if (NSString* shortcut = shortcutText(item))
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

} // namespace

NSRect NSOpenMenuFrame(const NSMenu* menu) {
  const NSMenu::TrackingState& state = menu->trackingState();
  NSPoint location = state.location;
  if (NSView* view = state.view; view && view->window())
    location = view->window()->convertPointToScreen(view->convertPointToView(location, nullptr));
  CGFloat height = 2 * kPadding, above = kPadding;
  bool beforePositioningItem = state.positioningItem != nullptr;
  for (const auto& item : menu->items()) {
    if (item.get() == state.positioningItem.get()) beforePositioningItem = false;
    if (beforePositioningItem) above += rowHeight(item);
    height += rowHeight(item);
  }
  if (!state.positioningItem) above = 0;
  // The positioning item's top-left corner lies at the location; y grows upwards.
  const CGFloat top = location.y + above;
  return NSMakeRect(location.x, top - height, openMenuWidth(menu), height);
}

NSPoint NSOpenSubmenuLocation(const NSMenu* menu, const NSMenuItem* item, const NSMenu* submenu,
                              NSRect screen) {
  const NSRect frame = NSOpenMenuFrame(menu);
  CGFloat rowTop = NSMaxY(frame) - kPadding;
  for (const auto& candidate : menu->items()) {
    if (candidate.get() == item) break;
    rowTop -= rowHeight(candidate);
  }
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
  const NSRect frame = NSOpenMenuFrame(menu);
  if (point.x < frame.origin.x || point.x >= NSMaxX(frame)) return nullptr;
  CGFloat top = NSMaxY(frame) - kPadding;
  for (const auto& item : menu->items()) {
    const CGFloat height = rowHeight(item);
    if (point.y <= top && point.y > top - height) return item.get();
    top -= height;
  }
  return nullptr;
}

void NSDrawOpenMenu(const NSMenu* menu, NSRect screen) {
  if (!menu || !menu->isTracking()) return;
  NSAutoreleasePool pool;
  NSRect frame = NSOpenMenuFrame(menu);
  frame.origin.x -= screen.origin.x;
  frame.origin.y -= screen.origin.y;
  ControlLook::rgb(0, 0, 0, 0.18)->setFill();
  NSBezierPath::bezierPathWithRoundedRect(NSOffsetRect(frame, 0, -2), kCornerRadius, kCornerRadius)
      ->fill();
  ControlLook::rgb(250, 250, 250, 0.98)->setFill();
  NSBezierPath::bezierPathWithRoundedRect(frame, kCornerRadius, kCornerRadius)->fill();
  // Rows outside what is drawn into (a long menu reaches beyond the screen) are not laid out.
  double clipLeft, clipBottom, clipRight, clipTop;
  cairo_clip_extents(NSGraphicsContext::currentContext()->cairo(), &clipLeft, &clipBottom,
                     &clipRight, &clipTop);
  if (clipBottom > clipTop) std::swap(clipBottom, clipTop);
  CGFloat top = NSMaxY(frame) - kPadding;
  for (const auto& item : menu->items()) {
    const CGFloat height = rowHeight(item);
    top -= height;
    if (top > clipTop || top + height < clipBottom) continue;
    if (item->isSeparatorItem()) {
      ControlLook::rgb(0, 0, 0, 0.1)->setFill();
      NSRectFill(NSMakeRect(frame.origin.x + 10, top + height / 2, frame.size.width - 20, 1));
      continue;
    }
    const bool highlighted =
        item.get() == menu->trackingState().highlightedItem.get() && item->isEnabled();
    if (highlighted) {
      NSColor::controlAccentColor()->setFill();
      NSBezierPath::bezierPathWithRoundedRect(NSMakeRect(frame.origin.x + kHighlightInset, top,
                                                         frame.size.width - 2 * kHighlightInset,
                                                         height),
                                              kHighlightRadius, kHighlightRadius)
          ->fill();
    }
    NSColor* color = highlighted         ? NSColor::whiteColor()
                     : item->isEnabled() ? NSColor::labelColor()
                                         : NSColor::disabledControlTextColor();
    const CGFloat x =
        frame.origin.x + kTitleInset + kIndentStep * static_cast<CGFloat>(item->indentationLevel());
    TextLayout title(item->title(), menuFont(), color);
    const CGFloat y = std::round(top + (height - title.size().height) / 2);
    title.drawAtPoint(NSMakePoint(x, y));
    if (item->state() != NSControlStateValueOff) {
      NSString* mark = NSSTR(item->state() == NSControlStateValueOn ? "\xe2\x9c\x93" : "-");
      TextLayout(mark, menuFont(), color).drawAtPoint(NSMakePoint(frame.origin.x + 7, y));
    }
    const CGFloat right = NSMaxX(frame) - kRightInset;
    if (item->hasSubmenu()) {
      TextLayout arrow(NSSTR("\xe2\x96\xb8"), menuFont(), color);
      arrow.drawAtPoint(NSMakePoint(right - arrow.size().width + 6, y));
    } else if (NSString* shortcut = shortcutText(item)) {
      TextLayout keys(shortcut, menuFont(), color);
      keys.drawAtPoint(NSMakePoint(right - keys.size().width, y));
    }
  }
}
