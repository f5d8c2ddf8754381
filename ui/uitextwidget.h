#pragma once

#include "uialphafade.h"
#include "uiwidget.h"

class Parser;

// A text rectangle in pixels, relative to the position the text is drawn at.
struct _uiRect_s {
  int left, top, right, bottom;
};

// Decodes one UTF-8 character and stores in *length how many bytes it took. A sequence cut short
// by the terminator decodes as 0, the end of the text, and *length then counts the bytes before
// the terminator: the decoder never reads past it.
unsigned int utf8DecodeChar(const unsigned char* source, int* length);
// Fills exactly count entries of destination from the UTF-8 bytes of source, zero after its end.
// Returns destination. When source holds count characters or more, no entry is 0.
unsigned int* utf8ToText(unsigned int* destination, const char* source, int count);

// A text label: one line of up to 127 characters drawn with one font of the graphics library,
// justified at the widget's position, with its own alpha fade. Text goes through the string table
// before it is formatted and is kept as 32-bit characters decoded from UTF-8.
class uiTextWidget : public uiWidget {
public:
  enum : unsigned int { LEFT = 0, RIGHT = 1, CENTER = 2 };
  static const int MAX_TEXT = 128;  // entries of the text, the terminating 0 included

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiTextWidget() = default;
  uiTextWidget(const uiTextWidget&) = default;
  uiTextWidget& operator=(const uiTextWidget&) = default;
  ~uiTextWidget() override = default;  // does not release the font

  // -- Text --
  // Translates the format through the string table, formats it (cut at 762 bytes) and keeps at
  // most 127 decoded characters. The format may be a string table key whose text holds the
  // conversions, so it is not checked as a printf format.
  void print(int newSet, const char* format, ...);
  const unsigned int* getText() const { return text; }

  // -- Font and layout --
  virtual bool setFont(int fontId);  // the widget holds -1 after a failure
  virtual bool setFont(const char* file);
  virtual void setJustify(unsigned int value);
  int getFont() const { return font; }
  unsigned int getJustify() const { return justify; }
  // The text's extent relative to the widget's position. With padding it is the per-character
  // extent: every character's width plus the padding, and the font's height.
  void getTextRect(_uiRect_s* rect) const;
  int getWidth() const override;
  int getHeight() const override;

  // -- Alpha --
  // Fades from the current alpha to the given one over duration ms after delay ms; a duration
  // of 0 sets it at once. Ignored altogether with WF_IGNORE_ALPHA.
  void setAlpha(unsigned char alpha, unsigned int duration, unsigned int delay,
                bool propagate) override;
  unsigned char getAlpha() const { return currentAlpha; }

  int set = 0;      // handed to the graphics library with every print; no other meaning here
  int padding = 0;  // pixels between characters; non-zero draws the text character by character

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  // Every way of setting the text ends here; subclasses override it to limit the text.
  virtual void _print(int newSet, const unsigned int* source);
  virtual void _lerpToTargetAlpha();

  int _textLength() const;
  // Measures the text at (x, y) as the graphics library draws it whole; zeros without a backend.
  void _wholeTextRect(int atX, int atY, _uiRect_s* rect) const;

  int font = -1;                   // -1: nothing is drawn and no fade runs
  unsigned int justify = LEFT;     // LEFT, RIGHT or CENTER, handed to the graphics library as is
  unsigned int text[MAX_TEXT] {};  // NUL-terminated; entry 127 is always 0

private:
  bool _parseFont(Parser& parser, const char* key);
  bool _parseJustify(Parser& parser, const char* key);
  bool _parseSet(Parser& parser, const char* key);
  bool _parseText(Parser& parser, const char* key);
  bool _parsePadding(Parser& parser, const char* key);

  int _paddedExtent() const;
  void _renderPerCharacter(int penX, int penY);
  void _printGlyph(unsigned int character, int penX, int penY);

  unsigned char currentAlpha = 255;
  _AlphaFade_s fade;
};
