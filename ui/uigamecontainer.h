#pragma once

#include "uiwidget.h"

// A container without graphics for the part of the screen where the game itself plays. Pausing it
// stops every update below it while it is still drawn, and fades its subtree out over half a
// second; resuming fades it back in.
class uiGameContainer : public uiNonVisualWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Pause --
  bool getPaused() const { return m_paused; }
  void setPaused(bool paused);

  // -- Frame and alpha --
  void update(int x, int y) override;  // does nothing while paused
  // While paused, an instant recursive fade to a visible alpha is refused, so that the paused
  // subtree stays faded out.
  void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                bool propagate) override;

private:
  bool m_paused = false;
};
