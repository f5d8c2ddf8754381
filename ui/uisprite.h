#pragma once

#include "uivisualwidget.h"

// A visual widget that plays one animation of its sprite frame by frame: once or in a loop,
// optionally after a start delay, vanishing or holding its last frame when it stops.
class uiSprite : public uiVisualWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Playback (delays in milliseconds) --
  using uiVisualWidget::setAnim;
  // Plays newAnim from its first frame; with clearWhenStopped the widget vanishes once it stops.
  void setAnim(int newAnim, bool loopOn, bool clearWhenStopped, unsigned int delay);
  // Replays the current animation from startFrame.
  void reset(bool loopOn, int startFrame, unsigned int delay);
  // stop false resumes playing from the current frame without resetting the timer.
  void disable(bool stop, bool clearWhenStopped);
  void loop(bool on);

  unsigned int rate = 1000;  // ms a frame stays before the next one
  bool looping = false;
  bool animating = false;
  unsigned int frameTimer = 0;  // ms since the last frame change, or since the start of the delay
  unsigned int startDelay = 0;  // ms; 0 once it has passed
  bool clear = true;            // while not animating, draw nothing

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
};
