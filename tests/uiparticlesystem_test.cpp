#include "uiparticlesystem.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Makes a particle system widget named fx and reads its keys.
uiParticleSystem* parseNew(const std::string& keys) {
  auto* widget = static_cast<uiParticleSystem*>(uiParticleSystem::s_allocator());
  uiCopyName(widget->name, "fx", sizeof(widget->name));
  applyKeys(*widget, keys);
  return widget;
}

// Keeps the exact opacity, which the recorded line rounds.
struct OpacityGfx : RecordingGfx {
  float opacity = -1.0f;
  void psemit(int depth, int instance, float value) override {
    opacity = value;
    RecordingGfx::psemit(depth, instance, value);
  }
};

}  // namespace

TEST(uiParticleSystem, InstanceLivesFromItsFileLineUntilReleased) {
  LeakCheck leaks;
  RecordingGfx gfx;
  gfx.defineParticleSystem("smoke");
  gfx.defineParticleSystem("fire");
  uiParticleSystem* psys = parseNew("file = smoke\n");
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
}

TEST(uiParticleSystem, UpdateMovesTheEmitterAndRenderDrawsWithTheAlpha) {
  OpacityGfx gfx;
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
  // The opacity is the alpha times 1/255, which for some alphas differs from alpha / 255 in the
  // last bit.
  psys.setAlpha(3, 0, 0, false);
  psys.render(0, 0);
  EXPECT_EQ(gfx.opacity, 3 * (1.0f / 255.0f));
  psys.releaseInstance();
}

TEST(uiParticleSystem, FileKeyNeedsAValue) {
  WidgetStage stage;
  RecordingGfx& gfx = stage.gfx;
  stage.log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  stage.log.expect("...expected: ^C00FF00file = \"val\"^c\f");
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
