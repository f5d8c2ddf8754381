#include "uiflowlayout.h"

#include "testmemory.h"
#include "widgettest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Size {
  int width, height;
};

struct Point {
  int x, y;
  bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

std::ostream& operator<<(std::ostream& out, const Point& point) {
  return out << "(" << point.x << ", " << point.y << ")";
}

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

// Records, for each placed child, whether it was already active and whether it began a line.
class RecordingLayout : public uiFlowLayout {
public:
  std::vector<bool> activeWhenPlaced;
  std::vector<bool> startedLine;

protected:
  bool _layoutChild(uiWidget* child) override {
    activeWhenPlaced.push_back(child->setActive());
    startedLine.push_back(uiFlowLayout::_layoutChild(child));
    return startedLine.back();
  }
};

// Adds children of the given sizes in order and returns them in that order.
std::vector<uiWidget*> addChildren(uiWidget& layout, const std::vector<Size>& sizes) {
  std::vector<uiWidget*> added;
  for (const Size& size : sizes) {
    uiWidget* child = new FakeChild;
    child->x = 500;  // anywhere but where the layout will put it
    child->y = 500;
    child->setWidth(size.width);
    child->setHeight(size.height);
    layout.addChild(child, false);
    added.push_back(child);
  }
  return added;
}

std::vector<Point> positionsOf(const std::vector<uiWidget*>& children) {
  std::vector<Point> positions;
  for (uiWidget* child : children)
    positions.push_back({child->x, child->y});
  return positions;
}

struct LayoutCase {
  const char* what;
  uiFlowLayout::flowType_e flow;
  int wrapWidth, wrapHeight, minSpaceX, minSpaceY;
  bool spaceEvenly;
  std::vector<Size> sizes;
  std::vector<Point> expected;
};

}  // namespace

TEST(uiFlowLayout, PlacesChildrenInAddedOrder) {
  const uiFlowLayout::flowType_e H = uiFlowLayout::HORIZONTAL, V = uiFlowLayout::VERTICAL;
  const LayoutCase cases[] = {
      {"row wraps at the width", H, 100, 0, 5, 2, false,
       {{30, 10}, {30, 10}, {30, 10}, {30, 10}},
       {{0, 0}, {35, 0}, {70, 0}, {0, 12}}},
      {"width 0 never wraps", H, 0, 0, 5, 2, false,
       {{30, 10}, {30, 10}, {30, 10}, {30, 10}},
       {{0, 0}, {35, 0}, {70, 0}, {105, 0}}},
      {"a child wider than the row stands alone", H, 100, 0, 5, 0, false,
       {{30, 10}, {120, 20}, {30, 10}},
       {{0, 0}, {0, 10}, {0, 30}}},
      {"the row height is the tallest child", H, 60, 0, 0, 4, false,
       {{30, 10}, {30, 25}, {30, 10}},
       {{0, 0}, {30, 0}, {0, 29}}},
      {"column wraps at the height", V, 0, 100, 3, 5, false,
       {{10, 30}, {10, 30}, {10, 30}, {10, 30}},
       {{0, 0}, {0, 35}, {0, 70}, {13, 0}}},
      {"evenly: two per row, the third keeps the gap", H, 100, 0, 5, 2, true,
       {{30, 10}, {30, 10}, {30, 10}},
       {{0, 0}, {65, 0}, {0, 12}}},
      {"evenly: a child as wide as the row is alone", H, 100, 0, 5, 0, true,
       {{30, 10}, {100, 10}, {30, 10}},
       {{0, 0}, {0, 10}, {0, 20}}},
      {"evenly: the gap is divided toward zero", V, 0, 100, 0, 5, true,
       {{10, 20}, {10, 20}, {10, 20}, {10, 20}},
       {{0, 0}, {0, 21}, {0, 42}, {0, 63}}},
  };
  for (const LayoutCase& test : cases) {
    SCOPED_TRACE(test.what);
    uiFlowLayout layout;
    layout.setFlowType(test.flow);
    layout.wrapWidth = test.wrapWidth;
    layout.wrapHeight = test.wrapHeight;
    layout.minSpaceX = test.minSpaceX;
    layout.minSpaceY = test.minSpaceY;
    layout.spaceEvenly = test.spaceEvenly;
    std::vector<uiWidget*> children = addChildren(layout, test.sizes);

    layout.setActive(true, true);

    EXPECT_EQ(positionsOf(children), test.expected);
    for (size_t i = 0; i < children.size(); ++i) {
      EXPECT_EQ(children[i]->getWidth(), test.sizes[i].width);
      EXPECT_EQ(children[i]->getHeight(), test.sizes[i].height);
    }
  }
}

// Dialogs and children with an active override keep their state but are placed like the others.
TEST(uiFlowLayout, ChildrenAreSwitchedBeforeTheyArePlaced) {
  RecordingLayout layout;
  layout.wrapWidth = 25;
  layout.minSpaceX = 5;
  uiWidget* plain = new FakeChild;
  uiWidget* dialog = new FakeChild("uiDialog");
  uiWidget* overridden = new FakeChild;
  overridden->overrideActive(true);
  for (uiWidget* child : {plain, dialog, overridden}) {
    child->setWidth(10);
    child->setHeight(10);
    layout.addChild(child, false);
  }

  layout.setActive(true, true);

  EXPECT_EQ(layout.activeWhenPlaced, (std::vector<bool> {true, false, false}));
  EXPECT_EQ(layout.startedLine, (std::vector<bool> {false, false, true}));
  EXPECT_EQ(positionsOf({plain, dialog, overridden}),
            (std::vector<Point> {{0, 0}, {15, 0}, {0, 10}}));
  EXPECT_TRUE(layout.setActive());
}

TEST(uiFlowLayout, LaysOutOncePerActivationAndNeverShrinks) {
  uiFlowLayout layout;
  layout.x = 40;
  layout.y = 20;
  layout.minSpaceX = 5;
  std::vector<uiWidget*> children = addChildren(layout, {{30, 10}, {30, 15}});

  layout.setActive(true, true);
  // The rectangle is in the parent's frame and now holds both children.
  EXPECT_EQ(layout.x2, 40 + 65);
  EXPECT_EQ(layout.y2, 20 + 15);

  children[1]->x = 7;
  layout.setActive(true, true);
  EXPECT_EQ(children[1]->x, 7) << "an active layout is not laid out again";

  children[1]->setWidth(5);
  layout.setActive(false, true);
  EXPECT_FALSE(children[0]->setActive());
  layout.setActive(true, true);
  EXPECT_EQ(children[1]->x, 35);
  EXPECT_EQ(layout.x2, 40 + 65) << "the smaller pass leaves the rectangle as it was";
}

TEST(uiFlowLayout, WorkingArrayIsFreedAndItsFailureSkipsThePass) {
  const size_t transients = g_MemoryPtr->liveCount(0);
  uiFlowLayout laidOut;
  addChildren(laidOut, {{30, 10}});
  laidOut.setActive(true, true);
  EXPECT_EQ(g_MemoryPtr->liveCount(0), transients);

  uiFlowLayout layout;
  strcpy(layout.name, "levels");
  std::vector<uiWidget*> children = addChildren(layout, {{30, 10}, {20, 10}});
  FailingMemory failing(1);
  CaptureLog log;
  log.expect("levels::_activate(): Out of Memory, children not laid out\f");

  layout.setActive(true, true);

  EXPECT_EQ(positionsOf(children), (std::vector<Point> {{500, 500}, {500, 500}}));
  EXPECT_TRUE(layout.setActive()) << "the layout is active, only the pass was skipped";
  EXPECT_TRUE(children[0]->setActive());
}

TEST(uiFlowLayout, ReadsItsKeysAndReportsABadFlowType) {
  uiFlowLayout layout;
  applyKeys(layout, "flowtype = Vertical\nWidth = 120\nHeight = 80\nMinSpaceX = 4\n"
                    "MinSpaceY = 6\nSpaceEvenly = true\nx = 9\n");
  EXPECT_EQ(layout.getFlowType(), uiFlowLayout::VERTICAL);
  EXPECT_EQ(std::vector<int>({layout.wrapWidth, layout.wrapHeight, layout.minSpaceX,
                              layout.minSpaceY, layout.x}),
            std::vector<int>({120, 80, 4, 6, 9}));
  EXPECT_TRUE(layout.spaceEvenly);

  for (const char* line : {"FlowType = diagonal\n", "FlowType vertical\n", "FLOWTYPE =\n"}) {
    SCOPED_TRACE(line);
    CaptureLog log;
    log.expect("...expected: \"^C00FF00flowtype = vertical | horizontal^c\"\f");
    applyKeys(layout, line);
    EXPECT_EQ(layout.getFlowType(), uiFlowLayout::VERTICAL);
  }
}
