#include "foundation/NSAutoreleasePool.h"

#include <cstdio>

#include "foundation/NSObject.h"

namespace {
thread_local NSAutoreleasePool* innermost = nullptr;
thread_local bool warnedWithoutPool = false;
} // namespace

NSAutoreleasePool::NSAutoreleasePool() : outer_(innermost) {
  innermost = this;
}

NSAutoreleasePool::~NSAutoreleasePool() {
  drain();
  innermost = outer_;
}

void NSAutoreleasePool::drain() {
  // Releasing may autorelease more objects into this pool; keep going until it stays empty.
  while (!objects_.empty()) {
    std::vector<NSObject*> batch;
    batch.swap(objects_);
    for (NSObject* object : batch)
      object->release();
  }
}

void NSAutoreleasePool::addObject(NSObject* object) {
  if (!object) return;
  if (!innermost) {
    if (!warnedWithoutPool) {
      warnedWithoutPool = true;
      std::fprintf(stderr, "autorelease called with no autorelease pool in place - just leaking\n");
    }
    return;
  }
  innermost->objects_.push_back(object);
}

std::size_t NSAutoreleasePool::pendingCount() {
  return innermost ? innermost->objects_.size() : 0;
}
