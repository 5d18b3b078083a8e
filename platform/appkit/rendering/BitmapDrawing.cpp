#include "appkit/rendering/BitmapDrawing.h"

#include <cmath>

NSBitmapImageRep* NSBitmapFromDrawing(NSSize size, CGFloat scale,
                                      const std::function<void(NSGraphicsContext*)>& draw) {
  if (size.width <= 0 || size.height <= 0 || !(scale > 0)) return nullptr;
  // The small allowance keeps 1440 x 900 at scale 1.5 from gaining a row to rounding noise.
  auto pixels = [scale](CGFloat points) {
    return static_cast<NSInteger>(std::ceil(points * scale - 1e-9));
  };
  NSBitmapImageRep* bitmap =
      NSBitmapImageRep::alloc()->initWithPixelsWide(pixels(size.width), pixels(size.height));
  if (!bitmap) return nullptr;
  bitmap->setSize(size);
  NSGraphicsContext* context =
      NSGraphicsContext::graphicsContextWithCairoSurface(bitmap->cairoSurface(), size, scale);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  if (draw) draw(context);
  context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  return static_cast<NSBitmapImageRep*>(bitmap->autorelease());
}

NSData* NSPNGDataFromDrawing(NSSize size, CGFloat scale,
                             const std::function<void(NSGraphicsContext*)>& draw) {
  NSBitmapImageRep* bitmap = NSBitmapFromDrawing(size, scale, draw);
  return bitmap ? bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr) : nullptr;
}
