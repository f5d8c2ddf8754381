#include "uibutton.h"

#include "uikeytable.h"
#include "uisubsystem.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "snd3dsubsystem.h"
#include "udlogger.h"

namespace {

struct Hotkey {
  const char* name;
  int code;
};

const Hotkey s_hotkeys[] = {
    {"KEY_SPACE", 32}, {"KEY_BACKSPACE", 127}, {"KEY_F1", 163},    {"KEY_F2", 164},
    {"KEY_F3", 165},   {"KEY_F4", 166},        {"KEY_F5", 167},    {"KEY_F6", 168},
    {"KEY_F7", 169},   {"KEY_F8", 170},        {"KEY_F9", 171},    {"KEY_F10", 172},
    {"KEY_ESCAPE", 27}, {"KEY_ENTER", 13},
};

void playSound(const char* sound) {
  if (g_snd3d)
    g_snd3d->playSound(SND3D_UI, sound, false, false);
}

// A name key given "=" without a value is reported with its own form and changes nothing.
bool parseParticleSystem(uiButton& button, Parser& parser, const char*) {
  if (const char* file = uiExpectValue(parser, "particlesystem = \"string\""))
    button.setParticleSystem(file);
  return true;
}

bool parseClickSound(uiButton& button, Parser& parser, const char*) {
  if (const char* sound = uiExpectValue(parser, "clicksound = \"string\""))
    button.setClickSound(sound);
  return true;
}

bool parseHighlightSound(uiButton& button, Parser& parser, const char*) {
  if (const char* sound = uiExpectValue(parser, "highlightsound = \"string\""))
    button.setHighlightSound(sound);
  return true;
}

}  // namespace

const char* uiButton::s_clickDefault = "click";
const char* uiButton::s_highlightDefault = "highlight";

uiWidget* uiButton::s_allocator() {
  return new ("uibutton", __LINE__) uiButton;
}

const char* uiButton::getType() {
  return "uiButton";
}

bool uiButton::isType(const char* type) {
  return uiNameEquals(type, "uiButton") || uiVisualWidget::isType(type);
}

uiButton::uiButton() {
  setClickSound(s_clickDefault);
  setHighlightSound(s_highlightDefault);
}

void uiButton::setDefaultSounds(const char* click, const char* highlight) {
  s_clickDefault = click;
  s_highlightDefault = highlight;
}

void uiButton::setClickSound(const char* sound) {
  uiCopyName(clickSound, sound, sizeof(clickSound));
}

void uiButton::setHighlightSound(const char* sound) {
  uiCopyName(highlightSound, sound, sizeof(highlightSound));
}

void uiButton::setParticleSystem(const char* file) {
  uiCopyName(psysName, file, sizeof(psysName));
}

void uiButton::resetPsys() {
  if (psysName[0] == 0 || !g_gfx)
    return;
  if (psysId == -1)
    psysId = g_gfx->createParticleSystemInstance(name, psysName);
  else
    g_gfx->addEvent(4, 0, psysId, 0, 0.0f, nullptr);
}

void uiButton::enable() {
  flags |= WF_INPUT_FOCUS;
}

void uiButton::disable() {
  flags &= ~WF_INPUT_FOCUS;
  _loseFocus();
  _releaseInputFocus();
}

int uiButton::getButtonWidth() const {
  return spriteId != -1 && g_gfx ? g_gfx->getSpriteWidth(spriteId) : 0;
}

int uiButton::getButtonHeight() const {
  return spriteId != -1 && g_gfx ? g_gfx->getSpriteHeight(spriteId) : 0;
}

// As the visual widget's test, but the alpha test looks at the state animation.
bool uiButton::testBounds(int px, int py) {
  int stateAnim = _getButtonAnim();
  if ((flags & WF_ALPHA_TEST) && spriteId != -1 && g_gfx)
    return g_gfx->alphaTestSprite(spriteId, stateAnim, frame, px - x, py - y);
  return uiWidget::testBounds(px, py);
}

// The table is local so that the hotkey handler may call the protected _parseHotkey.
void uiButton::_parseParams(Parser* parser, char* key) {
  static const uiKey<uiButton> keys[] = {
      {"rate", uiReadValue<&uiButton::rate>},
      {"hotkey",
       [](uiButton& button, Parser& parser, const char*) {
         if (const char* keyName = uiExpectValue(parser, "hotkey = \"val\""))
           button._parseHotkey(keyName);
         return true;
       }},
      {"particlesystem", parseParticleSystem},
      {"clicksound", parseClickSound},
      {"highlightsound", parseHighlightSound},
  };
  if (!uiParseKey(keys, *this, *parser, key))
    uiVisualWidget::_parseParams(parser, key);
}

void uiButton::_parseSingleFlag(const char* flag) {
  if (uiNameEquals(flag, "UIB_PRESSED"))
    flags |= UIB_PRESSED;
  else if (uiNameEquals(flag, "UIB_HOVER"))
    flags |= UIB_HOVER;
  else if (uiNameEquals(flag, "UIB_DONTDRAWIDLE"))
    flags |= UIB_DONTDRAWIDLE;
  else
    uiVisualWidget::_parseSingleFlag(flag);
}

void uiButton::_update(int ox, int oy) {
  uiVisualWidget::_update(ox, oy);
  if (spriteId == -1)
    return;
  _updateFrame();
  _updateParticles(ox, oy);
}

// Buttons draw even at alpha 0 and ignore tiles and the sort level.
void uiButton::_render(int ox, int oy) {
  int stateAnim = _getButtonAnim();
  if (spriteId == -1 || !g_gfx)
    return;
  g_gfx->blt(depth, spriteId, ox + x, oy + y, stateAnim, frame, alpha);
  if (psysId != -1)
    g_gfx->psemit(depth, psysId, 1.0f);
}

// Event                                  | Result
// any event outside                      | hover and press dropped; false
// press inside                           | pressed, focus pushed; pressCb decides
// press up to 5 frames after a click     | swallowed: true, no callback
// release anywhere                       | leaves the focus stack when on top
// release inside while pressed           | click: particles, click sound, then releaseCb
// release inside without a press         | swallowed: true, no callback
// hotkey down                            | a release at the top-left corner while pressed
bool uiButton::_inputEvent(e_uiEvent event, int px, int py, int key, bool buttonHeld,
                           bool handled) {
  if (event == UIE_MOUSEUP)
    _releaseInputFocus();
  if (event == UIE_KEYDOWN && hotkey != -1 && key == hotkey) {
    event = UIE_MOUSEUP;
    px = x;
    py = y;
    pressed = true;
  }
  if (!testBounds(px, py)) {
    if (hover)
      _resetHover(false);
    pressed = false;
    return false;
  }
  if (!hover)
    _resetHover(true);
  if (handled) {
    pressed = false;
    return false;
  }
  if (event == UIE_MOUSEDOWN) {
    if (s_frameNumber - static_cast<unsigned long long>(lastClickFrame) <= 5)
      return true;
    pressed = true;
    if (g_ui)
      g_ui->pushInputFocusWidget(this);
  } else if (event == UIE_MOUSEUP) {
    if (!pressed)
      return true;
    pressed = false;
    resetPsys();
    playSound(clickSound);
    lastClickFrame = static_cast<long long>(s_frameNumber);
  }
  return uiWidget::_inputEvent(event, px, py, key, buttonHeld, false);
}

void uiButton::_deactivate() {
  uiVisualWidget::_deactivate();
  hover = false;
  pressed = false;
}

void uiButton::_loseFocus() {
  uiVisualWidget::_loseFocus();
  _resetHover(false);
  pressed = false;
}

// An unknown name is reported and leaves the hotkey as it was.
void uiButton::_parseHotkey(const char* keyName) {
  for (const Hotkey& entry : s_hotkeys) {
    if (uiNameEquals(keyName, entry.name)) {
      hotkey = entry.code;
      return;
    }
  }
  udLogger::log(2, "...unknown hotkey: \"^C00FF00%s^c\"\f", keyName);
}

// Normal layout: idle, hover, pressed, disabled. Short layout: idle (and hover), pressed,
// disabled. The first matching state wins.
int uiButton::_getButtonAnim() {
  bool disabled = (flags & WF_INPUT_FOCUS) == 0;
  bool pressedShown = pressed && (flags & UIB_PRESSED);
  bool hoverShown = hover && (flags & UIB_HOVER);
  int offset = 0;
  if (flags & UIB_DONTDRAWIDLE)
    offset = disabled ? 2 : pressedShown ? 1 : 0;
  else
    offset = disabled ? 3 : pressedShown ? 2 : hoverShown ? 1 : 0;
  int stateAnim = anim + offset;
  if (stateAnim != lastAnim) {
    frame = 0;
    frameTimer = 0;
    lastAnim = stateAnim;
  }
  return stateAnim;
}

void uiButton::_resetHover(bool on) {
  if (on)
    playSound(highlightSound);
  hover = on;
}

// State animations loop, and a long frame may pass several frames. A rate of 0 never moves the
// frame; an animation without frames stays on frame 0.
void uiButton::_updateFrame() {
  frameTimer += s_iDeltaTime;
  if (frameTimer <= rate)
    return;
  if (rate != 0) {
    frame += static_cast<int>(frameTimer / rate);
    frameTimer %= rate;
  }
  int stateAnim = _getButtonAnim();
  int count = g_gfx ? g_gfx->getSpriteFrameCount(spriteId, stateAnim) : 0;
  frame = count > 0 ? frame % count : 0;
}

// The burst follows the button's centre and is released by name once it has died out.
void uiButton::_updateParticles(int ox, int oy) {
  if (psysId == -1 || !g_gfx)
    return;
  int centreX = ox + x + g_gfx->getSpriteWidth(spriteId) / 2;
  int centreY = oy + y + g_gfx->getSpriteHeight(spriteId) / 2;
  g_gfx->updateParticleSystem(psysId, centreX, centreY, s_fDeltaTime);
  if (!g_gfx->particleSystemInstanceIsDead(psysId))
    return;
  g_gfx->releaseParticleSystemInstance(name);
  psysId = -1;
}

void uiButton::_releaseInputFocus() {
  if (g_ui && g_ui->getInputFocusWidget() == this)
    g_ui->popInputFocusWidget();
}
