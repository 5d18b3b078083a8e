// Helpers for the drawing tests: an autorelease pool per test, rendering into a bitmap at a
// scale factor, and reading pixels by AppKit coordinates.
#pragma once

#include "PixelTesting.h"

#include <gtest/gtest.h>

#include <functional>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "foundation/runtime/NSAutoreleasePool.h"

class DrawingTest : public ::testing::Test {
protected:
  NSAutoreleasePool pool;
};
