// NSAutoreleasePool: a scope that releases the objects autoreleased inside it when it ends.
// Pools nest per thread; autorelease() goes to the innermost pool of the calling thread.
#pragma once

#include <cstddef>

class NSObject;

class NSAutoreleasePool {
public:
  NSAutoreleasePool();
  ~NSAutoreleasePool();
  NSAutoreleasePool(const NSAutoreleasePool&) = delete;
  NSAutoreleasePool& operator=(const NSAutoreleasePool&) = delete;

  // Releases everything added so far, in the order it was added; the pool stays open.
  void drain();
  // Hands one reference of object to the innermost pool of this thread. Without an open pool
  // the object leaks, as in Foundation, and a line is logged once per thread.
  static void addObject(NSObject* object);
  // Number of objects waiting in the innermost pool (0 without a pool); for tests.
  static std::size_t pendingCount();

  // The pool's objects live in fixed-size pages that the thread reuses, so a pool that grows to
  // hundreds of thousands of objects never copies what it holds nor asks for a large block.
  struct Page;

private:
  void add(NSObject* object);

  Page* first_ = nullptr;
  Page* last_ = nullptr;
  NSAutoreleasePool* outer_;
};
