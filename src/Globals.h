// Every piece of state the library keeps between calls, in one place: what it holds, which part
// of the library owns it, and how long what it names lives. All of them are used on the main
// thread only. References to windows, views and menus are weak: an object that goes away (a
// window Java closed) reads as nil, and every later call acts on nothing.
#pragma once

#include <jni.h>

#include "bridge/Export.h"
#include "foundation/runtime/NSObject.h"

class NSImageView;
class NSMenu;
class NSProgressIndicator;
class NSTextField;
class NSWindow;
class QVRectView;

namespace brix {

// bridge: the main thread's JNIEnv, stored by every call of renderMacButton,
// showMacContextMenuWithJSON and modifyMenuBar (their bodies run on the main thread, whatever
// thread called them); null until one of them has run. The main thread stays attached to the
// JVM for the life of the process, so the action targets call Java through it from then on.
extern JNIEnv* _env;

// windows: the window that sheetifyWindow found last, or nil.
extern Weak<NSWindow> _sheetifiedWindow;

// dialogs (SheetGlobals.cpp): one set for both kinds of sheet; whichever sheet was built last
// names the parent window and the two labels. A sheet window lives while its sheet is shown.
extern Weak<NSWindow> _textEntryWindow;
extern Weak<NSWindow> _progressWindowParent;
extern Weak<NSTextField> _progressTitleText;
extern Weak<NSTextField> _progressMessageText;
extern Weak<NSWindow> _progressWindow;
extern Weak<NSProgressIndicator> _progressBar;
// The last value a progress update applied; -1.0 until then, and kept across sheets.
extern double _lastProgress;

// menus: the context menu built last (kept alive until the next one is built, with its items'
// action targets), and the store-build flag that leaves out the update entry.
extern Weak<NSMenu> theMenu;
extern bool _appStore;

// chrome: the side panel of the band laid last; nil before the first band and once its window
// has gone.
extern Weak<QVRectView> _sideRect;

// chrome, exported unmangled: whether side panels paint their logo (written by every
// setVisible), and the logo image view of the newest panel (kept for the life of the process;
// an earlier one lives as long as the panel that shows it).
extern "C" {
BRIX_EXPORT extern bool _visible;
BRIX_EXPORT extern NSImageView* _iv;
}

} // namespace brix
