// The live display names the application as Java names its own windows: after the simple name of
// the main class (or jar) that the VM's sun.java.command starts with.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TestJvm.h"
#include "system/JavaApplicationName.h"

namespace {

// Sets sun.java.command (null clears it); what it was before, null when it was not set.
std::optional<std::string> setJavaCommand(const std::optional<std::string>& value) {
  JNIEnv* env = testJniEnv();
  env->PushLocalFrame(8);
  jclass system = env->FindClass("java/lang/System");
  jstring key = env->NewStringUTF("sun.java.command");
  jobject previous =
      value
          ? env->CallStaticObjectMethod(
                system,
                env->GetStaticMethodID(system, "setProperty",
                                       "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;"),
                key, env->NewStringUTF(value->c_str()))
          : env->CallStaticObjectMethod(
                system,
                env->GetStaticMethodID(system, "clearProperty",
                                       "(Ljava/lang/String;)Ljava/lang/String;"),
                key);
  expectNoPendingException(env);
  std::optional<std::string> was;
  if (previous) {
    const char* chars = env->GetStringUTFChars(static_cast<jstring>(previous), nullptr);
    was = chars;
    env->ReleaseStringUTFChars(static_cast<jstring>(previous), chars);
  }
  env->PopLocalFrame(nullptr);
  return was;
}

} // namespace

TEST(JavaApplicationName, IsTheSimpleNameOfTheMainClassOrJar) {
  EXPECT_EQ(JavaMainClassName("com.example.App --fast a.b"), "App");
  EXPECT_EQ(JavaMainClassName("Probe"), "Probe");
  EXPECT_EQ(JavaMainClassName("ixa.app/com.example.Main x"), "Main");
  EXPECT_EQ(JavaMainClassName("/opt/ixa/Ixa.jar -v"), "Ixa");
  EXPECT_EQ(JavaMainClassName(""), "");
}

TEST(JavaApplicationName, IsReadFromTheRunningJvm) {
  ASSERT_NE(testJniEnv(), nullptr);
  const auto original = setJavaCommand("org.example.Demo --open doc.txt");
  EXPECT_EQ(JavaApplicationName(), "Demo");
  setJavaCommand(std::nullopt);
  EXPECT_EQ(JavaApplicationName(), "") << "no command, no name";
  setJavaCommand(original);
}
