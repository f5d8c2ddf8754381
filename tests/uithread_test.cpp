#include "uithread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

// A routine that runs until the test lets it go, then ends with 42.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  bool finished = false;

  static unsigned int routine(void* argument) {
    auto* gate = static_cast<Gate*>(argument);
    std::unique_lock<std::mutex> guard(gate->mutex);
    gate->opened.wait(guard, [gate] { return gate->open; });
    gate->finished = true;
    return 42;
  }
  void release() {
    std::lock_guard<std::mutex> guard(mutex);
    open = true;
    opened.notify_all();
  }
};

}  // namespace

// wait: 1 with no thread, -1 on timeout, 0 and the exit code once the thread has ended.
TEST(uiThread, WaitReportsNoThreadTimeoutAndExitCode) {
  uiThread thread;
  unsigned int exitCode = 0;
  EXPECT_EQ(thread.wait(&exitCode, 0), 1);
  Gate gate;
  ASSERT_TRUE(thread.start(Gate::routine, &gate));
  EXPECT_FALSE(thread.start(Gate::routine, &gate)) << "one thread at a time";
  EXPECT_EQ(thread.wait(&exitCode, 10), -1);
  gate.release();
  EXPECT_EQ(thread.wait(&exitCode, uiThread::WAIT_FOREVER), 0);
  EXPECT_EQ(exitCode, 42u);
  EXPECT_EQ(thread.wait(nullptr, 0), 1) << "the holder is empty again";

  Gate second;
  {
    uiThread waited;
    ASSERT_TRUE(waited.start(Gate::routine, &second));
    second.release();
  }
  EXPECT_TRUE(second.finished) << "the destructor waits for the thread";
}
