#include "uisprite.h"

#include "uikeytable.h"

#include "core.h"
#include "gfxsubsystem.h"

namespace {

const uiKey<uiSprite> s_keys[] = {
    {"rate", uiReadValue<&uiSprite::rate>},
    {"loop", uiReadBoolean<&uiSprite::looping>},
    {"animate", uiReadBoolean<&uiSprite::animating>},
    {"clear", uiReadBoolean<&uiSprite::clear>},
};

}  // namespace

uiWidget* uiSprite::s_allocator() {
  return new ("uisprite", __LINE__) uiSprite;
}

const char* uiSprite::getType() {
  return "uiSprite";
}

bool uiSprite::isType(const char* type) {
  return uiNameEquals(type, "uiSprite") || uiVisualWidget::isType(type);
}

void uiSprite::setAnim(int newAnim, bool loopOn, bool clearWhenStopped, unsigned int delay) {
  clear = clearWhenStopped;
  anim = newAnim;
  looping = loopOn;
  frameTimer = 0;
  frame = 0;
  animating = true;
  startDelay = delay;
}

void uiSprite::reset(bool loopOn, int startFrame, unsigned int delay) {
  looping = loopOn;
  frameTimer = 0;
  frame = startFrame;
  animating = true;
  startDelay = delay;
}

void uiSprite::disable(bool stop, bool clearWhenStopped) {
  animating = !stop;
  clear = clearWhenStopped;
}

void uiSprite::loop(bool on) {
  looping = on;
}

void uiSprite::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(s_keys, *this, *parser, key))
    uiVisualWidget::_parseParams(parser, key);
}

// At most one frame change per update; time beyond the rate is dropped. A stopped sprite does not
// even advance its fade. An animation without frames stays on frame 0.
void uiSprite::_update(int ox, int oy) {
  if (!animating || spriteId == -1)
    return;
  uiVisualWidget::_update(ox, oy);
  frameTimer += s_iDeltaTime;
  if (startDelay != 0) {
    if (frameTimer >= startDelay) {
      startDelay = 0;
      frameTimer = 0;
    }
    return;
  }
  if (frameTimer <= rate)
    return;
  ++frame;
  frameTimer = 0;
  int count = g_gfx ? g_gfx->getSpriteFrameCount(spriteId, anim) : 0;
  if (frame < count)
    return;
  if (looping) {
    frame = 0;
    return;
  }
  frame = count > 0 ? count - 1 : 0;
  animating = false;
}

void uiSprite::_render(int ox, int oy) {
  if (!animating && clear)
    return;
  uiVisualWidget::_render(ox, oy);
}
