#include "uiradiobutton.h"

#include "uiradiogroup.h"

#include "core.h"
#include "gfxsubsystem.h"

uiWidget* uiRadioButton::s_allocator() {
  return new ("uiradiobutton", __LINE__) uiRadioButton;
}

const char* uiRadioButton::getType() {
  return "uiRadioButton";
}

bool uiRadioButton::isType(const char* type) {
  return uiNameEquals(type, "uiRadioButton") || uiButton::isType(type);
}

void uiRadioButton::_parseParams(Parser* parser, char* key) {
  if (parser->ParamEqualsInt32(key, "value", &value))
    return;
  uiButton::_parseParams(parser, key);
}

// Drawn without _getButtonAnim, so selecting the button does not restart its frame. The particle
// burst is drawn even when the short layout leaves the sprite out.
void uiRadioButton::_render(int ox, int oy) {
  if (spriteId == -1 || !g_gfx)
    return;
  int offset = _getRadioAnimOffset();
  if (offset >= 0)
    g_gfx->blt(depth, spriteId, ox + x, oy + y, anim + offset, frame, alpha);
  if (psysId != -1)
    g_gfx->psemit(depth, psysId, 1.0f);
}

// A release over the button selects it in the nearest group above, whether or not the press
// was on it, and before the button's own click; a hotkey clicks without selecting.
bool uiRadioButton::_inputEvent(e_uiEvent event, int px, int py, int key, bool buttonHeld,
                                bool handled) {
  if (!handled && event == UIE_MOUSEUP && testBounds(px, py)) {
    for (uiWidget* above = parent; above; above = above->parent) {
      if (above->isType("uiRadioGroup")) {
        static_cast<uiRadioGroup*>(above)->setValue(value);
        break;
      }
    }
  }
  return uiButton::_inputEvent(event, px, py, key, buttonHeld, handled);
}

// "On" is selected or pressed. Normal layout: idle, hover, on, disabled. Short layout: hover,
// on, disabled, and nothing at all when idle. The first matching state wins.
int uiRadioButton::_getRadioAnimOffset() const {
  bool disabled = (flags & WF_INPUT_FOCUS) == 0;
  bool onShown = (selected || pressed) && (flags & UIB_PRESSED);
  bool hoverShown = hover && (flags & UIB_HOVER);
  if (flags & UIB_DONTDRAWIDLE)
    return disabled ? 2 : onShown ? 1 : hoverShown ? 0 : -1;
  return disabled ? 3 : onShown ? 2 : hoverShown ? 1 : 0;
}
