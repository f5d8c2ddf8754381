#include "uiradiogroup.h"

#include "uiradiobutton.h"

#include "capturelog.h"
#include "core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

uiRadioButton* addButton(uiWidget* parent, int value) {
  uiRadioButton* button = static_cast<uiRadioButton*>(uiRadioButton::s_allocator());
  button->setValue(value);
  button->x2 = 10;
  button->y2 = 10;
  parent->addChild(button, false);
  return button;
}

uiWidget* addContainer(uiWidget* parent, uiWidget* container) {
  parent->addChild(container, false);
  return container;
}

uiWidget* parseTree(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  Parser parser(buffer.data());
  return uiWidget::parseObjHeader(&parser, nullptr);
}

}  // namespace

// outer: 1, 2, [box: 3, 2], [inner group: 3, 4]; newest children come first.
TEST(uiRadioGroup, SelectsAndReadsThroughContainersButNotNestedGroups) {
  size_t widgetsBefore = g_MemoryPtr->liveCount(9);
  uiRadioGroup* outer = static_cast<uiRadioGroup*>(uiRadioGroup::s_allocator());
  uiRadioButton* one = addButton(outer, 1);
  uiRadioButton* two = addButton(outer, 2);
  uiWidget* box = addContainer(outer, uiNonVisualWidget::s_allocator());
  uiRadioButton* boxThree = addButton(box, 3);
  uiRadioButton* boxTwo = addButton(box, 2);
  uiRadioGroup* inner =
      static_cast<uiRadioGroup*>(addContainer(outer, uiRadioGroup::s_allocator()));
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
      {7, {false, false, false, false, false, true}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    outer->setValue(c.value);
    for (size_t i = 0; i < buttons.size(); ++i)
      EXPECT_EQ(buttons[i]->isSelected(), c.selected[i]) << "button " << i;
    EXPECT_EQ(outer->getValue(), c.read);
    EXPECT_EQ(inner->getValue(), 4);
  }

  // The first selected button in depth-first order, newest child first, wins the read.
  one->select(true);
  boxThree->select(true);
  EXPECT_EQ(outer->getValue(), 3);

  // A click inside the nested group sets that group only.
  innerThree->setWidgetStates(true, true, true, false);
  innerThree->inputEvent(UIE_MOUSEUP, 5, 5, 0, true, false);
  EXPECT_EQ(inner->getValue(), 3);
  EXPECT_FALSE(innerFour->isSelected());
  EXPECT_EQ(outer->getValue(), 3);
  EXPECT_TRUE(one->isSelected());

  delete outer;
  EXPECT_EQ(g_MemoryPtr->liveCount(9), widgetsBefore);
}

TEST(uiRadioGroup, ValueLineSelectsOnlyAmongButtonsAlreadyRead) {
  const char* before = R"(
group = uiRadioGroup
{
    value = 2
    child a = uiRadioButton
    {
        value = 1
    }
    child b = uiRadioButton
    {
        value = 2
    }
}
)";
  const char* after = R"(
group = uiRadioGroup
{
    child a = uiRadioButton
    {
        value = 1
    }
    child b = uiRadioButton
    {
        value = 2
    }
    VALUE = 2
}
)";
  CaptureLog log;
  for (const char* text : {before, after}) {
    uiWidget* group = parseTree(text);
    ASSERT_NE(group, nullptr);
    ASSERT_TRUE(group->isType("uiRadioGroup"));
    bool valueAfterButtons = text == after;
    SCOPED_TRACE(valueAfterButtons ? "after" : "before");
    EXPECT_EQ(static_cast<uiRadioGroup*>(group)->getValue(), valueAfterButtons ? 2 : -1);
    auto* b = static_cast<uiRadioButton*>(group->getWidget("group.b", 0));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->isSelected(), valueAfterButtons);
    delete group;
  }
}
