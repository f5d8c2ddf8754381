#pragma once

#include <mutex>

// A recursive lock: the same thread may enter it again, which the frame relies on (callbacks
// that run inside a frame call back into the UI manager).
class uiLock {
public:
  uiLock() = default;
  virtual ~uiLock();
  uiLock(const uiLock&) = delete;
  uiLock& operator=(const uiLock&) = delete;

  void enter() { m_mutex.lock(); }
  void leave() { m_mutex.unlock(); }

  // Allocates a lock through the memory manager (tag 0); null when memory runs out.
  static uiLock* create(const char* file, unsigned int line);
  static void destroy(uiLock* lock);

private:
  std::recursive_mutex m_mutex;
};

// Holds a lock for the life of a scope; a null lock is not entered.
class uiLockGuard {
public:
  explicit uiLockGuard(uiLock* lock) : m_lock(lock) {
    if (m_lock)
      m_lock->enter();
  }
  ~uiLockGuard() {
    if (m_lock)
      m_lock->leave();
  }
  uiLockGuard(const uiLockGuard&) = delete;
  uiLockGuard& operator=(const uiLockGuard&) = delete;

private:
  uiLock* m_lock;
};
