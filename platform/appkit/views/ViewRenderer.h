// Drawing a view hierarchy into the current graphics context, as a window's display pass
// composes it: each view draws (drawRect with its bounds) in its own coordinate system, clipped
// to its bounds, then its subviews back to front. Hidden views and everything inside them are
// skipped; a view's alpha applies to it and its subviews together; a layer-backed view's layer
// background (with its corner radius) is painted under its drawing.
#pragma once

class NSView;

// The current context's user space must be the view's own coordinate system (its bounds), with
// the context's flipped flag matching the view.
void NSDrawViewHierarchy(NSView* view);
