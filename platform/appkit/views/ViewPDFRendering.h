// NSView's dataWithPDFInsideRect: as a free function: the view and its subviews drawn into a
// one-page PDF document, as the display would compose them. It works for a view in a window that
// was never shown, or in no window.
#pragma once

#include "appkit/views/NSView.h"
#include "foundation/values/NSData.h"

// The page is rect (in the view's bounds coordinates) large; what lies outside rect is cut off.
// nil for a nil view or a rectangle without area.
NSData* dataWithPDFInsideRect(NSView* view, NSRect rect);
