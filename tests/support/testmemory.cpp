#include "testmemory.h"

#include <cstdlib>
#include <new>

namespace {

// Plain ints with constant initialisation: operator new may run before any constructor.
thread_local long t_newCalls = 0;
thread_local int t_newPaused = 0;

}  // namespace

// The replaced global allocation functions; the array forms call these. The nothrow forms are
// replaced too: a sanitizer's own nothrow new would hand out blocks that the delete here frees as
// malloc blocks. Nothing here allocates with an alignment beyond the default.
void* operator new(std::size_t size) {
  void* p = operator new(size, std::nothrow);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (t_newPaused == 0)
    ++t_newCalls;
  return std::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

CountingMemory::CountingMemory() : m_previous(g_MemoryPtr) {
  g_MemoryPtr = this;
}

CountingMemory::~CountingMemory() {
  g_MemoryPtr = m_previous;
}

void* CountingMemory::alloc(int tag, size_t size, const char* file, unsigned int line) {
  ++m_allocCalls;
  return MemoryMgr::alloc(tag, size, file, line);
}

void CountingMemory::free(int tag, void* p) {
  ++m_freeCalls;
  MemoryMgr::free(tag, p);
}

FailingMemory::FailingMemory(long n, bool andAfter) : m_failAt(n), m_andAfter(andAfter) {}

void* FailingMemory::alloc(int tag, size_t size, const char* file, unsigned int line) {
  long seen = ++m_seen;
  if (seen == m_failAt || (m_andAfter && seen > m_failAt)) {
    ++m_failures;
    return nullptr;
  }
  return CountingMemory::alloc(tag, size, file, line);
}

GlobalNewCounter::GlobalNewCounter() : m_start(t_newCalls) {}

long GlobalNewCounter::calls() const {
  return t_newCalls - m_start;
}

GlobalNewPause::GlobalNewPause() {
  ++t_newPaused;
}

GlobalNewPause::~GlobalNewPause() {
  --t_newPaused;
}
