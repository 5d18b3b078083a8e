// The main thread: the first thread that asks becomes the platform's main thread, the one AppKit
// would run on. User-interface work happens only there.
#pragma once

class NSThread {
public:
  // True on the main thread. The first call of the process claims the calling thread as main.
  static bool isMainThread();
  // True once some thread has been claimed as main.
  static bool hasMainThread();
};
