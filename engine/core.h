#pragma once

#include <cstddef>

// The engine's core services: tagged memory, the text parser, the string table and a few
// platform helpers.

// Every allocation names a tag. The default manager counts live blocks and bytes per tag, which
// the tests read to prove that nothing leaks.
class MemoryMgr {
public:
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
  size_t m_liveCount[TAG_COUNT] {};
  size_t m_liveBytes[TAG_COUNT] {};
};

extern MemoryMgr* g_MemoryPtr;  // a default manager from start-up

// Tokenizer over a NUL-terminated text buffer owned by the caller. The buffer is modified in place.
class Parser {
public:
  explicit Parser(char* text);
  ~Parser();
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
