// NSBitmapImageRep: an image held as pixels, 8 bits per channel RGBA, at a size in points.
//
// Pixels live in a Cairo image surface (premultiplied ARGB32); pixelsWide / size.width is the
// scale factor. Pixel coordinates have their origin at the top-left corner, as AppKit's
// colorAtX:y: has them. PNG is the file format we read and write.
//
// To render something into a PNG at a scale factor:
//   NSBitmapImageRep* bitmap = NSBitmapImageRep::alloc()->initWithPixelsWide(w * scale,
//                                                                            h * scale);
//   bitmap->setSize(NSMakeSize(w, h));
//   NSGraphicsContext::saveGraphicsState();
//   NSGraphicsContext::setCurrentContext(
//       NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap));
//   ... draw in points, origin at the lower left ...
//   NSGraphicsContext::restoreGraphicsState();
//   NSData* png = bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr);
#pragma once

#include "appkit/rendering/CairoTypes.h"

#include "foundation/collections/NSDictionary.h"
#include "foundation/values/NSData.h"
#include "foundation/values/NSGeometry.h"

class NSColor;

enum NSBitmapImageFileType : NSUInteger {
  NSBitmapImageFileTypeTIFF = 0,
  NSBitmapImageFileTypeBMP = 1,
  NSBitmapImageFileTypeGIF = 2,
  NSBitmapImageFileTypeJPEG = 3,
  NSBitmapImageFileTypePNG = 4,
  NSBitmapImageFileTypeJPEG2000 = 5,
};

class NSBitmapImageRep : public NSObject {
  NS_OBJECT_CLASS(NSBitmapImageRep)

  // Initialisers return nil (and release the receiver) when they fail.
  // PNG data; nil for anything else.
  NSBitmapImageRep* initWithData(const NSData* data);
  static NSBitmapImageRep* imageRepWithData(const NSData* data); // autoreleased
  // The pixels under the rectangle (in the current context's user space) of the current
  // graphics context, such as an image that has the focus; nil without a context whose
  // destination is a bitmap, or when the rectangle covers no pixel of it.
  NSBitmapImageRep* initWithFocusedViewRect(NSRect rect);
  // A transparent bitmap; its size in points equals its pixel size until setSize.
  NSBitmapImageRep* initWithPixelsWide(NSInteger width, NSInteger height);
  // Takes a reference to an ARGB32 image surface.
  NSBitmapImageRep* initWithCairoSurface(cairo_surface_t* surface, NSSize size);

  ~NSBitmapImageRep() override;

  NSInteger pixelsWide() const { return width_; }
  NSInteger pixelsHigh() const { return height_; }
  NSSize size() const { return size_; }
  void setSize(NSSize size) { size_ = size; }

  // The encoded image: PNG; nil for the other types, which we do not write. Properties are not
  // used.
  NSData* representationUsingType(NSBitmapImageFileType type, const NSDictionary* properties) const;
  // The colour of one pixel (device RGB, not premultiplied); nil outside the bitmap.
  NSColor* colorAtX(NSInteger x, NSInteger y) const;
  void setColor(const NSColor* color, NSInteger x, NSInteger y);

  cairo_surface_t* cairoSurface() const { return surface_; }
  NSString* description() const override;

private:
  cairo_surface_t* surface_ = nullptr;
  NSInteger width_ = 0, height_ = 0;
  NSSize size_;

  NSBitmapImageRep* fail();
};
