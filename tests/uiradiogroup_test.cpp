#include "uiradiogroup.h"

#include "uiradiobutton.h"

#include "widgettest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

uiRadioButton* addButton(uiWidget* parent, int value) {
  auto* button = static_cast<uiRadioButton*>(uiRadioButton::s_allocator());
  button->setValue(value);
  button->x2 = button->y2 = 10;
  button->setWidgetStates(true, true, true, false);
  parent->addChild(button, false);
  return button;
}

}  // namespace

// outer: 1, [box: 3, 2], [inner group: 3, 4]; newest children come first. Only a release over a
// button selects, even without a press on it, and only in its own group.
TEST(uiRadioGroup, SelectsAndReadsThroughContainersButNotNestedGroups) {
  RecordingSound sound;
  LeakCheck leaks;
  Tree outerTree(uiRadioGroup::s_allocator());
  auto* outer = static_cast<uiRadioGroup*>(outerTree.get());
  uiRadioButton* one = addButton(outer, 1);
  uiWidget* box = uiNonVisualWidget::s_allocator();
  outer->addChild(box, false);
  uiRadioButton* boxThree = addButton(box, 3);
  uiRadioButton* boxTwo = addButton(box, 2);
  auto* inner = static_cast<uiRadioGroup*>(uiRadioGroup::s_allocator());
  outer->addChild(inner, false);
  uiRadioButton* innerThree = addButton(inner, 3);
  addButton(inner, 4);
  inner->setValue(4);
  outer->setValue(2);
  EXPECT_TRUE(boxTwo->isSelected() && !one->isSelected() && !boxThree->isSelected());
  outer->setValue(3);
  one->select(true);
  EXPECT_EQ(outer->getValue(), 3) << "the first selected in depth-first order, newest first";
  EXPECT_TRUE(!innerThree->isSelected() && inner->getValue() == 4);
  innerThree->inputEvent(UIE_MOUSEUP, 5, 5, 0, true, true);
  EXPECT_EQ(inner->getValue(), 4);
  EXPECT_TRUE(innerThree->inputEvent(UIE_MOUSEUP, 5, 5, 0, true, false));
  EXPECT_EQ(inner->getValue() * 10 + outer->getValue(), 33);
}
