// Drawing a whole window as it looks on screen, for snapshots and for a live display's picture
// of the window.
#pragma once

class NSWindow;

// The colour (red, green, blue from 0 to 1) a live display shows outside a rounded window's
// outline, since its windows are rectangles.
constexpr double kDisplayBackground[3] = {0.85, 0.85, 0.85};

// Draws the window as it looks on screen into the current context, whose user space has the
// window's lower-left corner at the origin.
void NSDrawWindow(NSWindow* window);
