// String conversion between Java and the platform, through a real JVM under -Xcheck:jni: every
// Unicode string crosses both ways unchanged, and nulls stay null.
#include <gtest/gtest.h>

#include "TestJvm.h"
#include "bridge/Bridge.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

class StringBridge : public ::testing::Test {
protected:
  void SetUp() override {
    env = testJniEnv();
    env->PushLocalFrame(64);
  }
  void TearDown() override {
    expectNoPendingException(env);
    env->PopLocalFrame(nullptr);
  }
  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
};

const std::u16string samples[] = {
    u"plain ASCII text",
    u"",
    u"\u00E9",
    u"\u6771\u4EAC",
    u"\U0001F600",
    std::u16string(u"before\0after", 12),
    u"mixed \u00E9\u6771\U0001F600 \u0000 end",
    // Held by the JVM as one byte per character, widened on the way out and narrowed back.
    u"Latin-1 \u00FF\u00A0\u0080\u0001",
    std::u16string(70000, u'\u00E9') + u"\U0001F600" + std::u16string(70000, u'a'),
};

} // namespace

TEST_F(StringBridge, JavaToNSStringKeepsEveryCharacter) {
  for (const auto& text : samples) {
    NSString* converted = jstringToNSString(env, testJavaString(env, text));
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->utf16(), text);
  }
}

TEST_F(StringBridge, NSStringToJavaKeepsEveryCharacter) {
  for (const auto& text : samples) {
    auto* string = NSString::alloc()->initWithUTF16(text);
    jstring java = nstringToJString(env, string);
    ASSERT_NE(java, nullptr);
    EXPECT_EQ(testJavaStringValue(env, java), text);
    string->release();
  }
}

TEST_F(StringBridge, LoneSurrogatesSurviveTheRoundTrip) {
  std::u16string text = u"x_y_z";
  text[1] = 0xD800;
  text[3] = 0xDFFF;
  jstring back = nstringToJString(env, jstringToNSString(env, testJavaString(env, text)));
  EXPECT_EQ(testJavaStringValue(env, back), text);
}

TEST_F(StringBridge, NullsStayNull) {
  EXPECT_EQ(jstringToNSString(env, nullptr), nullptr);
  EXPECT_EQ(nstringToJString(env, nullptr), nullptr);
}

TEST_F(StringBridge, NoJavaStringIsMadeWhileAnExceptionIsPending) {
  // An action that threw inside a modal loop leaves its exception for the Java caller; the
  // answer is then null, and no JNI call is made with the exception pending.
  ASSERT_EQ(env->ThrowNew(env->FindClass("java/lang/IllegalStateException"), "thrown"), 0);
  EXPECT_EQ(nstringToJString(env, NSSTR("answer")), nullptr);
  ASSERT_TRUE(env->ExceptionCheck());
  env->ExceptionClear();
  EXPECT_NE(nstringToJString(env, NSSTR("answer")), nullptr);
}

TEST_F(StringBridge, StringArraysKeepOrderAndLength) {
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray empty = env->NewObjectArray(0, stringClass, nullptr);
  EXPECT_EQ(stringArrayToNSArray(env, empty)->count(), 0u);

  jobjectArray three = env->NewObjectArray(3, stringClass, nullptr);
  env->SetObjectArrayElement(three, 0, testJavaString(env, u"first"));
  env->SetObjectArrayElement(three, 2, testJavaString(env, u"\u6771\u4EAC \U0001F600"));
  NSMutableArray* array = stringArrayToNSArray(env, three);
  ASSERT_EQ(array->count(), 3u);
  EXPECT_EQ(static_cast<NSString*>(array->objectAtIndex(0))->utf16(), u"first");
  // A null element keeps its place as the empty string.
  EXPECT_EQ(static_cast<NSString*>(array->objectAtIndex(1))->utf16(), u"");
  EXPECT_EQ(static_cast<NSString*>(array->objectAtIndex(2))->utf16(), u"\u6771\u4EAC \U0001F600");

  EXPECT_EQ(stringArrayToNSArray(env, nullptr)->count(), 0u);
}

TEST_F(StringBridge, ResultsAreAutoreleased) {
  const std::size_t before = NSAutoreleasePool::pendingCount();
  jstringToNSString(env, testJavaString(env, u"pooled"));
  EXPECT_EQ(NSAutoreleasePool::pendingCount(), before + 1);
}
