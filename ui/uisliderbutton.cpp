#include "uisliderbutton.h"

#include "uisubsystem.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cmath>

namespace {

// Truncates toward zero. A game may pass any float, so values far beyond the screen are held at
// 2^30 and NaN gives 0, where a plain conversion would be undefined.
int truncate(float value) {
  const float limit = 1073741824.0f;
  if (std::isnan(value))
    return 0;
  if (value >= limit)
    return static_cast<int>(limit);
  if (value <= -limit)
    return -static_cast<int>(limit);
  return static_cast<int>(value);
}

}  // namespace

uiWidget* uiSliderButton::s_allocator() {
  return new ("uisliderbutton", __LINE__) uiSliderButton;
}

const char* uiSliderButton::getType() {
  return "uiSliderButton";
}

bool uiSliderButton::isType(const char* type) {
  return uiNameEquals(type, "uiSliderButton") || uiButton::isType(type);
}

// The thumb's centre between the centres it has at its two limits.
float uiSliderButton::getValue() const {
  float half = (x2 - x) * 0.5f;
  float centre = x2 - half;
  float low = minX + half;
  float high = maxRight - half;
  if (maxX == minX || high == low)
    return 0.0f;
  return (centre - low) / (high - low);
}

void uiSliderButton::setValue(float value) {
  int width = x2 - x;
  float half = width * 0.5f;
  int wholeHalf = truncate(half);
  float low = minX + half;
  float high = maxRight - half;
  x = minX + truncate((high - low) * value - wholeHalf) + wholeHalf;
  x2 = x + width;
}

// "maxx" activates the slider at once, so that the sprite exists and its width fixes the
// largest right edge; the "sprite" line therefore has to come before it.
void uiSliderButton::_parseParams(Parser* parser, char* key) {
  if (parser->ParamEqualsInt32(key, "minx", &minX))
    return;
  if (!parser->ParamEqualsInt32(key, "maxx", &maxX)) {
    uiButton::_parseParams(parser, key);
    return;
  }
  setActive(true, true);
  int width = 0;
  if (spriteId != -1 && g_gfx)
    width = g_gfx->getSpriteWidth(spriteId);
  else
    udLogger::log(2,
                  "...[%s:%d] maxx needs the thumb's sprite: the ^C00FF00sprite^c line must come "
                  "first (using width 0)\f",
                  name, parser->GetLineNumber());
  maxRight = maxX + width;
}

// Without a sprite nothing happens at all, not even the button's update.
void uiSliderButton::_update(int ox, int oy) {
  if (spriteId == -1)
    return;
  if (pressed)
    _followPointer();
  uiButton::_update(ox, oy);
}

// Event                     | Result
// press on the thumb        | drag starts, focus pushed; pressCb decides
// move while dragging       | pointer recorded for the next update; dragCb decides
// release while dragging    | drag ends wherever the pointer is; releaseCb decides
// release anywhere          | leaves the focus stack when on top
// anything else             | the base reaction (callbacks inside the thumb)
// No state is touched after a callback has run, so a callback may delete the slider.
bool uiSliderButton::_inputEvent(e_uiEvent event, int px, int py, int key, bool buttonHeld,
                                 bool handled) {
  bool inside = testBounds(px, py);
  if (event == UIE_MOUSEUP && g_ui && g_ui->getInputFocusWidget() == this)
    g_ui->popInputFocusWidget();
  hover = inside;
  if (event == UIE_MOUSEMOVE && pressed) {
    dragX = px;
    dragY = py;
    if (dragCb)
      return dragCb(this, cbClient, px, py);
  } else if (event == UIE_MOUSEDOWN && inside && !handled) {
    dragX = px;
    dragY = py;
    pressed = true;
    if (g_ui)
      g_ui->pushInputFocusWidget(this);
  } else if (event == UIE_MOUSEUP && pressed) {
    pressed = false;
    if (releaseCb)
      return releaseCb(this, cbClient, px, py);
  }
  return uiWidget::_inputEvent(event, px, py, key, buttonHeld, handled);
}

// A pointer inside the thumb's span leaves it where it is; beyond one of its edges, that edge
// follows the pointer within the limits.
void uiSliderButton::_followPointer() {
  int width = g_gfx ? g_gfx->getSpriteWidth(spriteId) : 0;
  if (x > dragX) {
    if (dragX < minX)
      dragX = minX;
    x = dragX;
    x2 = x + width;
  }
  if (x2 < dragX) {
    if (dragX > maxRight)
      dragX = maxRight;
    x2 = dragX;
    x = x2 - width;
  }
}
