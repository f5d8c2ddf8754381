#pragma once

#include "core.h"

#include <atomic>

// A memory manager that counts the calls it gets and otherwise works as the default one. It
// installs itself in g_MemoryPtr while it lives and puts the previous manager back afterwards.
// Its liveCount/liveBytes cover the blocks it handed out, so a fresh one starts from zero.
class CountingMemory : public MemoryMgr {
public:
  CountingMemory();
  ~CountingMemory() override;
  CountingMemory(const CountingMemory&) = delete;
  CountingMemory& operator=(const CountingMemory&) = delete;

  void* alloc(int tag, size_t size, const char* file, unsigned int line) override;
  void free(int tag, void* p) override;

  long allocCalls() const { return m_allocCalls; }
  long freeCalls() const { return m_freeCalls; }
  void resetCalls() { m_allocCalls = m_freeCalls = 0; }

private:
  MemoryMgr* m_previous = nullptr;
  std::atomic<long> m_allocCalls {0};
  std::atomic<long> m_freeCalls {0};
};

// Fails the n-th allocation (counting from 1), and with `andAfter` every later one too: a test
// runs an operation for each n until it no longer fails, checking that nothing leaked.
class FailingMemory : public CountingMemory {
public:
  explicit FailingMemory(long n, bool andAfter = false);

  void* alloc(int tag, size_t size, const char* file, unsigned int line) override;

  long failures() const { return m_failures; }  // allocations refused so far

private:
  long m_failAt;
  bool m_andAfter;
  std::atomic<long> m_seen {0};
  std::atomic<long> m_failures {0};
};

// Counts the current thread's calls of the global operator new since it was made, except those
// of the recording backends and the capturing log: a frame that allocates nothing adds none.
class GlobalNewCounter {
public:
  GlobalNewCounter();
  long calls() const;

private:
  long m_start;
};

// Stops the current thread's count of global operator new calls for the life of a scope.
class GlobalNewPause {
public:
  GlobalNewPause();
  ~GlobalNewPause();
  GlobalNewPause(const GlobalNewPause&) = delete;
  GlobalNewPause& operator=(const GlobalNewPause&) = delete;
};
