// AppKit's window and view constants, with AppKit's names and values: style masks, backing
// store types, autoresizing masks, standard window buttons, window levels, ordering modes,
// collection behaviours and modal responses.
#pragma once

#include "foundation/values/NSGeometry.h"

using NSWindowStyleMask = NSUInteger;
enum : NSWindowStyleMask {
  NSWindowStyleMaskBorderless = 0,
  NSWindowStyleMaskTitled = 1 << 0,
  NSWindowStyleMaskClosable = 1 << 1,
  NSWindowStyleMaskMiniaturizable = 1 << 2,
  NSWindowStyleMaskResizable = 1 << 3,
  NSWindowStyleMaskUtilityWindow = 1 << 4,
  NSWindowStyleMaskDocModalWindow = 1 << 6,
  NSWindowStyleMaskNonactivatingPanel = 1 << 7,
  NSWindowStyleMaskUnifiedTitleAndToolbar = 1 << 12,
  NSWindowStyleMaskHUDWindow = 1 << 13,
  NSWindowStyleMaskFullScreen = 1 << 14,
  NSWindowStyleMaskFullSizeContentView = 1 << 15,
};

enum NSBackingStoreType : NSUInteger {
  NSBackingStoreRetained = 0,
  NSBackingStoreNonretained = 1,
  NSBackingStoreBuffered = 2,
};

using NSAutoresizingMaskOptions = NSUInteger;
enum : NSAutoresizingMaskOptions {
  NSViewNotSizable = 0,
  NSViewMinXMargin = 1,
  NSViewWidthSizable = 2,
  NSViewMaxXMargin = 4,
  NSViewMinYMargin = 8,
  NSViewHeightSizable = 16,
  NSViewMaxYMargin = 32,
};

enum NSWindowButton : NSUInteger {
  NSWindowCloseButton = 0,
  NSWindowMiniaturizeButton = 1,
  NSWindowZoomButton = 2,
  NSWindowToolbarButton = 3,
  NSWindowDocumentIconButton = 4,
  NSWindowDocumentVersionsButton = 6,
  NSWindowFullScreenButton = 7,
};

using NSWindowLevel = NSInteger;
constexpr NSWindowLevel NSNormalWindowLevel = 0;
constexpr NSWindowLevel NSFloatingWindowLevel = 3;
constexpr NSWindowLevel NSModalPanelWindowLevel = 8;
constexpr NSWindowLevel NSPopUpMenuWindowLevel = 101;

enum NSWindowOrderingMode : NSInteger {
  NSWindowBelow = -1,
  NSWindowOut = 0,
  NSWindowAbove = 1,
};

using NSWindowCollectionBehavior = NSUInteger;
enum : NSWindowCollectionBehavior {
  NSWindowCollectionBehaviorDefault = 0,
  NSWindowCollectionBehaviorFullScreenPrimary = 1 << 7,
  NSWindowCollectionBehaviorFullScreenAuxiliary = 1 << 8,
  NSWindowCollectionBehaviorFullScreenNone = 1 << 9,
};

using NSModalResponse = NSInteger;
constexpr NSModalResponse NSModalResponseOK = 1;
constexpr NSModalResponse NSModalResponseCancel = 0;
constexpr NSModalResponse NSModalResponseStop = -1000;
constexpr NSModalResponse NSModalResponseAbort = -1001;
constexpr NSModalResponse NSModalResponseContinue = -1002;
constexpr NSModalResponse NSAlertFirstButtonReturn = 1000;
constexpr NSModalResponse NSAlertSecondButtonReturn = 1001;
constexpr NSModalResponse NSAlertThirdButtonReturn = 1002;

enum NSApplicationTerminateReply : NSUInteger {
  NSTerminateCancel = 0,
  NSTerminateNow = 1,
  NSTerminateLater = 2,
};

// Height of the title bar of a titled window (macOS 11 and later), measured down from the top
// edge of the window frame. Every content rectangle and title-bar layout derives from it.
constexpr CGFloat kTitleBarHeight = 28;
// Height of the menu bar at the top of the main screen, which the visible frame leaves out.
constexpr CGFloat kMenuBarHeight = 24;
