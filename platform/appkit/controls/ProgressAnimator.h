// ProgressAnimator: the thread that drives the animation of progress indicators. While at least
// one indicator animates, it wakes about thirty times a second and hands one frame to the main
// run loop, which advances every animating indicator (marking it for redraw). At most one frame
// waits in the run loop at a time, so a busy main thread is never flooded.
#pragma once

class NSProgressIndicator;

namespace ProgressAnimator {

// Main thread only. The indicator is not retained; it unregisters before it goes away.
void add(NSProgressIndicator* indicator);
void remove(NSProgressIndicator* indicator);
// How many indicators animate now.
int count();

} // namespace ProgressAnimator
