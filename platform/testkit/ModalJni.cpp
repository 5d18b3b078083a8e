// ixa.testkit.Modal, a test-only entry for the Java tests of the simulated user: runs an alert
// modally on the main thread while the caller waits, so another thread can answer it, and keeps
// the text of its accessory field for the test to read.
#include <jni.h>

#include <memory>

#include "appkit/panels/NSAlert.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/TestkitJni.h"

using namespace testkit;

namespace {

// The accessory field's text when the last alert with a field ended. Main thread only.
std::u16string& lastFieldText() {
  BRIX_ASSERT_MAIN_THREAD();
  static auto* const text = new std::u16string(); // immortal: alerts may end while exit runs
  return *text;
}

jint runAlertOnMain(const std::u16string& text, const std::optional<std::u16string>& field,
                    const std::vector<std::u16string>& titles) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSString::stringWithCharacters(text.data(), text.size()));
  for (const auto& title : titles)
    alert->addButtonWithTitle(NSString::stringWithCharacters(title.data(), title.size()));
  Ref<NSTextField> accessory;
  if (field) {
    accessory = adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(0, 0, 200, 24)));
    accessory->setStringValue(NSString::stringWithCharacters(field->data(), field->size()));
    alert->setAccessoryView(accessory);
  }
  const auto response = static_cast<jint>(alert->runModal());
  if (accessory) lastFieldText() = accessory->stringValue()->utf16();
  return response;
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
    // Nobody knows how long the user takes: the caller waits as long as the alert is up.
    auto answer = std::make_shared<jint>(0);
    runOnMainWithoutLimit(
        [answer, text = std::move(*text), field = std::move(field), titles = std::move(*titles)] {
          *answer = runAlertOnMain(text, field, titles);
        });
    response = *answer;
  });
  return response;
}

// static String lastFieldText()
extern "C" JNIEXPORT jstring JNICALL Java_ixa_testkit_Modal_lastFieldText(JNIEnv* env, jclass) {
  jstring result = nullptr;
  guarded(env, "Modal.lastFieldText", [&] {
    auto text = std::make_shared<std::u16string>();
    if (runOnMain(env, "Modal.lastFieldText", [text] { *text = lastFieldText(); }))
      result = newString(env, *text);
  });
  return result;
}
