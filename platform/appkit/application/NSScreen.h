// NSScreen: the display's screen. The main screen has the display's size (1440 x 900 points on
// the headless display); its visible frame leaves out the menu bar at the top.
#pragma once

#include "appkit/application/AppKitConstants.h"
#include "foundation/runtime/NSObject.h"

class NSArray;

class NSScreen : public NSObject {
  NS_OBJECT_CLASS(NSScreen)

  static NSScreen* mainScreen();

  NSRect frame() const;
  NSRect visibleFrame() const;
};
