// Helpers for the restyling tests: an autorelease pool and a clean screen per test, windows made
// as a Java toolkit makes them, rendering views into bitmaps, and reading pixels by AppKit
// coordinates.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "NSApplication.h"
#include "NSBitmapImageRep.h"
#include "NSGraphicsContext.h"
#include "NSLog.h"
#include "NSUserDefaults.h"
#include "NSWindow.h"
#include "QVRectView.h"
#include "Restyle.h"
#include "ViewRenderer.h"
#include "foundation/NSAutoreleasePool.h"

class ChromeTest : public ::testing::Test {
protected:
  // The pass writes the application's user defaults; they go to a directory of the suite's own,
  // never to the user's configuration.
  static void SetUpTestSuite() {
    configDirectory() = std::filesystem::temp_directory_path() /
                        ("brix-chrome-config-" + std::to_string(::getpid()));
    std::filesystem::create_directories(configDirectory());
    setenv("XDG_CONFIG_HOME", configDirectory().c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
  }
  static void TearDownTestSuite() {
    NSUserDefaults::resetStandardUserDefaults();
    std::filesystem::remove_all(configDirectory());
  }
  static std::filesystem::path& configDirectory() {
    static std::filesystem::path path;
    return path;
  }

  void SetUp() override {
    brix::_sideRect = nullptr;
    brix::_visible = false;
    brix::_iv = nullptr;
    NSLogClearBuffer();
  }
  void TearDown() override {
    for (NSWindow* window : NSApplication::sharedApplication()->windowList())
      if (window->isVisible()) window->close();
    pool.drain();
  }

  NSAutoreleasePool pool;
};

// A titled, closable, resizable window with that content rectangle, ordered front; its content
// view holds one plain subview that fills it and resizes with it. Closing it releases it, which
// balances its alloc.
inline NSWindow* openToolkitWindow(NSRect contentRect, const char* title = "Window") {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      contentRect, NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable,
      NSBackingStoreBuffered, false);
  window->setTitle(NSSTR(title));
  NSView* content = window->contentView();
  auto filler = adopted(NSView::alloc()->initWithFrame(content->bounds()));
  filler->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  content->addSubview(filler);
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

// view drawn with its subviews into a transparent bitmap of its size, at scale.
inline Ref<NSBitmapImageRep> renderView(NSView* view, CGFloat scale) {
  const NSSize size = view->bounds().size;
  auto bitmap = adopted(NSBitmapImageRep::alloc()->initWithPixelsWide(
      static_cast<NSInteger>(size.width * scale), static_cast<NSInteger>(size.height * scale)));
  bitmap->setSize(size);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get()));
  NSDrawViewHierarchy(view);
  NSGraphicsContext::restoreGraphicsState();
  return bitmap;
}

struct Pixel {
  int red, green, blue, alpha; // 0...255, not premultiplied
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& pixel) {
  return out << "rgba(" << pixel.red << ", " << pixel.green << ", " << pixel.blue << ", "
             << pixel.alpha << ")";
}

// The pixel that covers the point (x, y) in points, origin at the lower left.
inline Pixel pixelAt(const NSBitmapImageRep* bitmap, CGFloat x, CGFloat y) {
  const CGFloat scale = bitmap->pixelsWide() / bitmap->size().width;
  const auto column = static_cast<NSInteger>(x * scale);
  const auto row = bitmap->pixelsHigh() - 1 - static_cast<NSInteger>(y * scale);
  NSColor* color = bitmap->colorAtX(column, row);
  if (!color) return {-1, -1, -1, -1};
  auto byte = [](CGFloat value) { return static_cast<int>(value * 255 + 0.5); };
  return {byte(color->redComponent()), byte(color->greenComponent()), byte(color->blueComponent()),
          byte(color->alphaComponent())};
}

inline ::testing::AssertionResult near(const Pixel& actual, const Pixel& expected,
                                       int tolerance = 2) {
  auto close = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
  if (close(actual.red, expected.red) && close(actual.green, expected.green) &&
      close(actual.blue, expected.blue) && close(actual.alpha, expected.alpha))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actual << " is not within " << tolerance << " of " << expected;
}

// The subviews of a view, as a vector.
inline std::vector<NSView*> subviewsOf(NSView* view) {
  std::vector<NSView*> result;
  for (const Ref<NSView>& subview : view->subviewList())
    result.push_back(subview.get());
  return result;
}
