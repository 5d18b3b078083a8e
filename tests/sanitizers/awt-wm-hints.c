/*
 * Preloaded into the sanitized build's live-display JVM only, in front of libX11: the same
 * XAllocWMHints, but with a stack frame of its own, so that LeakSanitizer's report of the memory
 * names it and lsan.supp can suppress exactly that.
 *
 * Why: AWT allocates one XWMHints for every X window it makes (sun.awt.X11.XBaseWindow.getWMHints
 * calls XlibWrapper.XAllocWMHints) and never frees it: XBaseWindow.destroy frees the size hints
 * (XFree of hints.pData) but not wmHints (javap -c of XBaseWindow in JDK 17.0.15). In libX11 and
 * libawt_xawt both steps are tail calls (XAllocWMHints is "mov $0x38,%esi; mov $1,%edi; jmp
 * calloc", Java_sun_awt_X11_XlibWrapper_XAllocWMHints is "jmp XAllocWMHints"), so the report shows
 * calloc straight under Java frames and no function a suppression could name.
 */
#include <stdlib.h>

/* The 56 bytes of Xutil.h's XWMHints on LP64, zeroed, as libX11 allocates them; XFree frees them. */
enum { kWMHintsSize = 56 };

__attribute__((visibility("default"), noinline, optimize("no-optimize-sibling-calls"))) void*
XAllocWMHints(void) {
  void* hints = calloc(1, kWMHintsSize);
  __asm__ volatile("" ::: "memory"); /* keeps this frame on the allocation's stack */
  return hints;
}
