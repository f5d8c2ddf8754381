#pragma once

#include "core.h"

#include <cstddef>

// Class-level allocation through the engine's memory manager under one tag. Failure returns
// null instead of throwing, so the operators are noexcept and C++ skips the constructor.
// `new (__FILE__, __LINE__) T` names the source for the manager; a plain `new T` goes through the
// same tagged manager with no source.
template <int Tag>
class Allocator {
public:
  static void* operator new(size_t size, const char* file, unsigned int line) noexcept {
    return g_MemoryPtr ? g_MemoryPtr->alloc(Tag, size, file, line) : nullptr;
  }
  static void* operator new(size_t size) noexcept { return operator new(size, "", 0); }
  static void operator delete(void* p) noexcept {
    if (p && g_MemoryPtr)
      g_MemoryPtr->free(Tag, p);
  }
  // Only called by the language if a constructor throws; none of the library's does.
  static void operator delete(void* p, const char*, unsigned int) noexcept { operator delete(p); }

  Allocator() = default;
  Allocator(const Allocator&) = default;
  Allocator& operator=(const Allocator&) { return *this; }
};
