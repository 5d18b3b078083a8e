// Off-screen rendering into pixels, for snapshots of windows and the screen.
//
//   NSData* png = NSPNGDataFromDrawing(NSMakeSize(1440, 900), 2, [&](NSGraphicsContext* context) {
//     window->drawInto(context);  // user space: points, origin at the lower left
//   });
//
// The bitmap starts fully transparent. While draw runs, a context over it is the current one;
// the previous current context comes back afterwards. Sizes are rounded up to whole pixels.
#pragma once

#include <functional>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphicsContext.h"

// An autoreleased bitmap of size points at scale pixels per point; nil for an empty size or a
// scale that is not positive.
NSBitmapImageRep* NSBitmapFromDrawing(NSSize size, CGFloat scale,
                                      const std::function<void(NSGraphicsContext*)>& draw);
// The same bitmap encoded as PNG.
NSData* NSPNGDataFromDrawing(NSSize size, CGFloat scale,
                             const std::function<void(NSGraphicsContext*)>& draw);
