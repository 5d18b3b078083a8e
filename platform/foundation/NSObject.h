// NSObject: the root of every platform class. Objects carry an intrusive reference count, as
// Foundation's do under manual reference counting: alloc() gives an object owned by the caller,
// retain()/release() adjust the count, autorelease() hands one reference to the innermost
// NSAutoreleasePool of the current thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <utility>

#include "Selector.h"

class NSString;

// Declares the class-name query and the factory of a concrete platform class.
#define NS_OBJECT_CLASS(Class)                                                                     \
public:                                                                                            \
  static Class* alloc() {                                                                          \
    return new Class();                                                                            \
  }                                                                                                \
  const char* className() const override {                                                         \
    return #Class;                                                                                 \
  }                                                                                                \
                                                                                                   \
protected:                                                                                         \
  Class() = default;                                                                               \
                                                                                                   \
public:

// An action that a class answers: the selector and the member it runs, with the sender.
struct NSActionEntry {
  SEL selector;
  void (*invoke)(class NSObject* receiver, NSObject* sender);
};

class NSObject {
public:
  static NSObject* alloc() { return new NSObject(); }
  NSObject* init() { return this; }

  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  NSObject* retain();
  void release();
  NSObject* autorelease();
  std::size_t retainCount() const { return refs_.load(std::memory_order_relaxed); }

  virtual const char* className() const { return "NSObject"; }
  // "<ClassName: 0x7f...>", as NSObject prints itself.
  virtual NSString* description() const;
  virtual bool isEqual(const NSObject* other) const { return other == this; }
  virtual std::size_t hash() const { return reinterpret_cast<std::size_t>(this) >> 4; }

  // Actions: a class lists the selectors it answers in actionTable(); respondsToSelector and
  // performAction look them up there, as the Objective-C runtime looks up a method.
  bool respondsToSelector(SEL selector) const;
  bool performAction(SEL selector, NSObject* sender);

protected:
  NSObject() = default;
  virtual ~NSObject() = default;
  virtual std::span<const NSActionEntry> actionTable() const { return {}; }

private:
  std::atomic<std::size_t> refs_{1};
};

// Dynamic class test and cast, like isKindOfClass: followed by a cast; nil-safe.
template <class T> T* ns_cast(const NSObject* object) {
  return dynamic_cast<T*>(const_cast<NSObject*>(object));
}

// A strong reference inside the platform: retains what it holds, releases it when it lets go.
template <class T> class Ref {
public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  explicit Ref(T* object) : object_(object) {
    if (object_) object_->retain();
  }
  // Takes over a reference the caller owns (a fresh alloc()), without retaining again.
  static Ref adopt(T* object) {
    Ref ref;
    ref.object_ = object;
    return ref;
  }
  Ref(const Ref& other) : Ref(other.object_) {}
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  template <class U> Ref(const Ref<U>& other) : Ref(static_cast<T*>(other.get())) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() {
    if (object_) object_->release();
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  operator T*() const { return object_; }

private:
  T* object_ = nullptr;
};

template <class T> Ref<T> retained(T* object) {
  return Ref<T>(object);
}
template <class T> Ref<T> adopted(T* object) {
  return Ref<T>::adopt(object);
}
