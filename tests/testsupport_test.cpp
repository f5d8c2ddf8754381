#include "capturelog.h"
#include "recordinggfx.h"
#include "recordingsound.h"
#include "testmemory.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The fakes decide what many other tests prove, so their own behaviour is checked here.

TEST(CaptureLog, UnexpectedMissingAndReorderedMessagesFail) {
  EXPECT_NONFATAL_FAILURE(
      {
        CaptureLog log;
        udLogger::log(2, "surprise\f");
      },
      "surprise\\f");
  EXPECT_NONFATAL_FAILURE(
      {
        CaptureLog log;
        log.expect("never logged\f");
      },
      "never logged");
  EXPECT_NONFATAL_FAILURE(
      {
        CaptureLog log;
        log.expect("first\f");
        log.expect("second\f");
        udLogger::log(2, "second\f");
        udLogger::log(2, "first\f");
      },
      "differs");
  EXPECT_NONFATAL_FAILURE(
      {
        CaptureLog log;
        log.expect("a warning\f");
        udLogger::log(1, "a warning\f");
      },
      "[1] \"a warning\\f\"");
}

TEST(CaptureLog, NestedLogsHandBackTheSink) {
  CaptureLog outer;
  outer.expect("outer\f");
  {
    CaptureLog inner;
    inner.expect("inner\f", 1);
    udLogger::log(1, "inner\f");
    EXPECT_EQ(inner.messages(), std::vector<std::string> {"inner\f"});
  }
  udLogger::log(2, "outer\f");
}

TEST(RecordingGfx, RecordsCallsTracksUsesAndListsMisuse) {
  gfxSubsystem* before = g_gfx;
  {
    RecordingGfx gfx;
    EXPECT_EQ(g_gfx, &gfx);
    gfx.defineSprite("button", 64, 32, 4, 2);
    gfx.defineFont("small", 8, 12);
    gfx.defineParticleSystem("sparks.psi");

    int sprite = g_gfx->createSprite("button");
    EXPECT_EQ(g_gfx->getSpriteFrameCount(sprite, 1), 2);
    EXPECT_EQ(g_gfx->getSpriteFrameCount(sprite, 2), 0);
    EXPECT_EQ(g_gfx->createSprite("missing"), -1);
    int font = g_gfx->createFont("small");
    const unsigned int text[] = {'O', 'K', 0x263A, 0};
    g_gfx->print(4, font, 0, 2, 5, 6, -1, 128, text);
    int sparks = g_gfx->createParticleSystemInstance("okbutton", "sparks.psi");
    g_gfx->releaseParticleSystemInstance("okbutton");
    g_gfx->releaseSprite("button");
    EXPECT_EQ(gfx.calls[3], "printw depth=4 font=1 set=0 justify=2 x=5 y=6 maxHeight=-1 "
                            "alpha=128 text=\"OK\xE2\x98\xBA\"");
    EXPECT_EQ(gfx.spriteUses("button"), 0);
    EXPECT_EQ(gfx.fontUses("small"), 1);
    EXPECT_EQ(gfx.liveParticleInstances(), 0);
    EXPECT_TRUE(gfx.failures.empty());

    // Each of these is a fault of the caller.
    g_gfx->blt(3, sprite, 0, 0, 0, 0, 255);
    g_gfx->releaseSprite("button");
    g_gfx->psemit(3, sparks, 1.0f);
    g_gfx->releaseFont(7);
    EXPECT_EQ(gfx.failures.size(), 4u);
  }
  EXPECT_EQ(g_gfx, before);
}

TEST(RecordingSound, HandlesRecordPanAndFrequency) {
  RecordingSound sound;
  EXPECT_EQ(g_snd3d, &sound);
  snd3dHandle* click = g_snd3d->playSound(SND3D_UI, "click", false, false);
  ASSERT_NE(click, nullptr);
  g_snd3d->playSound(SND3D_UI, "hover", false, false);
  click->setFrequencyScale(1.5f);
  click->setPan(-0.9f);
  sound.silent = true;
  EXPECT_EQ(g_snd3d->playSound(SND3D_UI, "muted", false, false), nullptr);

  ASSERT_EQ(sound.played.size(), 3u);
  EXPECT_EQ(sound.played[0].name, "click");
  EXPECT_EQ(sound.played[0].pan, -0.9f);
  EXPECT_EQ(sound.played[0].frequencyScale, 1.5f);
  EXPECT_EQ(sound.played[1].panCalls, 0);
  EXPECT_EQ(sound.played[2].name, "muted");
}

TEST(FailingMemory, FailsTheNthAllocationAndOptionallyAllAfter) {
  struct Case {
    long n;
    bool andAfter;
    std::vector<bool> served;
  } cases[] = {
      {1, false, {false, true, true, true}},
      {3, false, {true, true, false, true}},
      {2, true, {true, false, false, false}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.n);
    FailingMemory memory(test.n, test.andAfter);
    std::vector<bool> served;
    std::vector<void*> blocks;
    for (int i = 0; i < 4; ++i) {
      void* block = g_MemoryPtr->alloc(9, 4, "test", 1);
      served.push_back(block != nullptr);
      blocks.push_back(block);
    }
    EXPECT_EQ(served, test.served);
    EXPECT_EQ(memory.liveCount(9), static_cast<size_t>(memory.allocCalls()));
    for (void* block : blocks)
      g_MemoryPtr->free(9, block);
    EXPECT_EQ(memory.liveCount(9), 0u);
  }
}

TEST(GlobalNewCounter, CountsThisThreadsAllocationsOutsidePauses) {
  GlobalNewCounter counter;
  auto owned = std::make_unique<int>(1);
  std::vector<int> grown(100);
  EXPECT_EQ(counter.calls(), 2);
  {
    GlobalNewPause paused;
    auto ignored = std::make_unique<int>(2);
  }
  RecordingGfx gfx;
  long beforeRecording = counter.calls();
  gfx.blt(0, 1, 0, 0, 0, 0, 255);
  EXPECT_EQ(counter.calls(), beforeRecording);
}
