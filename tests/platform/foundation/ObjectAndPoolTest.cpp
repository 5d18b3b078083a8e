// Reference counting and autorelease pools: what Foundation's manual reference counting
// promises callers, and what containers do with their elements.
#include <gtest/gtest.h>

#include <thread>

#include "foundation/NSArray.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSDictionary.h"

namespace {

// Counts its own destruction so tests can see exactly when an object goes away.
class Tracked : public NSObject {
  NS_OBJECT_CLASS(Tracked)
  static inline int destroyed = 0;
  ~Tracked() override { ++destroyed; }
};

} // namespace

TEST(ReferenceCounting, AllocOwnsRetainAddsReleaseFreesAtZero) {
  Tracked::destroyed = 0;
  auto* object = Tracked::alloc();
  EXPECT_EQ(object->retainCount(), 1u);
  object->retain();
  object->release();
  EXPECT_EQ(Tracked::destroyed, 0);
  object->release();
  EXPECT_EQ(Tracked::destroyed, 1);
}

TEST(ReferenceCounting, RefHandleRetainsAndAdoptDoesNot) {
  Tracked::destroyed = 0;
  {
    auto owned = adopted(Tracked::alloc());
    EXPECT_EQ(owned->retainCount(), 1u);
    Ref<Tracked> copy = owned;
    EXPECT_EQ(owned->retainCount(), 2u);
    Ref<Tracked> moved = std::move(copy);
    EXPECT_EQ(owned->retainCount(), 2u);
  }
  EXPECT_EQ(Tracked::destroyed, 1);
}

TEST(AutoreleasePool, DrainReleasesOnceAndPoolsNest) {
  Tracked::destroyed = 0;
  Tracked* survivor = nullptr;
  {
    NSAutoreleasePool outer;
    survivor = static_cast<Tracked*>(Tracked::alloc()->retain()->autorelease());
    {
      NSAutoreleasePool inner;
      Tracked::alloc()->autorelease();
      EXPECT_EQ(NSAutoreleasePool::pendingCount(), 1u);
    }
    EXPECT_EQ(Tracked::destroyed, 1);                 // the inner pool's object is gone
    EXPECT_EQ(NSAutoreleasePool::pendingCount(), 1u); // the outer one still waits
  }
  EXPECT_EQ(Tracked::destroyed, 1); // retained once more, so it survives its pool
  EXPECT_EQ(survivor->retainCount(), 1u);
  survivor->release();
  EXPECT_EQ(Tracked::destroyed, 2);
}

TEST(AutoreleasePool, PoolsBelongToTheirThread) {
  Tracked::destroyed = 0;
  NSAutoreleasePool mine;
  std::thread other([] {
    NSAutoreleasePool theirs;
    Tracked::alloc()->autorelease();
  });
  other.join();
  EXPECT_EQ(Tracked::destroyed, 1);
  EXPECT_EQ(NSAutoreleasePool::pendingCount(), 0u);
}

TEST(Containers, RetainElementsAndReleaseThemWhenRemovedOrFreed) {
  Tracked::destroyed = 0;
  NSAutoreleasePool pool;
  auto* array = NSMutableArray::alloc();
  auto element = adopted(Tracked::alloc());
  array->addObject(element);
  array->addObject(nullptr); // ignored, not a crash
  EXPECT_EQ(array->count(), 1u);
  EXPECT_EQ(element->retainCount(), 2u);
  array->insertObject(element, 99); // past the end: appended
  EXPECT_EQ(array->count(), 2u);
  EXPECT_EQ(array->objectAtIndex(5), nullptr);
  array->removeObjectAtIndex(0);
  EXPECT_EQ(element->retainCount(), 2u);
  array->release();
  EXPECT_EQ(element->retainCount(), 1u);

  auto* dictionary = NSMutableDictionary::alloc();
  dictionary->setObject(element, NSSTR("key"));
  dictionary->setObject(NSSTR("other"), NSSTR("key")); // an equal key replaces the value
  EXPECT_EQ(dictionary->count(), 1u);
  EXPECT_EQ(element->retainCount(), 1u);
  EXPECT_TRUE(dictionary->objectForKey(NSSTR("key"))->isEqual(NSSTR("other")));
  dictionary->removeObjectForKey(NSSTR("key"));
  EXPECT_EQ(dictionary->objectForKey(NSSTR("key")), nullptr);
  dictionary->release();
}

TEST(Description, ObjectsPrintClassAndAddress) {
  NSAutoreleasePool pool;
  auto object = adopted(Tracked::alloc());
  char expected[64];
  std::snprintf(expected, sizeof expected, "<Tracked: %p>", static_cast<void*>(object.get()));
  EXPECT_EQ(object->description()->utf8(), expected);
}
