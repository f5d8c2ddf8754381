#pragma once

#include "uiwidget.h"

// A container that holds no state of its own: its value is that of the selected radio button
// below it, and setting its value selects exactly the radio buttons below it that carry it.
// Buttons inside a nested radio group belong to that group, not to this one.
class uiRadioGroup : public uiNonVisualWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  int getValue() const;  // -1 when no button is selected
  void setValue(int value);

protected:
  void _parseParams(Parser* parser, char* key) override;

  // Selects, among the radio buttons below root, those whose value matches.
  virtual void _setValue(const uiWidget* root, int value);
  int _getValue(const uiWidget* root) const;
};
