#include "foundation/runloop/NSNotificationCenter.h"

#include <algorithm>

NSNotificationCenter* NSNotificationCenter::defaultCenter() {
  // Lives for the process, as Foundation's default centre does.
  static NSNotificationCenter* center = NSNotificationCenter::alloc();
  return center;
}

NSObject* NSNotificationCenter::addObserverForName(NSNotificationName name, NSObject* object,
                                                   Block block) {
  Ref<NSObject> token = adopted(NSObject::alloc()->init());
  std::lock_guard lock(mutex_);
  observers_.push_back({token, std::string(name), object, object == nullptr,
                        std::make_shared<Block>(std::move(block))});
  return token.get();
}

void NSNotificationCenter::removeObserver(NSObject* observer) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [observer](const Observer& entry) { return entry.token == observer; });
}

void NSNotificationCenter::postNotificationName(NSNotificationName name, NSObject* object) {
  std::vector<std::shared_ptr<Block>> matching;
  {
    std::lock_guard lock(mutex_);
    for (const Observer& entry : observers_)
      if ((entry.name.empty() || entry.name == name) &&
          (entry.anySender || (object && entry.sender.get() == object)))
        matching.push_back(entry.block);
  }
  if (matching.empty()) return;
  Ref<NSNotification> notification = adopted(NSNotification::alloc()->initWithName(name, object));
  for (const auto& block : matching)
    (*block)(notification.get());
}
