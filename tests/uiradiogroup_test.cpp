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

// outer: 1, 2, [box: 3, 2], [inner group: 3, 4]; newest children come first.
TEST(uiRadioGroup, SelectsAndReadsThroughContainersButNotNestedGroups) {
  RecordingSound sound;
  LeakCheck leaks;
  auto* outer = static_cast<uiRadioGroup*>(uiRadioGroup::s_allocator());
  uiRadioButton* one = addButton(outer, 1);
  uiRadioButton* two = addButton(outer, 2);
  uiWidget* box = uiNonVisualWidget::s_allocator();
  outer->addChild(box, false);
  uiRadioButton* boxThree = addButton(box, 3);
  uiRadioButton* boxTwo = addButton(box, 2);
  auto* inner = static_cast<uiRadioGroup*>(uiRadioGroup::s_allocator());
  outer->addChild(inner, false);
  uiRadioButton* innerThree = addButton(inner, 3);
  uiRadioButton* innerFour = addButton(inner, 4);
  std::vector<uiRadioButton*> buttons = {one, two, boxThree, boxTwo, innerThree, innerFour};

  inner->setValue(4);
  struct Case {
    int value;
    std::vector<bool> selected;
    int read;
  } cases[] = {
      {1, {true, false, false, false, false, true}, 1},
      {2, {false, true, false, true, false, true}, 2},
      {3, {false, false, true, false, false, true}, 3},
      {4, {false, false, false, false, false, true}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    outer->setValue(c.value);
    for (size_t i = 0; i < buttons.size(); ++i)
      EXPECT_EQ(buttons[i]->isSelected(), c.selected[i]) << "button " << i;
    EXPECT_EQ(outer->getValue(), c.read);
    EXPECT_EQ(inner->getValue(), 4);
  }
  one->select(true);
  boxThree->select(true);
  EXPECT_EQ(outer->getValue(), 3) << "the first selected in depth-first order, newest first";

  // Only a release over a button selects, even without a press on it, and only in its own group.
  innerThree->hotkey = 32;
  innerThree->inputEvent(UIE_KEYDOWN, 5, 5, 32, false, false);
  innerThree->inputEvent(UIE_MOUSEUP, 5, 5, 0, true, true);
  EXPECT_EQ(inner->getValue(), 4);
  EXPECT_TRUE(innerThree->inputEvent(UIE_MOUSEUP, 5, 5, 0, true, false));
  EXPECT_EQ(inner->getValue(), 3);
  EXPECT_EQ(outer->getValue(), 3);
  EXPECT_TRUE(one->isSelected());

  delete outer;
}

TEST(uiRadioGroup, ValueLineSelectsOnlyAmongButtonsAlreadyRead) {
  const char* text = R"(
group = uiRadioGroup
{
    child a = uiRadioButton
    {
        value = 1
    }
    VALUE = 1
    child b = uiRadioButton
    {
        value = 1
    }
}
)";
  CaptureLog log;
  Tree group(parseWidget(text));
  ASSERT_TRUE(group);
  EXPECT_TRUE(static_cast<uiRadioButton*>(group->getWidget("group.a", 0))->isSelected());
  EXPECT_FALSE(static_cast<uiRadioButton*>(group->getWidget("group.b", 0))->isSelected());
}
