#include "uiparticlesystem.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// The instance is made as the file line is read, though the widget is not active; destroying the
// widget leaves its instance to the graphics library.
TEST(uiParticleSystem, InstanceLivesFromItsFileLineUntilReleased) {
  WidgetStage stage;
  stage.gfx.defineParticleSystem("smoke");
  stage.gfx.defineParticleSystem("fire");
  stage.log.expect("...expected: ^C00FF00file = \"val\"^c\f");
  auto* psys = static_cast<uiParticleSystem*>(uiParticleSystem::s_allocator());
  uiCopyName(psys->name, "fx", sizeof(psys->name));
  applyKeys(*psys, "file = smoke\nFILE =\nflags = UIP_DONTUPDATE | uip_dontrender\n");
  EXPECT_EQ(psys->getWidgetFlags(), UIP_DONTUPDATE | UIP_DONTRENDER);
  psys->loadPsys("fire");
  psys->reset();
  psys->stop();
  psys->releaseInstance();
  psys->releaseInstance();
  EXPECT_EQ(stage.gfx.calls, (Lines {
                                 "createParticleSystemInstance name=fx file=smoke -> 1",
                                 "releaseParticleSystemInstance name=fx",
                                 "createParticleSystemInstance name=fx file=fire -> 2",
                                 "addEvent type=4 value=0 instance=2 value2=0 f=0 data=null",
                                 "particleSystemInstanceStopEmitters instance=2",
                                 "releaseParticleSystemInstance name=fx",
                             }));
  psys->loadPsys("smoke");
  delete psys;
  EXPECT_EQ(stage.gfx.liveParticleInstances(), 1);
}

// The emitter moves at the next update, not at render. The opacity is the alpha times 1/255,
// which for some alphas differs from alpha / 255 in the last bit.
TEST(uiParticleSystem, UpdateMovesTheEmitterAndRenderDrawsWithTheAlpha) {
  struct OpacityGfx : RecordingGfx {
    float opacity = -1.0f;
    void psemit(int depth, int instance, float value) override {
      opacity = value;
      RecordingGfx::psemit(depth, instance, value);
    }
  } gfx;
  gfx.defineParticleSystem("smoke");
  uiParticleSystem psys;
  psys.loadPsys("smoke");
  psys.setWidgetStates(true, true, false, false);
  psys.x = 5;
  psys.y = 6;
  psys.setAlpha(128, 1000, 0, false);  // no fade: at once
  uiWidget::s_fDeltaTime = 0.5f;
  gfx.clearCalls();
  psys.update(30, 40);
  psys.x = 50;
  psys.render(70, 80);
  EXPECT_EQ(gfx.calls, (Lines {"updateParticleSystem instance=1 x=35 y=46 seconds=0.5",
                               "psemit depth=0 instance=1 opacity=0.501961"}));
  psys.setAlpha(3, 0, 0, false);
  psys.render(0, 0);
  EXPECT_EQ(gfx.opacity, 3 * (1.0f / 255.0f));
  psys.releaseInstance();
}
