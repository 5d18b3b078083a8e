// Reference counting and autorelease pools: what Foundation's manual reference counting
// promises callers, and what containers do with their elements.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "foundation/collections/NSArray.h"
#include "foundation/collections/NSDictionary.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/runtime/NSCensus.h"
#include "foundation/strings/NSString.h"
#include "foundation/values/NSNumber.h"

namespace {

// Counts its own destruction so tests can see exactly when an object goes away.
class Tracked : public NSObject {
  NS_OBJECT_CLASS(Tracked)
  static inline int destroyed = 0;
  ~Tracked() override { ++destroyed; }
};

// Records the order in which objects go; one may autorelease a successor as it goes.
class Ordered : public NSObject {
  NS_OBJECT_CLASS(Ordered)
  static inline std::vector<int> order;
  int number = 0;
  int successor = -1; // autoreleased while this one is deallocated, when not -1
  static Ordered* make(int number) {
    auto* object = alloc();
    object->number = number;
    return object;
  }
  ~Ordered() override {
    order.push_back(number);
    if (successor >= 0) make(successor)->autorelease();
  }
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

TEST(ReferenceCounting, AnImmortalObjectIgnoresRetainAndReleaseAndLeavesTheCensus) {
  Tracked::destroyed = 0;
  const long before = NSCensus::liveObjects("Tracked");
  static Tracked* constant; // kept for the process, as a constant is
  constant = Tracked::alloc();
  EXPECT_EQ(NSCensus::liveObjects("Tracked"), before + 1);
  EXPECT_EQ(constant->makeImmortal(), constant);
  EXPECT_TRUE(constant->isImmortal());
  EXPECT_EQ(NSCensus::liveObjects("Tracked"), before); // made once, not by the work counted
  const std::size_t count = constant->retainCount();
  EXPECT_GE(count, NSObject::kImmortalRetainCount);
  {
    NSAutoreleasePool pool;
    constant->autorelease(); // the owner's reference, given away
    for (int i = 0; i < 3; ++i)
      constant->release();
  }
  constant->makeImmortal(); // again: no second census change
  {
    Ref<Tracked> shared(constant);
    Weak<Tracked> weak(constant);
    EXPECT_EQ(weak.strong().get(), constant);
  }
  EXPECT_EQ(constant->retainCount(), count);
  EXPECT_EQ(Tracked::destroyed, 0);
  EXPECT_EQ(NSCensus::liveObjects("Tracked"), before);
}

TEST(ReferenceCounting, NilAndEmptyTextCopyAsOneSharedEmptyString) {
  NSAutoreleasePool pool;
  const Ref<NSString> fromNil = copiedStringOrEmpty(nullptr);
  ASSERT_NE(fromNil.get(), nullptr);
  EXPECT_EQ(fromNil->length(), 0u);
  EXPECT_TRUE(fromNil->isImmortal());
  EXPECT_EQ(copiedStringOrEmpty(NSString::string()).get(), fromNil.get());
  EXPECT_EQ(copiedStringOrEmpty(NSMutableString::string()).get(), fromNil.get());
  // Text is still copied or shared as before: a mutable string's copy is its own.
  NSMutableString* changing = NSMutableString::stringWithString(NSSTR("abc"));
  const Ref<NSString> copy = copiedStringOrEmpty(changing);
  changing->appendString(NSSTR("d"));
  EXPECT_EQ(copy->utf8(), "abc");
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

TEST(AutoreleasePool, ManyObjectsGoInTheOrderAddedEvenThoseAddedWhileDraining) {
  // Several thousand objects fill more than one of the pool's pages; one of them autoreleases
  // another as it goes, which the same drain must release too.
  constexpr int kObjects = 5000;
  Ordered::order.clear();
  {
    NSAutoreleasePool outer;
    Ordered::make(-2)->autorelease();
    {
      NSAutoreleasePool pool;
      for (int i = 0; i < kObjects; ++i) {
        auto* object = Ordered::make(i);
        if (i == 1500) object->successor = kObjects;
        object->autorelease();
      }
      EXPECT_EQ(NSAutoreleasePool::pendingCount(), static_cast<std::size_t>(kObjects));
      pool.drain();
      EXPECT_EQ(NSAutoreleasePool::pendingCount(), 0u); // the pool stays open, empty
      Ordered::make(kObjects + 1)->autorelease();
      EXPECT_EQ(NSAutoreleasePool::pendingCount(), 1u);
    }
    EXPECT_EQ(NSAutoreleasePool::pendingCount(), 1u); // the outer pool's object waits
  }
  ASSERT_EQ(Ordered::order.size(), static_cast<std::size_t>(kObjects + 3));
  for (int i = 0; i <= kObjects + 1; ++i)
    EXPECT_EQ(Ordered::order[static_cast<std::size_t>(i)], i) << "at position " << i;
  EXPECT_EQ(Ordered::order.back(), -2);
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

TEST(AssociatedObjects, KeysAreIndependentAndReplacingOrRemovingOneKeepsTheOthers) {
  Tracked::destroyed = 0;
  static const char first = 0, second = 0, third = 0;
  {
    auto owner = adopted(Tracked::alloc());
    for (const char* key : {&first, &second, &third})
      owner->setAssociatedObject(key, adopted(Tracked::alloc()));
    NSObject* kept = owner->associatedObject(&third);
    owner->setAssociatedObject(&first, nullptr); // the value goes at once
    EXPECT_EQ(Tracked::destroyed, 1);
    EXPECT_EQ(owner->associatedObject(&first), nullptr);
    EXPECT_EQ(owner->associatedObject(&third), kept);
    owner->setAssociatedObject(&first, adopted(Tracked::alloc()));  // a key can come back
    owner->setAssociatedObject(&second, adopted(Tracked::alloc())); // replaces: the old goes
    EXPECT_EQ(Tracked::destroyed, 2);
    owner->setAssociatedObject(&second, nullptr);
    EXPECT_EQ(Tracked::destroyed, 3);
    EXPECT_NE(owner->associatedObject(&first), nullptr);
    EXPECT_EQ(owner->associatedObject(&third), kept);
  }
  EXPECT_EQ(Tracked::destroyed, 6); // the owner, then what it still held
}

TEST(ClassTests, ExactClassAndSubclassesAreBothRecognised) {
  NSAutoreleasePool pool;
  NSObject* immutable = NSString::stringWithUTF8String("text");
  NSObject* mutableText = NSMutableString::stringWithString(NSSTR("text"));
  EXPECT_FALSE(mutableText->isMemberOfClass<NSString>());
  EXPECT_EQ(ns_cast<NSString>(immutable), immutable);
  EXPECT_EQ(ns_cast<NSString>(mutableText), mutableText); // a subclass is still a kind of it
  EXPECT_EQ(ns_cast<NSMutableString>(immutable), nullptr);
  EXPECT_EQ(ns_cast<NSArray>(immutable), nullptr);
  EXPECT_EQ(ns_cast<NSString>(nullptr), nullptr);
  // NSNull shares NSObject's census entry, so only the dynamic test may answer for it.
  auto plain = adopted(NSObject::alloc());
  EXPECT_EQ(ns_cast<NSNull>(plain.get()), nullptr);
  EXPECT_EQ(ns_cast<NSNull>(NSNull::null()), NSNull::null());
  // A copied string property shares an immutable string and copies a mutable one.
  EXPECT_EQ(copiedStringOrEmpty(static_cast<NSString*>(immutable)).get(), immutable);
  auto* editable = static_cast<NSMutableString*>(mutableText);
  Ref<NSString> copy = copiedStringOrEmpty(editable);
  EXPECT_NE(copy.get(), mutableText);
  EXPECT_EQ(ns_cast<NSMutableString>(copy.get()), nullptr);
  editable->appendString(NSSTR(" changed"));
  EXPECT_EQ(copy->utf8(), "text");
}

TEST(Description, ObjectsPrintClassAndAddress) {
  NSAutoreleasePool pool;
  auto object = adopted(Tracked::alloc());
  char expected[64];
  std::snprintf(expected, sizeof expected, "<Tracked: %p>", static_cast<void*>(object.get()));
  EXPECT_EQ(object->description()->utf8(), expected);
}

#if BRIX_ASSERTIONS
// Checked builds stop a caller that breaks a rule, saying what it did wrong.
TEST(CheckedRules, BrokenRulesStopTheProcessWithTheirReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        auto* outer = new NSAutoreleasePool();
        NSAutoreleasePool inner;
        delete outer;
      },
      "ended before a pool inside it");
  EXPECT_DEATH(
      NSRunLoop::mainRunLoop().performOnMain([] { NSRunLoop::mainRunLoop().handOver([] {}); }),
      "handed work to itself");
  EXPECT_DEATH(std::thread([] { NSRunLoop::mainRunLoop().setEventSink(nullptr); }).join(),
               "off the platform's main thread");
}
#endif
