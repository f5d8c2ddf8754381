#pragma once

#include "uivisualwidget.h"

class Parser;

// The animation styles. A record whose style is ANIM_NONE is skipped by the object that owns it
// (entering or leaving is immediate) and stepped only as a sub-animation of a dialog.
enum e_uiAnimStyle : int {
  ANIM_NONE = 0,
  ANIM_TRIVIAL = 1,      // waits for its time
  ANIM_BEZIER_LERP = 2,  // moves along a cubic Bezier curve to loc
  ANIM_ALPHA_FADE = 3,   // fades from alpha start to alpha target
  ANIM_SPRITE_MASK = 4,  // fades a tiled mask sprite drawn over the widget
  ANIM_HIDDEN = 5,       // hides the widget and takes its input focus
  ANIM_ALPHA_FADE_WITH_BEZIER_LERP = 6,
};

// One animation: what it does, for how long, and where the widget ends up. Every record that is
// stepped ends by placing its widget at loc, so loc is given even for a pure fade or mask.
struct _AnimData_s {
  int style = ANIM_NONE;
  unsigned int time = 0;  // ms
  int locX = 0, locY = 0;
  float control1 = 0.0f, control2 = 0.0f;  // inner Bezier points, as fractions of the way
  int alphaStart = 0;
  int alphaTarget = 0;
  int sprite = -1;  // the mask sprite, one use held by the record's owner; -1: none
  int spriteDepth = 0;
  int rows = 0;
  int columns = 0;
  int maskAlpha = 0;  // 0..255, changed while the animation runs
  char sound[128] {};  // played when the animation starts; empty: none
};

// Whether a step runs on the animated object itself or on a sub-animated descendant. The object
// itself keeps its active state under ANIM_HIDDEN: its own timer only runs while it is updated.
enum e_uiAnimTarget { ANIM_ON_SELF, ANIM_ON_SUB_WIDGET };

// The steps of an animation record, shared by uiAnimWidget and uiAnimDialog.

// Applies one record key line ("Time = 500", "style = BezierLerp", ...) to a record. A sprite
// line releases the mask sprite the record held before.
void uiParseAnimKey(_AnimData_s* record, Parser* parser, const char* key);
// The style part of one frame, computed at the elapsed time before the frame (ms).
void uiAnimApplyStyle(_AnimData_s* record, uiWidget* widget, unsigned int elapsed, int startX,
                      int startY, e_uiAnimTarget target);
// Advances an elapsed time by the frame's and places the widget at the end once the record's time
// is reached, in every frame after that too. Returns the new elapsed time.
unsigned int uiAnimAdvance(_AnimData_s* record, uiWidget* widget, unsigned int elapsed);
// Jumps to the end of an animation: the widget at loc, a mask at its target alpha.
void uiAnimFinish(_AnimData_s* record, uiWidget* widget);
// Moves a widget's rectangle to a point without changing its size.
void uiAnimPlace(uiWidget* widget, int placeX, int placeY);
// Tiles the record's mask over the widget, whose rectangle lies in the frame at (originX, originY).
void uiAnimDrawMask(const _AnimData_s* record, const uiWidget* widget, int originX, int originY);
void uiAnimPlaySound(const _AnimData_s* record);
// Gives back the record's use of its mask sprite, as the sprite's name, and forgets the id.
void uiAnimReleaseMask(_AnimData_s* record);

// A container that moves, fades or unmasks itself, with its children, when the game sends it in
// (enter) or out (exit). It draws no sprite of its own, only the mask of the running animation.
class uiAnimWidget : public uiVisualWidget {
public:
  // The states, numbered as a dialog's.
  enum : int {
    STATE_HIDDEN = 0,
    STATE_IDLE = 1,
    STATE_ENTERING = 2,
    STATE_EXITING = 3,
  };

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiAnimWidget() = default;
  ~uiAnimWidget() override;  // releases the mask sprites
  uiAnimWidget(const uiAnimWidget&) = delete;  // the records hold sprite uses
  uiAnimWidget& operator=(const uiAnimWidget&) = delete;

  // -- Transitions --
  virtual void enter();  // plays anim in, or becomes idle at once when it has no style
  virtual void exit();   // plays anim out, or stops at once when it has no style
  virtual void hide();   // jumps to the end of anim out; the state stays
  virtual void idle();   // jumps to the end of anim in; the state stays
  virtual void setAnimSound(bool out, const char* sound);  // cut at 127 characters
  virtual int getLastState();
  int getState() const { return state; }

  // Children that are dialogs keep their own visibility; override marks are not looked at.
  void setVisible(bool on, bool recursive) override;

  _AnimData_s animIn;
  _AnimData_s animOut;

protected:
  // Keys: "AnimIn KEY ..." and "AnimOut KEY ..." with the record keys of uiParseAnimKey.
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  void _setState(int newState);

private:
  unsigned int elapsed = 0;  // ms since the running animation started
  int startX = 0, startY = 0;
  int state = STATE_IDLE;  // a loaded widget stays as it was loaded
  int lastState = 0;
};
