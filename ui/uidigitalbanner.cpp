#include "uidigitalbanner.h"

#include "uikeytable.h"
#include "uinumeric.h"

#include "core.h"
#include "gfxsubsystem.h"
#include "udlogger.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const float kPi = 3.1415927f;
const float kHalfPi = 1.5707964f;

// The action names of the markup, matched exactly, in the order of pieceAction_t.
const char s_actionNames[7][32] = {"ON", "OFF", "FLASH", "LEFT", "RIGHT", "UP", "DOWN"};

enum e_markupResult {
  MARKUP_OK,
  MARKUP_PIECE_START,  // "^P" missing, inside a piece, or after stray text
  MARKUP_PIECE_END,    // "^p" missing, before its "^P", or not right after the last "|"
  MARKUP_BAR,
  MARKUP_SEMICOLON,
  MARKUP_ACTION,
};

int screenCoordinate(int origin, float offset) {
  return uiClampToInt(static_cast<long long>(origin) + uiTruncateToInt(offset));
}

// The frame time in ms scaled by the banner's time scale; a negative or undefined scale freezes
// the banner like 0 does.
int scaledDelta(unsigned int deltaMs, float timeScale) {
  float delta = static_cast<float>(deltaMs) * timeScale;
  if (!(delta > 0.0f))
    return 0;
  return uiTruncateToInt(delta);
}

uiDigitalBanner::pieceAction_t actionNamed(const char* name) {
  for (int i = 0; i < 7; ++i)
    if (std::strcmp(name, s_actionNames[i]) == 0)
      return static_cast<uiDigitalBanner::pieceAction_t>(i);
  return uiDigitalBanner::INVALID_ACTION;
}

void logRefusal(e_markupResult result, const char* actionName) {
  switch (result) {
  case MARKUP_PIECE_START:
    udLogger::log(2, "Digital Banner message could not be added: Invalid Syntax ('^P').\f");
    break;
  case MARKUP_PIECE_END:
    udLogger::log(2, "Digital Banner message could not be added: Invalid Syntax ('^p').\f");
    break;
  case MARKUP_BAR:
    udLogger::log(2, "Digital Banner message could not be added: Invalid Syntax ('|').\f");
    break;
  case MARKUP_SEMICOLON:
    udLogger::log(2, "Digital Banner message could not be added: Invalid Syntax (';').\f");
    break;
  case MARKUP_ACTION:
    udLogger::log(2, "Digital Banner message could not be added: Invalid Piece Action ('%s').\f",
                  actionName);
    break;
  case MARKUP_OK:
    break;
  }
}

void logOutOfMemory() {
  udLogger::log(2, "Digital Banner could not add message: Out of memory.\f");
}

// Finds the piece that must start at `from`. On success *start is just after its "^P" (null when
// no piece is left) and *end at its "^p". Text in front of a "^P" makes a second "^P" appear
// before the "^p" when searching from one character further, which is how stray text is caught.
e_markupResult findPiece(char* from, char** start, char** end) {
  *start = nullptr;
  char* open = std::strstr(from, "^P");
  if (!open)
    return MARKUP_OK;
  char* close = std::strstr(from, "^p");
  if (!close || close < open)
    return MARKUP_PIECE_END;
  char* again = std::strstr(from + 1, "^P");
  if (again && again < close)
    return MARKUP_PIECE_START;
  *start = open + 2;
  *end = close;
  return MARKUP_OK;
}

e_markupResult countPieces(char* text, unsigned int* count) {
  *count = 0;
  char* from = text;
  for (;;) {
    char* start;
    char* end;
    e_markupResult result = findPiece(from, &start, &end);
    if (result != MARKUP_OK || !start)
      return result;
    ++*count;
    from = end + 2;
  }
}

// Cuts the field that runs from the cursor to the next separator of the piece; null when the
// piece has no such separator left.
char* cutField(char*& cursor, char separator) {
  char* end = std::strchr(cursor, separator);
  if (!end)
    return nullptr;
  *end = '\0';
  char* field = cursor;
  cursor = end + 1;
  return field;
}

// Reads a number the way "%i" scans one: decimal, hexadecimal after "0x", octal after a leading
// 0, signed; anything after the digits is ignored.
bool readNumber(const char* field, int* value) {
  if (!field)
    return false;
  char* end = nullptr;
  long long number = std::strtoll(field, &end, 0);
  if (end == field)
    return false;
  *value = uiClampToInt(number);
  return true;
}

// action ";" [flashes ";"] delay ";" duration "|"
e_markupResult readAction(char*& cursor, uiDigitalBanner::dbPieceAction_t& action,
                          const char** badName) {
  char* name = cutField(cursor, ';');
  if (!name)
    return MARKUP_SEMICOLON;
  action = uiDigitalBanner::dbPieceAction_t();
  action.action = actionNamed(name);
  if (action.action == uiDigitalBanner::INVALID_ACTION) {
    *badName = name;
    return MARKUP_ACTION;
  }
  bool flashes = action.action == uiDigitalBanner::FLASH;
  if (flashes && !readNumber(cutField(cursor, ';'), &action.flashes))
    return MARKUP_SEMICOLON;
  if (!readNumber(cutField(cursor, ';'), &action.delay))
    return MARKUP_SEMICOLON;
  if (!readNumber(cutField(cursor, '|'), &action.duration))
    return MARKUP_BAR;
  return MARKUP_OK;
}

// The inside of one piece, already cut off at its "^p":
// "|" in-action "|" text ";" hold "|" out-action "|"
e_markupResult readPiece(char* cursor, uiDigitalBanner::dbMessagePiece_t& piece,
                         const char** badName) {
  if (*cursor != '|')
    return MARKUP_BAR;
  ++cursor;
  e_markupResult result = readAction(cursor, piece.in, badName);
  if (result != MARKUP_OK)
    return result;
  const char* text = cutField(cursor, ';');
  if (!text)
    return MARKUP_SEMICOLON;
  uiCopyName(piece.text, text, sizeof piece.text);
  if (!readNumber(cutField(cursor, '|'), &piece.hold))
    return MARKUP_BAR;
  result = readAction(cursor, piece.out, badName);
  if (result != MARKUP_OK)
    return result;
  return *cursor == '\0' ? MARKUP_OK : MARKUP_PIECE_END;
}

void* allocRecord(size_t size, unsigned int line) {
  return g_MemoryPtr ? g_MemoryPtr->alloc(9, size, "uidigitalbanner", line) : nullptr;
}

void freeRecord(void* record) {
  if (record && g_MemoryPtr)
    g_MemoryPtr->free(9, record);
}

// -- Definition keys --

bool parseFont(uiDigitalBanner& banner, Parser& parser, const char*) {
  const char* file = uiExpectValue(parser, "font = \"val\"");
  if (file && !banner.setFont(file))
    udLogger::log(2, "...failed to create font: %s for %s\f", file, banner.name);
  return true;
}

const uiKey<uiDigitalBanner> s_bannerKeys[] = {
  {"width", uiReadValue<&uiDigitalBanner::width>},
  {"maxmessages", uiReadValue<&uiDigitalBanner::maxMessages>},
  {"font", parseFont},
  {"height", uiReadValue<&uiDigitalBanner::height>},
};

}  // namespace

uiWidget* uiDigitalBanner::s_allocator() {
  return new ("uidigitalbanner.h", __LINE__) uiDigitalBanner;
}

const char* uiDigitalBanner::getType() {
  return "uiDigitalBanner";
}

bool uiDigitalBanner::isType(const char* type) {
  return uiNameEquals(type, "uiDigitalBanner") || uiWidget::isType(type);
}

uiDigitalBanner::uiDigitalBanner(const uiDigitalBanner& other) : uiWidget() {
  *this = other;
}

uiDigitalBanner& uiDigitalBanner::operator=(const uiDigitalBanner& other) {
  if (this == &other)
    return *this;
  uiWidget::operator=(other);
  _removeAllMessages();
  width = other.width;
  height = other.height;
  font = other.font;
  std::memcpy(charWidths, other.charWidths, sizeof charWidths);
  fontHeight = other.fontHeight;
  maxMessages = other.maxMessages;
  paused = other.paused;
  timeScale = other.timeScale;
  return *this;
}

uiDigitalBanner::~uiDigitalBanner() {
  _removeAllMessages();
  _freeSpareMessages();
}

// -- Messages --

void uiDigitalBanner::print(unsigned int priority, const char* format, ...) {
  // Messages hold at most 127 bytes; the markup is cut in place in this buffer.
  const size_t textSize = 128;
  char* text = static_cast<char*>(
      g_MemoryPtr ? g_MemoryPtr->alloc(0, textSize, "uidigitalbanner", __LINE__) : nullptr);
  if (!text)
    return;
  va_list args;
  va_start(args, format);
  if (!format || std::vsnprintf(text, textSize, format, args) < 0)
    text[0] = '\0';
  va_end(args);
  dbMessage_t* message = _addMessage(priority);
  if (message)
    _extractMessage(text, message);
  g_MemoryPtr->free(0, text);
}

void uiDigitalBanner::print(const char* format, ...) {
  char text[128];
  va_list args;
  va_start(args, format);
  if (!format || std::vsnprintf(text, sizeof text, format, args) < 0)
    text[0] = '\0';
  va_end(args);
  print(0u, "%s", text);
}

bool uiDigitalBanner::setFont(const char* file) {
  std::memset(charWidths, 0, sizeof charWidths);
  fontHeight = 0;
  font = (g_gfx && file) ? g_gfx->createFont(file) : -1;
  if (font == -1)
    return false;
  g_gfx->getFontDimensions(font, charWidths, &fontHeight);
  return true;
}

void uiDigitalBanner::_parseParams(Parser* parser, char* key) {
  if (!uiParseKey(s_bannerKeys, *this, *parser, key))
    uiWidget::_parseParams(parser, key);
}

void uiDigitalBanner::_update(int, int) {}

// -- Playing: the first message, every piece on its own clock --
//
// phase     draws at                    alpha                 leaves the phase when
// entering  in start -> in end          in action's fade      time reaches in delay + duration
// holding   out start                   255                   time reaches hold (-1: another
//                                                             message waits)
// leaving   out start -> out end        out action's fade     time reaches out delay + duration
// done      nothing                     -                     all pieces done: message removed
void uiDigitalBanner::_render(int x, int y) {
  dbMessage_t* message = firstMessage;
  if (!message)
    return;
  if (!message->initialised)
    _placeMessage(message);
  int originX = uiClampToInt(static_cast<long long>(x) + this->x);
  int originY = uiClampToInt(static_cast<long long>(y) + this->y);
  int delta = scaledDelta(s_iDeltaTime, timeScale);
  bool messageWaiting = message->next != nullptr;
  unsigned int done = 0;
  for (unsigned int i = 0; i < message->pieceCount; ++i) {
    dbMessagePiece_t& piece = message->pieces[i];
    if (piece.phase == PHASE_DONE)
      ++done;
    else
      _renderPiece(piece, messageWaiting, originX, originY, delta);
  }
  if (done == message->pieceCount)
    _removeMessage(message);
}

// -- The message list --

uiDigitalBanner::dbMessage_t* uiDigitalBanner::_addMessage(unsigned int priority) {
  while (static_cast<unsigned int>(messageCount) >= maxMessages) {
    dbMessage_t* last = firstMessage;
    while (last && last->next)
      last = last->next;
    if (!last || last->priority <= priority)
      return nullptr;
    _removeMessage(last);
  }
  dbMessage_t* message = m_spareMessages;
  if (message) {
    m_spareMessages = message->next;
  } else {
    void* memory = allocRecord(sizeof(dbMessage_t), __LINE__);
    if (!memory) {
      logOutOfMemory();
      return nullptr;
    }
    message = new (memory) dbMessage_t();
  }
  message->priority = priority;
  message->width = 0;
  message->initialised = false;
  message->pieceCount = 0;
  dbMessage_t** link = &firstMessage;
  while (*link && (*link)->priority <= priority)
    link = &(*link)->next;
  message->next = *link;
  *link = message;
  ++messageCount;
  return message;
}

// The record and its pieces go to the spare list rather than back to the memory manager, since
// finished messages are removed in the middle of a frame.
void uiDigitalBanner::_removeMessage(dbMessage_t* message) {
  if (!message || !firstMessage)
    return;
  dbMessage_t** link = &firstMessage;
  while (*link && *link != message)
    link = &(*link)->next;
  if (!*link)
    return;
  *link = message->next;
  message->next = m_spareMessages;
  m_spareMessages = message;
  --messageCount;
}

void uiDigitalBanner::_removeAllMessages() {
  while (firstMessage)
    _removeMessage(firstMessage);
}

// The text is cut in place, one piece at a time, so that no field can reach into the next piece.
void uiDigitalBanner::_extractMessage(char* text, dbMessage_t* message) {
  if (!message)
    return;
  message->pieceCount = 0;
  message->width = 0;
  if (!text || !*text) {
    _removeMessage(message);
    return;
  }
  unsigned int count = 0;
  e_markupResult result = countPieces(text, &count);
  if (result == MARKUP_OK && count == 0)
    result = MARKUP_PIECE_START;
  if (result != MARKUP_OK) {
    logRefusal(result, nullptr);
    _removeMessage(message);
    return;
  }
  if (!_ensurePieces(message, count)) {
    logOutOfMemory();
    _removeMessage(message);
    return;
  }
  if (!_parsePieces(text, message, count)) {
    _removeMessage(message);
    return;
  }
  if (message->width > width) {
    udLogger::log(2, "Digital Banner message could not be added: Message Length Exceeds Banner "
                     "Width.\f");
    _removeMessage(message);
    return;
  }
  message->pieceCount = count;
}

uiDigitalBanner::pieceAction_t uiDigitalBanner::_getAction(const char* name) {
  return actionNamed(name);
}

int uiDigitalBanner::_strlen(const char* text) {
  if (font == -1 || !text)
    return 0;
  long long total = 0;
  for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at; ++at)
    total += charWidths[*at];
  return uiClampToInt(total);
}

// -- Animation --

unsigned int uiDigitalBanner::_calcLeadingSpace(unsigned int messageWidth) {
  // A message wider than the banner (its width lowered after queueing) starts at the left edge.
  long long spare = static_cast<long long>(width) - messageWidth;
  if (spare <= 0)
    return 0;
  return static_cast<unsigned int>(spare / 2 + spare % 2);
}

float uiDigitalBanner::_updatePosition(float start, float end, int t, int duration) {
  if (duration < 1 || t < 1)
    return start;
  return start + (end - start) / static_cast<float>(duration) * static_cast<float>(t);
}

float uiDigitalBanner::_updateAlpha(dbPieceAction_t* action, int time) {
  if (action->duration < 1)
    return 255.0f;
  long long sinceDelay = static_cast<long long>(time) - action->delay;
  if (sinceDelay < 0)
    return 0.0f;
  float s = static_cast<float>(sinceDelay);
  float duration = static_cast<float>(action->duration);
  switch (action->action) {
  case ON:
  case OFF:
    return s / duration * 255.0f;
  case FLASH: {
    float frequency = (static_cast<float>(action->flashes) - 1.0f) * kPi + kHalfPi;
    return std::fabs(std::sin(frequency * s / duration)) * 255.0f;
  }
  default:
    return 255.0f;
  }
}

// Entries and exits that do not move (fades, flashes, and the meaningless OFF entry or ON exit)
// rest at the piece's place (x, 0).
void uiDigitalBanner::_initPiece(dbMessagePiece_t* piece, float x) {
  piece->time = 0;
  piece->phase = PHASE_ENTERING;
  float bannerWidth = static_cast<float>(width);
  float bannerHeight = static_cast<float>(height);
  float pieceWidth = static_cast<float>(_strlen(piece->text));
  dbPieceAction_t& in = piece->in;
  in.startX = in.endX = x;
  in.startY = in.endY = 0.0f;
  switch (in.action) {
  case LEFT: in.startX = bannerWidth; break;
  case RIGHT: in.startX = -pieceWidth; break;
  case UP: in.startY = bannerHeight; break;
  case DOWN: in.startY = -bannerHeight; break;
  default: break;
  }
  dbPieceAction_t& out = piece->out;
  out.startX = out.endX = x;
  out.startY = out.endY = 0.0f;
  switch (out.action) {
  case LEFT: out.endX = -pieceWidth; break;
  case RIGHT: out.endX = bannerWidth; break;
  case UP: out.endY = -bannerHeight; break;
  case DOWN: out.endY = bannerHeight; break;
  default: break;
  }
}

// -- Private helpers --

bool uiDigitalBanner::_ensurePieces(dbMessage_t* message, unsigned int count) {
  if (message->pieces && message->pieceCapacity >= count)
    return true;
  freeRecord(message->pieces);
  message->pieces = nullptr;
  message->pieceCapacity = 0;
  void* memory = allocRecord(sizeof(dbMessagePiece_t) * count, __LINE__);
  if (!memory)
    return false;
  message->pieces = static_cast<dbMessagePiece_t*>(memory);
  for (unsigned int i = 0; i < count; ++i)
    new (&message->pieces[i]) dbMessagePiece_t();
  message->pieceCapacity = count;
  return true;
}

// Reads `count` pieces, already validated by countPieces, adding their widths to the message.
bool uiDigitalBanner::_parsePieces(char* text, dbMessage_t* message, unsigned int count) {
  char* from = text;
  for (unsigned int i = 0; i < count; ++i) {
    char* start = nullptr;
    char* end = from;
    findPiece(from, &start, &end);
    *end = '\0';
    from = end + 2;
    dbMessagePiece_t& piece = message->pieces[i];
    const char* badName = nullptr;
    e_markupResult result = readPiece(start, piece, &badName);
    if (result != MARKUP_OK) {
      logRefusal(result, badName);
      return false;
    }
    piece.time = 0;
    piece.phase = PHASE_ENTERING;
    message->width = uiClampToInt(static_cast<long long>(message->width) + _strlen(piece.text));
  }
  return true;
}

void uiDigitalBanner::_placeMessage(dbMessage_t* message) {
  float lead = static_cast<float>(_calcLeadingSpace(static_cast<unsigned int>(message->width)));
  for (unsigned int i = 0; i < message->pieceCount; ++i) {
    _initPiece(&message->pieces[i], lead);
    lead += static_cast<float>(_strlen(message->pieces[i].text));
  }
  message->initialised = true;
}

void uiDigitalBanner::_renderPiece(dbMessagePiece_t& piece, bool messageWaiting, int originX,
                                   int originY, int delta) {
  if (piece.phase == PHASE_ENTERING) {
    _renderMoving(piece, piece.in, originX, originY, delta, false);
    return;
  }
  if (piece.phase == PHASE_LEAVING) {
    _renderMoving(piece, piece.out, originX, originY, delta, true);
    return;
  }
  if (piece.hold == -1) {
    if (messageWaiting) {
      piece.time = 0;
      piece.phase = PHASE_LEAVING;
    }
  } else if (piece.hold < piece.time && !paused) {
    piece.time = piece.hold;
  }
  _draw(piece, screenCoordinate(originX, piece.out.startX),
        screenCoordinate(originY, piece.out.startY), fontHeight, 255.0f);
  if (piece.time == piece.hold) {
    piece.time = 0;
    piece.phase = PHASE_LEAVING;
  } else {
    piece.time = uiClampToInt(static_cast<long long>(piece.time) + delta);
  }
}

// Entering or leaving. While paused the clock may run past the end, and the piece is drawn along
// the extension of its movement until the pause ends.
void uiDigitalBanner::_renderMoving(dbMessagePiece_t& piece, dbPieceAction_t& action,
                                    int originX, int originY, int delta, bool leaving) {
  int end = uiClampToInt(static_cast<long long>(action.delay) + action.duration);
  if (piece.time > end && !paused)
    piece.time = end;
  int sinceDelay = uiClampToInt(static_cast<long long>(piece.time) - action.delay);
  float offsetX = _updatePosition(action.startX, action.endX, sinceDelay, action.duration);
  float offsetY = _updatePosition(action.startY, action.endY, sinceDelay, action.duration);
  // A piece below the banner's top is cut off at its bottom edge; one above it is not cut.
  long long drop = uiTruncateToInt(offsetY);
  if (drop < 0)
    drop = 0;
  long long visibleHeight = (height > fontHeight && drop != 0) ? height - drop : fontHeight - drop;
  float alpha = _updateAlpha(&action, piece.time);
  if (leaving && (action.action == OFF || action.action == FLASH))
    alpha = 255.0f - alpha;
  _draw(piece, screenCoordinate(originX, offsetX), screenCoordinate(originY, offsetY),
        uiClampToInt(visibleHeight), alpha);
  if (piece.time == end) {
    piece.time = 0;
    piece.phase = leaving ? PHASE_DONE : PHASE_HOLDING;
  } else {
    piece.time = uiClampToInt(static_cast<long long>(piece.time) + delta);
  }
}

// A visible height below 0 draws no row (-1 would mean no limit to the graphics library), and
// alpha stays within 0..255 when a paused fade runs past its end.
void uiDigitalBanner::_draw(const dbMessagePiece_t& piece, int x, int y, int visibleHeight,
                            float alpha) {
  if (font == -1 || !g_gfx)
    return;
  if (visibleHeight < 0)
    visibleHeight = 0;
  if (!(alpha > 0.0f))
    alpha = 0.0f;
  if (alpha > 255.0f)
    alpha = 255.0f;
  g_gfx->print(static_cast<int>(depth), font, 0, 0, x, y, visibleHeight,
               static_cast<unsigned char>(alpha), piece.text);
}

void uiDigitalBanner::_freeSpareMessages() {
  while (m_spareMessages) {
    dbMessage_t* message = m_spareMessages;
    m_spareMessages = message->next;
    freeRecord(message->pieces);
    freeRecord(message);
  }
}
