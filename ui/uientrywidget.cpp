#include "uientrywidget.h"

#include "uikeytable.h"
#include "uinumeric.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cstdlib>

namespace {

// Sprite names read from definition files are cut to fit this buffer.
const int NAME_BUFFER = 260;

// Reads "= number" from the rest of the line; false when the "=", the token or its leading
// decimal number is missing.
bool readNumber(Parser& parser, int* out) {
  if (!parser.GetEqualsToken())
    return false;
  const char* token = parser.GetToken(" ");
  if (!token)
    return false;
  char* end = nullptr;
  long value = strtol(token, &end, 10);
  if (end == token)
    return false;
  *out = uiClampToInt(value);
  return true;
}

// Typed letters are stored as capitals: a-z, and the Latin-1 small letters 0xE0 to 0xFF.
unsigned int upperCase(unsigned int character) {
  if (character >= 'a' && character <= 'z')
    return character - 0x20;
  if (character >= 0xE0 && character <= 0xFF)
    return character - 0x20;
  return character;
}

}  // namespace

uiWidget* uiEntryWidget::s_allocator() {
  return new ("uientrywidget.h", __LINE__) uiEntryWidget;
}

const char* uiEntryWidget::getType() {
  return "uiEntryWidget";
}

bool uiEntryWidget::isType(const char* type) {
  return uiNameEquals(type, "uiEntryWidget") || uiTextWidget::isType(type);
}

void uiEntryWidget::reset() {
  length = 0;
  accepted = false;
  text[0] = 0;
}

bool uiEntryWidget::setCursor(const char* file) {
  int previous = cursor;
  cursorFrame = 0;
  cursorElapsed = 0;
  cursor = _createSprite(file);
  // Released after the new one exists, so that the same sprite given again is not reloaded.
  _releaseSprite(previous);
  return cursor != -1;
}

bool uiEntryWidget::testBounds(int px, int py) {
  return entryRect.left <= px && px < entryRect.right && entryRect.top <= py &&
         py < entryRect.bottom;
}

int uiEntryWidget::getWidth() const {
  return entryRect.right - entryRect.left;
}

int uiEntryWidget::getHeight() const {
  return entryRect.bottom - entryRect.top;
}

void uiEntryWidget::_parseParams(Parser* parser, char* key) {
  static const uiMemberKey<uiEntryWidget> keys[] = {
      {"entrywidth", &uiEntryWidget::_parseEntryWidth},
      {"cursorrate", &uiEntryWidget::_parseCursorRate},
      {"cursor", &uiEntryWidget::_parseCursor},
      {"entryrectx", &uiEntryWidget::_parseEntryRectX},
      {"entryrecty", &uiEntryWidget::_parseEntryRectY},
      {"endhidecursor", &uiEntryWidget::_parseEndHideCursor},
      {"acceptonenter", &uiEntryWidget::_parseAcceptOnEnter},
  };
  if (!uiParseKey(keys, *this, *parser, key))
    uiTextWidget::_parseParams(parser, key);
}

void uiEntryWidget::_render(int originX, int originY) {
  bool full = _textLength() >= _maxLength();
  if (cursor != -1 && getInputFocus() && !(endhidecursor && full) && g_gfx)
    _renderCursor(originX, originY);
  uiTextWidget::_render(originX, originY);
}

// Events while the text is not accepted:
//   key down Enter (13, 154)   accepts when acceptonenter, then the base reaction fires keyDownCb
//   key down erase (127)       removes the last character; handled even when the text is empty
//   other key downs            not handled, not passed on
//   character                  appended upper-cased unless refused (below); handled when stored
//   mouse events               not handled, not passed on
// Once accepted, nothing is handled until reset().
bool uiEntryWidget::_inputEvent(e_uiEvent event, int px, int py, int key, bool buttonHeld,
                                bool handled) {
  if (accepted || handled)
    return false;
  if (event == UIE_KEYDOWN)
    return _keyDown(px, py, key, buttonHeld);
  if (event == UIE_CHAR)
    return _typeCharacter(key);
  return false;
}

void uiEntryWidget::_gainFocus() {
  cursorFrame = 0;
  cursorElapsed = 0;
}

void uiEntryWidget::_print(int newSet, const unsigned int* source) {
  uiTextWidget::_print(newSet, source);
  int limit = _maxLength();
  length = _textLength();
  for (; length > limit; --length)
    text[length - 1] = 0;
}

bool uiEntryWidget::_parseEntryWidth(Parser& parser, const char*) {
  int value = 0;
  if (!readNumber(parser, &value)) {
    uiReportExpected("entrywidth = val");
    return true;
  }
  // The text holds 127 characters, so a wider field could only be typed past its end.
  entrywidth = value < 0 ? 0 : value > MAX_ENTRY_WIDTH ? MAX_ENTRY_WIDTH : value;
  if (entrywidth != value)
    udLogger::log(2, "...[%s:%d] entrywidth ^C00FF00%d^c outside 0..%d, using %d\f", name,
                  parser.GetLineNumber(), value, MAX_ENTRY_WIDTH, entrywidth);
  return true;
}

bool uiEntryWidget::_parseCursorRate(Parser& parser, const char*) {
  int value = 0;
  if (!readNumber(parser, &value)) {
    uiReportExpected("cursorrate = val");
    return true;
  }
  // A negative rate is taken as unsigned: so large that the cursor keeps its first frame.
  cursorrate = static_cast<unsigned int>(value);
  return true;
}

bool uiEntryWidget::_parseCursor(Parser& parser, const char*) {
  const char* value = uiExpectValue(parser, "cursor = \"val\"");
  if (!value)
    return true;
  char file[NAME_BUFFER];
  uiCopyName(file, value, sizeof file);
  if (!setCursor(file))
    udLogger::log(2, "...failed to create cursor: %s for %s\f", file, name);
  return true;
}

// The rectangle is placed from the position and justification known when the line is read.
bool uiEntryWidget::_parseEntryRectX(Parser& parser, const char*) {
  int width = 0;
  if (!readNumber(parser, &width)) {
    uiReportExpected("entryrectx = val");
    return true;
  }
  if (justify & CENTER)
    entryRect.left = x - width / 2;
  else if (justify & RIGHT)
    entryRect.left = x - width;
  else
    entryRect.left = x;
  entryRect.right = entryRect.left + width;
  return true;
}

bool uiEntryWidget::_parseEntryRectY(Parser& parser, const char*) {
  int height = 0;
  if (!readNumber(parser, &height)) {
    uiReportExpected("entryrecty = val");
    return true;
  }
  entryRect.top = y;
  entryRect.bottom = y + height;
  return true;
}

bool uiEntryWidget::_parseEndHideCursor(Parser& parser, const char* key) {
  uiExpectBoolean(*this, parser, key, &endhidecursor);
  return true;
}

bool uiEntryWidget::_parseAcceptOnEnter(Parser& parser, const char* key) {
  return parser.ParamEqualsBoolean(key, "acceptonenter", &acceptonenter);
}

int uiEntryWidget::_maxLength() const {
  if (entrywidth < 0)
    return 0;
  return entrywidth > MAX_ENTRY_WIDTH ? MAX_ENTRY_WIDTH : entrywidth;
}

bool uiEntryWidget::_keyDown(int px, int py, int key, bool buttonHeld) {
  if (key == UIK_ENTER || key == UIK_ENTER2) {
    if (acceptonenter)
      accepted = true;
    // The base reaction is how the game's keyDownCb hears Enter.
    return uiWidget::_inputEvent(UIE_KEYDOWN, px, py, key, buttonHeld, false);
  }
  if (key == UIK_ERASE) {
    if (length > 0)
      text[--length] = 0;
    return true;
  }
  return false;
}

// Refused without a message: the control codes 7 to 13 and the backslash (judged by the low
// byte, taken as signed), a full text, and characters the font cannot draw.
bool uiEntryWidget::_typeCharacter(int key) {
  signed char low = static_cast<signed char>(key & 0xFF);
  if ((low >= 7 && low <= 13) || low == '\\')
    return false;
  if (length >= _maxLength())
    return false;
  unsigned int character = upperCase(static_cast<unsigned int>(key) & 0xFFFF);
  if (!g_gfx || !g_gfx->testFontChar(font, character))
    return false;
  text[length++] = character;
  text[length] = 0;
  return true;
}

// The cursor stands at the text's right edge, or centred on the pen when a centred text is
// empty; a right-justified field shows none. It advances one frame each time more than
// cursorrate ms have passed, and is always drawn opaque.
void uiEntryWidget::_renderCursor(int originX, int originY) {
  _uiRect_s rect {};
  if (padding == 0) {
    _wholeTextRect(x, y, &rect);
  } else {
    getTextRect(&rect);
    rect.left += x;
    rect.right += x;
  }
  cursorElapsed += s_iDeltaTime;
  if (cursorElapsed > cursorrate) {
    cursorElapsed = 0;
    if (++cursorFrame >= g_gfx->getSpriteFrameCount(cursor, 0))
      cursorFrame = 0;
  }
  int cursorX = originX + rect.right;
  if (justify & CENTER) {
    if (rect.right == rect.left)
      cursorX -= g_gfx->getSpriteWidth(cursor) >> 1;
  } else if (justify & RIGHT) {
    return;
  }
  g_gfx->blt(depth, cursor, cursorX, originY + y, 0, cursorFrame, 255);
}
