#include "uilock.h"

#include "core.h"

#include <new>

uiLock::~uiLock() = default;

uiLock* uiLock::create(const char* file, unsigned int line) {
  void* memory = g_MemoryPtr ? g_MemoryPtr->alloc(0, sizeof(uiLock), file, line) : nullptr;
  return memory ? new (memory) uiLock() : nullptr;
}

void uiLock::destroy(uiLock* lock) {
  if (!lock)
    return;
  lock->~uiLock();
  g_MemoryPtr->free(0, lock);
}
