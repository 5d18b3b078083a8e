// A sheet that asks for one line of text on the current window. It returns at once; the
// answer reaches Java later through the buttons' action target.
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/windows/NSWindow.h"
#include "bridge/Bridge.h"
#include "bridge/ContextMenuSlapper.h"
#include "bridge/NativeScope.h"
#include "dialogs/SheetGlobals.h"
#include "dialogs/SheetLabels.h"
#include "foundation/system/NSLog.h"
#include "windows/WindowLookup.h"

namespace {
// Frames in the sheet's content view. The labels overlap the field; the field is added after
// them and lies on top, and a label's text starts at the top of its frame.
constexpr NSRect kTitleFrame = NSMakeRect(20, 20, 360, 140);
constexpr NSRect kMessageFrame = NSMakeRect(20, 40, 360, 100);
constexpr NSRect kFieldFrame = NSMakeRect(20, 50, 360, 22);
constexpr NSRect kAcceptFrame = NSMakeRect(275, 12, 110, 30);
constexpr NSRect kCancelFrame = NSMakeRect(155, 12, 110, 30);

} // namespace

extern "C" {

// IxaDialogs.showTextEntrySheetDialog(String, String, String, String, String)
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showTextEntrySheetDialog(JNIEnv* env, jclass,
                                                                    jstring title, jstring message,
                                                                    jstring acceptTitle,
                                                                    jstring cancelTitle,
                                                                    jstring identity) noexcept {
  return brix::nativeMethod(
      env, "showTextEntrySheetDialog", jint{1},
      brix::javaArguments(title, message, acceptTitle, cancelTitle, identity),
      [](JNIEnv* env, jstring title, jstring message, jstring acceptTitle, jstring cancelTitle,
         jstring identity) {
        NSLog("ID: %@", jstringToNSString(env, identity));

        brix::_textEntryWindow = brix::makeSheetWindow();
        brix::_progressWindowParent = getCurrentWindow();
        NSView* content = brix::_textEntryWindow->contentView();
        brix::_progressTitleText = brix::addSheetLabel(content, kTitleFrame, true);
        brix::_progressMessageText = brix::addSheetLabel(content, kMessageFrame, false);
        brix::_progressTitleText->setStringValue(jstringToNSString(env, title));
        brix::_progressTitleText->displayIfNeeded();
        brix::_progressMessageText->setStringValue(jstringToNSString(env, message));
        brix::_progressMessageText->displayIfNeeded();

        NSTextField* field = NSTextField::alloc()->init();
        field->setFrame(kFieldFrame);
        brix::addSubviewOwned(content, field);

        NSButton* accept = NSButton::alloc()->initWithFrame(kAcceptFrame);
        accept->setKeyEquivalent(NSSTR("\r"));
        accept->setButtonType(NSButtonTypeMomentaryPushIn);
        accept->setBezelStyle(NSBezelStyleRounded);
        accept->setTitle(jstringToNSString(env, acceptTitle));
        accept->setNeedsDisplay(true);
        // One target serves both buttons and lives as long as the sheet window.
        ContextMenuSlapper* target = ContextMenuSlapper::targetOwnedBy(brix::_textEntryWindow);
        accept->setTarget(target);
        accept->setAction(sel("clickButton:"));
        target->setIdentity(jstringToNSString(env, identity));
        target->setTextField(field);
        brix::addSubviewOwned(content, accept);

        NSButton* cancel = NSButton::alloc()->initWithFrame(kCancelFrame);
        cancel->setButtonType(NSButtonTypeMomentaryPushIn);
        cancel->setBezelStyle(NSBezelStyleRounded);
        cancel->setTitle(jstringToNSString(env, cancelTitle));
        cancel->setNeedsDisplay(true);
        cancel->setTarget(target);
        cancel->setAction(sel("clickCancelButton:"));
        brix::addSubviewOwned(content, cancel);

        brix::beginLibrarySheet(brix::_textEntryWindow);
        return 1;
      });
}

} // extern "C"
