// Drawing into PDF data with Cairo's PDF surface, for NSView's dataWithPDFInsideRect:.
//
//   NSData* pdf = NSDataFromPDFDrawing(bounds, [&](NSRect rect) { view->drawRect(rect); });
//
// The page is rect.size points large. While draw runs, a PDF graphics context is current whose
// user space is that of the caller (points, lower-left origin) with rect's corner at the page's
// corner; drawing outside rect is cut off by the page. The previous context is restored after.
#pragma once

#include <functional>

#include "foundation/values/NSData.h"
#include "foundation/values/NSGeometry.h"

// nil for a rectangle without area.
NSData* NSDataFromPDFDrawing(NSRect rect, const std::function<void(NSRect rect)>& draw);
