#pragma once

#include "uitextwidget.h"

// A one-line text input field: typed characters are upper-cased and appended up to entrywidth,
// erase removes the last one and Enter accepts the text. While it has input focus it draws a
// blinking cursor sprite after the text; its hit area and size are its entry rectangle.
class uiEntryWidget : public uiTextWidget {
public:
  static const int MAX_ENTRY_WIDTH = MAX_TEXT - 1;

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiEntryWidget() = default;
  uiEntryWidget(const uiEntryWidget&) = default;
  uiEntryWidget& operator=(const uiEntryWidget&) = default;
  ~uiEntryWidget() override = default;  // does not release the cursor sprite

  // -- Editing --
  virtual void reset();  // empties the text and takes input again; the cursor stays
  virtual bool isAccepted() const { return accepted; }
  // Creates the cursor sprite and releases the previous one; false when it cannot be made.
  virtual bool setCursor(const char* file);
  int getLength() const { return length; }

  // -- Entry rectangle --
  bool testBounds(int x, int y) override;
  int getWidth() const override;
  int getHeight() const override;

  int entrywidth = 10;           // most characters that can be typed; used within 0..127
  unsigned int cursorrate = 500;  // ms each cursor frame stays
  _uiRect_s entryRect {};        // hit area and size, in the widget rectangle's coordinates
  bool endhidecursor = false;    // hide the cursor once the text is full
  bool acceptonenter = true;     // whether Enter accepts the text

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _render(int x, int y) override;
  bool _inputEvent(e_uiEvent event, int x, int y, int key, bool buttonHeld, bool handled) override;
  void _gainFocus() override;
  // Keeps at most entrywidth characters, whichever way the text was set.
  void _print(int newSet, const unsigned int* source) override;

private:
  bool _parseEntryWidth(Parser& parser, const char* key);
  bool _parseCursorRate(Parser& parser, const char* key);
  bool _parseCursor(Parser& parser, const char* key);
  bool _parseEntryRectX(Parser& parser, const char* key);
  bool _parseEntryRectY(Parser& parser, const char* key);
  bool _parseEndHideCursor(Parser& parser, const char* key);
  bool _parseAcceptOnEnter(Parser& parser, const char* key);

  int _maxLength() const;
  bool _keyDown(int x, int y, int key, bool buttonHeld);
  bool _typeCharacter(int key);
  void _renderCursor(int originX, int originY);

  int length = 0;  // characters in the text
  bool accepted = false;
  int cursor = -1;  // sprite id; -1: no cursor
  int cursorFrame = 0;
  unsigned int cursorElapsed = 0;  // ms spent on the current cursor frame
};
