#pragma once

#include "uiwidget.h"

// Places one particle system instance of the graphics library in the tree: the emitter follows
// the widget, is advanced by its update and drawn by its render with the widget's alpha. The
// instance is known to the graphics library by the widget's name.

// Particle system flags, in the subclass half of the flags word.
enum : unsigned int {
  UIP_DONTUPDATE = 0x10000,  // the update leaves the instance frozen
  UIP_DONTRENDER = 0x20000,  // the render does not draw the instance
};

class uiParticleSystem : public uiWidget {
public:
  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  // -- Instance --
  // Releases the instance held so far, then creates one from file; -1 is kept as it comes.
  void loadPsys(const char* file);
  void reset();            // restarts the instance
  void stop();             // stops emission; live particles finish
  void releaseInstance();  // destroying the widget does not release the instance; this does
  int getId() const { return instanceId; }  // -1: no instance

  // No fade: the alpha is set at once, duration and delay are only handed on to the children.
  void setAlpha(unsigned char newAlpha, unsigned int duration, unsigned int delay,
                bool propagate) override;

  int instanceId = -1;
  unsigned char alpha = 255;

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _parseSingleFlag(const char* flag) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
};
