// Shared by the menu tests: a JNI frame and a clean screen per test, and the titles of a menu
// ("-" for a separator).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/menus/NSMenu.h"
#include "foundation/runtime/NSAutoreleasePool.h"

extern "C" {
jint Java_ixa_IxaDialogs_showMacContextMenuWithJSON(JNIEnv*, jclass, jdouble, jdouble, jstring);
jint Java_ixa_IxaDialogs_modifyMenuBar(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_setAsAppStore(JNIEnv*, jclass);
}

class MenuTest : public LibraryTest {};

inline std::vector<std::string> titlesOf(const NSMenu* menu) {
  std::vector<std::string> titles;
  for (const auto& item : menu->items())
    titles.push_back(item->isSeparatorItem() ? "-" : item->title()->utf8());
  return titles;
}
