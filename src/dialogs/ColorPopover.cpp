#include "dialogs/ColorPopover.h"

#include <jni.h>

#include "appkit/panels/NSColorPanel.h"
#include "bridge/ContextMenuSlapper.h"
#include "bridge/NativeScope.h"

namespace brix {

void showColorPanel() {
  // The panel does not retain its target; the panel keeps this one alive instead, until the
  // next call gives it another.
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  ContextMenuSlapper* target = ContextMenuSlapper::targetOwnedBy(panel);
  // Fronted before the action and target are set, made key after.
  panel->orderFront(nullptr);
  panel->setAction(sel("colorChanged:"));
  panel->setTarget(target);
  panel->makeKeyAndOrderFront(nullptr);
}

} // namespace brix

// static int IxaDialogs.showMacColorPopover(double x, double y); the position is not used.
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showMacColorPopover(JNIEnv* env, jclass,
                                                                          jdouble,
                                                                          jdouble) noexcept {
  return brix::nativeMethod(env, "showMacColorPopover", jint{1}, [] {
    brix::showColorPanel();
    return 1;
  });
}
