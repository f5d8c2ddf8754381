#include "uivisualwidget.h"

#include "uikeytable.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <algorithm>

namespace {

bool parseSprite(uiVisualWidget& widget, Parser& parser, const char*) {
  const char* file = uiExpectValue(parser, "sprite = \"val\"");
  if (file && !widget.setSprite(file, widget.anim, widget.frame, false))
    udLogger::log(2, "...failed to create sprite: %s for %s\f", file, widget.name);
  return true;
}

// The frame is checked only when the sprite exists; a bad value is reported and kept.
bool parseFrame(uiVisualWidget& widget, Parser& parser, const char* key) {
  if (!uiReadValue<&uiVisualWidget::frame>(widget, parser, key))
    return false;
  if (widget.spriteId != -1 && g_gfx &&
      widget.frame >= g_gfx->getSpriteFrameCount(widget.spriteId, widget.anim))
    udLogger::log(2, "...frame is out of animation bounds.\f");
  return true;
}

// Set at once, without touching the children. Values beyond 0..255 are held at the nearest end
// instead of wrapping around (300 would otherwise become 44).
bool parseAlpha(uiVisualWidget& widget, Parser& parser, const char* key) {
  int value = 255;
  if (!parser.ParamEqualsInt32(key, "alpha", &value))
    return false;
  value = value < 0 ? 0 : value > 255 ? 255 : value;
  widget.setAlpha(static_cast<unsigned char>(value), 0, 0, false);
  return true;
}

const uiKey<uiVisualWidget> s_keys[] = {
    {"sprite", parseSprite},
    {"anim", uiReadValue<&uiVisualWidget::anim>},
    {"frame", parseFrame},
    {"alpha", parseAlpha},
    {"tilevertcount", uiReadValue<&uiVisualWidget::tileRows>},
    {"tilehorzcount", uiReadValue<&uiVisualWidget::tileColumns>},
};

}  // namespace

uiWidget* uiVisualWidget::s_allocator() {
  return new ("uivisualwidget", __LINE__) uiVisualWidget;
}

const char* uiVisualWidget::getType() {
  return "uiVisualWidget";
}

bool uiVisualWidget::isType(const char* type) {
  return uiNameEquals(type, "uiVisualWidget") || uiWidget::isType(type);
}

uiVisualWidget::uiVisualWidget(const uiVisualWidget& other) : uiWidget(other) {
  *this = other;
}

uiVisualWidget& uiVisualWidget::operator=(const uiVisualWidget& other) {
  if (this == &other)
    return *this;
  uiWidget::operator=(other);
  _releaseSprite(spriteId);
  anim = other.anim;
  frame = other.frame;
  uiCopyName(spriteName, other.spriteName, sizeof(spriteName));
  alpha = other.alpha;
  fade = other.fade;
  tileRows = other.tileRows;
  tileColumns = other.tileColumns;
  sortLevel = other.sortLevel;
  spriteId = other.spriteId == -1 ? -1 : _createSprite(spriteName);
  return *this;
}

uiVisualWidget::~uiVisualWidget() {
  _releaseSprite(spriteId);
}

void uiVisualWidget::releaseSprite() {
  if (spriteId == -1)
    return;
  _releaseSprite(spriteId);
  spriteId = -1;
}

bool uiVisualWidget::setSprite(const char* file, int newAnim, int newFrame, bool create) {
  uiCopyName(spriteName, file, sizeof(spriteName));
  anim = newAnim;
  frame = newFrame;
  _releaseSprite(spriteId);
  spriteId = -1;
  if (create)
    _activate();
  return true;
}

void uiVisualWidget::setAnim(int newAnim) {
  anim = newAnim;
}

void uiVisualWidget::setFrame(int newFrame) {
  frame = newFrame;
}

int uiVisualWidget::getFrame() const {
  return frame;
}

int uiVisualWidget::getSpriteId() const {
  return spriteId;
}

unsigned char uiVisualWidget::getAlpha() const {
  return alpha;
}

void uiVisualWidget::setSortLevel(int level) {
  sortLevel = level;
}

// With WF_ALPHA_TEST the pixel of the current frame under the point decides; tiles are ignored.
bool uiVisualWidget::testBounds(int px, int py) {
  if ((flags & WF_ALPHA_TEST) && spriteId != -1 && g_gfx)
    return g_gfx->alphaTestSprite(spriteId, anim, frame, px - x, py - y);
  return uiWidget::testBounds(px, py);
}

void uiVisualWidget::setAlpha(unsigned char newAlpha, unsigned int duration, unsigned int delay,
                              bool propagate) {
  if (flags & WF_IGNORE_ALPHA)
    return;
  fade.start(alpha, newAlpha, duration, delay);
  uiWidget::setAlpha(newAlpha, duration, delay, propagate);
}

void uiVisualWidget::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(s_keys, *this, *parser, key))
    uiWidget::_parseParams(parser, key);
}

void uiVisualWidget::_update(int, int) {
  _lerpToTargetAlpha(s_iDeltaTime);
}

void uiVisualWidget::_render(int ox, int oy) {
  if (spriteId == -1 || alpha == 0 || !g_gfx)
    return;
  int left = ox + x;
  int top = oy + y;
  int width = 0;
  int height = 0;
  if (tileRows != 1 || tileColumns != 1) {
    width = g_gfx->getSpriteWidth(spriteId);
    height = g_gfx->getSpriteHeight(spriteId);
  }
  int rows = std::min(tileRows, MAX_TILES);
  int columns = std::min(tileColumns, MAX_TILES);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      int tileX = left + column * width;
      int tileY = top + row * height;
      if (sortLevel == -1)
        g_gfx->blt(depth, spriteId, tileX, tileY, anim, frame, alpha);
      else
        g_gfx->bltSort(depth, sortLevel, spriteId, tileX, tileY, anim, frame, alpha);
    }
  }
}

// A visual widget consumes no input and fires none of its callbacks; its children still see
// the event.
bool uiVisualWidget::_inputEvent(e_uiEvent, int, int, int, bool, bool) {
  return false;
}

// A widget given no size takes the frame size of its sprite.
void uiVisualWidget::_activate() {
  uiWidget::_activate();
  if (spriteId != -1 || spriteName[0] == 0)
    return;
  spriteId = _createSprite(spriteName);
  if (spriteId == -1)
    return;
  if (flags & WF_ALPHA_TEST)
    g_gfx->setupAlphaTestSprite(spriteId);
  if (x2 == 0 && y2 == 0) {
    x2 = x + g_gfx->getSpriteWidth(spriteId);
    y2 = y + g_gfx->getSpriteHeight(spriteId);
  }
}

void uiVisualWidget::_deactivate() {
  uiWidget::_deactivate();
  if (!s_dynamicLoading)
    return;
  _releaseSprite(spriteId);
  spriteId = -1;
}

void uiVisualWidget::_lerpToTargetAlpha(unsigned int ms) {
  fade.step(alpha, ms);
}
