// The restyling pass over the application's windows and the header band it lays over each:
// translucent vibrant-light content under a transparent full-size title bar, with a 50-point
// band of gradient strip, side panel and brand text across the top.
#pragma once

#include "Globals.h"
#include "appkit/views/NSView.h"
#include "chrome/QVRectView.h"
#include "foundation/strings/NSString.h"

namespace brix {
// One restyling pass over NSApp's ordered windows, with its numbered trace in the log.
void restyleWindows();
// Shows or hides the side panel of the band laid last, and asks it to redraw.
void setSideRectVisible(bool flag);
} // namespace brix

extern "C" {
// Moves every subview of source, back to front, on top of target's subviews. A nil source or
// target moves nothing.
BRIX_EXPORT void moveSubViewsIntoView(NSView* source, NSView* target);
// Logs view with "%@DUMP:%@ %@" (indentation, description, frame), then each subview the same
// way followed by its own dump one "\t->" deeper: the root once, every view below it twice.
BRIX_EXPORT void debugViews(NSView* view, NSString* indentation);
// Lays the header band across the top 50 points of parent: strip, side panel, brand text.
BRIX_EXPORT void addGrad(NSView* parent);
// Places the "title_logo" image in the top-right corner of parent.
BRIX_EXPORT void addLogo(NSView* parent);
}
