#include "uianimwidget.h"

#include "uikeytable.h"
#include "uinumeric.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "snd3dsubsystem.h"
#include "udlogger.h"

#include <algorithm>
#include <climits>

namespace {

// Indexed by e_uiAnimStyle.
const char* const s_styleNames[] = {
    "None",
    "Trivial",
    "BezierLerp",
    "AlphaFade",
    "SpriteMask",
    "Hidden",
    "AlphaFadeWithBezierLerp",
};

// An unknown name leaves the style as it was.
bool parseStyle(_AnimData_s& record, Parser& parser, const char*) {
  const char* styleName = uiExpectValue(parser, "style = \"val\"");
  if (!styleName)
    return true;
  for (int style = ANIM_NONE; style <= ANIM_ALPHA_FADE_WITH_BEZIER_LERP; ++style) {
    if (uiNameEquals(styleName, s_styleNames[style])) {
      record.style = style;
      return true;
    }
  }
  udLogger::log(2, "...anim style type \"^C00FF00%s^c\" unknown\f", styleName);
  return true;
}

bool parseBezierControls(_AnimData_s& record, Parser& parser, const char* key) {
  return parser.ParamEqualsFloat32_2(key, "BezierControls", &record.control1, &record.control2);
}

bool parseLoc(_AnimData_s& record, Parser& parser, const char* key) {
  return parser.ParamEqualsInt32_2(key, "Loc", &record.locX, &record.locY);
}

// A second sprite line gives back the use of the first sprite instead of keeping it to the end.
bool parseSprite(_AnimData_s& record, Parser& parser, const char*) {
  const char* file = uiExpectValue(parser, "sprite = val");
  if (!file)
    return true;
  uiAnimReleaseMask(&record);
  record.sprite = g_gfx ? g_gfx->createSprite(file) : -1;
  return true;
}

bool parseSpriteDepth(_AnimData_s& record, Parser& parser, const char*) {
  if (const char* depthName = uiExpectValue(parser, "spritedepth = val"))
    record.spriteDepth = uiWidget::s_getDepthValue(depthName);
  return true;
}

bool parseSound(_AnimData_s& record, Parser& parser, const char*) {
  if (const char* sound = uiExpectValue(parser, "sound = val"))
    uiCopyName(record.sound, sound, sizeof(record.sound));
  return true;
}

// The record keys in the order they are tried.
const uiKey<_AnimData_s> s_animKeys[] = {
    {"style", parseStyle},
    {"Time", uiReadValue<&_AnimData_s::time>},
    {"BezierControls", parseBezierControls},
    {"Loc", parseLoc},
    {"AlphaTarget", uiReadValue<&_AnimData_s::alphaTarget>},
    {"AlphaStart", uiReadValue<&_AnimData_s::alphaStart>},
    {"sprite", parseSprite},
    {"spritedepth", parseSpriteDepth},
    {"SpriteVertCount", uiReadValue<&_AnimData_s::rows>},
    {"SpriteHorzCount", uiReadValue<&_AnimData_s::columns>},
    {"sound", parseSound},
};

// How far the animation has come after `elapsed` ms; past 1 once its time is over. A record
// without time is at its end at once, instead of dividing by zero.
double progress(const _AnimData_s& record, unsigned int elapsed) {
  if (record.time == 0)
    return 1.0;
  return static_cast<double>(elapsed) / static_cast<double>(record.time);
}

// One axis of the cubic Bezier curve through from, from + control1 x d, from + control2 x d, to.
int bezierAxis(int from, int to, float control1, float control2, double t) {
  double d = static_cast<double>(to) - from;
  double p1 = from + control1 * d;
  double p2 = from + control2 * d;
  double c = 3.0 * (p1 - from);
  double b = 3.0 * (p2 - p1) - c;
  double a = d - c - b;
  // Extrapolated positions can leave the range of int; they are held at its ends.
  return uiTruncateToInt(((a * t + b) * t + c) * t + from);
}

void bezierStep(const _AnimData_s& record, uiWidget* widget, unsigned int elapsed, int startX,
                int startY) {
  double t = progress(record, elapsed);
  if (startX != record.locX) {
    int width = widget->getWidth();
    widget->x = bezierAxis(startX, record.locX, record.control1, record.control2, t);
    widget->x2 = widget->x + width;
  }
  if (startY != record.locY) {
    int height = widget->getHeight();
    widget->y = bezierAxis(startY, record.locY, record.control1, record.control2, t);
    widget->y2 = widget->y + height;
  }
}

// The fade itself is carried out by the widgets that draw; it is started on the first frame only.
void fadeStep(const _AnimData_s& record, uiWidget* widget, unsigned int elapsed) {
  if (elapsed != 0)
    return;
  widget->setAlpha(static_cast<unsigned char>(record.alphaStart), 0, 0, true);
  widget->setAlpha(static_cast<unsigned char>(record.alphaTarget), record.time, 0, true);
}

int limitAlpha(double value) {
  return value < 0.0 ? 0 : value > 255.0 ? 255 : static_cast<int>(value);
}

void maskStep(_AnimData_s& record, unsigned int elapsed) {
  double t = progress(record, elapsed);
  record.maskAlpha = limitAlpha((1.0 - t) * record.alphaStart + record.alphaTarget * t);
}

// A deactivated widget is no longer updated, so the animated object keeps its own active state
// and its animation can still finish; sub-animated widgets are switched off entirely.
void hiddenStep(uiWidget* widget, e_uiAnimTarget target) {
  if (target == ANIM_ON_SUB_WIDGET) {
    widget->setWidgetStates(false, false, false, true);
    return;
  }
  widget->setVisible(false, true);
  widget->setInputFocus(false, true);
}

}  // namespace

void uiParseAnimKey(_AnimData_s* record, Parser* parser, const char* key) {
  if (!uiParseKey(s_animKeys, *record, *parser, key))
    udLogger::log(2, "...unknown command for anim: \"^C00FF00%s^c\"\f", key ? key : "");
}

void uiAnimApplyStyle(_AnimData_s* record, uiWidget* widget, unsigned int elapsed, int startX,
                      int startY, e_uiAnimTarget target) {
  switch (record->style) {
    case ANIM_BEZIER_LERP: bezierStep(*record, widget, elapsed, startX, startY); break;
    case ANIM_ALPHA_FADE: fadeStep(*record, widget, elapsed); break;
    case ANIM_SPRITE_MASK: maskStep(*record, elapsed); break;
    case ANIM_HIDDEN: hiddenStep(widget, target); break;
    case ANIM_ALPHA_FADE_WITH_BEZIER_LERP:
      fadeStep(*record, widget, elapsed);
      bezierStep(*record, widget, elapsed, startX, startY);
      break;
    default: break;
  }
}

unsigned int uiAnimAdvance(_AnimData_s* record, uiWidget* widget, unsigned int elapsed) {
  unsigned int frame = uiWidget::s_iDeltaTime;
  unsigned int next = elapsed > UINT_MAX - frame ? UINT_MAX : elapsed + frame;
  if (next >= record->time)
    uiAnimFinish(record, widget);
  return next;
}

void uiAnimFinish(_AnimData_s* record, uiWidget* widget) {
  uiAnimPlace(widget, record->locX, record->locY);
  if (record->style == ANIM_SPRITE_MASK)
    record->maskAlpha = limitAlpha(record->alphaTarget);
}

void uiAnimPlace(uiWidget* widget, int placeX, int placeY) {
  int width = widget->getWidth();
  int height = widget->getHeight();
  widget->x2 = placeX + width;
  widget->y2 = placeY + height;
  widget->x = placeX;
  widget->y = placeY;
}

void uiAnimDrawMask(const _AnimData_s* record, const uiWidget* widget, int originX, int originY) {
  if (record->sprite == -1 || record->maskAlpha == 0 || !g_gfx)
    return;
  int width = g_gfx->getSpriteWidth(record->sprite);
  int height = g_gfx->getSpriteHeight(record->sprite);
  unsigned char alpha = static_cast<unsigned char>(record->maskAlpha);
  int rows = std::min(record->rows, uiVisualWidget::MAX_TILES);
  int columns = std::min(record->columns, uiVisualWidget::MAX_TILES);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column)
      g_gfx->blt(record->spriteDepth, record->sprite, originX + widget->x + column * width,
                 originY + widget->y + row * height, 0, 0, alpha);
  }
}

void uiAnimPlaySound(const _AnimData_s* record) {
  if (record->sound[0] && g_snd3d)
    g_snd3d->playSound(SND3D_UI, record->sound, false, false);
}

void uiAnimReleaseMask(_AnimData_s* record) {
  if (g_gfx && record->sprite != -1) {
    if (const char* spriteName = g_gfx->getSpriteName(record->sprite))
      g_gfx->releaseSprite(spriteName);
  }
  record->sprite = -1;
}

uiWidget* uiAnimWidget::s_allocator() {
  return new ("uianimwidget", 82) uiAnimWidget;
}

const char* uiAnimWidget::getType() {
  return "uiAnimWidget";
}

bool uiAnimWidget::isType(const char* type) {
  return uiNameEquals(type, "uiAnimWidget") || uiVisualWidget::isType(type);
}

uiAnimWidget::~uiAnimWidget() {
  uiAnimReleaseMask(&animIn);
  uiAnimReleaseMask(&animOut);
}

// Without an in-animation the widget is idle at once and its states are left alone.
void uiAnimWidget::enter() {
  if (animIn.style == ANIM_NONE) {
    lastState = state;
    state = STATE_IDLE;
    elapsed = 0;
    return;
  }
  _setState(STATE_ENTERING);
  startX = x;
  startY = y;
  uiAnimPlaySound(&animIn);
}

void uiAnimWidget::exit() {
  if (animOut.style == ANIM_NONE) {
    _setState(STATE_HIDDEN);
    return;
  }
  _setState(STATE_EXITING);
  startX = x;
  startY = y;
  uiAnimPlaySound(&animOut);
}

void uiAnimWidget::hide() {
  uiAnimFinish(&animOut, this);
}

void uiAnimWidget::idle() {
  uiAnimFinish(&animIn, this);
}

void uiAnimWidget::setAnimSound(bool out, const char* sound) {
  _AnimData_s& record = out ? animOut : animIn;
  uiCopyName(record.sound, sound, sizeof(record.sound));
}

int uiAnimWidget::getLastState() {
  return lastState;
}

void uiAnimWidget::setVisible(bool on, bool recursive) {
  uiVisualWidget::setVisible(on, false);
  if (!recursive)
    return;
  for (_WidgetList_s* node = children; node; node = node->next) {
    if (!node->widget->isType("uiDialog"))
      node->widget->setVisible(on, true);
  }
}

void uiAnimWidget::_parseParams(Parser* parser, char* key) {
  if (uiNameEquals(key, "AnimIn")) {
    uiParseAnimKey(&animIn, parser, parser->GetToken(" "));
    return;
  }
  if (uiNameEquals(key, "AnimOut")) {
    uiParseAnimKey(&animOut, parser, parser->GetToken(" "));
    return;
  }
  uiVisualWidget::_parseParams(parser, key);
}

// State    | this frame                                  | when the time is over
// idle     | last state catches up (one frame late)      |
// hidden   | last state catches up                       |
// entering | anim in stepped                             | idle
// exiting  | anim out stepped                            | hidden: inactive, no input focus
// The widget's own alpha fade is not advanced: it draws no sprite of its own.
void uiAnimWidget::_update(int, int) {
  if (state == STATE_HIDDEN || state == STATE_IDLE) {
    if (lastState != state)
      _setState(state);
    return;
  }
  _AnimData_s& record = state == STATE_ENTERING ? animIn : animOut;
  uiAnimApplyStyle(&record, this, elapsed, startX, startY, ANIM_ON_SELF);
  elapsed = uiAnimAdvance(&record, this, elapsed);
  if (elapsed < record.time)
    return;
  elapsed = 0;
  lastState = state;
  if (state == STATE_ENTERING) {
    state = STATE_IDLE;
    return;
  }
  state = STATE_HIDDEN;
  setActive(false, true);
  setInputFocus(false, true);
}

// Only the mask of the running animation is drawn; the children are drawn by the traversal. A
// widget that has gone out hides itself after drawing its mask one last time.
void uiAnimWidget::_render(int originX, int originY) {
  bool in = state == STATE_IDLE || state == STATE_ENTERING;
  uiAnimDrawMask(in ? &animIn : &animOut, this, originX, originY);
  if (state == STATE_HIDDEN)
    setVisible(false, true);
}

void uiAnimWidget::_setState(int newState) {
  lastState = state;
  state = newState;
  elapsed = 0;
  if (newState == STATE_HIDDEN) {
    setActive(false, true);
    setInputFocus(false, true);
  } else if (newState == STATE_ENTERING || newState == STATE_EXITING) {
    setActive(true, true);
    setVisible(true, true);
    setInputFocus(false, true);
  }
}
