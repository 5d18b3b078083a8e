// A progress sheet on the current window: a bold title, a message and a bar. Updates that
// repeat the last applied value are filtered out before any conversion or drawing.
#include <cmath>

#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/windows/NSWindow.h"
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "dialogs/SheetGlobals.h"
#include "dialogs/SheetLabels.h"
#include "windows/WindowLookup.h"

namespace {
constexpr NSRect kTitleFrame = NSMakeRect(10, 20, 380, 140);
constexpr NSRect kMessageFrame = NSMakeRect(10, 40, 380, 70);
constexpr NSRect kBarFrame = NSMakeRect(10, 30, 380, 20);
constexpr double kInitialBarValue = 20.0;
// A negative value that always applies the texts, even when it repeats.
constexpr double kAlwaysApply = -100;
constexpr double kBarMinimum = 0, kBarMaximum = 100;

void setLabel(NSTextField* label, NSString* text) {
  if (!label) return;
  label->setStringValue(text);
  label->displayIfNeeded();
}
} // namespace

extern "C" {

// IxaDialogs.initProgressDialog()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_initProgressDialog(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "initProgressDialog", jint{1}, [] {
    brix::_progressWindow = brix::makeSheetWindow();
    brix::_progressWindowParent = getCurrentWindow();
    NSView* content = brix::_progressWindow->contentView();
    brix::_progressTitleText = brix::addSheetLabel(content, kTitleFrame, true);
    brix::_progressMessageText = brix::addSheetLabel(content, kMessageFrame, false);
    NSProgressIndicator* bar = NSProgressIndicator::alloc()->init();
    brix::_progressBar = bar;
    bar->setDoubleValue(kInitialBarValue);
    bar->setUsesThreadedAnimation(true);
    bar->setFrame(kBarFrame);
    brix::addSubviewOwned(content, bar);
    brix::beginLibrarySheet(brix::_progressWindow);
    return 1;
  });
}

// IxaDialogs.updateProgressDialog(String, String, double)
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_updateProgressDialog(JNIEnv* env, jclass, jstring title,
                                                                jstring message,
                                                                jdouble value) noexcept {
  return brix::nativeMethod(env, "updateProgressDialog", jint{1},
                            brix::javaArguments(title, message, value),
                            [](JNIEnv* env, jstring title, jstring message, jdouble value) {
                              NSProgressIndicator* bar = brix::_progressBar;
                              if (bar) {
                                if (value >= 0) {
                                  bar->setIndeterminate(false);
                                } else { // negative, or not a number
                                  bar->setIndeterminate(true);
                                  bar->setUsesThreadedAnimation(true);
                                  bar->startAnimation(nullptr);
                                }
                              }
                              if (value == brix::_lastProgress && value != kAlwaysApply) return 1;

                              brix::_lastProgress = value;
                              if (bar) {
                                // The indicator pins the value to its range, as AppKit's does; the
                                // library passes it on.
                                bar->setDoubleValue(value);
                                bar->setMaxValue(kBarMaximum);
                                bar->setMinValue(kBarMinimum);
                                bar->display();
                                bar->displayIfNeeded();
                              }
                              setLabel(brix::_progressTitleText, jstringToNSString(env, title));
                              setLabel(brix::_progressMessageText, jstringToNSString(env, message));
                              if (brix::_progressWindowParent)
                                if (NSView* content = brix::_progressWindowParent->contentView())
                                  content->setNeedsDisplay(true);
                              return 1;
                            });
}

// IxaDialogs.closeProgressDialog()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_closeProgressDialog(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "closeProgressDialog", jint{1}, [] {
    // A sheet that has gone (closed before, or never shown) has nothing left to end.
    NSWindow* parent = brix::_progressWindowParent;
    if (NSWindow* sheet = brix::_progressWindow; parent && sheet) parent->endSheet(sheet);
    return 1;
  });
}

} // extern "C"
