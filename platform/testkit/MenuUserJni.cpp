// The menu methods of ixa.testkit.User. Arguments are converted on the calling thread; a main
// thread that does not serve the user in time gives IllegalStateException, an unknown key or
// modifier IllegalArgumentException, a null argument NullPointerException.
#include <jni.h>

#include "testkit/MenuUser.h"
#include "testkit/TestkitJni.h"
#include "testkit/UserActionJni.h"

using namespace testkit;

// static boolean chooseMenuItem(String... titlePath)
extern "C" JNIEXPORT jboolean JNICALL Java_ixa_testkit_User_chooseMenuItem(JNIEnv* env, jclass,
                                                                           jobjectArray path) {
  bool chosen = false;
  act(env, "User.chooseMenuItem", [&] {
    std::optional<std::vector<std::u16string>> titles =
        stringArrayValue(env, path, "User.chooseMenuItem: titlePath");
    if (titles) chosen = MenuUser::chooseMenuItem(*titles);
  });
  return chosen ? JNI_TRUE : JNI_FALSE;
}

// static void dismissMenu()
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_dismissMenu(JNIEnv* env, jclass) {
  act(env, "User.dismissMenu", [] { MenuUser::dismissMenu(); });
}

// static void pressShortcut(String key, String... modifiers)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_pressShortcut(JNIEnv* env, jclass,
                                                                      jstring key,
                                                                      jobjectArray modifiers) {
  act(env, "User.pressShortcut", [&] {
    std::optional<std::u16string> keyText = stringValue(env, key);
    if (!keyText) return throwJava(env, kNullPointer, "User.pressShortcut: key must not be null");
    std::optional<std::vector<std::u16string>> names =
        stringArrayValue(env, modifiers, "User.pressShortcut: modifiers");
    if (names) MenuUser::pressShortcut(*keyText, *names);
  });
}
