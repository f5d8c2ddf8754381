#pragma once

#include "uiwidget.h"

// A ticker strip: the game queues short messages written in a small markup, they wait in a list
// ordered by priority, and the first one plays piece by piece (each piece enters, holds and
// leaves by fading, flashing or sliding), then makes room for the next.
class uiDigitalBanner : public uiWidget {
public:
  // How a piece enters or leaves; the markup names them in upper case.
  enum pieceAction_t { ON = 0, OFF = 1, FLASH = 2, LEFT = 3, RIGHT = 4, UP = 5, DOWN = 6,
                       INVALID_ACTION = 7 };
  enum : int { PHASE_ENTERING = 0, PHASE_HOLDING = 1, PHASE_LEAVING = 2, PHASE_DONE = 3 };

  // One movement of a piece. Positions are pixel offsets from the banner's origin; times are ms.
  struct dbPieceAction_t {
    float startX = 0, startY = 0;
    float endX = 0, endY = 0;
    int delay = 0;
    int duration = 0;
    pieceAction_t action = ON;
    int flashes = 0;  // read only for FLASH
  };

  struct dbMessagePiece_t {
    char text[128];
    dbPieceAction_t in;
    int hold;  // ms after entering; -1 holds until another message is waiting
    dbPieceAction_t out;
    int time;   // ms spent in the current phase
    int phase;  // PHASE_ENTERING to PHASE_DONE
  };

  struct dbMessage_t {
    unsigned int priority;  // smaller plays earlier
    int width;              // pixels, all pieces together
    bool initialised;       // pieces placed on the banner
    unsigned int pieceCount;
    dbMessagePiece_t* pieces;  // owned
    dbMessage_t* next;
    unsigned int pieceCapacity;  // entries allocated in pieces, kept when the record is reused
  };

  static uiWidget* s_allocator();
  const char* getType() override;
  bool isType(const char* type) override;

  uiDigitalBanner() = default;
  // A copy takes the settings and the font but starts with no message: a list has one owner.
  uiDigitalBanner(const uiDigitalBanner& other);
  uiDigitalBanner& operator=(const uiDigitalBanner& other);
  ~uiDigitalBanner() override;

  // -- Messages --
  // Queues a message written in the markup (at most 127 bytes after formatting). Bad markup,
  // a message wider than the banner or a full list refuse it.
  virtual void print(unsigned int priority, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  // Queues with priority 0; the formatted text is taken literally as the markup.
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool isEmpty() const { return firstMessage == nullptr; }

  // -- Playing --
  bool setFont(const char* file);  // the previous font is not released
  void setPause(bool pause) { paused = pause; }
  void setTimeScale(float scale) { timeScale = scale; }

  int width = 0;   // pixels; wider messages are refused
  int height = 0;  // pixels; vertical slides travel this far and text is cut below it
  int font = -1;   // -1: no font, characters measure 0 and nothing is drawn
  int charWidths[256] {};  // pixels per byte value, from the font
  int fontHeight = 0;
  unsigned int maxMessages = 1;
  bool paused = false;  // holding pieces hold on; moving pieces run past their end
  float timeScale = 1.0f;
  dbMessage_t* firstMessage = nullptr;  // owned list, ascending priority
  int messageCount = 0;

protected:
  void _parseParams(Parser* parser, char* key) override;
  void _update(int x, int y) override;
  void _render(int x, int y) override;

  // -- The message list --
  dbMessage_t* _addMessage(unsigned int priority);  // null when refused or out of memory
  void _removeMessage(dbMessage_t* message);
  void _removeAllMessages();
  void _extractMessage(char* text, dbMessage_t* message);  // cuts text in place
  pieceAction_t _getAction(const char* name);
  int _strlen(const char* text);  // pixels

  // -- Animation --
  unsigned int _calcLeadingSpace(unsigned int messageWidth);
  float _updatePosition(float start, float end, int t, int duration);
  float _updateAlpha(dbPieceAction_t* action, int time);
  void _initPiece(dbMessagePiece_t* piece, float x);

private:
  bool _ensurePieces(dbMessage_t* message, unsigned int count);
  bool _parsePieces(char* text, dbMessage_t* message, unsigned int count);
  void _placeMessage(dbMessage_t* message);
  void _renderPiece(dbMessagePiece_t& piece, bool messageWaiting, int originX, int originY,
                    int delta);
  void _renderMoving(dbMessagePiece_t& piece, dbPieceAction_t& action, int originX,
                     int originY, int delta, bool leaving);
  void _draw(const dbMessagePiece_t& piece, int x, int y, int visibleHeight, float alpha);
  void _freeSpareMessages();

  // Records of finished messages, kept for the next print so that frames never free memory.
  dbMessage_t* m_spareMessages = nullptr;  // owned
};
