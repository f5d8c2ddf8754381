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
  EXPECT_FALSE(psys->setActive());
  EXPECT_EQ(psys->getId(), 1);

  psys->loadPsys("fire");
  psys->reset();
  psys->stop();
  psys->releaseInstance();
  psys->releaseInstance();
  psys->reset();
  psys->stop();
  EXPECT_EQ(gfx.calls, (Lines {
                           "createParticleSystemInstance name=fx file=smoke -> 1",
                           "releaseParticleSystemInstance name=fx",
                           "createParticleSystemInstance name=fx file=fire -> 2",
                           "addEvent type=4 value=0 instance=2 value2=0 f=0 data=null",
                           "particleSystemInstanceStopEmitters instance=2",
                           "releaseParticleSystemInstance name=fx",
                       }));
  EXPECT_EQ(psys->getId(), -1);

  // Destroying the widget leaves its instance to the graphics library.
  psys->loadPsys("smoke");
  delete psys;
  EXPECT_EQ(gfx.liveParticleInstances(), 1);
  EXPECT_EQ(memory.liveCount(9), 0u);
}

TEST(uiParticleSystem, FlagsFreezeOrHideTheInstance) {
  struct Case {
    const char* name;
    unsigned int flags;
    size_t updates, draws;
  };
  const Case cases[] = {
      {"both", 0, 1, 1},
      {"frozen", UIP_DONTUPDATE, 0, 1},
      {"hidden", UIP_DONTRENDER, 1, 0},
  };
  RecordingGfx gfx;
  gfx.defineParticleSystem("smoke");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uiParticleSystem psys;
    uiCopyName(psys.name, "fx", sizeof(psys.name));
    psys.loadPsys("smoke");
    psys.setWidgetFlags(c.flags | WF_ACTIVE | WF_VISIBLE);
    gfx.clearCalls();
    psys.update(0, 0);
    psys.render(0, 0);
    EXPECT_EQ(gfx.callsOf("updateParticleSystem").size(), c.updates);
    EXPECT_EQ(gfx.callsOf("psemit").size(), c.draws);
    psys.releaseInstance();
  }
}

TEST(uiParticleSystem, EmitterFollowsTheWidgetAtUpdateAndDrawsWithItsAlpha) {
  RecordingGfx gfx;
  gfx.defineParticleSystem("smoke");
  uiParticleSystem psys;
  uiCopyName(psys.name, "fx", sizeof(psys.name));
  psys.loadPsys("smoke");
  psys.setWidgetStates(true, true, false, false);
  psys.x = 5;
  psys.y = 6;
  psys.setDepth(3u);
  psys.setAlpha(128, 1000, 0, false);
  EXPECT_EQ(psys.alpha, 128);

  uiWidget::s_fDeltaTime = 0.5f;
  gfx.clearCalls();
  psys.update(30, 40);
  psys.x = 50;
  psys.render(70, 80);
  EXPECT_EQ(gfx.calls, (Lines {"updateParticleSystem instance=1 x=35 y=46 seconds=0.5",
                               "psemit depth=3 instance=1 opacity=0.501961"}));

  psys.setWidgetFlags(psys.getWidgetFlags() | WF_IGNORE_ALPHA);
  psys.setAlpha(10, 0, 0, false);
  EXPECT_EQ(psys.alpha, 128);
  psys.releaseInstance();
}

TEST(uiParticleSystem, FileKeyNeedsAValue) {
  CountingMemory memory;
  RecordingGfx gfx;
  CaptureLog log;
  log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  uiParticleSystem* widget = parseNew(R"(
    {
      file smoke
      FILE =
      file = missing
      flags = UIP_DONTUPDATE | uip_dontrender
    }
  )");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->getId(), -1);
  EXPECT_EQ(gfx.calls, (Lines {"createParticleSystemInstance name=fx file=missing -> -1"}));
  EXPECT_EQ(widget->getWidgetFlags(), UIP_DONTUPDATE | UIP_DONTRENDER);
  EXPECT_TRUE(widget->isType("UIPARTICLESYSTEM"));
  EXPECT_FALSE(widget->isType("uiVisualWidget"));
  delete widget;
  EXPECT_EQ(memory.liveCount(9), 0u);
}
