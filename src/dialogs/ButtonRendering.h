// Off-screen rendering of a standard push button, through PDF data into a bitmap. Nothing of the
// rendering is kept; the lasting effect of renderMacButton is the JNIEnv it remembers.
#pragma once

#include "appkit/windows/NSWindow.h"
#include "bridge/Export.h"

namespace brix {
// Builds the button in an off-screen window and renders it; nothing is shown or kept.
void renderPushButtonOffscreen();
} // namespace brix

extern "C" {
// A borderless, buffered 200 x 200 window at the origin that is never ordered on screen;
// autoreleased.
BRIX_EXPORT NSWindow* makeWindow(void);
}
