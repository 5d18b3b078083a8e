// NSImage: a picture with a size in points and one or more representations.
//
// Representations: bitmaps (PNG files, the images of an ICNS icon family, the result of
// lockFocus) and PDF pages (rendered by Poppler whenever the image is drawn, so they stay sharp
// at every scale). Drawing picks the smallest bitmap that covers the destination in device
// pixels, or the largest when none does. The format is sniffed from the data, never taken from
// the file name.
//
// Sizes: a PDF image is as large as its page (the rectangle it was made from), a bitmap image as
// large as its pixels (72 dpi), an icon family as its largest image.
#pragma once

#include <vector>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphics.h"
#include "foundation/collections/NSDictionary.h"
#include "foundation/values/NSData.h"
#include "foundation/values/NSGeometry.h"

// Poppler's document and page, as poppler.h declares them.
typedef struct _PopplerDocument PopplerDocument;
typedef struct _PopplerPage PopplerPage;

// Names of the images that imageNamed knows besides the bundle's resources.
// The main bundle's icon; without one, a generic application icon.
extern NSString* const NSImageNameApplicationIcon;
extern NSString* const NSImageNameCaution; // a warning triangle

class NSImage : public NSObject {
  NS_OBJECT_CLASS(NSImage)

  // A shared image: an image of the main bundle's resources (Contents/Resources/<name>, with
  // the extension given or one of png, icns, pdf), or one of the names above; nil if none.
  static NSImage* imageNamed(const NSString* name);

  // Initialisers return nil (and release the receiver) when they fail: a missing or unreadable
  // file, data that is not PNG, ICNS or PDF, or a damaged file.
  NSImage* initWithContentsOfFile(const NSString* path);
  NSImage* initWithData(const NSData* data);
  // An empty image of that size, to draw into with lockFocus.
  NSImage* initWithSize(NSSize size);
  ~NSImage() override;

  NSSize size() const { return size_; }
  bool isValid() const { return !bitmaps_.empty() || pdfPage_; }
  // The file name (without its folder) the image was loaded from, or nil.
  NSString* sourceName() const;
  // Names an image made in memory for descriptions, as a file names the images read from it.
  void setSourceName(const NSString* name) { sourceName_ = copiedStringOrEmpty(name); }
  void addRepresentation(NSBitmapImageRep* bitmap);
  NSUInteger representationCount() const;
  // The bitmap representations, largest first (a PDF image has none).
  const std::vector<Ref<NSBitmapImageRep>>& representations() const { return bitmaps_; }

  // Draws the part fromRect of the image (in the image's points, lower-left origin; the zero
  // rectangle means all of it) into rect, compositing with the operation at the opacity
  // fraction. As in AppKit this form ignores a flipped context (the image then appears upside
  // down); the respectFlipped form keeps it upright.
  void drawInRect(NSRect rect, NSRect fromRect, NSCompositingOperation operation,
                  CGFloat fraction) const;
  void drawInRect(NSRect rect, NSRect fromRect, NSCompositingOperation operation, CGFloat fraction,
                  bool respectFlipped, const NSDictionary* hints) const;
  // The whole image, source-over, opaque, upright.
  void drawInRect(NSRect rect) const;

  // Makes the image the destination of drawing: a bitmap of its size at the focus scale, which
  // starts with the image's current picture and replaces its representations at unlockFocus.
  // An image of size zero cannot take the focus: AppKit raises, we log and ignore the call and
  // its unlockFocus.
  void lockFocus();
  void unlockFocus();
  // Device pixels per point of the bitmaps lockFocus makes (default 1).
  static void setFocusBackingScale(CGFloat scale);

  NSString* description() const override;

private:
  std::vector<Ref<NSBitmapImageRep>> bitmaps_; // largest first
  PopplerDocument* pdfDocument_ = nullptr;
  PopplerPage* pdfPage_ = nullptr;
  NSSize size_;
  Ref<NSString> sourceName_;
  Ref<NSBitmapImageRep> focusBitmap_; // while the focus is locked
  int focusDepth_ = 0;                // nested lockFocus calls that took the focus
  int refusedFocus_ = 0;              // lockFocus calls refused (size zero) still to be unlocked

  NSImage* fail();
  bool loadData(const uint8_t* bytes, std::size_t length);
  const NSBitmapImageRep* bestBitmap(double devicePixelsWide) const;
  void clearRepresentations();
};
