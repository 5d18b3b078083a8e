// Snapshots: pictures of windows and of the whole screen, rendered on demand through the views'
// drawRect into a Cairo image surface and encoded as PNG, at any scale factor (device pixels
// per point). A window is drawn with its frame (title bar, buttons, title), rounded corners and
// its attached sheet; the screen shows the desktop, the menu bar and every on-screen window in
// z-order, sheets, panels and alerts included, each with its shadow.
#pragma once

#include "appkit/drawing/NSBitmapImageRep.h"
#include "foundation/values/NSData.h"

class NSWindow;

// The smallest and largest scale factors a snapshot accepts; others are clamped into the range
// (a NaN scale is 1).
constexpr double kSnapshotMinScale = 0.1;
constexpr double kSnapshotMaxScale = 8;

// Main thread only. Autoreleased; nil for a nil window.
NSBitmapImageRep* NSWindowSnapshotBitmap(NSWindow* window, double scale);
NSBitmapImageRep* NSScreenSnapshotBitmap(double scale);
NSData* NSWindowSnapshotPNG(NSWindow* window, double scale);
NSData* NSScreenSnapshotPNG(double scale);
