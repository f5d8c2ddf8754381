#pragma once

#include "uivisualwidget.h"

class uiLock;

// A visual widget that draws the part of its sprite frame matching a value within a range: a left
// part growing to the right, or a bottom part growing upward (inverted: the top part that remains).
// The drawn amount follows the value at once or glides toward it. The value may be stepped from
// another thread while the bar is drawn: the bar has a lock of its own.
class uiProgressBar : public uiVisualWidget {
public:
  static uiWidget* s_allocator();  // null also when the bar's lock cannot be made
  const char* getType() override;
  bool isType(const char* type) override;

  // A bar whose lock cannot be made logs it and works without one, on one thread only.
  uiProgressBar();
  // A copy has its own lock; the two bars never share one. Copies are made on the UI's thread
  // while no other thread steps either bar.
  uiProgressBar(const uiProgressBar& other);
  uiProgressBar& operator=(const uiProgressBar& other);
  ~uiProgressBar() override;

  // -- Value: setRange, setStep and isFull belong to the UI's thread --
  void setRange(int min, int max);  // the value is not limited again
  // Limited to the range (the upper end wins when the range is reversed); immediate makes the
  // display jump there instead of gliding.
  virtual void setValue(int newValue, bool immediate);
  void setStep(int newStep) { stepSize = newStep; }
  bool isFull() const;  // a smooth bar is full once its display has arrived

  // -- Any thread --
  void delta(int amount);  // limited to the range; the display follows at the next update
  void step();

  // Read and written by the game; value and displayedValue only under the lock while another
  // thread may step the bar.
  int minRange = 0;
  int maxRange = 100;
  int value = 0;
  float displayedValue = 0.0f;  // the value as drawn
  int stepSize = 1;
  unsigned int rate = 200;  // ms: time constant of the smooth display
  uiLock* lock = nullptr;   // owned; null only when it could not be made
  bool smooth = false;
  bool vertical = false;
  bool invert = false;  // a vertical bar draws the complementary top part

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;

private:
  void _copyFields(const uiProgressBar& other);
  void _updateDisplay(unsigned int ms);
  int _limited(long long candidate) const;
};
