#include "foundation/runtime/NSAutoreleasePool.h"

#include <cstdio>
#include <utility>

#include "foundation/runtime/Assert.h"
#include "foundation/runtime/NSObject.h"

struct NSAutoreleasePool::Page {
  // 8 KiB pages: large enough that the page list is short, small enough to reuse cheaply.
  static constexpr std::size_t kCapacity = 1022;
  Page* next = nullptr;
  std::size_t count = 0;
  NSObject* objects[kCapacity];
};

namespace {

thread_local NSAutoreleasePool* innermost = nullptr;
thread_local bool warnedWithoutPool = false;

} // namespace

NSAutoreleasePool::NSAutoreleasePool() : outer_(innermost) {
  innermost = this;
}

NSAutoreleasePool::~NSAutoreleasePool() {
  BRIX_ASSERT(innermost == this, "an autorelease pool ended before a pool inside it, or on "
                                 "another thread than the one that made it");
  drain();
  innermost = outer_;
}

void NSAutoreleasePool::drain() {
  // Releasing may autorelease more objects into this pool; keep going until it stays empty.
  while (first_) {
    Page* page = std::exchange(first_, nullptr);
    last_ = nullptr;
    while (page) {
      for (std::size_t i = 0; i < page->count; ++i)
        page->objects[i]->release();
      delete std::exchange(page, page->next);
    }
  }
}

void NSAutoreleasePool::add(NSObject* object) {
  if (!last_ || last_->count == Page::kCapacity) {
    auto* page = new Page();
    if (last_)
      last_->next = page;
    else
      first_ = page;
    last_ = page;
  }
  last_->objects[last_->count++] = object;
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
  innermost->add(object);
}

std::size_t NSAutoreleasePool::pendingCount() {
  std::size_t count = 0;
  if (innermost)
    for (const Page* page = innermost->first_; page; page = page->next)
      count += page->count;
  return count;
}
