// The main() of every GoogleTest program: the tests run on the platform's main thread.
#include <gtest/gtest.h>

#include "OnMainThread.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return runOnMainThread([] { return RUN_ALL_TESTS(); });
}
