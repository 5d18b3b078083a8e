// Application-modal alerts: a message with up to three buttons, and a message with a text
// field. Each runs AppKit's modal loop and returns the user's answer. The alert and its views
// are made anew for every call and released when it returns, which closes the alert's panel.
#include "dialogs/Alerts.h"
#include "bridge/Bridge.h"

#include <initializer_list>

#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/panels/NSAlert.h"
#include "bridge/NativeScope.h"
#include "foundation/system/NSBundle.h"

namespace {

// The frame of the text-entry alert's field, in its own coordinates.
constexpr NSRect kTextEntryFieldFrame = NSMakeRect(0, 0, 200, 24);

// The message alerts of showMacDialog and show3ButtonMacDialog. The texts and the first title
// are converted first; each optional title only when it is not null, after the alert exists.
// Buttons count in the order they were added, whichever titles were null.
NSModalResponse runMessageAlert(JNIEnv* env, jstring message, jstring informative, jstring first,
                                std::initializer_list<jstring> optionalTitles) {
  NSString* messageText = jstringToNSString(env, message);
  NSString* informativeText = jstringToNSString(env, informative);
  NSString* firstTitle = jstringToNSString(env, first);
  const Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->addButtonWithTitle(firstTitle);
  for (jstring title : optionalTitles)
    if (title) alert->addButtonWithTitle(jstringToNSString(env, title));
  alert->setMessageText(messageText);
  alert->setInformativeText(informativeText);
  alert->setAlertStyle(NSAlertStyleWarning);
  alert->setIcon(adopted(getIcon()));
  return alert->runModal();
}

} // namespace

extern "C" {

NSImage* getIcon() {
  NSString* path = NSBundle::mainBundle()->pathForResource(NSSTR("Ixa"), NSSTR("icns"));
  return path ? NSImage::alloc()->initWithContentsOfFile(path) : nullptr;
}

// IxaDialogs.showMacDialog(String, String, String, String)
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showMacDialog(JNIEnv* env, jclass, jstring message,
                                                         jstring informative, jstring first,
                                                         jstring second) noexcept {
  return brix::nativeMethod(
      env, "showMacDialog", jint{0}, brix::javaArguments(message, informative, first, second),
      [](JNIEnv* env, jstring message, jstring informative, jstring first, jstring second) {
        return runMessageAlert(env, message, informative, first, {second}) ==
                       NSAlertFirstButtonReturn
                   ? 1
                   : 0;
      },
      brix::ThreadRule::AppModal);
}

// IxaDialogs.show3ButtonMacDialog(String, String, String, String, String)
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_show3ButtonMacDialog(JNIEnv* env, jclass,
                                                                jstring message,
                                                                jstring informative, jstring first,
                                                                jstring second,
                                                                jstring third) noexcept {
  return brix::nativeMethod(
      env, "show3ButtonMacDialog", jint{-1},
      brix::javaArguments(message, informative, first, second, third),
      [](JNIEnv* env, jstring message, jstring informative, jstring first, jstring second,
         jstring third) {
        switch (
            static_cast<int>(runMessageAlert(env, message, informative, first, {second, third}))) {
        case NSAlertFirstButtonReturn:
          return 1;
        case NSAlertSecondButtonReturn:
          return 2;
        case NSAlertThirdButtonReturn:
          return 3;
        default:
          return -1;
        }
      },
      brix::ThreadRule::AppModal);
}

// IxaDialogs.showMacTextEntryDialog(String, String, String, String, String)
JNIEXPORT jstring JNICALL Java_ixa_IxaDialogs_showMacTextEntryDialog(JNIEnv* env, jclass,
                                                                     jstring message,
                                                                     jstring informative,
                                                                     jstring first, jstring second,
                                                                     jstring initialText) noexcept {
  return brix::nativeMethod(
      env, "showMacTextEntryDialog", jstring{nullptr},
      brix::javaArguments(message, informative, first, second, initialText),
      [](JNIEnv* env, jstring message, jstring informative, jstring first, jstring second,
         jstring initialText) -> jstring {
        NSString* messageText = jstringToNSString(env, message);
        NSString* informativeText = jstringToNSString(env, informative);
        NSString* firstTitle = jstringToNSString(env, first);
        NSString* secondTitle = jstringToNSString(env, second);
        NSString* initial = jstringToNSString(env, initialText);
        const Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
        alert->addButtonWithTitle(firstTitle);
        alert->addButtonWithTitle(secondTitle);
        alert->setMessageText(messageText);
        alert->setInformativeText(informativeText);
        // No style and no icon: the alert keeps its defaults, the
        // application's own icon among them.
        const Ref<NSTextField> field =
            adopted(NSTextField::alloc()->initWithFrame(kTextEntryFieldFrame));
        field->setStringValue(initial);
        alert->setAccessoryView(field);
        if (alert->runModal() != NSAlertFirstButtonReturn) return nullptr;
        return nstringToJString(env, field->stringValue());
      },
      brix::ThreadRule::AppModal);
}

} // extern "C"
