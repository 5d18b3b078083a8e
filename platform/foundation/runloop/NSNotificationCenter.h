// NSNotificationCenter: observers register a block for a notification name (and optionally one
// sender); posting calls every matching block synchronously, on the posting thread, in the
// order they were added. Any thread may add, remove and post; a block may add or remove
// observers, which takes effect from the next post.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/runloop/NSNotification.h"

class NSNotificationCenter : public NSObject {
  NS_OBJECT_CLASS(NSNotificationCenter)

  using Block = std::function<void(NSNotification*)>;

  static NSNotificationCenter* defaultCenter();

  // Calls block for every notification with that name (every name when empty) whose sender is
  // object (any sender when nil; the centre does not keep the sender). Returns the observer,
  // which the centre keeps until removeObserver.
  NSObject* addObserverForName(NSNotificationName name, NSObject* object, Block block);
  void removeObserver(NSObject* observer);
  void postNotificationName(NSNotificationName name, NSObject* object);

private:
  struct Observer {
    Ref<NSObject> token;
    std::string name;
    Weak<NSObject> sender;
    bool anySender;
    std::shared_ptr<Block> block;
  };
  std::mutex mutex_;
  std::vector<Observer> observers_;
};
