#include "uigamecontainer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A child that counts its updates and records the alpha calls that reach it.
class RecordingChild : public uiNonVisualWidget {
public:
  int updates = 0;
  std::vector<std::string> alphaCalls;

  void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                bool propagate) override {
    alphaCalls.push_back(std::to_string(alpha) + " " + std::to_string(duration) + " " +
                         std::to_string(delay));
    uiNonVisualWidget::setAlpha(alpha, duration, delay, propagate);
  }

protected:
  void _update(int, int) override { ++updates; }
};

}  // namespace

// A pause fades the subtree out once and stops its updates; resuming fades it back in. While
// paused, only an instant recursive fade to a visible alpha, which would undo the fade-out, is
// refused.
TEST(uiGameContainer, PauseFadesOutAndStopsUpdatesUntilResumed) {
  uiGameContainer container;
  auto* child = new RecordingChild;
  container.addChild(child, false);
  container.setWidgetStates(true, true, true, true);
  container.setPaused(false);
  container.setPaused(true);
  container.setPaused(true);
  container.setAlpha(255, 0, 0, true);
  container.setAlpha(255, 100, 0, true);
  container.setAlpha(0, 0, 0, true);
  container.update(0, 0);
  EXPECT_EQ(child->updates, 0);
  container.setPaused(false);
  container.update(0, 0);
  EXPECT_EQ(child->updates, 1);
  EXPECT_EQ(child->alphaCalls,
            (std::vector<std::string> {"0 500 0", "255 100 0", "0 0 0", "255 500 0"}));
}
