#pragma once

#include "uibutton.h"

// A button that stands for one integer value of a choice. Releasing the mouse button over it sets
// the value of the nearest radio group above it, which selects it and deselects its neighbours;
// it is drawn in its "on" animation while selected.
class uiRadioButton : public uiButton {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Value and selection --
  int getValue() const { return value; }
  void setValue(int newValue) { value = newValue; }
  void select(bool on) { selected = on; }  // changes no other button
  bool isSelected() const { return selected; }

  // Read and written by the group and the game.
  int value = -1;
  bool selected = false;

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;

private:
  int _getRadioAnimOffset() const;  // -1: the short layout draws no sprite
};
