#include "uiparticlesystem.h"

#include "capturelog.h"
#include "recordinggfx.h"
#include "testmemory.h"

#include "core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Makes a particle system widget named fx and reads a block of keys into it, as the loader does
// after the header line.
uiParticleSystem* parseNew(const std::string& block) {
  auto* widget = static_cast<uiParticleSystem*>(uiParticleSystem::s_allocator());
  if (!widget)
    return nullptr;
  uiCopyName(widget->name, "fx", sizeof(widget->name));
  std::vector<char> buffer(block.begin(), block.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  widget->parse(&parser, false);
  return widget;
}

}  // namespace

TEST(uiParticleSystem, InstanceLivesFromItsFileLineUntilReleased) {
  CountingMemory memory;
  RecordingGfx gfx;
  gfx.defineParticleSystem("smoke");
  gfx.defineParticleSystem("fire");
  uiParticleSystem* psys = parseNew("{\nfile = smoke\n}\n");
  ASSERT_NE(psys, nullptr);
  EXPECT_EQ(psys->getId(), 1);  // created as the line is read, though not active
  psys->loadPsys("fire");
  psys->reset();
  psys->stop();
  psys->releaseInstance();
  psys->releaseInstance();
  psys->reset();
  EXPECT_EQ(gfx.calls, (Lines {
                           "createParticleSystemInstance name=fx file=smoke -> 1",
                           "releaseParticleSystemInstance name=fx",
                           "createParticleSystemInstance name=fx file=fire -> 2",
                           "addEvent type=4 value=0 instance=2 value2=0 f=0 data=null",
                           "particleSystemInstanceStopEmitters instance=2",
                           "releaseParticleSystemInstance name=fx",
                       }));
  // Destroying the widget leaves its instance to the graphics library.
  psys->loadPsys("smoke");
  delete psys;
  EXPECT_EQ(gfx.liveParticleInstances(), 1);
  EXPECT_EQ(memory.liveCount(9), 0u);
}

TEST(uiParticleSystem, UpdateMovesTheEmitterAndRenderDrawsWithTheAlpha) {
  RecordingGfx gfx;
  gfx.defineParticleSystem("smoke");
  uiParticleSystem psys;
  uiCopyName(psys.name, "fx", sizeof(psys.name));
  psys.loadPsys("smoke");
  psys.setWidgetStates(true, true, false, false);
  psys.x = 5;
  psys.y = 6;
  psys.setDepth(3u);
  psys.setAlpha(128, 1000, 0, false);  // no fade: at once
  uiWidget::s_fDeltaTime = 0.5f;
  gfx.clearCalls();
  psys.update(30, 40);
  psys.x = 50;  // the emitter moves at the next update, not at render
  psys.render(70, 80);
  EXPECT_EQ(gfx.calls, (Lines {"updateParticleSystem instance=1 x=35 y=46 seconds=0.5",
                               "psemit depth=3 instance=1 opacity=0.501961"}));
  psys.releaseInstance();
}

TEST(uiParticleSystem, FileKeyNeedsAValue) {
  RecordingGfx gfx;
  CaptureLog log;
  log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  uiParticleSystem* psys = parseNew(R"(
    {
      file smoke
      FILE =
      file = missing
      flags = UIP_DONTUPDATE | uip_dontrender
    }
  )");
  ASSERT_NE(psys, nullptr);
  EXPECT_EQ(psys->getId(), -1);
  EXPECT_EQ(gfx.calls, (Lines {"createParticleSystemInstance name=fx file=missing -> -1"}));
  EXPECT_EQ(psys->getWidgetFlags(), UIP_DONTUPDATE | UIP_DONTRENDER);
  delete psys;
}
