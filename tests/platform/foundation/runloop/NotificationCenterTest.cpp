#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/runloop/NSNotificationCenter.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

constexpr NSNotificationName kOpened = "Opened";
constexpr NSNotificationName kClosed = "Closed";

} // namespace

TEST(NSNotificationCenter, DeliversByNameAndSenderInTheOrderObserversWereAdded) {
  NSAutoreleasePool pool;
  Ref<NSNotificationCenter> center = adopted(NSNotificationCenter::alloc());
  Ref<NSObject> door = adopted(NSObject::alloc()->init());
  Ref<NSObject> window = adopted(NSObject::alloc()->init());
  std::vector<std::string> heard;
  center->addObserverForName(kOpened, nullptr, [&](NSNotification* note) {
    heard.push_back("any opened by " + std::string(note->object() == door ? "door" : "window"));
  });
  center->addObserverForName(kOpened, door, [&](NSNotification*) { heard.push_back("door"); });
  center->addObserverForName(
      "", nullptr, [&](NSNotification* note) { heard.push_back(std::string(note->name())); });
  center->postNotificationName(kOpened, door);
  center->postNotificationName(kOpened, window);
  center->postNotificationName(kClosed, door);
  EXPECT_EQ(heard, (std::vector<std::string>{"any opened by door", "door", "Opened",
                                             "any opened by window", "Opened", "Closed"}));
}

TEST(NSNotificationCenter, RemovedObserversHearNothingAndBlocksMayChangeTheObservers) {
  NSAutoreleasePool pool;
  Ref<NSNotificationCenter> center = adopted(NSNotificationCenter::alloc());
  int first = 0, second = 0, late = 0;
  NSObject* firstObserver = nullptr;
  firstObserver = center->addObserverForName(kOpened, nullptr, [&](NSNotification*) {
    ++first;
    // Removing itself and adding another during a post takes effect from the next post.
    center->removeObserver(firstObserver);
    center->addObserverForName(kOpened, nullptr, [&](NSNotification*) { ++late; });
  });
  center->addObserverForName(kOpened, nullptr, [&](NSNotification*) { ++second; });
  center->postNotificationName(kOpened, nullptr);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(late, 0);
  center->postNotificationName(kOpened, nullptr);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(late, 1);
}

TEST(NSNotificationCenter, ASenderThatIsGoneNoLongerMatchesAndIsNotKeptAlive) {
  NSAutoreleasePool pool;
  Ref<NSNotificationCenter> center = adopted(NSNotificationCenter::alloc());
  Ref<NSObject> door = adopted(NSObject::alloc()->init());
  int heard = 0;
  center->addObserverForName(kOpened, door, [&](NSNotification*) { ++heard; });
  const auto withDoor = NSObject::classCensus().live();
  door = nullptr;
  EXPECT_EQ(NSObject::classCensus().live(), withDoor - 1);
  Ref<NSObject> other = adopted(NSObject::alloc()->init());
  center->postNotificationName(kOpened, other);
  center->postNotificationName(kOpened, nullptr);
  EXPECT_EQ(heard, 0);
}
