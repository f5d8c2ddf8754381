#include "uithread.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace {

// Ids only tell threads apart in logs and tests; 0 stays free for "no thread".
std::atomic<unsigned int> s_nextThreadId {1};

}  // namespace

uiThread::~uiThread() {
  wait(nullptr, WAIT_FOREVER);
}

bool uiThread::start(Routine routine, void* argument) {
  if (m_thread.joinable())
    return false;
  m_done = false;
  // The standard library reports a failure to make a thread by throwing; the library does not.
  try {
    m_thread = std::thread(&uiThread::_run, this, routine, argument);
  } catch (const std::system_error&) {
    return false;
  }
  threadId = s_nextThreadId++;
  return true;
}

int uiThread::wait(unsigned int* exitCode, unsigned int timeout) {
  if (!m_thread.joinable())
    return 1;
  if (m_thread.get_id() == std::this_thread::get_id())
    return -1;
  {
    std::unique_lock<std::mutex> guard(m_mutex);
    auto ended = [this] { return m_done; };
    if (timeout == WAIT_FOREVER)
      m_ended.wait(guard, ended);
    else if (!m_ended.wait_for(guard, std::chrono::milliseconds(timeout), ended))
      return -1;
  }
  m_thread.join();
  if (exitCode)
    *exitCode = m_exitCode;
  threadId = 0;
  return 0;
}

void uiThread::_run(Routine routine, void* argument) {
  unsigned int exitCode = routine(argument);
  std::lock_guard<std::mutex> guard(m_mutex);
  m_exitCode = exitCode;
  m_done = true;
  m_ended.notify_all();
}
