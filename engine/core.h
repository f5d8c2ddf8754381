#pragma once

#include <atomic>
#include <cstddef>

// The engine's core services: tagged memory, the text parser, the string table and a few
// platform helpers.

// Every allocation names a tag. The default manager counts live blocks and bytes per tag, which
// the tests read to prove that nothing leaks; the counters are atomic, as a worker thread may load
// UI files during frames. A manager counts the blocks it handed out. A block freed through another
// manager of this kind is uncounted by its own manager when that is the default one.
// A game's manager that replaces alloc replaces free too.
class MemoryMgr {
public:
  constexpr MemoryMgr() = default;
  virtual ~MemoryMgr();
  virtual void* alloc(int tag, size_t size, const char* file, unsigned int line);  // null on failure
  virtual void free(int tag, void* p);
  size_t liveCount(int tag) const;  // blocks of this tag allocated and not yet freed
  size_t liveBytes(int tag) const;

  static const int TAG_COUNT = 32;

protected:
  void _count(int tag, size_t size);
  void _uncount(int tag, size_t size);

private:
  unsigned int _serial();

  std::atomic<size_t> m_liveCount[TAG_COUNT] {};
  std::atomic<size_t> m_liveBytes[TAG_COUNT] {};
  // Given at the first allocation, so that the default manager needs no constructor code and is
  // ready before any other static object of the program asks for memory.
  std::atomic<unsigned int> m_serial {0};
};

extern MemoryMgr* g_MemoryPtr;  // a default manager from start-up

// Tokenizer over a NUL-terminated text buffer owned by the caller. The buffer is modified in place:
// line ends and token ends are overwritten with NULs, and the returned tokens point into it. The
// parser never reads past the terminating NUL and allocates nothing.
//
// Rules:
// - A UTF-8 byte order mark at the start of the text is skipped. Lines end at LF or CRLF. A line
//   holds content when it has a character other than space, tab and CR; ParseLine skips lines
//   without content and returns false at the end of the text.
// - GetToken splits the current line at any of the given delimiter characters, and always at tabs
//   and CRs; runs of separators count as one. A token that starts with a double quote runs to the
//   next double quote on the line (or the line end) and may hold separators; the quotes are
//   removed, so "" is an empty token. A quote inside a token is an ordinary character.
//   GetToken returns null when the line has no more tokens.
// - GetEqualsToken consumes the next token when it is exactly "=" and returns true; otherwise it
//   consumes nothing. "x=5" is one token, not a key and a value.
// - GetString returns the rest of the line with surrounding spaces and tabs removed, then one pair
//   of double quotes around the whole rest removed. It never returns null: an empty rest gives "".
//   The line is used up afterwards.
// - ParamEquals* return false when the token is not the key (compared without regard to case).
//   When it is, they read "=" and the value(s) and return true, also when the form is wrong; then
//   they log "...expected: "KEY = integer"" (coloured, severity 2) and leave the outputs alone.
//   Integers are decimal with an optional sign, or hexadecimal with "0x" (a 32-bit pattern);
//   values out of range and trailing characters ("12abc") are malformed. Unsigned integers take
//   no minus sign. Floats are finite decimal numbers. Booleans are the words true and false in any
//   case. The two-value forms take the values separated by spaces, a comma, or both.
// - GetLineNumber is the 1-based number of the current line in the text (0 before the first).
class Parser {
public:
  explicit Parser(char* text);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  bool ParseLine();
  char* GetToken(const char* delimiters);
  bool GetEqualsToken();
  char* GetString();
  bool ParamEqualsInt32(const char* token, const char* key, int* out);
  bool ParamEqualsUInt32(const char* token, const char* key, unsigned int* out);
  bool ParamEqualsFloat32(const char* token, const char* key, float* out);
  bool ParamEqualsBoolean(const char* token, const char* key, bool* out);
  bool ParamEqualsInt32_2(const char* token, const char* key, int* out1, int* out2);
  bool ParamEqualsFloat32_2(const char* token, const char* key, float* out1, float* out2);
  int GetLineNumber() const;

private:
  bool _isSeparator(char c, const char* delimiters) const;
  char* _skipSeparators(char* at, const char* delimiters) const;

  char m_empty[1] {};          // what GetString returns when there is no current line
  char* m_nextLine = nullptr;  // start of the first unread line; null at the end of the text
  char* m_cursor = m_empty;    // read position in the current line
  char* m_lineEnd = m_empty;   // the NUL that ends the current line
  int m_nextLineNumber = 1;
  int m_lineNumber = 0;
};

// Localisation: a game installs its own table through g_stringTblPtr.
class StringTable {
public:
  virtual ~StringTable();
  virtual const char* translate(const char* key);
};

extern StringTable* g_stringTblPtr;  // null by default

namespace Platform {
void Sleep(unsigned int ms);
void ShowCursor(bool show);
void GetCursorPos(int& x, int& y);
void SetCursorPos(int x, int y);  // the substitute's cursor state, set by the game
bool IsCursorShown();
}  // namespace Platform
