// Running a simulated user's action for a native method of ixa.testkit.User: the action's
// errors become Java exceptions (a timeout IllegalStateException, a bad argument
// IllegalArgumentException) with the method's name in front.
#pragma once

#include <jni.h>

#include <string>

#include "testkit/SimulatedUser.h"
#include "testkit/TestkitJni.h"

namespace testkit {

template <class Action> void act(JNIEnv* env, const char* method, Action action) {
  guarded(env, method, [&] {
    try {
      action();
    } catch (const SimulatedUserError& error) {
      const char* type =
          error.kind == SimulatedUserError::Kind::Timeout ? kIllegalState : kIllegalArgument;
      throwJava(env, type, std::string(method) + ": " + error.what());
    }
  });
}

} // namespace testkit
