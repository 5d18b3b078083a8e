// ixa.testkit.Modal, a test-only entry for the Java tests of the simulated user: runs an alert
// modally on the calling (main) thread, so another thread can answer it, and keeps the text of
// its accessory field for the test to read.
#include <jni.h>

#include "appkit/panels/NSAlert.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSThread.h"
#include "testkit/TestkitJni.h"

using namespace testkit;

namespace {

// The accessory field's text when the last alert with a field ended. Main thread only.
std::u16string& lastFieldText() {
  static std::u16string text;
  return text;
}

} // namespace

// static int runAlert(String message, String fieldText, String... buttons)
extern "C" JNIEXPORT jint JNICALL Java_ixa_testkit_Modal_runAlert(JNIEnv* env, jclass,
                                                                  jstring message,
                                                                  jstring fieldText,
                                                                  jobjectArray buttons) {
  jint response = 0;
  guarded(env, "Modal.runAlert", [&] {
    std::optional<std::u16string> text = stringValue(env, message);
    if (!text) return throwJava(env, kNullPointer, "Modal.runAlert: message must not be null");
    std::optional<std::u16string> field = stringValue(env, fieldText);
    std::optional<std::vector<std::u16string>> titles =
        stringArrayValue(env, buttons, "Modal.runAlert: buttons");
    if (!titles) return;
    if (!NSThread::isMainThread())
      return throwJava(env, kIllegalState, "Modal.runAlert must be called on the main thread");
    NSAutoreleasePool pool;
    Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
    alert->setMessageText(NSString::stringWithCharacters(text->data(), text->size()));
    for (const auto& title : *titles)
      alert->addButtonWithTitle(NSString::stringWithCharacters(title.data(), title.size()));
    Ref<NSTextField> accessory;
    if (field) {
      accessory = adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(0, 0, 200, 24)));
      accessory->setStringValue(NSString::stringWithCharacters(field->data(), field->size()));
      alert->setAccessoryView(accessory);
    }
    response = static_cast<jint>(alert->runModal());
    if (accessory) lastFieldText() = accessory->stringValue()->utf16();
  });
  return response;
}

// static String lastFieldText()
extern "C" JNIEXPORT jstring JNICALL Java_ixa_testkit_Modal_lastFieldText(JNIEnv* env, jclass) {
  jstring result = nullptr;
  guarded(env, "Modal.lastFieldText", [&] {
    if (!NSThread::isMainThread())
      return throwJava(env, kIllegalState, "Modal.lastFieldText must be called on the main thread");
    result = newString(env, lastFieldText());
  });
  return result;
}
