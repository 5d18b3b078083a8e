#include "foundation/runtime/NSObject.h"

#include <memory>
#include <mutex>
#include <vector>

#include "foundation/runtime/Assert.h"
#include "foundation/runtime/NSAutoreleasePool.h"

NSObject* NSObject::retain() {
  if (!isImmortal()) {
    const std::size_t before = refs_.fetch_add(1, std::memory_order_relaxed);
    BRIX_ASSERT(before != 0, "retained an object that is being deallocated: its last reference "
                             "was already released");
  }
  return this;
}

NSObject* NSObject::makeImmortal() {
  if (isImmortal()) return this;
  refs_.store(kImmortalRetainCount, std::memory_order_release);
  if (census_) census_->objectDeallocated();
  return this;
}

namespace {

// Guards the object pointers of all weak-reference boxes, so that a weak load never sees an
// object that another thread is deallocating.
std::mutex& weakReferenceLock() {
  static std::mutex lock;
  return lock;
}

} // namespace

// Nearly every owner has a single associated object (its action target), so the first entry
// lives in the block itself and only further keys take a vector.
struct NSObject::AssociatedObjects {
  static void* operator new(std::size_t size) { return smallObjectAllocate(size); }
  static void operator delete(void* block, std::size_t size) { smallObjectFree(block, size); }

  using Entry = std::pair<const void*, Ref<NSObject>>;
  Entry first{nullptr, nullptr};
  // Made for a second key only, so that the block of an object with one stays small.
  std::unique_ptr<std::vector<Entry>> more;

  Entry* find(const void* key) {
    if (first.second && first.first == key) return &first;
    if (more)
      for (auto& entry : *more)
        if (entry.first == key) return &entry;
    return nullptr;
  }
};

void NSObject::release() {
  if (isImmortal()) return;
  if (const std::size_t before = refs_.fetch_sub(1, std::memory_order_acq_rel); before != 1) {
    BRIX_ASSERT(before != 0, "released an object more often than it was retained");
    return;
  }
  // Weak references read nil from here on, before any part of the object is torn down.
  if (NSWeakReferenceBox* box = weakBox_.load(std::memory_order_acquire)) {
    {
      std::lock_guard guard(weakReferenceLock());
      box->object_ = nullptr;
    }
    box->release();
  }
  if (census_) census_->objectDeallocated();
  // Associated objects go after the object itself, as the runtime releases them at dispose.
  std::unique_ptr<AssociatedObjects> associated(associated_);
  delete this;
}

void NSObject::setAssociatedObject(const void* key, NSObject* value) {
  associate(key, Ref<NSObject>(value));
}

void NSObject::associate(const void* key, Ref<NSObject>&& value) {
  if (!associated_) {
    if (!value) return;
    associated_ = new AssociatedObjects();
  }
  AssociatedObjects& associated = *associated_;
  if (AssociatedObjects::Entry* entry = associated.find(key)) {
    // Released after the entry is gone, in case its deallocation touches this object.
    Ref<NSObject> released = std::move(entry->second);
    if (value) {
      entry->second = std::move(value);
    } else if (entry == &associated.first) {
      associated.first.first = nullptr;
    } else {
      associated.more->erase(associated.more->begin() + (entry - associated.more->data()));
    }
    return;
  }
  if (!value) return;
  if (!associated.first.second)
    associated.first = {key, std::move(value)};
  else {
    if (!associated.more)
      associated.more = std::make_unique<std::vector<AssociatedObjects::Entry>>();
    associated.more->emplace_back(key, std::move(value));
  }
}

NSObject* NSObject::associatedObject(const void* key) const {
  if (!associated_) return nullptr;
  if (AssociatedObjects::Entry* entry = associated_->find(key)) return entry->second;
  return nullptr;
}

bool NSObject::tryRetain() {
  std::size_t count = refs_.load(std::memory_order_relaxed);
  if (count >= kImmortalRetainCount) return true;
  while (count != 0)
    if (refs_.compare_exchange_weak(count, count + 1, std::memory_order_relaxed)) return true;
  return false;
}

NSWeakReferenceBox* NSObject::retainedWeakBox() {
  BRIX_ASSERT(refs_.load(std::memory_order_relaxed) != 0,
              "a weak reference was made to an object that is being deallocated");
  NSWeakReferenceBox* box = weakBox_.load(std::memory_order_acquire);
  if (!box) {
    auto* fresh = new NSWeakReferenceBox(this);
    fresh->refs_.store(2, std::memory_order_relaxed); // the object's and the caller's
    if (weakBox_.compare_exchange_strong(box, fresh, std::memory_order_acq_rel)) return fresh;
    delete fresh; // another thread made one first
  }
  box->retain();
  return box;
}

NSObject* NSWeakReferenceBox::load() const {
  std::lock_guard guard(weakReferenceLock());
  return object_;
}

NSObject* NSWeakReferenceBox::loadRetained() const {
  std::lock_guard guard(weakReferenceLock());
  return object_ && object_->tryRetain() ? object_ : nullptr;
}

void NSWeakReferenceBox::release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

NSObject* NSObject::autorelease() {
  NSAutoreleasePool::addObject(this);
  return this;
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
