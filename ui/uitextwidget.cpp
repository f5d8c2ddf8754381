#include "uitextwidget.h"

#include "uikeytable.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Formatted output is cut after this many bytes, within a buffer of 768.
const int FORMAT_BUFFER = 768;
const int FORMAT_LIMIT = 762;
// Font and sprite names read from definition files are cut to fit this buffer.
const int NAME_BUFFER = 260;

// The string table's text for a non-empty key; the key itself when there is no table or the
// table has nothing for it.
const char* translated(const char* source) {
  if (!g_stringTblPtr || !source[0])
    return source;
  const char* result = g_stringTblPtr->translate(source);
  return result ? result : source;
}

int charWidth(int font, unsigned int character) {
  int width = 0;
  int height = 0;
  g_gfx->getCharDimensions(font, 0, character, &width, &height);
  return width;
}

}  // namespace

unsigned int utf8DecodeChar(const unsigned char* source, int* length) {
  unsigned char lead = source[0];
  int count = 1;
  unsigned char mask = 0x7F;
  if (lead >= 0xFC) { count = 6; mask = 0x01; }
  else if (lead >= 0xF8) { count = 5; mask = 0x03; }
  else if (lead >= 0xF0) { count = 4; mask = 0x07; }
  else if (lead >= 0xE0) { count = 3; mask = 0x0F; }
  else if (lead >= 0xC0) { count = 2; mask = 0x1F; }
  unsigned int value = lead & mask;
  int used = 1;
  // Following bytes are not checked for the 10xxxxxx form, only for the end of the text.
  while (used < count && source[used] != 0) {
    value = (value << 6) + (source[used] & 0x3F);
    ++used;
  }
  *length = used;
  // A sequence the terminator cuts short is no character: the text ends there.
  return used < count ? 0 : value;
}

unsigned int* utf8ToText(unsigned int* destination, const char* source, int count) {
  const unsigned char* at = reinterpret_cast<const unsigned char*>(source);
  int i = 0;
  for (; i < count && at && *at; ++i) {
    int length = 0;
    destination[i] = utf8DecodeChar(at, &length);
    at += length;
  }
  for (; i < count; ++i)
    destination[i] = 0;
  return destination;
}

uiWidget* uiTextWidget::s_allocator() {
  return new ("uitextwidget.h", __LINE__) uiTextWidget;
}

const char* uiTextWidget::getType() {
  return "uiTextWidget";
}

bool uiTextWidget::isType(const char* type) {
  return uiNameEquals(type, "uiTextWidget") || uiWidget::isType(type);
}

void uiTextWidget::print(int newSet, const char* format, ...) {
  char formatted[FORMAT_BUFFER];
  formatted[0] = 0;
  if (format) {
    va_list args;
    va_start(args, format);
    if (vsnprintf(formatted, FORMAT_LIMIT + 1, translated(format), args) < 0)
      formatted[0] = 0;
    va_end(args);
  }
  unsigned int decoded[MAX_TEXT];
  utf8ToText(decoded, formatted, MAX_TEXT);
  _print(newSet, decoded);
}

bool uiTextWidget::setFont(int fontId) {
  if (!g_gfx)
    return false;
  if (font != fontId && font != -1) {
    g_gfx->releaseFont(font);
    font = -1;
  }
  const char* fontName = g_gfx->getFontName(fontId);
  if (!fontName || !fontName[0])
    return false;
  font = g_gfx->createFont(fontName);
  return font != -1;
}

bool uiTextWidget::setFont(const char* file) {
  if (!g_gfx)
    return false;
  if (font != -1)
    g_gfx->releaseFont(font);
  font = file ? g_gfx->createFont(file) : -1;
  return font != -1;
}

void uiTextWidget::setJustify(unsigned int value) {
  justify = value;
}

void uiTextWidget::getTextRect(_uiRect_s* rect) const {
  if (!rect || !g_gfx)
    return;
  if (padding == 0) {
    g_gfx->getTextRect(font, justify, 0, 0, text, &rect->left, &rect->top, &rect->right,
                       &rect->bottom);
    return;
  }
  int extent = _paddedExtent();
  rect->top = 0;
  rect->bottom = g_gfx->getFontHeight(font);
  if (justify == LEFT)
    rect->left = 0;
  else if (justify == RIGHT)
    rect->left = -extent;
  else
    rect->left = -extent / 2;
  rect->right = rect->left + extent;
}

int uiTextWidget::getWidth() const {
  _uiRect_s rect {};
  getTextRect(&rect);
  return rect.right - rect.left;
}

int uiTextWidget::getHeight() const {
  _uiRect_s rect {};
  getTextRect(&rect);
  return rect.bottom - rect.top;
}

void uiTextWidget::setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                            bool propagate) {
  if (flags & WF_IGNORE_ALPHA)
    return;
  fade.start(currentAlpha, alpha, duration, delay);
  uiWidget::setAlpha(alpha, duration, delay, propagate);
}

void uiTextWidget::_parseParams(Parser* parser, char* key) {
  static const uiMemberKey<uiTextWidget> keys[] = {
      {"font", &uiTextWidget::_parseFont},
      {"justify", &uiTextWidget::_parseJustify},
      {"set", &uiTextWidget::_parseSet},
      {"text", &uiTextWidget::_parseText},
      {"padding", &uiTextWidget::_parsePadding},
  };
  if (!uiParseKey(keys, *this, *parser, key))
    uiWidget::_parseParams(parser, key);
}

void uiTextWidget::_update(int, int) {
  if (font != -1)
    _lerpToTargetAlpha();
}

void uiTextWidget::_render(int originX, int originY) {
  if (font == -1 || !g_gfx)
    return;
  int penX = originX + x;
  int penY = originY + y;
  if (padding == 0)
    g_gfx->print(depth, font, set, justify, penX, penY, -1, currentAlpha, text);
  else
    _renderPerCharacter(penX, penY);
}

bool uiTextWidget::_inputEvent(e_uiEvent, int, int, int, bool, bool) {
  return false;
}

void uiTextWidget::_print(int newSet, const unsigned int* source) {
  set = newSet;
  int i = 0;
  for (; source && i < MAX_TEXT && source[i]; ++i)
    text[i] = source[i];
  for (; i < MAX_TEXT; ++i)
    text[i] = 0;
  text[MAX_TEXT - 1] = 0;
}

// One step a frame, after the delay has run out.
void uiTextWidget::_lerpToTargetAlpha() {
  fade.step(currentAlpha, s_iDeltaTime);
}

int uiTextWidget::_textLength() const {
  int count = 0;
  while (count < MAX_TEXT - 1 && text[count])
    ++count;
  return count;
}

void uiTextWidget::_wholeTextRect(int atX, int atY, _uiRect_s* rect) const {
  *rect = _uiRect_s {};
  if (g_gfx)
    g_gfx->getTextRect(font, justify, atX, atY, text, &rect->left, &rect->top, &rect->right,
                       &rect->bottom);
}

bool uiTextWidget::_parseFont(Parser& parser, const char*) {
  const char* value = uiExpectValue(parser, "font = \"val\"");
  if (!value)
    return true;
  char file[NAME_BUFFER];
  uiCopyName(file, value, sizeof file);
  if (!setFont(file))
    udLogger::log(2, "...failed to create font: %s for %s\f", file, name);
  return true;
}

// The words are ORed in, so LEFT after RIGHT leaves the text right-justified.
bool uiTextWidget::_parseJustify(Parser& parser, const char*) {
  const char* value = parser.GetEqualsToken() ? parser.GetToken(" ") : nullptr;
  if (value && uiNameEquals(value, "LEFT"))
    return true;
  if (value && uiNameEquals(value, "RIGHT"))
    justify |= RIGHT;
  else if (value && uiNameEquals(value, "CENTER"))
    justify |= CENTER;
  else
    uiReportExpected("justify = \"val\"");
  return true;
}

bool uiTextWidget::_parseSet(Parser& parser, const char* key) {
  return parser.ParamEqualsInt32(key, "set", &set);
}

// The text keeps the set stored so far, so a "set" line must come first to apply to it.
bool uiTextWidget::_parseText(Parser& parser, const char*) {
  if (!parser.GetEqualsToken()) {
    uiReportExpected("text = val");
    return true;
  }
  const char* value = parser.GetString();
  if (!value || !value[0])
    return true;
  unsigned int decoded[MAX_TEXT];
  utf8ToText(decoded, translated(value), MAX_TEXT);
  _print(set, decoded);
  return true;
}

bool uiTextWidget::_parsePadding(Parser& parser, const char* key) {
  return parser.ParamEqualsInt32(key, "padding", &padding);
}

int uiTextWidget::_paddedExtent() const {
  int count = _textLength();
  int extent = 0;
  for (int i = 0; i < count; ++i)
    extent += charWidth(font, text[i]) + padding;
  return extent;
}

// LEFT and RIGHT step each character by its own width plus the padding, which assumes a
// fixed-pitch font; any other justification centres the characters' cells on the pen.
void uiTextWidget::_renderPerCharacter(int penX, int penY) {
  int count = _textLength();
  if (justify == LEFT) {
    for (int i = 0; i < count; ++i)
      _printGlyph(text[i], penX + i * (padding + charWidth(font, text[i])), penY);
  } else if (justify == RIGHT) {
    for (int k = count - 1; k >= 0; --k)
      _printGlyph(text[count - 1 - k], penX - k * (padding + charWidth(font, text[k])), penY);
  } else {
    int cellX = penX - _paddedExtent() / 2;
    for (int i = 0; i < count; ++i) {
      int width = charWidth(font, text[i]);
      _printGlyph(text[i], cellX + width / 2, penY);
      cellX += width + padding;
    }
  }
}

void uiTextWidget::_printGlyph(unsigned int character, int penX, int penY) {
  const unsigned int glyph[2] = {character, 0};
  g_gfx->print(depth, font, set, justify, penX, penY, -1, currentAlpha, glyph);
}
