#include "uithread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

// A routine that runs until the test lets it go, then ends with a known code.
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

TEST(uiThread, WaitReportsNoThreadTimeoutAndExitCode) {
  uiThread thread;
  unsigned int exitCode = 0;
  EXPECT_EQ(thread.wait(&exitCode, 0), 1) << "no thread yet";

  Gate gate;
  ASSERT_TRUE(thread.start(Gate::routine, &gate));
  EXPECT_NE(thread.threadId, 0u);
  EXPECT_FALSE(thread.start(Gate::routine, &gate)) << "one thread at a time";
  EXPECT_EQ(thread.wait(&exitCode, 0), -1);
  EXPECT_EQ(thread.wait(&exitCode, 10), -1);
  EXPECT_EQ(exitCode, 0u);

  gate.release();
  EXPECT_EQ(thread.wait(&exitCode, uiThread::WAIT_FOREVER), 0);
  EXPECT_EQ(exitCode, 42u);
  EXPECT_EQ(thread.threadId, 0u);
  EXPECT_EQ(thread.wait(nullptr, 0), 1) << "the holder is empty again";
}

TEST(uiThread, DestructorWaitsForTheThread) {
  Gate gate;
  {
    uiThread thread;
    ASSERT_TRUE(thread.start(Gate::routine, &gate));
    gate.release();
  }
  EXPECT_TRUE(gate.finished);
}
