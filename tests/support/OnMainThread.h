// Test and benchmark programs run their whole body on the platform's main thread, as the
// platform's users do: their own main() hands it over and waits, so that everything a test
// does with platform classes happens on the one main thread, and a test that wants another
// thread starts one.
#pragma once

#include <functional>

// Runs body on the main thread (starting it) and returns its result, however long it takes.
int runOnMainThread(const std::function<int()>& body);
