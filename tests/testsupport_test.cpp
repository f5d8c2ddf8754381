#include "capturelog.h"
#include "recordinggfx.h"
#include "testmemory.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

// The fakes decide what many other tests prove: if one of them stopped seeing faults, those
// tests would pass without proving anything.
TEST(TestSupport, FakesSeeWhatOtherTestsRelyOn) {
  EXPECT_NONFATAL_FAILURE({ CaptureLog log; udLogger::log(2, "surprise\f"); }, "surprise\\f");
  EXPECT_NONFATAL_FAILURE({ CaptureLog log; log.expect("never logged\f"); }, "never logged");

  GlobalNewCounter counter;
  auto owned = std::make_unique<int>(1);
  EXPECT_EQ(counter.calls(), 1);

  {
    FailingMemory memory(2);
    void* first = g_MemoryPtr->alloc(9, 4, "test", 1);
    EXPECT_EQ(g_MemoryPtr->alloc(9, 4, "test", 2), nullptr);
    g_MemoryPtr->free(9, first);
    EXPECT_EQ(memory.liveCount(9), 0u);
  }

  RecordingGfx gfx;
  gfx.defineSprite("button", 64, 32, 4, 2);
  int sprite = g_gfx->createSprite("button");
  g_gfx->releaseSprite("button");
  EXPECT_TRUE(gfx.failures.empty());
  g_gfx->blt(3, sprite, 0, 0, 0, 0, 255);  // each of these is a fault of the caller
  g_gfx->releaseSprite("button");
  g_gfx->releaseFont(7);
  EXPECT_EQ(gfx.failures.size(), 3u);
  EXPECT_EQ(gfx.calls[2], "blt depth=3 sprite=1 x=0 y=0 anim=0 frame=0 alpha=255");
}
