#include "uiflowlayout.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A child that answers to a type name of our choice, so that a dialog can be stood in for.
class FakeChild : public uiNonVisualWidget {
public:
  explicit FakeChild(const char* type = "") : m_type(type) {}
  bool isType(const char* type) override {
    return uiNameEquals(type, m_type) || uiNonVisualWidget::isType(type);
  }

private:
  const char* m_type;
};

// Adds children of the given sizes in order, at (500, 500), and returns them in that order.
std::vector<uiWidget*> addChildren(uiWidget& layout, const std::vector<std::pair<int, int>>& sizes,
                                   const char* type = "") {
  std::vector<uiWidget*> added;
  for (const auto& size : sizes) {
    uiWidget* child = new FakeChild(type);
    child->x = child->y = 500;
    child->setWidth(size.first);
    child->setHeight(size.second);
    layout.addChild(child, false);
    added.push_back(child);
  }
  return added;
}

std::string positionsOf(const std::vector<uiWidget*>& children) {
  std::string text;
  for (uiWidget* child : children)
    text += " " + std::to_string(child->x) + "," + std::to_string(child->y);
  return text;
}

}  // namespace

// Rows wrap at the width, columns at the height; a child wider than the row stands alone;
// SpaceEvenly spreads a line's gaps, divided toward zero.
TEST(uiFlowLayout, PlacesChildrenInAddedOrder) {
  const std::vector<std::pair<int, int>> four(4, {30, 10}), three(3, {30, 10}), tall(4, {10, 30}),
      short4(4, {10, 20});
  struct Case { const char* keys; std::vector<std::pair<int, int>> sizes; const char* expected; };
  const Case cases[] = {
      {"Width = 100\nMinSpaceX = 5\nMinSpaceY = 2", four, " 0,0 35,0 70,0 0,12"},
      {"Width = 100\nMinSpaceX = 5", {{30, 10}, {120, 20}, {30, 10}}, " 0,0 0,10 0,30"},
      {"flowtype = Vertical\nHeight = 100\nMinSpaceX = 3\nMinSpaceY = 5", tall,
       " 0,0 0,35 0,70 13,0"},
      {"Width = 100\nMinSpaceX = 5\nMinSpaceY = 2\nSpaceEvenly = true", three, " 0,0 65,0 0,12"},
      {"FLOWTYPE = vertical\nHeight = 100\nMinSpaceY = 5\nSpaceEvenly = TRUE", short4,
       " 0,0 0,21 0,42 0,63"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    uiFlowLayout layout;
    applyKeys(layout, c.keys);
    std::vector<uiWidget*> children = addChildren(layout, c.sizes);
    layout.setActive(true, true);
    EXPECT_EQ(positionsOf(children), c.expected);
  }
}

// Children are switched on before they are placed; dialogs keep their state but are placed.
TEST(uiFlowLayout, ChildrenAreSwitchedBeforeTheyArePlaced) {
  struct RecordingLayout : uiFlowLayout {
    std::vector<bool> activeWhenPlaced;
    bool _layoutChild(uiWidget* child) override {
      activeWhenPlaced.push_back(child->setActive());
      return uiFlowLayout::_layoutChild(child);
    }
  } layout;
  layout.wrapWidth = 25;
  layout.minSpaceX = 5;
  std::vector<uiWidget*> children = addChildren(layout, {{10, 10}});
  children.push_back(addChildren(layout, {{10, 10}}, "uiDialog")[0]);
  layout.setActive(true, true);
  EXPECT_EQ(layout.activeWhenPlaced, (std::vector<bool> {true, false}));
  EXPECT_EQ(positionsOf(children), " 0,0 15,0");
}

// The rectangle is in the parent's frame and grows to hold the children; a layout is laid out
// again only at its next activation, and never shrinks.
TEST(uiFlowLayout, LaysOutOncePerActivationAndNeverShrinks) {
  uiFlowLayout layout;
  layout.x = 40;
  layout.y = 20;
  layout.minSpaceX = 5;
  std::vector<uiWidget*> children = addChildren(layout, {{30, 10}, {30, 15}});
  layout.setActive(true, true);
  EXPECT_EQ(layout.x2 * 1000 + layout.y2, 105035);
  children[1]->x = 7;
  layout.setActive(true, true);
  EXPECT_EQ(children[1]->x, 7);
  children[1]->setWidth(5);
  layout.setActive(false, true);
  layout.setActive(true, true);
  EXPECT_EQ(children[1]->x, 35);
  EXPECT_EQ(layout.x2, 105);
}

TEST(uiFlowLayout, WorkingArrayFailureSkipsThePass) {
  uiFlowLayout layout;
  uiCopyName(layout.name, "levels", sizeof layout.name);
  std::vector<uiWidget*> children = addChildren(layout, {{30, 10}, {20, 10}});
  FailingMemory failing(1);
  CaptureLog log;
  log.expect("levels::_activate(): Out of Memory, children not laid out\f");
  layout.setActive(true, true);
  EXPECT_EQ(positionsOf(children), " 500,500 500,500");
  EXPECT_TRUE(layout.setActive() && children[0]->setActive()) << "only the pass was skipped";
}

TEST(uiFlowLayout, BadFlowTypeIsReportedAndIgnored) {
  CaptureLog log;
  log.expect("...expected: \"^C00FF00flowtype = vertical | horizontal^c\"\f");
  log.expect("...expected: \"^C00FF00flowtype = vertical | horizontal^c\"\f");
  uiFlowLayout layout;
  applyKeys(layout, "flowtype = Vertical\nFlowType = diagonal\nFLOWTYPE =\n");
  EXPECT_EQ(layout.getFlowType(), uiFlowLayout::VERTICAL);
}
