// Zeroing weak references, associated objects and the census of live objects: what lets the
// library name windows it does not own, tie an action target to what uses it, and prove that
// a repeated operation leaves nothing behind.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/runtime/NSCensus.h"
#include "foundation/runtime/NSObject.h"

namespace {

class Widget : public NSObject {
  NS_OBJECT_CLASS(Widget)
  static inline int destroyed = 0;
  ~Widget() override { ++destroyed; }
};

// Reads a weak reference to itself while it is being destroyed.
class SelfObserver : public NSObject {
  NS_OBJECT_CLASS(SelfObserver)
  Weak<SelfObserver> self;
  static inline bool sawItselfInDestructor = true;
  ~SelfObserver() override { sawItselfInDestructor = self.get() != nullptr; }
};

} // namespace

// MARK: weak references read nil once their object is gone

TEST(WeakReference, ReadsTheObjectWhileItLivesAndNilAfter) {
  auto* object = Widget::alloc();
  Weak<Widget> weak = object;
  Weak<Widget> copy = weak;
  EXPECT_EQ(weak.get(), object);
  EXPECT_EQ(copy.get(), object);
  EXPECT_EQ(object->retainCount(), 1u); // a weak reference does not retain
  object->release();
  EXPECT_EQ(weak.get(), nullptr);
  EXPECT_EQ(copy.get(), nullptr);
  EXPECT_FALSE(weak);
  EXPECT_EQ(weak.strong().get(), nullptr);
}

TEST(WeakReference, ReassignmentMoveAndNilFollowTheirTargets) {
  auto first = adopted(Widget::alloc());
  auto second = adopted(Widget::alloc());
  Weak<Widget> weak = first.get();
  weak = second.get();
  EXPECT_EQ(weak.get(), second.get());
  Weak<Widget> moved = std::move(weak);
  EXPECT_EQ(moved.get(), second.get());
  moved = nullptr;
  EXPECT_EQ(moved.get(), nullptr);
  Weak<Widget> assigned;
  assigned = Weak<Widget>(first.get());
  EXPECT_EQ(assigned.get(), first.get());
}

TEST(WeakReference, StrongReadKeepsTheObjectAlive) {
  Widget::destroyed = 0;
  auto* object = Widget::alloc();
  Weak<Widget> weak = object;
  {
    Ref<Widget> strong = weak.strong();
    object->release();
    EXPECT_EQ(Widget::destroyed, 0);
    EXPECT_EQ(weak.get(), object);
  }
  EXPECT_EQ(Widget::destroyed, 1);
  EXPECT_EQ(weak.get(), nullptr);
}

TEST(WeakReference, ObjectIsAlreadyNilToWeakReadersDuringItsDestructor) {
  auto* object = SelfObserver::alloc();
  object->self = object;
  object->release();
  EXPECT_FALSE(SelfObserver::sawItselfInDestructor);
}

TEST(WeakReference, LoadsRacingTheLastReleaseSeeTheObjectOrNil) {
  // Either a strong read wins (and the object lives until it lets go) or it reads nil; it never
  // reads a freed object. Run under AddressSanitizer this catches a use after free.
  for (int round = 0; round < 200; ++round) {
    auto* object = Widget::alloc();
    Weak<Widget> weak = object;
    std::atomic<bool> go{false};
    std::thread reader([&] {
      while (!go.load()) {
      }
      for (int i = 0; i < 50; ++i) {
        if (Ref<Widget> strong = weak.strong()) {
          EXPECT_GT(strong->retainCount(), 0u);
        }
      }
    });
    go = true;
    object->release();
    reader.join();
    EXPECT_EQ(weak.get(), nullptr);
  }
}

// MARK: associated objects live as long as their owner

TEST(AssociatedObjects, AreRetainedUntilTheOwnerGoesOrTheyAreReplaced) {
  static const char key = 0, otherKey = 0;
  Widget::destroyed = 0;
  auto* owner = NSObject::alloc();
  auto* first = Widget::alloc();
  owner->setAssociatedObject(&key, first);
  first->release();
  EXPECT_EQ(owner->associatedObject(&key), first);
  EXPECT_EQ(owner->associatedObject(&otherKey), nullptr);

  auto* second = Widget::alloc();
  owner->setAssociatedObject(&key, second); // replacing lets the first one go
  second->release();
  EXPECT_EQ(Widget::destroyed, 1);
  owner->setAssociatedObject(&otherKey, nullptr); // removing what is not there is harmless

  owner->release();
  EXPECT_EQ(Widget::destroyed, 2);
}

// MARK: the census counts live objects per class

TEST(Census, CountsObjectsFromAllocUntilDeallocation) {
  const long before = NSCensus::liveObjects("Widget");
  std::vector<Widget*> made;
  for (int i = 0; i < 5; ++i)
    made.push_back(Widget::alloc());
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 5);
  EXPECT_EQ(NSCensus::snapshot()["Widget"], before + 5);
  {
    NSAutoreleasePool pool;
    for (Widget* widget : made)
      widget->autorelease();
    EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 5); // still owned by the pool
  }
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);
  EXPECT_EQ(NSCensus::liveObjects("NoSuchClass"), 0);
}

TEST(Census, TotalsAddUpAcrossThreads) {
  const long before = NSCensus::totalLiveObjects();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i)
        Widget::alloc()->release();
    });
  for (auto& thread : threads)
    thread.join();
  EXPECT_EQ(NSCensus::totalLiveObjects(), before);
}

TEST(Census, CountsObjectsThatOneThreadMakesAndAnotherFrees) {
  const long before = NSCensus::liveObjects("Widget");
  std::vector<Widget*> made(1000);
  std::thread maker([&] {
    for (Widget*& widget : made)
      widget = Widget::alloc();
  });
  maker.join(); // the maker has ended: its counts outlive it
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 1000);

  std::atomic<int> step{0};
  std::thread freer([&] {
    for (std::size_t i = 0; i < 500; ++i)
      made[i]->release();
    step = 1;
    while (step.load() != 2) {
    }
    for (std::size_t i = 500; i < made.size(); ++i)
      made[i]->release();
  });
  while (step.load() != 1) {
  }
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 500); // read while the freer still runs
  step = 2;
  freer.join();
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);
}

namespace {
// Frees its widgets when its thread ends, after the thread's own census counts were handed over.
struct WidgetsHeldUntilTheThreadEnds {
  std::vector<Widget*> widgets;
  ~WidgetsHeldUntilTheThreadEnds() {
    for (Widget* widget : widgets)
      widget->release();
  }
};
} // namespace

TEST(Census, CountsObjectsFreedAsTheirThreadEnds) {
  const long before = NSCensus::liveObjects("Widget");
  long whileRunning = 0;
  std::thread thread([&] {
    // Made before the thread's first object, so destroyed after its census counts are handed over.
    thread_local WidgetsHeldUntilTheThreadEnds held;
    for (int i = 0; i < 10; ++i)
      held.widgets.push_back(Widget::alloc());
    whileRunning = NSCensus::liveObjects("Widget");
  });
  thread.join();
  EXPECT_EQ(whileRunning, before + 10);
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);
}

TEST(Census, CountsExactlyWhatTheMainThreadMakesAndOthersFree) {
  // The main thread counts (and takes its memory) without a thread-local lookup; what it makes
  // and another thread frees, and the reverse, must still add up.
  NSRunLoop& main = NSRunLoop::mainRunLoop();
  const long before = NSCensus::liveObjects("Widget");
  std::vector<Widget*> made;
  ASSERT_TRUE(main.performOnMain(
      [&] {
        for (int i = 0; i < 1000; ++i)
          made.push_back(Widget::alloc());
      },
      std::chrono::seconds(10)));
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 1000);
  for (std::size_t i = 0; i < 500; ++i)
    made[i]->release();
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before + 500);
  ASSERT_TRUE(main.performOnMain(
      [&] {
        for (std::size_t i = 500; i < made.size(); ++i)
          made[i]->release();
      },
      std::chrono::seconds(10)));
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);

  std::vector<Widget*> madeHere;
  for (int i = 0; i < 1000; ++i)
    madeHere.push_back(Widget::alloc());
  ASSERT_TRUE(main.performOnMain(
      [&] {
        for (Widget* widget : madeHere)
          widget->release();
      },
      std::chrono::seconds(10)));
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);
}

TEST(WeakReference, AnObjectWhoseWeakReferencesAreGoneIsFreedWithItsBox) {
  // An action target's life: weak references come and go, then the owner lets it go.
  const long before = NSCensus::liveObjects("Widget");
  Widget::destroyed = 0;
  auto* object = Widget::alloc();
  {
    Weak<Widget> weak = object;
    Weak<Widget> copy = weak;
    EXPECT_EQ(copy.get(), object);
  }
  object->retain();
  object->release();
  EXPECT_EQ(Widget::destroyed, 0);
  object->release();
  EXPECT_EQ(Widget::destroyed, 1);
  EXPECT_EQ(NSCensus::liveObjects("Widget"), before);

  // A weak reference that outlives its object still reads nil, its box freed with it.
  Weak<Widget> outliving;
  {
    auto second = adopted(Widget::alloc());
    outliving = second.get();
  }
  EXPECT_EQ(outliving.get(), nullptr);
  EXPECT_EQ(Widget::destroyed, 2);
}
