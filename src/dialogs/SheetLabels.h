// The labels the text-entry and progress sheets share: plain text without bezel or background,
// neither editable nor selectable.
#pragma once

#include "foundation/values/NSGeometry.h"

class NSTextField;
class NSView;
class NSWindow;

namespace brix {

// A new label with empty text, added to container, which owns it (without a container it lasts
// until the autorelease pool drains). bold gives it the bold system font of size 13; otherwise
// it keeps the default font.
NSTextField* addSheetLabel(NSView* container, NSRect frame, bool bold);

// Adds view, which the caller owns (+1), to container and hands the ownership to it.
void addSubviewOwned(NSView* container, NSView* view);

// Begins sheet, a window the caller made and hands over, on the current window. The sheet
// window is closed, and so freed, when its session ends for any reason; a sheet that cannot be
// presented (no current window) is closed at once.
void beginLibrarySheet(NSWindow* sheet);

// The sheet window of both kinds: the content rectangle of the frame (100, 100, 400, 200) with
// a title bar, buffered, not deferred, no title.
NSWindow* makeSheetWindow();

} // namespace brix
