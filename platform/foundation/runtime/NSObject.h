// NSObject: the root of every platform class. Objects carry an intrusive reference count, as
// Foundation's do under manual reference counting: alloc() gives an object owned by the caller,
// retain()/release() adjust the count, autorelease() hands one reference to the innermost
// NSAutoreleasePool of the current thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

#include "foundation/runtime/NSCensus.h"
#include "foundation/runtime/Selector.h"
#include "foundation/runtime/SmallObjectMemory.h"

class NSString;
class NSWeakReferenceBox;
template <class T> class Ref;

// Declares the class-name query and the factory of a concrete platform class. Every object made
// through alloc() is counted in the census of its class until it is deallocated.
#define NS_OBJECT_CLASS(Class)                                                                     \
public:                                                                                            \
  static Class* alloc() {                                                                          \
    Class* object = new Class();                                                                   \
    object->enterCensus(classCensus());                                                            \
    return object;                                                                                 \
  }                                                                                                \
  static NSCensusEntry& classCensus() {                                                            \
    static NSCensusEntry entry(#Class);                                                            \
    return entry;                                                                                  \
  }                                                                                                \
  const char* className() const override {                                                         \
    return #Class;                                                                                 \
  }                                                                                                \
  static Class* declaredClass() {                                                                  \
    return nullptr;                                                                                \
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
  static NSObject* alloc() {
    NSObject* object = new NSObject();
    object->enterCensus(classCensus());
    return object;
  }
  static NSCensusEntry& classCensus() {
    static NSCensusEntry entry("NSObject");
    return entry;
  }
  // The class that declared the census entry in force (NS_OBJECT_CLASS redeclares it).
  static NSObject* declaredClass() { return nullptr; }
  NSObject* init() { return this; }

  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  // Objects live in the platform's small-object memory: the deleting destructor passes the size
  // of the object's own class.
  static void* operator new(std::size_t size) { return smallObjectAllocate(size); }
  static void operator delete(void* object, std::size_t size) { smallObjectFree(object, size); }
  static void* operator new(std::size_t size, std::align_val_t alignment) {
    return ::operator new(size, alignment);
  }
  static void operator delete(void* object, std::size_t, std::align_val_t alignment) {
    ::operator delete(object, alignment);
  }

  NSObject* retain();
  void release();
  NSObject* autorelease();
  std::size_t retainCount() const { return refs_.load(std::memory_order_relaxed); }
  // Makes a constant that is made once and shared by every caller (the empty string, a
  // dictionary key) live for the rest of the process, as Foundation's literal strings do: retain
  // and release no longer count, so a caller's extra release cannot free it, and retainCount()
  // reads kImmortalRetainCount. It leaves the census, which counts what work makes and frees.
  // (The atomic operations it spares are not what it is for: BM_BuildContextMenu within -1.3%
  // and +1.0% with the menu keys counted, bench_menu_build, medians of 10 runs interleaved off
  // and on.) Call it before the object is shared with another thread.
  NSObject* makeImmortal();
  bool isImmortal() const { return retainCount() >= kImmortalRetainCount; }
  static constexpr std::size_t kImmortalRetainCount = static_cast<std::size_t>(-1) / 2;

  virtual const char* className() const { return "NSObject"; }
  // A quick isMemberOfClass: by the census entry alloc() gave, a pointer comparison. Each shared
  // library has its own entries, so an object made in another library answers false: a true
  // answer is exact, a false one needs a dynamic test. Only for NS_OBJECT_CLASS classes.
  template <class T> bool isMemberOfClass() const {
    static_assert(std::is_same_v<decltype(T::declaredClass()), T*>, "T has no census entry");
    return census_ == &T::classCensus();
  }
  // "<ClassName: 0x7f...>", as NSObject prints itself.
  virtual NSString* description() const;
  virtual bool isEqual(const NSObject* other) const { return other == this; }
  virtual std::size_t hash() const { return reinterpret_cast<std::size_t>(this) >> 4; }

  // Actions: a class lists the selectors it answers in actionTable(); respondsToSelector and
  // performAction look them up there, as the Objective-C runtime looks up a method.
  bool respondsToSelector(SEL selector) const;
  bool performAction(SEL selector, NSObject* sender);

  // Associated objects, as the Objective-C runtime keeps them: value is retained under key for as
  // long as this object lives (or until replaced; nil removes it). The way to tie a helper, such
  // as an action target that nothing else owns, to the lifetime of what uses it.
  void setAssociatedObject(const void* key, NSObject* value);
  // The same, taking over the caller's reference.
  template <class T> void setAssociatedObject(const void* key, Ref<T>&& value) {
    associate(key, Ref<NSObject>(std::move(value)));
  }
  NSObject* associatedObject(const void* key) const;

  // Counts this object in entry until it is deallocated; called once, by alloc().
  void enterCensus(NSCensusEntry& entry) {
    census_ = &entry;
    entry.objectCreated();
  }

protected:
  NSObject() = default;
  virtual ~NSObject() = default;
  virtual std::span<const NSActionEntry> actionTable() const { return {}; }

private:
  void associate(const void* key, Ref<NSObject>&& value);
  template <class T> friend class Weak;
  friend class NSWeakReferenceBox;

  // The box that weak references to this object share, made on first use, with one more
  // reference for the caller.
  NSWeakReferenceBox* retainedWeakBox();
  // Retains unless the count has already reached zero (the object is being deallocated).
  bool tryRetain();

  std::atomic<std::size_t> refs_{1};
  NSCensusEntry* census_ = nullptr;
  std::atomic<NSWeakReferenceBox*> weakBox_{nullptr};
  struct AssociatedObjects;
  AssociatedObjects* associated_ = nullptr;
};

// Dynamic class test and cast, like isKindOfClass: followed by a cast; nil-safe. (Recognising
// an object of exactly T by its census entry first bought nothing measurable: BM_BuildContextMenu
// within -6% and +0.1%, bench_menu_build, medians of 10 runs interleaved off and on.)
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
  // Takes over the reference other holds, without retaining again (cast as the copy is).
  template <class U>
  Ref(Ref<U>&& other) noexcept : object_(static_cast<T*>(std::exchange(other.object_, nullptr))) {}
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
  template <class U> friend class Ref;
  T* object_ = nullptr;
};

// What weak references to one object share: the object while it lives, nil from the moment its
// last strong reference goes. The box itself lives as long as the object or any weak reference.
class NSWeakReferenceBox {
public:
  explicit NSWeakReferenceBox(NSObject* object) : object_(object) {}
  static void* operator new(std::size_t size) { return smallObjectAllocate(size); }
  static void operator delete(void* box, std::size_t size) { smallObjectFree(box, size); }
  // The object, or nil once it is deallocating. Not retained: use it on the thread that owns it.
  NSObject* load() const;
  // The object retained, or nil; safe against deallocation on another thread.
  NSObject* loadRetained() const;
  void retain() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release();

private:
  friend class NSObject;
  NSObject* object_;
  std::atomic<std::size_t> refs_{1}; // the object's own reference, plus one per weak reference
};

// A zeroing weak reference: holds its object without retaining it and reads as nil once the
// object has been deallocated, as a __weak variable does. Used for what AppKit does not retain
// (superview, window, parent menu, target, delegate) and for globals that must not outlive
// what they name.
template <class T> class Weak {
public:
  Weak() = default;
  Weak(std::nullptr_t) {}
  Weak(T* object) { reset(object); }
  Weak(const Weak& other) : object_(other.object_), box_(other.box_) {
    if (box_) box_->retain();
  }
  Weak(Weak&& other) noexcept
      : object_(std::exchange(other.object_, nullptr)), box_(std::exchange(other.box_, nullptr)) {}
  Weak& operator=(T* object) {
    reset(object);
    return *this;
  }
  Weak& operator=(const Weak& other) {
    if (this != &other) {
      if (other.box_) other.box_->retain();
      if (box_) box_->release();
      box_ = other.box_;
      object_ = other.object_;
    }
    return *this;
  }
  Weak& operator=(Weak&& other) noexcept {
    std::swap(box_, other.box_);
    std::swap(object_, other.object_);
    return *this;
  }
  ~Weak() {
    if (box_) box_->release();
  }

  // The object, or nil once it is gone.
  T* get() const { return box_ && box_->load() ? object_ : nullptr; }
  // A strong reference for as long as the caller needs the object.
  Ref<T> strong() const { return box_ && box_->loadRetained() ? Ref<T>::adopt(object_) : Ref<T>(); }
  T* operator->() const { return get(); }
  operator T*() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }

private:
  void reset(T* object) {
    NSWeakReferenceBox* box = object ? static_cast<NSObject*>(object)->retainedWeakBox() : nullptr;
    if (box_) box_->release();
    box_ = box;
    object_ = object;
  }

  // Kept beside the box so that reading needs no conversion (T may be incomplete there).
  T* object_ = nullptr;
  NSWeakReferenceBox* box_ = nullptr;
};

template <class T> Ref<T> retained(T* object) {
  return Ref<T>(object);
}
template <class T> Ref<T> adopted(T* object) {
  return Ref<T>::adopt(object);
}
