// The live display's scale follows Java's windows: sun.java2d.uiScale, read from the JVM running
// in this process as Java reads it, unless sun.java2d.uiScale.enabled is false.
#include <gtest/gtest.h>

#include <thread>

#include "TestJvm.h"
#include "system/JavaScale.h"

namespace {

void setProperty(const char* name, const char* value) {
  JNIEnv* env = testJniEnv();
  env->PushLocalFrame(8);
  jclass system = env->FindClass("java/lang/System");
  if (value) {
    jmethodID set = env->GetStaticMethodID(
        system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
    env->CallStaticObjectMethod(system, set, env->NewStringUTF(name), env->NewStringUTF(value));
  } else {
    jmethodID clear =
        env->GetStaticMethodID(system, "clearProperty", "(Ljava/lang/String;)Ljava/lang/String;");
    env->CallStaticObjectMethod(system, clear, env->NewStringUTF(name));
  }
  expectNoPendingException(env);
  env->PopLocalFrame(nullptr);
}

} // namespace

TEST(JavaScale, PropertyValuesAreReadAsJavaReadsThem) {
  EXPECT_EQ(JavaScaleFromProperty("2"), 2);
  EXPECT_EQ(JavaScaleFromProperty("1.5x"), 1.5);
  EXPECT_EQ(JavaScaleFromProperty("150%"), 1.5);
  EXPECT_EQ(JavaScaleFromProperty("192dpi"), 2);
  for (const char* bad : {"", "x", "dpi", "two", "2 x", "-2", "0", "nan", "inf", "2xx"})
    EXPECT_EQ(JavaScaleFromProperty(bad), 0) << bad;
}

TEST(JavaScale, TheRunningJvmsPropertyIsTheScaleFromAnyThread) {
  ASSERT_NE(testJniEnv(), nullptr);
  setProperty("sun.java2d.uiScale", nullptr);
  EXPECT_EQ(JavaWindowScale(), 0) << "no property, no scale";
  setProperty("sun.java2d.uiScale", "2x");
  EXPECT_EQ(JavaWindowScale(), 2);
  // A thread the JVM does not know is attached for the look and let go again.
  double fromOtherThread = -1;
  std::thread([&] {
    fromOtherThread = JavaWindowScale();
    JNIEnv* env = nullptr;
    EXPECT_EQ(testJavaVm()->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6), JNI_EDETACHED);
  }).join();
  EXPECT_EQ(fromOtherThread, 2);
  setProperty("sun.java2d.uiScale.enabled", "false");
  EXPECT_EQ(JavaWindowScale(), 0) << "scaling switched off in Java";
  setProperty("sun.java2d.uiScale.enabled", nullptr);
  setProperty("sun.java2d.uiScale", nullptr);
}
