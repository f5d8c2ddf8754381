#include "capturelog.h"
#include "recordinggfx.h"
#include "testmemory.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

// The fakes decide what many other tests prove: if one of them stopped seeing faults, those
// tests would pass without proving anything.
TEST(TestSupport, FakesSeeWhatOtherTestsRelyOn) {
  EXPECT_NONFATAL_FAILURE({ CaptureLog log; udLogger::log(2, "surprise\f"); }, "surprise\\f");
  EXPECT_NONFATAL_FAILURE({ CaptureLog log; log.expect("never logged\f"); }, "never logged");

  GlobalNewCounter counter;
  std::string grown(100, 'x');
  EXPECT_EQ(counter.calls(), 1);

  {
    FailingMemory memory(2);
    void* first = g_MemoryPtr->alloc(9, 4, "test", 1);
    EXPECT_EQ(g_MemoryPtr->alloc(9, 4, "test", 2), nullptr);
    EXPECT_EQ(memory.liveCount(9), 1u);
    g_MemoryPtr->free(9, first);
    EXPECT_EQ(memory.liveCount(9), 0u);
  }

  RecordingGfx gfx;
  gfx.defineSprite("button", 64, 32, 4, 2);
  gfx.defineFont("small", 8, 12);
  int sprite = g_gfx->createSprite("button");
  const unsigned int text[] = {'O', 'K', 0xE9, 0x263A, 0};
  g_gfx->print(4, g_gfx->createFont("small"), 0, 2, 5, 6, -1, 128, text);
  g_gfx->releaseSprite("button");
  EXPECT_TRUE(gfx.failures.empty());
  EXPECT_EQ(gfx.calls[2], "printw depth=4 font=1 set=0 justify=2 x=5 y=6 maxHeight=-1 alpha=128 "
                          "text=\"OK\xC3\xA9\xE2\x98\xBA\"");
  g_gfx->blt(3, sprite, 0, 0, 0, 0, 255);  // each of these is a fault of the caller
  g_gfx->releaseSprite("button");
  g_gfx->releaseFont(7);
  EXPECT_EQ(gfx.failures.size(), 3u);
}
