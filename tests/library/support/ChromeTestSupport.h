// Helpers for the restyling tests: an autorelease pool and a clean screen per test, windows made
// as a Java toolkit makes them, rendering views into bitmaps, and reading pixels by AppKit
// coordinates.
#pragma once

#include "PixelTesting.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/views/ViewRenderer.h"
#include "appkit/windows/NSWindow.h"
#include "chrome/QVRectView.h"
#include "chrome/Restyle.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"
#include "foundation/system/NSUserDefaults.h"

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
    // The library keeps the newest logo view; a test starting afresh lets it go.
    if (NSImageView* logo = std::exchange(brix::_iv, nullptr)) logo->release();
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
  return render(size.width, size.height, scale, [view] { NSDrawViewHierarchy(view); });
}

// The subviews of a view, as a vector.
inline std::vector<NSView*> subviewsOf(NSView* view) {
  std::vector<NSView*> result;
  for (const Ref<NSView>& subview : view->subviewList())
    result.push_back(subview.get());
  return result;
}
