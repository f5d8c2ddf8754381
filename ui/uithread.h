#pragma once

#include "uiallocator.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Holds one worker thread and lets its owner wait for it with a time limit. The holder comes from
// the memory manager under tag 0, like the library's other transient objects.
class uiThread : public Allocator<0> {
public:
  typedef unsigned int (*Routine)(void* argument);

  static const unsigned int WAIT_FOREVER = 0xFFFFFFFF;

  uiThread() = default;
  virtual ~uiThread();  // waits for the thread without time limit
  uiThread(const uiThread&) = delete;
  uiThread& operator=(const uiThread&) = delete;

  // Starts the routine on a new thread at once; false when no thread could be made. A holder runs
  // one thread at a time: starting again before a successful wait fails.
  bool start(Routine routine, void* argument);
  // Waits up to timeout milliseconds (WAIT_FOREVER: no limit) for the thread to end. Returns 1
  // when there is no thread, -1 when the time ran out (or when the thread asks to wait for
  // itself), and 0 when it ended: its exit code is then stored when exitCode is not null, and the
  // holder is empty again.
  int wait(unsigned int* exitCode, unsigned int timeout);

  unsigned int threadId = 0;  // 0 when there is no thread

private:
  void _run(Routine routine, void* argument);

  std::thread m_thread;
  std::mutex m_mutex;  // guards the two fields below, written by the thread as it ends
  std::condition_variable m_ended;
  bool m_done = false;
  unsigned int m_exitCode = 0;
};
