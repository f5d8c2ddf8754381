#include "uithread.h"

#include <gtest/gtest.h>

#include <future>

namespace {

// Runs until the test releases it, then ends with 42.
unsigned int waitForRelease(void* released) {
  static_cast<std::shared_future<void>*>(released)->wait();
  return 42;
}

}  // namespace

// wait: 1 with no thread, -1 on timeout, 0 and the exit code once the thread has ended; the
// destructor waits for the thread.
TEST(uiThread, WaitReportsNoThreadTimeoutAndExitCode) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  uiThread thread;
  unsigned int exitCode = 0;
  EXPECT_EQ(thread.wait(&exitCode, 0), 1);
  ASSERT_TRUE(thread.start(waitForRelease, &released));
  EXPECT_FALSE(thread.start(waitForRelease, &released)) << "one thread at a time";
  EXPECT_EQ(thread.wait(&exitCode, 10), -1);
  release.set_value();
  EXPECT_EQ(thread.wait(&exitCode, uiThread::WAIT_FOREVER), 0);
  EXPECT_EQ(exitCode, 42u);
  EXPECT_EQ(thread.wait(nullptr, 0), 1) << "the holder is empty again";
  bool finished = false;
  {
    uiThread waited;
    ASSERT_TRUE(waited.start([](void* flag) -> unsigned int {
      *static_cast<bool*>(flag) = true;
      return 0;
    }, &finished));
  }
  EXPECT_TRUE(finished) << "the destructor waits for the thread";
}
