#include "foundation/values/NSGeometry.h"

#include <algorithm>

bool NSPointInRect(NSPoint point, NSRect rect) {
  return point.x >= NSMinX(rect) && point.x < NSMaxX(rect) && point.y >= NSMinY(rect) &&
         point.y < NSMaxY(rect);
}

bool NSIsEmptyRect(NSRect rect) {
  return !(rect.size.width > 0 && rect.size.height > 0);
}

NSRect NSIntersectionRect(NSRect a, NSRect b) {
  const CGFloat x0 = std::max(NSMinX(a), NSMinX(b)), x1 = std::min(NSMaxX(a), NSMaxX(b));
  const CGFloat y0 = std::max(NSMinY(a), NSMinY(b)), y1 = std::min(NSMaxY(a), NSMaxY(b));
  if (x1 <= x0 || y1 <= y0) return NSZeroRect;
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSRect NSOffsetRect(NSRect rect, CGFloat dx, CGFloat dy) {
  rect.origin.x += dx;
  rect.origin.y += dy;
  return rect;
}

NSRect NSInsetRect(NSRect rect, CGFloat dx, CGFloat dy) {
  return NSMakeRect(rect.origin.x + dx, rect.origin.y + dy, rect.size.width - 2 * dx,
                    rect.size.height - 2 * dy);
}

// Seventeen significant digits in %g style: whole numbers print bare ("400"), values that a
// double holds exactly print short ("0.5"), others show every digit ("0.10000000000000001").

NSString* NSStringFromRect(NSRect rect) {
  return NSString::stringWithFormat("{{%.17g, %.17g}, {%.17g, %.17g}}", rect.origin.x,
                                    rect.origin.y, rect.size.width, rect.size.height);
}
