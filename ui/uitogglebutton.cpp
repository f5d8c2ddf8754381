#include "uitogglebutton.h"

#include "uikeytable.h"

#include "core.h"
#include "udlogger.h"

uiWidget* uiToggleButton::s_allocator() {
  return new ("uitogglebutton", __LINE__) uiToggleButton;
}

const char* uiToggleButton::getType() {
  return "uiToggleButton";
}

bool uiToggleButton::isType(const char* type) {
  return uiNameEquals(type, "uiToggleButton") || uiButton::isType(type);
}

uiToggleButton::uiToggleButton(const uiToggleButton& other) : uiButton(other) {
  toggled = other.toggled;
  uiCopyName(sprite2Name, other.sprite2Name, sizeof(sprite2Name));
  sprite2Id = other.sprite2Id == -1 ? -1 : _createSprite(sprite2Name);
}

uiToggleButton& uiToggleButton::operator=(const uiToggleButton& other) {
  if (this == &other)
    return *this;
  uiButton::operator=(other);
  _releaseSprite(sprite2Id);
  toggled = other.toggled;
  uiCopyName(sprite2Name, other.sprite2Name, sizeof(sprite2Name));
  sprite2Id = other.sprite2Id == -1 ? -1 : _createSprite(sprite2Name);
  return *this;
}

uiToggleButton::~uiToggleButton() {
  _releaseSprite(sprite2Id);
}

bool uiToggleButton::setSprite2(const char* file) {
  uiCopyName(sprite2Name, file, sizeof(sprite2Name));
  return true;
}

void uiToggleButton::setToggle(bool on) {
  toggled = on ? 1 : 0;
}

bool uiToggleButton::getToggle() const {
  return toggled != 0;
}

void uiToggleButton::toggle() {
  setToggle(!getToggle());
}

void uiToggleButton::_parseParams(Parser* parser, char* key) {
  if (!uiNameEquals(key, "sprite2")) {
    uiButton::_parseParams(parser, key);
    return;
  }
  const char* file = uiExpectValue(*parser, "sprite2 = \"val\"");
  if (file && !setSprite2(file))
    udLogger::log(2, "...failed to create sprite2: %s for %s\f", file, name);
}

// While on, the button's drawing runs with the second sprite in place of the first; the state
// animation, frame, alpha and particle burst stay the button's own.
void uiToggleButton::_render(int ox, int oy) {
  if (!toggled) {
    uiButton::_render(ox, oy);
    return;
  }
  int firstSprite = spriteId;
  spriteId = sprite2Id;
  uiButton::_render(ox, oy);
  spriteId = firstSprite;
}

// Whatever the button reports as handled flips the state: a click whose releaseCb answers true,
// a press whose pressCb does, a swallowed press or release, a key a key callback takes.
bool uiToggleButton::_inputEvent(e_uiEvent event, int px, int py, int key, bool buttonHeld,
                                 bool handled) {
  if (!uiButton::_inputEvent(event, px, py, key, buttonHeld, handled))
    return false;
  toggled = toggled ? 0 : 1;
  return true;
}

// The second sprite gets no alpha-test setup and does not size the widget.
void uiToggleButton::_activate() {
  if (sprite2Id == -1 && sprite2Name[0] != 0)
    sprite2Id = _createSprite(sprite2Name);
  uiButton::_activate();
}

void uiToggleButton::_deactivate() {
  uiButton::_deactivate();
  if (!s_dynamicLoading)
    return;
  _releaseSprite(sprite2Id);
  sprite2Id = -1;
}
