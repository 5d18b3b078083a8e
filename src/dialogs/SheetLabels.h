// The labels the text-entry and progress sheets share: plain text without bezel or background,
// neither editable nor selectable.
#pragma once

#include "NSGeometry.h"

class NSTextField;
class NSView;
class NSWindow;

namespace brix {

// A new label with empty text, added to container. bold gives it the bold system font of size
// 13; otherwise it keeps the default font.
NSTextField* addSheetLabel(NSView* container, NSRect frame, bool bold);

// The sheet window of both kinds: the content rectangle of the frame (100, 100, 400, 200) with
// a title bar, buffered, not deferred, no title.
NSWindow* makeSheetWindow();

} // namespace brix
