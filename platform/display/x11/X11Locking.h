// The X11 display's lock and threads, with their rules checked by the compiler (Clang's
// thread-safety analysis, -Wthread-safety in a Clang build): a member marked
// X11_GUARDED_BY(mutex_) is touched only with the lock held, and a function marked
// X11_REQUIRES(mutex_) (the display's *Locked ones) is called only with it held. A member that
// only one thread touches is guarded by that thread's role (X11ThreadRole) the same way: a
// function that runs on the thread claims the role, or requires it of its callers. Other
// compilers see a plain mutex, a plain guard and roles that are nothing.
#pragma once

#include <mutex>

#if defined(__clang__)
#define X11_THREAD_ANNOTATION(attribute) __attribute__((attribute))
#else
#define X11_THREAD_ANNOTATION(attribute)
#endif

#define X11_CAPABILITY(name) X11_THREAD_ANNOTATION(capability(name))
#define X11_SCOPED_CAPABILITY X11_THREAD_ANNOTATION(scoped_lockable)
#define X11_GUARDED_BY(mutex) X11_THREAD_ANNOTATION(guarded_by(mutex))
#define X11_REQUIRES(...) X11_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define X11_ACQUIRE(...) X11_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define X11_RELEASE(...) X11_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define X11_ASSERT_CAPABILITY(x) X11_THREAD_ANNOTATION(assert_capability(x))

class X11_CAPABILITY("mutex") X11Mutex {
public:
  void lock() X11_ACQUIRE() { mutex_.lock(); }
  void unlock() X11_RELEASE() { mutex_.unlock(); }

private:
  std::mutex mutex_;
};

// Holds the lock for its scope, as std::lock_guard does.
class X11_SCOPED_CAPABILITY X11Lock {
public:
  explicit X11Lock(X11Mutex& mutex) X11_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~X11Lock() X11_RELEASE() { mutex_.unlock(); }
  X11Lock(const X11Lock&) = delete;
  X11Lock& operator=(const X11Lock&) = delete;

private:
  X11Mutex& mutex_;
};

// A thread's role (the main thread, the display's event thread) as a capability. Code that runs
// on the thread says so with claim(), after which the compiler lets it touch what the role
// guards; nothing is checked at run time.
class X11_CAPABILITY("thread role") X11ThreadRole {
public:
  void claim() const X11_ASSERT_CAPABILITY(this) {}
};
