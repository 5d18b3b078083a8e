// The native methods of ixa.testkit.User: the simulated user, callable from any thread. Each
// converts its arguments on the calling thread and runs the SimulatedUser action there; the
// action hands its look at the screen to the main run loop and injects its input as real
// input. A main thread that does not serve it in time gives IllegalStateException, an unknown
// window or key IllegalArgumentException, a null argument NullPointerException.
#include <jni.h>

#include <cmath>

#include "testkit/SimulatedUser.h"
#include "testkit/TestkitJni.h"
#include "testkit/UserActionJni.h"

using namespace testkit;

namespace {

bool requireString(JNIEnv* env, const char* method, jstring value, const char* what,
                   std::u16string& out) {
  std::optional<std::u16string> text = stringValue(env, value);
  if (!text) {
    throwJava(env, kNullPointer, std::string(method) + ": " + what + " must not be null");
    return false;
  }
  out = std::move(*text);
  return true;
}

} // namespace

// static boolean pressButton(String title)
extern "C" JNIEXPORT jboolean JNICALL Java_ixa_testkit_User_pressButton(JNIEnv* env, jclass,
                                                                        jstring title) {
  jboolean pressed = JNI_FALSE;
  std::u16string text;
  if (!requireString(env, "User.pressButton", title, "title", text)) return pressed;
  act(env, "User.pressButton", [&] { pressed = SimulatedUser::pressButton(text); });
  return pressed;
}

// static void click(int window, double x, double y)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_click(JNIEnv* env, jclass, jint window,
                                                              jdouble x, jdouble y) {
  if (!std::isfinite(x) || !std::isfinite(y))
    return throwJava(env, kIllegalArgument, "User.click: the point must be finite");
  act(env, "User.click", [&] { SimulatedUser::click(window, NSMakePoint(x, y)); });
}

// static void type(String text)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_type(JNIEnv* env, jclass, jstring text) {
  std::u16string characters;
  if (!requireString(env, "User.type", text, "text", characters)) return;
  act(env, "User.type", [&] { SimulatedUser::type(characters); });
}

// static void pressKey(String key)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_pressKey(JNIEnv* env, jclass, jstring key) {
  std::u16string name;
  if (!requireString(env, "User.pressKey", key, "key", name)) return;
  act(env, "User.pressKey", [&] { SimulatedUser::pressKey(name); });
}

// static void focusField(int index)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_focusField(JNIEnv* env, jclass,
                                                                   jint index) {
  act(env, "User.focusField", [&] { SimulatedUser::focusField(index); });
}
