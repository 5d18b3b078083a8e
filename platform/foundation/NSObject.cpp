#include "NSObject.h"

#include "NSAutoreleasePool.h"
#include "NSString.h"

NSObject* NSObject::retain() {
  refs_.fetch_add(1, std::memory_order_relaxed);
  return this;
}

void NSObject::release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

NSObject* NSObject::autorelease() {
  NSAutoreleasePool::addObject(this);
  return this;
}

NSString* NSObject::description() const {
  return NSString::stringWithFormat("<%s: %p>", className(), static_cast<const void*>(this));
}

bool NSObject::respondsToSelector(SEL selector) const {
  if (!selector) return false;
  for (const auto& entry : actionTable())
    if (entry.selector == selector) return true;
  return false;
}

bool NSObject::performAction(SEL selector, NSObject* sender) {
  if (!selector) return false;
  for (const auto& entry : actionTable()) {
    if (entry.selector == selector) {
      // The action may drop the last outside reference to the receiver; keep it alive until
      // the action has returned.
      Ref<NSObject> protector(this);
      entry.invoke(this, sender);
      return true;
    }
  }
  return false;
}
