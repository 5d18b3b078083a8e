// Pixels for tests that draw: a bitmap to draw into, the colour of the pixel under a point, and
// a comparison within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSGraphicsContext.h"

// A transparent bitmap of width x height points at scale pixels per point, with draw run in a
// context over it (origin at the lower left).
inline Ref<NSBitmapImageRep> render(CGFloat width, CGFloat height, CGFloat scale,
                                    const std::function<void()>& draw) {
  auto bitmap = adopted(NSBitmapImageRep::alloc()->initWithPixelsWide(
      static_cast<NSInteger>(width * scale), static_cast<NSInteger>(height * scale)));
  bitmap->setSize(NSMakeSize(width, height));
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get()));
  draw();
  NSGraphicsContext::restoreGraphicsState();
  return bitmap;
}

struct Pixel {
  int red, green, blue, alpha; // 0...255, not premultiplied
};

// The pixel that covers the point (x, y) in points, origin at the lower left.
inline Pixel pixelAt(const NSBitmapImageRep* bitmap, CGFloat x, CGFloat y) {
  CGFloat scale = bitmap->pixelsWide() / bitmap->size().width;
  auto column = static_cast<NSInteger>(x * scale);
  auto row = bitmap->pixelsHigh() - 1 - static_cast<NSInteger>(y * scale);
  NSColor* color = bitmap->colorAtX(column, row);
  if (!color) return {-1, -1, -1, -1};
  auto byte = [](CGFloat value) { return static_cast<int>(value * 255 + 0.5); };
  return {byte(color->redComponent()), byte(color->greenComponent()), byte(color->blueComponent()),
          byte(color->alphaComponent())};
}

inline std::ostream& operator<<(std::ostream& out, const Pixel& pixel) {
  return out << "rgba(" << pixel.red << ", " << pixel.green << ", " << pixel.blue << ", "
             << pixel.alpha << ")";
}

// Within tolerance on every channel.
inline ::testing::AssertionResult near(const Pixel& actual, const Pixel& expected,
                                       int tolerance = 2) {
  auto close = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
  if (close(actual.red, expected.red) && close(actual.green, expected.green) &&
      close(actual.blue, expected.blue) && close(actual.alpha, expected.alpha))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actual << " is not within " << tolerance << " of " << expected;
}
