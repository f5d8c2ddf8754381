#include "uiradiogroup.h"

#include "uiradiobutton.h"

#include "core.h"

uiWidget* uiRadioGroup::s_allocator() {
  return new ("uiradiogroup", __LINE__) uiRadioGroup;
}

const char* uiRadioGroup::getType() {
  return "uiRadioGroup";
}

bool uiRadioGroup::isType(const char* type) {
  return uiNameEquals(type, "uiRadioGroup") || uiNonVisualWidget::isType(type);
}

int uiRadioGroup::getValue() const {
  return _getValue(this);
}

void uiRadioGroup::setValue(int value) {
  _setValue(this, value);
}

// The value selects among the buttons that exist when the line is read; nothing is stored, so
// the line belongs after the buttons' blocks.
void uiRadioGroup::_parseParams(Parser* parser, char* key) {
  int value = -1;
  if (parser->ParamEqualsInt32(key, "value", &value)) {
    _setValue(this, value);
    return;
  }
  uiNonVisualWidget::_parseParams(parser, key);
}

// Several buttons of the same value are all selected; a nested group and its subtree are left
// alone, and any other container is searched.
void uiRadioGroup::_setValue(const uiWidget* root, int value) {
  for (_WidgetList_s* node = root->getChildren(); node; node = node->next) {
    uiWidget* child = node->widget;
    if (child->isType("uiRadioButton")) {
      uiRadioButton* button = static_cast<uiRadioButton*>(child);
      button->select(button->getValue() == value);
    } else if (!child->isType("uiRadioGroup")) {
      _setValue(child, value);
    }
  }
}

// The first selected button in depth-first order (newest child first), nested groups excluded.
int uiRadioGroup::_getValue(const uiWidget* root) const {
  for (_WidgetList_s* node = root->getChildren(); node; node = node->next) {
    uiWidget* child = node->widget;
    if (child->isType("uiRadioButton")) {
      const uiRadioButton* button = static_cast<const uiRadioButton*>(child);
      if (button->isSelected())
        return button->getValue();
    } else if (!child->isType("uiRadioGroup")) {
      int found = _getValue(child);
      if (found != -1)
        return found;
    }
  }
  return -1;
}
