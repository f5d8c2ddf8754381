#include "uigamecontainer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A child that records the frame hooks and the alpha calls that reach it.
class RecordingChild : public uiNonVisualWidget {
public:
  int updates = 0;
  int renders = 0;
  std::vector<std::string> alphaCalls;

  void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                bool propagate) override {
    alphaCalls.push_back(std::to_string(alpha) + " " + std::to_string(duration) + " " +
                         std::to_string(delay) + (propagate ? " all" : " one"));
    uiNonVisualWidget::setAlpha(alpha, duration, delay, propagate);
  }

protected:
  void _update(int, int) override { ++updates; }
  void _render(int, int) override { ++renders; }
};

struct Scene {
  uiGameContainer container;
  RecordingChild* child = new RecordingChild;
  RecordingChild* grandchild = new RecordingChild;

  Scene() {
    child->addChild(grandchild, false);
    container.addChild(child, false);
    container.setWidgetStates(true, true, true, true);
  }
};

}  // namespace

TEST(uiGameContainer, PauseFadesOutOnceAndResumeFadesBackIn) {
  Scene scene;
  scene.container.setPaused(false);
  EXPECT_TRUE(scene.grandchild->alphaCalls.empty()) << "resuming a running container";

  scene.container.setPaused(true);
  scene.container.setPaused(true);
  EXPECT_TRUE(scene.container.getPaused());
  EXPECT_EQ(scene.grandchild->alphaCalls, std::vector<std::string> {"0 500 0 all"});

  scene.container.setPaused(false);
  EXPECT_FALSE(scene.container.getPaused());
  EXPECT_EQ(scene.grandchild->alphaCalls,
            (std::vector<std::string> {"0 500 0 all", "255 500 0 all"}));
}

TEST(uiGameContainer, PausedSubtreeIsDrawnButNotUpdated) {
  Scene scene;
  scene.container.update(0, 0);
  scene.container.render(0, 0);
  EXPECT_EQ(scene.grandchild->updates, 1);

  scene.container.setPaused(true);
  scene.container.update(0, 0);
  scene.container.render(0, 0);
  EXPECT_EQ(scene.child->updates, 1);
  EXPECT_EQ(scene.grandchild->updates, 1);
  EXPECT_EQ(scene.grandchild->renders, 2);

  scene.container.setPaused(false);
  scene.container.update(0, 0);
  EXPECT_EQ(scene.grandchild->updates, 2);
}

// Only an instant, recursive fade to a visible alpha would undo the pause's fade-out.
TEST(uiGameContainer, PausedContainerRefusesInstantRecursiveFadeIn) {
  struct AlphaCase {
    unsigned char alpha;
    unsigned int duration, delay;
    bool paused, passedOn;
  };
  const AlphaCase cases[] = {
      {255, 0, 0, true, false},  {1, 0, 0, true, false},   {0, 0, 0, true, true},
      {255, 100, 0, true, true}, {255, 0, 30, true, true}, {255, 0, 0, false, true},
  };
  for (const AlphaCase& test : cases) {
    SCOPED_TRACE(::testing::Message() << int(test.alpha) << " " << test.duration << " "
                                      << test.delay << (test.paused ? " paused" : " running"));
    Scene scene;
    scene.container.setPaused(test.paused);
    scene.child->alphaCalls.clear();

    scene.container.setAlpha(test.alpha, test.duration, test.delay, true);

    EXPECT_EQ(scene.child->alphaCalls.size(), test.passedOn ? 1u : 0u);
  }
}
