// Shared by the menu tests: a JNI frame and a clean screen per test, and the titles of a menu
// ("-" for a separator).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LibraryTesting.h"
#include "NSAutoreleasePool.h"
#include "NSMenu.h"
#include "TestJvm.h"

extern "C" {
jint Java_ixa_IxaDialogs_showMacContextMenuWithJSON(JNIEnv*, jclass, jdouble, jdouble, jstring);
jint Java_ixa_IxaDialogs_modifyMenuBar(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_setAsAppStore(JNIEnv*, jclass);
}

class MenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    env = testJniEnv();
    env->PushLocalFrame(64);
    closeAllWindows();
  }
  void TearDown() override {
    expectNoPendingException(env);
    env->PopLocalFrame(nullptr);
    closeAllWindows();
  }
  jstring j(const char* text) { return env->NewStringUTF(text); }

  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
};

inline std::vector<std::string> titlesOf(const NSMenu* menu) {
  std::vector<std::string> titles;
  for (const auto& item : menu->items())
    titles.push_back(item->isSeparatorItem() ? "-" : item->title()->utf8());
  return titles;
}
